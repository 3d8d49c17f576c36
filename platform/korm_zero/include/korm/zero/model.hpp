#pragma once

// Model: the counted handle of a model, with the freeze guards. Model::Impl is in
// model_impl.hpp.

#include <boost/uuid/uuid.hpp>
#include <cstddef>
#include <string>

#include "korm/zero/export.hpp"
#include "korm/zero/fwd.hpp"
#include "korm/zero/progress.hpp"

namespace korm::zero {

namespace detail {
class ProgressCounter;
}

/// What Model::Impl::findElement looks at.
enum FindElementBehavior : int {
    /// Only live elements (announced, not destroyed, not proxies).
    FIND_LIVE = 0,
    /// Live elements first; otherwise the element most recently removed under that UUID that
    /// undo or redo can still bring back (destroyed, or with its creation undone). Such an
    /// element is returned with its validity flag clear.
    FIND_INCLUDING_REMOVED = 1,
};

/// A counted handle of a model. Copying takes a reference; the model lives while a handle, a
/// transaction or an element being built refers to it. Elements of the model do not keep it
/// alive: when the model goes away its elements become invalid and detached.
///
/// A model and its elements are used from one thread at a time; handles may be copied and
/// dropped on any thread.
class KORM_ZERO_EXPORT Model {
  public:
    class Impl;
    class Freezer;
    class Thawer;

    /// A new, empty, usable model. A non-empty name registers the model as open under that
    /// name (see OpenModels), which is how proxies into it are resolved from other models; a
    /// name already taken by an open model reports UniquenessConstraint.
    static Model create(std::u16string const& name = {});
    /// The model of the model file at `path` (docs/model_files.md), registered as open under
    /// the file's model name like create(name), with an empty undo history and no unsaved
    /// changes. The file stays open, locked for other processes, while the model lives. A file
    /// already open in this process gives the model already open; one open in another process
    /// reports ModelFileInUse. A missing file, a file that is not a model file, is of a newer
    /// format or is damaged, or needs meta-packages or classes that are not registered, reports
    /// a ModelFile* message and gives no model.
    static Model open(std::string const& path);
    /// open(path), telling `progress` how far it got: each stored element is one step when it
    /// is read and one when it is made (the total is twice the stored elements). An exception
    /// from `progress` gives no model.
    static Model open(std::string const& path, Progress const& progress);

    Model() noexcept = default;
    /// Takes a reference to `impl` (null gives an empty handle).
    explicit Model(Impl* impl) noexcept;
    Model(Model const& other) noexcept;
    Model(Model&& other) noexcept;
    Model& operator=(Model const& other) noexcept;
    Model& operator=(Model&& other) noexcept;
    ~Model();

    Impl* getImpl() const noexcept { return m_impl; }
    Impl* operator->() const noexcept { return m_impl; }
    explicit operator bool() const noexcept { return m_impl != nullptr; }
    friend bool operator==(Model const& a, Model const& b) noexcept { return a.m_impl == b.m_impl; }

    // Shorthands for the operations of Model::Impl most callers need.
    Transaction beginTransaction(bool nonUndoable = false) const;
    void undo() const;
    void redo() const;
    bool canUndo() const;
    bool canRedo() const;
    /// The live element with that UUID, or an empty handle.
    ModelElement findElement(boost::uuids::uuid const& id) const;

    /// Writes the model to the model file at `path` in one transaction of the file, and keeps
    /// the file open (locked for other processes) for later saves. To a new file the whole
    /// model is written (the file is created or replaced, and the model lets go of its former
    /// file); to the model's own file only the elements created, changed or destroyed since it
    /// was last written. A file that cannot be written, a value that cannot be stored, an open
    /// transaction, or a file another model of this process is open from report
    /// ModelFileCannotWrite, a file open in another process ModelFileInUse; the file and the
    /// model are then as they were.
    void save(std::string const& path) const;
    /// save(path), telling `progress` how far it got: each element written (for a save of the
    /// changes only, each element rewritten or removed) is one step when it is put into the
    /// image and one when it is stored (the total is twice their number). The model is frozen
    /// meanwhile, so that `progress` cannot change it, and a save it starts is refused
    /// (ModelFileCannotWrite). An exception from `progress` leaves the file and the model as
    /// they were.
    void save(std::string const& path, Progress const& progress) const;
    /// save(path) to the file the model was opened from or last saved to; a model without one
    /// reports ModelHasNoFile.
    void save() const;
    /// save() with progress, as save(path, progress).
    void save(Progress const& progress) const;
    /// True when a commit, undo or redo changed the model since it was created, opened or last
    /// saved.
    bool hasUnsavedChanges() const;

  private:
    void saveToItsFile(std::string const& path, detail::ProgressCounter& progress) const;
    void saveToNewFile(std::string const& path, std::string const& key,
                       detail::ProgressCounter& progress) const;

    Impl* m_impl = nullptr;
};

/// Freezes a model for its lifetime: while a model is frozen and no Thawer of it lives, every
/// change of it (creation, modification, destruction, undo, redo) reports
/// CannotModifyFrozenModel. Freezers and thawers nest by counting. Reads are always allowed.
class KORM_ZERO_EXPORT Model::Freezer {
  public:
    explicit Freezer(Model model);
    Freezer(Freezer const&) = delete;
    Freezer& operator=(Freezer const&) = delete;
    ~Freezer();

    /// A guard that lets the model accept changes while it lives.
    Thawer thaw() const;
    Model const& getModel() const noexcept { return m_model; }

  private:
    Model m_model;
};

/// Lets a frozen model accept changes while it lives (see Freezer). Movable, not copyable.
class KORM_ZERO_EXPORT Model::Thawer {
  public:
    explicit Thawer(Model model);
    Thawer(Thawer&& other) noexcept;
    Thawer& operator=(Thawer&& other) noexcept;
    Thawer(Thawer const&) = delete;
    Thawer& operator=(Thawer const&) = delete;
    ~Thawer();

  private:
    Model m_model;
};

}  // namespace korm::zero
