// The identities and attributes of every meta object of MetaPackageArvex_utilities. Stored
// models refer to these UUIDs: they never change.

#include "meta_package_table.hpp"

#include "arvex/utilities/collections/collection_factory.hpp"
#include "arvex/utilities/builders.hpp"
#include "arvex/utilities/full_path_api.hpp"
#include "arvex/utilities/uuid_map.hpp"
#include "arvex/utilities/uuid_map_entry.hpp"
#include "arvex/utilities/uuid_multi_map.hpp"
#include "arvex/utilities/uuid_to_uuid_map.hpp"
#include "arvex/utilities/uuid_to_uuid_map_entry.hpp"
#include "invoker_factories.hpp"

namespace arvex::utilities::meta_table {

namespace {

using M = MetaPackage;
using korm::zero::ValueFlags;

constexpr TypeRef VOID{};
constexpr TypeRef UUID_TYPE{u"UUID", nullptr};
constexpr TypeRef STRING_TYPE{u"String", nullptr};
constexpr TypeRef BOOLEAN_TYPE{u"Boolean", nullptr};
constexpr TypeRef UUID_MAP{nullptr, &M::UUIDMapClass};
constexpr TypeRef UUID_MAP_ENTRY{nullptr, &M::UUIDMapEntryClass};
constexpr TypeRef UUID_TO_UUID_MAP_ENTRY{nullptr, &M::UUIDToUUIDMapEntryClass};

constexpr bool STATIC = true;
constexpr bool MANY = true;

// ---- FullPathAPI ----------------------------------------------------------------------------

constexpr ArgumentEntry FULL_PATH_GET_COMPONENT_NAMES_ARGS[] = {
    {&M::FullPathAPI_getComponentNames_namedPath, u"namedPath",
     "3b79c793-275e-368a-81c6-393081faa735", STRING_TYPE},
};
constexpr OperationEntry FULL_PATH_OPERATIONS[] = {
    {&M::FullPathAPI_getComponentNames, u"getComponentNames",
     "261710f9-819b-3e44-aac7-a24bc6a8516f", STATIC, STRING_TYPE, MANY,
     FULL_PATH_GET_COMPONENT_NAMES_ARGS, nullptr},
};

// ---- UUIDMap ------------------------------------------------------------------------------

constexpr PropertyEntry UUID_MAP_PROPERTIES[] = {
    {&M::UUIDMap_Pairs, u"Pairs", "9fdb23dd-9f7c-35a6-ac6e-bfbaeedbe0ed", 1, UUID_MAP_ENTRY,
     ValueFlags(6), true, false, false, &M::UUIDMapEntry_Key, true},
};
constexpr ArgumentEntry UUID_MAP_INSERT_PAIR_ARGS[] = {
    {&M::UUIDMap_insertPair_key, u"key", "da9f2082-d3d3-3106-8040-bce675bd4ec9", UUID_TYPE},
    {&M::UUIDMap_insertPair_value, u"value", "efc7765a-58e6-3dcb-a40b-dc862f87f5ef", UUID_TYPE},
};
constexpr ArgumentEntry UUID_MAP_ERASE_PAIR_FOR_KEY_ARGS[] = {
    {&M::UUIDMap_erasePairForKey_key, u"key", "e8ca8509-0aac-3852-8616-5474b6bb3fca", UUID_TYPE},
};
constexpr ArgumentEntry UUID_MAP_ERASE_PAIRS_FOR_VALUE_ARGS[] = {
    {&M::UUIDMap_erasePairsForValue_value, u"value", "51174ed0-babe-3d60-b0bf-1899cc7095ac",
     UUID_TYPE},
};
constexpr ArgumentEntry UUID_MAP_FIND_VALUE_FOR_KEY_ARGS[] = {
    {&M::UUIDMap_findValueForKey_key, u"key", "3a1ed9f8-872a-35ab-a52d-80d0721dafc1", UUID_TYPE},
};
constexpr ArgumentEntry UUID_MAP_HAS_KEY_ARGS[] = {
    {&M::UUIDMap_hasKey_key, u"key", "56d5e095-b251-3432-ad08-de7ef146700c", UUID_TYPE},
};
constexpr OperationEntry UUID_MAP_OPERATIONS[] = {
    {&M::UUIDMap_insertPair, u"insertPair", "16996457-6a1a-38ed-a13b-649a33f71dce", !STATIC, VOID,
     !MANY, UUID_MAP_INSERT_PAIR_ARGS, invokers::uuidMapInsertPair},
    {&M::UUIDMap_erasePairForKey, u"erasePairForKey", "1bb2589d-c855-34de-98cf-57ca10301749",
     !STATIC, VOID, !MANY, UUID_MAP_ERASE_PAIR_FOR_KEY_ARGS, invokers::uuidMapErasePairForKey},
    {&M::UUIDMap_erasePairsForValue, u"erasePairsForValue", "da8a080f-1c52-3186-9451-6275dc275d59",
     !STATIC, VOID, !MANY, UUID_MAP_ERASE_PAIRS_FOR_VALUE_ARGS,
     invokers::uuidMapErasePairsForValue},
    {&M::UUIDMap_findValueForKey, u"findValueForKey", "785cdf72-2303-3f7a-9e40-b9e05b3ebf5a",
     !STATIC, UUID_TYPE, !MANY, UUID_MAP_FIND_VALUE_FOR_KEY_ARGS, invokers::uuidMapFindValueForKey},
    {&M::UUIDMap_hasKey, u"hasKey", "edbe7d3d-dd37-36b0-8a24-d8e18e089b97", !STATIC, BOOLEAN_TYPE,
     !MANY, UUID_MAP_HAS_KEY_ARGS, invokers::uuidMapHasKey},
};

// ---- UUIDMapEntry -------------------------------------------------------------------------

constexpr PropertyEntry UUID_MAP_ENTRY_PROPERTIES[] = {
    {&M::UUIDMapEntry_Key, u"Key", "953a5cab-28a5-39b0-8ea8-280f0763c08d", 1, UUID_TYPE,
     ValueFlags(1), false, true, true, nullptr, true},
    {&M::UUIDMapEntry_Value, u"Value", "7e402f0f-eca0-38cf-91f9-08e54e42a0b0", 2, UUID_TYPE,
     ValueFlags(1), false, true, true, nullptr, true},
};

// ---- UUIDMultiMap -------------------------------------------------------------------------

constexpr PropertyEntry UUID_MULTI_MAP_PROPERTIES[] = {
    {&M::UUIDMultiMap_Pairs, u"Pairs", "b1560f90-648b-3515-a506-508e08e7da35", 1, UUID_MAP_ENTRY,
     ValueFlags(5), true, false, false, &M::UUIDMapEntry_Key, false},
};
constexpr ArgumentEntry UUID_MULTI_MAP_INSERT_PAIR_ARGS[] = {
    {&M::UUIDMultiMap_insertPair_key, u"key", "9cbab7da-8d9e-35fa-ad4f-de7b00b17464", UUID_TYPE},
    {&M::UUIDMultiMap_insertPair_value, u"value", "581b3997-2eae-38d4-a7b7-8beb06772071",
     UUID_TYPE},
};
constexpr ArgumentEntry UUID_MULTI_MAP_ERASE_PAIRS_FOR_KEY_ARGS[] = {
    {&M::UUIDMultiMap_erasePairsForKey_key, u"key", "41cebeb5-2b14-3efb-a620-cfc8b046a87c",
     UUID_TYPE},
};
constexpr ArgumentEntry UUID_MULTI_MAP_ERASE_PAIRS_KEY_AND_VALUE_ARGS[] = {
    {&M::UUIDMultiMap_erasePairsKeyAndValue_key, u"key", "68227c37-5f91-3ce2-8817-38c36f815a7a",
     UUID_TYPE},
    {&M::UUIDMultiMap_erasePairsKeyAndValue_value, u"value", "9126eac5-9ce8-3657-87dd-90166b4f1cd4",
     UUID_TYPE},
};
constexpr ArgumentEntry UUID_MULTI_MAP_ERASE_PAIRS_FOR_VALUE_ARGS[] = {
    {&M::UUIDMultiMap_erasePairsForValue_value, u"value", "eb131776-4d5c-3da9-9dfa-e96059e7d2f2",
     UUID_TYPE},
};
constexpr ArgumentEntry UUID_MULTI_MAP_FIND_VALUES_FOR_KEY_ARGS[] = {
    {&M::UUIDMultiMap_findValuesForKey_key, u"key", "5c28e2ca-51c8-3d8a-b719-48ad7ae395cc",
     UUID_TYPE},
};
constexpr ArgumentEntry UUID_MULTI_MAP_HAS_KEY_ARGS[] = {
    {&M::UUIDMultiMap_hasKey_key, u"key", "880a1b6a-85e6-3c21-8487-efe4f2873fb9", UUID_TYPE},
};
constexpr OperationEntry UUID_MULTI_MAP_OPERATIONS[] = {
    {&M::UUIDMultiMap_insertPair, u"insertPair", "85756a4c-876c-318a-8de1-27703d98c403", !STATIC,
     VOID, !MANY, UUID_MULTI_MAP_INSERT_PAIR_ARGS, invokers::uuidMultiMapInsertPair},
    {&M::UUIDMultiMap_erasePairsForKey, u"erasePairsForKey", "2693ce3e-c7e7-3cdd-b9a3-08ed6530ebad",
     !STATIC, VOID, !MANY, UUID_MULTI_MAP_ERASE_PAIRS_FOR_KEY_ARGS,
     invokers::uuidMultiMapErasePairsForKey},
    {&M::UUIDMultiMap_erasePairsKeyAndValue, u"erasePairsKeyAndValue",
     "82ce579f-0edd-3f40-8a0a-b258baa62e13", !STATIC, VOID, !MANY,
     UUID_MULTI_MAP_ERASE_PAIRS_KEY_AND_VALUE_ARGS, invokers::uuidMultiMapErasePairsKeyAndValue},
    {&M::UUIDMultiMap_erasePairsForValue, u"erasePairsForValue",
     "46d466f6-5a79-3707-8d74-067450b1b88e", !STATIC, VOID, !MANY,
     UUID_MULTI_MAP_ERASE_PAIRS_FOR_VALUE_ARGS, invokers::uuidMultiMapErasePairsForValue},
    {&M::UUIDMultiMap_findValuesForKey, u"findValuesForKey", "0575e493-f6ba-3f9c-950b-faa92089379a",
     !STATIC, UUID_TYPE, MANY, UUID_MULTI_MAP_FIND_VALUES_FOR_KEY_ARGS,
     invokers::uuidMultiMapFindValuesForKey},
    {&M::UUIDMultiMap_hasKey, u"hasKey", "dc9a5943-35dc-3a5d-8ff6-54a459e90882", !STATIC,
     BOOLEAN_TYPE, !MANY, UUID_MULTI_MAP_HAS_KEY_ARGS, invokers::uuidMultiMapHasKey},
};

// ---- UUIDToUUIDMap ------------------------------------------------------------------------

constexpr PropertyEntry UUID_TO_UUID_MAP_PROPERTIES[] = {
    {&M::UUIDToUUIDMap_Pairs, u"Pairs", "8184ebc8-c55f-30b8-88d7-e859616d635f", 1,
     UUID_TO_UUID_MAP_ENTRY, ValueFlags(6), true, false, false, &M::UUIDToUUIDMapEntry_Key, true},
};
constexpr ArgumentEntry UUID_TO_UUID_MAP_INSERT_PAIR_ARGS[] = {
    {&M::UUIDToUUIDMap_insertPair_containerKey, u"containerKey",
     "fc56b8b4-7d6b-351b-ab50-5c7c8edbcd8c", UUID_TYPE},
    {&M::UUIDToUUIDMap_insertPair_subKey, u"subKey", "a63afa49-45b0-310c-aeed-362c449cde85",
     UUID_TYPE},
    {&M::UUIDToUUIDMap_insertPair_value, u"value", "db097edb-791b-3f72-8f17-53e7faa1c315",
     UUID_TYPE},
};
constexpr ArgumentEntry UUID_TO_UUID_MAP_ERASE_PAIR_FOR_KEY_ARGS[] = {
    {&M::UUIDToUUIDMap_erasePairForKey_containerKey, u"containerKey",
     "92961013-7a59-308e-8935-114c67d0f5ba", UUID_TYPE},
};
constexpr ArgumentEntry UUID_TO_UUID_MAP_ERASE_PAIR_FOR_KEYS_ARGS[] = {
    {&M::UUIDToUUIDMap_erasePairForKeys_containerKey, u"containerKey",
     "427958a7-185f-3947-9ef7-16254cf0bea1", UUID_TYPE},
    {&M::UUIDToUUIDMap_erasePairForKeys_subKey, u"subKey", "f2bf8317-121e-39cc-ab60-82e91315ae09",
     UUID_TYPE},
};
constexpr ArgumentEntry UUID_TO_UUID_MAP_FIND_VALUE_FOR_KEY_ARGS[] = {
    {&M::UUIDToUUIDMap_findValueForKey_containerKey, u"containerKey",
     "f14a7589-18f6-3369-8b82-60f75e7f91d0", UUID_TYPE},
};
constexpr ArgumentEntry UUID_TO_UUID_MAP_FIND_VALUES_WITH_SUB_KEY_ARGS[] = {
    {&M::UUIDToUUIDMap_findValuesWithSubKey_subKey, u"subKey",
     "dc7e66d4-a1a4-3b7a-be97-2aadbb54b7db", UUID_TYPE},
};
constexpr ArgumentEntry UUID_TO_UUID_MAP_FIND_VALUE_FOR_KEYS_ARGS[] = {
    {&M::UUIDToUUIDMap_findValueForKeys_containerKey, u"containerKey",
     "9ad7efb1-e8e4-36bd-85a8-ca92579d5d2f", UUID_TYPE},
    {&M::UUIDToUUIDMap_findValueForKeys_subKey, u"subKey", "8a6faa40-3fe2-3c0e-8c56-037ea6c73904",
     UUID_TYPE},
};
constexpr ArgumentEntry UUID_TO_UUID_MAP_HAS_KEY_ARGS[] = {
    {&M::UUIDToUUIDMap_hasKey_containerKey, u"containerKey", "10a25758-479f-33cc-8019-486cab8e52ad",
     UUID_TYPE},
};
constexpr OperationEntry UUID_TO_UUID_MAP_OPERATIONS[] = {
    {&M::UUIDToUUIDMap_insertPair, u"insertPair", "e4dc5e12-dfe5-3309-9597-adc46b29494d", !STATIC,
     VOID, !MANY, UUID_TO_UUID_MAP_INSERT_PAIR_ARGS, invokers::uuidToUUIDMapInsertPair},
    {&M::UUIDToUUIDMap_erasePairForKey, u"erasePairForKey", "1a76d337-0a8d-33c0-8681-5a03c6b23b9f",
     !STATIC, VOID, !MANY, UUID_TO_UUID_MAP_ERASE_PAIR_FOR_KEY_ARGS,
     invokers::uuidToUUIDMapErasePairForKey},
    {&M::UUIDToUUIDMap_erasePairForKeys, u"erasePairForKeys",
     "de233a9c-3f73-3810-96e3-e100494b3bd5", !STATIC, VOID, !MANY,
     UUID_TO_UUID_MAP_ERASE_PAIR_FOR_KEYS_ARGS, invokers::uuidToUUIDMapErasePairForKeys},
    {&M::UUIDToUUIDMap_findValueForKey, u"findValueForKey", "e07bf6bf-9e17-3d1b-b3a2-760783bd0242",
     !STATIC, UUID_MAP, !MANY, UUID_TO_UUID_MAP_FIND_VALUE_FOR_KEY_ARGS,
     invokers::uuidToUUIDMapFindValueForKey},
    {&M::UUIDToUUIDMap_findValuesWithSubKey, u"findValuesWithSubKey",
     "27ac633d-0a41-3576-8e32-ec0d412b88ec", !STATIC, UUID_TYPE, MANY,
     UUID_TO_UUID_MAP_FIND_VALUES_WITH_SUB_KEY_ARGS, invokers::uuidToUUIDMapFindValuesWithSubKey},
    {&M::UUIDToUUIDMap_findValueForKeys, u"findValueForKeys",
     "a24a0d83-cce1-3972-842c-435ca4133d59", !STATIC, UUID_TYPE, !MANY,
     UUID_TO_UUID_MAP_FIND_VALUE_FOR_KEYS_ARGS, invokers::uuidToUUIDMapFindValueForKeys},
    {&M::UUIDToUUIDMap_hasKey, u"hasKey", "d19087d1-c93c-3abc-a44c-ec8a33a942ab", !STATIC,
     BOOLEAN_TYPE, !MANY, UUID_TO_UUID_MAP_HAS_KEY_ARGS, invokers::uuidToUUIDMapHasKey},
};

// ---- UUIDToUUIDMapEntry -------------------------------------------------------------------

constexpr PropertyEntry UUID_TO_UUID_MAP_ENTRY_PROPERTIES[] = {
    {&M::UUIDToUUIDMapEntry_Key, u"Key", "b7bd2cfb-6a21-3ad8-bb4e-cd618f315798", 1, UUID_TYPE,
     ValueFlags(1), false, true, true, nullptr, true},
    {&M::UUIDToUUIDMapEntry_Value, u"Value", "bc0f7341-3d4e-3ae9-9b2d-96d8d1246e64", 2, UUID_MAP,
     ValueFlags(1), true, true, false, nullptr, true},
};

// ---- classes ------------------------------------------------------------------------------

constexpr ClassEntry CLASS_ENTRIES[] = {
    {&M::FullPathAPIClass,
     u"FullPathAPI",
     "arvex.utilities.FullPathAPI",
     "arvex::utilities::FullPathAPI",
     "d5755711-042c-3b49-a03c-c193aa06845d",
     {},
     FULL_PATH_OPERATIONS,
     &korm::zero::createElementCollection<FullPathAPI>,
     &FullPathAPI::Builder::newBuilder},
    {&M::UUIDMapClass, u"UUIDMap", "arvex.utilities.UUIDMap", "arvex::utilities::UUIDMap",
     "4fb5b94b-3d9b-3028-9e0b-2c091234bda6", UUID_MAP_PROPERTIES, UUID_MAP_OPERATIONS,
     &korm::zero::createElementCollection<UUIDMap>, &UUIDMap::Builder::newBuilder},
    {&M::UUIDMapEntryClass,
     u"UUIDMapEntry",
     "arvex.utilities.UUIDMapEntry",
     "arvex::utilities::UUIDMapEntry",
     "22458ff3-1ac9-3e78-ac3b-02e84d375bea",
     UUID_MAP_ENTRY_PROPERTIES,
     {},
     &korm::zero::createElementCollection<UUIDMapEntry>,
     &UUIDMapEntry::Builder::newBuilder},
    {&M::UUIDMultiMapClass, u"UUIDMultiMap", "arvex.utilities.UUIDMultiMap",
     "arvex::utilities::UUIDMultiMap", "1c8913c7-e321-3d27-9043-1e8b68918fc8",
     UUID_MULTI_MAP_PROPERTIES, UUID_MULTI_MAP_OPERATIONS,
     &korm::zero::createElementCollection<UUIDMultiMap>, &UUIDMultiMap::Builder::newBuilder},
    {&M::UUIDToUUIDMapClass, u"UUIDToUUIDMap", "arvex.utilities.UUIDToUUIDMap",
     "arvex::utilities::UUIDToUUIDMap", "4a43eb33-b1a3-3973-b25a-b1638e11e90c",
     UUID_TO_UUID_MAP_PROPERTIES, UUID_TO_UUID_MAP_OPERATIONS,
     &korm::zero::createElementCollection<UUIDToUUIDMap>, &UUIDToUUIDMap::Builder::newBuilder},
    {&M::UUIDToUUIDMapEntryClass,
     u"UUIDToUUIDMapEntry",
     "arvex.utilities.UUIDToUUIDMapEntry",
     "arvex::utilities::UUIDToUUIDMapEntry",
     "1aaefe7b-cf19-3815-be35-291bb6463c34",
     UUID_TO_UUID_MAP_ENTRY_PROPERTIES,
     {},
     &korm::zero::createElementCollection<UUIDToUUIDMapEntry>,
     &UUIDToUUIDMapEntry::Builder::newBuilder},
};

}  // namespace

char const* const ROOT_PACKAGE_UUID = "2c5f6bad-2653-3866-8b49-6862a8bd81e1";
PackageEntry const ROOT_PACKAGE{&M::rootPackage, u"", u"/korm0/arvex_utilities/V3"};
PackageEntry const ARVEX_PACKAGE{&M::arvexPackage, u"arvex", u"/korm0/arvex_utilities/V3/arvex"};
PackageEntry const UTILITIES_PACKAGE{&M::utilitiesPackage, u"utilities",
                                     u"/korm0/arvex_utilities/V3/arvex.utilities"};
std::span<ClassEntry const> const CLASSES{CLASS_ENTRIES};

}  // namespace arvex::utilities::meta_table
