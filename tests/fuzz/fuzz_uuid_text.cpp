// Every parser of UUID text against the strict grammar: exactly 36 code units, hexadecimal
// digits in either case, hyphens at positions 8, 13, 18 and 23. Text that is not well-formed
// UTF-16 must never parse (a conversion that dropped stray surrogates once let such text pass
// for a UUID). The parsers are reached as their callers reach them: the framework's extractUuid
// and ProxyId, and through the host's call interface a method input (bad_lexical_cast when
// refused), a property setter, Model.findElement and a map view's key (InvalidValue). The text
// conversions are checked too: the strict ones refuse exactly the ill-formed text and convert
// everything else losslessly.

#include <boost/optional.hpp>
#include <boost/uuid/uuid.hpp>
#include <boost/uuid/uuid_io.hpp>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>

#include "arvex/utilities/bindings/entry_points.hpp"
#include "fuzz_support.hpp"
#include "host_errors.hpp"
#include "korm/zero/proxy.hpp"
#include "korm/zero/zi/zi.hpp"
#include "olan/olan.hpp"
#include "tarsk/core/except/exception.hpp"
#include "tarsk/core/text.hpp"

namespace {

using arvex_fuzz::causedByBadCast;
using arvex_fuzz::require;
using boost::uuids::uuid;
using olan::Value;
namespace host = olan::host;

// ---- the model of the grammar ---------------------------------------------------------------

int hexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') {
        return c - u'0';
    }
    if (c >= u'a' && c <= u'f') {
        return c - u'a' + 10;
    }
    if (c >= u'A' && c <= u'F') {
        return c - u'A' + 10;
    }
    return -1;
}

boost::optional<uuid> parseModel(std::u16string const& text) {
    if (text.size() != 36) {
        return boost::none;
    }
    uuid id{};
    std::size_t digit = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (text[i] != u'-') {
                return boost::none;
            }
            continue;
        }
        int const value = hexDigit(text[i]);
        if (value < 0) {
            return boost::none;
        }
        id.data[digit / 2] = static_cast<std::uint8_t>(id.data[digit / 2] * 16 + value);
        ++digit;
    }
    return id;
}

bool wellFormedModel(std::u16string const& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        bool const high = text[i] >= 0xD800 && text[i] <= 0xDBFF;
        bool const low = text[i] >= 0xDC00 && text[i] <= 0xDFFF;
        if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            ++i;
        } else if (high || low) {
            return false;
        }
    }
    return true;
}

// ---- the host side ----------------------------------------------------------------------------

constexpr char const* kKey = "6f1c2a3b-0000-4000-8000-000000000001";
constexpr char const* kValue = "0a9b8c7d-0000-4000-8000-000000000003";

bool isInvalidValue(olan::HostError const& error) {
    return error.identifier() == "korm0:messages:InvalidValue";
}

/// A model holding a map with one pair, its entry and its "Pairs" view, made once.
struct Scene {
    Value model;
    Value map;
    Value pairs;
    Value entry;

    Scene() {
        ZRInitialize_arvex_utilities();
        model = host::construct("korm.zero.Model", {});
        map = host::construct("arvex.utilities.UUIDMap", {model.get()});
        Value const key(zvCreateString_UTF8(kKey));
        Value const value(zvCreateString_UTF8(kValue));
        host::callOn(map.get(), "insertPair", {key.get(), value.get()}, 0);
        pairs = host::getProperty(map.get(), "Pairs");
        entry = std::move(host::callOn(pairs.get(), "get", {key.get()}, 1).outputs.at(0));
    }
};

std::string textOf(Value const& value) {
    return zvGetString_UTF8(value.get());
}

// A method input: hasKey answers for parsed text and refuses the rest with bad_lexical_cast.
void checkMethodInput(Scene& scene, Value const& text, boost::optional<uuid> const& expected) {
    try {
        auto const result = host::callOn(scene.map.get(), "hasKey", {text.get()}, 1);
        require(expected.has_value(), "hasKey took text that is no UUID");
        bool const found = zvGetLogical(result.outputs.at(0).get(), 0);
        require(found == (boost::uuids::to_string(*expected) == kKey), "hasKey answered wrong");
    } catch (olan::HostError const& error) {
        require(!expected && causedByBadCast(error), "hasKey refused UUID text, or not as a cast");
    }
}

