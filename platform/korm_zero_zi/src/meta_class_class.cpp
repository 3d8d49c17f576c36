// The host class "korm.zero.meta.Class": meta-class objects (the framework's class objects),
// derived from "korm.zero.ModelElement".
//
//   property "Name"            read-only, the class's name
//   property "QualifiedName"   read-only, its dotted qualified name
//   getPropertyNames(self)     -> OlanFactoryString vector: the names of its properties,
//                                 inherited ones first
//   conformsTo(self, other)    -> logical scalar: the class is `other` (a meta-class object)
//                                 or derives from it
//   getArgumentNames(self, op) -> OlanFactoryString vector: the names of the input arguments of
//                                 its operation `op` (own or inherited), in order; none when it
//                                 has no operation of that name. Front ends name the inputs of
//                                 a host method after them.

#include <vector>

#include "internal.hpp"
#include "korm/zero/meta/meta_objects.hpp"
#include "korm/zero/zi/binding.hpp"
#include "korm/zero/zi/wrapper_info.hpp"
#include "olan/factory/strings.hpp"
#include "tarsk/core/text.hpp"

namespace korm::zero::zi::internal {

namespace {

using olan::Value;
using olan::factory::detail::StringScalarType;
using olan::factory::detail::StringVectorType;

meta::Class::Impl* classOf(olan::Object& object) {
    auto* record = static_cast<ModelElement::Impl*>(object.primaryPointer());
    meta::Class::Impl* type = record != nullptr ? meta::asClassImpl(ModelElement(record)) : nullptr;
    olan::factory::impl::validateSelfPointer(type);
    return type;
}

meta::Class selfClass(int inputCount, zvArray const* const* inputs) {
    ModelElement const self = selfElement(inputCount, inputs);
    if (meta::asClassImpl(self) == nullptr) {
        zvErrMsgId(olan::errors::InvalidHandle);
    }
    return meta::Class(self.getImpl());
}

Value nameProperty(olan::Object& object) {
    return Value(zvCreateString_UTF16(classOf(object)->getName()));
}

Value qualifiedNameProperty(olan::Object& object) {
    return Value(zvCreateString_UTF16(classOf(object)->getQualifiedName()));
}

void getPropertyNames(int& outputCount, Value* outputs, int inputCount,
                      zvArray const* const* inputs) {
    meta::Class const type = selfClass(inputCount, inputs);
    std::vector<std::u16string> names;
    for (meta::Property const& property : type.getClassImpl()->getAllProperties()) {
        names.push_back(property.getPropertyImpl()->getName());
    }
    setOutput(
        outputCount, outputs,
        Value(olan::factory::Marshaler<olan::factory::UnicodeStringVectorPolicy>::ToM(names)));
}

void getArgumentNames(int& outputCount, Value* outputs, int inputCount,
                      zvArray const* const* inputs) {
    meta::Class const type = selfClass(inputCount, inputs);
    std::u16string const name = olan::factory::extractString(inputCount > 1 ? inputs[1] : nullptr);
    std::vector<std::u16string> names;
    if (meta::Operation const operation = type.getClassImpl()->findOperation(name);
        !operation.isEmpty()) {
        for (meta::Argument const& argument : operation.getOperationImpl()->getArguments()) {
            if (argument.getArgumentImpl()->isInput()) {
                names.push_back(argument.getArgumentImpl()->getName());
            }
        }
    }
    setOutput(
        outputCount, outputs,
        Value(olan::factory::Marshaler<olan::factory::UnicodeStringVectorPolicy>::ToM(names)));
}

void conformsTo(int& outputCount, Value* outputs, int inputCount, zvArray const* const* inputs) {
    meta::Class const type = selfClass(inputCount, inputs);
    ModelElement const other(inputCount > 1 ? elementOf(inputs[1]) : nullptr);
    bool const conforms = meta::asClassImpl(other) != nullptr &&
                          type.getClassImpl()->conformsTo(meta::Class(other.getImpl()));
    setOutput(outputCount, outputs, conforms);
}

class MetaClassClass final : public KORM0WrapperInfo<meta::Class> {
  public:
    MetaClassClass() : KORM0WrapperInfo("Class", MetaClassClassName) {}

    void defineMembers(olan::COSClassDefinition& definition) override {
        definition.addSuperclass(olan::internal::makeInterned(ModelElementClassName), 1, 0, 1);
        olan::factory::detail::initStringDataTypes();
        std::string const self = MetaClassClassName;
        addReadOnlyProperty(definition, "Name", &nameProperty, StringScalarType);
        addReadOnlyProperty(definition, "QualifiedName", &qualifiedNameProperty, StringScalarType);
        addMethod(definition, "getPropertyNames", 0, &getPropertyNames, 0, "obj", StringVectorType,
                  self);
        addMethod(definition, "conformsTo", 0, &conformsTo, 0, "obj other", "logical scalar", self,
                  "any");
        addMethod(definition, "getArgumentNames", 0, &getArgumentNames, 0, "obj operation",
                  StringVectorType, self, StringScalarType);
    }
};

}  // namespace

olan::COSClassInfo* createMetaClassClass() {
    return new MetaClassClass;
}

}  // namespace korm::zero::zi::internal
