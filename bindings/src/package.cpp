// The scripting package "arvex.utilities" and its registration.

#include "arvex/utilities/bindings/package.hpp"

#include <memory>
#include <utility>

#include "arvex/utilities/bindings/wrappers.hpp"
#include "olan/package.hpp"
#include "tarsk/core/except/internal_exception.hpp"

namespace arvex::utilities::zi {

// Descriptions go to the host as raw pointers; a failed allocation reports the platform's
// out-of-memory error rather than std::bad_alloc.
using tarsk::core::except::allocate;

arvex_utilitiesPackage::arvex_utilitiesPackage(std::string ownName, std::string parentName)
    : EmptyParentPackage(std::move(ownName), std::move(parentName)) {}

arvex_utilitiesPackage::~arvex_utilitiesPackage() = default;

void arvex_utilitiesPackage::initializePackage(olan::COSPackage* package) {
    // Mode 2: each class's members are defined on its first use, so registration builds
    // nothing of the model classes (in particular not the meta-package).
    package->addClass(allocate<FullPathAPIWrapper>(), olan::ClassDefineOnFirstUse);
    package->addClass(allocate<UUIDMapWrapper>(), olan::ClassDefineOnFirstUse);
    package->addClass(allocate<UUIDMapEntryWrapper>(), olan::ClassDefineOnFirstUse);
    package->addClass(allocate<UUIDMultiMapWrapper>(), olan::ClassDefineOnFirstUse);
    package->addClass(allocate<UUIDToUUIDMapWrapper>(), olan::ClassDefineOnFirstUse);
    package->addClass(allocate<UUIDToUUIDMapEntryWrapper>(), olan::ClassDefineOnFirstUse);
}

void registerScriptingPackage() {
    auto [ownName, parentName] = korm::zero::zi::EmptyParentPackage::splitName(PackageName);
    // registerPackage hands the description to the host on every path.
    allocate<arvex_utilitiesPackage>(std::move(ownName), std::move(parentName))->registerPackage();
}

}  // namespace arvex::utilities::zi
