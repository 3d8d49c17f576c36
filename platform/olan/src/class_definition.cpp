#include <algorithm>

#include "olan/class_info.hpp"
#include "olan/errors.hpp"
#include "state.hpp"

namespace olan {

using detail::Owned;

// ---- description defaults --------------------------------------------------------------------

COSClassInfo::~COSClassInfo() = default;
std::string COSClassInfo::getDescription() const {
    return {};
}
void COSClassInfo::defineMembers(COSClassDefinition&) {}
bool COSClassInfo::isAbstract() const {
    return false;
}
bool COSClassInfo::isHandleClass() const {
    return false;
}
bool COSClassInfo::isSealed() const {
    return false;
}
bool COSClassInfo::isHidden() const {
    return false;
}
bool COSClassInfo::isFactoryClass() const {
    return false;
}
bool COSClassInfo::requiresNativeBinding() const {
    return false;
}
void COSClassInfo::destroyInstance(void*) {}
bool COSClassInfo::isDestructible() const {
    return true;
}

// ---- the class-definition object ---------------------------------------------------------------

namespace {

bool memberNameTaken(const detail::Members& members, std::string_view name) {
    return std::any_of(members.methods.begin(), members.methods.end(),
                       [&](const auto& m) { return m->getName() == name; }) ||
           std::any_of(members.properties.begin(), members.properties.end(),
                       [&](const auto& p) { return p->getName() == name; });
}

void checkType(std::string_view type, bool asOutput, std::string_view member) {
    if (!detail::isKnownType(type, asOutput)) {
        raiseHostError(errors::UnknownType, std::string(type) + " in " + std::string(member));
    }
}

// Whether the method `name` is the class's constructor (named as the class), once it is known
// that a constructor is an instance method returning its class and that an instance method
// takes its object as its first, required input.
bool checkMethodForm(const factory::OlanMethod& method, const factory::MethodSignature& signature,
                     const std::string& name, const detail::ClassRecord& record) {
    bool isConstructor = name == record.shortName;
    if (isConstructor) {
        if (method.isStatic() || signature.outputType() != record.qualifiedName.view()) {
            raiseHostError(errors::InvalidDefinition,
                           "a constructor is an instance method returning its class: " + name);
        }
    } else if (!method.isStatic()) {
        if (signature.inputCount() == 0 ||
            signature.inputTypes().front() != record.qualifiedName.view()) {
            raiseHostError(errors::InvalidDefinition,
                           "the first input of an instance method is its class: " + name);
        }
        if (signature.requiredInputCount() < 1) {
            raiseHostError(errors::InvalidSignature, "the self input is not optional: " + name);
        }
    }
    return isConstructor;
}

bool isFlag(int value) {
    return value == 0 || value == 1;
}

}  // namespace

InternedName COSClassDefinition::getClassName() const noexcept {
    return impl_.record.qualifiedName;
}

void COSClassDefinition::addSuperclass(InternedName name, int handleKind, int hidden,
                                       int inheritMembers) {
    detail::Members& members = impl_.members;
    if (!detail::isKnownType(name.view(), false) || name.view().find('.') == std::string::npos) {
        raiseHostError(errors::InvalidName, name.view());
    }
    if (!isFlag(handleKind) || !isFlag(hidden) || !isFlag(inheritMembers)) {
        raiseHostError(errors::InvalidDefinition, "superclass flags of " + name.str());
    }
    if (name == impl_.record.qualifiedName) {
        raiseHostError(errors::RecursiveDefinition, name.view());
    }
    if (std::any_of(members.superclasses.begin(), members.superclasses.end(),
                    [&](const detail::Superclass& s) { return s.name == name; })) {
        raiseHostError(errors::DuplicateName, name.view());
    }
    members.superclasses.push_back({name, handleKind, hidden, inheritMembers});
    members.order.push_back({host::MemberKind::Superclass, members.superclasses.size() - 1});
}

void COSClassDefinition::addMethod(factory::OlanMethod* raw) {
    Owned<factory::OlanMethod> method(raw);
    if (!method) {
        raiseHostError(errors::InvalidDefinition, "no method description");
    }
    detail::Members& members = impl_.members;
    const detail::ClassRecord& record = impl_.record;
    std::string name = method->getName();
    if (!detail::isIdentifier(name)) {
        raiseHostError(errors::InvalidName, name);
    }
    if (memberNameTaken(members, name)) {
        raiseHostError(errors::DuplicateName, record.qualifiedName.str() + "." + name);
    }
    const factory::MethodSignature& signature = method->getMethodSignature();
    checkType(signature.outputType(), true, name);
    for (const std::string& input : signature.inputTypes()) {
        checkType(input, false, name);
    }
    bool isConstructor = checkMethodForm(*method, signature, name, record);
    members.methods.push_back(std::move(method));
    members.order.push_back(
        {isConstructor ? host::MemberKind::Constructor : host::MemberKind::Method,
         members.methods.size() - 1});
}

void COSClassDefinition::addProperty(factory::impl::PropertyImpl* raw) {
    Owned<factory::impl::PropertyImpl> property(raw);
    if (!property) {
        raiseHostError(errors::InvalidDefinition, "no property description");
    }
    detail::Members& members = impl_.members;
    const std::string& name = property->getName();
    if (!detail::isIdentifier(name)) {
        raiseHostError(errors::InvalidName, name);
    }
    if (memberNameTaken(members, name)) {
        raiseHostError(errors::DuplicateName, impl_.record.qualifiedName.str() + "." + name);
    }
    std::string type = property->getType();
    checkType(type, false, name);
    if (property->setter() && property->setter()->getType() != type) {
        raiseHostError(errors::InvalidDefinition, "getter and setter types differ: " + name);
    }
    members.properties.push_back(std::move(property));
    members.order.push_back({host::MemberKind::Property, members.properties.size() - 1});
}

namespace detail {

namespace {

// Defines `superclass` of `record` and checks that `record` may derive from it.
void defineSuperclass(const ClassRecord& record, const Superclass& superclass) {
    auto super = findClassRecord(superclass.name);
    if (!super) {
        raiseHostError(errors::UndefinedClass, superclass.name.str() + " (superclass of " +
                                                   record.qualifiedName.str() + ")");
    }
    // Defining the superclass first finds cycles (through `defining`).
    ensureDefined(*super);
    if (super->info->isSealed()) {
        raiseHostError(errors::InvalidDefinition, "sealed superclass " + superclass.name.str());
    }
    if (superclass.handleKind == 1 &&
        !(super->info->isHandleClass() && record.info->isHandleClass())) {
        raiseHostError(errors::NotAHandleClass, superclass.name.view());
    }
}

}  // namespace

void ensureDefined(ClassRecord& record) {
    if (record.defined) {
        return;
    }
    if (record.defining) {
        raiseHostError(errors::RecursiveDefinition, record.qualifiedName.view());
    }
    record.defining = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{record.defining};

    COSClassDefinition::Impl impl{record, {}};
    COSClassDefinition definition(impl);
    record.info->defineMembers(definition);

    for (const Superclass& superclass : impl.members.superclasses) {
        defineSuperclass(record, superclass);
    }
    record.members = std::move(impl.members);
    record.defined = true;
}

}  // namespace detail

}  // namespace olan
