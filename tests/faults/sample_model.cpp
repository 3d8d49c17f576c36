#include "sample_model.hpp"

#include <boost/uuid/nil_generator.hpp>

namespace faults {

namespace au = arvex::utilities;

boost::uuids::uuid id(std::uint8_t n) {
    boost::uuids::uuid u{};
    u.data[15] = n;
    return u;
}

Sample::Sample() : model(korm::zero::Model::create(u"faults")) {
    {
        korm::zero::Transaction transaction = model.beginTransaction();
        map = au::UUIDMap::create(model);
        multi = au::UUIDMultiMap::create(model);
        twoLevel = au::UUIDToUUIDMap::create(model);
        for (auto [key, value] : {std::pair{1, 11}, {2, 12}, {3, 11}}) {
            map->insertPair(id(key), id(value));
        }
        for (auto [key, value] : {std::pair{1, 11}, {1, 12}, {2, 12}, {1, 11}}) {
            multi->insertPair(id(key), id(value));
        }
        for (auto [container, sub, value] : {std::tuple{5, 1, 21}, {5, 2, 22}, {6, 1, 23}}) {
            twoLevel->insertPair(id(container), id(sub), id(value));
        }
        // A proxy entry whose target is nowhere: every access to the pairs tries to resolve it.
        map->getPairsMutable().insert(
            korm::zero::createProxy<au::UUIDMapEntry>(
                model,
                korm::zero::ProxyId::forElement(id(99), au::UUIDMapEntry::metaClass()->getUuid())),
            korm::zero::CollisionResolution::REPORT);
        transaction.commit();
    }
    korm::zero::Transaction transaction = model.beginTransaction();
    map->erasePairForKey(id(2));
    map->peekEntry(id(3))->setKey(id(4));
    multi->insertPair(id(1), id(13));
    twoLevel->insertPair(id(7), id(2), id(24));
    transaction.commit();
}

}  // namespace faults
