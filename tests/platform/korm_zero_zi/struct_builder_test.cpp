// UUID text and builders from init structs.

#include <boost/lexical_cast.hpp>
#include <boost/uuid/uuid_io.hpp>

#include "zi_test_support.hpp"

namespace zi_test {
namespace {

using boost::uuids::uuid;
using korm::zero::test::Holder;
using korm::zero::test::holderPackage;
using korm::zero::test::Item;
using korm::zero::zi::detail::createBuilderFromStruct;
using korm::zero::zi::detail::createBuilderFromStructFirst;
using korm::zero::zi::detail::extractUuid;

constexpr char const* Label1 = "0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0";
constexpr char const* Label2 = "00000000-0000-4000-8000-0000000000b2";

uuid id(char const* text) {
    return boost::lexical_cast<uuid>(std::string(text));
}

TEST(ExtractUuidTest, AcceptsWholeUuidTextInEitherCaseOnly) {
    EXPECT_EQ(extractUuid(text(Label1).get()).value_or(uuid()), id(Label1));
    EXPECT_EQ(extractUuid(text("0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0").get()).value_or(uuid()),
              id(Label1));
    for (char const* bad :
         {"0f1e2d3c4b5a69788796a5b4c3d2e1f0", "0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0x",
          "{0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0}", " 0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0",
          "0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f", ""}) {
        EXPECT_FALSE(extractUuid(text(bad).get())) << bad;
    }
    EXPECT_FALSE(extractUuid(Value(zvCreateDouble(1)).get()));
    EXPECT_FALSE(extractUuid(nullptr));
}

class StructBuilderTest : public ZiTest {
  protected:
    Model model = Model::create();
    korm::zero::test::SamplePackage const& p = holderPackage();

    static Value toyStructs(std::vector<std::string> const& labels) {
        std::size_t const dims[] = {1, labels.size()};
        Value structs(zvCreateStructArray(2, dims, {"Label"}));
        for (std::size_t i = 0; i < labels.size(); ++i) {
            zvSetField(structs.get(), i, "Label", zvCreateString_UTF8(labels[i]));
        }
        return structs;
    }
    static std::vector<uuid> labels(ModelElement const& holder) {
        std::vector<uuid> result;
        for (auto const& toy : static_cast<Holder*>(holder.getImpl())->toys().items()) {
            result.push_back(static_cast<Item*>(toy.getImpl())->getLabel());
        }
        return result;
    }
};

TEST_F(StructBuilderTest, NestsBuildersOfContainmentsFromStructArraysAndCells) {
    Value init = structOf("Toys", toyStructs({Label1, Label2}));
    ModelElement holder =
        createBuilderFromStruct(init.get(), 0, model, p.dog)->create(boost::uuids::nil_uuid());
    EXPECT_EQ(labels(holder), (std::vector<uuid>{id(Label1), id(Label2)}));

    Value cell(zvCreateCellArray(2, {1, 2}));
    zvSetCell(cell.get(), 0, toyStructs({Label2}).release());
    zvSetCell(cell.get(), 1, toyStructs({Label1}).release());
    Value wrapped = structOf("Toys", std::move(cell));
    holder =
        createBuilderFromStruct(wrapped.get(), 0, model, p.dog)->create(boost::uuids::nil_uuid());
    EXPECT_EQ(labels(holder), (std::vector<uuid>{id(Label2), id(Label1)}));
}

TEST_F(StructBuilderTest, RefusesWhatFitsNoPropertyAndLeavesTheModelAlone) {
    std::vector<std::pair<Value, korm::zero::meta::Class>> refused;
    refused.emplace_back(structOf("Colour", text(Label1)), p.rock);  // no such property
    refused.emplace_back(structOf("Label", text("not a uuid")), p.rock);
    refused.emplace_back(structOf("Label", Value(zvCreateDouble(7))), p.rock);
    refused.emplace_back(structOf("Name", text("Rex")), p.dog);  // a String property
    refused.emplace_back(structOf("Toys", text(Label1)), p.dog);
    // The second nested struct is refused after the first nested builder was made.
    refused.emplace_back(structOf("Toys", toyStructs({Label1, "bad"})), p.dog);
    refused.emplace_back(text(Label1), p.rock);  // no struct at all
    for (auto const& [init, type] : refused) {
        EXPECT_ERROR_ID(createBuilderFromStruct(init.get(), 0, model, type),
                        "korm0:messages:InvalidValue");
    }
    Value init = structOf("Label", text(Label1));
    EXPECT_ERROR_ID(createBuilderFromStruct(init.get(), 1, model, p.rock),
                    "korm0:messages:InvalidValue");
    EXPECT_ERROR_ID(createBuilderFromStruct(init.get(), 0, model, p.puppy),
                    "korm0:messages:NoBuilderForClass");
    EXPECT_EQ(model->getElementCount(), 0u);
}

TEST_F(StructBuilderTest, FirstVariantUnwrapsACell) {
    Value cell(zvCreateCellArray(2, {1, 1}));
    zvSetCell(cell.get(), 0, structOf("Label", text(Label2)).release());
    ModelElement item = createBuilderFromStructFirst(cell.get(), 0, model, p.rock)
                            ->create(boost::uuids::nil_uuid());
    EXPECT_EQ(static_cast<Item*>(item.getImpl())->getLabel(), id(Label2));
    EXPECT_ERROR_ID(createBuilderFromStructFirst(cell.get(), 1, model, p.rock),
                    "korm0:messages:InvalidValue");
}

}  // namespace
}  // namespace zi_test
