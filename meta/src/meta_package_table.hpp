#pragma once

// The contents of MetaPackageArvex_utilities as data: one entry per class, property, operation
// and argument, in creation order, with the handle it fills and every attribute it gets. The
// build (meta_package.cpp) walks these tables; keeping them apart from the code keeps every
// identity on one line where it can be read and checked.
//
// Hooks. Each class entry names its collection and builder factory, and each operation entry
// the function that makes its reflective invoker (null: none is installed); the build
// registers and installs what the entries name.

#include <memory>
#include <span>

#include "arvex/utilities/meta/meta_package.hpp"
#include "korm/zero/meta/meta_objects.hpp"
#include "korm/zero/meta/meta_registry.hpp"

namespace arvex::utilities::meta_table {

using MetaPackage = MetaPackageArvex_utilities;
namespace kmeta = korm::zero::meta;

/// Makes the reflective invoker of one operation (null: none is installed).
using InvokerFactory =
    std::unique_ptr<kmeta::AbstractMethodInvoker> (*)(kmeta::Operation const& operation);

/// A type: a primitive type of the framework found by name, or one of the package's classes.
struct TypeRef {
    char16_t const* primitive = nullptr;
    kmeta::Class MetaPackage::*metaClass = nullptr;
    bool isVoid() const noexcept { return primitive == nullptr && metaClass == nullptr; }
};

struct ArgumentEntry {
    kmeta::Argument MetaPackage::*handle;
    char16_t const* name;
    char const* uuid;
    TypeRef type;
};

struct OperationEntry {
    kmeta::Operation MetaPackage::*handle;
    char16_t const* name;
    char const* uuid;
    bool isStatic;
    TypeRef result;     // void when empty
    bool resultIsMany;  // [0..*] rather than [1..1]
    std::span<ArgumentEntry const> arguments;
    InvokerFactory invoker;  // hook, see above
};

struct PropertyEntry {
    kmeta::Property MetaPackage::*handle;
    char16_t const* name;
    char const* uuid;
    int index;
    TypeRef type;
    korm::zero::ValueFlags flags;
    bool containment;
    bool orderedAndUnique;                      // setIsOrdered(true) and setIsUnique(true)
    bool noDefault;                             // setDefaultValue with no value
    kmeta::Property MetaPackage::*qualifiedBy;  // null: none
    bool qualificationUnique;
};

struct ClassEntry {
    kmeta::Class MetaPackage::*handle;
    char16_t const* name;
    char const* qualifiedName;
    char const* nativeName;
    char const* uuid;
    std::span<PropertyEntry const> properties;
    std::span<OperationEntry const> operations;
    kmeta::MetaRegistry::CollectionFactory collectionFactory;  // hook, see above
    kmeta::MetaRegistry::BuilderFactory builderFactory;        // hook, see above
};

struct PackageEntry {
    kmeta::Package MetaPackage::*handle;
    char16_t const* name;
    char16_t const* uriPath;  // after MetaPackage::SCHEMA_HOST
};

/// The root package's fixed UUID.
extern char const* const ROOT_PACKAGE_UUID;
extern PackageEntry const ROOT_PACKAGE;
extern PackageEntry const ARVEX_PACKAGE;
extern PackageEntry const UTILITIES_PACKAGE;
/// The six classes, in creation order.
extern std::span<ClassEntry const> const CLASSES;

}  // namespace arvex::utilities::meta_table
