#pragma once

// How a host value is named in a message that refuses it.

#include <string>

#include "korm/zero/zi/export.hpp"
#include "zolmar/zv_array.hpp"

namespace korm::zero::zi::detail {

/// A short description of a host value for a message: text in double quotes (the first 64
/// code units, "..." after a longer one), a number, true or false, or the shape and class of
/// anything else in angle brackets ("<1-by-2 struct array>", "<object of class
/// korm.zero.Model>", "<no value>").
KORM_ZERO_ZI_EXPORT std::u16string describeValue(zvArray const* value);

}  // namespace korm::zero::zi::detail
