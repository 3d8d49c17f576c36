// The host class "korm.zero.Model": a model as a host object.
//
//   Model(opt_name)          creates a new, empty model (a non-empty name registers it as an
//                            open model under that name)
//   open(path)               static -> korm.zero.Model: the model of the model file at path
//                            (Model::open). A file whose model is open already gives that
//                            model's host object (closed, if it was closed). A refused file
//                            reports the framework's ModelFile* message and gives no model.
//   save(self, opt_path)     writes the model to the file at path, which the model keeps (open
//                            and locked against other processes) for later saves; without a
//                            path, what changed since the last save to that file
//                            (ModelHasNoFile when there is none). A refusal reports
//                            ModelFileCannotWrite (ModelFileInUse for a file another process
//                            holds) and changes nothing; a transaction opened through the host
//                            and still open is refused so, since a file holds committed states
//                            only.
//   hasUnsavedChanges(self)  -> logical scalar: whether a commit, undo or redo changed the model
//                            since it was created, opened or last saved
//   property "Name"          read-only, the model's name
//   beginTransaction(self)   opens a transaction (nested in the ones this object opened)
//   commit(self)             commits the innermost transaction this object opened
//   rollback(self)           rolls it back
//   undo(self), redo(self)   one step of the model's history
//   canUndo(self), canRedo(self) -> logical scalar
//   getElementCount(self)    -> double scalar: the number of live elements
//   findElement(self, uuid)  -> korm.zero.ModelElement: the live element with that UUID text
//                            (the empty object when there is none; bad text: InvalidValue)
//   close(self)              rolls back the transactions this object opened and marks the
//                            model as not usable: modelOf() answers no model for it from then
//                            on, so that bindings refuse to create elements in it
//
// One host object per model: the object's native pointer is a record of this library (model
// handle, the transactions opened through the host, the usable flag), found again by model.
// Dropping the object rolls back the transactions it left open and releases the model.

#include <unordered_map>
#include <vector>

#include "internal.hpp"
#include "korm/zero/model_impl.hpp"
#include "korm/zero/transaction.hpp"
#include "korm/zero/zi/binding.hpp"
#include "korm/zero/zi/struct_builder.hpp"
#include "korm/zero/zi/value_text.hpp"
#include "olan/factory/binding_registry.hpp"
#include "olan/factory/class_info.hpp"
#include "olan/factory/strings.hpp"
#include "olan/interned.hpp"
#include "tarsk/core/text.hpp"

namespace korm::zero::zi {

namespace {

using olan::Value;
using olan::factory::basic::BindingRegistry;

struct HostModel {
    explicit HostModel(Model m) : model(std::move(m)) {}
    HostModel(HostModel const&) = delete;
    HostModel& operator=(HostModel const&) = delete;
    ~HostModel() { rollbackAll(); }

    void rollbackAll() noexcept {
        // Innermost first: transactions end in the reverse order of their beginning.
        while (!open.empty()) {
            open.pop_back();
        }
    }

