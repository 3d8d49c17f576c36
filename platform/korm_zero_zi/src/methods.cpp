// Shared pieces of the host classes.

#include "internal.hpp"
#include "korm/zero/zi/binding.hpp"
#include "olan/errors.hpp"
#include "olan/interned.hpp"

namespace korm::zero::zi::internal {

void addReadOnlyProperty(olan::COSClassDefinition& definition, std::string name,
                         std::string description, GetterFunction getter, std::string type) {
    definition.addProperty(new olan::factory::impl::PropertyImpl(
        std::move(name), std::move(description), 0, new FunctionGetter(getter, std::move(type))));
}

void invalidValue(std::string const& what, korm0::messages::Argument value,
                  std::string const& expected) {
    reportException(korm0::messages::InvalidValue(what, std::move(value), expected));
}

ModelElement selfElement(int inputCount, zvArray const* const* inputs) {
    ModelElement::Impl* const record = inputCount > 0 ? elementOf(inputs[0]) : nullptr;
    if (record == nullptr) {
        zvErrMsgId(olan::errors::InvalidHandle);
    }
    return ModelElement(record);
}

void* selfPointer(int inputCount, zvArray const* const* inputs, std::string_view className) {
    olan::Object const* const object = inputCount > 0 ? omGetArrayElement(inputs[0], 0) : nullptr;
    void* const pointer =
        object != nullptr && object->isa(className) ? object->primaryPointer() : nullptr;
    if (pointer == nullptr) {
        zvErrMsgId(olan::errors::InvalidHandle);
    }
    return pointer;
}

void setOutput(int& outputCount, olan::Value* outputs, olan::Value value) {
    outputCount = 1;
    if (outputs != nullptr) {
        outputs[0] = std::move(value);
    }
}

void setOutput(int& outputCount, olan::Value* outputs, bool flag) {
    outputCount = 1;
    if (outputs != nullptr) {
        outputs[0] = flag;
    }
}

}  // namespace korm::zero::zi::internal
