// Python's uuid.UUID and the framework's UUIDs, both ways (see host_uuid.hpp).

#include "host_uuid.hpp"

#include <boost/lexical_cast/bad_lexical_cast.hpp>

#include <string_view>
#include <typeinfo>

#include "korm/zero/uuid_text.hpp"

namespace py = pybind11;

namespace zolmar_host {

namespace {

/// What making and reading uuid.UUID objects needs, looked up once and kept for the life of the
/// process (never released: the interpreter may be finalising when statics are destroyed).
struct UuidClass {
    PyTypeObject* type = nullptr;
    PyObject* intSlot = nullptr;     // the `int` member descriptor
    PyObject* isSafeSlot = nullptr;  // the `is_safe` member descriptor
    PyObject* unknownSafety = nullptr;

    static UuidClass const& get() {
        static UuidClass const* const found = [] {
            auto* made = new UuidClass;
            py::module_ const module = py::module_::import("uuid");
            py::object type = module.attr("UUID");
            py::dict const slots = type.attr("__dict__");
            made->type = reinterpret_cast<PyTypeObject*>(type.release().ptr());
            made->intSlot = py::object(slots["int"]).release().ptr();
            made->isSafeSlot = py::object(slots["is_safe"]).release().ptr();
            made->unknownSafety =
                py::object(module.attr("SafeUUID").attr("unknown")).release().ptr();
            return made;
        }();
        return *found;
    }
};

bool isPythonUuid(PyObject* object) {
    return PyObject_TypeCheck(object, UuidClass::get().type) != 0;
}

void setSlot(PyObject* descriptor, PyObject* object, PyObject* value) {
    if (Py_TYPE(descriptor)->tp_descr_set(descriptor, object, value) != 0) {
        throw py::error_already_set();
    }
}

}  // namespace

std::optional<boost::uuids::uuid> uuidOfPython(PyObject* object) {
    if (!isPythonUuid(object)) {
        return std::nullopt;
    }
    PyObject* const descriptor = UuidClass::get().intSlot;
    auto const number = py::reinterpret_steal<py::object>(
        Py_TYPE(descriptor)->tp_descr_get(descriptor, object, nullptr));
    if (!number || !PyLong_Check(number.ptr())) {
        throw py::type_error("a uuid.UUID without its integer value");
    }
    boost::uuids::uuid id{};
#if PY_VERSION_HEX >= 0x030D0000
    int const failed = _PyLong_AsByteArray(reinterpret_cast<PyLongObject*>(number.ptr()), id.data,
                                           sizeof id.data, 0, 0, 1);
#else
    int const failed = _PyLong_AsByteArray(reinterpret_cast<PyLongObject*>(number.ptr()), id.data,
                                           sizeof id.data, 0, 0);
#endif
    if (failed != 0) {
        throw py::error_already_set();
    }
    return id;
}

std::optional<std::u16string> uuidTextOfPython(PyObject* object) {
    if (auto const id = uuidOfPython(object)) {
        return korm::zero::uuidText16(*id);
    }
    return std::nullopt;
}

py::object pythonUuid(boost::uuids::uuid const& id) {
    UuidClass const& uuid = UuidClass::get();
    auto const number =
        py::reinterpret_steal<py::object>(_PyLong_FromByteArray(id.data, sizeof id.data, 0, 0));
    auto made = py::reinterpret_steal<py::object>(uuid.type->tp_alloc(uuid.type, 0));
    if (!number || !made) {
        throw py::error_already_set();
    }
    setSlot(uuid.intSlot, made.ptr(), number.ptr());
    setSlot(uuid.isSafeSlot, made.ptr(), uuid.unknownSafety);
    // An immutable holder of an int and an enum member cannot be part of a reference cycle:
    // left untracked, the many made for one read cost the cyclic collector nothing, as the
    // interpreter does for tuples of atoms.
    PyObject_GC_UnTrack(made.ptr());
    return made;
}

boost::uuids::uuid uuidOfInput(py::handle input) {
    PyObject* const object = input.ptr();
    if (PyUnicode_Check(object)) {
        Py_ssize_t size = 0;
        char const* const text = PyUnicode_AsUTF8AndSize(object, &size);
        if (text == nullptr) {
            throw py::error_already_set();
        }
        // Non-ASCII text has more UTF-8 bytes than characters and is refused by the parser.
        if (auto const id =
                korm::zero::parseUuidText(std::string_view(text, static_cast<std::size_t>(size)))) {
            return *id;
        }
        throw boost::bad_lexical_cast(typeid(std::u16string), typeid(boost::uuids::uuid));
    }
    if (auto const id = uuidOfPython(object)) {
        return *id;
    }
    throw py::type_error(std::string("a UUID is a uuid.UUID or its text, not ") +
                         Py_TYPE(object)->tp_name);
}

}  // namespace zolmar_host
