#pragma once

// The call interface: what a host (a test driver, a scripting front end) uses to reach the
// registered packages and classes and to work with objects, exactly as scripts do.
//
// Values: inputs are lent (the caller keeps ownership; the host marks them read-only for the
// call); every returned Value belongs to the caller. An object lives while some host array holds
// it: dropping the last Value (or zvDestroyArray of the last array) that holds an object runs
// the destroy-instance operation of its class with its native pointer.
//
// Errors: host errors propagate as olan::HostError; any other exception escaping a method,
// constructor or accessor is turned into a HostError (host::translateError) whose cause() is the
// original exception.
//
// The class system is driven from one thread at a time (the host's calling thread); only name
// interning and omGetOlanUsingUSM are safe to use concurrently.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "olan/export.hpp"
#include "olan/value.hpp"
#include "zolmar/zv_array.hpp"

namespace olan::host {

using Inputs = std::vector<const zvArray*>;

struct SignatureDescription {
    std::vector<std::string> argumentNames;
    std::string outputType;
    std::vector<std::string> inputTypes;
    int optionalInputCount = 0;
};

enum class MemberKind { Superclass, Constructor, Property, Method };

struct MemberDescription {
    MemberKind kind = MemberKind::Method;
    std::string name;
    std::string description;
    std::uint32_t attributes = 0;
    bool isStatic = false;           ///< methods
    bool isHidden = false;           ///< superclasses, methods, properties
    bool isReadOnly = false;         ///< properties
    std::string type;                ///< properties: the declared type
    SignatureDescription signature;  ///< constructor and methods
};

struct ClassDescription {
    std::string name;
    std::string qualifiedName;
    std::string packageName;
    std::string description;
    bool isAbstract = false;
    bool isHandleClass = false;
    bool isSealed = false;
    bool isHidden = false;
    bool isFactoryClass = false;
    bool requiresNativeBinding = false;
    /// Direct superclasses, in order of addition.
    std::vector<std::string> superclasses;
    /// Own members in order of addition (superclasses, constructor, properties, methods).
    std::vector<MemberDescription> members;
};

struct PackageDescription {
    std::string name;
    std::string qualifiedName;
    std::string description;
    /// Qualified names, in order of registration.
    std::vector<std::string> subPackages;
    /// Qualified names of the visible classes, in order of addition.
    std::vector<std::string> classes;
};

/// The result of a call: the output count the method reported, and the outputs taken (as many
/// as requested).
struct CallResult {
    int outputCount = 0;
    std::vector<Value> outputs;
};

/// Qualified names of the top-level packages.
OLAN_EXPORT std::vector<std::string> topLevelPackages();
/// The package, or nothing.
OLAN_EXPORT std::optional<PackageDescription> findPackage(std::string_view qualifiedName);
/// Whether a class of that qualified name exists (loading it on demand).
OLAN_EXPORT bool classExists(std::string_view qualifiedName);
/// The class with its members (defined on demand). UndefinedClass when absent.
OLAN_EXPORT ClassDescription describeClass(std::string_view qualifiedName);

/// Constructs an object: runs the class's constructor with `inputs` and the new object in output
/// slot 0, and returns slot 0 (the bound object).
OLAN_EXPORT Value construct(std::string_view qualifiedClassName, const Inputs& inputs);
/// Calls a method of a class (inherited ones included); for an instance method inputs[0] is the
/// self object. `requestedOutputs` 0 passes no output slots; more than the method declares, or
/// than it reports, raises TooManyOutputs.
OLAN_EXPORT CallResult call(std::string_view qualifiedClassName, std::string_view methodName,
                            const Inputs& inputs, int requestedOutputs);
/// Calls a method on an object (its class from the object; the object becomes input 0 of an
/// instance method and is left out for a static one).
OLAN_EXPORT CallResult callOn(const zvArray* object, std::string_view methodName,
                              const Inputs& inputsAfterSelf, int requestedOutputs);
/// Reads a property of an object.
OLAN_EXPORT Value getProperty(const zvArray* object, std::string_view name);
/// Evaluates a property of an object for its checks, without taking the value.
OLAN_EXPORT void evaluateProperty(const zvArray* object, std::string_view name);
/// Writes a property of an object (ReadOnlyProperty for a property without setter).
OLAN_EXPORT void setProperty(const zvArray* object, std::string_view name, const zvArray* value);

/// Qualified class name of an object array (also of an empty one made for a class), or empty.
OLAN_EXPORT std::string className(const zvArray* value);
/// Whether `value` holds an object of the class or of a subclass of it.
OLAN_EXPORT bool isa(const zvArray* value, std::string_view qualifiedClassName);

/// Objects alive.
OLAN_EXPORT std::size_t liveObjectCount();
/// Destroy-instance operations that raised (the host swallows and counts them).
OLAN_EXPORT std::size_t failedDestroyCount();
/// Forgets every package, class and string data type, and sets omGetOlanUsingUSM to false.
/// Raises LiveObjects while objects are alive. For tests; descriptions are deleted, so the code
/// of their libraries must still be loaded.
OLAN_EXPORT void reset();

}  // namespace olan::host
