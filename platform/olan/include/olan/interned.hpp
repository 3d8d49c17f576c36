#pragma once

// Interned names: every class, package and type name the class system handles is stored once per
// process, so that names compare and hash by identity.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "olan/export.hpp"

namespace olan {

class InternedName;

namespace internal {
/// The interned form of `name`: equal texts give equal (identical) names. Thread-safe; the text
/// lives until the process ends.
OLAN_EXPORT InternedName makeInterned(std::string_view name);
}  // namespace internal

/// A name interned by internal::makeInterned. Cheap to copy; equality is identity of the stored
/// text. A default-constructed name is the empty name.
class OLAN_EXPORT InternedName {
  public:
    InternedName() noexcept;

    const std::string& str() const noexcept { return *text_; }
    std::string_view view() const noexcept { return *text_; }
    operator std::string_view() const noexcept { return *text_; }
    bool empty() const noexcept { return text_->empty(); }
    std::size_t hash() const noexcept { return std::hash<const void*>{}(text_); }

    friend bool operator==(InternedName a, InternedName b) noexcept { return a.text_ == b.text_; }

  private:
    friend InternedName internal::makeInterned(std::string_view name);
    explicit InternedName(const std::string* text) noexcept : text_(text) {}

    const std::string* text_;
};

}  // namespace olan

template <>
struct std::hash<olan::InternedName> {
    std::size_t operator()(olan::InternedName name) const noexcept { return name.hash(); }
};
