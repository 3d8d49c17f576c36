// Typed values: the checks of each carried type, null payloads, copies, equality and hashes.

#include <gtest/gtest.h>

#include <boost/uuid/nil_generator.hpp>
#include <boost/uuid/string_generator.hpp>
#include <string>

#include "arvex/utilities/collections/typed_values.hpp"
#include "korm/zero/messages.hpp"
#include "korm/zero/meta/meta_package.hpp"
#include "korm/zero/meta/standard_types.hpp"
#include "korm/zero/model_impl.hpp"
#include "korm/zero/transaction.hpp"
#include "test_support.hpp"

namespace arvex::utilities {
namespace {

using boost::uuids::uuid;
using korm::zero::ModelElement;
using korm::zero::StandardTypes;
using korm::zero::Value;
using korm::zero::ValueMeta;
namespace meta = korm::zero::meta;

uuid const A = boost::uuids::string_generator()("0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0");
uuid const B = boost::uuids::string_generator()("11111111-2222-3333-4444-555555555555");

meta::Type uuidType() {
    return StandardTypes::getType(StandardTypes::UUID_TYPE);
}
meta::Type booleanType() {
    return StandardTypes::getType(StandardTypes::BOOLEAN_TYPE);
}

/// The qualified type name a failed check reports, or "(accepted)".
template <class T>
std::u16string refusal(Value const& value) {
    try {
        value.checkCompatible<T>();
    } catch (korm0::messages::CannotCastIncompatibleTypes const& e) {
        return std::get<std::u16string>(e.getArguments().at(0));
    }
    return u"(accepted)";
}

/// A value with that description and no payload.
Value described(meta::Type type, std::uint32_t kind, bool managed = true) {
    ValueMeta meta(std::move(type), kind);
    if (!managed) {
        meta.setUnmanaged();
    }
    return Value(meta, nullptr, {});
}

/// A class of its own without superclass: it does not conform to ModelElement.
meta::Class unrelatedClass() {
    struct Maker : meta::AbstractMetaPackage {
        meta::Class make() {
            arvex_test::MetaBuildScope scope;
            meta::Class const made = createClass(u"Loner", "typedvalues.Loner", false,
                                                 "7a0c6f4e-35a1-4b52-9d8e-0c1b2a394857");
            scope.commit();
            return made;
        }
    };
    static meta::Class const loner = Maker().make();
    return loner;
}

// Each check accepts exactly one kind, type and managed flag; a refusal names the value's type.
TEST(TypedValues, ChecksAcceptOnlyTheirKindTypeAndManagedFlag) {
    enum Accepts { NONE, AS_UUID, AS_BOOL, AS_VECTOR, AS_ELEMENT };
    struct Case {
        char const* what;
        Value value;
        std::u16string typeName;
        Accepts accepts;
    };
    std::u16string const element = u"korm.zero.ModelElement";
    Case const cases[] = {
        {"single UUID", described(uuidType(), 1), u"UUID", AS_UUID},
        {"single Boolean", described(booleanType(), 1), u"Boolean", AS_BOOL},
        {"managed many UUIDs", described(uuidType(), 2), u"UUID", NONE},
        {"unmanaged many UUIDs", described(uuidType(), 2, false), u"UUID", AS_VECTOR},
        {"unmanaged many Booleans", described(booleanType(), 2, false), u"Boolean", NONE},
        {"kind 0 UUID", described(uuidType(), 0), u"UUID", NONE},
        {"element class, kind 1", described(ModelElement::metaClass(), 1), element, AS_ELEMENT},
        {"element class, kind 0", described(ModelElement::metaClass(), 0), element, AS_ELEMENT},
        {"element class, kind 2", described(ModelElement::metaClass(), 2), element, NONE},
        {"unrelated class", described(unrelatedClass(), 1), u"typedvalues.Loner", NONE},
        {"no type", described(meta::Type(), 1), u"", NONE},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.what);
        auto const expect = [&c](Accepts check) {
            return c.accepts == check ? u"(accepted)" : c.typeName;
        };
        EXPECT_EQ(refusal<uuid>(c.value), expect(AS_UUID));
        EXPECT_EQ(refusal<bool>(c.value), expect(AS_BOOL));
        EXPECT_EQ(refusal<UUIDVector>(c.value), expect(AS_VECTOR));
        EXPECT_EQ(refusal<ModelElement>(c.value), expect(AS_ELEMENT));
    }
}

TEST(TypedValues, NullPayloadsReadAsNothing) {
    EXPECT_EQ(described(uuidType(), 1).getValue<uuid>(), boost::uuids::nil_uuid());
    EXPECT_FALSE(described(booleanType(), 1).getValue<bool>());
    EXPECT_TRUE(described(uuidType(), 2, false).getValue<UUIDVector>().empty());
    EXPECT_TRUE(described(ModelElement::metaClass(), 1).getValue<ModelElement>().isEmpty());
    // A failing check reads nothing.
    EXPECT_THROW(described(booleanType(), 1).getValue<uuid>(),
                 korm0::messages::CannotCastIncompatibleTypes);
}

TEST(TypedValues, MadeValuesCarryTheirDescriptionAndReadBack) {
    Value const id = makeValue(A);
    EXPECT_EQ(id.getType(), uuidType());
    EXPECT_EQ(id.getMultiplicityKind(), ValueMeta::KIND_SINGLE);
    EXPECT_TRUE(id.isManaged());
    EXPECT_TRUE(id.getSecondType().isEmpty());
    EXPECT_EQ(id.getValue<uuid>(), A);

    EXPECT_TRUE(makeValue(true).getValue<bool>());
    EXPECT_FALSE(makeValue(false).getValue<bool>());

    Value const ids = makeValue(UUIDVector{A, B});
    EXPECT_EQ(ids.getMultiplicityKind(), ValueMeta::KIND_MANY);
    EXPECT_FALSE(ids.isManaged());
    EXPECT_EQ(ids.getValue<UUIDVector>(), (UUIDVector{A, B}));

    // A type that does not fit is refused, and the half-made value is freed (the leak checker
    // would see it otherwise).
    EXPECT_THROW(makeValue(A, booleanType()), korm0::messages::CannotCastIncompatibleTypes);
    EXPECT_THROW(makeValue(UUIDVector{A}, booleanType()),
                 korm0::messages::CannotCastIncompatibleTypes);
}

TEST(TypedValues, CopiesAreDeepAndCompareByContent) {
    Value const original = makeValue(UUIDVector{A, B});
    Value const copy(original);
    EXPECT_NE(copy.getPayload(), original.getPayload());
    EXPECT_EQ(copy, original);
    EXPECT_EQ(copy.hash(), original.hash());

    EXPECT_EQ(makeValue(A), makeValue(A));
    EXPECT_FALSE(makeValue(A) == makeValue(B));
    EXPECT_EQ(makeValue(true), makeValue(true));
    EXPECT_FALSE(makeValue(true) == makeValue(false));
    EXPECT_FALSE(makeValue(UUIDVector{A, B}) == makeValue(UUIDVector{B, A}));
    EXPECT_FALSE(makeValue(UUIDVector{A}) == makeValue(UUIDVector{A, A}));

    // The comparators themselves: a null payload equals only a null payload.
    uuid const a = A;
    EXPECT_TRUE(korm::zero::genericComparator<uuid>(nullptr, nullptr));
    EXPECT_FALSE(korm::zero::genericComparator<uuid>(&a, nullptr));
    EXPECT_FALSE(korm::zero::genericComparator<UUIDVector>(nullptr, &a));
    EXPECT_EQ(korm::zero::genericCloner<UUIDVector>(nullptr), nullptr);
}

TEST(TypedValues, HashesFollowTheFixedAlgorithms) {
    korm::zero::services::hashers::KORM0Hasher const uuidHash;
    EXPECT_EQ(makeValue(A).hash(), uuidHash(A));
    EXPECT_EQ(makeValue(true).hash(), 1U);
    EXPECT_EQ(makeValue(false).hash(), 0U);

    // The combination step, pinned to known results.
    static_assert(detail::combineHash(0, 0) == 0xe6546b64ULL);
    static_assert(detail::combineHash(0, 1) == 0xbbddcb5b9bc10e60ULL);
    static_assert(detail::combineHash(0xbbddcb5b9bc10e60ULL, 2) == 0x2ec71ff6f0486f3cULL);

    EXPECT_EQ(makeValue(UUIDVector{}).hash(), 0U);
    EXPECT_EQ(makeValue(UUIDVector{A}).hash(), detail::combineHash(0, uuidHash(A)));
    EXPECT_EQ(makeValue(UUIDVector{A, B}).hash(),
              detail::combineHash(detail::combineHash(0, uuidHash(A)), uuidHash(B)));
}

TEST(TypedValues, ManyUuidsUnpackIntoSingleValuesOfTheSameType) {
    Value const ids = makeValue(UUIDVector{B, A, B});
    std::vector<Value> const parts = ids.extract();
    ASSERT_EQ(parts.size(), 3U);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        EXPECT_EQ(parts[i].getType(), ids.getType());
        EXPECT_EQ(parts[i].getMultiplicityKind(), ValueMeta::KIND_SINGLE);
        EXPECT_TRUE(parts[i].isManaged());
        EXPECT_EQ(parts[i], makeValue(i == 1 ? A : B));
    }
    EXPECT_TRUE(described(uuidType(), 2, false).extract().empty());
}

