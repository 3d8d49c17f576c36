#pragma once

// MetaPackageArvex_utilities: the description of the library's six model classes in the
// framework's meta model.
//
// The package tree is a nameless root package (fixed UUID), "arvex" below it and "utilities"
// below that; "utilities" owns the classes FullPathAPI, UUIDMap, UUIDMapEntry, UUIDMultiMap,
// UUIDToUUIDMap and UUIDToUUIDMapEntry with their properties, operations and arguments, every
// one under a fixed name-based UUID, so that stored models find them again in every process.
// Package URIs are SCHEMA_HOST followed by "/korm0/arvex_utilities/V3" (root),
// ".../V3/arvex" and ".../V3/arvex.utilities".
//
// The meta-package is built once per process, on first use (getInstance(), a model class's
// metaClass(), or opening a model file that names its root package), never at load time: at
// load the library only records how to build it (korm/zero/meta/package_loaders.hpp). It then
// lives until the process ends; its handles are only read from then on, by any thread.

#include <boost/uuid/uuid.hpp>
#include <cstddef>

#include "arvex/utilities/export.hpp"
#include "korm/zero/meta/handles.hpp"
#include "korm/zero/meta/meta_package.hpp"
#include "korm/zero/meta/meta_registry.hpp"

namespace arvex::utilities {

namespace meta_table {
struct ClassEntry;
struct OperationEntry;
struct PropertyEntry;
struct TypeRef;
}  // namespace meta_table

class ARVEX_UTILITIES_EXPORT MetaPackageArvex_utilities
    : public korm::zero::meta::AbstractMetaPackage {
  public:
    /// The host part of the package URIs. The schemas are identified, not fetched, so the host
    /// is a reserved name that can never resolve to someone else's documents.
    static constexpr char16_t const* SCHEMA_HOST = u"https://schemas.arvex.example";
    /// The number of meta-object handles below.
    static constexpr std::size_t HANDLE_COUNT = 61;

    /// The meta-package, built on the first call (under a function-local-static guard:
    /// concurrent first callers wait for the one that builds). Never null. A build that fails
    /// passes its exception on and leaves no instance; the next call builds again.
    ///
    /// The build takes the guard first and the meta registry's mutex second. A thread that
    /// holds the registry's mutex must therefore not make the first call while another thread
    /// may be building: each would wait for the other.
    static MetaPackageArvex_utilities* getInstance();

    MetaPackageArvex_utilities(MetaPackageArvex_utilities const&) = delete;
    MetaPackageArvex_utilities& operator=(MetaPackageArvex_utilities const&) = delete;
    ~MetaPackageArvex_utilities() override;

    // The handles, in creation order. Model classes read the class and property handles;
    // operation and argument handles are the meta-package's own.

    korm::zero::meta::Package rootPackage;
    korm::zero::meta::Package arvexPackage;
    korm::zero::meta::Package utilitiesPackage;

    korm::zero::meta::Class FullPathAPIClass;
    korm::zero::meta::Operation FullPathAPI_getComponentNames;
    korm::zero::meta::Argument FullPathAPI_getComponentNames_namedPath;

    korm::zero::meta::Class UUIDMapClass;
    korm::zero::meta::Property UUIDMap_Pairs;
    korm::zero::meta::Operation UUIDMap_insertPair;
    korm::zero::meta::Argument UUIDMap_insertPair_key;
    korm::zero::meta::Argument UUIDMap_insertPair_value;
    korm::zero::meta::Operation UUIDMap_erasePairForKey;
    korm::zero::meta::Argument UUIDMap_erasePairForKey_key;
    korm::zero::meta::Operation UUIDMap_erasePairsForValue;
    korm::zero::meta::Argument UUIDMap_erasePairsForValue_value;
    korm::zero::meta::Operation UUIDMap_findValueForKey;
    korm::zero::meta::Argument UUIDMap_findValueForKey_key;
    korm::zero::meta::Operation UUIDMap_hasKey;
    korm::zero::meta::Argument UUIDMap_hasKey_key;

    korm::zero::meta::Class UUIDMapEntryClass;
    korm::zero::meta::Property UUIDMapEntry_Key;
    korm::zero::meta::Property UUIDMapEntry_Value;

    korm::zero::meta::Class UUIDMultiMapClass;
    korm::zero::meta::Property UUIDMultiMap_Pairs;
    korm::zero::meta::Operation UUIDMultiMap_insertPair;
    korm::zero::meta::Argument UUIDMultiMap_insertPair_key;
    korm::zero::meta::Argument UUIDMultiMap_insertPair_value;
    korm::zero::meta::Operation UUIDMultiMap_erasePairsForKey;
    korm::zero::meta::Argument UUIDMultiMap_erasePairsForKey_key;
    korm::zero::meta::Operation UUIDMultiMap_erasePairsKeyAndValue;
    korm::zero::meta::Argument UUIDMultiMap_erasePairsKeyAndValue_key;
    korm::zero::meta::Argument UUIDMultiMap_erasePairsKeyAndValue_value;
    korm::zero::meta::Operation UUIDMultiMap_erasePairsForValue;
    korm::zero::meta::Argument UUIDMultiMap_erasePairsForValue_value;
    korm::zero::meta::Operation UUIDMultiMap_findValuesForKey;
    korm::zero::meta::Argument UUIDMultiMap_findValuesForKey_key;
    korm::zero::meta::Operation UUIDMultiMap_hasKey;
    korm::zero::meta::Argument UUIDMultiMap_hasKey_key;

    korm::zero::meta::Class UUIDToUUIDMapClass;
    korm::zero::meta::Property UUIDToUUIDMap_Pairs;
    korm::zero::meta::Operation UUIDToUUIDMap_insertPair;
    korm::zero::meta::Argument UUIDToUUIDMap_insertPair_containerKey;
    korm::zero::meta::Argument UUIDToUUIDMap_insertPair_subKey;
    korm::zero::meta::Argument UUIDToUUIDMap_insertPair_value;
    korm::zero::meta::Operation UUIDToUUIDMap_erasePairForKey;
    korm::zero::meta::Argument UUIDToUUIDMap_erasePairForKey_containerKey;
    korm::zero::meta::Operation UUIDToUUIDMap_erasePairForKeys;
    korm::zero::meta::Argument UUIDToUUIDMap_erasePairForKeys_containerKey;
    korm::zero::meta::Argument UUIDToUUIDMap_erasePairForKeys_subKey;
    korm::zero::meta::Operation UUIDToUUIDMap_findValueForKey;
    korm::zero::meta::Argument UUIDToUUIDMap_findValueForKey_containerKey;
    korm::zero::meta::Operation UUIDToUUIDMap_findValuesWithSubKey;
    korm::zero::meta::Argument UUIDToUUIDMap_findValuesWithSubKey_subKey;
    korm::zero::meta::Operation UUIDToUUIDMap_findValueForKeys;
    korm::zero::meta::Argument UUIDToUUIDMap_findValueForKeys_containerKey;
    korm::zero::meta::Argument UUIDToUUIDMap_findValueForKeys_subKey;
    korm::zero::meta::Operation UUIDToUUIDMap_hasKey;
    korm::zero::meta::Argument UUIDToUUIDMap_hasKey_containerKey;

    korm::zero::meta::Class UUIDToUUIDMapEntryClass;
    korm::zero::meta::Property UUIDToUUIDMapEntry_Key;
    korm::zero::meta::Property UUIDToUUIDMapEntry_Value;

  private:
    /// Leaves every handle empty and builds (initialize()); if the build throws, releases the
    /// handles filled so far in reverse order and passes the exception on.
    MetaPackageArvex_utilities();

    // The build. initialize() holds the registry's (recursive) mutex and a thaw of the meta
    // model throughout, removes a root package left by an earlier build in this process,
    // creates the root package and runs the four steps below in one transaction of the meta
    // model, commits it and registers the root package. The creation steps lock and thaw
    // again for their own duration; the linking steps link owners, types, multiplicities and
    // qualifiers, install operation invokers and register each class's factories and names.
    void initialize();
    void instantiate_arvex(korm::zero::meta::MetaRegistry* registry);
    void instantiate_arvex_utilities(korm::zero::meta::MetaRegistry* registry);
    void weave_arvex(korm::zero::meta::MetaRegistry* registry,
                     korm::zero::meta::PropertySerializerRegistry* serializers);
    void weave_arvex_utilities(korm::zero::meta::MetaRegistry* registry,
                               korm::zero::meta::PropertySerializerRegistry* serializers);

    // The steps of the build, one table row at a time.
    void removeStaleRoot(korm::zero::Model const& model, boost::uuids::uuid const& rootId);
    void instantiateClass(meta_table::ClassEntry const& type);
    void instantiateProperty(meta_table::PropertyEntry const& entry);
    void instantiateOperation(meta_table::OperationEntry const& entry);
    void weaveClass(korm::zero::meta::MetaRegistry& registry, meta_table::ClassEntry const& type);
    void weaveOperation(korm::zero::meta::MetaRegistry& registry,
                        korm::zero::meta::Class const& owner,
                        meta_table::OperationEntry const& entry);
    korm::zero::meta::Type typeOf(korm::zero::meta::MetaRegistry& registry,
                                  meta_table::TypeRef const& ref) const;

    /// Empties every handle, last created first.
    void releaseHandles() noexcept;
};

}  // namespace arvex::utilities
