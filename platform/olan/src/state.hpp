#pragma once

// The class system's process-wide state (private): packages, classes, data types and bindings.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "olan/class_info.hpp"
#include "olan/factory/method.hpp"
#include "olan/factory/property.hpp"
#include "olan/host.hpp"
#include "olan/interned.hpp"
#include "olan/object.hpp"
#include "olan/package.hpp"

namespace olan::detail {

/// Deletes a description handed to the host unless it says it must not be deleted.
struct DescriptionDelete {
    template <class T>
    void operator()(T* description) const noexcept {
        if (description && description->isDestructible()) {
            delete description;
        }
    }
};
template <class T>
using Owned = std::unique_ptr<T, DescriptionDelete>;

struct Superclass {
    InternedName name;
    int handleKind = 0;
    int hidden = 0;
    int inheritMembers = 0;
};

struct MemberSlot {
    host::MemberKind kind;
    std::size_t index;
};

/// The members a defineMembers call adds; kept only when the call succeeds.
struct Members {
    std::vector<Superclass> superclasses;
    std::vector<Owned<factory::OlanMethod>> methods;
    std::vector<Owned<factory::impl::PropertyImpl>> properties;
    std::vector<MemberSlot> order;
};

struct ClassRecord {
    Owned<COSClassInfo> info;
    InternedName qualifiedName;
    std::string shortName;
    InternedName packageName;
    bool defined = false;
    bool defining = false;
    Members members;
};

struct State {
    std::unordered_map<InternedName, std::unique_ptr<COSPackage>> packages;
    std::vector<InternedName> topLevel;
    std::unordered_map<InternedName, std::shared_ptr<ClassRecord>> classes;
    std::unordered_set<std::string> dataTypes;
    std::unordered_map<const void*, Object*> bindings;
    std::size_t liveObjects = 0;
    std::size_t failedDestroys = 0;
};

/// The one state of the process; never destroyed, so that objects and descriptions outliving
/// static destruction stay valid.
State& state();

/// The class, loading it through its package on demand; null when absent.
std::shared_ptr<ClassRecord> findClassRecord(InternedName qualifiedName);
/// As findClassRecord; raises UndefinedClass when absent.
std::shared_ptr<ClassRecord> requireClassRecord(std::string_view qualifiedName);
/// Runs defineMembers once (see COSClassInfo).
void ensureDefined(ClassRecord& record);
/// The method `name` of the class or of a superclass it inherits members from; null if none.
factory::OlanMethod* findMethod(ClassRecord& record, std::string_view name);
/// The property `name`, looked up like findMethod.
factory::impl::PropertyImpl* findProperty(ClassRecord& record, std::string_view name);
/// Whether the class is `name` or has it among its (transitive) superclasses.
bool classIsa(const ClassRecord& record, std::string_view name);
/// Whether `type` is a signature type name the class system knows.
bool isKnownType(std::string_view type, bool asOutput);
/// Adds a class record to a package (no duplicate handling).
void addClassRecord(COSPackage& package, Owned<COSClassInfo> info, int mode);

/// Creation, references and binding of objects.
struct ObjectAccess {
    static Object* create(std::shared_ptr<ClassRecord> record);
    static void retain(Object& object) noexcept { object.retain(); }
    static void release(Object& object) noexcept { object.release(); }
    /// Binds `pointer` as the object's primary native pointer (may throw; then nothing is bound).
    static void bindPrimary(Object& object, InternedName typeName, void* pointer);
    /// Takes back a bindPrimary of `typeName`.
    static void unbindPrimary(Object& object, InternedName typeName) noexcept;
    static bool isDying(const Object& object) noexcept { return object.dying_; }
    static ClassRecord& record(const Object& object) noexcept { return *object.record_; }
};

}  // namespace olan::detail

struct olan::COSPackage::Impl {
    detail::Owned<COSPackageInfo> info;
    InternedName qualifiedName;
    COSPackage* parent = nullptr;
    std::vector<InternedName> subPackages;
    std::vector<InternedName> classes;
};

struct olan::COSClassDefinition::Impl {
    detail::ClassRecord& record;
    detail::Members members;
};

namespace olan::detail {
/// Whether `name` is an identifier: a letter or "_", then letters, digits or "_".
bool isIdentifier(std::string_view name) noexcept;
/// A new object of the class, held by a new 1-by-1 object array (owned by the caller).
zvArray* createObjectValue(std::shared_ptr<ClassRecord> record);
}  // namespace olan::detail
