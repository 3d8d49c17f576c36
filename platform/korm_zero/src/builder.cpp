// Builders and the orchestrated creation of nested elements.

#include "korm/zero/builder.hpp"

#include <algorithm>
#include <stdexcept>

#include "korm/zero/messages.hpp"
#include "korm/zero/meta/meta_objects.hpp"
#include "korm/zero/model_impl.hpp"

namespace korm::zero {

namespace {

[[noreturn]] void reportUnknownProperty(meta::Class const& metaClass,
                                        meta::Property const& property) {
    reportException(korm0::messages::UnknownProperty(
        meta::qualifiedNameOf(metaClass),
        property.isEmpty() ? std::u16string() : property.getPropertyImpl()->getQualifiedName()));
}

}  // namespace

ModelElement::Impl::Impl(ModelElement::Builder& builder, boost::uuids::uuid const& id)
    : Impl(builder.getModel(), id) {}

// ---- Builder ----------------------------------------------------------------------------

ModelElement::Builder::Builder(std::size_t bitCount) : m_given(bitCount, false) {}

ModelElement::Builder::Builder(Model const& model, std::size_t bitCount)
    : m_model(model), m_given(bitCount, false) {}

ModelElement::Builder::~Builder() {
    if (m_orchestrator != nullptr) {
        m_orchestrator->forget(*this);
    }
}

void ModelElement::Builder::setOrAdd(meta::Property const& property, Value const& /*value*/) {
    reportUnknownProperty(getMetaClass(), property);
}

void ModelElement::Builder::setOrAdd(meta::Property const& property,
                                     std::unique_ptr<Builder>& /*builder*/) {
    reportUnknownProperty(getMetaClass(), property);
}

void ModelElement::Builder::setModel(Model const& model) {
    m_model = model;
}

bool ModelElement::Builder::isGiven(std::size_t index) const noexcept {
    return index < m_given.size() && m_given[index];
}

void ModelElement::Builder::setGiven(std::size_t index) {
    m_given.at(index) = true;
}

ModelElement ModelElement::Builder::create(boost::uuids::uuid const& id) {
    if (m_orchestrator != nullptr) {
        ModelElement made = m_orchestrator->getCreatedElement(*this);
        if (made) {
            return made;
        }
    }
    ModelElement element = doCreate(false, id);
    // A nested builder's orchestrator outlives this call; a top-level one is gone by now.
    if (m_orchestrator != nullptr && !element.isEmpty()) {
        m_orchestrator->setCreatedElement(*this, element);
    }
    return element;
}

ModelElement ModelElement::Builder::createUnannounced(boost::uuids::uuid const& id) {
    return doCreate(true, id);
}

// ---- Orchestrator -----------------------------------------------------------------------

namespace {

Transaction beginCreation(ModelElement::Builder const& topLevel) {
    if (!topLevel.getModel()) {
        reportException(korm0::messages::CannotCreateWithoutModel());
    }
    return topLevel.getModel()->beginTransaction(false);
}

}  // namespace

ModelElement::Builder::Orchestrator::Orchestrator(Builder& topLevel)
    : m_topLevel(topLevel)
    , m_previous(topLevel.m_orchestrator)
    , m_transaction(beginCreation(topLevel)) {
    // Registered only once nothing can fail any more: a builder that points at an
    // orchestrator calls forget() on it when it goes.
    m_builders.push_back(&m_topLevel);
    m_topLevel.m_orchestrator = this;
}

ModelElement::Builder::Orchestrator::~Orchestrator() {
    for (Builder* builder : m_builders) {
        builder->m_orchestrator = nullptr;
    }
    m_topLevel.m_orchestrator = m_previous;
    // Drop the elements before the rollback runs, so that an un-created element's last
    // handle goes with the model's own release.
    m_created.clear();
    // m_transaction rolls back here unless committed.
}

void ModelElement::Builder::Orchestrator::addBuilder(Builder& builder) {
    if (builder.m_orchestrator == this) {
        return;
    }
    // Registered only once nothing can fail any more (see the constructor).
    m_builders.push_back(&builder);
    if (!builder.m_model) {
        builder.m_model = m_topLevel.m_model;
    }
    builder.m_orchestrator = this;
}

ModelElement ModelElement::Builder::Orchestrator::getCreatedElement(Builder const& builder) const {
    auto const it = m_created.find(&builder);
    return it != m_created.end() ? it->second : ModelElement();
}

void ModelElement::Builder::Orchestrator::setCreatedElement(Builder const& builder,
                                                            ModelElement const& element) {
    m_created[&builder] = element;
}

void ModelElement::Builder::Orchestrator::commit() {
    m_transaction.commit();
    m_committed = true;
}

void ModelElement::Builder::Orchestrator::forget(Builder& builder) noexcept {
    m_builders.erase(std::remove(m_builders.begin(), m_builders.end(), &builder), m_builders.end());
    m_created.erase(&builder);
}

}  // namespace korm::zero
