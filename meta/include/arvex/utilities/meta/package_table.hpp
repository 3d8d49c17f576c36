#pragma once

// The contents of MetaPackageArvex_utilities as data: one row per class, property, operation
// and argument, in creation order, with the handle it fills and every attribute it gets. The
// build (meta_package.cpp) walks the rows (meta_package_table.cpp); the host methods of the
// bindings read an operation's name and owning class from them. Rows are written with
// designated initialisers, so that every attribute is named where it is given.
//
// Hooks. Each class row names its collection and builder factory, and each operation row is
// made from the operation's binding (operations.hpp), which gives its handle, whether it is
// static and the reflective invoker; the build registers and installs what the rows name.
// Making an operation row checks at compile time that the row's result and argument types and
// its argument count agree with the bound C++ function.

#include <boost/uuid/uuid.hpp>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "arvex/utilities/meta/invokers.hpp"
#include "arvex/utilities/meta/meta_package.hpp"
#include "arvex/utilities/meta/operation_binding.hpp"
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
    constexpr bool isVoid() const noexcept { return primitive == nullptr && metaClass == nullptr; }
};

inline constexpr TypeRef VOID{};
inline constexpr TypeRef UUID_TYPE{.primitive = u"UUID"};
inline constexpr TypeRef STRING_TYPE{.primitive = u"String"};
inline constexpr TypeRef BOOLEAN_TYPE{.primitive = u"Boolean"};

struct ArgumentEntry {
    kmeta::Argument MetaPackage::*handle;
    char16_t const* name;
    char const* uuid;
    TypeRef type = UUID_TYPE;
    char16_t const* documentation = u"";  // what the argument is
};

struct OperationEntry {
    kmeta::Operation MetaPackage::*handle;
    char16_t const* name;
    char const* uuid;
    bool isStatic;
    TypeRef result;     // void when empty
    bool resultIsMany;  // [0..*] rather than [1..1]
    std::span<ArgumentEntry const> arguments;
    InvokerFactory invoker;         // hook, see above
    char16_t const* documentation;  // what the operation does
    char16_t const* returns;        // what its result is (empty for void)
};

/// What an operation row states itself; the rest comes from its binding.
struct OperationFields {
    char16_t const* name;
    char const* uuid;
    TypeRef result = VOID;
    bool resultIsMany = false;
    std::span<ArgumentEntry const> arguments = {};
    char16_t const* documentation = u"";
    char16_t const* returns = u"";
};

struct PropertyEntry {
    kmeta::Property MetaPackage::*handle;
    char16_t const* name;
    char const* uuid;
    int index;
    TypeRef type;
    korm::zero::ValueFlags valueFlags;
    bool containment = false;
    bool orderedAndUnique = false;  // setIsOrdered(true) and setIsUnique(true)
    bool noDefault = false;         // setDefaultValue with no value
    kmeta::Property MetaPackage::*qualifiedBy = nullptr;
    bool qualificationUnique = false;
    char16_t const* documentation = u"";  // what the property holds
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
    char16_t const* documentation;                             // what the class is for
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
ARVEX_UTILITIES_EXPORT extern std::span<ClassEntry const> const CLASSES;

/// An operation's row and the row of the class that owns it.
struct OperationRow {
    ClassEntry const& owner;
    OperationEntry const& operation;
};
/// The rows of the operation whose meta object `handle` holds; throws std::logic_error when no
/// row names it.
ARVEX_UTILITIES_EXPORT OperationRow findOperation(kmeta::Operation MetaPackage::*handle);

// ---- operation rows from bindings -----------------------------------------------------------

namespace detail {

template <class T>
struct IsVector : std::false_type {};
template <class T>
struct IsVector<std::vector<T>> : std::true_type {};

/// The primitive type name that carries a C++ value type, or null.
template <class T>
constexpr char16_t const* primitiveNameOf() {
    if constexpr (std::is_same_v<T, boost::uuids::uuid>) {
        return UUID_TYPE.primitive;
    } else if constexpr (std::is_same_v<T, bool>) {
        return BOOLEAN_TYPE.primitive;
    } else if constexpr (std::is_same_v<T, std::u16string>) {
        return STRING_TYPE.primitive;
    } else {
        return nullptr;
    }
}

constexpr bool sameName(char16_t const* a, char16_t const* b) {
    return a != nullptr && b != nullptr && std::u16string_view(a) == std::u16string_view(b);
}

/// Whether `type`, `many` describe a value of the C++ type T.
template <class T>
constexpr bool describes(TypeRef const& type, bool many) {
    if constexpr (std::is_void_v<T>) {
        return type.isVoid() && !many;
    } else if constexpr (IsVector<T>::value) {
        return many && sameName(type.primitive, primitiveNameOf<typename T::value_type>());
    } else if constexpr (std::is_base_of_v<korm::zero::ModelElement, T>) {
        return !many && type.metaClass != nullptr;
    } else {
        return !many && sameName(type.primitive, primitiveNameOf<T>());
    }
}

template <class Parameters, std::size_t... I>
constexpr bool argumentsDescribe(std::span<ArgumentEntry const> arguments,
                                 std::index_sequence<I...>) {
    return (describes<std::tuple_element_t<I, Parameters>>(arguments[I].type, false) && ...);
}

/// Stops a constant evaluation with a message the compiler shows.
inline void rowDisagreesWithItsFunction(char const*) {}

}  // namespace detail

/// The row of the operation `Binding` binds. In a constant expression a row whose result,
/// argument count or argument types disagree with the bound function does not compile.
template <class Binding>
constexpr OperationEntry operation(OperationFields const& fields) {
    if (fields.arguments.size() != Binding::arity) {
        detail::rowDisagreesWithItsFunction("argument count");
    }
    if (!detail::describes<typename Binding::Result>(fields.result, fields.resultIsMany)) {
        detail::rowDisagreesWithItsFunction("result type");
    }
    if (!detail::argumentsDescribe<typename Binding::Parameters>(
            fields.arguments, std::make_index_sequence<Binding::arity>{})) {
        detail::rowDisagreesWithItsFunction("argument types");
    }
    InvokerFactory invoker = nullptr;
    if constexpr (!Binding::isStatic) {
        // Static operations are called directly, never through an invoker.
        invoker = &kmeta::makeInvoker<Binding>;
    }
    return {Binding::handle,      fields.name,         fields.uuid,      Binding::isStatic,
            fields.result,        fields.resultIsMany, fields.arguments, invoker,
            fields.documentation, fields.returns};
}

}  // namespace arvex::utilities::meta_table
