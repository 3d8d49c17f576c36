#include "state.hpp"

#include "array_impl.hpp"
#include "olan/errors.hpp"

namespace olan::detail {

State& state() {
    static State* instance = new State;
    return *instance;
}

bool isIdentifier(std::string_view name) noexcept {
    auto letter = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
    };
    if (name.empty() || !letter(name.front())) {
        return false;
    }
    for (char c : name) {
        if (!letter(c) && !(c >= '0' && c <= '9')) {
            return false;
        }
    }
    return true;
}

std::shared_ptr<ClassRecord> findClassRecord(InternedName qualifiedName) {
    State& s = state();
    if (auto it = s.classes.find(qualifiedName); it != s.classes.end()) {
        return it->second;
    }
    // Not registered: the package may know how to load it.
    std::string_view name = qualifiedName.view();
    auto dot = name.rfind('.');
    if (dot == std::string_view::npos) {
        return nullptr;
    }
    COSPackage* package = COSPackage::getPackage(internal::makeInterned(name.substr(0, dot)));
    if (package == nullptr) {
        return nullptr;
    }
    COSClassInfo* loaded =
        package->getInfo().attemptToLoadClass(internal::makeInterned(name.substr(dot + 1)));
    if (loaded == nullptr) {
        return nullptr;
    }
    package->addClass(loaded, ClassDefineOnFirstUse);
    auto it = s.classes.find(qualifiedName);
    return it == s.classes.end() ? nullptr : it->second;
}

std::shared_ptr<ClassRecord> requireClassRecord(std::string_view qualifiedName) {
    auto record = findClassRecord(internal::makeInterned(qualifiedName));
    if (!record) {
        raiseHostError(errors::UndefinedClass, qualifiedName);
    }
    return record;
}

factory::OlanMethod* findMethod(ClassRecord& record, std::string_view name) {
    ensureDefined(record);
    for (const auto& method : record.members.methods) {
        if (method->getName() == name) {
            return method.get();
        }
    }
    for (const Superclass& superclass : record.members.superclasses) {
        auto super = findClassRecord(superclass.name);
        // Constructors are not inherited.
        if (superclass.inheritMembers == 1 && super && super->shortName != name) {
            if (auto* method = findMethod(*super, name)) {
                return method;
            }
        }
    }
    return nullptr;
}

factory::impl::PropertyImpl* findProperty(ClassRecord& record, std::string_view name) {
    ensureDefined(record);
    for (const auto& property : record.members.properties) {
        if (property->getName() == name) {
            return property.get();
        }
    }
    for (const Superclass& superclass : record.members.superclasses) {
        auto super = findClassRecord(superclass.name);
        if (superclass.inheritMembers == 1 && super) {
            if (auto* property = findProperty(*super, name)) {
                return property;
            }
        }
    }
    return nullptr;
}

bool classIsa(const ClassRecord& record, std::string_view name) {
    if (record.qualifiedName.view() == name) {
        return true;
    }
    for (const Superclass& superclass : record.members.superclasses) {
        if (superclass.name.view() == name) {
            return true;
        }
        auto super = findClassRecord(superclass.name);
        if (super && classIsa(*super, name)) {
            return true;
        }
    }
    return false;
}

bool isKnownType(std::string_view type, bool asOutput) {
    static constexpr std::string_view builtin[] = {
        "char", "any", "logical scalar", "double scalar", "logical", "double", "cell", "struct"};
    if (type == "void") {
        return asOutput;
    }
    for (std::string_view known : builtin) {
        if (type == known) {
            return true;
        }
    }
    if (state().dataTypes.count(std::string(type)) != 0) {
        return true;
    }
    // A qualified class name: dotted identifiers (the class need not exist yet).
    if (type.find('.') == std::string_view::npos) {
        return false;
    }
    std::size_t start = 0;
    while (true) {
        std::size_t dot = type.find('.', start);
        if (!isIdentifier(type.substr(start, dot - start))) {
            return false;
        }
        if (dot == std::string_view::npos) {
            return true;
        }
        start = dot + 1;
    }
}

zvArray* createObjectValue(std::shared_ptr<ClassRecord> record) {
    InternedName name = record->qualifiedName;
    Object* object = ObjectAccess::create(std::move(record));
    try {
        return createObjectArray(object, name);
    } catch (...) {
        // Never held by an array: take and drop one reference so that it is deleted.
        ObjectAccess::retain(*object);
        ObjectAccess::release(*object);
        throw;
    }
}

}  // namespace olan::detail
