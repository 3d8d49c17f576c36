#pragma once

// TreeEdit: one insertion into or erasure from a persistent B-tree (persistent_btree.hpp), in
// two phases. Preparing makes every node the edit will write exclusive to the tree (copies of
// shared nodes), allocates the nodes it will add and copies the one key it will need; that may
// throw, and then the tree is as it was. Committing links the copies in and moves values, keys
// and children around; it does not throw. So an edit is all or nothing.
//
// An edit follows a path from the root down: a child index per inner level, then a slot in the
// leaf. While it splits or rebalances nodes it keeps the path pointing at the value it
// inserted, or at the value that followed the one it erased, and hands it back.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>

#include "arvex/utilities/collections/persistent_btree_node.hpp"

namespace arvex::utilities::collections::detail {

/// A position in a tree: a child index per inner level from the root down, then a value slot
/// in the leaf.
template <std::size_t MaxLevels>
struct TreePath {
    std::uint16_t& slot() noexcept { return index[levels - 1]; }
    std::uint16_t slot() const noexcept { return index[levels - 1]; }

    /// A new root above: every index moves one level down.
    void pushFront(std::uint16_t first) noexcept {
        std::copy_backward(index, index + levels, index + levels + 1);
        index[0] = first;
        ++levels;
    }
    /// The root gave way to its only child.
    void popFront() noexcept {
        std::copy(index + 1, index + levels, index);
        --levels;
    }

    std::uint16_t index[MaxLevels];
    std::uint8_t levels = 0;
};

template <class Tree>
class TreeEdit {
    using Store = typename Tree::Store;
    using Key = typename Tree::key_type;
    using Value = typename Tree::value_type;
    using Path = typename Tree::Path;
    static constexpr std::size_t kLevels = Tree::kMaxLevels;
    static constexpr std::size_t kLeafSlots = Tree::kLeafSlots;
    static constexpr std::size_t kInnerSlots = Tree::kInnerSlots;

    enum class Fix : std::uint8_t { None, Merge, Borrow };

  public:
    /// An edit of `tree` at `path`, a path of the tree. Nothing is done before a prepare call.
    TreeEdit(Tree& tree, Path const& path) noexcept : m_tree(tree), m_path(path) {}
    TreeEdit(TreeEdit const&) = delete;
    TreeEdit& operator=(TreeEdit const&) = delete;

    /// Frees whatever an edit that did not commit allocated.
    ~TreeEdit() {
        for (std::size_t i = 0; i < m_freshCount; ++i) {
            Store::release(m_fresh[i]);
        }
    }

    /// Allocates what inserting `value` at the path's slot needs: a new node for each level
    /// that splits, a new root when the root splits, and the key that will separate the two
    /// halves of a split leaf.
    void prepareInsert(Value const& value) {
        std::size_t d = makePathWritable();
        auto const* leaf = Store::leaf(m_node[d]);
        if (leaf->count < kLeafSlots) {
            return;
        }
        std::size_t const slot = m_path.index[d];
        m_keep = leafKeep(slot);
        m_separator.emplace(
            m_keep == slot ? value.first : leaf->values[m_keep < slot ? m_keep : m_keep - 1].first);
        m_extra[d] = adopt(Store::newLeaf());
        while (d > 0 && m_node[d - 1]->count == kInnerSlots) {
            --d;
            m_extra[d] = adopt(Store::newInner());
        }
        if (d == 0) {
            if (m_path.levels == kLevels) {
                throw std::length_error("persistent tree: too many levels");
            }
            m_newRoot = adopt(Store::newInner());
        }
    }

    /// Puts `value` at the path's slot and splits what overflows; answers the value's path.
    Path commitInsert(Value&& value) noexcept {
        linkPath();
        std::size_t d = m_path.levels - 1;
        auto* leaf = Store::leaf(m_node[d]);
        std::size_t const slot = m_path.index[d];
        openGap(leaf->values.data(), leaf->count, slot, 1);
        std::construct_at(leaf->values.data() + slot, std::move(value));
        if (++leaf->count <= kLeafSlots) {
            return m_path;
        }
        auto* right = Store::leaf(m_extra[d]);
        right->count = static_cast<std::uint16_t>(leaf->count - m_keep);
        relocateDown(right->values.data(), leaf->values.data() + m_keep, right->count);
        leaf->count = static_cast<std::uint16_t>(m_keep);
        bool wentRight = slot >= m_keep;
        if (wentRight) {
            m_path.index[d] = static_cast<std::uint16_t>(slot - m_keep);
        }
        NodeHeader* newChild = right;
        while (d > 0) {
            --d;
            if (!addChild(d, newChild, wentRight)) {
                return m_path;
            }
            newChild = m_extra[d];
        }
        growRoot(newChild, wentRight);
        return m_path;
    }

