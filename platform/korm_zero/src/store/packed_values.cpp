// Packing single values into a blob (see packed_values.hpp).

#include "packed_values.hpp"

namespace korm::zero::store {

namespace {

void putVarint(std::string& out, std::uint64_t value) {
    while (value >= 0x80) {
        out.push_back(static_cast<char>(value | 0x80));
        value >>= 7;
    }
    out.push_back(static_cast<char>(value));
}

bool takeVarint(std::string_view& in, std::uint64_t& value) {
    value = 0;
    for (int shift = 0; shift < 64 && !in.empty(); shift += 7) {
        auto const byte = static_cast<unsigned char>(in.front());
        in.remove_prefix(1);
        value |= static_cast<std::uint64_t>(byte & 0x7f) << shift;
        if ((byte & 0x80) == 0) {
            return true;
        }
    }
    return false;
}

void putBytes(std::string& out, std::string_view bytes) {
    putVarint(out, bytes.size());
    out.append(bytes);
}

/// Takes the next length-prefixed bytes off the front of `in` into `bytes`, a view of `in`.
bool takeBytes(std::string_view& in, std::string_view& bytes) {
    std::uint64_t size = 0;
    if (!takeVarint(in, size) || size > in.size()) {
        return false;
    }
    bytes = in.substr(0, size);
    in.remove_prefix(size);
    return true;
}

}  // namespace

void packValue(std::string& blob, std::uint64_t propertyCode, StoredValue const& value) {
    putVarint(blob, propertyCode);
    blob.push_back(static_cast<char>(value.kind));
    putBytes(blob, value.data);
    if (value.kind == StoredValue::Kind::PROXY) {
        putBytes(blob, value.proxyClass());
        putBytes(blob, value.proxyModel());
    }
}

bool unpackValue(std::string_view& blob, std::uint64_t& propertyCode, StoredValue& value) {
    if (!takeVarint(blob, propertyCode) || blob.empty()) {
        return false;
    }
    auto const kind = storedKindOf(static_cast<unsigned char>(blob.front()));
    blob.remove_prefix(1);
    if (!kind) {
        return false;
    }
    value.kind = *kind;
    value.position = 0;
    value.member = false;
    std::string_view data;
    if (!takeBytes(blob, data)) {
        return false;
    }
    value.data = data;
    value.proxy.reset();
    if (value.kind != StoredValue::Kind::PROXY) {
        return true;
    }
    std::string_view proxyClass;
    std::string_view proxyModel;
    if (!takeBytes(blob, proxyClass) || !takeBytes(blob, proxyModel)) {
        return false;
    }
    value.setProxyNames(proxyClass, proxyModel);
    return true;
}

}  // namespace korm::zero::store
