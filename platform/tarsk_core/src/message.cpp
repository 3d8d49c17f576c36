#include "tarsk/core/except/message.hpp"

#include <cstddef>
#include <limits>
#include <optional>
#include <utility>

#include "tarsk/core/text.hpp"

namespace tarsk::core::except {

Message::Message(std::string_view component, std::string_view key, std::string_view pattern,
                 std::vector<MessageArgument> arguments)
    : m_component(component), m_key(key), m_pattern(pattern), m_arguments(std::move(arguments)) {}

Message::~Message() = default;

std::string Message::getId() const {
    return m_component + ":" + m_key;
}

std::string toText(MessageArgument const& argument) {
    struct Visitor {
        std::string operator()(std::int64_t value) const { return std::to_string(value); }
        std::string operator()(std::string const& value) const { return value; }
        std::string operator()(std::u16string const& value) const {
            return text::toUtf8Lossy(value);
        }
    };
    return std::visit(Visitor{}, argument);
}

namespace {

// The argument index a placeholder names: its text between the braces, when that is all
// digits. A number too large for std::size_t is read as the largest one, which names no
// argument either (rather than wrapping around to a small index).
std::optional<std::size_t> placeholderIndex(std::string_view digits) {
    constexpr std::size_t most = std::numeric_limits<std::size_t>::max();
    std::size_t index = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        auto const digit = static_cast<std::size_t>(c - '0');
        index = index > (most - digit) / 10 ? most : index * 10 + digit;
    }
    return index;
}

// The arguments no placeholder named, as " (a, b)" ("(a, b)" after an empty text), or "".
std::string unusedArguments(std::vector<MessageArgument> const& arguments,
                            std::vector<bool> const& used, bool afterText) {
    std::string extra;
    for (std::size_t a = 0; a < arguments.size(); ++a) {
        if (!used[a]) {
            extra += (extra.empty() ? "" : ", ") + toText(arguments[a]);
        }
    }
    return extra.empty() ? extra : (afterText ? " (" : "(") + extra + ")";
}

}  // namespace

// Placeholders "{n}" are replaced by argument n; what no placeholder names is appended in
// parentheses, so that no argument is lost to a pattern that forgot it.
std::string Message::getText() const {
    std::string result;
    std::vector<bool> used(m_arguments.size(), false);
    std::size_t i = 0;
    while (i < m_pattern.size()) {
        auto const close = m_pattern[i] == '{' ? m_pattern.find('}', i) : std::string_view::npos;
        if (close != std::string_view::npos && close > i + 1) {
            auto const index = placeholderIndex(m_pattern.substr(i + 1, close - i - 1));
            if (index && *index < m_arguments.size()) {
                result += toText(m_arguments[*index]);
                used[*index] = true;
                i = close + 1;
                continue;
            }
        }
        result += m_pattern[i];
        ++i;
    }
    return result + unusedArguments(m_arguments, used, !result.empty());
}

}  // namespace tarsk::core::except