TEST(TypedValues, ElementHandlesCompareByIdentityAndHashByUuid) {
    Value::Operations operations;
    operations.deleter = &detail::elementHandleDeleter<ModelElement>;
    operations.cloner = &detail::elementHandleCloner<ModelElement>;
    operations.comparator = &detail::elementHandleComparator<ModelElement>;
    operations.hasher = &detail::elementHandleHasher<ModelElement>;
    meta::Class const elementClass = ModelElement::metaClass();
    ModelElement const element = meta::MetaRegistry::getInstance().getType(u"UUID");
    ModelElement const other = unrelatedClass();

    Value const first = detail::makeElementValue(elementClass, element, operations);
    Value const second = detail::makeElementValue(elementClass, ModelElement(element), operations);
    Value const empty = detail::makeElementValue(elementClass, ModelElement(), operations);
    EXPECT_EQ(first, second);
    EXPECT_EQ(empty, detail::makeElementValue(elementClass, ModelElement(), operations));
    EXPECT_FALSE(first == empty);
    EXPECT_FALSE(first == detail::makeElementValue(elementClass, other, operations));
    EXPECT_EQ(first.hash(), korm::zero::services::hashers::KORM0Hasher()(element->getUuid()));
    EXPECT_EQ(empty.hash(), 0U);

    // Reading takes a reference of its own.
    ModelElement const read = Value(first).getValue<ModelElement>();
    EXPECT_EQ(read, element);
    EXPECT_TRUE(empty.getValue<ModelElement>().isEmpty());
}

}  // namespace
}  // namespace arvex::utilities
