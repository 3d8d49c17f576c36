#pragma once

// Python's uuid.UUID and the framework's UUIDs, both ways, without going through text or
// uuid.UUID's constructor: a uuid.UUID is its 128-bit `int` slot, big-endian as the UUID's bytes.

#include <pybind11/pybind11.h>

#include <boost/uuid/uuid.hpp>

#include <optional>
#include <string>

namespace zolmar_host {

/// The UUID of a uuid.UUID object (or of a subclass); nothing for any other object.
std::optional<boost::uuids::uuid> uuidOfPython(PyObject* object);

/// The lower-case UUID text of a uuid.UUID object, for the host's text inputs; nothing for any
/// other object.
std::optional<std::u16string> uuidTextOfPython(PyObject* object);

/// A new uuid.UUID of `id`. Made as uuid.UUID's own pickling does: an instance allocated
/// without running the constructor, its `int` and `is_safe` slots set through their
/// descriptors, which bypass the class's refusing __setattr__.
pybind11::object pythonUuid(boost::uuids::uuid const& id);

/// The UUID of a key or value given from Python: a uuid.UUID, or text in the framework's one
/// UUID form (36 characters, hyphenated, either case). Malformed text raises
/// boost::bad_lexical_cast, as a host method's UUID input does; anything else TypeError.
boost::uuids::uuid uuidOfInput(pybind11::handle input);

}  // namespace zolmar_host
