#pragma once

// The query classes of the six model classes: X::Constrainables makes a query search elements
// of class X and has one member per own property, in index order, each adding its conditions to
// that query.
//
//   korm::zero::query::ModelQuery query;
//   UUIDMapEntry::Constrainables entries(query.withMode(SearchClassMatchMode::CONFORMING));
//   entries.Key.equals(k);
//   std::vector<korm::zero::ModelElement> found = query.findIn(model);
//
// The static accessors of the handle classes (UUIDMapEntry::key(), UUIDMap::pairs(), ...) and
// X::Uuid() give the same conditions bound to the class instead, for combining:
//
//   query.addCondition(UUIDMap::pairs().contains(UUIDMapEntry::key().equals(k)));

#include <utility>

#include "arvex/utilities/detail/query_pattern.hpp"
#include "arvex/utilities/export.hpp"
#include "arvex/utilities/full_path_api.hpp"
#include "arvex/utilities/uuid_map.hpp"
#include "arvex/utilities/uuid_map_entry.hpp"
#include "arvex/utilities/uuid_multi_map.hpp"
#include "arvex/utilities/uuid_to_uuid_map.hpp"
#include "arvex/utilities/uuid_to_uuid_map_entry.hpp"
#include "korm/zero/query.hpp"

namespace arvex::utilities {

// Each class has two constructors: one searching the given class in the given mode, and one
// searching the class itself (for AbstractQuery::withMode).
#define ARVEX_QUERY_CLASS_CONSTRUCTORS                                                 \
    Constrainables(korm::zero::query::AbstractQuery& query,                            \
                   korm::zero::meta::Class const& metaClass,                           \
                   korm::zero::query::SearchClassMatchMode mode);                      \
    explicit Constrainables(                                                           \
        std::pair<korm::zero::query::AbstractQuery&,                                   \
                  korm::zero::query::SearchClassMatchMode const> const& queryAndMode); \
    ~Constrainables() override

class ARVEX_UTILITIES_EXPORT UUIDMapEntry::Constrainables
    : public korm::zero::ModelElement::Constrainables {
  public:
    ARVEX_QUERY_CLASS_CONSTRUCTORS;
    detail::UuidConstrainable Key;
    detail::UuidConstrainable Value;
};

class ARVEX_UTILITIES_EXPORT UUIDToUUIDMapEntry::Constrainables
    : public korm::zero::ModelElement::Constrainables {
  public:
    ARVEX_QUERY_CLASS_CONSTRUCTORS;
    detail::UuidConstrainable Key;
    detail::RelationConstrainable<UUIDMap> Value;
};

class ARVEX_UTILITIES_EXPORT UUIDMap::Constrainables
    : public korm::zero::ModelElement::Constrainables {
  public:
    ARVEX_QUERY_CLASS_CONSTRUCTORS;
    detail::RelationConstrainable<UUIDMapEntry> Pairs;
};

class ARVEX_UTILITIES_EXPORT UUIDMultiMap::Constrainables
    : public korm::zero::ModelElement::Constrainables {
  public:
    ARVEX_QUERY_CLASS_CONSTRUCTORS;
    detail::RelationConstrainable<UUIDMapEntry> Pairs;
};

class ARVEX_UTILITIES_EXPORT UUIDToUUIDMap::Constrainables
    : public korm::zero::ModelElement::Constrainables {
  public:
    ARVEX_QUERY_CLASS_CONSTRUCTORS;
    detail::RelationConstrainable<UUIDToUUIDMapEntry> Pairs;
};

class ARVEX_UTILITIES_EXPORT FullPathAPI::Constrainables
    : public korm::zero::ModelElement::Constrainables {
  public:
    ARVEX_QUERY_CLASS_CONSTRUCTORS;
};

#undef ARVEX_QUERY_CLASS_CONSTRUCTORS

}  // namespace arvex::utilities
