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
//   describeMember(self, name) -> struct: what member `name` of the class is for (member_help.hpp;
//                                 "" is the class itself), as fields documentation, type,
//                                 many, returns and arguments (a cell of structs with name,
//                                 type and documentation); the empty array for no such member.
//                                 Front ends build their help from it.

#include <optional>
#include <vector>

#include "internal.hpp"
#include "korm/zero/meta/meta_objects.hpp"
#include "korm/zero/zi/binding.hpp"
#include "korm/zero/zi/wrapper_info.hpp"
#include "member_help.hpp"
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

zvArray* text(std::u16string const& value) {
    return zvCreateString_UTF16(value);
}

Value helpStruct(MemberHelp const& help) {
    Value arguments(zvCreateCellArray(2, {1, help.arguments.size()}));
    for (std::size_t i = 0; i < help.arguments.size(); ++i) {
        ArgumentHelp const& argument = help.arguments[i];
        Value fields(zvCreateStruct({}));
        zvSetField(fields.get(), 0, "name", text(argument.name));
        zvSetField(fields.get(), 0, "type", text(argument.type));
        zvSetField(fields.get(), 0, "documentation", text(argument.documentation));
        zvSetCell(arguments.get(), i, fields.release());
    }
    Value result(zvCreateStruct({}));
    zvSetField(result.get(), 0, "documentation", text(help.documentation));
    zvSetField(result.get(), 0, "type", text(help.type));
    zvSetField(result.get(), 0, "many", zvCreateLogical(help.many));
    zvSetField(result.get(), 0, "returns", text(help.returns));
    zvSetField(result.get(), 0, "arguments", arguments.release());
    return result;
}

void describeMember(int& outputCount, Value* outputs, int inputCount,
                    zvArray const* const* inputs) {
    meta::Class const type = selfClass(inputCount, inputs);
    std::u16string const name = olan::factory::extractString(inputCount > 1 ? inputs[1] : nullptr);
    std::optional<MemberHelp> const help = memberHelp(*type.getClassImpl(), name);
    setOutput(outputCount, outputs, help ? helpStruct(*help) : Value(zvCreateEmpty()));
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

    std::string getDescription() const override {
        return "A class of the meta model: its name, properties and operations, as the model "
               "knows them.";
    }

    void defineMembers(olan::COSClassDefinition& definition) override {
        definition.addSuperclass(olan::internal::makeInterned(ModelElementClassName), 1, 0, 1);
        olan::factory::detail::initStringDataTypes();
        std::string const self = MetaClassClassName;
        addReadOnlyProperty(definition, "Name", "The class's name.", &nameProperty,
                            StringScalarType);
        addReadOnlyProperty(definition, "QualifiedName", "The class's dotted qualified name.",
                            &qualifiedNameProperty, StringScalarType);
        addMethod(definition, "getPropertyNames",
                  "The names of the class's properties, inherited ones first.", 0,
                  &getPropertyNames, 0, "obj", StringVectorType, self);
        addMethod(definition, "conformsTo",
                  "Tells whether the class is the given meta-class or derives from it.", 0,
                  &conformsTo, 0, "obj other", "logical scalar", self, "any");
        addMethod(definition, "getArgumentNames",
                  "The names of the input arguments of the class's operation of that name, in "
                  "order; none when it has no such operation.",
                  0, &getArgumentNames, 0, "obj operation", StringVectorType, self,
                  StringScalarType);
        addMethod(definition, "describeMember",
                  "What a member of the class is for, as help shows it: its documentation, type, "
                  "result and arguments; the empty name describes the class itself.",
                  0, &describeMember, 0, "obj member", "any", self, StringScalarType);
    }
};

}  // namespace

olan::COSClassInfo* createMetaClassClass() {
    return new MetaClassClass;
}

}  // namespace korm::zero::zi::internal
