// Versions of one persistent tree edited and dropped on several threads at once: every version
// stays as it was made, and the nodes they share are freed once, by whichever thread drops the
// last reference (run under ThreadSanitizer too).

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <thread>
#include <utility>
#include <vector>

#include "arvex/utilities/collections/persistent_btree.hpp"

namespace arvex::utilities::collections {
namespace {

using Tree = PersistentMap<int, int>;

bool same(Tree const& tree, std::map<int, int> const& reference) {
    return tree.size() == reference.size() &&
           std::equal(tree.begin(), tree.end(), reference.begin(),
                      [](auto const& a, auto const& b) {
                          return a.first == b.first && a.second == b.second;
                      });
}

// Edits its own version of `tree` at random, keeping some intermediate versions and dropping
// the rest; answers whether each kept version still matched its snapshot at the end.
bool editAndDrop(Tree tree, std::map<int, int> reference, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<std::pair<Tree, std::map<int, int>>> kept;
    for (int op = 0; op < 3000; ++op) {
        int const key = static_cast<int>(random() % 40000);
        if (random() % 2 == 0) {
            tree.emplace(key, op);
            reference.emplace(key, op);
        } else {
            tree.erase(key);
            reference.erase(key);
        }
        if (op % 300 == 0) {
            kept.emplace_back(tree, reference);
        }
    }
    bool intact = same(tree, reference);
    for (auto const& [version, snapshot] : kept) {
        intact = intact && same(version, snapshot);
    }
    return intact;
}

TEST(PersistentBTreeConcurrencyTest, VersionsEditedAndDroppedOnSeveralThreadsStayIntact) {
    Tree base;
    std::map<int, int> reference;
    for (int i = 0; i < 20000; i += 2) {
        base.emplace(i, i);
        reference.emplace(i, i);
    }
    bool intact[3] = {false, false, false};
    std::vector<std::thread> workers;
    for (unsigned t = 0; t < 3; ++t) {
        workers.emplace_back(
            [&intact, t, copy = base, &reference] { intact[t] = editAndDrop(copy, reference, t); });
    }
    // The workers now hold the only references to the nodes of `base`: the last one to let go
    // of a node frees it, after the others read it on their threads.
    base = Tree();
    for (auto& worker : workers) {
        worker.join();
    }
    EXPECT_TRUE(intact[0] && intact[1] && intact[2]);
}

}  // namespace
}  // namespace arvex::utilities::collections
