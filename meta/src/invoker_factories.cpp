// One invoker type per operation signature and class, spelled out so that each line can be
// checked against the operation it serves.

#include "invoker_factories.hpp"

#include <boost/uuid/uuid.hpp>
#include <memory>

#include "arvex/utilities/meta/invokers.hpp"
#include "arvex/utilities/uuid_map.hpp"
#include "arvex/utilities/uuid_map_value.hpp"

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

}  // namespace arvex::utilities::meta_table::invokers
