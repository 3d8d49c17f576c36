// Queries: the UUID-equality form through a query class, class matching, conditions bound to
// a class, relation conditions over containment, and queries over a part of a model.

#include <gtest/gtest.h>

#include "korm/zero/query.hpp"
#include "sample.hpp"

namespace korm::zero::test {
namespace {

using boost::uuids::uuid;
using query::ConstrainableRelationWithAttachment;
using query::ConstrainableWithAttachment;
using query::InstanceAttachment;
using query::MetaclassAttachment;
using query::SearchClassMatchMode;

// Handles and query classes as the generated code has them.
struct ItemHandle {
    static meta::Class metaClass() { return holderPackage().rock; }
    static auto const& label() {
        static ConstrainableWithAttachment<uuid, MetaclassAttachment<ItemHandle>> const accessor(
            holderPackage().label, {});
        return accessor;
    }
};

struct HolderHandle {
    static meta::Class metaClass() { return holderPackage().dog; }
    static auto const& toys() {
        static ConstrainableRelationWithAttachment<
            ItemHandle, MetaclassAttachment<HolderHandle>> const accessor(holderPackage().toys, {});
        return accessor;
    }
};

struct ItemConstrainables : ModelElement::Constrainables {
    ItemConstrainables(query::AbstractQuery& q, meta::Class const& c, SearchClassMatchMode m)
        : Constrainables(q, c, m), Label(holderPackage().label, InstanceAttachment(*this)) {}
    explicit ItemConstrainables(
        std::pair<query::AbstractQuery&, SearchClassMatchMode const> const& p)
        : ItemConstrainables(p.first, ItemHandle::metaClass(), p.second) {}
    ConstrainableWithAttachment<uuid, InstanceAttachment> Label;
};

ModelElement item(Model const& model, uuid const& label) {
    return Item::create(model, label);
}

std::vector<ModelElement> sorted(std::vector<ModelElement> v) {
    std::sort(v.begin(), v.end(),
              [](auto const& a, auto const& b) { return a->getUuid() < b->getUuid(); });
    return v;
}

TEST(Queries, AllElementsOfAClassWhoseUuidPropertyEqualsAValue) {
    Model model = Model::create();
    Model other = Model::create();
    uuid const k = ElementImpl::generateNewUuid();
    uuid const j = ElementImpl::generateNewUuid();
    ModelElement const a = item(model, k), b = item(model, k), c = item(model, j);
    ModelElement const gone = item(model, k);
    gone->destroy();
    item(other, k);
    Item::createProxy(model, a->getPersistentProxyId(false));
    Holder::create(model);

    query::ModelQuery query;
    ItemConstrainables items(query.withMode(SearchClassMatchMode::CONFORMING));
    items.Label.equals(k);
    EXPECT_EQ(query.findIn(model), sorted({a, b}));

    query::ModelQuery others;
    ItemConstrainables(others, ItemHandle::metaClass(), SearchClassMatchMode::EXACT)
        .Label.notEquals(k);
    EXPECT_EQ(others.findIn(model), std::vector<ModelElement>{c});
    EXPECT_TRUE(query.findIn(Model()).empty());
}

TEST(Queries, TheSearchedClassMatchesByConformanceOrExactly) {
    Model model = Model::create();
    ModelElement const h = Holder::create(model);
    ModelElement const i = item(model, {});
    meta::Class const root = ModelElement::metaClass();
    struct Case {
        meta::Class metaClass;
        SearchClassMatchMode mode;
        std::vector<ModelElement> expected;
    };
    for (Case const& c : {Case{root, SearchClassMatchMode::CONFORMING, sorted({h, i})},
                          Case{root, SearchClassMatchMode::EXACT, {}},
                          Case{holderPackage().animal, SearchClassMatchMode::CONFORMING, {h}},
                          Case{holderPackage().dog, SearchClassMatchMode::EXACT, {h}},
                          Case{meta::Class(), SearchClassMatchMode::EXACT, sorted({h, i})}}) {
        query::ModelQuery query;
        query.setSearchClass(c.metaClass, c.mode);
        EXPECT_EQ(query.findIn(model), c.expected);
    }
}

TEST(Queries, RelationConditionsFollowContainmentAndQueriesCanCoverAPart) {
    Model model = Model::create();
    uuid const k = ElementImpl::generateNewUuid();
    ModelElement const full = Holder::create(model), other = Holder::create(model),
                       empty = Holder::create(model);
    ModelElement const withK = item(model, k), withoutK = item(model, {});
    static_cast<Holder&>(*full.getImpl()).toys().add(withK);
    static_cast<Holder&>(*other.getImpl()).toys().add(withoutK);

    query::ModelQuery query;
    query.addCondition(HolderHandle::toys().contains(ItemHandle::label().equals(k)));
    EXPECT_EQ(query.findIn(model), std::vector<ModelElement>{full});

    query::ModelQuery bare;
    bare.addCondition(HolderHandle::toys().isEmpty());
    EXPECT_EQ(bare.findIn(model), std::vector<ModelElement>{empty})
        << "the class restriction of the accessor keeps items out";

    query::ModelQuery holding;
    holding.addCondition(HolderHandle::toys().contains(withoutK) ||
                         HolderHandle::toys().contains(withK));
    EXPECT_EQ(holding.findIn(model), sorted({full, other}));
    query::ModelQuery listed;
    listed.addCondition(ItemHandle::label().isIn({k, uuid{}}) && !ItemHandle::label().equals(k));
    EXPECT_EQ(listed.findIn(model), std::vector<ModelElement>{withoutK});

    query::ContentsQuery inside(full);
    inside.setSearchClass(ItemHandle::metaClass(), SearchClassMatchMode::CONFORMING);
    EXPECT_EQ(inside.findIn(model), std::vector<ModelElement>{withK});
}

}  // namespace
}  // namespace korm::zero::test
