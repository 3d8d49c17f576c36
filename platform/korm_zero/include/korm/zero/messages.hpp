#pragma once

// The framework's messages: one small type per key in namespace korm0::messages, all of the
// component "korm0:messages", and reportException, which throws one of them as
// tarsk::core::except::Exception<M>.
//
// Each type's constructor takes the message arguments (integers, 8-bit strings, UTF-16
// strings) in the order of its English text, which is the framework's default catalogue entry.

#include <algorithm>
#include <cstddef>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "korm/zero/export.hpp"
#include "tarsk/core/except/exception.hpp"
#include "tarsk/core/except/message.hpp"

namespace korm0::messages {

using Argument = tarsk::core::except::MessageArgument;

inline constexpr std::string_view COMPONENT = "korm0:messages";

/// Base of every message of the component.
class KORM_ZERO_EXPORT Korm0Message : public tarsk::core::except::Message {
  protected:
    Korm0Message(std::string_view key, std::string_view pattern, std::vector<Argument> args)
        : Message(COMPONENT, key, pattern, std::move(args)) {}
};

/// The number of arguments a pattern takes: one more than its highest "{n}".
consteval std::size_t argumentCount(std::string_view pattern) {
    std::size_t count = 0;
    for (std::size_t i = 0; i + 2 < pattern.size(); ++i) {
        if (pattern[i] == '{' && pattern[i + 1] >= '0' && pattern[i + 1] <= '9' &&
            pattern[i + 2] == '}') {
            count = std::max(count, static_cast<std::size_t>(pattern[i + 1] - '0') + 1);
        }
    }
    return count;
}

// A message type: Name(args...) with its key "Name" and its English text. It is constructed
// with exactly as many arguments as its text has placeholders, so that no message can reach a
// user with a placeholder left unfilled.
#define KORM0_DEFINE_MESSAGE(Name, Pattern)                                                  \
    class KORM_ZERO_EXPORT Name : public Korm0Message {                                      \
      public:                                                                                \
        static constexpr std::string_view KEY = #Name;                                       \
        static constexpr std::string_view PATTERN = Pattern;                                 \
        static constexpr std::size_t ARGUMENTS = argumentCount(Pattern);                     \
        template <std::size_t N = ARGUMENTS>                                                 \
        requires(N == 0) Name() : Korm0Message(KEY, PATTERN, {}) {}                          \
        template <class... A>                                                                \
        requires(sizeof...(A) == ARGUMENTS && sizeof...(A) > 0 &&                            \
                 (std::is_constructible_v<Argument, A&&> && ...)) explicit Name(A&&... args) \
            : Korm0Message(KEY, PATTERN, {Argument(std::forward<A>(args))...}) {}            \
    }

// Raised by the library and the collections.
KORM0_DEFINE_MESSAGE(UniquenessConstraint, "The value {0} is already taken; it must be unique.");
KORM0_DEFINE_MESSAGE(CannotModifyProxy, "An unresolved reference (proxy) cannot be modified.");
KORM0_DEFINE_MESSAGE(CannotCreateCrossModelAssociation,
                     "Element {0} of model \"{1}\" cannot be associated with an element of "
                     "model \"{2}\".");
KORM0_DEFINE_MESSAGE(CannotAddIncompatibleTypes,
                     "An element of type {0} cannot be added where {1} is expected.");
KORM0_DEFINE_MESSAGE(CannotCastIncompatibleTypes, "A value of type {0} cannot be read as asked.");
KORM0_DEFINE_MESSAGE(CannotAddSecondObject,
                     "The element is already held and cannot be added "
                     "a second time.");
KORM0_DEFINE_MESSAGE(CannotAddNonExistentObject, "An empty or destroyed element cannot be added.");
// The role of the refused value, the value itself (a number, quoted text, or a <description>)
// and what would have been valid, e.g. "The value 3 is not valid as the argument count of
// operation hasKey: it takes 1."
KORM0_DEFINE_MESSAGE(InvalidValue, "The value {1} is not valid as the {0}: {2}.");
/// The form of UUID text, as InvalidValue states it for text that is no UUID.
inline constexpr char const* UUID_TEXT_FORM =
    "UUID text is 32 hexadecimal digits with hyphens after the 8th, 12th, 16th and 20th";
KORM0_DEFINE_MESSAGE(CannotCreateWithoutModel, "An element cannot be created without a model.");
KORM0_DEFINE_MESSAGE(CannotModifyRemovedElement,
                     "Element {0} is no longer part of a model (it was destroyed, its creation "
                     "was undone or rolled back, or its model was closed) and cannot be "
                     "changed.");

// Raised by the framework itself.
KORM0_DEFINE_MESSAGE(CannotModifyFrozenModel, "Model \"{0}\" is frozen and cannot be changed.");
KORM0_DEFINE_MESSAGE(ChangeOutsideTransaction, "Model \"{0}\" was changed outside a transaction.");
// Raised only by the test-only failure hook (korm/zero/testing.hpp).
KORM0_DEFINE_MESSAGE(InjectedFault, "A failure was injected here for a test.");
KORM0_DEFINE_MESSAGE(TransactionOutOfOrder,
                     "A transaction of model \"{0}\" was ended while a transaction nested in it "
                     "was still open.");
KORM0_DEFINE_MESSAGE(UnknownProperty, "Element {0} has no property {1}.");
KORM0_DEFINE_MESSAGE(CannotInvokeOperation, "Operation {0} cannot be invoked on element {1}.");
KORM0_DEFINE_MESSAGE(NoBuilderForClass, "No builder is registered for class {0}.");
KORM0_DEFINE_MESSAGE(CannotUndoInTransaction,
                     "Model \"{0}\" cannot undo or redo while a transaction is open.");

// Raised by model files (Model::open, Model::save). {0} is always the file's path.
KORM0_DEFINE_MESSAGE(ModelFileNotAModel, "The file \"{0}\" is not a model file.");
KORM0_DEFINE_MESSAGE(ModelFileTooNew,
                     "The model file \"{0}\" has format version {1}; this program reads format "
                     "versions up to {2}.");
KORM0_DEFINE_MESSAGE(ModelFileCorrupt, "The model file \"{0}\" is damaged: {1}.");
KORM0_DEFINE_MESSAGE(ModelFileUnknownPackage,
                     "The model file \"{0}\" needs the meta-package {1}, which is not "
                     "registered.");
KORM0_DEFINE_MESSAGE(ModelFileUnknownClass,
                     "The model file \"{0}\" holds elements of class {1}, which is not "
                     "registered.");
KORM0_DEFINE_MESSAGE(ModelFileCannotOpen, "The model file \"{0}\" cannot be opened: {1}.");
KORM0_DEFINE_MESSAGE(ModelFileCannotWrite, "The model cannot be written to \"{0}\": {1}.");
KORM0_DEFINE_MESSAGE(ModelFileInUse,
                     "The model file \"{0}\" is open for writing in another process.");
KORM0_DEFINE_MESSAGE(ModelHasNoFile,
                     "Model \"{0}\" has not been saved to a file yet; give a path to save it.");

// Why a reference into another model stays unresolved (findUnresolvedReferences), and the
// model names that cannot name a model file (ModelFiles::fileNameFor).
KORM0_DEFINE_MESSAGE(ModelNameNotAFileName,
                     "The model name \"{0}\" cannot name a model file: {1}.");
KORM0_DEFINE_MESSAGE(ReferencedModelNotFound,
                     "Model \"{0}\" is not open, and no file {1} was found beside the referring "
                     "model's file or on the search path ({2}).");
KORM0_DEFINE_MESSAGE(ReferencedModelFileUnusable,
                     "The file \"{0}\" found for model \"{1}\" cannot be used: {2}");
KORM0_DEFINE_MESSAGE(ReferencedElementNotFound, "Model \"{0}\" holds no element {1}.");
KORM0_DEFINE_MESSAGE(ReferencedClassNotRegistered,
                     "The reference to element {0} names class {1}, which is not registered.");
KORM0_DEFINE_MESSAGE(ReferencedClassMismatch,
                     "Element {0} of model \"{1}\" is of class {2}, which does not fit {3}.");

#undef KORM0_DEFINE_MESSAGE

}  // namespace korm0::messages

namespace korm::zero {

/// Throws `message` as tarsk::core::except::Exception<M>.
template <class M>
[[noreturn]] void reportException(M const& message) {
    throw tarsk::core::except::Exception<M>(message);
}

}  // namespace korm::zero