    /// Makes the path's nodes exclusive to the tree and links them in at once; answers the
    /// value at the path's slot, which the caller may change except for its key. Throws (and
    /// changes nothing) only while copying shared nodes.
    Value& writeAt() {
        std::size_t const d = makePathWritable();
        linkPath();
        return Store::leaf(m_node[d])->values[m_path.index[d]];
    }

    /// Makes writable the siblings that the erasure of the path's value will borrow from or
    /// merge with, level by level up from the leaf, and copies the key a borrowing leaf will
    /// need.
    void prepareErase() {
        std::size_t d = makePathWritable();
        std::size_t remaining = m_node[d]->count - 1u;
        while (d > 0 && remaining < minimum(d)) {
            auto const* parent = Store::inner(m_node[d - 1]);
            std::size_t const at = m_path.index[d - 1];
            std::size_t const sibling = at > 0 ? at - 1 : at + 1;
            NodeHeader* original = parent->children[sibling];
            m_siblingOriginal[d] = original;
            m_sibling[d] = Store::exclusive(original) ? original : adopt(Store::copy(original));
            std::size_t const theirs = original->count;
            if (remaining + theirs <= capacity(d)) {
                m_fix[d] = Fix::Merge;
                remaining = parent->count - 1u;
                --d;
                continue;
            }
            m_fix[d] = Fix::Borrow;
            if (original->leaf) {
                std::size_t const moved = (theirs - remaining) / 2;
                auto const* values = Store::leaf(original)->values.data();
                m_separator.emplace(sibling < at ? values[theirs - moved].first
                                                 : values[moved].first);
            }
            return;
        }
        m_shrinkRoot = d == 0 && m_path.levels > 1 && remaining == 1;
    }

    /// Erases the path's value (not the tree's last one), rebalances what underflows; answers the
    /// path of the value that followed it (its slot may be one past its leaf's last).
    Path commitErase() noexcept {
        linkPath();
        std::size_t d = m_path.levels - 1;
        auto* leaf = Store::leaf(m_node[d]);
        std::destroy_at(leaf->values.data() + m_path.index[d]);
        closeGap(leaf->values.data(), leaf->count, m_path.index[d], 1);
        --leaf->count;
        for (; d > 0 && m_fix[d] != Fix::None; --d) {
            linkSibling(d);
            if (m_fix[d] == Fix::Borrow) {
                borrow(d);
                break;
            }
            merge(d);
        }
        if (m_shrinkRoot) {
            shrinkRoot();
        }
        return m_path;
    }

  private:
    NodeHeader* adopt(NodeHeader* fresh) noexcept {
        m_fresh[m_freshCount++] = fresh;
        return fresh;
    }

    /// Makes the nodes along the path writable: the tree's own where it holds them alone,
    /// fresh copies (not yet linked in) where they are shared.
    /// Answers the level of the leaf.
    std::size_t makePathWritable() {
        NodeHeader* node = m_tree.m_root;
        for (std::size_t d = 0;; ++d) {
            m_original[d] = node;
            m_node[d] = Store::exclusive(node) ? node : adopt(Store::copy(node));
            m_fix[d] = Fix::None;
            if (node->leaf) {
                return d;
            }
            node = Store::inner(node)->children[m_path.index[d]];
        }
    }

    bool isLeafLevel(std::size_t d) const noexcept { return d + 1 == m_path.levels; }
    std::size_t capacity(std::size_t d) const noexcept {
        return isLeafLevel(d) ? kLeafSlots : kInnerSlots;
    }
    std::size_t minimum(std::size_t d) const noexcept { return capacity(d) / 2; }

    /// How many of the kLeafSlots + 1 values of an overflowing leaf stay in it. Appending at
    /// the end leaves it full and gives the new leaf only the new value (ascending insertion
    /// then fills every leaf); inserting at the front does the mirror image.
    static std::size_t leafKeep(std::size_t slot) noexcept {
        if (slot == kLeafSlots) {
            return kLeafSlots;
        }
        return slot == 0 ? 1 : (kLeafSlots + 1) / 2;
    }

