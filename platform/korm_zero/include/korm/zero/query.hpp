#pragma once

// Model queries: declared here for the element layer; defined with the queries.

#include "korm/zero/export.hpp"
#include "korm/zero/meta/handles.hpp"
#include "korm/zero/model_element.hpp"

namespace korm::zero::query {

/// How a query matches an element's class against the searched class.
enum class SearchClassMatchMode {
    /// The element's class conforms to the searched class (it or a subclass).
    CONFORMING,
    /// The element's class is the searched class itself.
    EXACT,
};

class AbstractQuery;

/// What a constrainable is bound to: the query itself, or a class.
class InstanceAttachment;
template <class Handle>
class MetaclassAttachment;

template <class T, class Attachment>
class ConstrainableWithAttachment;
template <class Handle, class Attachment>
class ConstrainableRelationWithAttachment;

}  // namespace korm::zero::query

namespace korm::zero {

/// The base of the generated query classes.
class KORM_ZERO_EXPORT ModelElement::Constrainables {
  public:
    Constrainables(query::AbstractQuery& query, meta::Class const& metaClass,
                   query::SearchClassMatchMode mode);
    virtual ~Constrainables();
};

}  // namespace korm::zero
