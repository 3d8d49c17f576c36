// The collection views: named after the collection's kind, live, and holding their owner.

#include <boost/lexical_cast.hpp>
#include <boost/uuid/uuid_io.hpp>
#include <map>

#include "korm/zero/meta/standard_types.hpp"

#include "zi_test_support.hpp"

namespace zi_test {
namespace {

using boost::uuids::uuid;
using korm::zero::test::Holder;
using korm::zero::test::Item;
namespace zi = korm::zero::zi;

constexpr char const* Low = "00000000-0000-4000-8000-000000000001";
constexpr char const* High = "f0000000-0000-4000-8000-000000000002";

uuid id(char const* text) {
    return boost::lexical_cast<uuid>(std::string(text));
}

std::vector<std::string> texts(Value const& cell) {
    std::vector<std::string> result;
    for (auto const& t :
         olan::factory::Marshaler<olan::factory::UnicodeStringVectorPolicy>::FromM(cell.get())) {
        result.push_back(tarsk::core::text::toUtf8(t));
    }
    return result;
}

// Items keyed by their label in a collection without owner, whose generic interface makes it a
// map (the first item of a key) or a multimap.
using Items = std::multimap<uuid, ModelElement>;

template <class Base>
struct KeyedInterface : Base {
    explicit KeyedInterface(Items const& i) : items(i) {}
    std::size_t genericSize() const override { return items.size(); }
    void genericAdd(ModelElement const&) override {}
    void genericRemove(ModelElement const&) override {}
    void genericClear() override {}
    void genericBasicClear() override {}
    bool genericContains(ModelElement const&) const override { return false; }
    korm::zero::meta::Type getQualifierType() const override {
        return korm::zero::StandardTypes::getType(korm::zero::StandardTypes::UUID_TYPE);
    }
    std::vector<korm::zero::Value> genericKeys() const override {
        std::vector<korm::zero::Value> keys;
        for (auto it = items.begin(); it != items.end(); it = items.upper_bound(it->first)) {
            keys.push_back(korm::zero::test::uuidValue(it->first));
        }
        return keys;
    }
    std::vector<ModelElement> under(korm::zero::Value const& key) const {
        std::vector<ModelElement> found;
        auto [it, end] = items.equal_range(key.getValue<uuid>());
        for (; it != end; ++it) {
            found.push_back(it->second);
        }
        return found;
    }
    Items const& items;
};

struct MapInterface final : KeyedInterface<korm::zero::GenericMapInterface> {
    using KeyedInterface::KeyedInterface;
    ModelElement genericGet(korm::zero::Value const& key) const override {
        auto found = under(key);
        return found.empty() ? ModelElement() : found.front();
    }
};

struct MultimapInterface final : KeyedInterface<korm::zero::GenericMultimapInterface> {
    using KeyedInterface::KeyedInterface;
    std::vector<ModelElement> genericGet(korm::zero::Value const& key) const override {
        return under(key);
    }
};

class KeyedItems final : public korm::zero::ReferenceCollection {
  public:
    explicit KeyedItems(bool unique)
        : ReferenceCollection(nullptr, korm::zero::test::holderPackage().toys, nullptr) {
        if (unique) {
            setGenericInterface(std::make_unique<MapInterface>(m_items));
        } else {
            setGenericInterface(std::make_unique<MultimapInterface>(m_items));
        }
    }
    void add(ModelElement const& item) {
        m_items.emplace(static_cast<Item*>(item.getImpl())->getLabel(), item);
    }
    korm::zero::meta::Type getCollectionType() const override {
        return korm::zero::test::holderPackage().rock;
    }
    bool empty() const override { return m_items.empty(); }
    std::vector<ModelElement> getAllValues() const override { return {}; }
    void replaceProxy(ModelElement const&, std::size_t) override {}
    void resolveAll() override {}
    void resolveLocal() override {}
    bool basicContainsProxyTo(ModelElement const&) override { return false; }
    bool resolveAdd(ModelElement const&) override { return false; }

  protected:
    void basicAdd(ModelElement const& item) override { add(item); }
    void basicRemove(ModelElement const&) override {}
    void basicClear() override {}
    void basicCopyValues(ReferenceCollection const&) override {}

