// Packages, types and classes of the meta model.

#include <algorithm>
#include <functional>
#include <unordered_set>

#include "internal.hpp"
#include "korm/zero/builder.hpp"
#include "korm/zero/messages.hpp"
#include "korm/zero/meta/meta_registry.hpp"
#include "tarsk/core/text.hpp"

namespace korm::zero::meta {

namespace {

// Dotted names of the packages from the root down to `package`, skipping empty names.
std::u16string packagePath(Package::Impl const* package) {
    std::vector<std::u16string const*> names;
    for (auto const* p = package; p != nullptr;
         p = static_cast<Package::Impl const*>(p->basicContainer())) {
        if (!p->getName().empty()) {
            names.push_back(&p->getName());
        }
    }
    std::u16string path;
    for (auto it = names.rbegin(); it != names.rend(); ++it) {
        if (!path.empty()) {
            path += u'.';
        }
        path += **it;
    }
    return path;
}

}  // namespace

// ---- Type -------------------------------------------------------------------------------

Type::Impl::Impl(Model const& model, boost::uuids::uuid const& id) : MetaObjectImpl(model, id) {}

Package Type::Impl::getOwningPackage() const {
    return Package(basicContainer());
}

void Type::Impl::setOwningPackage(Package const& package) {
    moveTo(package.getPackageImpl());
}

std::u16string Type::Impl::getQualifiedName() const {
    if (!state().qualifiedName.empty()) {
        return tarsk::core::text::toUtf16(state().qualifiedName);
    }
    std::u16string path = packagePath(static_cast<Package::Impl const*>(basicContainer()));
    if (!path.empty()) {
        path += u'.';
    }
    return path + getName();
}

std::string Type::Impl::getQualifiedName8() const {
    if (!state().qualifiedName.empty()) {
        return state().qualifiedName;
    }
    return tarsk::core::text::toUtf8(getQualifiedName());
}

std::string Type::Impl::getNativeName() const {
    return MetaRegistry::getInstance().getNativeName(Type(const_cast<Type::Impl*>(this)));
}

bool Type::Impl::conformsTo(Type const& other) const {
    return other.getImpl() == this;
}

void Type::Impl::setQualifiedName8(std::string const& qualifiedName) {
    if (state().qualifiedName == qualifiedName) {
        return;
    }
    Change change(*this);
    change.state().qualifiedName = qualifiedName;
    change.commit();
}

PrimitiveType::Impl::Impl(Model const& model, boost::uuids::uuid const& id)
    : Type::Impl(model, id) {}

// ---- Class ------------------------------------------------------------------------------

Class::Impl::Impl(Model const& model, boost::uuids::uuid const& id) : Type::Impl(model, id) {}

void Class::Impl::setIsAbstract(bool value) {
    if (state().isAbstract == value) {
        return;
    }
    Change change(*this);
    change.state().isAbstract = value;
    change.commit();
}

void Class::Impl::setSuperclass(Class const& superclass) {
    std::vector<Class> wanted;
    if (!superclass.isEmpty()) {
        wanted.push_back(superclass);
    }
    if (state().superclasses == wanted) {
        return;
    }
    if (!superclass.isEmpty() && superclass.getClassImpl()->conformsTo(Class(this))) {
        reportException(korm0::messages::InvalidValue(
            "superclass of " + getQualifiedName8(), superclass->identifier(),
            "it conforms to this class already, so the classes would make a cycle"));
    }
    Change change(*this);
    change.state().superclasses = std::move(wanted);
    change.commit();
}

void Class::Impl::addSuperclass(Class const& superclass) {
    auto const& current = state().superclasses;
    if (superclass.isEmpty() ||
        std::find(current.begin(), current.end(), superclass) != current.end()) {
        return;
    }
    if (superclass.getClassImpl()->conformsTo(Class(this))) {
        reportException(korm0::messages::InvalidValue(
            "superclass of " + getQualifiedName8(), superclass->identifier(),
            "it conforms to this class already, so the classes would make a cycle"));
    }
    Change change(*this);
    change.state().superclasses.push_back(superclass);
    change.commit();
}

bool Class::Impl::conformsTo(Type const& other) const {
    if (other.getImpl() == this) {
        return true;
    }
    if (other.isEmpty()) {
        return false;
    }
    // Depth first over the superclass graph; each class is visited once (shared ancestors).
    std::vector<Class::Impl const*> pending{this};
    std::unordered_set<Class::Impl const*> seen{this};
    while (!pending.empty()) {
        Class::Impl const* const current = pending.back();
        pending.pop_back();
        for (auto const& superclass : current->state().superclasses) {
            Class::Impl const* const record = superclass.getClassImpl();
            if (record == other.getImpl()) {
                return true;
            }
            if (seen.insert(record).second) {
                pending.push_back(record);
            }
        }
    }
    return false;
}

std::vector<Property> Class::Impl::getProperties() const {
    return ownedOfKind<Property>(MetaKind::PROPERTY);
}

std::vector<Operation> Class::Impl::getOperations() const {
    return ownedOfKind<Operation>(MetaKind::OPERATION);
}

std::vector<Property> Class::Impl::getAllProperties() const {
    std::vector<Property> result;
    std::unordered_set<Class::Impl const*> seen;
    std::function<void(Class::Impl const*)> visit = [&](Class::Impl const* type) {
        if (!seen.insert(type).second) {
            return;
        }
        for (auto const& superclass : type->state().superclasses) {
            visit(superclass.getClassImpl());
        }
        auto own = type->getProperties();
        result.insert(result.end(), own.begin(), own.end());
    };
    visit(this);
    return result;
}

Property Class::Impl::findPropertyByIndex(std::size_t index) const {
    for (auto const& property : getProperties()) {
        if (property.getPropertyImpl()->getIndex() == index) {
            return property;
        }
    }
    for (auto const& superclass : state().superclasses) {
        if (Property found = superclass.getClassImpl()->findPropertyByIndex(index);
            !found.isEmpty()) {
            return found;
        }
    }
    return Property();
}

Property Class::Impl::findProperty(std::u16string const& name) const {
    for (auto const& property : getProperties()) {
        if (property.getPropertyImpl()->getName() == name) {
            return property;
        }
    }
    for (auto const& superclass : state().superclasses) {
        if (Property found = superclass.getClassImpl()->findProperty(name); !found.isEmpty()) {
            return found;
        }
    }
    return Property();
}

Operation Class::Impl::findOperation(std::u16string const& name) const {
    for (auto const& operation : getOperations()) {
        if (operation.getOperationImpl()->getName() == name) {
            return operation;
        }
    }
    for (auto const& superclass : state().superclasses) {
        if (Operation found = superclass.getClassImpl()->findOperation(name); !found.isEmpty()) {
            return found;
        }
    }
    return Operation();
}

std::unique_ptr<ModelElement::Builder> Class::Impl::instantiateBuilder(Model const& model) const {
    return MetaRegistry::getInstance().createBuilder(Class(const_cast<Class::Impl*>(this)), model);
}

// ---- Package ----------------------------------------------------------------------------

Package::Impl::Impl(Model const& model, boost::uuids::uuid const& id) : MetaObjectImpl(model, id) {}

Package Package::create(Model const& model, boost::uuids::uuid const& id) {
    detail::beforeCreation();
    return Package(detail::createRecord<Package::Impl>(model, id, std::u16string()).getImpl());
}

void Package::Impl::setUri(std::u16string const& uri) {
    if (state().uri == uri) {
        return;
    }
    Change change(*this);
    change.state().uri = uri;
    change.commit();
}

Package Package::Impl::getParentPackage() const {
    return Package(basicContainer());
}

void Package::Impl::setParentPackage(Package const& parent) {
    for (auto const* p = parent.getPackageImpl(); p != nullptr;
         p = static_cast<Package::Impl const*>(p->basicContainer())) {
        if (p == this) {
            reportException(korm0::messages::InvalidValue(
                "parent of package " + tarsk::core::text::toUtf8Lossy(getName()),
                parent->identifier(), "the package would then contain itself"));
        }
    }
    moveTo(parent.getPackageImpl());
}

std::vector<Package> Package::Impl::getSubpackages() const {
    return ownedOfKind<Package>(MetaKind::PACKAGE);
}

std::vector<Type> Package::Impl::getTypes() const {
    std::vector<Type> result;
    for (auto const& element : state().owned) {
        auto const kind = static_cast<MetaObjectImpl const*>(element.getImpl())->getKind();
        if (kind == MetaKind::CLASS || kind == MetaKind::PRIMITIVE_TYPE) {
            result.emplace_back(element.getImpl());
        }
    }
    return result;
}

Package Package::Impl::findSubpackage(std::u16string const& name) const {
    for (auto const& package : getSubpackages()) {
        if (package.getPackageImpl()->getName() == name) {
            return package;
        }
    }
    return Package();
}

Type Package::Impl::findType(std::u16string const& name) const {
    for (auto const& type : getTypes()) {
        if (type.getTypeImpl()->getName() == name) {
            return type;
        }
    }
    return Type();
}

std::u16string Package::Impl::getQualifiedName() const {
    return packagePath(this);
}

}  // namespace korm::zero::meta
