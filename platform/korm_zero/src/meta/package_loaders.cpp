// The table of package loaders by root-package URI.

#include "korm/zero/meta/package_loaders.hpp"

#include <map>
#include <mutex>
#include <utility>

#include "korm/zero/meta/meta_registry.hpp"

namespace korm::zero::meta {

namespace {

struct Loaders {
    std::mutex mutex;
    std::map<std::u16string, PackageLoader> byUri;
};

Loaders& loaders() {
    // Never destroyed: libraries forget their loaders from static destructors, which may run
    // after this library's own.
    static auto* const table = new Loaders;
    return *table;
}

PackageLoader loaderOf(std::u16string const& uri) {
    Loaders& table = loaders();
    std::lock_guard<std::mutex> const lock(table.mutex);
    auto const found = table.byUri.find(uri);
    return found != table.byUri.end() ? found->second : nullptr;
}

}  // namespace

void registerPackageLoader(std::u16string const& uri, PackageLoader loader) {
    Loaders& table = loaders();
    std::lock_guard<std::mutex> const lock(table.mutex);
    table.byUri[uri] = loader;
}

void unregisterPackageLoader(std::u16string const& uri, PackageLoader loader) noexcept {
    Loaders& table = loaders();
    std::lock_guard<std::mutex> const lock(table.mutex);
    auto const found = table.byUri.find(uri);
    if (found != table.byUri.end() && found->second == loader) {
        table.byUri.erase(found);
    }
}

Package loadRootPackage(std::u16string const& uri) {
    MetaRegistry& registry = MetaRegistry::getInstance();
    Package package = registry.getRootPackage(uri);
    if (package.isEmpty()) {
        if (PackageLoader const loader = loaderOf(uri)) {
            loader();
            package = registry.getRootPackage(uri);
        }
    }
    return package;
}

PackageLoaderRegistration::PackageLoaderRegistration(std::u16string uri, PackageLoader loader)
    : m_uri(std::move(uri)), m_loader(loader) {
    registerPackageLoader(m_uri, m_loader);
}

PackageLoaderRegistration::~PackageLoaderRegistration() {
    unregisterPackageLoader(m_uri, m_loader);
}

}  // namespace korm::zero::meta
