// findUnresolvedReferences: the proxies a model's elements hold, found generically through
// the meta model as the model-file writer finds values, each with why it is not resolved.

#include "korm/zero/unresolved_references.hpp"

#include <algorithm>

#include "korm/zero/collections/reference_collection.hpp"
#include "korm/zero/messages.hpp"
#include "korm/zero/meta/meta_objects.hpp"
#include "korm/zero/model_impl.hpp"
#include "model_references.hpp"
#include "store/element_values.hpp"

namespace korm::zero {

namespace {

/// The collection a many-valued property's value refers to, or null.
ReferenceCollection* collectionOf(Value const& value) {
    return static_cast<ReferenceCollection*>(value.getPayload());
}

bool holdsReferences(meta::Property const& property) {
    meta::Property::Impl const* record = property.getPropertyImpl();
    return record->isMany() || meta::asClassImpl(record->getType()) != nullptr;
}

/// Asks the holder to resolve what `property` holds, as reading it does.
void askToResolve(ModelElement::Impl& element, meta::Property const& property) {
    if (!property.getPropertyImpl()->isMany()) {
        element.getPropertyValue(property, PUBLIC_ACCESS);
    } else if (ReferenceCollection* collection =
                   collectionOf(element.getPropertyValue(property, NO_PROXY_RESOLVE))) {
        collection->resolveAll();
    }
}

/// Lists the proxies `property` of `owner` holds, not yet explained.
void addProxies(ModelElement const& owner, meta::Property const& property,
                std::vector<UnresolvedReference>& out) {
    Value const value = owner->getPropertyValue(property, NO_PROXY_RESOLVE);
    std::vector<ModelElement> held;
    if (!property.getPropertyImpl()->isMany()) {
        held.emplace_back(store::heldElement(value));
    } else if (ReferenceCollection const* collection = collectionOf(value)) {
        held = collection->getAllValuesAndProxies();
    }
    for (ModelElement& element : held) {
        if (!element.isEmpty() && element->getProxyId() != nullptr) {
            UnresolvedReference& reference = out.emplace_back();
            reference.owner = owner;
            reference.property = property;
            reference.id = *element->getProxyId();
            reference.proxy = std::move(element);
        }
    }
}

/// Why `reference` is unresolved: its remembered failure, after one more try when `retry`.
void explain(Model::Impl& model, UnresolvedReference& reference, bool retry) {
    if (retry) {
        ModelElement const target = model.resolveProxy(reference.owner.getImpl(), reference.proxy);
        if (!target->isProxy()) {
            // Resolution finds it, but the holder kept the proxy.
            meta::Type const type = reference.property.getPropertyImpl()->getType();
            meta::Class const actual = target->getMetaClass();
            if (!actual.isEmpty() && !actual.getClassImpl()->conformsTo(type)) {
                reference.reason = UnresolvedReason::CLASS_MISMATCH;
                reference.message = std::make_shared<korm0::messages::ReferencedClassMismatch>(
                    reference.id.getElementId(), target->getModelImpl()->getName(),
                    meta::qualifiedNameOf(actual), meta::qualifiedNameOf(type));
            }
            return;
        }
    }
    if (auto const* failure = detail::ModelReferences::findFailure(model, reference.id)) {
        reference.reason = failure->reason;
        reference.message = detail::ModelReferences::describe(model, reference.id, *failure);
    }
}

}  // namespace

std::vector<UnresolvedReference> findUnresolvedReferences(Model const& model,
                                                          ResolutionAttempt attempt) {
    std::vector<UnresolvedReference> references;
    if (!model) {
        return references;
    }
    bool const retry = attempt == ResolutionAttempt::RESOLVE_FIRST;
    if (retry) {
        detail::ModelReferences::forgetFailedSearches(*model.getImpl());
    }
    std::vector<ModelElement> elements = model->getElements();
    std::sort(elements.begin(), elements.end(),
              [](auto const& a, auto const& b) { return a->getUuid() < b->getUuid(); });
    for (ModelElement const& element : elements) {
        for (std::size_t index = 1;; ++index) {
            meta::Property const property = element->getPropertyByIndex(index);
            if (property.isEmpty()) {
                break;
            }
            if (holdsReferences(property)) {
                if (retry) {
                    askToResolve(*element.getImpl(), property);
                }
                addProxies(element, property, references);
            }
        }
    }
    for (UnresolvedReference& reference : references) {
        explain(*model.getImpl(), reference, retry);
    }
    return references;
}

}  // namespace korm::zero
