#pragma once

// The nodes of the persistent B-tree (persistent_btree.hpp): their layout, the counters of node
// traffic, and the raw slot moves that editing a node is made of.
//
// A node is shared between tree versions and counted: a copy of a tree takes one more reference
// to its root, and a node with more than one reference is never written; an edit copies it.
// Counts go up relaxed (the new owner already holds a reference) and down acq_rel, because a
// version may be dropped on another thread than the one that made it, and the thread that
// frees a node must see every write made to it before the other references went away.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>

namespace arvex::utilities::collections {

/// Node traffic of the persistent trees on the calling thread, for tests and benchmarks that
/// guard how much an edit copies. Cheap enough to stay on in release builds (a thread-local
/// increment per node allocated or freed). Reset by assigning `{}`.
struct PersistentTreeCounters {
    std::uint64_t allocated = 0;  ///< nodes allocated, copies included
    std::uint64_t copied = 0;     ///< of those, copies of a node shared with another version
    std::uint64_t freed = 0;      ///< nodes freed (by whichever thread dropped the last reference)
};

/// The counters of the calling thread. Visible by default, so that a program and the shared
/// libraries it loads count in one place whichever of them instantiates a tree.
[[gnu::visibility("default")]] inline PersistentTreeCounters& persistentTreeCounters() noexcept {
    thread_local PersistentTreeCounters counters;
    return counters;
}

namespace detail {

/// What every node starts with. `count` is the number of values of a leaf or the number of
/// children of an inner node.
struct NodeHeader {
    explicit NodeHeader(bool isLeaf) noexcept : leaf(isLeaf) {}

    std::atomic<std::uint32_t> refs{1};
    std::uint16_t count = 0;
    bool const leaf;
};

/// Uninitialised room for N objects of T; which of them are alive is the node's business.
template <class T, std::size_t N>
struct Slots {
    T* data() noexcept { return std::launder(reinterpret_cast<T*>(bytes)); }
    T const* data() const noexcept { return std::launder(reinterpret_cast<T const*>(bytes)); }
    T& operator[](std::size_t i) noexcept { return data()[i]; }
    T const& operator[](std::size_t i) const noexcept { return data()[i]; }

    alignas(T) unsigned char bytes[N * sizeof(T)];
};

/// A leaf: values in key order. One slot more than its capacity, so that an insertion into a
/// full leaf lands first and the leaf splits afterwards.
template <class Value, std::size_t Capacity>
struct Leaf : NodeHeader {
    Leaf() noexcept : NodeHeader(true) {}
    Slots<Value, Capacity + 1> values;
};

/// An inner node: `count` children and `count - 1` separating keys. No key of child i is
/// ordered after keys[i], no key of child i + 1 before it (keys may be older than the values
/// they bound: an erasure leaves them as they are). One spare child and key, as in a leaf.
template <class Key, std::size_t Capacity>
struct Inner : NodeHeader {
    Inner() noexcept : NodeHeader(false) {}
    NodeHeader* children[Capacity + 1];
    Slots<Key, Capacity> keys;
};

// ---- slot moves (the types moved are nothrow-movable: the tree asserts it) -----------------

/// Moves `n` objects from `from` to `to` front to back, ending the life of each source; `to`
/// lies below `from` or apart from it.
template <class T>
void relocateDown(T* to, T* from, std::size_t n) noexcept {
    for (std::size_t i = 0; i < n; ++i) {
        std::construct_at(to + i, std::move(from[i]));
        std::destroy_at(from + i);
    }
}

/// As relocateDown, back to front, for `to` above `from`.
template <class T>
void relocateUp(T* to, T* from, std::size_t n) noexcept {
    for (std::size_t i = n; i-- > 0;) {
        std::construct_at(to + i, std::move(from[i]));
        std::destroy_at(from + i);
    }
}

/// Opens `width` dead slots at `at` in the `n` live slots from `first`.
template <class T>
void openGap(T* first, std::size_t n, std::size_t at, std::size_t width) noexcept {
    relocateUp(first + at + width, first + at, n - at);
}

/// Closes the `width` dead slots at `at` of the `n` slots from `first` (the count includes the
/// dead ones).
template <class T>
void closeGap(T* first, std::size_t n, std::size_t at, std::size_t width) noexcept {
    relocateDown(first + at, first + at + width, n - at - width);
}

/// Allocation, copying and freeing of the nodes of one tree type.
template <class Value, class Key, std::size_t LeafCapacity, std::size_t InnerCapacity>
struct NodeStore {
    using LeafNode = Leaf<Value, LeafCapacity>;
    using InnerNode = Inner<Key, InnerCapacity>;

