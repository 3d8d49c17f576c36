// The identities and attributes of every meta object of MetaPackageArvex_utilities. Stored
// models refer to these UUIDs: they never change.

#include <stdexcept>

#include "arvex/utilities/builders.hpp"
#include "arvex/utilities/collections/collection_factory.hpp"
#include "arvex/utilities/full_path_api.hpp"
#include "arvex/utilities/meta/operations.hpp"
#include "arvex/utilities/meta/package_table.hpp"
#include "arvex/utilities/uuid_map.hpp"
#include "arvex/utilities/uuid_map_entry.hpp"
#include "arvex/utilities/uuid_multi_map.hpp"
#include "arvex/utilities/uuid_to_uuid_map.hpp"
#include "arvex/utilities/uuid_to_uuid_map_entry.hpp"

namespace arvex::utilities::meta_table {

namespace {

using M = MetaPackage;
namespace ops = operations;

constexpr TypeRef UUID_MAP{.metaClass = &M::UUIDMapClass};
constexpr TypeRef UUID_MAP_ENTRY{.metaClass = &M::UUIDMapEntryClass};
constexpr TypeRef UUID_TO_UUID_MAP_ENTRY{.metaClass = &M::UUIDToUUIDMapEntryClass};

// ---- FullPathAPI ----------------------------------------------------------------------------

constexpr ArgumentEntry FULL_PATH_GET_COMPONENT_NAMES_ARGS[] = {
    {.handle = &M::FullPathAPI_getComponentNames_namedPath,
     .name = u"namedPath",
     .uuid = "3b79c793-275e-368a-81c6-393081faa735",
     .type = STRING_TYPE,
     .documentation = u"The named path: component names joined by single slashes."},
};
constexpr OperationEntry FULL_PATH_OPERATIONS[] = {
    operation<ops::GetComponentNames>(
        {.name = u"getComponentNames",
         .uuid = "261710f9-819b-3e44-aac7-a24bc6a8516f",
         .result = STRING_TYPE,
         .resultIsMany = true,
         .arguments = FULL_PATH_GET_COMPONENT_NAMES_ARGS,
         .documentation = u"Splits a named path at its single slashes into its component names; a "
                          u"doubled slash stands for a slash inside a name.",
         .returns = u"The component names, outermost first."}),
};

// ---- UUIDMap ------------------------------------------------------------------------------

constexpr PropertyEntry UUID_MAP_PROPERTIES[] = {
    {.handle = &M::UUIDMap_Pairs,
     .name = u"Pairs",
     .uuid = "9fdb23dd-9f7c-35a6-ac6e-bfbaeedbe0ed",
     .index = 1,
     .type = UUID_MAP_ENTRY,
     .valueFlags = korm::zero::ValueFlags(korm::zero::VALUE_UNIQUE_KEY | korm::zero::VALUE_KEYED),
     .containment = true,
     .qualifiedBy = &M::UUIDMapEntry_Key,
     .qualificationUnique = true,
     .documentation = u"The pairs of the map, one UUIDMapEntry per key, in ascending key order."},
};
constexpr ArgumentEntry UUID_MAP_INSERT_PAIR_ARGS[] = {
    {.handle = &M::UUIDMap_insertPair_key,
     .name = u"key",
     .uuid = "da9f2082-d3d3-3106-8040-bce675bd4ec9",
     .documentation = u"The key; no pair of the map may hold it yet."},
    {.handle = &M::UUIDMap_insertPair_value,
     .name = u"value",
     .uuid = "efc7765a-58e6-3dcb-a40b-dc862f87f5ef",
     .documentation = u"The value filed under the key."},
};
constexpr ArgumentEntry UUID_MAP_ERASE_PAIR_FOR_KEY_ARGS[] = {
    {.handle = &M::UUIDMap_erasePairForKey_key,
     .name = u"key",
     .uuid = "e8ca8509-0aac-3852-8616-5474b6bb3fca",
     .documentation = u"The key whose pair is removed."},
};
constexpr ArgumentEntry UUID_MAP_ERASE_PAIRS_FOR_VALUE_ARGS[] = {
    {.handle = &M::UUIDMap_erasePairsForValue_value,
     .name = u"value",
     .uuid = "51174ed0-babe-3d60-b0bf-1899cc7095ac",
     .documentation = u"The value whose pairs are removed."},
};
constexpr ArgumentEntry UUID_MAP_FIND_VALUE_FOR_KEY_ARGS[] = {
    {.handle = &M::UUIDMap_findValueForKey_key,
     .name = u"key",
     .uuid = "3a1ed9f8-872a-35ab-a52d-80d0721dafc1",
     .documentation = u"The key looked up."},
};
constexpr ArgumentEntry UUID_MAP_HAS_KEY_ARGS[] = {
    {.handle = &M::UUIDMap_hasKey_key,
     .name = u"key",
     .uuid = "56d5e095-b251-3432-ad08-de7ef146700c",
     .documentation = u"The key looked for."},
};
constexpr OperationEntry UUID_MAP_OPERATIONS[] = {
    operation<ops::MapInsertPair>(
        {.name = u"insertPair",
         .uuid = "16996457-6a1a-38ed-a13b-649a33f71dce",
         .arguments = UUID_MAP_INSERT_PAIR_ARGS,
         .documentation = u"Adds the pair key -> value. A key the map holds already is refused "
                          u"with UniquenessConstraint."}),
    operation<ops::MapErasePairForKey>(
        {.name = u"erasePairForKey",
         .uuid = "1bb2589d-c855-34de-98cf-57ca10301749",
         .arguments = UUID_MAP_ERASE_PAIR_FOR_KEY_ARGS,
         .documentation =
             u"Removes the pair of the key; nothing happens when the map holds none."}),
    operation<ops::MapErasePairsForValue>(
        {.name = u"erasePairsForValue",
         .uuid = "da8a080f-1c52-3186-9451-6275dc275d59",
         .arguments = UUID_MAP_ERASE_PAIRS_FOR_VALUE_ARGS,
         .documentation = u"Removes every pair whose value is the given one, whatever its key."}),
    operation<ops::MapFindValueForKey>(
        {.name = u"findValueForKey",
         .uuid = "785cdf72-2303-3f7a-9e40-b9e05b3ebf5a",
         .result = UUID_TYPE,
         .arguments = UUID_MAP_FIND_VALUE_FOR_KEY_ARGS,
         .documentation = u"Looks up the value filed under a key.",
         .returns = u"The value, or the nil UUID when the map holds no pair for the key."}),
    operation<ops::MapHasKey>({.name = u"hasKey",
                               .uuid = "edbe7d3d-dd37-36b0-8a24-d8e18e089b97",
                               .result = BOOLEAN_TYPE,
                               .arguments = UUID_MAP_HAS_KEY_ARGS,
                               .documentation = u"Tells whether the map holds a pair for a key.",
                               .returns = u"True when a pair has the key."}),
};

// ---- UUIDMapEntry -------------------------------------------------------------------------

constexpr PropertyEntry UUID_MAP_ENTRY_PROPERTIES[] = {
    {.handle = &M::UUIDMapEntry_Key,
     .name = u"Key",
     .uuid = "953a5cab-28a5-39b0-8ea8-280f0763c08d",
     .index = 1,
     .type = UUID_TYPE,
     .valueFlags = korm::zero::ValueFlags(korm::zero::VALUE_PLAIN),
     .orderedAndUnique = true,
     .noDefault = true,
     .qualificationUnique = true,
     .documentation = u"The key the entry is filed under in its map; the nil UUID until set. In a "
                      u"UUIDMap no other entry may hold the same key."},
    {.handle = &M::UUIDMapEntry_Value,
     .name = u"Value",
     .uuid = "7e402f0f-eca0-38cf-91f9-08e54e42a0b0",
     .index = 2,
     .type = UUID_TYPE,
     .valueFlags = korm::zero::ValueFlags(korm::zero::VALUE_PLAIN),
     .orderedAndUnique = true,
     .noDefault = true,
     .qualificationUnique = true,
     .documentation = u"The value of the pair; the nil UUID until set."},
};

// ---- UUIDMultiMap -------------------------------------------------------------------------

constexpr PropertyEntry UUID_MULTI_MAP_PROPERTIES[] = {
    {.handle = &M::UUIDMultiMap_Pairs,
     .name = u"Pairs",
     .uuid = "b1560f90-648b-3515-a506-508e08e7da35",
     .index = 1,
     .type = UUID_MAP_ENTRY,
     .valueFlags = korm::zero::ValueFlags(korm::zero::VALUE_PLAIN | korm::zero::VALUE_KEYED),
     .containment = true,
     .qualifiedBy = &M::UUIDMapEntry_Key,
     .documentation = u"The pairs of the map, one UUIDMapEntry per key and value; several entries "
                      u"may share a key."},
};
constexpr ArgumentEntry UUID_MULTI_MAP_INSERT_PAIR_ARGS[] = {
    {.handle = &M::UUIDMultiMap_insertPair_key,
     .name = u"key",
     .uuid = "9cbab7da-8d9e-35fa-ad4f-de7b00b17464",
     .documentation = u"The key the value is filed under."},
    {.handle = &M::UUIDMultiMap_insertPair_value,
     .name = u"value",
     .uuid = "581b3997-2eae-38d4-a7b7-8beb06772071",
     .documentation = u"The value added."},
};
constexpr ArgumentEntry UUID_MULTI_MAP_ERASE_PAIRS_FOR_KEY_ARGS[] = {
    {.handle = &M::UUIDMultiMap_erasePairsForKey_key,
     .name = u"key",
     .uuid = "41cebeb5-2b14-3efb-a620-cfc8b046a87c",
     .documentation = u"The key whose pairs are removed."},
};
constexpr ArgumentEntry UUID_MULTI_MAP_ERASE_PAIRS_KEY_AND_VALUE_ARGS[] = {
    {.handle = &M::UUIDMultiMap_erasePairsKeyAndValue_key,
     .name = u"key",
     .uuid = "68227c37-5f91-3ce2-8817-38c36f815a7a",
     .documentation = u"The key of the pair removed."},
    {.handle = &M::UUIDMultiMap_erasePairsKeyAndValue_value,
     .name = u"value",
     .uuid = "9126eac5-9ce8-3657-87dd-90166b4f1cd4",
     .documentation = u"The value of the pair removed."},
};
constexpr ArgumentEntry UUID_MULTI_MAP_ERASE_PAIRS_FOR_VALUE_ARGS[] = {
    {.handle = &M::UUIDMultiMap_erasePairsForValue_value,
     .name = u"value",
     .uuid = "eb131776-4d5c-3da9-9dfa-e96059e7d2f2",
     .documentation = u"The value whose pairs are removed."},
};
constexpr ArgumentEntry UUID_MULTI_MAP_FIND_VALUES_FOR_KEY_ARGS[] = {
    {.handle = &M::UUIDMultiMap_findValuesForKey_key,
     .name = u"key",
     .uuid = "5c28e2ca-51c8-3d8a-b719-48ad7ae395cc",
     .documentation = u"The key looked up."},
};
constexpr ArgumentEntry UUID_MULTI_MAP_HAS_KEY_ARGS[] = {
    {.handle = &M::UUIDMultiMap_hasKey_key,
     .name = u"key",
     .uuid = "880a1b6a-85e6-3c21-8487-efe4f2873fb9",
     .documentation = u"The key looked for."},
};
constexpr OperationEntry UUID_MULTI_MAP_OPERATIONS[] = {
    operation<ops::MultiInsertPair>(
        {.name = u"insertPair",
         .uuid = "85756a4c-876c-318a-8de1-27703d98c403",
         .arguments = UUID_MULTI_MAP_INSERT_PAIR_ARGS,
         .documentation = u"Adds the pair key -> value after the other values of the key; the same "
                          u"pair may be added more than once."}),
    operation<ops::MultiErasePairsForKey>(
        {.name = u"erasePairsForKey",
         .uuid = "2693ce3e-c7e7-3cdd-b9a3-08ed6530ebad",
         .arguments = UUID_MULTI_MAP_ERASE_PAIRS_FOR_KEY_ARGS,
         .documentation =
             u"Removes every pair of the key; nothing happens when the map holds none."}),
    operation<ops::MultiErasePairsKeyAndValue>(
        {.name = u"erasePairsKeyAndValue",
         .uuid = "82ce579f-0edd-3f40-8a0a-b258baa62e13",
         .arguments = UUID_MULTI_MAP_ERASE_PAIRS_KEY_AND_VALUE_ARGS,
         .documentation = u"Removes the first pair of the key, in filing order, whose value is "
                          u"the given one; later equal pairs stay."}),
    operation<ops::MultiErasePairsForValue>(
        {.name = u"erasePairsForValue",
         .uuid = "46d466f6-5a79-3707-8d74-067450b1b88e",
         .arguments = UUID_MULTI_MAP_ERASE_PAIRS_FOR_VALUE_ARGS,
         .documentation = u"Removes every pair whose value is the given one, under every key."}),
    operation<ops::MultiFindValuesForKey>(
        {.name = u"findValuesForKey",
         .uuid = "0575e493-f6ba-3f9c-950b-faa92089379a",
         .result = UUID_TYPE,
         .resultIsMany = true,
         .arguments = UUID_MULTI_MAP_FIND_VALUES_FOR_KEY_ARGS,
         .documentation = u"Looks up the values filed under a key.",
         .returns =
             u"The values of the key in the order they were inserted; empty when it has none."}),
    operation<ops::MultiHasKey>({.name = u"hasKey",
                                 .uuid = "dc9a5943-35dc-3a5d-8ff6-54a459e90882",
                                 .result = BOOLEAN_TYPE,
                                 .arguments = UUID_MULTI_MAP_HAS_KEY_ARGS,
                                 .documentation = u"Tells whether the map holds a pair for a key.",
                                 .returns = u"True when at least one pair has the key."}),
};

// ---- UUIDToUUIDMap ------------------------------------------------------------------------

constexpr PropertyEntry UUID_TO_UUID_MAP_PROPERTIES[] = {
    {.handle = &M::UUIDToUUIDMap_Pairs,
     .name = u"Pairs",
     .uuid = "8184ebc8-c55f-30b8-88d7-e859616d635f",
     .index = 1,
     .type = UUID_TO_UUID_MAP_ENTRY,
     .valueFlags = korm::zero::ValueFlags(korm::zero::VALUE_UNIQUE_KEY | korm::zero::VALUE_KEYED),
     .containment = true,
     .qualifiedBy = &M::UUIDToUUIDMapEntry_Key,
     .qualificationUnique = true,
     .documentation =
         u"The container keys of the map, one UUIDToUUIDMapEntry each, in ascending key order."},
};
constexpr ArgumentEntry UUID_TO_UUID_MAP_INSERT_PAIR_ARGS[] = {
    {.handle = &M::UUIDToUUIDMap_insertPair_containerKey,
     .name = u"containerKey",
     .uuid = "fc56b8b4-7d6b-351b-ab50-5c7c8edbcd8c",
     .documentation = u"The container key."},
    {.handle = &M::UUIDToUUIDMap_insertPair_subKey,
     .name = u"subKey",
     .uuid = "a63afa49-45b0-310c-aeed-362c449cde85",
     .documentation = u"The key within the inner map of the container key."},
    {.handle = &M::UUIDToUUIDMap_insertPair_value,
     .name = u"value",
     .uuid = "db097edb-791b-3f72-8f17-53e7faa1c315",
     .documentation = u"The value filed under the two keys."},
};
constexpr ArgumentEntry UUID_TO_UUID_MAP_ERASE_PAIR_FOR_KEY_ARGS[] = {
    {.handle = &M::UUIDToUUIDMap_erasePairForKey_containerKey,
     .name = u"containerKey",
     .uuid = "92961013-7a59-308e-8935-114c67d0f5ba",
     .documentation = u"The container key removed."},
};
constexpr ArgumentEntry UUID_TO_UUID_MAP_ERASE_PAIR_FOR_KEYS_ARGS[] = {
    {.handle = &M::UUIDToUUIDMap_erasePairForKeys_containerKey,
     .name = u"containerKey",
     .uuid = "427958a7-185f-3947-9ef7-16254cf0bea1",
     .documentation = u"The container key of the pair removed."},
    {.handle = &M::UUIDToUUIDMap_erasePairForKeys_subKey,
     .name = u"subKey",
     .uuid = "f2bf8317-121e-39cc-ab60-82e91315ae09",
     .documentation = u"The sub key of the pair removed."},
};
constexpr ArgumentEntry UUID_TO_UUID_MAP_FIND_VALUE_FOR_KEY_ARGS[] = {
    {.handle = &M::UUIDToUUIDMap_findValueForKey_containerKey,
     .name = u"containerKey",
     .uuid = "f14a7589-18f6-3369-8b82-60f75e7f91d0",
     .documentation = u"The container key looked up."},
};
constexpr ArgumentEntry UUID_TO_UUID_MAP_FIND_VALUES_WITH_SUB_KEY_ARGS[] = {
    {.handle = &M::UUIDToUUIDMap_findValuesWithSubKey_subKey,
     .name = u"subKey",
     .uuid = "dc7e66d4-a1a4-3b7a-be97-2aadbb54b7db",
     .documentation = u"The sub key looked up in every inner map."},
};
constexpr ArgumentEntry UUID_TO_UUID_MAP_FIND_VALUE_FOR_KEYS_ARGS[] = {
    {.handle = &M::UUIDToUUIDMap_findValueForKeys_containerKey,
     .name = u"containerKey",
     .uuid = "9ad7efb1-e8e4-36bd-85a8-ca92579d5d2f",
     .documentation = u"The container key looked up."},
    {.handle = &M::UUIDToUUIDMap_findValueForKeys_subKey,
     .name = u"subKey",
     .uuid = "8a6faa40-3fe2-3c0e-8c56-037ea6c73904",
     .documentation = u"The sub key looked up in its inner map."},
};
constexpr ArgumentEntry UUID_TO_UUID_MAP_HAS_KEY_ARGS[] = {
    {.handle = &M::UUIDToUUIDMap_hasKey_containerKey,
     .name = u"containerKey",
     .uuid = "10a25758-479f-33cc-8019-486cab8e52ad",
     .documentation = u"The container key looked for."},
};
constexpr OperationEntry UUID_TO_UUID_MAP_OPERATIONS[] = {
    operation<ops::TwoLevelInsertPair>(
        {.name = u"insertPair",
         .uuid = "e4dc5e12-dfe5-3309-9597-adc46b29494d",
         .arguments = UUID_TO_UUID_MAP_INSERT_PAIR_ARGS,
         .documentation = u"Files a value under a sub key of a container key, creating the inner "
                          u"map of the container key when it has none. A sub key the container key "
                          u"holds already is refused with UniquenessConstraint."}),
    operation<ops::TwoLevelErasePairForKey>(
        {.name = u"erasePairForKey",
         .uuid = "1a76d337-0a8d-33c0-8681-5a03c6b23b9f",
         .arguments = UUID_TO_UUID_MAP_ERASE_PAIR_FOR_KEY_ARGS,
         .documentation = u"Removes a container key with its inner map and all its pairs; nothing "
                          u"happens when the map holds no such key."}),
    operation<ops::TwoLevelErasePairForKeys>(
        {.name = u"erasePairForKeys",
         .uuid = "de233a9c-3f73-3810-96e3-e100494b3bd5",
         .arguments = UUID_TO_UUID_MAP_ERASE_PAIR_FOR_KEYS_ARGS,
         .documentation = u"Removes the pair of a sub key under a container key; the container key "
                          u"goes too when that was its last pair."}),
    operation<ops::TwoLevelFindValueForKey>(
        {.name = u"findValueForKey",
         .uuid = "e07bf6bf-9e17-3d1b-b3a2-760783bd0242",
         .result = UUID_MAP,
         .arguments = UUID_TO_UUID_MAP_FIND_VALUE_FOR_KEY_ARGS,
         .documentation = u"Looks up the inner map of a container key.",
         .returns = u"The inner UUIDMap, or none when the map holds no such container key."}),
    operation<ops::TwoLevelFindValuesWithSubKey>(
        {.name = u"findValuesWithSubKey",
         .uuid = "27ac633d-0a41-3576-8e32-ec0d412b88ec",
         .result = UUID_TYPE,
         .resultIsMany = true,
         .arguments = UUID_TO_UUID_MAP_FIND_VALUES_WITH_SUB_KEY_ARGS,
         .documentation =
             u"Looks up the values filed under a sub key in the inner maps of all container keys.",
         .returns = u"The values, in ascending order of their container keys; container keys "
                    u"without the sub key are left out."}),
    operation<ops::TwoLevelFindValueForKeys>(
        {.name = u"findValueForKeys",
         .uuid = "a24a0d83-cce1-3972-842c-435ca4133d59",
         .result = UUID_TYPE,
         .arguments = UUID_TO_UUID_MAP_FIND_VALUE_FOR_KEYS_ARGS,
         .documentation = u"Looks up the value filed under a container key and a sub key.",
         .returns = u"The value, or the nil UUID when there is none."}),
    operation<ops::TwoLevelHasKey>(
        {.name = u"hasKey",
         .uuid = "d19087d1-c93c-3abc-a44c-ec8a33a942ab",
         .result = BOOLEAN_TYPE,
         .arguments = UUID_TO_UUID_MAP_HAS_KEY_ARGS,
         .documentation = u"Tells whether the map holds a container key.",
         .returns = u"True when the map holds the container key."}),
};

// ---- UUIDToUUIDMapEntry -------------------------------------------------------------------

constexpr PropertyEntry UUID_TO_UUID_MAP_ENTRY_PROPERTIES[] = {
    {.handle = &M::UUIDToUUIDMapEntry_Key,
     .name = u"Key",
     .uuid = "b7bd2cfb-6a21-3ad8-bb4e-cd618f315798",
     .index = 1,
     .type = UUID_TYPE,
     .valueFlags = korm::zero::ValueFlags(korm::zero::VALUE_PLAIN),
     .orderedAndUnique = true,
     .noDefault = true,
     .qualificationUnique = true,
     .documentation = u"The container key the entry is filed under; no other entry of its map may "
                      u"hold the same key."},
    {.handle = &M::UUIDToUUIDMapEntry_Value,
     .name = u"Value",
     .uuid = "bc0f7341-3d4e-3ae9-9b2d-96d8d1246e64",
     .index = 2,
     .type = UUID_MAP,
     .valueFlags = korm::zero::ValueFlags(korm::zero::VALUE_PLAIN),
     .containment = true,
     .orderedAndUnique = true,
     .qualificationUnique = true,
     .documentation = u"The inner UUIDMap from sub keys to values, owned by the entry; none until "
                      u"one is set or created."},
};

// ---- classes ------------------------------------------------------------------------------

constexpr ClassEntry CLASS_ENTRIES[] = {
    {.handle = &M::FullPathAPIClass,
     .name = u"FullPathAPI",
     .qualifiedName = "arvex.utilities.FullPathAPI",
     .nativeName = "arvex::utilities::FullPathAPI",
     .uuid = "d5755711-042c-3b49-a03c-c193aa06845d",
     .properties = {},
     .operations = FULL_PATH_OPERATIONS,
     .collectionFactory = &korm::zero::createElementCollection<FullPathAPI>,
     .builderFactory = &FullPathAPI::Builder::newBuilder,
     .documentation = u"Functions over named paths: paths of component names joined by single "
                      u"slashes, in which a doubled slash stands for a slash inside a name."},
    {.handle = &M::UUIDMapClass,
     .name = u"UUIDMap",
     .qualifiedName = "arvex.utilities.UUIDMap",
     .nativeName = "arvex::utilities::UUIDMap",
     .uuid = "4fb5b94b-3d9b-3028-9e0b-2c091234bda6",
     .properties = UUID_MAP_PROPERTIES,
     .operations = UUID_MAP_OPERATIONS,
     .collectionFactory = &korm::zero::createElementCollection<UUIDMap>,
     .builderFactory = &UUIDMap::Builder::newBuilder,
     .documentation =
         u"A map from UUID keys to UUID values, one value per key, kept in a model: its pairs are "
         u"saved, undone and redone with the model. Each pair is a UUIDMapEntry held in Pairs."},
    {.handle = &M::UUIDMapEntryClass,
     .name = u"UUIDMapEntry",
     .qualifiedName = "arvex.utilities.UUIDMapEntry",
     .nativeName = "arvex::utilities::UUIDMapEntry",
     .uuid = "22458ff3-1ac9-3e78-ac3b-02e84d375bea",
     .properties = UUID_MAP_ENTRY_PROPERTIES,
     .operations = {},
     .collectionFactory = &korm::zero::createElementCollection<UUIDMapEntry>,
     .builderFactory = &UUIDMapEntry::Builder::newBuilder,
     .documentation = u"One key/value pair of a UUIDMap or a UUIDMultiMap."},
    {.handle = &M::UUIDMultiMapClass,
     .name = u"UUIDMultiMap",
     .qualifiedName = "arvex.utilities.UUIDMultiMap",
     .nativeName = "arvex::utilities::UUIDMultiMap",
     .uuid = "1c8913c7-e321-3d27-9043-1e8b68918fc8",
     .properties = UUID_MULTI_MAP_PROPERTIES,
     .operations = UUID_MULTI_MAP_OPERATIONS,
     .collectionFactory = &korm::zero::createElementCollection<UUIDMultiMap>,
     .builderFactory = &UUIDMultiMap::Builder::newBuilder,
     .documentation = u"A map from UUID keys to any number of UUID values per key, kept in a "
                      u"model; the values of a key keep the order in which they were inserted."},
    {.handle = &M::UUIDToUUIDMapClass,
     .name = u"UUIDToUUIDMap",
     .qualifiedName = "arvex.utilities.UUIDToUUIDMap",
     .nativeName = "arvex::utilities::UUIDToUUIDMap",
     .uuid = "4a43eb33-b1a3-3973-b25a-b1638e11e90c",
     .properties = UUID_TO_UUID_MAP_PROPERTIES,
     .operations = UUID_TO_UUID_MAP_OPERATIONS,
     .collectionFactory = &korm::zero::createElementCollection<UUIDToUUIDMap>,
     .builderFactory = &UUIDToUUIDMap::Builder::newBuilder,
     .documentation = u"A two-level map kept in a model: a UUID container key leads to an inner "
                      u"UUIDMap from sub keys to values."},
    {.handle = &M::UUIDToUUIDMapEntryClass,
     .name = u"UUIDToUUIDMapEntry",
     .qualifiedName = "arvex.utilities.UUIDToUUIDMapEntry",
     .nativeName = "arvex::utilities::UUIDToUUIDMapEntry",
     .uuid = "1aaefe7b-cf19-3815-be35-291bb6463c34",
     .properties = UUID_TO_UUID_MAP_ENTRY_PROPERTIES,
     .operations = {},
     .collectionFactory = &korm::zero::createElementCollection<UUIDToUUIDMapEntry>,
     .builderFactory = &UUIDToUUIDMapEntry::Builder::newBuilder,
     .documentation = u"One container key of a UUIDToUUIDMap and the inner UUIDMap it leads to."},
};

/// The number of handles the rows fill: three packages, and every class, property, operation
/// and argument.
constexpr std::size_t countHandles() {
    std::size_t count = 3;
    for (ClassEntry const& type : CLASS_ENTRIES) {
        count += 1 + type.properties.size() + type.operations.size();
        for (OperationEntry const& operation : type.operations) {
            count += operation.arguments.size();
        }
    }
    return count;
}
static_assert(countHandles() == MetaPackage::HANDLE_COUNT,
              "the meta-package's handle count and its table's rows agree");

}  // namespace

char const* const ROOT_PACKAGE_UUID = "2c5f6bad-2653-3866-8b49-6862a8bd81e1";
PackageEntry const ROOT_PACKAGE{&M::rootPackage, u"", u"/korm0/arvex_utilities/V3"};
PackageEntry const ARVEX_PACKAGE{&M::arvexPackage, u"arvex", u"/korm0/arvex_utilities/V3/arvex"};
PackageEntry const UTILITIES_PACKAGE{&M::utilitiesPackage, u"utilities",
                                     u"/korm0/arvex_utilities/V3/arvex.utilities"};
std::span<ClassEntry const> const CLASSES{CLASS_ENTRIES};

OperationRow findOperation(kmeta::Operation MetaPackage::*handle) {
    for (ClassEntry const& type : CLASSES) {
        for (OperationEntry const& operation : type.operations) {
            if (operation.handle == handle) {
                return {type, operation};
            }
        }
    }
    throw std::logic_error("the meta-package's table has no row for this operation");
}

}  // namespace arvex::utilities::meta_table
