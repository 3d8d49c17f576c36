#include "olan/host.hpp"

#include <utility>

#include "array_impl.hpp"
#include "olan/errors.hpp"
#include "olan/factory/binding_registry.hpp"
#include "state.hpp"

namespace olan::host {

namespace {

using detail::ClassRecord;
using factory::MethodSignature;
using factory::OlanMethod;

// Runs a call into descriptions, turning native exceptions into host errors.
template <class F>
decltype(auto) translated(F&& call) {
    try {
        return call();
    } catch (const HostError&) {
        throw;
    } catch (const std::exception& e) {
        throw translateError(e, std::current_exception());
    } catch (...) {
        throw HostError(std::string(errors::NativeError), "unknown native exception",
                        std::current_exception());
    }
}

void checkInputs(const MethodSignature& signature, const Inputs& inputs, std::string_view name) {
    auto n = static_cast<int>(inputs.size());
    if (n < signature.requiredInputCount() || n > signature.inputCount()) {
        raiseHostError(errors::WrongInputCount, std::string(name) + " takes " +
                                                    std::to_string(signature.requiredInputCount()) +
                                                    " to " +
                                                    std::to_string(signature.inputCount()) +
                                                    " inputs, not " + std::to_string(n));
    }
    for (const zvArray* input : inputs) {
        if (input == nullptr) {
            raiseHostError(errors::WrongClass, "an input is no array");
        }
    }
}

OlanMethod* ownConstructor(ClassRecord& record) {
    detail::ensureDefined(record);
    for (const auto& method : record.members.methods) {
        if (method->getName() == record.shortName) {
            return method.get();
        }
    }
    return nullptr;
}

// The object an array holds; an empty object array is an invalid handle.
Object& objectOf(const zvArray* value) {
    if (Object* object = omGetArrayElement(value, 0)) {
        return *object;
    }
    if (value != nullptr && value->code == zvCodeObject) {
        raiseHostError(errors::InvalidHandle);
    }
    raiseHostError(errors::NotAnObject);
}

CallResult invokeMethod(ClassRecord& record, OlanMethod& method, const Inputs& inputs,
                        int requestedOutputs) {
    const MethodSignature& signature = method.getMethodSignature();
    std::string name = record.qualifiedName.str() + "." + method.getName();
    checkInputs(signature, inputs, name);
    if (requestedOutputs < 0 || requestedOutputs > signature.outputCount()) {
        raiseHostError(errors::TooManyOutputs, name);
    }
    CallResult result;
    result.outputs.resize(static_cast<std::size_t>(requestedOutputs));
    translated([&] {
        detail::LendGuard lent(inputs);
        method.invoke(result.outputCount, requestedOutputs > 0 ? result.outputs.data() : nullptr,
                      static_cast<int>(inputs.size()), inputs.data());
    });
    if (requestedOutputs > result.outputCount) {
        raiseHostError(errors::TooManyOutputs, name);
    }
    for (const Value& output : result.outputs) {
        if (!output) {
            raiseHostError(errors::OutputNotSet, name);
        }
    }
    return result;
}

SignatureDescription describe(const MethodSignature& signature) {
    return {signature.argumentNames(), signature.outputType(), signature.inputTypes(),
            signature.optionalInputCount()};
}

void describeMethod(const OlanMethod& method, MemberDescription& member) {
    member.name = method.getName();
    member.description = method.getDescription();
    member.attributes = method.getAttributes().word;
    member.isStatic = method.isStatic();
    member.isHidden = !method.isVisible();
    member.signature = describe(method.getMethodSignature());
}

void describeProperty(const factory::impl::PropertyImpl& property, MemberDescription& member) {
    member.name = property.getName();
    member.description = property.getDescription();
    member.attributes = property.getAttributes();
    member.isHidden = (property.getAttributes() & factory::impl::PropertyAttributes::Hidden) != 0;
    member.isReadOnly = property.isReadOnly();
    member.type = property.getType();
}

MemberDescription describe(const detail::MemberSlot& slot, const detail::Members& members) {
    MemberDescription member;
    member.kind = slot.kind;
    switch (slot.kind) {
        case MemberKind::Superclass: {
            const detail::Superclass& superclass = members.superclasses[slot.index];
            member.name = superclass.name.str();
            member.isHidden = superclass.hidden == 1;
            break;
        }
        case MemberKind::Constructor:
        case MemberKind::Method:
            describeMethod(*members.methods[slot.index], member);
            break;
        case MemberKind::Property:
            describeProperty(*members.properties[slot.index], member);
            break;
    }
    return member;
}

}  // namespace

std::vector<std::string> topLevelPackages() {
    std::vector<std::string> names;
    for (InternedName name : detail::state().topLevel) {
        names.push_back(name.str());
    }
    return names;
}

std::optional<PackageDescription> findPackage(std::string_view qualifiedName) {
    COSPackage* package =
        translated([&] { return COSPackage::getPackage(internal::makeInterned(qualifiedName)); });
    if (package == nullptr) {
        return std::nullopt;
    }
    const COSPackage::Impl& impl = package->impl();
    PackageDescription description;
    description.name = impl.info->getName();
    description.qualifiedName = impl.qualifiedName.str();
    description.description = impl.info->getDescription();
    for (InternedName sub : impl.subPackages) {
        description.subPackages.push_back(sub.str());
    }
    auto& classes = detail::state().classes;
    for (InternedName name : impl.classes) {
        auto it = classes.find(name);
        if (it != classes.end() && !it->second->info->isHidden()) {
            description.classes.push_back(name.str());
        }
    }
    return description;
}

bool classExists(std::string_view qualifiedName) {
    return translated(
        [&] { return detail::findClassRecord(internal::makeInterned(qualifiedName)) != nullptr; });
}

ClassDescription describeClass(std::string_view qualifiedName) {
    auto record = translated([&] {
        auto found = detail::requireClassRecord(qualifiedName);
        detail::ensureDefined(*found);
        return found;
    });
    const COSClassInfo& info = *record->info;
    ClassDescription description;
    description.name = record->shortName;
    description.qualifiedName = record->qualifiedName.str();
    description.packageName = record->packageName.str();
    description.description = info.getDescription();
    description.isAbstract = info.isAbstract();
    description.isHandleClass = info.isHandleClass();
    description.isSealed = info.isSealed();
    description.isHidden = info.isHidden();
    description.isFactoryClass = info.isFactoryClass();
    description.requiresNativeBinding = info.requiresNativeBinding();
    for (const auto& superclass : record->members.superclasses) {
        description.superclasses.push_back(superclass.name.str());
    }
    for (const auto& slot : record->members.order) {
        description.members.push_back(describe(slot, record->members));
    }
    return description;
}

Value construct(std::string_view qualifiedClassName, const Inputs& inputs) {
    auto record = translated([&] { return detail::requireClassRecord(qualifiedClassName); });
    OlanMethod* constructor = translated([&] { return ownConstructor(*record); });
    if (record->info->isAbstract()) {
        raiseHostError(errors::AbstractClass, qualifiedClassName);
    }
    if (constructor == nullptr) {
        raiseHostError(errors::NoConstructor, qualifiedClassName);
    }
    checkInputs(constructor->getMethodSignature(), inputs, qualifiedClassName);

    // Slot 0 holds the object under construction; if the constructor fails, dropping the slot
    // drops the object (running destroy-instance if it was bound already).
    Value slot(detail::createObjectValue(record));
    int outputCount = 0;
    translated([&] {
        detail::LendGuard lent(inputs);
        constructor->invoke(outputCount, &slot, static_cast<int>(inputs.size()), inputs.data());
    });
    Object* result = omGetArrayElement(slot.get(), 0);
    if (result == nullptr) {
        raiseHostError(errors::OutputNotSet, "the constructor returned no object");
    }
    if (record->info->requiresNativeBinding() && result->primaryPointer() == nullptr) {
        raiseHostError(errors::UnboundObject, qualifiedClassName);
    }
    return slot;
}

CallResult call(std::string_view qualifiedClassName, std::string_view methodName,
                const Inputs& inputs, int requestedOutputs) {
    auto record = translated([&] { return detail::requireClassRecord(qualifiedClassName); });
    OlanMethod* method = translated([&] { return detail::findMethod(*record, methodName); });
    if (method == nullptr || methodName == record->shortName) {
        raiseHostError(errors::UndefinedMethod,
                       std::string(qualifiedClassName) + "." + std::string(methodName));
    }
    return invokeMethod(*record, *method, inputs, requestedOutputs);
}

CallResult callOn(const zvArray* object, std::string_view methodName, const Inputs& inputsAfterSelf,
                  int requestedOutputs) {
    std::string name = className(object);
    if (name.empty()) {
        raiseHostError(errors::NotAnObject);
    }
    auto record = translated([&] { return detail::requireClassRecord(name); });
    OlanMethod* method = translated([&] { return detail::findMethod(*record, methodName); });
    if (method == nullptr || methodName == record->shortName) {
        raiseHostError(errors::UndefinedMethod, name + "." + std::string(methodName));
    }
    if (method->isStatic()) {
        return invokeMethod(*record, *method, inputsAfterSelf, requestedOutputs);
    }
    Inputs inputs;
    inputs.reserve(inputsAfterSelf.size() + 1);
    inputs.push_back(object);
    inputs.insert(inputs.end(), inputsAfterSelf.begin(), inputsAfterSelf.end());
    return invokeMethod(*record, *method, inputs, requestedOutputs);
}

namespace {

factory::impl::PropertyImpl& propertyOf(Object& object, std::string_view name) {
    auto* property = translated(
        [&] { return detail::findProperty(detail::ObjectAccess::record(object), name); });
    if (property == nullptr) {
        raiseHostError(errors::UndefinedProperty,
                       object.className().str() + "." + std::string(name));
    }
    return *property;
}

}  // namespace

Value getProperty(const zvArray* object, std::string_view name) {
    Object& self = objectOf(object);
    auto& property = propertyOf(self, name);
    return translated([&] { return property.getter().get(self); });
}

void evaluateProperty(const zvArray* object, std::string_view name) {
    Object& self = objectOf(object);
    auto& property = propertyOf(self, name);
    translated([&] { return property.getter().getDiscarding(self); });
}

void setProperty(const zvArray* object, std::string_view name, const zvArray* value) {
    Object& self = objectOf(object);
    auto& property = propertyOf(self, name);
    if (property.isReadOnly()) {
        raiseHostError(errors::ReadOnlyProperty, self.className().str() + "." + std::string(name));
    }
    if (value == nullptr) {
        raiseHostError(errors::WrongClass, "no value");
    }
    Inputs lentValue{value};
    translated([&] {
        detail::LendGuard lent(lentValue);
        property.setter()->set(self, value);
    });
}

std::string className(const zvArray* value) {
    if (value == nullptr || value->code != zvCodeObject) {
        return {};
    }
    return value->objectClass.str();
}

bool isa(const zvArray* value, std::string_view qualifiedClassName) {
    Object* object = omGetArrayElement(value, 0);
    return object != nullptr && translated([&] { return object->isa(qualifiedClassName); });
}

std::size_t liveObjectCount() {
    return detail::state().liveObjects;
}

std::size_t failedDestroyCount() {
    return detail::state().failedDestroys;
}

void reset() {
    detail::State& s = detail::state();
    if (s.liveObjects > 0) {
        raiseHostError(errors::LiveObjects, std::to_string(s.liveObjects));
    }
    // Taken out first, so that descriptions destroyed below see a consistent, empty state.
    auto classes = std::move(s.classes);
    auto packages = std::move(s.packages);
    s.classes.clear();
    s.packages.clear();
    s.topLevel.clear();
    s.dataTypes.clear();
    s.bindings.clear();
    omSetOlanUsingUSM(false);
    classes.clear();
    packages.clear();
}

}  // namespace olan::host
