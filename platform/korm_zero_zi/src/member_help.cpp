// What a class's members are for, as front ends show it as help: read from the meta model for
// properties and operations (their documentation, types and arguments), and said here for the
// members every bound class has by the binding pattern (the constructor, the createInto method
// of each containment, StaticMetaClass), in the words of the class's meta model.

#include "member_help.hpp"

#include <string>

#include "korm/zero/meta/meta_objects.hpp"
#include "korm/zero/zi/binding.hpp"
#include "tarsk/core/text.hpp"

namespace korm::zero::zi::internal {

namespace {

using tarsk::core::text::toUtf16;

std::u16string const kCreatePrefix = u"createInto";

/// The optional inputs of a constructor and of a createInto method.
std::vector<ArgumentHelp> creationArguments() {
    return {
        {u"opt_init", u"",
         u"Init struct: initial values of the new element's properties, by property name."},
        {u"opt_uuid", u"UUID", u"UUID of the new element; a new one is made when it is left out."}};
}

MemberHelp constructorHelp(meta::Class::Impl const& type) {
    MemberHelp help;
    help.documentation = u"Creates a new " + type.getName() + u" in a model.";
    help.arguments.push_back(
        {u"model", toUtf16(ModelClassName), u"The model the new element is created in."});
    for (ArgumentHelp& argument : creationArguments()) {
        help.arguments.push_back(std::move(argument));
    }
    return help;
}

MemberHelp createIntoHelp(meta::Property::Impl const& property) {
    MemberHelp help;
    std::u16string const created = meta::qualifiedNameOf(property.getType());
    std::u16string const shortName = created.substr(created.rfind(u'.') + 1);
    help.documentation =
        u"Creates a new " + shortName + u" in " + property.getName() + u" of this element.";
    help.type = created;
    help.returns = u"The new element.";
    help.arguments = creationArguments();
    return help;
}

MemberHelp metaClassHelp(meta::Class::Impl const& type) {
    MemberHelp help;
    help.documentation = u"The meta-class of " + type.getName() +
                         u": its name, properties and operations as the model knows them.";
    help.type = toUtf16(MetaClassClassName);
    help.returns = u"The meta-class object.";
    return help;
}

/// The help of a property, or the start of an operation's: its documentation and its (result)
/// type.
MemberHelp typedHelp(meta::TypedElement::Impl const& element) {
    MemberHelp help;
    help.documentation = element.getDocumentation();
    help.type = meta::qualifiedNameOf(element.getType());
    help.many = element.isMany();
    return help;
}

MemberHelp operationHelp(meta::Operation::Impl const& operation) {
    MemberHelp help = typedHelp(operation);
    help.returns = operation.getResultDocumentation();
    for (meta::Argument const& argument : operation.getArguments()) {
        meta::Argument::Impl const* const record = argument.getArgumentImpl();
        if (record->isInput()) {
            help.arguments.push_back({record->getName(), meta::qualifiedNameOf(record->getType()),
                                      record->getDocumentation()});
        }
    }
    return help;
}

/// The containment property that `createInto<Name>` creates into, or null.
meta::Property::Impl const* createdInto(meta::Class::Impl const& type, std::u16string const& name) {
    if (name.compare(0, kCreatePrefix.size(), kCreatePrefix) != 0) {
        return nullptr;
    }
    meta::Property const property = type.findProperty(name.substr(kCreatePrefix.size()));
    meta::Property::Impl const* const record =
        property.isEmpty() ? nullptr : property.getPropertyImpl();
    return record != nullptr && record->isContainment() ? record : nullptr;
}

}  // namespace

std::optional<MemberHelp> memberHelp(meta::Class::Impl const& type, std::u16string const& name) {
    if (name.empty()) {
        MemberHelp help;
        help.documentation = type.getDocumentation();
        return help;
    }
    if (name == type.getName()) {
        return constructorHelp(type);
    }
    if (name == u"StaticMetaClass") {
        return metaClassHelp(type);
    }
    if (meta::Operation const operation = type.findOperation(name); !operation.isEmpty()) {
        return operationHelp(*operation.getOperationImpl());
    }
    if (meta::Property const property = type.findProperty(name); !property.isEmpty()) {
        return typedHelp(*property.getPropertyImpl());
    }
    if (auto const* property = createdInto(type, name)) {
        return createIntoHelp(*property);
    }
    return std::nullopt;
}

}  // namespace korm::zero::zi::internal
