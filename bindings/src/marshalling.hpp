#pragma once

// What every method wrapper and property accessor shares: finding the self element of a call,
// UUID text in and out, lists of UUIDs as cell arrays, binding elements for output, the host's
// InvalidHandle error, and the method description base with its signature.

#include <boost/optional.hpp>
#include <boost/uuid/uuid.hpp>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "korm/zero/builder.hpp"
#include "korm/zero/meta/handles.hpp"
#include "korm/zero/model.hpp"
#include "korm/zero/model_element.hpp"
#include "olan/factory/method.hpp"
#include "olan/interned.hpp"
#include "olan/object.hpp"
#include "olan/value.hpp"
#include "zolmar/zv_array.hpp"

namespace arvex::utilities::zi {

namespace kz = korm::zero;

/// The interned form of a class or type name.
olan::InternedName interned(std::string_view name);

/// Raises the host's InvalidHandle error ("Zolmar:class:InvalidHandle") through zvErrMsgId.
[[noreturn]] void raiseInvalidHandle();

/// The record bound to element 0 of `value` under the class type name `className`, or null
/// for a null or empty array, an array without an object, or an object without such a binding.
/// No reference is taken. Interning a class name seen for the first time may allocate, so this
/// may throw std::bad_alloc (which the host turns into a host error like any other).
void* nativePointerOf(zvArray const* value, std::string_view className);

/// The self element of an instance method call: input 0's object, looked up under the class
/// type name of X, taken as a counted handle. Raises InvalidHandle when there is none.
template <class X>
X selfElement(int inputCount, zvArray const* const* inputs, std::string_view className) {
    void* const pointer = inputCount > 0 ? nativePointerOf(inputs[0], className) : nullptr;
    if (pointer == nullptr) {
        raiseInvalidHandle();
    }
    return X(static_cast<typename X::Impl*>(pointer));
}

/// The UUID of a method's "char" input: the UTF-16 text parsed by korm::zero::parseUuidText
/// (whole text, hyphenated, either case). Malformed text raises boost::bad_lexical_cast, the
/// refusal the host reports for a text that does not convert.
boost::uuids::uuid uuidOfInput(zvArray const* value);

/// The 36-character lower-case text of `id` as a host string.
olan::Value uuidText(boost::uuids::uuid const& id);
/// The same text as a UTF-16 string.
std::u16string uuidText16(boost::uuids::uuid const& id);

/// A 1-by-n cell array holding the text of each UUID, in order.
olan::Value uuidCell(std::vector<boost::uuids::uuid> const& ids);

/// The host value bound to `element` (null allowed), named after the element's own class or,
/// for null, `declaredClassName`. A new binding holds one element reference.
olan::Value bindForOutput(kz::ModelElement::Impl* element, std::string_view declaredClassName);

/// Whether a host value is a struct array (class code with the lent flag masked).
bool isStruct(zvArray const* value) noexcept;

/// The base of every method description of the bindings: name, attribute word, empty
/// description and the signature built from the argument names, output type and input types.
class WrapperMethod : public olan::factory::OlanMethod {
  public:
    WrapperMethod(std::string name, std::uint32_t attributes, std::string_view argumentNames,
                  std::string_view outputType, std::initializer_list<std::string_view> inputTypes,
                  int optionalInputs);
    /// The same with the input types in a span (at most four are told apart; further ones
    /// are left out of the signature).
    WrapperMethod(std::string name, std::uint32_t attributes, std::string_view argumentNames,
                  std::string_view outputType, std::span<std::string_view const> inputTypes,
                  int optionalInputs);
};

/// The constructor shared by the six classes: a usable model (input 0), then an optional init
/// struct and an optional UUID in either order; the element is made by a builder of
/// `metaClass` and bound to the object under construction in output slot 0.
void construct(kz::meta::Class const& metaClass, std::string_view className, int& outputCount,
               olan::Value* outputs, int inputCount, zvArray const* const* inputs);

/// The builder and UUID of a createInto call (inputs after self: [init struct], [UUID text]).
/// Raises InvalidValue for an input that fits neither rule, or when either is missing.
struct CreationInputs {
    std::unique_ptr<kz::ModelElement::Builder> builder;
    boost::uuids::uuid id;
};
CreationInputs creationInputs(kz::Model const& model, kz::meta::Class const& metaClass,
                              int inputCount, zvArray const* const* inputs);

/// "StaticMetaClass": binds the class's meta-class object to output slot 0.
void invokeStaticMetaClass(kz::meta::Class (*metaClass)(), int& outputCount, olan::Value* outputs,
                           int inputCount, zvArray const* const* inputs);

/// Adds the "StaticMetaClass" member for `metaClass`.
olan::factory::OlanMethod* newStaticMetaClass(kz::meta::Class (*metaClass)());

}  // namespace arvex::utilities::zi
