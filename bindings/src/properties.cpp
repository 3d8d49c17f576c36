// Property accessors. Each getter and setter is a plain function over the element record,
// adapted by the host's AdaptedClassGetter / AdaptedClassSetter: the record bound under the
// class type name is held by a counted reference for the call (ElementReference) and checked
// with validateSelfPointer.
//
// UUID text setters catch every standard exception of the conversion (no UUID, text left
// over, text that is not well-formed UTF-16) and raise InvalidValue naming the value instead,
// leaving the entry as it was; method inputs, by contrast, let boost::bad_lexical_cast through.

#include "properties.hpp"

#include <boost/uuid/uuid_io.hpp>
#include <exception>
#include <optional>
#include <string>

#include "arvex/utilities/bindings/wrappers.hpp"
#include "korm/zero/messages.hpp"
#include "korm/zero/uuid_text.hpp"
#include "korm/zero/zi/binding.hpp"
#include "korm/zero/zi/value_text.hpp"
#include "marshalling.hpp"
#include "olan/factory/strings.hpp"
#include "tarsk/core/text.hpp"

namespace arvex::utilities::zi::properties {

namespace {

using olan::factory::impl::AdaptedClassGetter;
using olan::factory::impl::AdaptedClassSetter;
using olan::factory::impl::PropertyImpl;

/// Holds one element reference on the self record while an accessor runs.
struct ElementReference {
    static void acquire(kz::ModelElement::Impl const* record) noexcept { record->addRef(); }
    static void release(kz::ModelElement::Impl const* record) noexcept { record->removeRef(); }
};

constexpr char const* CollectionType = "korm.zero.Set";

/// The UUID of a value given to `property` ("Key" or "Value"): InvalidValue for anything but
/// whole UUID text.
boost::uuids::uuid uuidOfPropertyValue(zvArray const* value, char const* property) {
    std::optional<boost::uuids::uuid> id;
    try {
        id = kz::parseUuidText(std::u16string_view(olan::factory::extractString(value)));
    } catch (std::exception const&) {
        // Not text at all: refused below like text that does not parse.
    }
    if (!id) {
        kz::reportException(korm0::messages::InvalidValue(
            std::string("new ") + property, korm::zero::zi::detail::describeValue(value),
            korm0::messages::UUID_TEXT_FORM));
    }
    return *id;
}

template <class Record>
olan::Value pairsOf(Record* map) {
    // The map's live collection; the view's binding holds a reference to the map.
    auto const& pairs = map->getPairs();
    return korm::zero::zi::bindCollection(const_cast<korm::zero::ReferenceCollection*>(
        static_cast<korm::zero::ReferenceCollection const*>(&pairs)));
}

template <class Record>
PropertyImpl* newPairs(char const* className) {
    return new PropertyImpl("Pairs", "", 0,
                            new AdaptedClassGetter<Record, olan::Value, ElementReference>(
                                interned(className), &pairsOf<Record>, CollectionType));
}

template <class Record>
std::u16string keyOf(Record* entry) {
    return uuidText16(entry->getKey());
}

template <class Record>
void setKeyOf(Record* entry, zvArray const* value) {
    entry->setKey(uuidOfPropertyValue(value, "Key"));
}

template <class Record>
PropertyImpl* newKey(char const* className) {
    char const* const type = olan::factory::detail::StringScalarType;
    return new PropertyImpl("Key", "", 0,
                            new AdaptedClassGetter<Record, std::u16string, ElementReference>(
                                interned(className), &keyOf<Record>, type),
                            new AdaptedClassSetter<Record, zvArray const*, ElementReference>(
                                interned(className), &setKeyOf<Record>, type));
}

std::u16string entryValueOf(UUIDMapEntry::Impl* entry) {
    return uuidText16(entry->getValue());
}

void setEntryValueOf(UUIDMapEntry::Impl* entry, zvArray const* value) {
    entry->setValue(uuidOfPropertyValue(value, "Value"));
}

olan::Value innerMapOf(UUIDToUUIDMapEntry::Impl* entry) {
    UUIDMap const map = entry->getValue();
    return bindForOutput(map.getImpl(), UUIDMapClassName);
}

void setInnerMapOf(UUIDToUUIDMapEntry::Impl* entry, zvArray const* value) {
    UUIDMap const map(static_cast<UUIDMap::Impl*>(nativePointerOf(value, UUIDMapClassName)));
    entry->setValue(map);
}

}  // namespace

PropertyImpl* newUUIDMapPairs() {
    return newPairs<UUIDMap::Impl>(UUIDMapClassName);
}

PropertyImpl* newUUIDMultiMapPairs() {
    return newPairs<UUIDMultiMap::Impl>(UUIDMultiMapClassName);
}

PropertyImpl* newUUIDToUUIDMapPairs() {
    return newPairs<UUIDToUUIDMap::Impl>(UUIDToUUIDMapClassName);
}

PropertyImpl* newUUIDMapEntryKey() {
    return newKey<UUIDMapEntry::Impl>(UUIDMapEntryClassName);
}

PropertyImpl* newUUIDMapEntryValue() {
    char const* const type = olan::factory::detail::StringScalarType;
    return new PropertyImpl(
        "Value", "", 0,
        new AdaptedClassGetter<UUIDMapEntry::Impl, std::u16string, ElementReference>(
            interned(UUIDMapEntryClassName), &entryValueOf, type),
        new AdaptedClassSetter<UUIDMapEntry::Impl, zvArray const*, ElementReference>(
            interned(UUIDMapEntryClassName), &setEntryValueOf, type));
}

PropertyImpl* newUUIDToUUIDMapEntryKey() {
    return newKey<UUIDToUUIDMapEntry::Impl>(UUIDToUUIDMapEntryClassName);
}

PropertyImpl* newUUIDToUUIDMapEntryValue() {
    return new PropertyImpl(
        "Value", "", 0,
        new AdaptedClassGetter<UUIDToUUIDMapEntry::Impl, olan::Value, ElementReference>(
            interned(UUIDToUUIDMapEntryClassName), &innerMapOf, UUIDMapClassName),
        new AdaptedClassSetter<UUIDToUUIDMapEntry::Impl, zvArray const*, ElementReference>(
            interned(UUIDToUUIDMapEntryClassName), &setInnerMapOf, UUIDMapClassName));
}

}  // namespace arvex::utilities::zi::properties
