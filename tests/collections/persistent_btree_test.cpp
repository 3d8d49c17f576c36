// PersistentMap and PersistentMultimap against std::map and std::multimap: random edits with
// many versions alive at once, each checked unchanged after edits to the others; iterators
// across copies; how many nodes an edit copies; and edits that fail at every allocation or
// copy they make, which must leave the tree as it was.

#include "arvex/utilities/collections/persistent_btree.hpp"

#include "allocation_faults.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <initializer_list>
#include <iterator>
#include <map>
#include <new>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace arvex::utilities::collections {
namespace {

// Small nodes: deep trees, and every split, borrow and merge path, with few values.
template <class K, class V>
using SmallMap = detail::PersistentBTree<K, V, std::less<K>, false, 4, 4>;
template <class K, class V>
using SmallMultimap = detail::PersistentBTree<K, V, std::less<K>, true, 4, 4>;

template <class Tree, class Reference>
::testing::AssertionResult same(Tree const& tree, Reference const& reference) {
    if (tree.size() != reference.size() || tree.empty() != reference.empty()) {
        return ::testing::AssertionFailure()
               << "size " << tree.size() << ", expected " << reference.size();
    }
    auto it = tree.begin();
    std::size_t i = 0;
    for (auto const& [key, value] : reference) {
        if (it == tree.end() || !(it->first == key) || !(it->second == value)) {
            return ::testing::AssertionFailure() << "differs at position " << i;
        }
        ++it;
        ++i;
    }
    return it == tree.end() ? ::testing::AssertionSuccess()
                            : ::testing::AssertionFailure() << "longer than expected";
}

// The tree's values are pairs of a non-const key; the standard containers' of a const one.
constexpr auto kSamePair = [](auto const& a, auto const& b) {
    return a.first == b.first && a.second == b.second;
};

template <class Container>
auto nth(Container const& container, std::size_t n) {
    return std::next(container.begin(), static_cast<std::ptrdiff_t>(n));
}

// ---- random differential test --------------------------------------------------------------

// A tree and the standard container it must equal.
template <class Tree, class Reference>
struct Version {
    Tree tree;
    Reference reference;
};

template <class Tree, class Reference>
class Differential {
  public:
    Differential(int keyRange, unsigned seed) : m_keyRange(keyRange), m_random(seed) {}

    void run(int operations) {
        m_versions.resize(1);
        for (int op = 0; op < operations; ++op) {
            V& current = m_versions[m_current];
            edit(current);
            if (op % 8 == 0 || current.reference.size() < 100) {
                ASSERT_TRUE(same(current.tree, current.reference)) << "after operation " << op;
            }
            if (op % 7 == 0) {
                branch();
            }
            if (op % 97 == 0) {
                checkAllVersions();
                checkLookups(m_versions[m_current]);
            }
        }
        checkAllVersions();
    }

  private:
    using V = Version<Tree, Reference>;

    int randomKey() { return std::uniform_int_distribution<int>(0, m_keyRange - 1)(m_random); }
    std::size_t below(std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(m_random);
    }

    void edit(V& v) {
        int const key = randomKey();
        int const value = m_serial++;
        switch (below(10)) {
            case 0:
            case 1:
            case 2: {
                auto const got = v.tree.emplace(key, value);
                auto const expected = v.reference.emplace(key, value);
                if constexpr (requires { expected.second; }) {
                    EXPECT_EQ(got.second, expected.second);
                    EXPECT_EQ(got.first->second, expected.first->second);
                } else {
                    EXPECT_TRUE(sameValue(v, got, expected));
                }
                break;
            }
            case 3:
            case 4: {
                auto const [hint, referenceHint] = pick(v, randomKey());
                auto const got = v.tree.emplace_hint(hint, key, value);
                auto const expected = v.reference.emplace_hint(referenceHint, key, value);
                EXPECT_TRUE(sameValue(v, got, expected));
                break;
            }
            case 5:
            case 6:
            case 7: {
                auto const [at, referenceAt] = pick(v, key);
                if (referenceAt != v.reference.end()) {
                    auto const next = v.tree.erase(at);
                    EXPECT_TRUE(sameValue(v, next, v.reference.erase(referenceAt)));
                }
                break;
            }
            case 8:
                EXPECT_EQ(v.tree.erase(key), v.reference.erase(key));
                break;
            default:
                if (below(50) == 0) {
                    v.tree.clear();
                    v.reference.clear();
                }
                break;
        }
    }

