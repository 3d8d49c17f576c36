// The host class "korm.zero.ModelElement": the base of every host class bound to elements.
//
//   property "UUID"   read-only, the element's UUID as lower-case text
//   isValid(self)          -> logical scalar: false for an empty object or an element that is
//                             no longer valid (destroyed, creation undone, model gone)
//   isEqual(self, other)   -> logical scalar: both are bound to the same element
//   getModel(self)         -> korm.zero.Model: the element's model (empty object once detached)
//   destroy(self)          -> destroys the element and what it contains (one undoable step, or
//                             part of the model's open transaction)
//
// The methods reach the element through the object's primary pointer, so that they work on
// objects of every derived class, whatever class type name the binding used.

#include "internal.hpp"
#include "korm/zero/uuid_text.hpp"
#include "korm/zero/zi/binding.hpp"
#include "korm/zero/zi/wrapper_info.hpp"
#include "olan/factory/strings.hpp"
#include "olan/interned.hpp"

namespace korm::zero::zi::internal {

namespace {

using olan::Value;
using olan::factory::detail::StringScalarType;

Value uuidProperty(olan::Object& self) {
    auto* record = static_cast<ModelElement::Impl*>(self.primaryPointer());
    olan::factory::impl::validateSelfPointer(record);
    ModelElement const held(record);
    return Value(zvCreateString_UTF16(uuidText16(record->getUuid())));
}

void isValid(int& outputCount, Value* outputs, int inputCount, zvArray const* const* inputs) {
    ModelElement const element(inputCount > 0 ? elementOf(inputs[0]) : nullptr);
    setOutput(outputCount, outputs, static_cast<bool>(element));
}

void isEqual(int& outputCount, Value* outputs, int inputCount, zvArray const* const* inputs) {
    ModelElement const self = selfElement(inputCount, inputs);
    bool const same = inputCount > 1 && elementOf(inputs[1]) == self.getImpl();
    setOutput(outputCount, outputs, same);
}

void getModel(int& outputCount, Value* outputs, int inputCount, zvArray const* const* inputs) {
    ModelElement const self = selfElement(inputCount, inputs);
    setOutput(outputCount, outputs, bindModel(self->getModel()));
}

void destroy(int& outputCount, Value* /*outputs*/, int inputCount, zvArray const* const* inputs) {
    ModelElement const self = selfElement(inputCount, inputs);
    self->destroy();
    outputCount = 0;
}

class ModelElementClass final : public KORM0WrapperInfo<ModelElement::Impl> {
  public:
    ModelElementClass() : KORM0WrapperInfo("ModelElement", ModelElementClassName) {}

    void defineMembers(olan::COSClassDefinition& definition) override {
        olan::factory::detail::initStringDataTypes();
        std::string const self = ModelElementClassName;
        addReadOnlyProperty(definition, "UUID", &uuidProperty, StringScalarType);
        addMethod(definition, "isValid", 0, &isValid, 0, "obj", "logical scalar", self);
        addMethod(definition, "isEqual", 0, &isEqual, 0, "obj other", "logical scalar", self,
                  "any");
        addMethod(definition, "getModel", 0, &getModel, 0, "obj", ModelClassName, self);
        addMethod(definition, "destroy", 0, &destroy, 0, "obj", "void", self);
    }
};

}  // namespace

olan::COSClassInfo* createModelElementClass() {
    return new ModelElementClass;
}

}  // namespace korm::zero::zi::internal
