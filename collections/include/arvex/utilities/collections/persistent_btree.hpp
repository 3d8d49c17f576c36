#pragma once

// PersistentMap and PersistentMultimap: ordered containers whose copies share structure. They
// are B-trees whose nodes are counted and shared between versions: copying a container shares
// its root (O(1)); a change to a container that shares nodes copies only the nodes on the path
// it touches (O(log n)); a container that shares nothing changes in place. A version never
// changes because another one did, whichever thread drops it.
//
// They offer the part of the std::map / std::multimap interface that ordered keyed collections
// need: ordered bidirectional iteration (read-only), look-ups, insertion with a hint, erasure
// by iterator and by key. A multimap keeps the values of one key in the order they were filed.
//
// Iterators. Any change of a container invalidates its iterators, as do moving and swapping it.
// Copying a container does not: an iterator obtained before the copy still serves to erase or
// to insert with a hint on the original, as long as the original's contents did not change in
// between (an iterator is the path of child indices from the root, plus the leaf it reads).
//
// Exceptions. Insertion and erasure make every allocation and copy they need before they
// change anything, so a failure (std::bad_alloc, a throwing key or value copy) leaves the
// container as it was. Erasure may throw: it copies nodes shared with another version. Copying,
// moving, swapping, clearing, iterating and looking up do not throw (given a comparison that
// does not). Keys and values must be nothrow-movable.

#include <algorithm>
#include <bit>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <iterator>
#include <stdexcept>
#include <type_traits>
#include <utility>

#include "arvex/utilities/collections/persistent_btree_edit.hpp"
#include "arvex/utilities/collections/persistent_btree_node.hpp"

namespace arvex::utilities::collections {

namespace detail {

// Node sizes. Measured with UUID keys and 8-byte values at 10^3 to 10^6 pairs, nodes of about
// 1 KiB (42 slots) beat 256 and 512 bytes on insertion, look-up and erasure at 10^5 pairs and
// more, and hold a pair in fewer bytes (about 38 against 40 and 48); copying a path of them
// costs more, but still well under a microsecond.
inline constexpr std::size_t kNodeBytes = 1024;

/// Slots per leaf: about `bytes` of values, at least 8 and at most 64 slots.
template <class Value, std::size_t bytes = kNodeBytes>
constexpr std::size_t defaultLeafSlots() {
    return std::clamp<std::size_t>(bytes / sizeof(Value), 8, 64);
}

/// Children per inner node: about `bytes` of keys and child pointers, 16 to 64 children.
template <class Key, std::size_t bytes = kNodeBytes>
constexpr std::size_t defaultInnerSlots() {
    return std::clamp<std::size_t>(bytes / (sizeof(Key) + sizeof(void*)), 16, 64);
}

/// The tree behind both containers. `Multi` allows equal keys (filed after their equals unless
/// a hint says otherwise).
template <class K, class V, class Compare, bool Multi, std::size_t LeafSlots,
          std::size_t InnerSlots>
class PersistentBTree {
    static_assert(std::is_nothrow_move_constructible_v<K> &&
                      std::is_nothrow_move_constructible_v<V>,
                  "keys and values must be nothrow-movable: edits move them after the point "
                  "where they can no longer fail");
    static_assert(std::is_nothrow_destructible_v<K> && std::is_nothrow_destructible_v<V>);
    static_assert(LeafSlots >= 4 && LeafSlots < 0xffff && InnerSlots >= 4 && InnerSlots < 0xffff);

  public:
    using key_type = K;
    using mapped_type = V;
    /// Values are read-only through the iterators; the key is not const so that nodes can move
    /// their values.
    using value_type = std::pair<K, V>;
    using key_compare = Compare;
    using size_type = std::size_t;
    using difference_type = std::ptrdiff_t;
    using reference = value_type const&;
    using const_reference = value_type const&;
    class const_iterator;
    using iterator = const_iterator;

    PersistentBTree() noexcept(std::is_nothrow_default_constructible_v<Compare>) = default;
    explicit PersistentBTree(Compare const& compare) : m_compare(compare) {}
    /// Shares `other`'s nodes: O(1).
    PersistentBTree(PersistentBTree const& other) noexcept
        : m_root(other.m_root)
        , m_size(other.m_size)
        , m_levels(other.m_levels)
        , m_compare(other.m_compare) {
        if (m_root != nullptr) {
            Store::retain(m_root);
        }
    }
    PersistentBTree(PersistentBTree&& other) noexcept
        : m_root(std::exchange(other.m_root, nullptr))
        , m_size(std::exchange(other.m_size, 0))
        , m_levels(std::exchange(other.m_levels, 0))
        , m_compare(other.m_compare) {}
    PersistentBTree& operator=(PersistentBTree const& other) noexcept {
        PersistentBTree(other).swap(*this);
        return *this;
    }
    PersistentBTree& operator=(PersistentBTree&& other) noexcept {
        PersistentBTree(std::move(other)).swap(*this);
        return *this;
    }
    ~PersistentBTree() { clear(); }

