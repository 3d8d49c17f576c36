// UUIDToUUIDMapEntry: record, reflection, containment of the inner map, undo records and the
// entry-side setters.

#include "arvex/utilities/uuid_to_uuid_map_entry.hpp"

#include "arvex/utilities/collections/typed_values.hpp"
#include "arvex/utilities/uuid_map_value.hpp"
#include "korm/zero/meta/meta_objects.hpp"
#include "map_entries.hpp"

namespace arvex::utilities {

namespace kz = korm::zero;
using boost::uuids::uuid;
using detail::Meta;

namespace {

/// A value of `property` holding `map`, typed by the map's class when it is valid and by the
/// property's declared type otherwise.
kz::Value mapValue(kz::meta::Property const& property, UUIDMap const& map) {
    kz::meta::Type type =
        map ? kz::meta::Type(map->getMetaClass()) : property.getPropertyImpl()->getType();
    return makeValue<UUIDMap>(map, std::move(type));
}

bool leavesProxies(kz::AccessTag tag) {
    return tag == kz::NO_PROXY_RESOLVE || tag == kz::IN_MEMORY_ONLY;
}

}  // namespace

kz::meta::Class UUIDToUUIDMapEntry::metaClass() {
    return Meta::uuidToUUIDMapEntry();
}

UUIDToUUIDMapEntry UUIDToUUIDMapEntry::create(kz::Model const& model, uuid const& id) {
    return detail::createElement<UUIDToUUIDMapEntry>(model, id);
}

UUIDToUUIDMapEntry::Impl::Slot const UUIDToUUIDMapEntry::Impl::UUID_SLOTS[1] = {
    {KEY, &Meta::uuidToUUIDMapEntryKey, &Impl::m_key, &Storage::oldKey},
};

UUIDToUUIDMapEntry::Impl::Impl(kz::Model const& model, uuid const& id) : RecordBase(model, id) {}

UUIDToUUIDMapEntry::Impl::~Impl() {
    markDeleting();
}

UUIDMap UUIDToUUIDMapEntry::Impl::getValue() const {
    if (m_value.isEmpty()) {
        return UUIDMap();
    }
    if (!m_value) {
        // A map that is not valid (destroyed, or its creation undone) is kept while it still
        // belongs to the entry's model, where undo can bring it back; one that left the model
        // is dropped.
        if (m_value->getModelImpl() == getModelImpl()) {
            return m_value;
        }
        m_value.reset();
        return UUIDMap();
    }
    if (m_value->isProxy() && getModelImpl() != nullptr) {
        kz::ModelElement const resolved = getModelImpl()->resolveProxy(this, m_value);
        auto* record = dynamic_cast<UUIDMap::Impl*>(resolved.getImpl());
        if (resolved && record != nullptr && !record->isProxy()) {
            m_value = UUIDMap(record);
        }
    }
    return m_value;
}

void UUIDToUUIDMapEntry::Impl::setKey(uuid const& key) {
    detail::asOperation(*this, [&] { detail::changeEntryKey(*this, m_key, KEY, key); });
}

void UUIDToUUIDMapEntry::Impl::setValue(UUIDMap const& map) {
    detail::asOperation(*this, [&] { replaceValue(map); });
}

void UUIDToUUIDMapEntry::Impl::replaceValue(UUIDMap const& map) {
    if (map == m_value) {
        return;
    }
    kz::meta::Property const& property = Meta::uuidToUUIDMapEntryValue();
    checkCompatibleModel(map.getImpl(), property);
    detail::changeProperty(*this, VALUE, [&] {
        if (!m_value.isEmpty()) {
            _basicSetUncontained(m_value.getImpl());
        }
        basicSetValue(map);
        if (map) {
            _setContainedByThis(map.getImpl(), property);
        }
    });
}

// ---- reflection -----------------------------------------------------------------------------

bool UUIDToUUIDMapEntry::Impl::hasPropertyValue(kz::meta::Property const& property,
                                                kz::AccessTag tag) const {
    if (property == Meta::uuidToUUIDMapEntryValue()) {
        return hasValue();
    }
    return detail::slotOf(UUID_SLOTS, property) != nullptr ||
           RecordBase::hasPropertyValue(property, tag);
}

kz::Value UUIDToUUIDMapEntry::Impl::getPropertyValue(kz::meta::Property const& property,
                                                     kz::AccessTag tag) const {
    if (property == Meta::uuidToUUIDMapEntryValue()) {
        return mapValue(property, leavesProxies(tag) ? m_value : getValue());
    }
    if (Slot const* slot = detail::slotOf(UUID_SLOTS, property)) {
        return detail::makeUuidPropertyValue(property, this->*slot->field);
    }
    return RecordBase::getPropertyValue(property, tag);
}

void UUIDToUUIDMapEntry::Impl::setPropertyValue(kz::meta::Property const& property,
                                                kz::Value const& value, kz::AccessTag tag) {
    if (property == Meta::uuidToUUIDMapEntryKey()) {
        setKey(value.getValue<uuid>());
    } else if (property == Meta::uuidToUUIDMapEntryValue()) {
        UUIDMap const map = value.getValue<UUIDMap>();
        // Loading the resolved map in place of a held proxy: the proxy goes silently.
        if (leavesProxies(tag) && map && !map->isProxy() && m_value && m_value->isProxy()) {
            m_value.reset();
        }
        setValue(map);
    } else {
        RecordBase::setPropertyValue(property, value, tag);
    }
}

kz::meta::Property UUIDToUUIDMapEntry::Impl::getPropertyByIndex(std::size_t index) const {
    if (index == VALUE) {
        return Meta::uuidToUUIDMapEntryValue();
    }
    Slot const* slot = detail::slotAt(UUID_SLOTS, index);
    return slot != nullptr ? slot->property() : RecordBase::getPropertyByIndex(index);
}

// ---- containment and destruction ------------------------------------------------------------

void UUIDToUUIDMapEntry::Impl::doDestroy(bool disassociate, bool toProxies) {
    if (m_value) {
        notifyModifying(VALUE);
        m_value->destroyRecursively(disassociate, false, toProxies);
        m_value.reset();
    }
    RecordBase::doDestroy(disassociate, toProxies);
}

void UUIDToUUIDMapEntry::Impl::inverseAdd(kz::ModelElement const& element,
                                          kz::meta::Property const& property) {
    if (property != Meta::uuidToUUIDMapEntryValue()) {
        RecordBase::inverseAdd(element, property);
        return;
    }
    notifyModifying(VALUE);
    basicSetValue(UUIDMap(static_cast<UUIDMap::Impl*>(element.getImpl())));
}

void UUIDToUUIDMapEntry::Impl::inverseRemove(kz::ModelElement const& element,
                                             kz::meta::Property const& property) {
    if (property != Meta::uuidToUUIDMapEntryValue()) {
        RecordBase::inverseRemove(element, property);
        return;
    }
    notifyModifying(VALUE);
    m_value.reset();
}

void UUIDToUUIDMapEntry::Impl::basicDisassociateAll() {
    m_value.reset();
}

// ---- undo records ---------------------------------------------------------------------------

std::unique_ptr<kz::ModelElement::Impl::Storage> UUIDToUUIDMapEntry::Impl::createStorage() const {
    return detail::newStorage<Storage>(*this, BIT_COUNT);
}

void UUIDToUUIDMapEntry::Impl::copyValue(kz::ModelElement::Impl::Storage& storage,
                                         std::size_t index) const {
    auto& own = static_cast<Storage&>(storage);
    if (index == VALUE) {
        own.oldValue = m_value;
    } else if (Slot const* slot = detail::slotAt(UUID_SLOTS, index)) {
        own.*slot->oldField = this->*slot->field;
    } else {
        RecordBase::copyValue(storage, index);
    }
}

void UUIDToUUIDMapEntry::Impl::copyStateFromStorage(
    kz::ModelElement::Impl::Storage const& storage) {
    kz::Model const keepModel = getModel();
    auto const& own = static_cast<Storage const&>(storage);
    detail::restoreUuids(UUID_SLOTS, *this, own);
    if (own.isChanged(VALUE)) {
        m_value = own.oldValue;
    }
    RecordBase::copyStateFromStorage(storage);
}

void UUIDToUUIDMapEntry::Impl::Storage::revertUnchanged(kz::ModelElement::Impl const& record) {
    auto const& entry = static_cast<Impl const&>(record);
    detail::revertUnchangedUuids(UUID_SLOTS, *this, entry);
    if (isChanged(VALUE) && oldValue.getImpl() == entry.m_value.getImpl()) {
        clearChanged(VALUE);
    }
    kz::ModelElement::Impl::Storage::revertUnchanged(record);
}

kz::Value UUIDToUUIDMapEntry::Impl::Storage::getOldValue(kz::meta::Property const& property,
                                                         kz::AccessTag tag) const {
    if (property == Meta::uuidToUUIDMapEntryValue() && isChanged(VALUE)) {
        return mapValue(property, oldValue);
    }
    kz::Value value;
    if (detail::oldUuidValue(UUID_SLOTS, *this, property, value)) {
        return value;
    }
    return kz::ModelElement::Impl::Storage::getOldValue(property, tag);
}

}  // namespace arvex::utilities
