// The library's maps in model files: pairs, a multimap's filing order per key, a two-level
// map's inner maps and proxies come back as they were saved.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <initializer_list>
#include <random>
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

/// A directory of the test's own, removed at the end.
class TempDir {
  public:
    explicit TempDir(char const* name)
        : m_path(fs::temp_directory_path() / (name + std::to_string(getpid()))) {
        fs::create_directories(m_path);
    }
    TempDir(TempDir const&) = delete;
    TempDir& operator=(TempDir const&) = delete;
    ~TempDir() { fs::remove_all(m_path); }
    std::string file(char const* name) const { return (m_path / name).string(); }

  private:
    fs::path m_path;
};

// The three maps of the incremental-save models, found again by UUID after opening.
UUIDMap::Impl* mapIn(kz::Model const& model) {
    return dynamic_cast<UUIDMap::Impl*>(model.findElement(id(200)).getImpl());
}
UUIDMultiMap::Impl* multiMapIn(kz::Model const& model) {
    return dynamic_cast<UUIDMultiMap::Impl*>(model.findElement(id(201)).getImpl());
}
UUIDToUUIDMap::Impl* twoLevelMapIn(kz::Model const& model) {
    return dynamic_cast<UUIDToUUIDMap::Impl*>(model.findElement(id(202)).getImpl());
}

kz::Model makeMaps(std::u16string const& name) {
    kz::Model model = kz::Model::create(name);
    auto transaction = model.beginTransaction();
    UUIDMap::create(model, id(200));
    UUIDMultiMap::create(model, id(201));
    UUIDToUUIDMap::create(model, id(202));
    transaction.commit();
    return model;
}

/// An entry filed in the multimap, picked by `pick`, or null.
UUIDMapEntry::Impl* someMultiMapEntry(kz::Model const& model, std::size_t pick) {
    std::vector<UUIDMapEntry::Impl*> entries;
    for (auto const& element : model->getElements()) {
        auto* entry = dynamic_cast<UUIDMapEntry::Impl*>(element.getImpl());
        if (entry != nullptr && entry->basicContainer() == multiMapIn(model)) {
            entries.push_back(entry);
        }
    }
    return entries.empty() ? nullptr : entries[pick % entries.size()];
}

/// One random change of the maps: few keys, so that multimap groups grow, shrink in the
/// middle and take re-keyed entries; undo and redo now and then.
void changeAtRandom(kz::Model const& model, std::mt19937& random) {
    auto const pick = [&](int n) { return static_cast<std::uint8_t>(random() % n); };
    std::uint8_t const k = pick(4) + 1;
    std::uint8_t const v = pick(6) + 10;
    switch (pick(9)) {
        case 0:
            if (!mapIn(model)->hasKey(id(k))) {
                mapIn(model)->insertPair(id(k), id(v));
            }
            break;
        case 1:
            mapIn(model)->erasePairForKey(id(k));
            break;
        case 2:
        case 3:
            multiMapIn(model)->insertPair(id(k), id(v));
            break;
        case 4:
            multiMapIn(model)->erasePairsKeyAndValue(id(k), id(v));
            break;
        case 5:
            if (auto* entry = someMultiMapEntry(model, random())) {
                entry->setKey(id(k));
            }
            break;
        case 6:
            if (twoLevelMapIn(model)->findValueForKeys(id(k), id(v)).is_nil()) {
                twoLevelMapIn(model)->insertPair(id(k), id(v), id(v));
            }
            break;
        case 7:
            model.undo();
            break;
        default:
            model.redo();
            break;
    }
}

TEST(ModelFileTest, IncrementalSavesGiveBackWhatWasSaved) {
    TempDir const dir("maps-incremental-test-");
    std::string const path = dir.file("maps.model");
    std::mt19937 random(20261207);
    kz::Model model = makeMaps(u"mf-incremental");
    {
        // Ballast, so that a batch's few changes are saved as changes, not as a whole.
        auto transaction = model.beginTransaction();
        for (std::uint8_t k = 100; k < 180; ++k) {
            mapIn(model)->insertPair(id(k), id(k));
            multiMapIn(model)->insertPair(id(k), id(k));
        }
        transaction.commit();
    }
    model.save(path);
    for (int cycle = 0; cycle < 12; ++cycle) {
        for (int batch = 0; batch < 5; ++batch) {
            for (int step = 0; step < 4; ++step) {
                changeAtRandom(model, random);
            }
            model.save();
            EXPECT_FALSE(model.hasUnsavedChanges());
        }
        std::string const saved = contentsOf(model);
        changeAtRandom(model, random);  // unsaved: lost with the model
        model = kz::Model();
        model = kz::Model::open(path);
        ASSERT_EQ(contentsOf(model), saved) << "cycle " << cycle;
    }
}

TEST(ModelFileTest, ASaveRewritesOnlyWhatChangedAndUndoCountsAsAChange) {
    TempDir const dir("maps-unsaved-test-");
    kz::Model const model = makeMaps(u"mf-unsaved");
    EXPECT_TRUE(model.hasUnsavedChanges()) << "created, never saved";
    {
        auto transaction = model.beginTransaction();
        for (int k = 0; k < 2000; ++k) {
            mapIn(model)->insertPair(kz::ElementImpl::generateNewUuid(), id(1));
        }
        for (std::uint8_t v : {1, 2, 3}) {
            multiMapIn(model)->insertPair(id(7), id(v));
        }
        transaction.commit();
    }
    model.save(dir.file("big.model"));
    EXPECT_FALSE(model.hasUnsavedChanges());
    EXPECT_EQ(model->getUnsavedElementCount(), 0U);

    // A lone insert: the map and its new pair; nothing else of the 2000 pairs.
    mapIn(model)->insertPair(id(1), id(2));
    EXPECT_TRUE(model.hasUnsavedChanges());
    EXPECT_EQ(model->getUnsavedElementCount(), 2U);
    model.save();
    EXPECT_EQ(model->getUnsavedElementCount(), 0U);

    // Erasing the middle of a key group: the multimap and the erased pair.
    multiMapIn(model)->erasePairsKeyAndValue(id(7), id(2));
    EXPECT_EQ(model->getUnsavedElementCount(), 2U);
    model.save();
    model.undo();
    EXPECT_TRUE(model.hasUnsavedChanges()) << "undo changes the saved model";
    EXPECT_EQ(model->getUnsavedElementCount(), 2U);
    model.save();
    EXPECT_FALSE(model.hasUnsavedChanges());
}

}  // namespace
}  // namespace arvex::utilities::test
