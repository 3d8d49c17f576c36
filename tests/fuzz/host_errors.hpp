#pragma once

// What the harnesses that drive the host ask of a host error.

#include <boost/lexical_cast/bad_lexical_cast.hpp>
#include <exception>

#include "olan/errors.hpp"

namespace arvex_fuzz {

/// Whether the host error was made from boost::bad_lexical_cast: how a method refuses text
/// that is no UUID.
inline bool causedByBadCast(olan::HostError const& error) {
    try {
        if (error.cause()) {
            std::rethrow_exception(error.cause());
        }
    } catch (boost::bad_lexical_cast const&) {
        return true;
    } catch (...) {
    }
    return false;
}

}  // namespace arvex_fuzz
