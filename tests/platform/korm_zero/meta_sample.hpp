#pragma once

// A small meta-package for the meta model's tests, built with the same members a library's
// meta-package uses. Every build makes a package of its own (fresh UUIDs, names with a
// running number), so tests can build as often as they like in one process.
//
//   Animal (abstract) : ModelElement   Name [String, flags 1, index 1]
//                                      speak(loudness: Boolean) -> String
//   Dog : Animal                       Toys [Rock, flags 6, containment, index 1,
//                                            qualified by Rock.Label, opposite Rock.Owner]
//                                      Friends [Dog, flags 8, index 2]
//                                      fetch(what: UUID)
//   Puppy : Dog
//   Rock : ModelElement                Label [UUID, flags 1, index 1]
//                                      Owner [Dog, flags 1, index 2, opposite Dog.Toys]

#include <string>

#include "korm/zero/meta/meta_objects.hpp"
#include "korm/zero/meta/meta_package.hpp"
#include "korm/zero/meta/meta_registry.hpp"
#include "korm/zero/zero.hpp"
#include "test_support.hpp"

namespace korm::zero::test {

using arvex_test::MetaBuildScope;

class SamplePackage : public meta::AbstractMetaPackage {
  public:
    /// Creates and links everything in the meta model; runs inside a MetaBuildScope.
    void build();
    /// The whole build in a scope of its own, committed.
    void buildCommitted();

    /// When set, every identity of the build is derived from it (name-based UUIDs), so that
    /// two builds with the same seed make the same identities, as a library's builds do.
    std::string idSeed;

    std::string prefix;  // "sample<n>"
    meta::Package package;
    meta::Class animal, dog, puppy, rock;
    meta::Property name, toys, friends, label, owner;
    meta::Operation speak, fetch;
    meta::Argument loudness, what;

  private:
    boost::uuids::uuid nextId();
    std::string nextIdText();
    int m_idCount = 0;
};

using arvex_test::rec;

inline meta::MetaRegistry& registry() {
    return meta::MetaRegistry::getInstance();
}

}  // namespace korm::zero::test
