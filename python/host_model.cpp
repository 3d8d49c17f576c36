// zolmar._host's model functions: a change listener that calls Python, and opening and saving
// model files with a progress callback from Python.
//
// A listener refers to its model without a reference, so that it never keeps a model alive;
// the model tells it when it goes (modelClosing), and the listener stops referring to it. A
// Python exception raised by the callback travels through the framework like any listener's
// exception: the other listeners are still told, the change stands, and the caller of the
// commit, undo or redo gets the exception, unchanged (see rethrowPythonError).

#include "host_model.hpp"

#include <pybind11/stl.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host_bridge.hpp"
#include "host_uuid.hpp"
#include "korm/zero/changes.hpp"
#include "korm/zero/meta/meta_objects.hpp"
#include "korm/zero/model_impl.hpp"
#include "korm/zero/zi/binding.hpp"

namespace py = pybind11;

namespace zolmar {

namespace {

using korm::zero::Model;
using korm::zero::ModelChangeEvent;
using korm::zero::ModelElement;

/// The name a change of the containment (index 0, which has no property) is given.
constexpr char const* CONTAINMENT = "<containment>";

py::list pythonUuids(std::vector<ModelElement> const& elements) {
    py::list ids;
    for (ModelElement const& element : elements) {
        ids.append(zolmar_host::pythonUuid(element->getUuid()));
    }
    return ids;
}

std::string propertyName(korm::zero::meta::Class const& metaClass, std::size_t index) {
    if (index == 0) {
        return CONTAINMENT;
    }
    auto const* record = korm::zero::meta::asClassImpl(metaClass);
    korm::zero::meta::Property const property =
        record != nullptr ? record->findPropertyByIndex(index) : korm::zero::meta::Property();
    return property.isEmpty() ? "#" + std::to_string(index)
                              : property.getPropertyImpl()->getName8();
}

/// (UUID, (property name, ...)) for each changed element, the names in index order.
py::list pythonChanges(ModelChangeEvent const& event) {
    py::list changed;
    for (auto const& changes : event.changed) {
        py::list names;
        for (std::size_t i = changes->nextChanged(0); i != ModelElement::Impl::NO_INDEX;
             i = changes->nextChanged(i + 1)) {
            names.append(propertyName(changes->getMetaClass(), i));
        }
        changed.append(
            py::make_tuple(zolmar_host::pythonUuid(changes->getUuid()), py::tuple(names)));
    }
    return changed;
}

char const* kindOf(ModelChangeEvent::Cause cause) {
    switch (cause) {
        case ModelChangeEvent::Cause::UNDO:
            return "undo";
        case ModelChangeEvent::Cause::REDO:
            return "redo";
        default:
            return "commit";
    }
}

/// Calls a Python callable with (kind, created, destroyed, changed) after each commit, undo
/// and redo of its model that changed something, until it is closed or the model goes.
class PythonListener final : public korm::zero::ModelListener {
  public:
    PythonListener(Model const& model, py::object callback)
        : m_model(model.getImpl()), m_callback(std::move(callback)) {
        m_model->addListener(this);
    }
    PythonListener(PythonListener const&) = delete;
    PythonListener& operator=(PythonListener const&) = delete;
    ~PythonListener() override { stopListening(); }

    /// Stops listening and lets go of the callable (which may refer to the subscription).
    void close() {
        stopListening();
        m_callback = py::none();
    }
    bool isClosed() const noexcept { return m_model == nullptr; }

    void modelChanged(ModelChangeEvent const& event) override {
        // The callable may close the subscription while it runs: it is kept until it returns.
        py::object const callback = m_callback;
        if (!isClosed()) {
            callback(kindOf(event.cause), pythonUuids(event.created), pythonUuids(event.destroyed),
                     pythonChanges(event));
        }
    }
    // No Python object is touched here: the model may go wherever its last handle is dropped.
    void modelClosing(Model::Impl const& /*model*/) noexcept override { m_model = nullptr; }

  private:
    void stopListening() noexcept {
        if (m_model != nullptr) {
            m_model->removeListener(this);
            m_model = nullptr;
        }
    }

    Model::Impl* m_model;
    py::object m_callback;
};

/// The model of a host model object; ValueError for a closed one.
Model modelOfArray(py::handle array) {
    Model model = korm::zero::zi::modelOf(hostArrayOf(array));
    if (!model) {
        throw py::value_error("the model is closed");
    }
    return model;
}

korm::zero::Progress progressOf(py::object const& callback) {
    if (callback.is_none()) {
        return {};
    }
    return [callback](std::size_t done, std::size_t total) { callback(done, total); };
}

}  // namespace

void rethrowPythonError(std::exception_ptr const& cause) {
    if (!cause) {
        return;
    }
    try {
        std::rethrow_exception(cause);
    } catch (py::error_already_set const&) {
        throw;
    } catch (...) {
    }
}

void defineModelFunctions(py::module_& m) {
    py::class_<PythonListener>(m, "Subscription")
        .def("close", &PythonListener::close)
        .def_property_readonly("closed", &PythonListener::isClosed)
        .def("__enter__", [](py::object self) { return self; })
        .def("__exit__", [](PythonListener& self, py::args) {
            self.close();
            return false;
        });
    m.def(
        "listen",
        [](py::handle model, py::object callback) {
            return std::make_unique<PythonListener>(modelOfArray(model), std::move(callback));
        },
        py::arg("model"), py::arg("callback"));
    m.def(
        "open_model",
        [](std::string const& path, py::object const& progress) {
            olan::Value bound;
            runAsHostCall([&] {
                bound = korm::zero::zi::bindModel(Model::open(path, progressOf(progress)));
            });
            return pythonValueOf(std::move(bound));
        },
        py::arg("path"), py::arg("progress") = py::none());
    m.def(
        "save_model",
        [](py::handle model, std::optional<std::string> const& path, py::object const& progress) {
            Model const saved = modelOfArray(model);
            korm::zero::Progress const callback = progressOf(progress);
            runAsHostCall([&] { path ? saved.save(*path, callback) : saved.save(callback); });
        },
        py::arg("model"), py::arg("path") = py::none(), py::arg("progress") = py::none());
}

}  // namespace zolmar
