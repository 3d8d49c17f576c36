#pragma once

// Packages. A package is registered from a description (COSPackageInfo) either at the top level
// (COSPackage::addPackage) or beneath a registered package (addSubPackage); right after
// registration the host calls the description's initializePackage with the new package, which
// adds the package's classes (addClass).
//
// Ownership: a description handed to addPackage, addSubPackage or addClass belongs to the host
// from the moment of the call, even when the call raises; the host deletes it when it is
// replaced, when the class system is reset, or never (process end), unless the description's
// isDestructible() answers false, in which case it is never deleted by the host.
//
// Existing names: registering a package or class under a qualified name that is already
// registered either replaces the earlier definition (while omGetOlanUsingUSM() answers true:
// the re-registering session mode, in which every session registers its packages again) or
// calls throwErrorForDefinitionOfExistingName of the description being registered (packages) or
// of the package's description (classes); its default raises DuplicateName, and if it returns
// instead the new description is discarded and the earlier definition stays.

#include <memory>
#include <string>
#include <string_view>

#include "olan/export.hpp"
#include "olan/interned.hpp"

/// Whether the class system runs in its re-registering session mode (see above). False unless
/// set; the library's initialisation entry point asks it to choose its start-up path.
OLAN_EXPORT bool omGetOlanUsingUSM();
/// Sets the answer of omGetOlanUsingUSM (the host's start-up does this; so do tests).
OLAN_EXPORT void omSetOlanUsingUSM(bool usingUsm);

namespace olan {

class COSPackage;
class COSClassInfo;

/// What kind of name a throwErrorForDefinitionOfExistingName call is about.
enum class DefinitionKind { Package, Class };

/// A package description. The virtual operations are in the host's slot order.
class OLAN_EXPORT COSPackageInfo {
  public:
    virtual ~COSPackageInfo();
    /// The package's own name (its last dotted component). Non-empty, without ".".
    virtual std::string getName() const = 0;
    /// Default: empty.
    virtual std::string getDescription() const;
    /// Default: empty.
    virtual std::string getDetailedDescription() const;
    /// Asked for a sub-package `name` (own name) that is not registered, when someone looks it
    /// up; a description returned (ownership passes) is registered as that sub-package.
    /// Default: null (nothing to load).
    virtual COSPackageInfo* attemptToLoadSubPackage(InternedName name);
    /// Called when a definition reuses a registered name (see above). Default: raises
    /// DuplicateName.
    virtual void throwErrorForDefinitionOfExistingName(InternedName qualifiedName,
                                                       DefinitionKind kind);
    /// Asked for a class `name` (short name) of this package that is not registered, when
    /// someone looks it up; a description returned (ownership passes) is added with mode 2.
    /// Default: null.
    virtual COSClassInfo* attemptToLoadClass(InternedName name);
    /// Package functions and types are not kept by this class system; these hooks are part of
    /// the description's interface and are never called. Defaults: false.
    virtual bool attemptToLoadFunction(InternedName name);
    virtual bool attemptToLoadType(InternedName name);
    /// The name of a method that selects among overloads, or empty. Never consulted (methods are
    /// not overloaded here). Default: empty.
    virtual std::string getMethodSelector() const;
    /// Called once right after the package is registered (and again when a re-registration in
    /// the session mode replaces it), with the registered package. Default: nothing.
    virtual void initializePackage(COSPackage* package);
    /// Whether the host deletes this description. Default: true.
    virtual bool isDestructible() const;
    /// A locked package takes no further classes or sub-packages. Default: false.
    virtual bool isLocked() const;
};

/// The add-class modes: define the class's members now, or on its first use.
inline constexpr int ClassDefineNow = 1;
inline constexpr int ClassDefineOnFirstUse = 2;

/// A registered package.
class OLAN_EXPORT COSPackage {
  public:
    /// The registered package with this qualified (dotted) name, or null. A missing sub-package
    /// is offered to its parent's attemptToLoadSubPackage first.
    static COSPackage* getPackage(InternedName qualifiedName);
    /// Registers a top-level package (ownership of `info` passes) and initialises it.
    static COSPackage* addPackage(COSPackageInfo* info);

    /// Registers a sub-package of this package (ownership of `info` passes) and initialises it.
    COSPackage* addSubPackage(COSPackageInfo* info);
    /// Adds a class (ownership of `info` passes). The description's qualified name must be this
    /// package's qualified name, ".", and its short name. `mode`: ClassDefineNow or
    /// ClassDefineOnFirstUse.
    void addClass(COSClassInfo* info, int mode);

    InternedName getQualifiedName() const noexcept;
    COSPackageInfo& getInfo() const noexcept;
    /// The parent package, or null for a top-level one.
    COSPackage* getParent() const noexcept;

    COSPackage(const COSPackage&) = delete;
    COSPackage& operator=(const COSPackage&) = delete;
    ~COSPackage();

    struct Impl;
    explicit COSPackage(std::unique_ptr<Impl> impl);
    Impl& impl() noexcept { return *impl_; }

  private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace olan