    static LeafNode* leaf(NodeHeader* node) noexcept { return static_cast<LeafNode*>(node); }
    static InnerNode* inner(NodeHeader* node) noexcept { return static_cast<InnerNode*>(node); }
    static LeafNode const* leaf(NodeHeader const* node) noexcept {
        return static_cast<LeafNode const*>(node);
    }
    static InnerNode const* inner(NodeHeader const* node) noexcept {
        return static_cast<InnerNode const*>(node);
    }

    static LeafNode* newLeaf() {
        auto* node = new LeafNode();
        ++persistentTreeCounters().allocated;
        return node;
    }
    static InnerNode* newInner() {
        auto* node = new InnerNode();
        ++persistentTreeCounters().allocated;
        return node;
    }

    static void retain(NodeHeader* node) noexcept {
        node->refs.fetch_add(1, std::memory_order_relaxed);
    }

    /// Drops one reference; the last one frees the node and drops its references to its
    /// children. The recursion goes no deeper than the tree is high.
    static void release(NodeHeader* node) noexcept {
        if (node->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) {
            destroy(node);
        }
    }

    /// Whether the caller, holding a reference, holds the only one: then no other version can
    /// reach the node, and it may be written in place.
    static bool exclusive(NodeHeader const* node) noexcept {
        return node->refs.load(std::memory_order_acquire) == 1;
    }

    /// A fresh node (count 1) with copies of the values or keys of `node`, sharing its
    /// children. A throwing copy frees what was made and leaves `node` as it was.
    static NodeHeader* copy(NodeHeader const* node) {
        NodeHeader* result = nullptr;
        if (node->leaf) {
            LeafNode* to = newLeaf();
            copyOrFree(to, leaf(node)->values.data(), to->values.data(), node->count);
            to->count = node->count;
            result = to;
        } else {
            InnerNode const* from = inner(node);
            InnerNode* to = newInner();
            copyOrFree(to, from->keys.data(), to->keys.data(), from->count - 1u);
            for (std::size_t i = 0; i < from->count; ++i) {
                to->children[i] = from->children[i];
                retain(from->children[i]);
            }
            to->count = from->count;
            result = to;
        }
        ++persistentTreeCounters().copied;
        return result;
    }

  private:
    static void destroy(NodeHeader* node) noexcept {
        if (node->leaf) {
            LeafNode* self = leaf(node);
            std::destroy_n(self->values.data(), self->count);
            delete self;
        } else {
            InnerNode* self = inner(node);
            if (self->count > 0) {
                std::destroy_n(self->keys.data(), self->count - 1u);
            }
            for (std::size_t i = 0; i < self->count; ++i) {
                release(self->children[i]);
            }
            delete self;
        }
        ++persistentTreeCounters().freed;
    }

    // Copies n objects into a fresh node (count 0), freeing the node when a copy throws.
    template <class T>
    static void copyOrFree(NodeHeader* fresh, T const* from, T* to, std::size_t n) {
        try {
            std::uninitialized_copy_n(from, n, to);
        } catch (...) {
            destroy(fresh);
            throw;
        }
    }
};

}  // namespace detail

}  // namespace arvex::utilities::collections
