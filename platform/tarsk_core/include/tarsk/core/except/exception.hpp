#pragma once

// The platform's exception for a message type M: it is both the message (readable id, key and
// arguments) and a std::exception whose what() gives the id and the English text.

#include <exception>
#include <string>
#include <utility>

#include "tarsk/core/except/message.hpp"
#include "tarsk/core/export.hpp"

namespace tarsk::core::except {

template <class M>
class TARSK_CORE_EXPORT Exception : public M, public std::exception {
  public:
    explicit Exception(M message)
        : M(std::move(message)), m_what(this->getId() + ": " + this->getText()) {}

    char const* what() const noexcept override { return m_what.c_str(); }

    M const& getMessage() const noexcept { return *this; }

  private:
    std::string m_what;
};

}  // namespace tarsk::core::except
