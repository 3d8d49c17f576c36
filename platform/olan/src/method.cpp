#include "olan/factory/method.hpp"

#include "olan/errors.hpp"

namespace olan::factory {

void MethodSignature::setOptionalInputCount(int count) {
    if (count < 0 || count > inputCount()) {
        raiseHostError(errors::InvalidSignature, "optional inputs " + std::to_string(count) +
                                                     " of " + std::to_string(inputCount()));
    }
    optional_ = count;
}

OlanMethod::OlanMethod(std::string name, MethodAttributes attributes, std::string description)
    : name_(std::move(name)), attributes_(attributes), description_(std::move(description)) {}

OlanMethod::~OlanMethod() = default;

std::string OlanMethod::getName() const {
    return name_;
}
std::string OlanMethod::getDescription() const {
    return description_;
}
bool OlanMethod::isLookupScope() const {
    return false;
}
std::string OlanMethod::getDetailedDescription() const {
    return {};
}
MemberAccess OlanMethod::getMemberAccess() const {
    if (attributes_.has(MethodAttributes::Private)) {
        return MemberAccess::Private;
    }
    if (attributes_.has(MethodAttributes::Protected)) {
        return MemberAccess::Protected;
    }
    return MemberAccess::Public;
}
std::vector<std::string> OlanMethod::getExtendedAccess() const {
    return {};
}
const MethodSignature& OlanMethod::getMethodSignature() const {
    return signature_;
}
bool OlanMethod::isFirstArgDispatch() const {
    return !isStatic();
}
bool OlanMethod::isStatic() const {
    return attributes_.has(MethodAttributes::Static);
}
bool OlanMethod::isAbstract() const {
    return attributes_.has(MethodAttributes::Abstract);
}
bool OlanMethod::isSealed() const {
    return attributes_.has(MethodAttributes::Sealed);
}
bool OlanMethod::isVisible() const {
    return !attributes_.has(MethodAttributes::Hidden);
}
bool OlanMethod::isDestructible() const {
    return true;
}
bool OlanMethod::isLocked() const {
    return false;
}
bool OlanMethod::isExplicit() const {
    return false;
}
bool OlanMethod::doesMethodOverrideAllSignatures() const {
    return false;
}

namespace impl {

void Invoker::fill(std::string_view argumentNames, std::string_view outputType,
                   std::vector<std::string> inputs, MethodSignature& signature) {
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start < argumentNames.size()) {
        std::size_t end = argumentNames.find(' ', start);
        if (end == std::string_view::npos) {
            end = argumentNames.size();
        }
        if (end > start) {
            names.emplace_back(argumentNames.substr(start, end - start));
        }
        start = end + 1;
    }
    if (!names.empty() && names.size() != inputs.size()) {
        raiseHostError(errors::InvalidSignature, std::to_string(names.size()) +
                                                     " argument names for " +
                                                     std::to_string(inputs.size()) + " inputs");
    }
    if (outputType.empty()) {
        raiseHostError(errors::InvalidSignature, "no output type");
    }
    signature.names_ = std::move(names);
    signature.output_ = std::string(outputType);
    signature.inputs_ = std::move(inputs);
    signature.optional_ = 0;
}

void Invoker::createSignature(std::string_view argumentNames, std::string_view outputType,
                              MethodSignature& signature) {
    fill(argumentNames, outputType, {}, signature);
}

void Invoker::createSignature(std::string_view argumentNames, std::string_view outputType,
                              std::string_view input1, MethodSignature& signature) {
    fill(argumentNames, outputType, {std::string(input1)}, signature);
}

void Invoker::createSignature(std::string_view argumentNames, std::string_view outputType,
                              std::string_view input1, std::string_view input2,
                              MethodSignature& signature) {
    fill(argumentNames, outputType, {std::string(input1), std::string(input2)}, signature);
}

void Invoker::createSignature(std::string_view argumentNames, std::string_view outputType,
                              std::string_view input1, std::string_view input2,
                              std::string_view input3, MethodSignature& signature) {
    fill(argumentNames, outputType, {std::string(input1), std::string(input2), std::string(input3)},
         signature);
}

void Invoker::createSignature(std::string_view argumentNames, std::string_view outputType,
                              std::string_view input1, std::string_view input2,
                              std::string_view input3, std::string_view input4,
                              MethodSignature& signature) {
    fill(argumentNames, outputType,
         {std::string(input1), std::string(input2), std::string(input3), std::string(input4)},
         signature);
}

void validateSelfPointer(const void* self) {
    if (self == nullptr) {
        raiseHostError(errors::InvalidHandle);
    }
}

}  // namespace impl
}  // namespace olan::factory