    void swap(PersistentBTree& other) noexcept {
        using std::swap;
        swap(m_root, other.m_root);
        swap(m_size, other.m_size);
        swap(m_levels, other.m_levels);
        swap(m_compare, other.m_compare);
    }
    friend void swap(PersistentBTree& a, PersistentBTree& b) noexcept { a.swap(b); }

    /// Drops this version's nodes; nodes shared with other versions stay for them.
    void clear() noexcept {
        if (m_root != nullptr) {
            Store::release(std::exchange(m_root, nullptr));
        }
        m_size = 0;
        m_levels = 0;
    }

    size_type size() const noexcept { return m_size; }
    bool empty() const noexcept { return m_size == 0; }
    /// Levels of nodes from the root to the leaves (0 when empty).
    std::size_t height() const noexcept { return m_levels; }
    key_compare key_comp() const { return m_compare; }

    const_iterator begin() const noexcept {
        const_iterator it(m_root);
        if (m_root != nullptr) {
            it.descend(m_root, 0, true);
        }
        return it;
    }
    const_iterator end() const noexcept { return const_iterator(m_root); }
    const_iterator cbegin() const noexcept { return begin(); }
    const_iterator cend() const noexcept { return end(); }

    // Look-ups build their answer in place and return it as the one named result: an iterator
    // copied right after its path was written costs a stalled load per copy.
    const_iterator lower_bound(K const& key) const {
        const_iterator it = seek<false>(key);
        it.normalize();
        return it;
    }
    const_iterator upper_bound(K const& key) const {
        const_iterator it = seek<true>(key);
        it.normalize();
        return it;
    }
    std::pair<const_iterator, const_iterator> equal_range(K const& key) const {
        return {lower_bound(key), upper_bound(key)};
    }
    const_iterator find(K const& key) const {
        const_iterator it = lower_bound(key);
        if (it.m_leaf != nullptr && m_compare(key, it->first)) {
            it.m_leaf = nullptr;
        }
        return it;
    }
    /// The value of `key` (the first one in a multimap), or null: a descent that builds no
    /// iterator. The pointer stays good until the container changes or is dropped.
    mapped_type const* find_value(K const& key) const {
        NodeHeader const* node = m_root;
        if (node == nullptr) {
            return nullptr;
        }
        while (!node->leaf) {
            auto const* inner = Store::inner(node);
            node = inner->children[bound<false>(
                inner->count - 1u, key,
                [inner](std::size_t j) -> K const& { return inner->keys[j]; })];
        }
        auto const* leaf = Store::leaf(node);
        std::size_t const slot = bound<false>(
            leaf->count, key, [leaf](std::size_t j) -> K const& { return leaf->values[j].first; });
        if (slot == leaf->count) {
            // The bound lies in the next leaf (the separator above equals the key).
            const_iterator const it = find(key);
            return it == end() ? nullptr : &it->second;
        }
        auto const& found = leaf->values[slot];
        return m_compare(key, found.first) ? nullptr : &found.second;
    }
    bool contains(K const& key) const { return find_value(key) != nullptr; }
    /// The value of `key` (the first one in a multimap); std::out_of_range when there is none.
    mapped_type const& at(K const& key) const {
        const_iterator const it = find(key);
        if (it == end()) {
            throw std::out_of_range("persistent tree: no value with that key");
        }
        return it->second;
    }
    size_type count(K const& key) const {
        if constexpr (Multi) {
            auto const [first, last] = equal_range(key);
            return static_cast<size_type>(std::distance(first, last));
        } else {
            return contains(key) ? 1 : 0;
        }
    }

    /// Files (key, value): a map answers the existing value and false when the key is taken;
    /// a multimap files it after the values with an equal key and answers it.
    template <class KeyArg, class ValueArg>
    auto emplace(KeyArg&& key, ValueArg&& value) {
        if constexpr (Multi) {
            return insertBefore(
                seek<true>(key),
                value_type(std::forward<KeyArg>(key), std::forward<ValueArg>(value)), [] {});
        } else {
            const_iterator const at = lower_bound(key);
            if (at != end() && !m_compare(key, at->first)) {
                return std::pair(at, false);
            }
            return std::pair(
                insertBefore(at,
                             value_type(std::forward<KeyArg>(key), std::forward<ValueArg>(value)),
                             [] {}),
                true);
        }
    }
    auto insert(value_type const& value) { return emplace(value.first, value.second); }

