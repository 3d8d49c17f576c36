// One invoker type per operation signature and class, spelled out so that each line can be
// checked against the operation it serves.

#include "invoker_factories.hpp"

#include <boost/uuid/uuid.hpp>
#include <memory>

#include "arvex/utilities/meta/invokers.hpp"
#include "arvex/utilities/uuid_map.hpp"
#include "arvex/utilities/uuid_map_value.hpp"
#include "arvex/utilities/uuid_multi_map.hpp"
#include "arvex/utilities/uuid_to_uuid_map.hpp"

namespace arvex::utilities::meta_table::invokers {

namespace {

using U = boost::uuids::uuid const&;
using boost::uuids::uuid;

template <class I>
Made make(kmeta::Operation const& operation, typename I::Member member) {
    return std::make_unique<I>(operation, member);
}

}  // namespace

Made uuidMapInsertPair(kmeta::Operation const& operation) {
    return make<kmeta::Invoker<void, UUIDMap, U, U>>(operation, &UUIDMap::Impl::insertPair);
}
Made uuidMapErasePairForKey(kmeta::Operation const& operation) {
    return make<kmeta::Invoker<void, UUIDMap, U>>(operation, &UUIDMap::Impl::erasePairForKey);
}
Made uuidMapErasePairsForValue(kmeta::Operation const& operation) {
    return make<kmeta::Invoker<void, UUIDMap, U>>(operation, &UUIDMap::Impl::erasePairsForValue);
}
Made uuidMapFindValueForKey(kmeta::Operation const& operation) {
    return make<kmeta::ConstInvoker<uuid, UUIDMap, U>>(operation, &UUIDMap::Impl::findValueForKey);
}
Made uuidMapHasKey(kmeta::Operation const& operation) {
    return make<kmeta::ConstInvoker<bool, UUIDMap, U>>(operation, &UUIDMap::Impl::hasKey);
}

using Multi = UUIDMultiMap::Impl;

Made uuidMultiMapInsertPair(kmeta::Operation const& operation) {
    return make<kmeta::Invoker<void, UUIDMultiMap, U, U>>(operation, &Multi::insertPair);
}
Made uuidMultiMapErasePairsForKey(kmeta::Operation const& operation) {
    return make<kmeta::Invoker<void, UUIDMultiMap, U>>(operation, &Multi::erasePairsForKey);
}
Made uuidMultiMapErasePairsKeyAndValue(kmeta::Operation const& operation) {
    return make<kmeta::Invoker<void, UUIDMultiMap, U, U>>(operation, &Multi::erasePairsKeyAndValue);
}
Made uuidMultiMapErasePairsForValue(kmeta::Operation const& operation) {
    return make<kmeta::Invoker<void, UUIDMultiMap, U>>(operation, &Multi::erasePairsForValue);
}
Made uuidMultiMapFindValuesForKey(kmeta::Operation const& operation) {
    return make<kmeta::ConstInvoker<UUIDVector, UUIDMultiMap, U>>(operation,
                                                                  &Multi::findValuesForKey);
}
Made uuidMultiMapHasKey(kmeta::Operation const& operation) {
    return make<kmeta::ConstInvoker<bool, UUIDMultiMap, U>>(operation, &Multi::hasKey);
}

using TwoLevel = UUIDToUUIDMap::Impl;

Made uuidToUUIDMapInsertPair(kmeta::Operation const& operation) {
    return make<kmeta::Invoker<void, UUIDToUUIDMap, U, U, U>>(operation, &TwoLevel::insertPair);
}
Made uuidToUUIDMapErasePairForKey(kmeta::Operation const& operation) {
    return make<kmeta::Invoker<void, UUIDToUUIDMap, U>>(operation, &TwoLevel::erasePairForKey);
}
Made uuidToUUIDMapErasePairForKeys(kmeta::Operation const& operation) {
    return make<kmeta::Invoker<void, UUIDToUUIDMap, U, U>>(operation, &TwoLevel::erasePairForKeys);
}
Made uuidToUUIDMapFindValueForKey(kmeta::Operation const& operation) {
    return make<kmeta::ConstInvoker<UUIDMap, UUIDToUUIDMap, U>>(operation,
                                                                &TwoLevel::findValueForKey);
}
Made uuidToUUIDMapFindValuesWithSubKey(kmeta::Operation const& operation) {
    return make<kmeta::ConstInvoker<UUIDVector, UUIDToUUIDMap, U>>(operation,
                                                                   &TwoLevel::findValuesWithSubKey);
}
Made uuidToUUIDMapFindValueForKeys(kmeta::Operation const& operation) {
    return make<kmeta::ConstInvoker<uuid, UUIDToUUIDMap, U, U>>(operation,
                                                                &TwoLevel::findValueForKeys);
}
Made uuidToUUIDMapHasKey(kmeta::Operation const& operation) {
    return make<kmeta::ConstInvoker<bool, UUIDToUUIDMap, U>>(operation, &TwoLevel::hasKey);
}

}  // namespace arvex::utilities::meta_table::invokers
