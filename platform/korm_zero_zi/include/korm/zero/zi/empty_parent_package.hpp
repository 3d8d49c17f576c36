#pragma once

// EmptyParentPackage: a package description that adds nothing to its package. It stands for
// parent packages that must exist before a package beneath them can be registered, and is the
// base of package descriptions that register themselves below a dotted parent name.

#include <string>
#include <string_view>
#include <utility>

#include "korm/zero/zi/export.hpp"
#include "olan/package.hpp"

namespace korm::zero::zi {

class KORM_ZERO_ZI_EXPORT EmptyParentPackage : public olan::COSPackageInfo {
  public:
    /// `ownName` is the package's last dotted component; `parentName` the dotted name of its
    /// parent package, empty for a top-level package.
    EmptyParentPackage(std::string ownName, std::string parentName);
    ~EmptyParentPackage() override;

    /// Splits a dotted name at its last ".": {own name, parent name}. A name without "."
    /// is the own name whole, with an empty parent name.
    static std::pair<std::string, std::string> splitName(std::string_view dottedName);

    /// The own name.
    std::string getName() const override;
    /// Adds nothing.
    void initializePackage(olan::COSPackage* package) override;

    std::string const& getParentName() const noexcept { return m_parentName; }
    /// The parent name, ".", and the own name (the own name alone without parent).
    std::string getQualifiedName() const;

    /// Registers this description (which must have been made with new): as a top-level package
    /// when it has no parent name; otherwise beneath its parent package, which is first
    /// registered as an EmptyParentPackage when it does not exist yet (recursively, up the
    /// dotted name). The host owns this description from the call on, on every path: should
    /// registering a missing parent fail, the description is deleted and the host's error
    /// passes on. Returns the registered package.
    olan::COSPackage* registerPackage();

  private:
    std::string m_ownName;
    std::string m_parentName;
};

}  // namespace korm::zero::zi
