// The model-file reader's small parts: the bytes of a stored value, held in place up to a UUID's
// size and on the heap beyond, survive copies, moves and assignment from themselves; the
// elements found by UUID are found whatever the order of adding and of asking, and an id that
// was not added is never mistaken for a neighbour.

#include <gtest/gtest.h>

#include <algorithm>
#include <boost/uuid/uuid.hpp>
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "elements_by_id.hpp"
#include "stored_bytes.hpp"

namespace korm::zero::store::test {
namespace {

/// Bytes of `size` that differ from those of every other size.
std::string bytesOf(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>(size * 7 + i);
    }
    return bytes;
}

TEST(StoredBytes, KeepsEveryLengthThroughCopiesMovesAndSelfAssignment) {
    // Around the in-place limit, where the storage changes.
    for (std::size_t size : {0, 1, 15, 16, 17, 36, 300}) {
        std::string const expected = bytesOf(size);
        StoredBytes original(expected);
        EXPECT_EQ(original.view(), expected) << size;

        StoredBytes copy = original;
        original = bytesOf(size + 1);  // the copy owns its bytes
        EXPECT_EQ(copy.view(), expected) << size;

        StoredBytes moved = std::move(copy);
        EXPECT_EQ(moved.view(), expected) << size;
        EXPECT_TRUE(copy.empty()) << size;  // NOLINT(bugprone-use-after-move): defined empty

        moved = moved.view();  // from a view of its own bytes
        EXPECT_EQ(moved.view(), expected) << size;
        StoredBytes& alias = moved;
        moved = alias;
        moved = std::move(alias);
        EXPECT_EQ(moved.view(), expected) << size;

        // Between the two storages both ways.
        moved = bytesOf(300);
        moved = bytesOf(size);
        EXPECT_EQ(moved.view(), expected) << size;
    }
}

boost::uuids::uuid idOf(std::uint32_t n) {
    boost::uuids::uuid id{};
    for (std::size_t byte = 0; byte < 4; ++byte) {
        id.data[byte] = static_cast<std::uint8_t>(n >> (8 * (3 - byte)));
    }
    id.data[15] = 1;
    return id;
}

/// A distinct fake element address for n: never dereferenced.
ModelElement::Impl* elementOf(std::uint32_t n) {
    return reinterpret_cast<ModelElement::Impl*>(static_cast<std::uintptr_t>(n + 1) * 16);
}

TEST(ElementsById, FindsEachElementInAnyOrderAndNothingForOtherIds) {
    constexpr std::uint32_t COUNT = 200;
    std::vector<std::uint32_t> numbers;
    for (std::uint32_t n = 0; n < COUNT; ++n) {
        numbers.push_back(2 * n + 1);  // odd: the even ids fall between them
    }
    std::mt19937 random(7);
    for (bool addedInOrder : {true, false}) {
        std::vector<std::uint32_t> added = numbers;
        if (!addedInOrder) {
            std::shuffle(added.begin(), added.end(), random);
        }
        ElementsById elements;
        for (std::uint32_t n : added) {
            elements.add(idOf(n), elementOf(n));
        }
        elements.seal();
        // In order (the hint's path), backwards and at random (the search's).
        std::vector<std::uint32_t> asked = numbers;
        for (int pass = 0; pass < 3; ++pass) {
            for (std::uint32_t n : asked) {
                EXPECT_EQ(elements.find(idOf(n)), elementOf(n)) << n;
                EXPECT_EQ(elements.find(idOf(n + 1)), nullptr) << n + 1;
            }
            pass == 0 ? std::reverse(asked.begin(), asked.end())
                      : std::shuffle(asked.begin(), asked.end(), random);
        }
        EXPECT_EQ(elements.find(idOf(0)), nullptr);
        EXPECT_EQ(elements.find(boost::uuids::uuid{}), nullptr);
    }
    EXPECT_EQ(ElementsById().find(idOf(1)), nullptr);
}

}  // namespace
}  // namespace korm::zero::store::test
