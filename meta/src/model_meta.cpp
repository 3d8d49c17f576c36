// The model classes' view of the meta-package: the class and property objects that the model
// subsystem declares it reads (detail::Meta) and compares and hands out. The model lies below
// the meta-package, so it declares what it needs and the meta-package, which builds on first
// use, defines it here.

#include "arvex/utilities/detail/element_pattern.hpp"
#include "arvex/utilities/meta/meta_package.hpp"

namespace arvex::utilities::detail {

namespace {

MetaPackageArvex_utilities const& package() {
    return *MetaPackageArvex_utilities::getInstance();
}

}  // namespace

kz::meta::Class const& Meta::fullPathAPI() {
    return package().FullPathAPIClass;
}
kz::meta::Class const& Meta::uuidMap() {
    return package().UUIDMapClass;
}
kz::meta::Class const& Meta::uuidMapEntry() {
    return package().UUIDMapEntryClass;
}
kz::meta::Class const& Meta::uuidMultiMap() {
    return package().UUIDMultiMapClass;
}
kz::meta::Class const& Meta::uuidToUUIDMap() {
    return package().UUIDToUUIDMapClass;
}
kz::meta::Class const& Meta::uuidToUUIDMapEntry() {
    return package().UUIDToUUIDMapEntryClass;
}

kz::meta::Property const& Meta::uuidMapPairs() {
    return package().UUIDMap_Pairs;
}
kz::meta::Property const& Meta::uuidMapEntryKey() {
    return package().UUIDMapEntry_Key;
}
kz::meta::Property const& Meta::uuidMapEntryValue() {
    return package().UUIDMapEntry_Value;
}
kz::meta::Property const& Meta::uuidMultiMapPairs() {
    return package().UUIDMultiMap_Pairs;
}
kz::meta::Property const& Meta::uuidToUUIDMapPairs() {
    return package().UUIDToUUIDMap_Pairs;
}
kz::meta::Property const& Meta::uuidToUUIDMapEntryKey() {
    return package().UUIDToUUIDMapEntry_Key;
}
kz::meta::Property const& Meta::uuidToUUIDMapEntryValue() {
    return package().UUIDToUUIDMapEntry_Value;
}

}  // namespace arvex::utilities::detail
