#pragma once

// The process-wide meta registry: the meta model with its packages, classes and primitive
// types, and per type the collection and builder factories, the type names and the operation
// invokers; the reflective entry point; the property-serialiser registry.

#include <boost/optional.hpp>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "korm/zero/builder.hpp"
#include "korm/zero/collections/reference_collection.hpp"
#include "korm/zero/export.hpp"
#include "korm/zero/meta/handles.hpp"
#include "korm/zero/meta/meta_objects.hpp"
#include "korm/zero/model.hpp"
#include "korm/zero/model_element.hpp"
#include "korm/zero/value.hpp"

namespace korm::zero::meta {

/// Calls one model operation by reflection. The registry owns the invoker installed for an
/// operation (setInvoker) and destroys it when it is replaced, when the operation leaves the
/// meta model for good, or with the registry.
class KORM_ZERO_EXPORT AbstractMethodInvoker {
  public:
    virtual ~AbstractMethodInvoker();
    /// Calls the operation on `receiver` with one value per parameter; a void operation
    /// gives an empty optional.
    virtual boost::optional<Value> invoke(ModelElement const& receiver,
                                          std::vector<Value> const& arguments) = 0;
};

/// The meta registry (one per process, getInstance()).
///
/// From the start the meta model holds the primitive types "UUID", "String" and "Boolean" and
/// the framework's classes: "korm.zero.ModelElement", the root of every element class, and
/// the classes of the meta objects ("korm.zero.meta.Class", ...), all under fixed UUIDs in a
/// root package of URI FRAMEWORK_URI. The meta model is frozen except while a Thawer of
/// getFreezer() lives.
///
/// Threads: every member locks the registry's mutex, which is recursive, so that a thread
/// that holds it (a meta-package build) may call the registry again. Whoever changes the meta
/// model holds the mutex while doing so; reading built meta objects needs no lock.
class KORM_ZERO_EXPORT MetaRegistry {
  public:
    using CollectionFactory = ReferenceCollection* (*)(ModelElement::Impl* owner,
                                                       Property const& property);
    using BuilderFactory = std::unique_ptr<ModelElement::Builder> (*)(Model const& model);

    /// The URI of the framework's root package.
    static constexpr char16_t const* FRAMEWORK_URI = u"korm0:/framework/V1";

    static MetaRegistry& getInstance();

    MetaRegistry(MetaRegistry const&) = delete;
    MetaRegistry& operator=(MetaRegistry const&) = delete;
    ~MetaRegistry();

    /// Recursive: the meta-package build locks it again on the same thread.
    std::recursive_mutex& getMutex() noexcept { return m_mutex; }
    Model const& getMetaModel() const noexcept { return m_model; }
    /// The freezer that keeps the meta model frozen for the registry's life; thaw() lets it
    /// change while the returned guard lives.
    Model::Freezer& getFreezer() noexcept { return *m_freezer; }

    // ---- types and names ----------------------------------------------------------------

    /// The primitive type of that name ("UUID", "String", "Boolean", ...); else the type
    /// registered under that qualified name; else an empty handle.
    Type getType(std::u16string const& name) const;
    /// The meta-class of ModelElement.
    Class getModelElementClass() const;

    /// Records the names of `type`: its native (C++) name, its dotted qualified name and an
    /// optional third name (an alias under which it is also found; "" for none). Names given
    /// before for the same type are replaced; a name held by another type moves to this one.
    void registerTypeNames(Type const& type, std::string const& nativeName,
                           std::string const& qualifiedName, std::string const& thirdName);
    /// The type registered under that qualified name (or third name), or an empty handle.
    Type findTypeByQualifiedName(std::string const& qualifiedName) const;
    Type findTypeByNativeName(std::string const& nativeName) const;
    /// The same, for classes only.
    Class findClassByQualifiedName(std::string const& qualifiedName) const;
    Class findClassByNativeName(std::string const& nativeName) const;
    /// The registered names of `type`, "" when none is registered.
    std::string getNativeName(Type const& type) const;
    std::string getRegisteredQualifiedName(Type const& type) const;

