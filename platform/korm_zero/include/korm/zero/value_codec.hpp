#pragma once

// ValueCodec and ValueCodecRegistry: how values of a primitive type become bytes in a model
// file and back. The framework cannot read a Value's payload without its C++ type, so the code
// that carries a type in Value (the library for UUID and Boolean) registers its codec here.

#include <memory>
#include <string>
#include <string_view>

#include "korm/zero/export.hpp"
#include "korm/zero/meta/handles.hpp"
#include "korm/zero/value.hpp"

namespace korm::zero {

/// Turns the values of one primitive type into bytes and back.
class KORM_ZERO_EXPORT ValueCodec {
  public:
    virtual ~ValueCodec();
    /// The bytes of `value` (which has a payload).
    virtual std::string encode(Value const& value) const = 0;
    /// The value the bytes stand for, described by `meta`. Bytes that no value encodes to
    /// report InvalidValue.
    virtual Value decode(std::string_view bytes, ValueMeta const& meta) const = 0;
};

/// The process-wide codecs, one per primitive type. Thread-safe.
class KORM_ZERO_EXPORT ValueCodecRegistry {
  public:
    static ValueCodecRegistry& getInstance();

    ValueCodecRegistry(ValueCodecRegistry const&) = delete;
    ValueCodecRegistry& operator=(ValueCodecRegistry const&) = delete;
    ~ValueCodecRegistry();

    /// Installs (null: removes) the codec of `type`; the registry keeps a share of it.
    void registerCodec(meta::Type const& type, std::shared_ptr<ValueCodec const> codec);
    /// The codec of `type`, or null. The caller's share keeps it alive while it is used.
    std::shared_ptr<ValueCodec const> getCodec(meta::Type const& type) const;

  private:
    struct State;
    ValueCodecRegistry();
    std::unique_ptr<State> m_state;
};

}  // namespace korm::zero
