#include "model_test_support.hpp"

namespace arvex::utilities::test {

boost::uuids::uuid id(std::uint8_t n) {
    boost::uuids::uuid u{};
    u.data[15] = n;
    return u;
}

std::string pairsOf(UUIDMap const& map) {
    std::string out;
    for (auto const& [key, entry] : UUIDMap::Impl::entriesOf(map->peekPairs())) {
        out += std::to_string(key.data[15]) + ":" + std::to_string(entry->getValue().data[15]) +
               (entry ? " " : "* ");
    }
    return out;
}

UUIDMapEntry proxyFor(korm::zero::Model const& model, korm::zero::ModelElement const& target) {
    boost::uuids::uuid const classId = UUIDMapEntry::metaClass()->getUuid();
    return korm::zero::createProxy<UUIDMapEntry>(
        model, korm::zero::ProxyId::forElement(target->getUuid(), classId));
}

}  // namespace arvex::utilities::test