    // ---- factories ----------------------------------------------------------------------

    /// Records the factories of `type` (either may be null), replacing earlier ones.
    void registerType(Type const& type, CollectionFactory collectionFactory,
                      BuilderFactory builderFactory);
    CollectionFactory getCollectionFactory(Type const& type) const;
    BuilderFactory getBuilderFactory(Type const& type) const;
    /// A new collection of `type` for `owner`'s `property`, or null without a factory.
    std::unique_ptr<ReferenceCollection> createCollection(Type const& type,
                                                          ModelElement::Impl* owner,
                                                          Property const& property) const;
    /// A new builder of `type` for `model`, or null without a factory.
    std::unique_ptr<ModelElement::Builder> createBuilder(Type const& type,
                                                         Model const& model) const;

    // ---- root packages ------------------------------------------------------------------

    /// Makes `package` a root package, known by its URI (replacing one with the same URI).
    void registerRootPackage(Package const& package);
    /// Forgets the root package of that URI; false when there is none.
    bool unregisterRootPackage(std::u16string const& uri);
    Package getRootPackage(std::u16string const& uri) const;
    std::vector<Package> getRootPackages() const;

    // ---- operation invokers and reflective invocation ----------------------------------

    /// Installs `invoker` for `operation`; the registry owns it from now on (an invoker
    /// installed before is destroyed; null removes it).
    void setInvoker(Operation const& operation, std::unique_ptr<AbstractMethodInvoker> invoker);
    bool hasInvoker(Operation const& operation) const;
    /// Invokes `operation` on `receiver` through its invoker. Without an invoker (or for an
    /// empty operation) reports CannotInvokeOperation; what the invoker reports passes on.
    boost::optional<Value> invoke(Operation const& operation, ModelElement const& receiver,
                                  std::vector<Value> const& arguments) const;
    /// The same for the operation of that name found in `metaClass` (own or inherited);
    /// reports CannotInvokeOperation when the class has none.
    boost::optional<Value> invoke(Class const& metaClass, std::u16string const& operationName,
                                  ModelElement const& receiver,
                                  std::vector<Value> const& arguments) const;

  private:
    struct State;
    friend class MetaObjectImpl;

    MetaRegistry();
    void bootstrap();
    /// A meta object leaves the meta model for good: drop what the registry keeps for it.
    static void forget(ModelElement::Impl const* record) noexcept;

    mutable std::recursive_mutex m_mutex;
    Model m_model;
    std::unique_ptr<Model::Freezer> m_freezer;
    std::unique_ptr<State> m_state;
};

/// A serialiser of one property's values to and from text.
class KORM_ZERO_EXPORT AbstractPropertySerializer {
  public:
    virtual ~AbstractPropertySerializer();
    virtual std::u16string toText(Value const& value) const = 0;
    virtual Value fromText(std::u16string const& text) const = 0;
};

/// The process-wide registry of property serialisers, per property. Thread-safe.
class KORM_ZERO_EXPORT PropertySerializerRegistry {
  public:
    static PropertySerializerRegistry& getInstance();

    PropertySerializerRegistry(PropertySerializerRegistry const&) = delete;
    PropertySerializerRegistry& operator=(PropertySerializerRegistry const&) = delete;
    ~PropertySerializerRegistry();

    /// Installs (null: removes) the serialiser of `property`; the registry owns it.
    void registerSerializer(Property const& property,
                            std::unique_ptr<AbstractPropertySerializer> serializer);
    /// The serialiser of `property`, or null. It stays valid until replaced.
    AbstractPropertySerializer const* getSerializer(Property const& property) const;

  private:
    struct State;
    PropertySerializerRegistry();
    mutable std::mutex m_mutex;
    std::unique_ptr<State> m_state;
};

namespace internal {
/// The primitive type of that name from the meta registry ("UUID", "Boolean", ...), or an
/// empty handle.
KORM_ZERO_EXPORT Type getPrimitiveTypeFromMetaRegistry(std::u16string const& name);
}  // namespace internal

}  // namespace korm::zero::meta
