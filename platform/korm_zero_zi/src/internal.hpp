#pragma once

// Shared pieces of the host classes: methods over plain functions, accessors over the object's
// primary native pointer, self look-up and the errors raised.

#include <boost/uuid/uuid.hpp>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "korm/zero/messages.hpp"
#include "korm/zero/model_element.hpp"
#include "olan/class_info.hpp"
#include "olan/errors.hpp"
#include "olan/factory/method.hpp"
#include "olan/factory/property.hpp"
#include "olan/interned.hpp"
#include "olan/object.hpp"
#include "olan/value.hpp"
#include "zolmar/zv_array.hpp"

namespace korm::zero::zi::internal {

/// The invoke operation of a method, as a plain function.
using MethodBody = void (*)(int& outputCount, olan::Value* outputs, int inputCount,
                            zvArray const* const* inputs);

/// A method whose invoke calls a plain function.
class FunctionMethod final : public olan::factory::OlanMethod {
  public:
    FunctionMethod(std::string name, std::string description,
                   olan::factory::MethodAttributes attributes, MethodBody body)
        : OlanMethod(std::move(name), attributes, std::move(description)), m_body(body) {}
    void invoke(int& outputCount, olan::Value* outputs, int inputCount,
                zvArray const* const* inputs) override {
        m_body(outputCount, outputs, inputCount, inputs);
    }

  private:
    MethodBody m_body;
};

/// Adds a method with its description (what it does, for help), the signature (output,
/// inputs...), its argument names (space-separated, one per input, "obj" for the receiver) and
/// `optional` optional inputs.
template <class... Inputs>
void addMethod(olan::COSClassDefinition& definition, std::string name, std::string description,
               std::uint32_t attributes, MethodBody body, int optional,
               std::string_view argumentNames, std::string_view output, Inputs... inputs) {
    // The method is this function's until it is handed to the definition: a refused signature
    // deletes it here. The definition owns what it is handed, even when it refuses it.
    auto method =
        std::make_unique<FunctionMethod>(std::move(name), std::move(description), attributes, body);
    olan::factory::impl::Invoker::createSignature(argumentNames, output, inputs...,
                                                  method->signature());
    method->signature().setOptionalInputCount(optional);
    definition.addMethod(method.release());
}

/// A read-only property whose value is computed from the object itself (its primary pointer
/// is read by the function).
using GetterFunction = olan::Value (*)(olan::Object& self);

class FunctionGetter final : public olan::factory::impl::PropertyGetter {
  public:
    FunctionGetter(GetterFunction function, std::string type)
        : m_function(function), m_type(std::move(type)) {}
    olan::Value get(olan::Object& self) const override { return m_function(self); }
    std::string getType() const override { return m_type; }

  private:
    GetterFunction m_function;
    std::string m_type;
};

/// Adds a read-only property with its description (what it holds, for help).
void addReadOnlyProperty(olan::COSClassDefinition& definition, std::string name,
                         std::string description, GetterFunction getter, std::string type);

/// Raises korm0:messages:InvalidValue: what was refused, the refused value and what would have
/// been valid.
[[noreturn]] void invalidValue(std::string const& what, korm0::messages::Argument value,
                               std::string const& expected);

/// The element bound to input 0 (an object of "korm.zero.ModelElement" or a subclass), with a
/// reference; raises the host's InvalidHandle for anything else.
ModelElement selfElement(int inputCount, zvArray const* const* inputs);

/// The object of input 0 when it is an object of `className` or of a class derived from it
/// and bound; raises the host's InvalidHandle otherwise. Returns its primary pointer.
void* selfPointer(int inputCount, zvArray const* const* inputs, std::string_view className);

/// Stores `value` in output slot 0 (when the caller takes outputs) and reports one output.
void setOutput(int& outputCount, olan::Value* outputs, olan::Value value);
/// Stores a logical in output slot 0 and reports one output.
void setOutput(int& outputCount, olan::Value* outputs, bool flag);

// The description levels of this library's host classes, added by initialize().
olan::COSClassInfo* createModelElementClass();
olan::COSClassInfo* createModelClass();
olan::COSClassInfo* createMetaClassClass();
olan::COSClassInfo* createSetViewClass();
olan::COSClassInfo* createSequenceViewClass();
olan::COSClassInfo* createMapViewClass();
olan::COSClassInfo* createMultimapViewClass();

}  // namespace korm::zero::zi::internal