    /// Files (key, value) as close before `hint` as the order allows, as std::map and
    /// std::multimap do; a map answers the existing value when the key is taken. A right hint
    /// saves the descent from the root.
    template <class KeyArg, class ValueArg>
    const_iterator emplace_hint(const_iterator hint, KeyArg&& key, ValueArg&& value) {
        return emplace_hint_then(hint, std::forward<KeyArg>(key), std::forward<ValueArg>(value),
                                 [] {});
    }

    /// As emplace_hint, in two steps around `beforeLinking()`: everything the insertion needs
    /// is allocated first, then beforeLinking runs, then the value is linked in, which cannot
    /// fail. When allocating or beforeLinking throws, the container is as it was. So a caller
    /// whose own bookkeeping of the new value may fail gets all or nothing without having to
    /// erase (which may allocate) to undo the insertion. beforeLinking must neither change nor
    /// copy this container; it does not run when a map's key is taken.
    template <class KeyArg, class ValueArg, class BeforeLinking>
    const_iterator emplace_hint_then(const_iterator hint, KeyArg&& key, ValueArg&& value,
                                     BeforeLinking&& beforeLinking) {
        bool const afterPrevious = hint.first() || before(std::prev(hint)->first, key);
        bool const beforeHint = hint == end() || before(key, hint->first);
        if (!(afterPrevious && beforeHint)) {
            if constexpr (Multi) {
                hint = hint != end() && m_compare(hint->first, key) ? lower_bound(key)
                                                                    : upper_bound(key);
            } else {
                hint = lower_bound(key);
                if (hint != end() && !m_compare(key, hint->first)) {
                    return hint;
                }
            }
        }
        return insertBefore(hint,
                            value_type(std::forward<KeyArg>(key), std::forward<ValueArg>(value)),
                            beforeLinking);
    }
    const_iterator insert(const_iterator hint, value_type const& value) {
        return emplace_hint(hint, value.first, value.second);
    }

    /// The mapped value at `position` (a value of this tree), writable: the nodes on its path
    /// are first made this container's own (copies of shared ones, which may throw and then
    /// change nothing). The reference stays good until the container changes or is copied;
    /// iterators are invalidated as by a change.
    mapped_type& write(const_iterator position) {
        TreeEdit<PersistentBTree> edit(*this, position.m_path);
        return edit.writeAt().second;
    }

    /// Erases the value at `position` (a value of this tree); answers the one after it.
    const_iterator erase(const_iterator position) {
        const_iterator it = atPath(eraseAt(position));
        it.normalize();
        return it;
    }
    /// Erases every value with `key`; answers how many.
    size_type erase(K const& key) {
        if constexpr (Multi) {
            size_type erased = 0;
            for (const_iterator it = lower_bound(key); it != end() && !m_compare(key, it->first);
                 ++erased) {
                it = erase(it);
            }
            return erased;
        } else {
            const_iterator const it = find(key);
            if (it == end()) {
                return 0;
            }
            eraseAt(it);
            return 1;
        }
    }

    friend bool operator==(PersistentBTree const& a, PersistentBTree const& b) {
        return a.m_root == b.m_root ||
               (a.m_size == b.m_size && std::equal(a.begin(), a.end(), b.begin()));
    }

  private:
    friend class TreeEdit<PersistentBTree>;

    using Store = NodeStore<value_type, K, LeafSlots, InnerSlots>;
    static constexpr std::size_t kLeafSlots = LeafSlots;
    static constexpr std::size_t kInnerSlots = InnerSlots;
    /// Enough levels for 2^48 values at the least fill of an inner node (a half), and two more
    /// for the root and the leaves; an insertion that would need more fails.
    static constexpr std::size_t kMaxLevels =
        2 + (48 + std::bit_width(InnerSlots / 2) - 2) / (std::bit_width(InnerSlots / 2) - 1);
    using Path = TreePath<kMaxLevels>;

    /// Whether `a` goes before `b` where a value is filed: strictly for a map, or equal for a
    /// multimap.
    bool before(K const& a, K const& b) const { return Multi ? !m_compare(b, a) : m_compare(a, b); }

