#pragma once

// Progress of long operations (opening and saving model files).

#include <cstddef>
#include <functional>

namespace korm::zero {

/// Told how far a long operation got: `done` of `total` steps, `done` rising from 0 to `total`
/// (the last call, done == total, comes just before the operation takes effect). It is called
/// every few thousand steps, not at every one. An exception it throws aborts the operation,
/// which then leaves everything as it was, and reaches the operation's caller.
using Progress = std::function<void(std::size_t done, std::size_t total)>;

}  // namespace korm::zero
