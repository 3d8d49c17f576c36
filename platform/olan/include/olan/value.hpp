#pragma once

// olan::Value: one owned host array. Output slots of method calls, getter results and bound
// objects travel as Values, so that an array is destroyed exactly once on every path.

#include <concepts>

#include "olan/export.hpp"
#include "zolmar/zv_array.hpp"

namespace olan {

class OLAN_EXPORT Value {
  public:
    Value() noexcept = default;
    /// Takes ownership of `owned` (may be null).
    explicit Value(zvArray* owned) noexcept : array_(owned) {}
    Value(Value&& other) noexcept : array_(other.release()) {}
    Value& operator=(Value&& other) noexcept;
    Value(const Value&) = delete;
    Value& operator=(const Value&) = delete;
    ~Value();

    /// Takes ownership of `owned`, destroying the array held before.
    Value& operator=(zvArray* owned) noexcept;
    /// A borrowed array cannot be owned.
    Value& operator=(const zvArray*) = delete;
    /// Stores a 1-by-1 logical (only for a real bool: pointers do not convert here).
    template <std::same_as<bool> B>
    Value& operator=(B flag) {
        return *this = zvCreateLogical(flag);
    }
    /// Stores a 1-by-1 double.
    template <std::same_as<double> D>
    Value& operator=(D number) {
        return *this = zvCreateDouble(number);
    }

    zvArray* get() const noexcept { return array_; }
    /// Gives up ownership; the caller now owns the array.
    zvArray* release() noexcept;
    /// Destroys the held array and holds `owned` instead.
    void reset(zvArray* owned = nullptr) noexcept;
    explicit operator bool() const noexcept { return array_ != nullptr; }
    /// A deep copy (objects shared); an empty Value for an empty Value.
    Value duplicate() const;

  private:
    zvArray* array_ = nullptr;
};

}  // namespace olan
