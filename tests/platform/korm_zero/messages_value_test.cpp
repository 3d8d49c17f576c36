// Messages and their exceptions, the type-independent part of Value, change-record bit sets
// and the UUID hasher.

#include <gtest/gtest.h>

#include <bitset>
#include <boost/uuid/nil_generator.hpp>
#include <cstring>

#include "test_node.hpp"

namespace korm::zero::test {
namespace {

using tarsk::core::except::Exception;

TEST(Messages, ExceptionsCarryIdArgumentsAndAnEnglishText) {
    try {
        reportException(korm0::messages::UniquenessConstraint(u"k\u00e9y"));
    } catch (std::exception const& e) {
        EXPECT_STREQ(e.what(),
                     "korm0:messages:UniquenessConstraint: The value k\xc3\xa9y is already taken; "
                     "it must be unique.");
        auto const* message = dynamic_cast<korm0::messages::UniquenessConstraint const*>(&e);
        ASSERT_NE(message, nullptr);
        EXPECT_EQ(message->getComponent(), "korm0:messages");
        EXPECT_EQ(message->getKey(), "UniquenessConstraint");
        ASSERT_EQ(message->getArguments().size(), 1U);
        EXPECT_EQ(std::get<std::u16string>(message->getArguments()[0]), u"k\u00e9y");
    }
    EXPECT_THROW(reportException(korm0::messages::InvalidValue("count", std::int64_t{3}, "x")),
                 Exception<korm0::messages::InvalidValue>);
    EXPECT_EQ(korm0::messages::CannotModifyProxy().getText(),
              "An unresolved reference (proxy) cannot be modified.");
}

// A message is made with exactly as many arguments as its text has placeholders, so none can
// reach a user with a hole in it; text arguments that are not well-formed UTF-16 still show,
// with U+FFFD in place of each stray code unit.
TEST(Messages, AreMadeWithEveryArgumentTheirTextNames) {
    using korm0::messages::InvalidValue;
    static_assert(!std::is_default_constructible_v<InvalidValue>);
    static_assert(!std::is_constructible_v<InvalidValue, std::string>);
    static_assert(!std::is_default_constructible_v<korm0::messages::UniquenessConstraint>);
    static_assert(std::is_default_constructible_v<korm0::messages::CannotModifyProxy>);
    EXPECT_EQ(InvalidValue("argument count", std::int64_t{3}, "it takes 1").getText(),
              "The value 3 is not valid as the argument count: it takes 1.");
    EXPECT_EQ(InvalidValue("key", std::u16string{u'"', u'a', 0xDC00, u'"'}, "no").getText(),
              "The value \"a\xef\xbf\xbd\" is not valid as the key: no.");
}

// A placeholder takes the argument it names, as often as it is named; one that names no
// argument (however large its number) stays as written; arguments no placeholder names are
// appended, so none is lost.
TEST(Messages, TextPutsInNamedArgumentsAndAppendsTheRest) {
    using tarsk::core::except::Message;
    EXPECT_EQ(Message("c", "k", "{1} before {0}, {1} again", {std::int64_t{1}, std::string("b")})
                  .getText(),
              "b before 1, b again");
    EXPECT_EQ(Message("c", "k", "{} {x} {2} {0", {std::int64_t{7}, std::u16string(u"w")}).getText(),
              "{} {x} {2} {0 (7, w)");
    // Numbers past any index (2^64 + 1 used to wrap around to 1) name no argument either.
    EXPECT_EQ(
        Message("c", "k", "{18446744073709551617}-{18446744073709551616}-{99999999999999999999}",
                {std::int64_t{7}, std::string("w")})
            .getText(),
        "{18446744073709551617}-{18446744073709551616}-{99999999999999999999} (7, w)");
    EXPECT_EQ(Message("c", "k", "", {std::string("a")}).getText(), "(a)");
    EXPECT_EQ(Message("c", "k", "plain", {}).getText(), "plain");
}

// A payload type whose operations count what they do.
struct Counted {
    static inline int alive = 0;
    int value;
};

Value makeCounted(int v) {
    ++Counted::alive;
    Value::Operations ops;
    ops.deleter = [](void* p) {
        --Counted::alive;
        delete static_cast<Counted*>(p);
    };
    ops.cloner = [](void const* p) -> void* {
        ++Counted::alive;
        return new Counted(*static_cast<Counted const*>(p));
    };
    ops.comparator = [](void const* a, void const* b) {
        return static_cast<Counted const*>(a)->value == static_cast<Counted const*>(b)->value;
    };
    ops.hasher = [](void const* p) {
        return static_cast<std::size_t>(static_cast<Counted const*>(p)->value * 31);
    };
    return Value(ValueMeta(meta::Type(), ValueMeta::KIND_SINGLE), new Counted{v}, ops);
}

TEST(Values, CopiesCloneComparesAndHashesThroughTheStoredOperations) {
    {
        Value a = makeCounted(3);
        Value b = a;
        EXPECT_NE(a.getPayload(), b.getPayload());
        EXPECT_EQ(Counted::alive, 2);
        EXPECT_EQ(a, b);
        EXPECT_EQ(a.hash(), 93U);
        Value c = makeCounted(4);
        EXPECT_FALSE(a == c);
        c = a;
        EXPECT_EQ(c, a);
        Value moved = std::move(c);
        EXPECT_FALSE(c.hasData());
        EXPECT_EQ(Counted::alive, 3);
        EXPECT_FALSE(a == Value()) << "a null payload equals only a null payload";
        EXPECT_EQ(Value(), Value());
        EXPECT_EQ(Value().hash(), 0U);
    }
    EXPECT_EQ(Counted::alive, 0);

    int target = 5;
    Value const ref = Value::reference(ValueMeta(), &target);
    Value const copy = ref;
    EXPECT_EQ(copy.getPayload(), &target) << "a reference value is copied as a reference";
    EXPECT_EQ(copy, ref);
}

TEST(ChangeRecords, BitsGrowPastTheInlineWordAndAreFoundInOrder) {
    Model model = Model::create();
    ModelElement::Impl::Changes changes(boost::uuids::nil_uuid(), model, meta::Class(), 3);
    EXPECT_FALSE(changes.anyChanged());
    EXPECT_EQ(changes.nextChanged(0), ModelElement::Impl::NO_INDEX);
    for (std::size_t index : {2U, 63U, 64U, 200U}) {
        changes.setChanged(index);
    }
    std::vector<std::size_t> found;
    for (auto i = changes.nextChanged(0); i != ModelElement::Impl::NO_INDEX;
         i = changes.nextChanged(i + 1)) {
        found.push_back(i);
    }
    EXPECT_EQ(found, (std::vector<std::size_t>{2, 63, 64, 200}));
    changes.clearChanged(200);
    changes.clearChanged(2);
    EXPECT_FALSE(changes.isChanged(200));
    ModelElement::Impl::Changes other(boost::uuids::nil_uuid(), model, meta::Class(), 0);
    other.setChangedFrom(changes);
    EXPECT_TRUE(other.isChanged(63) && other.isChanged(64));
    changes.clearChangedFrom(other);
    EXPECT_FALSE(changes.anyChanged());
}

TEST(Hashing, EqualUuidsHashEquallyAndSingleBitChangesSpreadOverTheLowBits) {
    services::hashers::KORM0Hasher const hash;
    boost::uuids::uuid a{};
    boost::uuids::uuid b{};
    EXPECT_EQ(hash(a), hash(b));
    // UUIDs that differ in one byte only still land in different low bits (what a hash
    // table's buckets use): among 16 x 8 such UUIDs, the low 16 bits are all distinct.
    std::set<std::size_t> low;
    for (int byte = 0; byte < 16; ++byte) {
        for (int bit = 0; bit < 8; ++bit) {
            boost::uuids::uuid id{};
            id.data[byte] = static_cast<std::uint8_t>(1U << bit);
            low.insert(hash(id) & 0xffffU);
        }
    }
    EXPECT_EQ(low.size(), 128U);
}

}  // namespace
}  // namespace korm::zero::test
