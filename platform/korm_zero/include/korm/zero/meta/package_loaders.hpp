#pragma once

// Root meta-packages built on demand. A library whose meta-package is built on first use
// records, under the package's URI, the function that builds it; whoever needs a root package
// by URI (opening a model file) then has it built rather than finding it missing. The table
// holds plain function pointers and builds nothing when a loader is recorded, so a library may
// record its loader while it is being loaded.

#include <string>

#include "korm/zero/export.hpp"
#include "korm/zero/meta/handles.hpp"

namespace korm::zero::meta {

/// Builds a meta-package and registers its root package with the meta registry (or reports why
/// it cannot).
using PackageLoader = void (*)();

/// Records `loader` for the root package of `uri`, replacing the one recorded before.
KORM_ZERO_EXPORT void registerPackageLoader(std::u16string const& uri, PackageLoader loader);
/// Forgets the loader of `uri` when it is `loader`: a copy of a library unloaded after another
/// copy recorded its own leaves the newer loader in place.
KORM_ZERO_EXPORT void unregisterPackageLoader(std::u16string const& uri,
                                              PackageLoader loader) noexcept;

/// The registered root package of `uri`; when there is none, the one its recorded loader
/// registers; else an empty handle. What the loader reports passes on. Thread-safe; the loader
/// runs without the table's lock held, so it may use the meta registry freely.
KORM_ZERO_EXPORT Package loadRootPackage(std::u16string const& uri);

/// Keeps a loader recorded while it lives: a library holds one as a static object, so that its
/// loader is recorded exactly while its code is loaded.
class KORM_ZERO_EXPORT PackageLoaderRegistration {
  public:
    PackageLoaderRegistration(std::u16string uri, PackageLoader loader);
    PackageLoaderRegistration(PackageLoaderRegistration const&) = delete;
    PackageLoaderRegistration& operator=(PackageLoaderRegistration const&) = delete;
    ~PackageLoaderRegistration();

  private:
    std::u16string m_uri;
    PackageLoader m_loader;
};

}  // namespace korm::zero::meta
