#include "tarsk/core/except/message.hpp"

#include <cstddef>
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

std::string Message::getText() const {
    std::string result;
    std::vector<bool> used(m_arguments.size(), false);
    std::size_t i = 0;
    while (i < m_pattern.size()) {
        if (m_pattern[i] == '{') {
            auto const close = m_pattern.find('}', i);
            if (close != std::string_view::npos && close > i + 1) {
                auto const digits = m_pattern.substr(i + 1, close - i - 1);
                std::size_t index = 0;
                bool numeric = true;
                for (char c : digits) {
                    numeric = numeric && c >= '0' && c <= '9';
                    index = index * 10 + static_cast<std::size_t>(c - '0');
                }
                if (numeric && index < m_arguments.size()) {
                    result += toText(m_arguments[index]);
                    used[index] = true;
                    i = close + 1;
                    continue;
                }
            }
        }
        result += m_pattern[i];
        ++i;
    }
    std::string extra;
    for (std::size_t a = 0; a < m_arguments.size(); ++a) {
        if (!used[a]) {
            extra += (extra.empty() ? "" : ", ") + toText(m_arguments[a]);
        }
    }
    if (!extra.empty()) {
        result += (result.empty() ? "(" : " (") + extra + ")";
    }
    return result;
}

}  // namespace tarsk::core::except