    Model model;
    std::vector<Transaction> open;
    bool usable = true;
};

// The record of each model that has a host object (host thread only).
std::unordered_map<Model::Impl const*, HostModel*>& hostModels() {
    static auto* records = new std::unordered_map<Model::Impl const*, HostModel*>;
    return *records;
}

olan::InternedName modelClassName() {
    return olan::internal::makeInterned(ModelClassName);
}

HostModel& self(int inputCount, zvArray const* const* inputs) {
    return *static_cast<HostModel*>(internal::selfPointer(inputCount, inputs, ModelClassName));
}

void construct(int& outputCount, Value* outputs, int inputCount, zvArray const* const* inputs) {
    std::u16string const name =
        inputCount > 0 ? olan::factory::extractString(inputs[0]) : std::u16string();
    auto record = std::make_unique<HostModel>(Model::create(name));
    auto& records = hostModels();
    records.emplace(record->model.getImpl(), record.get());
    try {
        BindingRegistry::announceForConstructor(record.get(), modelClassName(), outputs[0], true);
    } catch (...) {
        records.erase(record->model.getImpl());
        throw;
    }
    record.release();  // the binding's now; destroy-instance deletes it
    outputCount = 1;
}

Value nameProperty(olan::Object& object) {
    auto* record = static_cast<HostModel*>(object.primaryPointer());
    olan::factory::impl::validateSelfPointer(record);
    return Value(zvCreateString_UTF16(record->model->getName()));
}

void beginTransaction(int& outputCount, Value*, int inputCount, zvArray const* const* inputs) {
    HostModel& record = self(inputCount, inputs);
    record.open.push_back(record.model.beginTransaction());
    outputCount = 0;
}

Transaction innermost(HostModel& record) {
    if (record.open.empty()) {
        internal::invalidValue("count of open transactions of model \"" +
                                   tarsk::core::text::toUtf8Lossy(record.model->getName()) + "\"",
                               std::int64_t{0},
                               "commit and rollback end the innermost one opened through the host");
    }
    Transaction transaction = std::move(record.open.back());
    record.open.pop_back();
    return transaction;
}

void commit(int& outputCount, Value*, int inputCount, zvArray const* const* inputs) {
    innermost(self(inputCount, inputs)).commit();
    outputCount = 0;
}

void rollback(int& outputCount, Value*, int inputCount, zvArray const* const* inputs) {
    static_cast<void>(innermost(self(inputCount, inputs)));
    outputCount = 0;
}

void undo(int& outputCount, Value*, int inputCount, zvArray const* const* inputs) {
    self(inputCount, inputs).model.undo();
    outputCount = 0;
}

void redo(int& outputCount, Value*, int inputCount, zvArray const* const* inputs) {
    self(inputCount, inputs).model.redo();
    outputCount = 0;
}

void canUndo(int& outputCount, Value* outputs, int inputCount, zvArray const* const* inputs) {
    internal::setOutput(outputCount, outputs, self(inputCount, inputs).model.canUndo());
}

void canRedo(int& outputCount, Value* outputs, int inputCount, zvArray const* const* inputs) {
    internal::setOutput(outputCount, outputs, self(inputCount, inputs).model.canRedo());
}

void getElementCount(int& outputCount, Value* outputs, int inputCount,
                     zvArray const* const* inputs) {
    double const count = static_cast<double>(self(inputCount, inputs).model->getElementCount());
    internal::setOutput(outputCount, outputs, Value(zvCreateDouble(count)));
}

// The path of a file as UTF-8. An unpaired surrogate has no UTF-8 form: converting it
// leniently would name another file, so it is refused.
std::string pathOf(zvArray const* value) {
    std::u16string const path = olan::factory::extractString(value);
    if (!tarsk::core::text::isWellFormed(path)) {
        internal::invalidValue("model file path", tarsk::core::text::toUtf8Lossy(path),
                               "well-formed text");
    }
    return tarsk::core::text::toUtf8(path);
}

// The host has checked the input count against the signature.
void open(int& outputCount, Value* outputs, int, zvArray const* const* inputs) {
    internal::setOutput(outputCount, outputs, bindModel(Model::open(pathOf(inputs[0]))));
}

void save(int& outputCount, Value*, int inputCount, zvArray const* const* inputs) {
    HostModel& record = self(inputCount, inputs);
    if (inputCount > 1) {
        record.model.save(pathOf(inputs[1]));
    } else {
        record.model.save();
    }
    outputCount = 0;
}

void hasUnsavedChanges(int& outputCount, Value* outputs, int inputCount,
                       zvArray const* const* inputs) {
    internal::setOutput(outputCount, outputs, self(inputCount, inputs).model.hasUnsavedChanges());
}

void findElement(int& outputCount, Value* outputs, int inputCount, zvArray const* const* inputs) {
    HostModel& record = self(inputCount, inputs);
    boost::optional<boost::uuids::uuid> const id = detail::extractUuid(inputs[1]);
    if (!id) {
        internal::invalidValue("element UUID", detail::describeValue(inputs[1]),
                               korm0::messages::UUID_TEXT_FORM);
    }
    ModelElement const found = record.model.findElement(*id);
    internal::setOutput(outputCount, outputs, bindElement(found.getImpl(), ModelElementClassName));
}

void close(int& outputCount, Value*, int inputCount, zvArray const* const* inputs) {
    HostModel& record = self(inputCount, inputs);
    record.rollbackAll();
    record.usable = false;
    outputCount = 0;
}

class ModelClass final : public olan::factory::HandleClassInfo<HostModel, false> {
  public:
    ModelClass() : HandleClassInfo("Model", ModelClassName) {}

    std::string getDescription() const override {
        return "A model: a tree of elements changed in transactions, with a history to undo and "
               "redo, that can be saved to a model file and opened again.";
    }