    /// The slot for `key` among `n` keys: the first key not before it (Upper false) or the
    /// first after it (Upper true). (A branch-free search measured slower here: each probe's
    /// address waits for the previous comparison, where a predicted branch runs ahead.)
    template <bool Upper, class KeyAt>
    std::size_t bound(std::size_t n, K const& key, KeyAt keyAt) const {
        std::size_t low = 0;
        std::size_t high = n;
        while (low < high) {
            std::size_t const mid = (low + high) / 2;
            K const& probe = keyAt(mid);
            if (Upper ? !m_compare(key, probe) : m_compare(probe, key)) {
                low = mid + 1;
            } else {
                high = mid;
            }
        }
        return low;
    }

    /// The lower (or upper) bound of `key` as a path; its slot may be one past its leaf's end.
    template <bool Upper>
    const_iterator seek(K const& key) const {
        const_iterator it(m_root);
        NodeHeader const* node = m_root;
        if (node == nullptr) {
            return it;
        }
        std::size_t level = 0;
        while (!node->leaf) {
            auto const* inner = Store::inner(node);
            std::size_t const i =
                bound<Upper>(inner->count - 1u, key,
                             [inner](std::size_t j) -> K const& { return inner->keys[j]; });
            it.m_path.index[level++] = static_cast<std::uint16_t>(i);
            node = inner->children[i];
        }
        auto const* leaf = Store::leaf(node);
        it.m_path.index[level++] = static_cast<std::uint16_t>(bound<Upper>(
            leaf->count, key, [leaf](std::size_t j) -> K const& { return leaf->values[j].first; }));
        it.m_path.levels = static_cast<std::uint8_t>(level);
        it.m_leaf = leaf;
        return it;
    }

    /// The iterator at `path`, a path of this tree.
    const_iterator atPath(Path const& path) const noexcept {
        const_iterator it(m_root);
        if (path.levels == 0) {
            return it;
        }
        NodeHeader const* node = m_root;
        for (std::size_t d = 0; d + 1 < path.levels; ++d) {
            node = Store::inner(node)->children[path.index[d]];
        }
        it.m_path = path;
        it.m_leaf = Store::leaf(node);
        return it;
    }

    /// Erases the value at `position`; answers the path of the value after it (its slot may be
    /// one past its leaf's end).
    Path eraseAt(const_iterator position) {
        if (m_size == 1) {
            clear();
            return Path();
        }
        TreeEdit<PersistentBTree> edit(*this, position.m_path);
        edit.prepareErase();
        Path const next = edit.commitErase();
        --m_size;
        return next;
    }

    /// Inserts `value` at `position`, where the order allows it, calling beforeLinking once
    /// the insertion can no longer fail (see emplace_hint_then).
    template <class BeforeLinking>
    const_iterator insertBefore(const_iterator position, value_type&& value,
                                BeforeLinking&& beforeLinking) {
        if (m_root == nullptr) {
            NodeHeader* const fresh = Store::newLeaf();
            try {
                beforeLinking();
            } catch (...) {
                Store::release(fresh);
                throw;
            }
            auto* leaf = Store::leaf(fresh);
            std::construct_at(leaf->values.data(), std::move(value));
            leaf->count = 1;
            m_root = leaf;
            m_levels = 1;
            m_size = 1;
            return begin();
        }
        TreeEdit<PersistentBTree> edit(*this, placeFor(position, value.first));
        edit.prepareInsert(value);
        [[maybe_unused]] auto const rootRefs = m_root->refs.load(std::memory_order_relaxed);
        beforeLinking();
        assert(m_root->refs.load(std::memory_order_relaxed) == rootRefs &&
               "beforeLinking copied the tree it inserts into");
        Path const path = edit.commitInsert(std::move(value));
        ++m_size;
        return atPath(path);
    }

    /// The path at which a value with `key` goes in before `position`: the end of the last
    /// leaf for end(); at the front of a leaf, the end of the leaf before when the key is
    /// ordered before the key that separates the two (in the leaf it would break that bound).
    Path placeFor(const_iterator position, K const& key) const {
        if (position.m_leaf == nullptr) {
            position.descend(m_root, 0, false);
            ++position.m_path.slot();
            return position.m_path;
        }
        Path path = position.m_path;
        if (path.slot() != 0) {
            return path;
        }
        NodeHeader const* nodes[kMaxLevels];
        position.walk(nodes);
        for (std::size_t d = path.levels - 1; d-- > 0;) {
            if (path.index[d] == 0) {
                continue;
            }
            auto const* inner = Store::inner(nodes[d]);
            if (m_compare(key, inner->keys[path.index[d] - 1u])) {
                position.m_path.index[d] = static_cast<std::uint16_t>(path.index[d] - 1u);
                position.descend(inner->children[path.index[d] - 1u], d + 1, false);
                ++position.m_path.slot();
                return position.m_path;
            }
            break;
        }
        return path;
    }

