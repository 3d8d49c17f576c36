// The owned-collection base and its change bracket.

#include "korm/zero/collections/abstract_owned_collection.hpp"

#include <utility>

#include "korm/zero/meta/meta_objects.hpp"
#include "korm/zero/model_impl.hpp"
#include "korm/zero/testing.hpp"

namespace korm::zero {

namespace {

std::size_t indexOf(meta::Property const& property) {
    return property.isEmpty() ? ModelElement::Impl::NO_INDEX
                              : property.getPropertyImpl()->getIndex();
}

Transaction openBracket(ModelElement::Impl const* owner) {
    Model::Impl* const model = owner != nullptr ? owner->getModelImpl() : nullptr;
    return model != nullptr ? model->beginTransaction(false) : Transaction();
}

}  // namespace

AbstractOwnedCollection::Operation::Operation(AbstractOwnedCollection& collection)
    : m_collection(collection), m_transaction(openBracket(collection.getOwner())) {}

AbstractOwnedCollection::Operation::~Operation() = default;

void AbstractOwnedCollection::Operation::commit() {
    m_transaction.commit();
}

AbstractOwnedCollection::AbstractOwnedCollection(ModelElement::Impl* owner, meta::Property property,
                                                 meta::Property::Impl const* opposite)
    : m_owner(owner)
    , m_property(std::move(property))
    , m_opposite(opposite)
    , m_index(indexOf(m_property)) {}

AbstractOwnedCollection::~AbstractOwnedCollection() = default;

void AbstractOwnedCollection::modifying() {
    if (m_owner != nullptr && m_owner->getModelImpl() != nullptr &&
        !m_owner->getModelImpl()->isRestoring()) {
        testing::detail::failurePoint();
    }
    if (m_owner != nullptr && m_index != ModelElement::Impl::NO_INDEX) {
        m_owner->notifyModifying(m_index);
    }
}

}  // namespace korm::zero
