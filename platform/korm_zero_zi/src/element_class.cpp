// The host class "korm.zero.ModelElement": the base of every host class bound to elements. Its
// members, and what each does, are registered with their descriptions in defineMembers.
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

    std::string getDescription() const override {
        return "An element of a model: the base of every class whose objects are model "
               "elements. An element has a UUID, belongs to one model and can be destroyed.";
    }

    void defineMembers(olan::COSClassDefinition& definition) override {
        olan::factory::detail::initStringDataTypes();
        std::string const self = ModelElementClassName;
        addReadOnlyProperty(definition, "UUID", "The element's UUID as lower-case text.",
                            &uuidProperty, StringScalarType);
        addMethod(definition, "isValid",
                  "Tells whether the object is bound to an element that is still valid: false for "
                  "an empty object and for an element that was destroyed, whose creation was "
                  "undone or whose model is gone.",
                  0, &isValid, 0, "obj", "logical scalar", self);
        addMethod(definition, "isEqual",
                  "Tells whether both objects are bound to the same element.", 0, &isEqual, 0,
                  "obj other", "logical scalar", self, "any");
        addMethod(
            definition, "getModel",
            "The model of the element (the empty object once the element has left its model).", 0,
            &getModel, 0, "obj", ModelClassName, self);
        addMethod(definition, "destroy",
                  "Destroys the element and what it contains: one undoable step, or part of the "
                  "model's open transaction.",
                  0, &destroy, 0, "obj", "void", self);
    }
};

}  // namespace

olan::COSClassInfo* createModelElementClass() {
    return new ModelElementClass;
}

}  // namespace korm::zero::zi::internal