    NodeHeader* m_root = nullptr;
    std::size_t m_size = 0;
    std::size_t m_levels = 0;
    [[no_unique_address]] Compare m_compare{};

  public:
    /// A read-only bidirectional iterator: the path from the root and the leaf it reads.
    class const_iterator {
      public:
        using iterator_category = std::bidirectional_iterator_tag;
        using value_type = PersistentBTree::value_type;
        using difference_type = std::ptrdiff_t;
        using pointer = value_type const*;
        using reference = value_type const&;

        const_iterator() noexcept = default;

        reference operator*() const noexcept { return m_leaf->values[m_path.slot()]; }
        pointer operator->() const noexcept { return &**this; }

        const_iterator& operator++() noexcept {
            if (++m_path.slot() == m_leaf->count) {
                step(true);
            }
            return *this;
        }
        const_iterator operator++(int) noexcept {
            const_iterator before = *this;
            ++*this;
            return before;
        }
        const_iterator& operator--() noexcept {
            if (m_leaf == nullptr) {
                descend(m_root, 0, false);
            } else if (m_path.slot() > 0) {
                --m_path.slot();
            } else {
                step(false);
            }
            return *this;
        }
        const_iterator operator--(int) noexcept {
            const_iterator before = *this;
            --*this;
            return before;
        }

        friend bool operator==(const_iterator const& a, const_iterator const& b) noexcept {
            return a.m_leaf == b.m_leaf &&
                   (a.m_leaf == nullptr || a.m_path.slot() == b.m_path.slot());
        }

      private:
        friend class PersistentBTree;
        using LeafNode = typename Store::LeafNode;

        explicit const_iterator(NodeHeader const* root) noexcept : m_root(root) {}

        /// Whether this is the first value (or the end of an empty tree), without a descent.
        bool first() const noexcept {
            if (m_leaf == nullptr) {
                return m_root == nullptr;
            }
            return std::all_of(m_path.index, m_path.index + m_path.levels,
                               [](std::uint16_t i) { return i == 0; });
        }

        /// Goes down from `node` on `level` to its first (or last) value.
        void descend(NodeHeader const* node, std::size_t level, bool first) noexcept {
            while (!node->leaf) {
                auto const* inner = Store::inner(node);
                std::size_t const i = first ? 0 : inner->count - 1u;
                m_path.index[level++] = static_cast<std::uint16_t>(i);
                node = inner->children[i];
            }
            m_leaf = Store::leaf(node);
            m_path.index[level++] = static_cast<std::uint16_t>(first ? 0 : m_leaf->count - 1u);
            m_path.levels = static_cast<std::uint8_t>(level);
        }

        /// The inner nodes along the path, from the root.
        void walk(NodeHeader const** nodes) const noexcept {
            NodeHeader const* node = m_root;
            for (std::size_t d = 0; d + 1 < m_path.levels; ++d) {
                nodes[d] = node;
                node = Store::inner(node)->children[m_path.index[d]];
            }
        }

        /// Moves to the first value of the next leaf (or the end), or the last of the previous.
        void step(bool forward) noexcept {
            NodeHeader const* nodes[kMaxLevels];
            walk(nodes);
            for (std::size_t d = m_path.levels - 1; d-- > 0;) {
                std::size_t const i = m_path.index[d];
                if (forward ? i + 1 < nodes[d]->count : i > 0) {
                    std::size_t const next = forward ? i + 1 : i - 1;
                    m_path.index[d] = static_cast<std::uint16_t>(next);
                    descend(Store::inner(nodes[d])->children[next], d + 1, forward);
                    return;
                }
            }
            m_leaf = nullptr;
        }

        /// A path whose slot is one past its leaf's end moves on to the next value.
        void normalize() noexcept {
            if (m_leaf != nullptr && m_path.slot() == m_leaf->count) {
                step(true);
            }
        }

        NodeHeader const* m_root = nullptr;
        LeafNode const* m_leaf = nullptr;  // null at the end
        Path m_path;
    };
};

}  // namespace detail

/// An ordered map whose copies share structure (see the top of this file).
template <class K, class V, class Compare = std::less<K>>
using PersistentMap =
    detail::PersistentBTree<K, V, Compare, false, detail::defaultLeafSlots<std::pair<K, V>>(),
                            detail::defaultInnerSlots<K>()>;

/// An ordered multimap whose copies share structure; values of one key stay in filing order.
template <class K, class V, class Compare = std::less<K>>
using PersistentMultimap =
    detail::PersistentBTree<K, V, Compare, true, detail::defaultLeafSlots<std::pair<K, V>>(),
                            detail::defaultInnerSlots<K>()>;

}  // namespace arvex::utilities::collections
