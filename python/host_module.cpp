// zolmar._host: the host's call interface for Python. Host arrays travel as `Array` objects that
// own one host array each; the pure-Python package on top converts them to and from Python values
// and builds Python classes from the class descriptions.

#include <dlfcn.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host_bridge.hpp"
#include "host_collections.hpp"
#include "host_errors.hpp"
#include "host_model.hpp"
#include "host_uuid.hpp"
#include "korm/zero/element_impl.hpp"
#include "olan/olan.hpp"

namespace py = pybind11;
namespace host = olan::host;
using olan::Value;

namespace {

/// One owned host array (shared so that Python may hold it from several places).
struct Array {
    std::shared_ptr<Value> value;
    explicit Array(zvArray* owned) : value(std::make_shared<Value>(owned)) {}
    const zvArray* get() const { return value->get(); }
};

/// The error Python sees for a host error: (identifier, text, is_malformed_uuid).
py::object hostErrorFactory;

host::Inputs inputsOf(const std::vector<Array>& arrays) {
    host::Inputs inputs;
    inputs.reserve(arrays.size());
    for (const Array& a : arrays)
        inputs.push_back(a.get());
    return inputs;
}

Array makeCell(const std::vector<Array>& items) {
    Array cell(zvCreateCellArray(2, {std::size_t{1}, items.size()}));
    for (std::size_t i = 0; i < items.size(); ++i) {
        zvSetCell(cell.value->get(), i, zvDuplicateArray(items[i].get()));
    }
    return cell;
}

Array makeStruct(const std::vector<std::pair<std::string, Array>>& fields) {
    Array s(zvCreateStruct({}));
    for (const auto& [name, item] : fields) {
        zvSetField(s.value->get(), 0, name, zvDuplicateArray(item.get()));
    }
    return s;
}

/// The Python value of a text, logical or double array: text as a str; no element as None, one
/// as a scalar, more as a list. Nothing for arrays of other classes.
std::optional<py::object> plainValue(const zvArray* array) {
    std::size_t const n = zvGetElementCount(array);
    auto const scalars = [&](auto element) -> py::object {
        if (n == 0)
            return py::none();
        if (n == 1)
            return py::cast(element(0));
        py::list items;
        for (std::size_t i = 0; i < n; ++i)
            items.append(element(i));
        return items;
    };
    switch (zvGetClassCode(array) & ~zvFlagLent) {
        case zvCodeChar: {
            std::u16string const text = zvGetString_UTF16(array);
            return py::reinterpret_steal<py::object>(
                PyUnicode_DecodeUTF16(reinterpret_cast<const char*>(text.data()),
                                      static_cast<Py_ssize_t>(text.size() * 2), nullptr, nullptr));
        }
        case zvCodeLogical:
            return scalars([array](std::size_t i) { return zvGetLogical(array, i); });
        case zvCodeDouble:
            return scalars([array](std::size_t i) { return zvGetDouble(array, i); });
        default:
            return std::nullopt;
    }
}

/// Python's view of an array: (kind, payload) with the payload a Python value for text and
/// scalars (see plainValue), a list of Arrays for cells, a dict of Arrays for a 1-by-1 struct.
py::object unpack(const Array& a) {
    const zvArray* array = a.get();
    if (array == nullptr)
        return py::make_tuple("empty", py::none());
    std::size_t const n = zvGetElementCount(array);
    switch (zvGetClassCode(array) & ~zvFlagLent) {
        case zvCodeChar:
            return py::make_tuple("char", *plainValue(array));
        case zvCodeLogical:
            return py::make_tuple("logical", *plainValue(array));
        case zvCodeDouble:
            return py::make_tuple("double", *plainValue(array));
        case zvCodeCell: {
            py::list items;
            for (std::size_t i = 0; i < n; ++i) {
                const zvArray* c = zvGetCell(array, i);
                items.append(Array(c == nullptr ? zvCreateEmpty() : zvDuplicateArray(c)));
            }
            return py::make_tuple("cell", items);
        }
        case zvCodeStruct: {
            py::dict fields;
            if (n == 1) {
                for (int f = 0; f < zvGetFieldCount(array); ++f) {
                    std::string const name = zvGetFieldName(array, f);
                    const zvArray* v = zvGetField(array, 0, name);
                    fields[py::str(name)] =
                        Array(v == nullptr ? zvCreateEmpty() : zvDuplicateArray(v));
                }
            }
            return py::make_tuple("struct", fields);
        }
        case zvCodeObject:
            return py::make_tuple("object", py::none());
        default:
            return py::make_tuple("unknown", py::none());
    }
}

/// The package's converters for what the fast path below leaves to Python (objects, lists,
/// dicts; arrays other than text and scalars).
py::object toHostFallback;
py::object fromHostFallback;

/// The host array of a Python text, bool, int, float or None; nothing for any other value.
/// Text that UTF-16 cannot hold (a lone surrogate) raises UnicodeEncodeError, an int too large
/// for a double OverflowError.
std::optional<Value> scalarInput(py::handle value) {
    PyObject* const object = value.ptr();
    if (PyUnicode_Check(object)) {
        Py_ssize_t size = 0;
        if (PyUnicode_IS_ASCII(object)) {
            // ASCII widens to UTF-16 unit for unit: no decoding.
            char const* const data = PyUnicode_AsUTF8AndSize(object, &size);
            return Value(zvCreateString_UTF16(std::u16string(data, data + size)));
        }
        auto const bytes = py::reinterpret_steal<py::object>(
            PyUnicode_AsEncodedString(object, "utf-16-le", "strict"));
        if (!bytes) {
            throw py::error_already_set();
        }
        char* data = nullptr;
        PyBytes_AsStringAndSize(bytes.ptr(), &data, &size);
        std::u16string text(static_cast<std::size_t>(size) / 2, u'\0');
        std::memcpy(text.data(), data, text.size() * 2);
        return Value(zvCreateString_UTF16(text));
    }
    if (PyBool_Check(object)) {
        return Value(zvCreateLogical(object == Py_True));
    }
    if (PyFloat_Check(object) || PyLong_Check(object)) {
        double const number = PyFloat_AsDouble(object);
        if (number == -1.0 && PyErr_Occurred() != nullptr) {
            throw py::error_already_set();
        }
        return Value(zvCreateDouble(number));
    }
    if (object == Py_None) {
        return Value(zvCreateEmpty());
    }
    if (auto text = zolmar_host::uuidTextOfPython(object)) {  // a uuid.UUID travels as its text
        return Value(zvCreateString_UTF16(*text));
    }
    return std::nullopt;
}

/// The host array of a call input: scalarInput where it applies, else the package's to_host,
/// whose Array is kept in `keep` for the length of the call.
const zvArray* hostInput(py::handle value, std::vector<Value>& made, std::vector<Array>& keep) {
    if (auto scalar = scalarInput(value)) {
        made.push_back(std::move(*scalar));
        return made.back().get();
    }
    keep.push_back(toHostFallback(value).cast<Array>());
    return keep.back().get();
}

/// The Python value of a call's output: plainValue where it applies, else the package's
/// from_host.
py::object pythonOutput(Value& output) {
    if (output.get() != nullptr) {
        if (auto plain = plainValue(output.get())) {
            return *plain;
        }
    }
    return fromHostFallback(Array(output.release()));
}

/// Runs `f`, turning a host error into the Python error the package registered.
template <class F>
auto guarded(F&& f) -> decltype(f()) {
    try {
        return f();
    } catch (const olan::HostError& e) {
        zolmar::rethrowPythonError(e.cause());  // a Python callback's error goes up unchanged
        if (!hostErrorFactory)
            throw;
        py::object error =
            hostErrorFactory(e.identifier(), e.what(), zolmar::isMalformedUuid(e.cause()));
        PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(error.ptr())), error.ptr());
        throw py::error_already_set();
    }
}

}  // namespace

