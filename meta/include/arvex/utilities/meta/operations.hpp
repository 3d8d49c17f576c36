#pragma once

// The model operations of the library, one line each: the meta object that describes the
// operation (a handle of the meta-package, whose row in the meta-package's table gives its
// name, identity, result and arguments) bound to the C++ function that carries it out. The
// reflective invoker and the host method of each operation are made from its binding.
//
// Adding an operation: its C++ function, its row in the table, and its line here.

#include "arvex/utilities/full_path_api.hpp"
#include "arvex/utilities/meta/meta_package.hpp"
#include "arvex/utilities/meta/operation_binding.hpp"
#include "arvex/utilities/uuid_map.hpp"
#include "arvex/utilities/uuid_multi_map.hpp"
#include "arvex/utilities/uuid_to_uuid_map.hpp"

namespace arvex::utilities::operations {

using M = MetaPackageArvex_utilities;
template <korm::zero::meta::Operation M::*Handle, auto Function>
using Bind = meta_table::OperationBinding<Handle, Function>;

using Map = UUIDMap::Impl;
using Multi = UUIDMultiMap::Impl;
using TwoLevel = UUIDToUUIDMap::Impl;

// clang-format off
using GetComponentNames =     Bind<&M::FullPathAPI_getComponentNames,     &FullPathAPI::getComponentNames>;

using MapInsertPair =         Bind<&M::UUIDMap_insertPair,                &Map::insertPair>;
using MapErasePairForKey =    Bind<&M::UUIDMap_erasePairForKey,           &Map::erasePairForKey>;
using MapErasePairsForValue = Bind<&M::UUIDMap_erasePairsForValue,        &Map::erasePairsForValue>;
using MapFindValueForKey =    Bind<&M::UUIDMap_findValueForKey,           &Map::findValueForKey>;
using MapHasKey =             Bind<&M::UUIDMap_hasKey,                    &Map::hasKey>;

using MultiInsertPair =       Bind<&M::UUIDMultiMap_insertPair,           &Multi::insertPair>;
using MultiErasePairsForKey = Bind<&M::UUIDMultiMap_erasePairsForKey,     &Multi::erasePairsForKey>;
using MultiErasePairsKeyAndValue =
                              Bind<&M::UUIDMultiMap_erasePairsKeyAndValue, &Multi::erasePairsKeyAndValue>;
using MultiErasePairsForValue = Bind<&M::UUIDMultiMap_erasePairsForValue, &Multi::erasePairsForValue>;
using MultiFindValuesForKey = Bind<&M::UUIDMultiMap_findValuesForKey,     &Multi::findValuesForKey>;
using MultiHasKey =           Bind<&M::UUIDMultiMap_hasKey,               &Multi::hasKey>;

using TwoLevelInsertPair =    Bind<&M::UUIDToUUIDMap_insertPair,          &TwoLevel::insertPair>;
using TwoLevelErasePairForKey = Bind<&M::UUIDToUUIDMap_erasePairForKey,   &TwoLevel::erasePairForKey>;
using TwoLevelErasePairForKeys = Bind<&M::UUIDToUUIDMap_erasePairForKeys, &TwoLevel::erasePairForKeys>;
using TwoLevelFindValueForKey = Bind<&M::UUIDToUUIDMap_findValueForKey,   &TwoLevel::findValueForKey>;
using TwoLevelFindValuesWithSubKey =
                              Bind<&M::UUIDToUUIDMap_findValuesWithSubKey, &TwoLevel::findValuesWithSubKey>;
using TwoLevelFindValueForKeys = Bind<&M::UUIDToUUIDMap_findValueForKeys, &TwoLevel::findValueForKeys>;
using TwoLevelHasKey =        Bind<&M::UUIDToUUIDMap_hasKey,              &TwoLevel::hasKey>;
// clang-format on

}  // namespace arvex::utilities::operations
