#include "olan/package.hpp"

#include <algorithm>
#include <atomic>

#include "olan/errors.hpp"
#include "state.hpp"

namespace {

std::atomic<bool> usingUsm{false};

}  // namespace

bool omGetOlanUsingUSM() {
    return usingUsm.load();
}

void omSetOlanUsingUSM(bool value) {
    usingUsm.store(value);
}

namespace olan {

using detail::Owned;

// ---- description defaults --------------------------------------------------------------------

COSPackageInfo::~COSPackageInfo() = default;
std::string COSPackageInfo::getDescription() const {
    return {};
}
std::string COSPackageInfo::getDetailedDescription() const {
    return {};
}
COSPackageInfo* COSPackageInfo::attemptToLoadSubPackage(InternedName) {
    return nullptr;
}
void COSPackageInfo::throwErrorForDefinitionOfExistingName(InternedName qualifiedName,
                                                           DefinitionKind) {
    raiseHostError(errors::DuplicateName, qualifiedName.view());
}
COSClassInfo* COSPackageInfo::attemptToLoadClass(InternedName) {
    return nullptr;
}
bool COSPackageInfo::attemptToLoadFunction(InternedName) {
    return false;
}
bool COSPackageInfo::attemptToLoadType(InternedName) {
    return false;
}
std::string COSPackageInfo::getMethodSelector() const {
    return {};
}
void COSPackageInfo::initializePackage(COSPackage*) {}
bool COSPackageInfo::isDestructible() const {
    return true;
}
bool COSPackageInfo::isLocked() const {
    return false;
}

// ---- registration ----------------------------------------------------------------------------

namespace {

void eraseName(std::vector<InternedName>& names, InternedName name) {
    names.erase(std::remove(names.begin(), names.end(), name), names.end());
}

void dropClasses(COSPackage& package) {
    detail::State& s = detail::state();
    for (InternedName name : package.impl().classes) {
        s.classes.erase(name);
    }
    package.impl().classes.clear();
}

// Unregisters a package with its sub-packages and classes. Objects keep their classes alive.
void dropPackage(COSPackage& package) {
    detail::State& s = detail::state();
    for (InternedName sub : std::vector<InternedName>(package.impl().subPackages)) {
        if (auto it = s.packages.find(sub); it != s.packages.end()) {
            dropPackage(*it->second);
        }
    }
    dropClasses(package);
    if (COSPackage* parent = package.getParent()) {
        eraseName(parent->impl().subPackages, package.getQualifiedName());
    } else {
        eraseName(s.topLevel, package.getQualifiedName());
    }
    s.packages.erase(package.getQualifiedName());
}

// The qualified name of the package `info` describes, once it is known that `parent` (null:
// none) takes new packages and the name is an identifier.
InternedName checkedPackageName(COSPackage* parent, const COSPackageInfo& info) {
    if (parent && parent->getInfo().isLocked()) {
        raiseHostError(errors::PackageLocked, parent->getQualifiedName().view());
    }
    std::string name = info.getName();
    if (!detail::isIdentifier(name)) {
        raiseHostError(errors::InvalidName, name);
    }
    return internal::makeInterned(parent ? parent->getQualifiedName().str() + "." + name : name);
}

// A package of that name is registered already.
COSPackage* redefinePackage(COSPackage& existing, Owned<COSPackageInfo> info,
                            InternedName qualified) {
    if (omGetOlanUsingUSM()) {
        // Session mode: the new description replaces the old one and defines the classes
        // again; sub-packages stay.
        dropClasses(existing);
        existing.impl().info = std::move(info);
        existing.getInfo().initializePackage(&existing);
    } else {
        info->throwErrorForDefinitionOfExistingName(qualified, DefinitionKind::Package);
    }
    return &existing;
}

// A new package: registered, filed under its parent (or the top level), then initialised. All
// or nothing: a failure after the registration (filing it, or its initialisation) unregisters
// it again.
COSPackage* addPackage(COSPackage* parent, Owned<COSPackageInfo> info, InternedName qualified) {
    detail::State& s = detail::state();
    auto impl = std::make_unique<COSPackage::Impl>();
    impl->info = std::move(info);
    impl->qualifiedName = qualified;
    impl->parent = parent;
    COSPackage* package =
        s.packages.emplace(qualified, std::make_unique<COSPackage>(std::move(impl)))
            .first->second.get();
    try {
        (parent ? parent->impl().subPackages : s.topLevel).push_back(qualified);
        package->getInfo().initializePackage(package);
    } catch (...) {
        dropPackage(*package);
        throw;
    }
    return package;
}

COSPackage* registerPackage(COSPackage* parent, COSPackageInfo* raw) {
    Owned<COSPackageInfo> info(raw);
    if (!info) {
        raiseHostError(errors::InvalidDefinition, "no package description");
    }
    InternedName qualified = checkedPackageName(parent, *info);
    detail::State& s = detail::state();
    if (auto it = s.packages.find(qualified); it != s.packages.end()) {
        return redefinePackage(*it->second, std::move(info), qualified);
    }
    return addPackage(parent, std::move(info), qualified);
}

}  // namespace

COSPackage::COSPackage(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
COSPackage::~COSPackage() = default;

COSPackage* COSPackage::getPackage(InternedName qualifiedName) {
    detail::State& s = detail::state();
    if (auto it = s.packages.find(qualifiedName); it != s.packages.end()) {
        return it->second.get();
    }
    std::string_view name = qualifiedName.view();
    auto dot = name.rfind('.');
    if (dot == std::string_view::npos) {
        return nullptr;
    }
    COSPackage* parent = getPackage(internal::makeInterned(name.substr(0, dot)));
    if (parent == nullptr) {
        return nullptr;
    }
    COSPackageInfo* loaded =
        parent->getInfo().attemptToLoadSubPackage(internal::makeInterned(name.substr(dot + 1)));
    if (loaded == nullptr) {
        return nullptr;
    }
    COSPackage* added = parent->addSubPackage(loaded);
    return added->getQualifiedName() == qualifiedName ? added : nullptr;
}

COSPackage* COSPackage::addPackage(COSPackageInfo* info) {
    return registerPackage(nullptr, info);
}

COSPackage* COSPackage::addSubPackage(COSPackageInfo* info) {
    return registerPackage(this, info);
}

void COSPackage::addClass(COSClassInfo* raw, int mode) {
    Owned<COSClassInfo> info(raw);
    if (!info) {
        raiseHostError(errors::InvalidDefinition, "no class description");
    }
    if (mode != ClassDefineNow && mode != ClassDefineOnFirstUse) {
        raiseHostError(errors::InvalidDefinition, "add-class mode " + std::to_string(mode));
    }
    if (getInfo().isLocked()) {
        raiseHostError(errors::PackageLocked, getQualifiedName().view());
    }
    std::string shortName = info->getName();
    std::string qualifiedName = info->getQualifiedName();
    if (!detail::isIdentifier(shortName) ||
        qualifiedName != getQualifiedName().str() + "." + shortName) {
        raiseHostError(errors::InvalidName, qualifiedName + " in " + getQualifiedName().str());
    }
    InternedName qualified = internal::makeInterned(qualifiedName);
    detail::State& s = detail::state();
    if (s.classes.count(qualified) != 0) {
        if (!omGetOlanUsingUSM()) {
            getInfo().throwErrorForDefinitionOfExistingName(qualified, DefinitionKind::Class);
            return;
        }
        // Session mode: the new definition replaces the old one; objects keep the old one.
        s.classes.erase(qualified);
        eraseName(impl_->classes, qualified);
    }
    detail::addClassRecord(*this, std::move(info), mode);
}

InternedName COSPackage::getQualifiedName() const noexcept {
    return impl_->qualifiedName;
}

COSPackageInfo& COSPackage::getInfo() const noexcept {
    return *impl_->info;
}

COSPackage* COSPackage::getParent() const noexcept {
    return impl_->parent;
}

namespace detail {

void addClassRecord(COSPackage& package, Owned<COSClassInfo> info, int mode) {
    auto record = std::make_shared<ClassRecord>();
    record->shortName = info->getName();
    record->qualifiedName = internal::makeInterned(info->getQualifiedName());
    record->packageName = package.getQualifiedName();
    record->info = std::move(info);
    State& s = state();
    s.classes.emplace(record->qualifiedName, record);
    package.impl().classes.push_back(record->qualifiedName);
    if (mode == ClassDefineNow) {
        try {
            ensureDefined(*record);
        } catch (...) {
            s.classes.erase(record->qualifiedName);
            eraseName(package.impl().classes, record->qualifiedName);
            throw;
        }
    }
}

}  // namespace detail

}  // namespace olan
