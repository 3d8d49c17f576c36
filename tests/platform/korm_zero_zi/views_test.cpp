// The collection views: named after the collection's kind, live, and holding their owner.

#include <boost/lexical_cast.hpp>
#include <boost/uuid/uuid_io.hpp>

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

class ViewsTest : public ZiTest {
  protected:
    Model model = Model::create();
};

TEST_F(ViewsTest, TheViewClassFollowsTheGenericInterface) {
    KeyedItems map(true), multimap(false);
    ModelElement holder = Holder::create(model);
    EXPECT_STREQ(zi::viewClassNameFor(nullptr), "korm.zero.Set");
    EXPECT_STREQ(zi::viewClassNameFor(&static_cast<Holder*>(holder.getImpl())->toys()),
                 "korm.zero.Sequence");
    EXPECT_STREQ(zi::viewClassNameFor(&map), "korm.zero.Map");
    EXPECT_STREQ(zi::viewClassNameFor(&multimap), "korm.zero.Multimap");
    EXPECT_EQ(host::className(zi::bindCollection(nullptr).get()), "korm.zero.Set");
}

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
    EXPECT_EQ(textOf(host::getProperty(second.get(), "Label")), Low);
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
