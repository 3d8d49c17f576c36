#include "tarsk/core/text.hpp"

#include <boost/locale/encoding_utf.hpp>

namespace tarsk::core::text {

namespace conv = boost::locale::conv;

std::string toUtf8(std::u16string_view text) {
    return conv::utf_to_utf<char>(text.data(), text.data() + text.size(), conv::skip);
}

std::u16string toUtf16(std::string_view text) {
    return conv::utf_to_utf<char16_t>(text.data(), text.data() + text.size(), conv::skip);
}

}  // namespace tarsk::core::text
