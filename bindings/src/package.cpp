// The scripting package "arvex.utilities" and its registration.

#include "arvex/utilities/bindings/package.hpp"

#include <memory>
#include <utility>

#include "arvex/utilities/bindings/wrappers.hpp"
#include "olan/package.hpp"

namespace arvex::utilities::zi {

arvex_utilitiesPackage::arvex_utilitiesPackage(std::string ownName, std::string parentName)
    : EmptyParentPackage(std::move(ownName), std::move(parentName)) {}

arvex_utilitiesPackage::~arvex_utilitiesPackage() = default;

void arvex_utilitiesPackage::initializePackage(olan::COSPackage* package) {
    // Mode 2: each class's members are defined on its first use, so registration builds
    // nothing of the model classes (in particular not the meta-package).
    package->addClass(new FullPathAPIWrapper, olan::ClassDefineOnFirstUse);
    package->addClass(new UUIDMapWrapper, olan::ClassDefineOnFirstUse);
    package->addClass(new UUIDMapEntryWrapper, olan::ClassDefineOnFirstUse);
    package->addClass(new UUIDMultiMapWrapper, olan::ClassDefineOnFirstUse);
    package->addClass(new UUIDToUUIDMapWrapper, olan::ClassDefineOnFirstUse);
    package->addClass(new UUIDToUUIDMapEntryWrapper, olan::ClassDefineOnFirstUse);
}

void registerScriptingPackage() {
    auto [ownName, parentName] = korm::zero::zi::EmptyParentPackage::splitName(PackageName);
    // registerPackage hands the description to the host on every path.
    (new arvex_utilitiesPackage(std::move(ownName), std::move(parentName)))->registerPackage();
}

}  // namespace arvex::utilities::zi
