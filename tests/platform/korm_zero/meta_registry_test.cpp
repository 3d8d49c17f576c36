// The meta registry's services: root packages, invokers and reflective invocation,
// property serializers; values described by meta objects.

#include <gtest/gtest.h>

#include <boost/uuid/uuid_io.hpp>

#include "sample.hpp"
#include "tarsk/core/text.hpp"
#include "test_node.hpp"

namespace korm::zero::test {
namespace {

using tarsk::core::except::Exception;
namespace messages = korm0::messages;

// Adds the UUID's first byte to a TestNode's weight and answers the new weight as a UUID
// whose first byte is that weight (a small operation with an argument, a result and an
// effect). Counts its instances, to check who destroys it.
class AddWeightInvoker : public meta::AbstractMethodInvoker {
  public:
    static inline int alive = 0;
    AddWeightInvoker() { ++alive; }
    ~AddWeightInvoker() override { --alive; }

    boost::optional<Value> invoke(ModelElement const& receiver,
                                  std::vector<Value> const& arguments) override {
        auto* node = dynamic_cast<TestNode::Impl*>(receiver.getImpl());
        if (node == nullptr || arguments.size() != 1 || !arguments[0].hasData()) {
            reportException(messages::InvalidValue("argument count of addWeight",
                                                   std::int64_t(arguments.size()), "it takes 1"));
        }
        auto const& delta = *static_cast<boost::uuids::uuid const*>(arguments[0].getPayload());
        node->setWeight(node->getWeight() + delta.data[0]);
        boost::uuids::uuid result{};
        result.data[0] = static_cast<std::uint8_t>(node->getWeight());
        return uuidValue(result);
    }
};

class NothingInvoker : public meta::AbstractMethodInvoker {
  public:
    boost::optional<Value> invoke(ModelElement const&, std::vector<Value> const&) override {
        return boost::none;
    }
};

boost::uuids::uuid firstByte(std::uint8_t b) {
    boost::uuids::uuid id{};
    id.data[0] = b;
    return id;
}

TEST(MetaRegistry, RootPackagesAreKnownByUriUntilUnregistered) {
    SamplePackage s;
    s.buildCommitted();
    std::u16string const uri = rec(s.package)->getUri();
    EXPECT_TRUE(registry().getRootPackage(uri).isEmpty());

    s.registerRootPackage(s.package);
    EXPECT_EQ(registry().getRootPackage(uri), s.package);
    auto const roots = registry().getRootPackages();
    EXPECT_NE(std::find(roots.begin(), roots.end(), s.package), roots.end());

    // A second package under the same URI replaces the first.
    SamplePackage other;
    other.buildCommitted();
    {
        MetaBuildScope scope;
        rec(other.package)->setUri(uri);
        scope.commit();
    }
    registry().registerRootPackage(other.package);
    EXPECT_EQ(registry().getRootPackage(uri), other.package);

    s.unregisterRootPackage(uri);
    EXPECT_TRUE(registry().getRootPackage(uri).isEmpty());
    EXPECT_FALSE(registry().unregisterRootPackage(uri));
    // The framework's own root is untouched.
    EXPECT_TRUE(registry().getRootPackage(meta::MetaRegistry::FRAMEWORK_URI));
}

// A root package registered again after its URI changed holds two entries; when it leaves the
// meta model for good, both go (the second used to keep the gone package reachable).
TEST(MetaRegistry, APackageThatGoesLeavesEveryRootEntryItHad) {
    SamplePackage s;
    s.buildCommitted();
    std::u16string const first = rec(s.package)->getUri();
    std::u16string const second = first + u"/moved";
    registry().registerRootPackage(s.package);
    {
        MetaBuildScope scope;
        rec(s.package)->setUri(second);
        scope.commit();
    }
    registry().registerRootPackage(s.package);
    ASSERT_EQ(registry().getRootPackage(first), s.package);
    ASSERT_EQ(registry().getRootPackage(second), s.package);
    auto const roots = registry().getRootPackages().size();
    {
        MetaBuildScope scope;
        rec(s.package)->destroy();
        scope.commit();
    }
    EXPECT_TRUE(registry().getRootPackage(first).isEmpty());
    EXPECT_TRUE(registry().getRootPackage(second).isEmpty());
    EXPECT_EQ(registry().getRootPackages().size(), roots - 2);
    EXPECT_EQ(s.package->getRefCount(), 1) << "only the test's handle is left";
}

TEST(MetaRegistry, InvokersAreOwnedAndCalledByReflection) {
    int const aliveBefore = AddWeightInvoker::alive;
    SamplePackage s;
    s.buildCommitted();
    Model const model = Model::create();
    TestNode const node = TestNode::create(model);
    std::vector<Value> const arguments{uuidValue(firstByte(5))};

    // No invoker yet.
    EXPECT_FALSE(rec(s.speak)->hasInvoker());
    EXPECT_THROW(registry().invoke(s.speak, node, arguments),
                 Exception<messages::CannotInvokeOperation>);

    s.setInvoker(s.speak, std::make_unique<AddWeightInvoker>());
    EXPECT_EQ(AddWeightInvoker::alive, aliveBefore + 1);
    EXPECT_TRUE(rec(s.speak)->hasInvoker());

    // By the operation's meta object.
    boost::optional<Value> result = registry().invoke(s.speak, node, arguments);
    ASSERT_TRUE(result);
    EXPECT_EQ(*result, uuidValue(firstByte(5)));
    EXPECT_EQ(node->getWeight(), 5);

    // By class and name: the operation is inherited from Animal.
    result = registry().invoke(s.puppy, u"speak", node, arguments);
    EXPECT_EQ(*result, uuidValue(firstByte(10)));
    EXPECT_THROW(registry().invoke(s.rock, u"speak", node, arguments),
                 Exception<messages::CannotInvokeOperation>);
    EXPECT_THROW(registry().invoke(s.puppy, u"bark", node, arguments),
                 Exception<messages::CannotInvokeOperation>);

    // Through the element: ModelElement::Impl::invoke reaches the registry.
    Value const direct = node->invoke(s.speak, arguments);
    EXPECT_EQ(direct, uuidValue(firstByte(15)));
    // Errors of the invoker pass through unchanged and change nothing.
    EXPECT_THROW(node->invoke(s.speak, {}), Exception<messages::InvalidValue>);
    EXPECT_EQ(node->getWeight(), 15);

    // A void operation gives an empty optional, and an empty Value through the element.
    s.setInvoker(s.fetch, std::make_unique<NothingInvoker>());
    EXPECT_FALSE(registry().invoke(s.fetch, node, {}));
    EXPECT_FALSE(node->invoke(s.fetch, {}).hasData());

    // Replacing an invoker destroys the old one; null removes it.
    s.setInvoker(s.speak, std::make_unique<AddWeightInvoker>());
    EXPECT_EQ(AddWeightInvoker::alive, aliveBefore + 1);
    registry().setInvoker(s.speak, nullptr);
    EXPECT_EQ(AddWeightInvoker::alive, aliveBefore);
    EXPECT_FALSE(rec(s.speak)->hasInvoker());

    // An operation that leaves the meta model for good takes its invoker along.
    s.setInvoker(s.speak, std::make_unique<AddWeightInvoker>());
    EXPECT_EQ(AddWeightInvoker::alive, aliveBefore + 1);
    {
        MetaBuildScope scope;
        rec(s.animal)->destroy();
        scope.commit();
    }
    EXPECT_EQ(AddWeightInvoker::alive, aliveBefore);
}

// Writes a UUID value as its text; counts its instances.
class UuidTextSerializer : public meta::AbstractPropertySerializer {
  public:
    static inline int alive = 0;
    UuidTextSerializer() { ++alive; }
    ~UuidTextSerializer() override { --alive; }
    std::u16string toText(Value const& value) const override {
        return tarsk::core::text::toUtf16(
            boost::uuids::to_string(*static_cast<boost::uuids::uuid const*>(value.getPayload())));
    }
    Value fromText(std::u16string const&) const override { return Value(); }
};

TEST(MetaRegistry, PropertySerializersAreOwnedPerProperty) {
    SamplePackage s;
    s.buildCommitted();
    auto& serializers = meta::PropertySerializerRegistry::getInstance();
    EXPECT_EQ(serializers.getSerializer(s.label), nullptr);

    serializers.registerSerializer(s.label, std::make_unique<UuidTextSerializer>());
    ASSERT_NE(serializers.getSerializer(s.label), nullptr);
    EXPECT_EQ(serializers.getSerializer(s.owner), nullptr);
    boost::uuids::uuid const id = ElementImpl::generateNewUuid();
    EXPECT_EQ(serializers.getSerializer(s.label)->toText(uuidValue(id)),
              tarsk::core::text::toUtf16(boost::uuids::to_string(id)));

    serializers.registerSerializer(s.label, std::make_unique<UuidTextSerializer>());
    EXPECT_EQ(UuidTextSerializer::alive, 1);
    serializers.registerSerializer(s.label, nullptr);
    EXPECT_EQ(UuidTextSerializer::alive, 0);
    EXPECT_EQ(serializers.getSerializer(s.label), nullptr);
}

TEST(MetaValues, ValueMetaFromAPropertyDescribesItsValues) {
    SamplePackage s;
    s.buildCommitted();
    meta::Type const uuidType = registry().getType(u"UUID");

    ValueMeta const single(s.label);
    EXPECT_EQ(single.getType(), uuidType);
    EXPECT_EQ(single.getMultiplicityKind(), ValueMeta::KIND_SINGLE);
    EXPECT_TRUE(single.getSecondType().isEmpty());

    // A keyed collection: many values, keyed by the qualifier's type.
    ValueMeta const keyed(s.toys);
    EXPECT_EQ(keyed.getType(), s.rock);
    EXPECT_EQ(keyed.getMultiplicityKind(), ValueMeta::KIND_MANY);
    EXPECT_EQ(keyed.getSecondType(), uuidType);

    ValueMeta const many(s.friends);
    EXPECT_EQ(many.getMultiplicityKind(), ValueMeta::KIND_MANY);
    EXPECT_TRUE(many.getSecondType().isEmpty());

    ValueMeta const none{meta::Property()};
    EXPECT_TRUE(none.getType().isEmpty());
    EXPECT_EQ(none.getMultiplicityKind(), ValueMeta::KIND_NONE);
}

TEST(MetaValues, IncompatibilityNamesTheValuesType) {
    auto const argumentOf = [](ValueMeta const& meta) {
        try {
            meta.reportIncompatible();
        } catch (messages::CannotCastIncompatibleTypes const& e) {
            return std::get<std::u16string>(e.getArguments().at(0));
        }
        return std::u16string(u"(nothing thrown)");
    };
    EXPECT_EQ(argumentOf(ValueMeta(registry().getType(u"Boolean"), ValueMeta::KIND_SINGLE)),
              u"Boolean");
    EXPECT_EQ(argumentOf(ValueMeta(ModelElement::metaClass(), ValueMeta::KIND_SINGLE)),
              u"korm.zero.ModelElement");
    EXPECT_EQ(argumentOf(ValueMeta()), u"");
}

}  // namespace
}  // namespace korm::zero::test
