#include "olan/value.hpp"

#include <utility>

namespace olan {

Value& Value::operator=(Value&& other) noexcept {
    if (this != &other) {
        reset(other.release());
    }
    return *this;
}

Value::~Value() {
    reset();
}

Value& Value::operator=(zvArray* owned) noexcept {
    reset(owned);
    return *this;
}

zvArray* Value::release() noexcept {
    return std::exchange(array_, nullptr);
}

void Value::reset(zvArray* owned) noexcept {
    zvArray* old = std::exchange(array_, owned);
    if (old != nullptr && old != owned) {
        zvDestroyArray(old);
    }
}

Value Value::duplicate() const {
    return Value(array_ ? zvDuplicateArray(array_) : nullptr);
}

}  // namespace olan