    void defineMembers(olan::COSClassDefinition& definition) override {
        using internal::addMethod;
        olan::factory::detail::initStringDataTypes();
        std::string const self = ModelClassName;
        addMethod(definition, "Model",
                  "Creates a new, empty model; a non-empty name registers it as an open model "
                  "under that name.",
                  0, &construct, 1, "opt_name", self, "char");
        internal::addReadOnlyProperty(definition, "Name", "The model's name.", &nameProperty,
                                      olan::factory::detail::StringScalarType);
        addMethod(definition, "beginTransaction",
                  "Opens a transaction, nested in the ones this object opened; commit or rollback "
                  "ends it.",
                  0, &beginTransaction, 0, "obj", "void", self);
        addMethod(definition, "commit", "Commits the innermost transaction this object opened.", 0,
                  &commit, 0, "obj", "void", self);
        addMethod(definition, "rollback",
                  "Rolls back the innermost transaction this object opened.", 0, &rollback, 0,
                  "obj", "void", self);
        addMethod(definition, "undo", "Undoes the last step of the model's history.", 0, &undo, 0,
                  "obj", "void", self);
        addMethod(definition, "redo", "Redoes the last step undone.", 0, &redo, 0, "obj", "void",
                  self);
        addMethod(definition, "canUndo", "Tells whether the model's history has a step to undo.", 0,
                  &canUndo, 0, "obj", "logical scalar", self);
        addMethod(definition, "canRedo", "Tells whether the model's history has a step to redo.", 0,
                  &canRedo, 0, "obj", "logical scalar", self);
        addMethod(definition, "getElementCount", "The number of live elements of the model.", 0,
                  &getElementCount, 0, "obj", "double scalar", self);
        addMethod(
            definition, "findElement",
            "The live element with the given UUID text, or the empty object when there is none.", 0,
            &findElement, 0, "obj uuid", ModelElementClassName, self, "char");
        addMethod(definition, "close",
                  "Rolls back the transactions this object opened and marks the model as not "
                  "usable: no element can be created in it from then on.",
                  0, &close, 0, "obj", "void", self);
        addMethod(definition, "open",
                  "Opens the model file at path and gives its model; a file whose model is open "
                  "already gives that model.",
                  olan::factory::MethodAttributes::Static, &open, 0, "path", self, "char");
        addMethod(definition, "save",
                  "Writes the model to the file at path, which the model keeps for later saves; "
                  "without a path, writes what changed since the last save to that file.",
                  0, &save, 1, "obj opt_path", "void", self, "char");
        addMethod(definition, "hasUnsavedChanges",
                  "Tells whether a commit, undo or redo changed the model since it was created, "
                  "opened or last saved.",
                  0, &hasUnsavedChanges, 0, "obj", "logical scalar", self);
    }
    bool requiresNativeBinding() const override { return true; }

  protected:
    void destroyNativeInstance(HostModel* record) override {
        if (BindingRegistry::remove(record) && record != nullptr) {
            hostModels().erase(record->model.getImpl());
            delete record;
        }
    }
};

}  // namespace

olan::Value bindModel(Model const& model) {
    if (!model) {
        bool isNew = false;
        return BindingRegistry::announce(nullptr, modelClassName(), isNew);
    }
    auto& records = hostModels();
    auto found = records.find(model.getImpl());
    if (found != records.end()) {
        bool isNew = false;
        return BindingRegistry::announce(found->second, modelClassName(), isNew);
    }
    auto record = std::make_unique<HostModel>(model);
    records.emplace(model.getImpl(), record.get());
    try {
        bool isNew = false;
        Value bound = BindingRegistry::announce(record.get(), modelClassName(), isNew);
        record.release();  // the binding's now; destroy-instance deletes it
        return bound;
    } catch (...) {
        records.erase(model.getImpl());
        throw;
    }
}

Model modelOf(zvArray const* value) {
    olan::Object const* const object = omGetArrayElement(value, 0);
    auto const* record =
        object != nullptr
            ? static_cast<HostModel const*>(object->getNativePointer(modelClassName()))
            : nullptr;
    return record != nullptr && record->usable ? record->model : Model();
}

namespace internal {

olan::COSClassInfo* createModelClass() {
    return new ModelClass;
}

}  // namespace internal

}  // namespace korm::zero::zi
