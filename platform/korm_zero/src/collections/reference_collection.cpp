// The reference-collection base, the defaults of the generic interfaces, and the framework's
// access to the basic operations of a collection.

#include "korm/zero/collections/reference_collection.hpp"

#include <algorithm>

#include <utility>

#include "korm/zero/messages.hpp"
#include "korm/zero/meta/meta_objects.hpp"
#include "korm/zero/model_impl.hpp"

namespace korm::zero {

// ---- generic interfaces -----------------------------------------------------------------

GenericCollectionInterface::~GenericCollectionInterface() = default;

void GenericCollectionInterface::genericEnsureAt(ModelElement const& element,
                                                 std::size_t /*index*/) {
    genericAdd(element);
}

bool GenericCollectionInterface::isSequenceInterface() const {
    return false;
}

bool GenericCollectionInterface::isMapInterface() const {
    return false;
}

bool GenericCollectionInterface::isMultimapInterface() const {
    return false;
}

std::size_t GenericSequenceInterface::genericIndexOf(ModelElement const& element) const {
    std::size_t const size = genericSize();
    for (std::size_t i = 0; i < size; ++i) {
        if (genericGetAt(i) == element) {
            return i;
        }
    }
    return NO_POSITION;
}

void GenericSequenceInterface::genericEnsureAt(ModelElement const& element, std::size_t index) {
    if (!element) {
        return;
    }
    std::size_t const current = genericIndexOf(element);
    if (current != NO_POSITION) {
        if (current == index) {
            return;
        }
        // Moving: once taken out, the positions after it shift down by one.
        genericRemoveAt(current);
    }
    std::size_t const size = genericSize();
    genericInsertAt(index < size ? index : size, element);
}

bool GenericSequenceInterface::isSequenceInterface() const {
    return true;
}

bool GenericMapInterface::isMapInterface() const {
    return true;
}

std::vector<ModelElement> GenericMultimapInterface::genericGroupOf(
    ModelElement const& element) const {
    for (Value const& key : genericKeys()) {
        std::vector<ModelElement> group = genericGet(key);
        if (std::find(group.begin(), group.end(), element) != group.end()) {
            return group;
        }
    }
    return {};
}

bool GenericMultimapInterface::isMultimapInterface() const {
    return true;
}

// ---- ReferenceCollection ----------------------------------------------------------------

ReferenceCollection::ReferenceCollection(ModelElement::Impl* owner, meta::Property property,
                                         meta::Property::Impl const* opposite)
    : AbstractOwnedCollection(owner, std::move(property), opposite) {}

ReferenceCollection::~ReferenceCollection() = default;

void ReferenceCollection::copyContents(ReferenceCollection const& source) {
    basicCopyValues(source);
}

void ReferenceCollection::genericAdd(ModelElement const& element) {
    if (m_genericInterface) {
        m_genericInterface->genericAdd(element);
    }
}

void ReferenceCollection::genericRemove(ModelElement const& element) {
    if (m_genericInterface) {
        m_genericInterface->genericRemove(element);
    }
}

std::vector<ModelElement> ReferenceCollection::getAllValuesAndProxies() const {
    return getAllValues();
}

std::vector<ModelElement> ReferenceCollection::getProxies() const {
    std::vector<ModelElement> proxies = getAllValuesAndProxies();
    std::erase_if(proxies, [](ModelElement const& e) { return e.isEmpty() || !e->isProxy(); });
    return proxies;
}

GenericCollectionInterface* ReferenceCollection::getGenericInterface() const noexcept {
    return m_genericInterface.get();
}

void ReferenceCollection::setGenericInterface(
    std::unique_ptr<GenericCollectionInterface> genericInterface) {
    m_genericInterface = std::move(genericInterface);
}

void ReferenceCollection::basicAddWithProxy(ModelElement const& element) {
    basicAdd(element);
}

void ReferenceCollection::checkCompatibleModel(ModelElement::Impl* element) const {
    if (element != nullptr && getOwner() != nullptr) {
        getOwner()->checkCompatibleModel(element, getCollectionProperty());
    }
}

bool ReferenceCollection::isComposite() const {
    meta::Property const& property = getCollectionProperty();
    return !property.isEmpty() && property.getPropertyImpl()->isContainment();
}

ModelElement ReferenceCollection::resolveProxy(ModelElement const& proxy) const {
    ModelElement::Impl* const owner = getOwner();
    Model::Impl* const model = owner != nullptr ? owner->getModelImpl() : nullptr;
    if (model == nullptr || proxy.isEmpty() || !proxy->isProxy()) {
        return proxy;
    }
    return model->resolveProxy(owner, proxy);
}

ModelElement ReferenceCollection::peekResolveProxy(ModelElement const& proxy) const {
    ModelElement::Impl* const owner = getOwner();
    Model::Impl* const model = owner != nullptr ? owner->getModelImpl() : nullptr;
    if (model == nullptr || proxy.isEmpty() || !proxy->isProxy()) {
        return proxy;
    }
    return model->peekResolveProxy(owner, proxy);
}

bool ReferenceCollection::isResolvingProxies() noexcept {
    return Model::Impl::getProxyResolutionCounter() > 0;
}

// ---- framework access to the basic operations -------------------------------------------

void ModelElement::Impl::_basicAdd(ReferenceCollection& collection, ModelElement const& element) {
    collection.basicAdd(element);
}

void ModelElement::Impl::_basicAddWithProxy(ReferenceCollection& collection,
                                            ModelElement const& element) {
    collection.basicAddWithProxy(element);
}

void ModelElement::Impl::_basicRemove(ReferenceCollection& collection,
                                      ModelElement const& element) {
    collection.basicRemove(element);
}

void ModelElement::Impl::_basicClear(ReferenceCollection& collection) {
    collection.basicClear();
}

void ModelElement::Impl::_basicCopyValues(ReferenceCollection& target,
                                          ReferenceCollection const& source) {
    target.basicCopyValues(source);
}

}  // namespace korm::zero
