// The extension's help for zolmar's error translation: telling malformed UUID input apart from
// other refusals, and the framework's own wording for a refused value, so that Python states
// what a method refused in the words the rest of the library uses.

#include "host_errors.hpp"

#include <boost/lexical_cast/bad_lexical_cast.hpp>

#include <string>
#include <string_view>
#include <variant>

#include "korm/zero/messages.hpp"
#include "korm/zero/uuid_text.hpp"
#include "korm/zero/zi/value_text.hpp"
#include "olan/value.hpp"
#include "tarsk/core/except/exception.hpp"

namespace py = pybind11;

namespace zolmar {

namespace {

/// Whether an InvalidValue message says that what it refused is no UUID text (its third
/// argument, what would have been valid, is the form of UUID text).
bool refusesAsUuidText(korm0::messages::InvalidValue const& message) {
    auto const& arguments = message.getArguments();
    if (arguments.size() < 3) {
        return false;
    }
    auto const* expected = std::get_if<std::string>(&arguments[2]);
    return expected != nullptr && *expected == korm0::messages::UUID_TEXT_FORM;
}

}  // namespace

bool isMalformedUuid(std::exception_ptr const& cause) {
    if (!cause) {
        return false;
    }
    try {
        std::rethrow_exception(cause);
    } catch (boost::bad_lexical_cast const&) {
        return true;
    } catch (korm0::messages::InvalidValue const& message) {
        return refusesAsUuidText(message);
    } catch (...) {
        return false;
    }
}

void defineErrorHelpers(py::module_& m) {
    m.attr("uuid_text_form") = korm0::messages::UUID_TEXT_FORM;
    m.def("is_uuid_text",
          [](std::u16string_view text) { return korm::zero::parseUuidText(text).has_value(); });
    // The framework's InvalidValue text for refused text: what was refused, the text as the
    // host's other refusals quote it, and what would have been valid.
    m.def("invalid_value_text",
          [](std::string const& what, std::u16string const& text, std::string const& expected) {
              olan::Value const value(zvCreateString_UTF16(text));
              return korm0::messages::InvalidValue(
                         what, korm::zero::zi::detail::describeValue(value.get()), expected)
                  .getText();
          });
}

}  // namespace zolmar