    // The same position in both: the first, the end, or one within or after the group of a key.
    auto pick(V const& v, int key) {
        switch (below(4)) {
            case 0:
                return std::pair(v.tree.begin(), v.reference.begin());
            case 1:
                return std::pair(v.tree.end(), v.reference.end());
            case 2: {
                auto const within = static_cast<std::ptrdiff_t>(below(v.reference.count(key) + 1));
                return std::pair(std::next(v.tree.lower_bound(key), within),
                                 std::next(v.reference.lower_bound(key), within));
            }
            default:
                return std::pair(v.tree.upper_bound(key), v.reference.upper_bound(key));
        }
    }

    // Whether both iterators are at the end or at the same value (values are serial numbers).
    template <class Iterator, class ReferenceIterator>
    static bool sameValue(V const& v, Iterator it, ReferenceIterator expected) {
        if (expected == v.reference.end()) {
            return it == v.tree.end();
        }
        return it != v.tree.end() && it->first == expected->first && it->second == expected->second;
    }

    // Copies the current version into the set (bounded), and goes on editing one of them.
    void branch() {
        V copy = m_versions[m_current];
        if (m_versions.size() < kVersions) {
            m_versions.push_back(std::move(copy));
        } else {
            m_versions[below(kVersions)] = std::move(copy);
        }
        m_current = below(m_versions.size());
    }

    void checkAllVersions() {
        for (std::size_t i = 0; i < m_versions.size(); ++i) {
            ASSERT_TRUE(same(m_versions[i].tree, m_versions[i].reference)) << "version " << i;
        }
    }

    void checkLookups(V const& v) {
        for (int key = -1; key <= m_keyRange; ++key) {
            ASSERT_EQ(v.tree.count(key), v.reference.count(key)) << key;
            ASSERT_EQ(v.tree.contains(key), v.reference.count(key) != 0) << key;
            ASSERT_TRUE(sameValue(v, v.tree.lower_bound(key), v.reference.lower_bound(key)));
            ASSERT_TRUE(sameValue(v, v.tree.upper_bound(key), v.reference.upper_bound(key)));
            ASSERT_TRUE(sameValue(v, v.tree.find(key), v.reference.find(key)));
        }
    }

