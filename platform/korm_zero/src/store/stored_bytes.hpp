#pragma once

// StoredBytes: the bytes of one stored value. Most values are a UUID (16 bytes) or shorter (a
// Boolean's byte), and a large model has hundreds of thousands of them: those are held in
// place, so that making or reading a model's image does not allocate once per value. Longer
// bytes (a proxy's id text) go to the heap. The object is as large as a std::string, whose
// own in-place buffer stops one byte short of a UUID.

#include <array>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>

namespace korm::zero::store {

class StoredBytes {
  public:
    static constexpr std::size_t IN_PLACE = 16;

    StoredBytes() noexcept = default;
    explicit StoredBytes(std::string_view bytes) { assign(bytes); }
    StoredBytes(StoredBytes const& other) { assign(other.view()); }
    StoredBytes(StoredBytes&& other) noexcept
        : m_size(other.m_size), m_inPlace(other.m_inPlace), m_heap(std::move(other.m_heap)) {
        other.m_size = 0;
    }
    ~StoredBytes() = default;

    StoredBytes& operator=(StoredBytes const& other) {
        assign(other.view());
        return *this;
    }
    StoredBytes& operator=(StoredBytes&& other) noexcept {
        if (this == &other) {
            return *this;
        }
        m_size = other.m_size;
        m_inPlace = other.m_inPlace;
        m_heap = std::move(other.m_heap);
        other.m_size = 0;
        return *this;
    }
    StoredBytes& operator=(std::string_view bytes) {
        assign(bytes);
        return *this;
    }

    /// Replaces the bytes; `bytes` may be a view of these very bytes.
    void assign(std::string_view bytes) {
        if (bytes.size() <= IN_PLACE) {
            if (!bytes.empty()) {
                std::memmove(m_inPlace.data(), bytes.data(), bytes.size());
            }
            m_heap.reset();
        } else {
            // Copied before the old bytes go.
            auto heap = std::make_unique_for_overwrite<char[]>(bytes.size());
            std::memcpy(heap.get(), bytes.data(), bytes.size());
            m_heap = std::move(heap);
        }
        m_size = bytes.size();
    }

    std::string_view view() const noexcept {
        return {m_size <= IN_PLACE ? m_inPlace.data() : m_heap.get(), m_size};
    }
    operator std::string_view() const noexcept { return view(); }
    std::size_t size() const noexcept { return m_size; }
    bool empty() const noexcept { return m_size == 0; }

  private:
    std::size_t m_size = 0;
    std::array<char, IN_PLACE> m_inPlace{};
    std::unique_ptr<char[]> m_heap;
};

}  // namespace korm::zero::store