  private:
    Items m_items;
};

class ViewsTest : public ZiTest {
  protected:
    Model model = Model::create();
};

TEST_F(ViewsTest, ASequenceViewFollowsLaterChangesAndKeepsItsOwnerAlive) {
    Value hostModel = zi::bindModel(model);
    Value dog = host::construct(dogClass(), {hostModel.get()});
    auto* holder = static_cast<Holder*>(zi::elementOf(dog.get()));
    auto const refs = holder->getRefCount();
    Value view = host::getProperty(dog.get(), "Toys");
    EXPECT_EQ(host::className(view.get()), "korm.zero.Sequence");
    EXPECT_EQ(host::describeClass(dogClass()).members.back().type, "korm.zero.Set");
    EXPECT_EQ(omGetArrayElement(host::getProperty(dog.get(), "Toys").get(), 0),
              omGetArrayElement(view.get(), 0));
    EXPECT_EQ(holder->getRefCount(), refs + 1);
    EXPECT_EQ(numberOf(callOne(view, "size")), 0);

    holder->toys().add(Item::create(model, id(High)));
    holder->toys().add(Item::create(model, id(Low)));
    EXPECT_EQ(numberOf(callOne(view, "size")), 2);
    Value second = callOne(view, "at", {Value(zvCreateDouble(2)).get()});
    EXPECT_EQ(host::className(second.get()), rockClass());
    EXPECT_EQ(static_cast<Item*>(zi::elementOf(second.get()))->getLabel(), id(Low));
    EXPECT_EQ(zvGetElementCount(callOne(view, "at", {Value(zvCreateDouble(3)).get()}).get()), 0u);
    EXPECT_EQ(zvGetElementCount(callOne(view, "elements").get()), 2u);
    EXPECT_TRUE(flagOf(callOne(view, "contains", {second.get()})));

    dog.reset();
    hostModel.reset();
    EXPECT_EQ(numberOf(callOne(view, "size")), 2);  // the view holds the map alive
}

TEST_F(ViewsTest, MapAndMultimapViewsLookUpByKeyText) {
    KeyedItems map(true), multimap(false);
    ModelElement low = Item::create(model, id(Low));
    ModelElement high = Item::create(model, id(High));
    ModelElement lowAgain = Item::create(model, id(Low));
    map.add(high);
    multimap.add(low);
    multimap.add(lowAgain);
    Value mapView = zi::bindCollection(&map);
    Value multimapView = zi::bindCollection(&multimap);
    map.add(low);  // after binding: the view shows it
    EXPECT_EQ(host::className(mapView.get()), "korm.zero.Map");
    EXPECT_EQ(host::className(multimapView.get()), "korm.zero.Multimap");

    EXPECT_EQ(texts(callOne(mapView, "keys")), (std::vector<std::string>{Low, High}));
    Value upper = text("F0000000-0000-4000-8000-000000000002");
    EXPECT_EQ(zi::elementOf(callOne(mapView, "get", {upper.get()}).get()), high.getImpl());
    EXPECT_FALSE(flagOf(callOne(multimapView, "hasKey", {upper.get()})));
    EXPECT_EQ(zvGetElementCount(callOne(mapView, "get", {text(Low).get()}).get()), 1u);

    Value both = callOne(multimapView, "get", {text(Low).get()});
    ASSERT_EQ(zvGetElementCount(both.get()), 2u);
    EXPECT_EQ(zi::elementOf(zvGetCell(both.get(), 0)), low.getImpl());
    EXPECT_EQ(zi::elementOf(zvGetCell(both.get(), 1)), lowAgain.getImpl());
    Value none = callOne(multimapView, "get", {upper.get()});
    EXPECT_EQ(zvGetDimensions(none.get())[0], 1u);
    EXPECT_EQ(zvGetDimensions(none.get())[1], 0u);
    EXPECT_ERROR_ID(callOne(mapView, "get", {text("nope").get()}), "korm0:messages:InvalidValue");
}

}  // namespace
}  // namespace zi_test