// A property setter: parsed text is stored in its lower-case form (and undone again); the rest
// is refused with InvalidValue and leaves the entry as it was.
void checkPropertySetter(Scene& scene, Value const& text, boost::optional<uuid> const& expected) {
    try {
        host::setProperty(scene.entry.get(), "Value", text.get());
        require(expected.has_value(), "the Value setter took text that is no UUID");
        require(textOf(host::getProperty(scene.entry.get(), "Value")) ==
                    boost::uuids::to_string(*expected),
                "the Value setter stored another UUID");
        if (boost::uuids::to_string(*expected) != kValue) {
            host::callOn(scene.model.get(), "undo", {}, 0);
        }
    } catch (olan::HostError const& error) {
        require(!expected && isInvalidValue(error), "the Value setter refused UUID text");
    }
    require(textOf(host::getProperty(scene.entry.get(), "Value")) == kValue,
            "the entry's Value did not come back");
}

// Model.findElement and the view's hasKey: parsed text is looked up, the rest refused.
void checkLookups(Scene& scene, Value const& text, boost::optional<uuid> const& expected) {
    for (auto const& [object, method] :
         {std::pair{&scene.model, "findElement"}, std::pair{&scene.pairs, "hasKey"}}) {
        try {
            host::callOn(object->get(), method, {text.get()}, 1);
            require(expected.has_value(), "a look-up took text that is no UUID");
        } catch (olan::HostError const& error) {
            require(!expected && isInvalidValue(error), "a look-up refused UUID text");
        }
    }
}

void checkTextConversions(std::u16string const& text, std::string const& bytes) {
    namespace t = tarsk::core::text;
    bool const wellFormed = wellFormedModel(text);
    require(t::isWellFormed(text) == wellFormed, "isWellFormed differs from the model");
    try {
        std::string const utf8 = t::toUtf8(text);
        require(wellFormed, "toUtf8 took ill-formed UTF-16");
        require(t::toUtf16(utf8) == text, "UTF-16 did not come back from UTF-8");
        require(t::toUtf8Lossy(text) == utf8, "toUtf8Lossy differs on well-formed text");
    } catch (tarsk::core::except::Exception<t::IllFormedText> const&) {
        require(!wellFormed, "toUtf8 refused well-formed UTF-16");
        require(!t::toUtf8Lossy(text).empty(), "toUtf8Lossy lost ill-formed text");
    }
    // Raw bytes as UTF-8: whatever is taken must be the one canonical form of its text.
    try {
        require(t::toUtf8(t::toUtf16(bytes)) == bytes, "toUtf16 took non-canonical UTF-8");
    } catch (tarsk::core::except::Exception<t::IllFormedText> const&) {
    }
}

// Hexadecimal digits of both cases, hyphens, a non-hexadecimal letter, a blank, a NUL, and the
// two halves of a surrogate pair.
constexpr char16_t kAlphabet[] = {u'0', u'1', u'9', u'a',  u'f',   u'A',   u'F',     u'-',
                                  u'-', u'g', u' ', u'\0', 0xD800, 0xDC00, u'\u0660'};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    static Scene scene;
    FuzzedDataProvider input(data, size);
    std::u16string const text = arvex_fuzz::decodeText(input, kAlphabet);
    boost::optional<uuid> const expected = parseModel(text);

    checkTextConversions(text, std::string(reinterpret_cast<char const*>(data), size));
    Value const hostText(zvCreateString_UTF16(text));
    require(korm::zero::zi::detail::extractUuid(hostText.get()) == expected,
            "extractUuid differs from the grammar");
    require(korm::zero::ProxyId(text, u"").getTargetUuid() == expected,
            "ProxyId::getTargetUuid differs from the grammar");
    checkMethodInput(scene, hostText, expected);
    checkPropertySetter(scene, hostText, expected);
    checkLookups(scene, hostText, expected);
    return 0;
}
