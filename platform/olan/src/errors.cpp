#include "olan/errors.hpp"

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace olan {

namespace {

struct Catalogue {
    std::map<std::string, std::string, std::less<>> texts{
        {std::string(errors::InvalidHandle), "Invalid or deleted object."},
        {std::string(errors::UndefinedClass), "Undefined class."},
        {std::string(errors::UndefinedPackage), "Undefined package."},
        {std::string(errors::UndefinedMethod), "No method of that name for the class."},
        {std::string(errors::UndefinedProperty), "No property of that name for the class."},
        {std::string(errors::UnknownType), "Unknown data type in a member definition."},
        {std::string(errors::DuplicateName), "The name is already defined."},
        {std::string(errors::InvalidName), "Invalid name."},
        {std::string(errors::InvalidDefinition), "Invalid member definition."},
        {std::string(errors::InvalidSignature), "Invalid method signature."},
        {std::string(errors::RecursiveDefinition), "The class definition depends on itself."},
        {std::string(errors::PackageLocked), "The package is locked."},
        {std::string(errors::AbstractClass), "An abstract class cannot be instantiated."},
        {std::string(errors::NoConstructor), "The class has no constructor."},
        {std::string(errors::NotAHandleClass), "Only objects of handle classes can be bound."},
        {std::string(errors::AlreadyBound), "The object or the native pointer is bound already."},
        {std::string(errors::UnboundObject), "The constructor did not bind the new object."},
        {std::string(errors::NotAnObject), "The value is not an object."},
        {std::string(errors::WrongInputCount), "Wrong number of input arguments."},
        {std::string(errors::TooManyOutputs), "Too many output arguments."},
        {std::string(errors::OutputNotSet), "An output argument was not assigned."},
        {std::string(errors::ReadOnlyProperty), "The property is read-only."},
        {std::string(errors::StringExpected), "Expected a string."},
        {std::string(errors::LiveObjects), "Objects are still alive."},
        {std::string(errors::WrongClass), "The array is of the wrong class."},
        {std::string(errors::IndexOutOfRange), "Index exceeds the array's elements."},
        {std::string(errors::InvalidDimensions), "Invalid array dimensions."},
        {std::string(errors::LentArray), "An array lent to a call belongs to its caller."},
        {std::string(errors::IllFormedText), "The text is not well-formed Unicode."},
    };
    std::vector<host::ErrorIdentifier> identifiers;
};

Catalogue& catalogue() {
    static Catalogue* instance = new Catalogue;
    return *instance;
}

std::string composeText(std::string_view identifier, std::string_view detail) {
    std::string text = host::messageText(identifier);
    if (text.empty()) {
        return std::string(detail.empty() ? identifier : detail);
    }
    if (!detail.empty()) {
        text.append(" (").append(detail).append(")");
    }
    return text;
}

}  // namespace

HostError::HostError(std::string identifier, const std::string& text, std::exception_ptr cause)
    : std::runtime_error(text), identifier_(std::move(identifier)), cause_(std::move(cause)) {}

void raiseHostError(std::string_view identifier, std::string_view detail) {
    throw HostError(std::string(identifier), composeText(identifier, detail));
}

namespace host {

std::string messageText(std::string_view identifier) {
    const auto& texts = catalogue().texts;
    auto it = texts.find(identifier);
    return it == texts.end() ? std::string() : it->second;
}

void registerMessageText(std::string_view identifier, std::string_view text) {
    catalogue().texts.insert_or_assign(std::string(identifier), std::string(text));
}

void addErrorIdentifier(ErrorIdentifier identify) {
    catalogue().identifiers.push_back(std::move(identify));
}

std::string errorIdentifier(const std::exception& e) {
    if (auto* hostError = dynamic_cast<const HostError*>(&e)) {
        return hostError->identifier();
    }
    for (const auto& identify : catalogue().identifiers) {
        if (auto identifier = identify(e)) {
            return *identifier;
        }
    }
    return {};
}

HostError translateError(const std::exception& e, std::exception_ptr cause) {
    std::string identifier = errorIdentifier(e);
    if (identifier.empty()) {
        identifier = errors::NativeError;
    }
    std::string text = messageText(identifier);
    if (text.empty()) {
        // Native messages describe themselves as "<id>: <text>"; the error keeps its id apart,
        // so its text is what follows.
        std::string_view what = e.what();
        std::string const prefix = identifier + ": ";
        if (what.substr(0, prefix.size()) == prefix) {
            what.remove_prefix(prefix.size());
        }
        text = what;
    }
    return HostError(std::move(identifier), text, std::move(cause));
}

}  // namespace host

}  // namespace olan

void do_legacy_zv_error(std::string_view identifier, std::string_view text) {
    std::string catalogued = olan::host::messageText(identifier);
    throw olan::HostError(std::string(identifier),
                          catalogued.empty() ? std::string(text) : catalogued);
}

void zvErrMsgId(std::string_view identifier, std::string_view text) {
    do_legacy_zv_error(identifier, text.empty() ? identifier : text);
}
