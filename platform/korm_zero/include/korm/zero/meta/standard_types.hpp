#pragma once

// StandardTypes: the framework's standard primitive types, fetched from the meta registry by
// name on first use and kept, so that type checks compare identities at once.

#include "korm/zero/export.hpp"
#include "korm/zero/meta/handles.hpp"

namespace korm::zero {

class KORM_ZERO_EXPORT StandardTypes {
  public:
    enum Entry { UUID_TYPE, BOOLEAN_TYPE, STRING_TYPE };

    /// The record of the entry's type ("UUID", "Boolean", "String"), fetched from the meta
    /// registry by name the first time (meta::internal::getPrimitiveTypeFromMetaRegistry)
    /// and kept for the life of the process. Thread-safe.
    static meta::Type::Impl const* get(Entry entry);
    static meta::Type getType(Entry entry);
    /// `type` is the entry's type (identity).
    static bool is(meta::Type const& type, Entry entry);
};

}  // namespace korm::zero