    /// Links the fresh copies of the path in, each dropping the reference to what it replaces.
    void linkPath() noexcept {
        for (std::size_t d = 0; d < m_path.levels; ++d) {
            if (m_node[d] == m_original[d]) {
                continue;
            }
            if (d == 0) {
                m_tree.m_root = m_node[0];
            } else {
                Store::inner(m_node[d - 1])->children[m_path.index[d - 1]] = m_node[d];
            }
            Store::release(m_original[d]);
        }
        m_freshCount = 0;
    }

    /// Files `child`, the new right half of the child at the path's index on level d, after
    /// it; splits the node when it overflows. Returns whether it split.
    bool addChild(std::size_t d, NodeHeader* child, bool& wentRight) noexcept {
        auto* node = Store::inner(m_node[d]);
        std::size_t const at = m_path.index[d];
        openGap(node->children, node->count, at + 1, 1);
        node->children[at + 1] = child;
        openGap(node->keys.data(), node->count - 1u, at, 1);
        std::construct_at(node->keys.data() + at, std::move(*m_separator));
        ++node->count;
        m_path.index[d] = static_cast<std::uint16_t>(at + (wentRight ? 1 : 0));
        if (node->count <= kInnerSlots) {
            return false;
        }
        auto* right = Store::inner(m_extra[d]);
        std::size_t const keep = node->count / 2;
        m_separator.emplace(std::move(node->keys[keep - 1]));
        std::destroy_at(node->keys.data() + keep - 1);
        right->count = static_cast<std::uint16_t>(node->count - keep);
        relocateDown(right->keys.data(), node->keys.data() + keep, right->count - 1u);
        std::copy(node->children + keep, node->children + node->count, right->children);
        node->count = static_cast<std::uint16_t>(keep);
        wentRight = m_path.index[d] >= keep;
        if (wentRight) {
            m_path.index[d] = static_cast<std::uint16_t>(m_path.index[d] - keep);
        }
        return true;
    }

    /// The root split: a new root holds its two halves.
    void growRoot(NodeHeader* right, bool wentRight) noexcept {
        auto* root = Store::inner(m_newRoot);
        root->children[0] = m_tree.m_root;
        root->children[1] = right;
        std::construct_at(root->keys.data(), std::move(*m_separator));
        root->count = 2;
        m_tree.m_root = root;
        m_path.pushFront(wentRight ? 1 : 0);
        ++m_tree.m_levels;
    }

    /// Links the fresh copy of the sibling used on level d in.
    void linkSibling(std::size_t d) noexcept {
        if (m_sibling[d] == m_siblingOriginal[d]) {
            return;
        }
        auto* parent = Store::inner(m_node[d - 1]);
        std::size_t const at = m_path.index[d - 1];
        parent->children[at > 0 ? at - 1 : at + 1] = m_sibling[d];
        Store::release(m_siblingOriginal[d]);
    }

    /// Moves the right one of the path's node on level d and its sibling into the left one
    /// and frees it; the parent loses the key between them.
    void merge(std::size_t d) noexcept {
        auto* parent = Store::inner(m_node[d - 1]);
        std::size_t const at = m_path.index[d - 1];
        bool const intoSibling = at > 0;
        std::size_t const k = intoSibling ? at - 1 : at;
        NodeHeader* left = intoSibling ? m_sibling[d] : m_node[d];
        NodeHeader* right = intoSibling ? m_node[d] : m_sibling[d];
        std::size_t const leftCount = left->count;
        if (left->leaf) {
            relocateDown(Store::leaf(left)->values.data() + leftCount,
                         Store::leaf(right)->values.data(), right->count);
            std::destroy_at(parent->keys.data() + k);
        } else {
            auto* l = Store::inner(left);
            auto* r = Store::inner(right);
            relocateDown(l->keys.data() + leftCount - 1, parent->keys.data() + k, 1);
            relocateDown(l->keys.data() + leftCount, r->keys.data(), r->count - 1u);
            std::copy(r->children, r->children + r->count, l->children + leftCount);
        }
        left->count = static_cast<std::uint16_t>(leftCount + right->count);
        right->count = 0;
        closeGap(parent->keys.data(), parent->count - 1u, k, 1);
        closeGap(parent->children, parent->count, k + 1, 1);
        --parent->count;
        Store::release(right);
        if (intoSibling) {
            m_path.index[d] = static_cast<std::uint16_t>(m_path.index[d] + leftCount);
            m_path.index[d - 1] = static_cast<std::uint16_t>(at - 1);
        }
    }