namespace zolmar {

zvArray const* hostArrayOf(py::handle array) {
    return array.cast<Array const&>().get();
}

py::object pythonValueOf(olan::Value value) {
    return pythonOutput(value);
}

void runAsHostCall(std::function<void()> const& call) {
    guarded([&] {
        try {
            call();
        } catch (py::error_already_set const&) {
            throw;
        } catch (py::builtin_exception const&) {
            throw;
        } catch (olan::HostError const&) {
            throw;
        } catch (std::exception const& e) {
            throw olan::host::translateError(e, std::current_exception());
        }
    });
}

}  // namespace zolmar

PYBIND11_MODULE(_host, m) {
    m.doc() = "The host's call interface: classes, objects, calls and host arrays.";
    m.attr("__version__") = ZOLMAR_VERSION;
    // Where an installed tree keeps the libraries, relative to this extension's directory.
    m.attr("installed_library_dir") = ZOLMAR_INSTALLED_LIBRARY_DIR;

    py::class_<Array>(m, "Array")
        .def("unpack", &unpack)
        .def("class_name", [](const Array& a) { return host::className(a.get()); })
        .def("object_id",
             [](const Array& a) {
                 return reinterpret_cast<std::uintptr_t>(omGetArrayElement(a.get(), 0));
             })
        .def("isa", [](const Array& a, const std::string& c) { return host::isa(a.get(), c); });

    m.def("set_error_factory", [](py::object f) { hostErrorFactory = std::move(f); });
    zolmar::defineErrorHelpers(m);
    // The Python objects held here are released while the interpreter still runs: released by
    // the process's exit handlers, after it has finalized, the last of them would be freed
    // without an interpreter.
    py::module_::import("atexit").attr("register")(py::cpp_function([] {
        hostErrorFactory = py::object();
        toHostFallback = py::object();
        fromHostFallback = py::object();
    }));
    m.def("load", [](const std::string& file, const std::string& name) {
        void* const library = dlopen(file.c_str(), RTLD_NOW | RTLD_GLOBAL);
        if (library == nullptr)
            throw std::runtime_error(dlerror());
        auto const initialise =
            reinterpret_cast<void (*)()>(dlsym(library, ("ZRInitialize_" + name).c_str()));
        if (initialise == nullptr)
            throw std::runtime_error("no entry point ZRInitialize_" + name);
        guarded([&] { initialise(); });
    });

    m.def("scalar", [](py::handle value) {
        auto scalar = scalarInput(value);
        if (!scalar) {
            throw py::type_error(std::string("no host value for ") + Py_TYPE(value.ptr())->tp_name);
        }
        return Array(scalar->release());
    });
    m.def("cell", &makeCell);
    m.def("struct", &makeStruct);

    m.def("package", [](const std::string& name) -> py::object {
        auto p = host::findPackage(name);
        if (!p)
            return py::none();
        return py::make_tuple(p->classes, p->subPackages);
    });
    m.def("describe_class", [](const std::string& name) {
        auto const c = guarded([&] { return host::describeClass(name); });
        py::list members;
        for (const auto& mem : c.members) {
            py::dict d;
            d["kind"] = static_cast<int>(mem.kind);
            d["name"] = mem.name;
            d["description"] = mem.description;
            d["static"] = mem.isStatic;
            d["hidden"] = mem.isHidden;
            d["read_only"] = mem.isReadOnly;
            d["type"] = mem.type;
            d["arguments"] = mem.signature.argumentNames;
            d["input_types"] = mem.signature.inputTypes;
            d["output_type"] = mem.signature.outputType;
            d["optional"] = mem.signature.optionalInputCount;
            members.append(d);
        }
        py::dict d;
        d["name"] = c.name;
        d["qualified_name"] = c.qualifiedName;
        d["description"] = c.description;
        d["abstract"] = c.isAbstract;
        d["superclasses"] = c.superclasses;
        d["members"] = members;
        return d;
    });

    m.def("construct", [](const std::string& cls, const std::vector<Array>& in) {
        return guarded([&] { return Array(host::construct(cls, inputsOf(in)).release()); });
    });
    auto const outputsOf = [](host::CallResult r) {
        std::vector<Array> out;
        for (Value& v : r.outputs)
            out.emplace_back(v.release());
        return out;
    };
    m.def("call", [outputsOf](const std::string& cls, const std::string& method,
                              const std::vector<Array>& in, int n) {
        return guarded([&] { return outputsOf(host::call(cls, method, inputsOf(in), n)); });
    });
    m.def("call_on", [outputsOf](const Array& self, const std::string& method,
                                 const std::vector<Array>& in, int n) {
        return guarded(
            [&] { return outputsOf(host::callOn(self.get(), method, inputsOf(in), n)); });
    });
    m.def("set_converters", [](py::object toHost, py::object fromHost) {
        toHostFallback = std::move(toHost);
        fromHostFallback = std::move(fromHost);
    });
    // A method call with Python values in and out, for the package's methods: the inputs are
    // converted as they are read and the one output (if any) comes back as a Python value.
    m.def("call_method", [](const Array& self, const std::string& method, py::tuple args, int n) {
        std::vector<Value> made;
        std::vector<Array> keep;
        made.reserve(args.size());
        host::Inputs inputs;
        inputs.reserve(args.size());
        for (py::handle arg : args) {
            inputs.push_back(hostInput(arg, made, keep));
        }
        host::CallResult result =
            guarded([&] { return host::callOn(self.get(), method, inputs, n); });
        return result.outputs.empty() ? py::none() : pythonOutput(result.outputs.front());
    });
    m.def("get_property", [](const Array& self, const std::string& name) {
        return guarded([&] { return Array(host::getProperty(self.get(), name).release()); });
    });
    m.def("set_property", [](const Array& self, const std::string& name, const Array& v) {
        guarded([&] { host::setProperty(self.get(), name, v.get()); });
    });
    zolmar::defineModelFunctions(m);
    zolmar_host::registerCollections(m);
    m.def("live_object_count", [] { return host::liveObjectCount(); });
    m.def("live_element_count", [] { return korm::zero::ElementImpl::liveRecordCount(); });
}