    static constexpr std::size_t kVersions = 12;
    int m_keyRange;
    std::mt19937 m_random;
    std::vector<V> m_versions;
    std::size_t m_current = 0;
    int m_serial = 0;
};

// Runs the differential test on small nodes and on the default ones, each at key ranges that
// make trees of one leaf, of a few levels and of many.
template <class Small, class Default, class Reference>
void differential(std::initializer_list<int> smallRanges, std::initializer_list<int> ranges,
                  unsigned seed) {
    for (int const range : smallRanges) {
        SCOPED_TRACE("small nodes, key range " + std::to_string(range));
        Differential<Small, Reference>(range, seed + range).run(20000);
    }
    for (int const range : ranges) {
        SCOPED_TRACE("key range " + std::to_string(range));
        Differential<Default, Reference>(range, seed + range).run(20000);
    }
}

TEST(PersistentBTreeTest, MapMatchesStdMapAcrossVersions) {
    differential<SmallMap<int, int>, PersistentMap<int, int>, std::map<int, int>>(
        {6, 40, 700}, {30, 500, 6000}, 1);
}

TEST(PersistentBTreeTest, MultimapMatchesStdMultimapAcrossVersionsKeepingFilingOrder) {
    // Few keys, many values each: groups that span several leaves. Values are serial numbers,
    // so comparing them checks the filing order within a key.
    differential<SmallMultimap<int, int>, PersistentMultimap<int, int>, std::multimap<int, int>>(
        {3, 25, 400}, {2, 60, 3000}, 2);
}

// ---- iteration and look-ups ------------------------------------------------------------------

TEST(PersistentBTreeTest, IteratorsWalkBothWaysAndRangesCoverGroups) {
    SmallMultimap<int, int> tree;
    std::multimap<int, int> reference;
    for (int i = 0; i < 300; ++i) {
        tree.emplace(i % 17, i);
        reference.emplace(i % 17, i);
    }
    std::vector<std::pair<int, int>> backwards;
    for (auto it = tree.end(); it != tree.begin();) {
        --it;
        backwards.push_back(*it);
    }
    EXPECT_TRUE(std::equal(backwards.begin(), backwards.end(), reference.rbegin(), reference.rend(),
                           kSamePair));
    for (auto it = tree.begin(); it != tree.end(); ++it) {
        auto copy = it;
        ASSERT_EQ(--(++copy), it);
    }
    for (int key = 0; key < 17; ++key) {
        auto const [first, last] = tree.equal_range(key);
        auto const [refFirst, refLast] = reference.equal_range(key);
        EXPECT_TRUE(std::equal(first, last, refFirst, refLast, kSamePair)) << key;
    }
    auto const [first, last] = tree.equal_range(99);
    EXPECT_EQ(first, last);
    EXPECT_EQ(first, tree.end());
}

// ---- iterators across a copy ---------------------------------------------------------------

TEST(PersistentBTreeTest, IteratorFromBeforeACopyErasesAndHintsOnTheOriginal) {
    SmallMap<int, int> tree;
    std::map<int, int> reference;
    for (int i = 0; i < 200; i += 2) {
        tree.emplace(i, i);
        reference.emplace(i, i);
    }
    auto const hint = tree.find(100);
    auto const saved = tree;  // shares every node
    auto const next = tree.erase(hint);
    EXPECT_EQ(next->first, 102);
    EXPECT_EQ(tree.count(100), 0u);
    EXPECT_TRUE(same(saved, reference));

    auto const before = tree.lower_bound(150);
    auto const copy = tree;
    auto const filed = tree.emplace_hint(before, 149, -1);
    EXPECT_EQ(std::prev(filed)->first, 148);
    EXPECT_EQ(std::next(filed)->first, 150);
    reference.erase(100);
    EXPECT_TRUE(same(copy, reference));
    reference.emplace(149, -1);
    EXPECT_TRUE(same(tree, reference));
}

// ---- what an edit copies --------------------------------------------------------------------

PersistentMap<int, int> filled(int n) {
    PersistentMap<int, int> tree;
    for (int i = 0; i < n; ++i) {
        tree.emplace(i * 2, i);
    }
    return tree;
}

TEST(PersistentBTreeTest, LoneEditOfASharedTreeCopiesOnlyItsPath) {
    auto tree = filled(20000);
    ASSERT_GE(tree.height(), 3u);
    std::mt19937 random(5);
    for (int round = 0; round < 200; ++round) {
        auto const other = tree;
        std::size_t const height = tree.height();
        int const key = static_cast<int>(random() % 40000);
        persistentTreeCounters() = {};
        if (round % 2 == 0) {
            tree.emplace(key | 1, round);
            EXPECT_EQ(persistentTreeCounters().copied, height);
            EXPECT_LE(persistentTreeCounters().allocated, 2 * height + 1);
        } else {
            tree.erase(tree.lower_bound(key));
            EXPECT_LE(persistentTreeCounters().copied, 2 * height - 1);
        }
    }
}

TEST(PersistentBTreeTest, EditOfAnUnsharedTreeCopiesNothing) {
    auto tree = filled(20000);
    persistentTreeCounters() = {};
    for (int i = 0; i < 5000; ++i) {
        tree.emplace(i * 8 + 1, i);
        tree.erase(tree.find(i * 4));
    }
    EXPECT_EQ(persistentTreeCounters().copied, 0u);
}

TEST(PersistentBTreeTest, DroppingAVersionFreesOnlyWhatItAloneHeld) {
    auto tree = filled(20000);
    auto const other = tree;
    persistentTreeCounters() = {};
    tree.emplace(7, 7);
    tree.erase(tree.find(10000));
    std::uint64_t const made = persistentTreeCounters().allocated;
    persistentTreeCounters() = {};
    tree = PersistentMap<int, int>();
    EXPECT_EQ(persistentTreeCounters().freed, made);
    EXPECT_EQ(other.size(), 20000u);
    EXPECT_EQ(other.count(10000), 1u);
}

// ---- failures leave the tree as it was ----------------------------------------------------

// Copies throw once a countdown set by the test runs out.
thread_local long g_copiesLeft = -1;

struct Fragile {
    Fragile(int value) : n(value) {}  // NOLINT: implicit, for brevity in the tests
    Fragile(Fragile const& other) : n(other.n) {
        if (g_copiesLeft == 0) {
            throw std::runtime_error("copy failed");
        }
        if (g_copiesLeft > 0) {
            --g_copiesLeft;
        }
    }
    Fragile(Fragile&&) noexcept = default;
    Fragile& operator=(Fragile const&) = default;
    Fragile& operator=(Fragile&&) noexcept = default;
    friend bool operator==(Fragile const&, Fragile const&) = default;
    friend auto operator<=>(Fragile const&, Fragile const&) = default;
    int n;
};

// Runs `edit` with its n-th allocation (or copy) failing, n = 0, 1, ..., until it succeeds;
// after each failure both trees must equal their references. Answers the failure points.
// Arms a failure after `n` successful steps (copies or allocations); a negative `n` disarms.
using ArmFailure = void (*)(long n);

void armCopyFailure(long n) {
    g_copiesLeft = n;
}

void armAllocation(long n) {
    if (n < 0) {
        faults::disarmAllocationFailure();
    } else {
        faults::armAllocationFailure(n + 1);
    }
}

template <class Tree, class Reference, class Edit>
int failEachStep(ArmFailure arm, Tree& tree, Tree const& other, Reference const& reference,
                 Edit edit) {
    for (int n = 0;; ++n) {
        arm(n);
        try {
            edit();
            arm(-1);
            return n;
        } catch (std::exception const&) {
            arm(-1);
        }
        EXPECT_TRUE(same(tree, reference)) << "after failure " << n;
        EXPECT_TRUE(same(other, reference)) << "after failure " << n;
    }
}

template <class Tree>
void failuresLeaveTheTreeAsItWas(ArmFailure arm) {
    std::multimap<Fragile, Fragile> reference;
    Tree tree;
    for (int i = 0; i < 120; ++i) {
        tree.emplace(i % 40, i);
        reference.emplace(i % 40, i);
    }
    int points = 0;
    for (int round = 0; round < 60; ++round) {
        Tree const other = tree;  // every node shared: each edit must copy its path
        int const key = (round * 7) % 41;
        if (round % 3 == 0) {
            points += failEachStep(arm, tree, other, reference,
                                   [&] { tree.emplace_hint(tree.end(), key, 1000 + round); });
            reference.emplace_hint(reference.end(), key, 1000 + round);
        } else if (round % 3 == 1) {
            std::size_t const at = static_cast<std::size_t>(round) % reference.size();
            points += failEachStep(arm, tree, other, reference,
                                   [&] { tree.write(nth(tree, at)) = 2000 + round; });
            std::next(reference.begin(), static_cast<std::ptrdiff_t>(at))->second = 2000 + round;
        } else {
            std::size_t const at = static_cast<std::size_t>(round) % reference.size();
            points += failEachStep(arm, tree, other, reference, [&] { tree.erase(nth(tree, at)); });
            reference.erase(nth(reference, at));
        }
        ASSERT_TRUE(same(tree, reference));
    }
    EXPECT_GT(points, 60);
}

TEST(PersistentBTreeTest, FailedCopyOfAKeyOrValueLeavesTheTreeAsItWas) {
    failuresLeaveTheTreeAsItWas<SmallMultimap<Fragile, Fragile>>(&armCopyFailure);
}

TEST(PersistentBTreeTest, FailedAllocationLeavesTheTreeAsItWas) {
    failuresLeaveTheTreeAsItWas<SmallMultimap<Fragile, Fragile>>(&armAllocation);
}

TEST(PersistentBTreeTest, AFailureBeforeLinkingLeavesTheTreeAsItWas) {
    for (int size : {0, 1, 41, 2000}) {
        auto tree = filled(size);
        for (bool shared : {false, true}) {
            auto const other = shared ? tree : PersistentMap<int, int>();
            auto const before = tree;
            int const key = 2 * size + 1;
            EXPECT_THROW(tree.emplace_hint_then(tree.end(), key, 1,
                                                [] { throw std::runtime_error("refused"); }),
                         std::runtime_error);
            EXPECT_EQ(tree, before) << size;
            EXPECT_FALSE(tree.contains(key));
            bool ran = false;
            auto const it = tree.emplace_hint_then(tree.begin(), key, 2, [&] {
                ran = true;
                EXPECT_FALSE(tree.contains(key)) << "linked only after the step";
            });
            EXPECT_TRUE(ran);
            EXPECT_EQ(it->second, 2);
            EXPECT_EQ(tree.size(), before.size() + 1);
            tree.emplace_hint_then(tree.end(), key, 3, [] { ADD_FAILURE() << "key taken"; });
            EXPECT_EQ(tree.at(key), 2);
            if (shared) {
                EXPECT_EQ(other, before) << "the other version stays as it was";
            }
            tree = before;
        }
    }
}

TEST(PersistentBTreeTest, WritingAValueCopiesOnlyASharedPath) {
    auto tree = filled(20000);
    auto const other = tree;
    persistentTreeCounters() = {};
    tree.write(tree.find(5000)) = -1;
    EXPECT_EQ(persistentTreeCounters().copied, tree.height());
    persistentTreeCounters() = {};
    tree.write(tree.find(5002)) = -2;
    EXPECT_EQ(persistentTreeCounters().copied, 0u) << "the path is this version's own by now";
    EXPECT_EQ(tree.at(5000), -1);
    EXPECT_EQ(other.at(5000), 5000 / 2);
    EXPECT_THROW(static_cast<void>(other.at(-7)), std::out_of_range);
}

TEST(PersistentBTreeTest, FindValueAgreesWithFindAcrossStaleSeparators) {
    // Small nodes and erasures leave separators equal to keys that moved or went away.
    SmallMap<int, int> map;
    SmallMultimap<int, int> multi;
    std::mt19937 random(11);
    for (int i = 0; i < 600; ++i) {
        int const key = static_cast<int>(random() % 400);
        map.emplace(key, i);
        multi.emplace(key, i);
        if (i % 3 == 0) {
            map.erase(static_cast<int>(random() % 400));
            multi.erase(static_cast<int>(random() % 400));
        }
    }
    auto const agree = [](auto const& tree) {
        for (int key = -1; key <= 400; ++key) {
            auto const it = tree.find(key);
            auto const* value = tree.find_value(key);
            ASSERT_EQ(value == nullptr, it == tree.end()) << key;
            if (value != nullptr) {
                EXPECT_EQ(value, &it->second) << key;
            }
        }
    };
    agree(map);
    agree(multi);
    EXPECT_EQ((SmallMap<int, int>().find_value(1)), nullptr);
}

TEST(PersistentBTreeTest, EqualityComparesContentsNotSharing) {
    auto a = filled(100);
    auto b = filled(100);
    EXPECT_EQ(a, b);
    auto c = a;
    c.emplace(1, 1);
    EXPECT_NE(a, c);
    c.erase(1);
    EXPECT_EQ(a, c);
    c.swap(b);
    EXPECT_EQ(a, b);
    auto moved = std::move(b);
    EXPECT_TRUE(b.empty());  // NOLINT: a moved-from tree is empty
    EXPECT_EQ(moved, a);
}

}  // namespace
}  // namespace arvex::utilities::collections
