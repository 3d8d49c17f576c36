// The sequence and the unordered set.

#include "collection_test_support.hpp"

namespace korm::zero::colltest {
namespace {

TEST(Sequences, PlaceholderCompiles) {
    Model const model = Model::create();
    Holder const holder = Holder::create(model);
    holder->seq().add(Entry::create(model));
    holder->set().add(Entry::create(model));
    EXPECT_EQ(holder->seq().size(), 1U);
}

}  // namespace
}  // namespace korm::zero::colltest
