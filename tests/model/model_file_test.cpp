// The library's maps in model files: pairs, a multimap's filing order per key, a two-level
// map's inner maps and proxies come back as they were saved.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <initializer_list>
#include <tuple>
#include <utility>
#include <vector>

#include "../faults/model_dump.hpp"
#include "model_test_support.hpp"

namespace arvex::utilities::test {
namespace {

namespace fs = std::filesystem;
namespace kz = korm::zero;

/// The dump without its last line (live count, undo and redo depths): an opened model has
/// no history.
std::string contentsOf(kz::Model const& model) {
    std::string text = faults::dumpModel(model);
    text.erase(text.rfind("live "));
    return text;
}

TEST(ModelFileTest, MapsKeepTheirPairsFilingOrderInnerMapsAndProxies) {
    fs::path const dir = fs::temp_directory_path() / ("maps-file-test-" + std::to_string(getpid()));
    fs::create_directories(dir);
    std::string const path = (dir / "maps.model").string();
    std::string before;
    {
        kz::Model model = kz::Model::create(u"mf-maps");
        auto transaction = model.beginTransaction();
        UUIDMap const map = UUIDMap::create(model);
        for (std::uint8_t k : {4, 1, 3}) {
            map->insertPair(id(k), id(k + 10));
        }
        UUIDMultiMap const multi = UUIDMultiMap::create(model);
        for (auto [k, v] : std::initializer_list<std::pair<int, int>>{
                 {2, 30}, {1, 10}, {2, 10}, {2, 20}, {1, 5}}) {
            multi->insertPair(id(k), id(v));
        }
        UUIDToUUIDMap const twoLevel = UUIDToUUIDMap::create(model);
        for (auto [c, s, v] :
             std::initializer_list<std::tuple<int, int, int>>{{5, 2, 20}, {5, 1, 10}, {6, 1, 11}}) {
            twoLevel->insertPair(id(c), id(s), id(v));
        }
        // A proxy entry standing for an entry that is not loaded (pairs, a containment,
        // take no proxy into another model).
        UUIDMapEntry const proxy = kz::createProxy<UUIDMapEntry>(
            model, kz::ProxyId::forElement(id(99), UUIDMapEntry::metaClass()->getUuid()));
        kz::ModelElement::Impl::_basicAddWithProxy(map->getPairsMutable(), proxy);
        transaction.commit();
        before = contentsOf(model);
        model.save(path);
    }

    ASSERT_NE(before.find("proxy("), std::string::npos) << "the dump shows the proxy entry";
    kz::Model const opened = kz::Model::open(path);
    EXPECT_EQ(contentsOf(opened), before);
    EXPECT_FALSE(opened.canUndo());
    for (auto const& element : opened->getElements()) {
        if (auto const* multi = dynamic_cast<UUIDMultiMap::Impl const*>(element.getImpl())) {
            EXPECT_EQ(multi->findValuesForKey(id(2)),
                      (std::vector<boost::uuids::uuid>{id(30), id(10), id(20)}))
                << "filing order per key";
        }
    }
    fs::remove_all(dir);
}

}  // namespace
}  // namespace arvex::utilities::test
