#pragma once

// The scripting package "arvex.utilities": its description and the registration routine.

#include <string_view>

#include "arvex/utilities/export.hpp"
#include "korm/zero/zi/empty_parent_package.hpp"

namespace arvex::utilities::zi {

/// The dotted name of the scripting package.
inline constexpr std::string_view PackageName = "arvex.utilities";

/// The description of the package "utilities" below "arvex". When the host registers it, it
/// adds the six class descriptions (FullPathAPI, UUIDMap, UUIDMapEntry, UUIDMultiMap,
/// UUIDToUUIDMap, UUIDToUUIDMapEntry), each defined on first use.
class ARVEX_UTILITIES_EXPORT arvex_utilitiesPackage final
    : public korm::zero::zi::EmptyParentPackage {
  public:
    arvex_utilitiesPackage(std::string ownName, std::string parentName);
    ~arvex_utilitiesPackage() override;

    void initializePackage(olan::COSPackage* package) override;
};

/// Builds the package description from PackageName and registers it with the host, creating
/// the parent package "arvex" as an empty package when it does not exist. Host errors pass on;
/// the host owns the description from the call on.
ARVEX_UTILITIES_EXPORT void registerScriptingPackage();

}  // namespace arvex::utilities::zi
