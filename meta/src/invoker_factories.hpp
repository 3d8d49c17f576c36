#pragma once

// The functions that make the reflective invoker of each non-static model operation; the
// operation table names them, the build calls each once.

#include "meta_package_table.hpp"

namespace arvex::utilities::meta_table::invokers {

using Made = std::unique_ptr<kmeta::AbstractMethodInvoker>;

Made uuidMapInsertPair(kmeta::Operation const& operation);
Made uuidMapErasePairForKey(kmeta::Operation const& operation);
Made uuidMapErasePairsForValue(kmeta::Operation const& operation);
Made uuidMapFindValueForKey(kmeta::Operation const& operation);
Made uuidMapHasKey(kmeta::Operation const& operation);

Made uuidMultiMapInsertPair(kmeta::Operation const& operation);
Made uuidMultiMapErasePairsForKey(kmeta::Operation const& operation);
Made uuidMultiMapErasePairsKeyAndValue(kmeta::Operation const& operation);
Made uuidMultiMapErasePairsForValue(kmeta::Operation const& operation);
Made uuidMultiMapFindValuesForKey(kmeta::Operation const& operation);
Made uuidMultiMapHasKey(kmeta::Operation const& operation);

Made uuidToUUIDMapInsertPair(kmeta::Operation const& operation);
Made uuidToUUIDMapErasePairForKey(kmeta::Operation const& operation);
Made uuidToUUIDMapErasePairForKeys(kmeta::Operation const& operation);
Made uuidToUUIDMapFindValueForKey(kmeta::Operation const& operation);
Made uuidToUUIDMapFindValuesWithSubKey(kmeta::Operation const& operation);
Made uuidToUUIDMapFindValueForKeys(kmeta::Operation const& operation);
Made uuidToUUIDMapHasKey(kmeta::Operation const& operation);

}  // namespace arvex::utilities::meta_table::invokers
