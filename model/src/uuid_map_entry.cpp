// UUIDMapEntry: record, reflection, undo records and the setters that keep the entry filed
// under its key.

#include "arvex/utilities/uuid_map_entry.hpp"

#include "arvex/utilities/collections/typed_values.hpp"
#include "map_entries.hpp"

namespace arvex::utilities {

namespace kz = korm::zero;
using boost::uuids::uuid;
using detail::Meta;

kz::meta::Class UUIDMapEntry::metaClass() {
    return Meta::uuidMapEntry();
}

UUIDMapEntry UUIDMapEntry::create(kz::Model const& model, uuid const& id) {
    return detail::createElement<UUIDMapEntry>(model, id);
}

UUIDMapEntry::Impl::Slot const UUIDMapEntry::Impl::UUID_SLOTS[2] = {
    {KEY, &Meta::uuidMapEntryKey, &Impl::m_key, &Storage::oldKey},
    {VALUE, &Meta::uuidMapEntryValue, &Impl::m_value, &Storage::oldValue},
};

UUIDMapEntry::Impl::Impl(kz::Model const& model, uuid const& id) : RecordBase(model, id) {}

UUIDMapEntry::Impl::~Impl() {
    markDeleting();
}

void UUIDMapEntry::Impl::setKey(uuid const& key) {
    detail::asOperation(*this, [&] { detail::changeEntryKey(*this, m_key, KEY, key); });
}

void UUIDMapEntry::Impl::setValue(uuid const& value) {
    detail::asOperation(*this, [&] {
        if (value != m_value) {
            detail::changeProperty(*this, VALUE, [&] { m_value = value; });
        }
    });
}

// ---- reflection -----------------------------------------------------------------------------

bool UUIDMapEntry::Impl::hasPropertyValue(kz::meta::Property const& property,
                                          kz::AccessTag tag) const {
    return detail::slotOf(UUID_SLOTS, property) != nullptr ||
           RecordBase::hasPropertyValue(property, tag);
}

kz::Value UUIDMapEntry::Impl::getPropertyValue(kz::meta::Property const& property,
                                               kz::AccessTag tag) const {
    if (Slot const* slot = detail::slotOf(UUID_SLOTS, property)) {
        return detail::makeUuidPropertyValue(property, this->*slot->field);
    }
    return RecordBase::getPropertyValue(property, tag);
}

void UUIDMapEntry::Impl::setPropertyValue(kz::meta::Property const& property,
                                          kz::Value const& value, kz::AccessTag tag) {
    if (property == Meta::uuidMapEntryKey()) {
        setKey(value.getValue<uuid>());
    } else if (property == Meta::uuidMapEntryValue()) {
        setValue(value.getValue<uuid>());
    } else {
        RecordBase::setPropertyValue(property, value, tag);
    }
}

kz::meta::Property UUIDMapEntry::Impl::getPropertyByIndex(std::size_t index) const {
    Slot const* slot = detail::slotAt(UUID_SLOTS, index);
    return slot != nullptr ? slot->property() : RecordBase::getPropertyByIndex(index);
}

// ---- undo records ---------------------------------------------------------------------------

std::unique_ptr<kz::ModelElement::Impl::Storage> UUIDMapEntry::Impl::createStorage() const {
    return detail::newStorage<Storage>(*this, BIT_COUNT);
}

void UUIDMapEntry::Impl::copyValue(kz::ModelElement::Impl::Storage& storage,
                                   std::size_t index) const {
    if (Slot const* slot = detail::slotAt(UUID_SLOTS, index)) {
        static_cast<Storage&>(storage).*slot->oldField = this->*slot->field;
    } else {
        RecordBase::copyValue(storage, index);
    }
}

void UUIDMapEntry::Impl::copyStateFromStorage(kz::ModelElement::Impl::Storage const& storage) {
    kz::Model const keepModel = getModel();
    detail::restoreUuids(UUID_SLOTS, *this, static_cast<Storage const&>(storage));
    RecordBase::copyStateFromStorage(storage);
}

void UUIDMapEntry::Impl::Storage::revertUnchanged(kz::ModelElement::Impl const& record) {
    detail::revertUnchangedUuids(UUID_SLOTS, *this, static_cast<Impl const&>(record));
    kz::ModelElement::Impl::Storage::revertUnchanged(record);
}

kz::Value UUIDMapEntry::Impl::Storage::getOldValue(kz::meta::Property const& property,
                                                   kz::AccessTag tag) const {
    kz::Value value;
    if (detail::oldUuidValue(UUID_SLOTS, *this, property, value)) {
        return value;
    }
    return kz::ModelElement::Impl::Storage::getOldValue(property, tag);
}

}  // namespace arvex::utilities
