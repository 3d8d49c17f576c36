#pragma once

// Host errors. Every failure the host reports is an olan::HostError carrying a message
// identifier ("component:key", for example "Zolmar:class:InvalidHandle") and a text. Texts come
// from the host's message catalogue when it knows the identifier.

#include <exception>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "olan/export.hpp"

namespace olan {

/// The identifiers the host itself raises.
namespace errors {
inline constexpr std::string_view InvalidHandle = "Zolmar:class:InvalidHandle";
inline constexpr std::string_view UndefinedClass = "Zolmar:class:UndefinedClass";
inline constexpr std::string_view UndefinedPackage = "Zolmar:class:UndefinedPackage";
inline constexpr std::string_view UndefinedMethod = "Zolmar:class:UndefinedMethod";
inline constexpr std::string_view UndefinedProperty = "Zolmar:class:UndefinedProperty";
inline constexpr std::string_view UnknownType = "Zolmar:class:UnknownType";
inline constexpr std::string_view DuplicateName = "Zolmar:class:DuplicateName";
inline constexpr std::string_view InvalidName = "Zolmar:class:InvalidName";
inline constexpr std::string_view InvalidDefinition = "Zolmar:class:InvalidDefinition";
inline constexpr std::string_view InvalidSignature = "Zolmar:class:InvalidSignature";
inline constexpr std::string_view RecursiveDefinition = "Zolmar:class:RecursiveDefinition";
inline constexpr std::string_view PackageLocked = "Zolmar:class:PackageLocked";
inline constexpr std::string_view AbstractClass = "Zolmar:class:AbstractClass";
inline constexpr std::string_view NoConstructor = "Zolmar:class:NoConstructor";
inline constexpr std::string_view NotAHandleClass = "Zolmar:class:NotAHandleClass";
inline constexpr std::string_view AlreadyBound = "Zolmar:class:AlreadyBound";
inline constexpr std::string_view UnboundObject = "Zolmar:class:UnboundObject";
inline constexpr std::string_view NotAnObject = "Zolmar:class:NotAnObject";
inline constexpr std::string_view WrongInputCount = "Zolmar:class:WrongInputCount";
inline constexpr std::string_view TooManyOutputs = "Zolmar:class:TooManyOutputs";
inline constexpr std::string_view OutputNotSet = "Zolmar:class:OutputNotSet";
inline constexpr std::string_view ReadOnlyProperty = "Zolmar:class:ReadOnlyProperty";
inline constexpr std::string_view StringExpected = "Zolmar:class:StringExpected";
inline constexpr std::string_view LiveObjects = "Zolmar:class:LiveObjects";
inline constexpr std::string_view WrongClass = "Zolmar:array:WrongClass";
inline constexpr std::string_view IndexOutOfRange = "Zolmar:array:IndexOutOfRange";
inline constexpr std::string_view InvalidDimensions = "Zolmar:array:InvalidDimensions";
inline constexpr std::string_view LentArray = "Zolmar:array:LentArray";
inline constexpr std::string_view IllFormedText = "Zolmar:array:IllFormedText";
inline constexpr std::string_view NativeError = "Zolmar:native:Error";
}  // namespace errors

/// A host error: identifier, text (what()) and, for a native exception the host translated, the
/// original exception.
class OLAN_EXPORT HostError : public std::runtime_error {
  public:
    HostError(std::string identifier, const std::string& text, std::exception_ptr cause = nullptr);

    const std::string& identifier() const noexcept { return identifier_; }
    /// The native exception this error was made from, or null.
    const std::exception_ptr& cause() const noexcept { return cause_; }

  private:
    std::string identifier_;
    std::exception_ptr cause_;
};

/// Raises the host error `identifier`. Its text is the catalogue's text for the identifier,
/// followed by `detail` in parentheses when given; without a catalogue text, `detail` alone (or
/// the identifier).
[[noreturn]] OLAN_EXPORT void raiseHostError(std::string_view identifier,
                                             std::string_view detail = {});

namespace host {
/// The message catalogue: the text of an identifier, or empty when unknown. The host's own
/// identifiers are present from the start.
OLAN_EXPORT std::string messageText(std::string_view identifier);
/// Adds or replaces the catalogue text of an identifier.
OLAN_EXPORT void registerMessageText(std::string_view identifier, std::string_view text);

/// Tells the identifier of a native exception, or nothing when it does not know it.
using ErrorIdentifier = std::function<std::optional<std::string>(const std::exception&)>;
/// Adds a way of telling identifiers; the host asks them in the order added when it turns a
/// native exception that escaped a method, constructor or accessor into a HostError.
OLAN_EXPORT void addErrorIdentifier(ErrorIdentifier identify);
/// An ErrorIdentifier for every exception type `E` with an `identifier()` member.
template <class E>
void addIdentifiedExceptionType() {
    addErrorIdentifier([](const std::exception& e) -> std::optional<std::string> {
        if (auto* identified = dynamic_cast<const E*>(&e)) {
            return std::string(identified->identifier());
        }
        return std::nullopt;
    });
}
/// The identifier of an exception: a HostError's own, else the first registered identifier's
/// answer, else empty.
OLAN_EXPORT std::string errorIdentifier(const std::exception& e);
/// The HostError the host raises for a native exception: identified as above (NativeError when
/// unknown), text from the catalogue or else the exception's what() (without a leading
/// "<id>: "), the exception as cause.
OLAN_EXPORT HostError translateError(const std::exception& e, std::exception_ptr cause);
}  // namespace host

}  // namespace olan

/// Raises the host error of a message-id exception (anything with `identifier()` and `what()`):
/// its identifier, the catalogue's text for it or else its what(). Does not return.
[[noreturn]] OLAN_EXPORT void do_legacy_zv_error(std::string_view identifier,
                                                 std::string_view text);
template <class E>
requires requires(const E& e) {
    std::string_view(e.identifier());
    e.what();
}
[[noreturn]] void do_legacy_zv_error(const E& exception) {
    do_legacy_zv_error(std::string_view(exception.identifier()), exception.what());
}

/// Raises the host error of message identifier `identifier` (text from the catalogue, or
/// `text`). Does not return.
[[noreturn]] OLAN_EXPORT void zvErrMsgId(std::string_view identifier, std::string_view text = {});
/// Hands a message-id exception to do_legacy_zv_error; should that ever return, throws the
/// exception itself.
template <class E>
requires requires(const E& e) {
    std::string_view(e.identifier());
}
[[noreturn]] void zvErrMsgId(const E& exception) {
    do_legacy_zv_error(exception);
    throw exception;
}
