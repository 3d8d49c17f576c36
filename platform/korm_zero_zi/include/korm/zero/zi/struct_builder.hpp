#pragma once

// Host values to framework values: UUID text, and element builders from init structs.

#include <boost/optional.hpp>
#include <boost/uuid/uuid.hpp>
#include <cstddef>
#include <memory>

#include "korm/zero/builder.hpp"
#include "korm/zero/meta/handles.hpp"
#include "korm/zero/model.hpp"
#include "korm/zero/value.hpp"
#include "korm/zero/zi/export.hpp"
#include "zolmar/zv_array.hpp"

namespace korm::zero::zi::detail {

/// The UUID of a host char array holding UUID text: 32 hexadecimal digits in either case with
/// hyphens after the 8th, 12th, 16th and 20th digit, the whole text consumed (Boost.Uuid stream
/// input through lexical_cast). Empty for anything else: null, an array of another class, text
/// that is no UUID or has characters left over, and text that is not well-formed UTF-16 (it is
/// refused, never read as the text that remains without its stray code units).
KORM_ZERO_ZI_EXPORT boost::optional<boost::uuids::uuid> extractUuid(zvArray const* value);

/// A framework value carrying one UUID, of the primitive type "UUID": the payload is a
/// boost::uuids::uuid, which is how element classes read UUID property values.
KORM_ZERO_ZI_EXPORT Value makeUuidValue(boost::uuids::uuid const& id);

/// A builder of `metaClass` for `model`, filled from element `index` of the struct array
/// `value` (the struct given to a constructor as its init value).
///
/// Each field of that element that is set must be named after a property of the class (own or
/// inherited, exact spelling); unset fields are skipped. What a field may hold depends on the
/// property:
///   - a single-valued property of the primitive type "UUID": UUID text (see extractUuid); the
///     builder receives it with setOrAdd(property, makeUuidValue(uuid));
///   - a containment whose type is a class: a struct array, each element of which becomes a
///     nested builder of the property's class (filled by the same rules, recursively), or a
///     cell array whose cells each hold such a struct array; the builder receives each nested
///     builder with setOrAdd(property, builder). A single-valued containment takes one.
///
/// Refused with korm0:messages:InvalidValue (the argument names the value or field): a value
/// that is no struct array, an index past its elements, a field named after no property, a
/// field whose value does not fit its property as above, and a property of any other kind.
/// A class without builder factory reports korm0:messages:NoBuilderForClass; what the class's
/// own builder reports for a value (UnknownProperty, CannotCastIncompatibleTypes) passes on.
/// Whatever is refused, every builder made so far is destroyed: nothing half-filled escapes.
KORM_ZERO_ZI_EXPORT std::unique_ptr<ModelElement::Builder> createBuilderFromStruct(
    zvArray const* value, std::size_t index, Model const& model, meta::Class const& metaClass);

/// As createBuilderFromStruct, for a value that may also be wrapped in a cell: a cell array
/// gives the builder of the first element of the struct array in cell `index`; any other
/// value is read as createBuilderFromStruct(value, index, ...) reads it. Refusals as there.
KORM_ZERO_ZI_EXPORT std::unique_ptr<ModelElement::Builder> createBuilderFromStructFirst(
    zvArray const* value, std::size_t index, Model const& model, meta::Class const& metaClass);

}  // namespace korm::zero::zi::detail