    /// Evens out the path's node on level d and its sibling, which together hold too much to
    /// merge, and puts the new separating key into the parent.
    void borrow(std::size_t d) noexcept {
        auto* parent = Store::inner(m_node[d - 1]);
        std::size_t const at = m_path.index[d - 1];
        bool const fromLeft = at > 0;
        std::size_t const k = fromLeft ? at - 1 : at;
        NodeHeader* node = m_node[d];
        NodeHeader* sibling = m_sibling[d];
        std::size_t const moved = (sibling->count - node->count) / 2u;
        if (node->leaf) {
            borrowValues(Store::leaf(node), Store::leaf(sibling), moved, fromLeft);
            std::destroy_at(parent->keys.data() + k);
            std::construct_at(parent->keys.data() + k, std::move(*m_separator));
        } else {
            borrowChildren(Store::inner(node), Store::inner(sibling), parent->keys.data() + k,
                           moved, fromLeft);
        }
        node->count = static_cast<std::uint16_t>(node->count + moved);
        sibling->count = static_cast<std::uint16_t>(sibling->count - moved);
        if (fromLeft) {
            m_path.index[d] = static_cast<std::uint16_t>(m_path.index[d] + moved);
        }
    }

    template <class LeafNode>
    static void borrowValues(LeafNode* node, LeafNode* sibling, std::size_t moved,
                             bool fromLeft) noexcept {
        Value* mine = node->values.data();
        Value* theirs = sibling->values.data();
        if (fromLeft) {
            openGap(mine, node->count, 0, moved);
            relocateDown(mine, theirs + sibling->count - moved, moved);
        } else {
            relocateDown(mine + node->count, theirs, moved);
            closeGap(theirs, sibling->count, 0, moved);
        }
    }

    /// Moves `moved` children from the sibling, rotating keys through the parent's `between`.
    template <class InnerNode>
    static void borrowChildren(InnerNode* node, InnerNode* sibling, Key* between, std::size_t moved,
                               bool fromLeft) noexcept {
        Key* mine = node->keys.data();
        Key* theirs = sibling->keys.data();
        std::size_t const n = node->count;
        std::size_t const s = sibling->count;
        if (fromLeft) {
            openGap(mine, n - 1, 0, moved);
            openGap(node->children, n, 0, moved);
            relocateDown(mine + moved - 1, between, 1);
            relocateDown(mine, theirs + s - moved, moved - 1);
            relocateDown(between, theirs + s - moved - 1, 1);
            std::copy(sibling->children + s - moved, sibling->children + s, node->children);
        } else {
            relocateDown(mine + n - 1, between, 1);
            relocateDown(mine + n, theirs, moved - 1);
            relocateDown(between, theirs + moved - 1, 1);
            closeGap(theirs, s - 1, 0, moved);
            std::copy(sibling->children, sibling->children + moved, node->children + n);
            closeGap(sibling->children, s, 0, moved);
        }
    }

    /// The root, an inner node left with one child, gives way to that child. (The tree clears
    /// itself instead of erasing its last value.)
    void shrinkRoot() noexcept {
        NodeHeader* root = m_tree.m_root;
        m_tree.m_root = Store::inner(root)->children[0];
        root->count = 0;
        Store::release(root);
        m_path.popFront();
        --m_tree.m_levels;
    }

    Tree& m_tree;
    Path m_path;
    NodeHeader* m_original[kLevels];
    NodeHeader* m_node[kLevels];
    Fix m_fix[kLevels];
    NodeHeader* m_extra[kLevels];
    NodeHeader* m_sibling[kLevels];
    NodeHeader* m_siblingOriginal[kLevels];
    NodeHeader* m_newRoot = nullptr;
    std::optional<Key> m_separator;
    std::size_t m_keep = 0;
    bool m_shrinkRoot = false;
    // Allocated by this edit and not linked in yet: at most a copy and a new node per level,
    // and a new root.
    NodeHeader* m_fresh[2 * kLevels + 1];
    std::size_t m_freshCount = 0;
};

}  // namespace arvex::utilities::collections::detail
