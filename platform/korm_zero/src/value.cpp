// The type-independent part of Value: ownership, copying, comparison and hashing of the
// payload through the operations stored with it.

#include "korm/zero/value.hpp"

namespace korm::zero {

ValueMeta::ValueMeta(meta::Type type, std::uint32_t kind) noexcept
    : m_type(std::move(type)), m_kind(kind) {}

Value::Value(ValueMeta meta, void* payload, Operations const& operations) noexcept
    : ValueMeta(std::move(meta)), m_payload(payload), m_operations(operations) {}

Value Value::reference(ValueMeta meta, void* target) noexcept {
    return Value(std::move(meta), target, Operations{});
}

Value::Value(Value const& other) : ValueMeta(other), m_operations(other.m_operations) {
    if (other.m_payload != nullptr && other.m_operations.cloner != nullptr) {
        m_payload = other.m_operations.cloner(other.m_payload);
    } else {
        // Without a cloner the copy only refers to the payload.
        m_payload = other.m_payload;
        m_operations.deleter = nullptr;
    }
}

Value::Value(Value&& other) noexcept
    : ValueMeta(std::move(other)), m_payload(other.m_payload), m_operations(other.m_operations) {
    other.m_payload = nullptr;
    other.m_operations = Operations{};
}

Value& Value::operator=(Value const& other) {
    if (this != &other) {
        Value copy(other);
        *this = std::move(copy);
    }
    return *this;
}

Value& Value::operator=(Value&& other) noexcept {
    if (this != &other) {
        if (m_payload != nullptr && m_operations.deleter != nullptr) {
            m_operations.deleter(m_payload);
        }
        ValueMeta::operator=(std::move(other));
        m_payload = other.m_payload;
        m_operations = other.m_operations;
        other.m_payload = nullptr;
        other.m_operations = Operations{};
    }
    return *this;
}

Value::~Value() {
    if (m_payload != nullptr && m_operations.deleter != nullptr) {
        m_operations.deleter(m_payload);
    }
}

bool operator==(Value const& a, Value const& b) noexcept {
    if (a.m_payload == nullptr || b.m_payload == nullptr) {
        return a.m_payload == b.m_payload;
    }
    if (a.m_operations.comparator != b.m_operations.comparator) {
        return false;
    }
    if (a.m_operations.comparator == nullptr) {
        return a.m_payload == b.m_payload;
    }
    return a.m_operations.comparator(a.m_payload, b.m_payload);
}

std::size_t Value::hash() const noexcept {
    if (m_payload == nullptr || m_operations.hasher == nullptr) {
        return 0;
    }
    return m_operations.hasher(m_payload);
}

std::vector<Value> Value::extract() const {
    if (m_operations.extractor == nullptr) {
        return {};
    }
    return m_operations.extractor(*this);
}

}  // namespace korm::zero
