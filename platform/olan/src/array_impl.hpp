#pragma once

// The inside of a host array (private to the class system).

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "olan/interned.hpp"
#include "zolmar/zv_array.hpp"

struct zvArray {
    int code = zvCodeUnknown;
    /// How many calls currently lend the array (it may be passed twice to one call).
    mutable int lentCount = 0;
    std::vector<std::size_t> dims;
    std::vector<double> doubles;
    std::vector<std::uint8_t> logicals;
    std::u16string chars;
    /// Cells, owned; null for an unset cell.
    std::vector<zvArray*> cells;
    /// Struct fields in order, each with one owned (or null) value per element.
    std::vector<std::pair<std::string, std::vector<zvArray*>>> fields;
    /// Objects, each holding one host reference.
    std::vector<olan::Object*> objects;
    /// The class of an object array (kept for empty ones too).
    olan::InternedName objectClass;
};

namespace olan::detail {

/// A 1-by-1 object array holding one new reference to `object`, or, for null, a 0-by-0 object
/// array of `className`.
zvArray* createObjectArray(Object* object, InternedName className);

/// Marks arrays lent to a call for the guard's lifetime.
class LendGuard {
  public:
    explicit LendGuard(const std::vector<const zvArray*>& arrays);
    ~LendGuard();
    LendGuard(const LendGuard&) = delete;
    LendGuard& operator=(const LendGuard&) = delete;

  private:
    const std::vector<const zvArray*>& arrays_;
};

}  // namespace olan::detail
