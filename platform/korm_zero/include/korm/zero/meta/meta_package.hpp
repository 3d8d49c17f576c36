#pragma once

// AbstractMetaPackage: the base of a library's meta-package, with the members that create its
// meta objects in the registry's meta model and register them.

#include <boost/uuid/uuid.hpp>
#include <memory>
#include <stdexcept>
#include <string>

#include "korm/zero/export.hpp"
#include "korm/zero/meta/handles.hpp"
#include "korm/zero/meta/meta_objects.hpp"
#include "korm/zero/meta/meta_registry.hpp"

namespace korm::zero::meta {

/// Creation and registration members for a meta-package build.
///
/// Every creation member makes a new meta object in the registry's meta model, in a
/// transaction of its own nested in an open one: a build runs them inside one transaction of
/// the meta model, with the registry's mutex held and the meta model thawed, so that a build
/// that fails rolls back as a whole. New objects have no owner until one is set.
class KORM_ZERO_EXPORT AbstractMetaPackage {
  public:
    virtual ~AbstractMetaPackage();

    /// A package with a fresh UUID, that name and URI.
    Package createPackage(std::u16string const& name, std::u16string const& uri);
    /// A class with the UUID given as text (8-4-4-4-12 hexadecimal; other text reports
    /// InvalidValue), its short name and its dotted qualified name (8-bit).
    Class createClass(std::u16string const& name, std::string const& qualifiedName, bool isAbstract,
                      std::string const& uuidText);
    /// A property with the UUID given as text; `flags` say what it holds (ValueFlags) and
    /// `containment` whether its owner owns what it holds.
    Property createProperty(std::u16string const& name, ValueFlags flags, bool containment,
                            std::string const& uuidText);
    Operation createOperation(std::u16string const& name, boost::uuids::uuid const& id);
    Argument createArgument(std::u16string const& name, boost::uuids::uuid const& id);
    /// The property's index within its class (1-based).
    void setPropertyIndex(Property const& property, int index);

    void registerRootPackage(Package const& package);
    /// Forgets the root package registered under that URI (Package::Impl::getUri).
    void unregisterRootPackage(std::u16string const& uri);
    /// The registry owns `invoker` from now on.
    void setInvoker(Operation const& operation, std::unique_ptr<AbstractMethodInvoker> invoker);

  protected:
    AbstractMetaPackage() = default;
};

namespace testing {

/// Thrown by an injected failure (armFailure).
class KORM_ZERO_EXPORT InjectedFailure : public std::runtime_error {
  public:
    InjectedFailure();
};

/// Test-only: makes the `n`-th creation of a meta object from now (1: the next one) throw
/// InjectedFailure instead, on whatever thread it happens, so that tests can make a
/// meta-package build fail in its middle. Counts the creations of AbstractMetaPackage and
/// Package::create. Not for production code.
KORM_ZERO_EXPORT void armFailure(int n) noexcept;
/// Test-only: cancels an armed failure.
KORM_ZERO_EXPORT void disarmFailure() noexcept;

}  // namespace testing

}  // namespace korm::zero::meta
