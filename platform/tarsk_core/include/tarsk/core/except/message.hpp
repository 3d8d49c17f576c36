#pragma once

// A reportable message: a component, a key and arguments, with an English text made from a
// pattern. Components define one small type per key on top of Message; exceptions carry them
// (see exception.hpp).

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "tarsk/core/export.hpp"

namespace tarsk::core::except {

/// One argument of a message: a signed 64-bit integer, an 8-bit (UTF-8) string or a UTF-16
/// string.
using MessageArgument = std::variant<std::int64_t, std::string, std::u16string>;

class TARSK_CORE_EXPORT Message {
  public:
    /// `pattern` is the English text of the message; "{0}", "{1}", ... stand for the
    /// arguments. It must outlive the message (a string literal in practice).
    Message(std::string_view component, std::string_view key, std::string_view pattern,
            std::vector<MessageArgument> arguments);
    Message(Message const&) = default;
    Message(Message&&) noexcept = default;
    Message& operator=(Message const&) = default;
    Message& operator=(Message&&) noexcept = default;
    virtual ~Message();

    std::string const& getComponent() const noexcept { return m_component; }
    std::string const& getKey() const noexcept { return m_key; }
    /// Component and key joined by a colon, e.g. "korm0:messages:UniquenessConstraint".
    std::string getId() const;
    std::vector<MessageArgument> const& getArguments() const noexcept { return m_arguments; }
    std::string_view getPattern() const noexcept { return m_pattern; }
    /// The English text with the arguments put in (UTF-16 arguments as UTF-8). A placeholder
    /// without an argument stays as written; arguments without a placeholder are appended in
    /// parentheses so that nothing is lost.
    std::string getText() const;

  private:
    std::string m_component;
    std::string m_key;
    std::string_view m_pattern;
    std::vector<MessageArgument> m_arguments;
};

/// The text form of one argument (decimal, or UTF-8).
TARSK_CORE_EXPORT std::string toText(MessageArgument const& argument);

}  // namespace tarsk::core::except
