#pragma once

// Model::Impl: a model's elements, transactions, undo history, listeners and proxy
// resolution; ModelListener and ModelChangeEvent.

#include <atomic>
#include <boost/intrusive/unordered_set.hpp>
#include <boost/optional.hpp>
#include <boost/uuid/uuid.hpp>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "korm/zero/changes.hpp"
#include "korm/zero/export.hpp"
#include "korm/zero/model.hpp"
#include "korm/zero/model_element.hpp"
#include "korm/zero/proxy.hpp"
#include "korm/zero/services/hashers.hpp"
#include "korm/zero/transaction.hpp"
#include "korm/zero/value.hpp"

namespace korm::zero {

namespace detail {
class ModelReferences;
struct ModelFile;
}  // namespace detail

/// What one outermost commit, undo or redo did to a model.
class KORM_ZERO_EXPORT ModelChangeEvent {
  public:
    enum class Cause { COMMIT, UNDO, REDO };

    Cause cause = Cause::COMMIT;
    Model model;
    /// Elements that became live (created; or brought back by undo or redo).
    std::vector<ModelElement> created;
    /// Elements that stopped being live (destroyed or converted to proxies; or removed by
    /// undo or redo).
    std::vector<ModelElement> destroyed;
    /// One change record per changed element (createChanges), whose bits are the indices of
    /// the properties that changed (0: the containment).
    std::vector<std::unique_ptr<ModelElement::Impl::Changes>> changed;
    /// The value given to the commit (for undo and redo, the one of the step).
    boost::optional<Value> value;
};

/// Told after every outermost commit, undo and redo that changed something. Listeners are not
/// owned; unregister one before it goes away. An exception thrown by a listener reaches the
/// caller of commit, undo or redo after all listeners were told; the change itself stands.
class KORM_ZERO_EXPORT ModelListener {
  public:
    virtual ~ModelListener();
    virtual void modelChanged(ModelChangeEvent const& event) = 0;
    /// Told when the model the listener is registered with goes away, before its elements are
    /// detached; the model has forgotten the listener then. The default does nothing.
    virtual void modelClosing(Model::Impl const& model) noexcept;
};

/// A model.
///
/// Elements: every live element is indexed by UUID (findElement in constant time). The model
/// holds one reference to each element that belongs to it, live or removed-but-revivable (by
/// undo or redo); elements hold no reference to their model.
///
/// Transactions (transaction.hpp) record, per nesting level, the old values of changed
/// properties (the element's own createStorage/copyValue on the first notifyModifying of each
/// index per level, copyStateFromStorage on the way back), creations and destructions. Rolling
/// a level back restores its old values newest first, un-creates what it created and brings
/// back what it destroyed. A committed nested level folds into the enclosing one; the
/// outermost commit drops the old values that equal the current ones (revertUnchanged) and
/// stores the rest as one undo step, unless the step is empty.
///
/// Undo restores the step's old values (having first saved the current ones for redo),
/// un-creates its creations and brings back its destructions; redo does the reverse. A new
/// undo step clears the redo history.
///
/// Threads: a model is used from one thread at a time; only its reference count and its
/// freeze counters may be touched from others.
class KORM_ZERO_EXPORT Model::Impl {
  public:
    Impl(Impl const&) = delete;
    Impl& operator=(Impl const&) = delete;
    ~Impl();

    void addRef() const noexcept { m_refCount.fetch_add(1, std::memory_order_relaxed); }
    void removeRef() const noexcept;
    /// Takes a reference unless the count already reached zero (the model is going away).
    bool tryAddRef() const noexcept;

    std::u16string const& getName() const noexcept { return m_name; }
    /// The canonical path of the model file it was opened from or last saved to, or "".
    std::string const& getFilePath() const noexcept { return m_filePath; }
    boost::uuids::uuid const& getUuid() const noexcept { return m_uuid; }

    // ---- transactions -------------------------------------------------------------------

    /// Begins a transaction; one begun while another is open nests in it. `nonUndoable`
    /// makes the outermost commit store no undo step and clear the undo and redo history
    /// instead (for changes that are not the user's, such as building a meta model).
    Transaction beginTransaction(bool nonUndoable);
    /// The bracket of a compound operation of the framework or of a class (destroy,
    /// convertToProxy, creating an element, setting a property): when no transaction is open it
    /// begins one, so that a lone call is one undoable step and a failure part way leaves
    /// nothing; inside an open transaction it joins that transaction and gives an inert one
    /// (commit and destruction do nothing). Joining pushes no level, so the operation's
    /// announcements land in the caller's level: an element's old values are saved once per
    /// level, and a level per call would save and compare them again at every call. A
    /// failure part way is then undone by the caller's transaction, which the exception
    /// leaves uncommitted. Explicit beginTransaction calls still nest as savepoints.
    Transaction joinOrBeginTransaction();
    bool isInTransaction() const noexcept { return !m_levels.empty(); }
    std::size_t getTransactionDepth() const noexcept { return m_levels.size(); }
    /// True while rollback, undo or redo restore old values; changes announced then are not
    /// recorded and transactions begun then are inert.
    bool isRestoring() const noexcept { return m_restoring > 0; }

    // ---- elements -----------------------------------------------------------------------

    /// The element with that UUID, or null (see FindElementBehavior). No reference is taken.
    ModelElement::Impl* findElement(boost::uuids::uuid const& id,
                                    FindElementBehavior behavior = FIND_LIVE) const;
    /// The number of live elements.
    std::size_t getElementCount() const noexcept { return m_liveCount; }
    /// Every live element, in no particular order.
    std::vector<ModelElement> getElements() const;

    // ---- proxies ------------------------------------------------------------------------

    /// The element `proxy` stands for: in this model by its UUID when the proxy names no
    /// other model, else in the open model of that name; when none is open, in the model the
    /// OpenModels opener gives, else in the model of its model file (ModelFiles::findFile),
    /// opened and kept open as long as this model. Gives `proxy` itself when the target cannot
    /// be found or is not of the class the proxy names (a failure is remembered for
    /// findUnresolvedReferences), an empty handle for an empty one, and any non-proxy element
    /// unchanged. `owner` is the element that holds the proxy (may be null).
    ModelElement resolveProxy(ModelElement::Impl const* owner, ModelElement const& proxy);
    /// The same without opening anything.
    ModelElement peekResolveProxy(ModelElement::Impl const* owner, ModelElement const& proxy) const;
    /// Above 0 while the framework resolves proxies on this thread (including while the
    /// opener runs). Accessors that resolve proxies themselves check it and leave proxies
    /// alone, so that resolution never recurses.
    static int getProxyResolutionCounter() noexcept;

    /// Raises the proxy-resolution counter while it lives.
    class KORM_ZERO_EXPORT ProxyResolutionScope {
      public:
        ProxyResolutionScope() noexcept;
        ~ProxyResolutionScope();
        ProxyResolutionScope(ProxyResolutionScope const&) = delete;
        ProxyResolutionScope& operator=(ProxyResolutionScope const&) = delete;
    };

    /// The number of old-value records the open transaction holds for `element` (the length
    /// of its chain; 0 outside a transaction). One per transaction level in which the element
    /// first changed; tests use it to check that compound operations join the open level.
    static std::size_t getOldValueRecordCount(ModelElement::Impl const& element) noexcept;

    // ---- undo and redo ------------------------------------------------------------------

    bool canUndo() const noexcept { return !m_undo.empty(); }
    bool canRedo() const noexcept { return !m_redo.empty(); }
    std::size_t getUndoCount() const noexcept { return m_undo.size(); }
    std::size_t getRedoCount() const noexcept { return m_redo.size(); }
    /// Undoes the last step (nothing when there is none). Reports CannotUndoInTransaction
    /// inside a transaction and CannotModifyFrozenModel on a frozen model.
    void undo();
    void redo();
    /// Drops the undo and redo history; what only the history could bring back is released.
    void clearUndoHistory();

    // ---- model files --------------------------------------------------------------------

    /// True when a commit, undo or redo changed the model since it was created, opened or last
    /// saved. Undo and redo count as changes even when they lead back to the saved state.
    bool hasUnsavedChanges() const noexcept { return m_unsavedChanges; }
    /// The number of elements (live or gone) the next save() to the model's file rewrites or
    /// removes; 0 for a model without file. Tests use it to check that the cost of a save
    /// follows the size of the change.
    std::size_t getUnsavedElementCount() const noexcept;

    // ---- listeners and freezing ---------------------------------------------------------

    void addListener(ModelListener* listener);
    void removeListener(ModelListener* listener);

    /// Frozen, and not thawed (see Model::Freezer).
    bool isFrozen() const noexcept;

  private:
    friend class Model;
    friend class Model::Freezer;
    friend class Model::Thawer;
    friend class Transaction;
    friend class ModelElement::Impl;
    friend class detail::ModelReferences;

    struct Level {
        std::uint32_t id;
        std::size_t changedMark;
        std::size_t createdMark;
        std::size_t destroyedMark;
    };
    struct DestroyedEntry {
        ModelElement::Impl* element;
        bool converted;  // became a proxy rather than being destroyed
    };
    struct UndoStep;
    using History = std::vector<std::unique_ptr<UndoStep>>;

    explicit Impl(std::u16string name);
    // Closing the model.
    template <class Visit>
    void forEachMember(Visit const& visit);
    template <class Visit>
    void forEachListedMember(Visit const& visit);
    void dropHistoryValues() noexcept;
    static void dropWhatMemberHolds(ModelElement::Impl* element) noexcept;
    void releaseMembers() noexcept;

    // Called by elements.
    void checkModifiable() const;
    void elementCreated(ModelElement::Impl* element);
    void elementModifying(ModelElement::Impl* element, std::size_t index);
    void elementRemoved(ModelElement::Impl* element, bool converted);
    void proxyAnnounced(ModelElement::Impl* proxy);
    void proxyGone(ModelElement::Impl* proxy) noexcept;

    // Called by transactions.
    void commitLevel(std::size_t level, boost::optional<Value> const& value);
    void rollbackLevel(std::size_t level) noexcept;
    void foldIntoParent() noexcept;
    void rollbackTop() noexcept;
    void restoreOldValuesSince(std::size_t mark) noexcept;
    std::size_t releaseCreationsSince(std::size_t mark) noexcept;
    void reviveDestructionsSince(std::size_t mark) noexcept;
    // The outermost commit and its phases.
    void commitOutermost();
    std::unique_ptr<UndoStep> reserveForCommit(std::vector<ModelElement::Impl*>& released);
    void takeOldValues(UndoStep& step, std::uint32_t level) noexcept;
    void takeCreationsAndDestructions(UndoStep& step, std::uint32_t level,
                                      std::vector<ModelElement::Impl*>& released) noexcept;
    std::exception_ptr storeStep(std::unique_ptr<UndoStep>& step) noexcept;

    // Membership.
    void indexErase(ModelElement::Impl* element) noexcept;
    void revive(ModelElement::Impl* element) noexcept;
    void unlive(ModelElement::Impl* element);
    void release(ModelElement::Impl* element, bool keepAsProxy) noexcept;
    void keepAsPlainProxy(ModelElement::Impl* element) noexcept;
    void dropRedo() noexcept;
    void dropUndoStep(UndoStep& step) noexcept;
    void dropRedoStep(UndoStep& step) noexcept;
    void notifyListeners(ModelChangeEvent& event);
    // Undo and redo: what they prepare before the first change, and the change itself.
    void checkMayReplay() const;
    void replayStep(History& from, History& to, ModelChangeEvent::Cause cause);
    void prepareRestore(UndoStep const& step, bool undoing,
                        std::vector<std::unique_ptr<ModelElement::Impl::Storage>>& current);
    void reserveForRevival(UndoStep const& step, bool undoing);
    static void restoreChanged(
        UndoStep& step,
        std::vector<std::unique_ptr<ModelElement::Impl::Storage>>& current) noexcept;
    ModelChangeEvent makeEvent(ModelChangeEvent::Cause cause, UndoStep const& step);
    boost::optional<ModelChangeEvent> eventFor(ModelChangeEvent::Cause cause, UndoStep const& step);
    /// Records that `step` was committed, undone or redone: the model has unsaved changes, and
    /// its file (if any) must rewrite the elements the step touched.
    void noteUnsaved(UndoStep const& step) noexcept;
    static std::unique_ptr<ModelElement::Impl::Storage> pruneChain(
        std::unique_ptr<ModelElement::Impl::Storage> chain,
        ModelElement::Impl const& element) noexcept;
    void revertMembership(UndoStep& step, std::vector<std::unique_ptr<ProxyId>> proxyIds);
    void reapplyMembership(UndoStep& step);
    ModelElement resolve(ModelElement::Impl const* owner, ModelElement const& proxy,
                         bool mayOpen) const;

    mutable std::atomic<std::int32_t> m_refCount{0};
    std::u16string m_name;
    std::string m_filePath;
    // The open model file and what changed since it was last written (model_file.hpp).
    std::unique_ptr<detail::ModelFile> m_file;
    bool m_unsavedChanges = false;
    // True while save() runs (a progress callback must not start another).
    bool m_saving = false;
    boost::uuids::uuid m_uuid;

    // The UUID index is intrusive: each element record carries its own link, so indexing an
    // element allocates nothing. Buckets are a power of two in number and the table grows
    // (doubling) before the load factor passes 1; no hash is stored, it is recomputed from
    // the record's UUID when needed.
    struct UuidOfElement {
        using type = boost::uuids::uuid;
        type const& operator()(ModelElement::Impl const& element) const noexcept {
            return element.m_uuid;
        }
    };
    using IndexHook = boost::intrusive::member_hook<ModelElement::Impl,
                                                    boost::intrusive::unordered_set_member_hook<>,
                                                    &ModelElement::Impl::m_indexHook>;
    using Index = boost::intrusive::unordered_set<
        ModelElement::Impl, IndexHook, boost::intrusive::key_of_value<UuidOfElement>,
        boost::intrusive::hash<services::hashers::KORM0Hasher>,
        boost::intrusive::power_2_buckets<true>, boost::intrusive::size_type<std::size_t>>;
    static constexpr std::size_t INITIAL_BUCKETS = 16;

    /// Makes room for `count` more elements in the index (may throw; the index is unchanged
    /// then).
    void reserveIndexSlots(std::size_t count);
    /// Links `element` in place of the element indexed under its UUID, if any. Needs no room
    /// when one is replaced; otherwise call reserveIndexSlots first.
    void indexLink(ModelElement::Impl* element) noexcept;

    // Declared before the index, which refers to it and goes first.
    std::unique_ptr<Index::bucket_type[]> m_buckets;
    // Live elements, and removed ones that undo or redo can bring back (see model_impl.cpp).
    Index m_index;
    std::size_t m_liveCount = 0;
    std::unordered_set<ModelElement::Impl*> m_proxies;

    std::vector<Level> m_levels;
    std::uint32_t m_nextLevelId = 1;
    bool m_nonUndoable = false;
    boost::optional<Value> m_commitValue;
    std::vector<ModelElement::Impl*> m_changedLog;  // one entry per old-value record made
    std::vector<ModelElement::Impl*> m_createdLog;
    std::vector<DestroyedEntry> m_destroyedLog;
    int m_restoring = 0;

    History m_undo;
    History m_redo;
    std::vector<ModelListener*> m_listeners;

    std::atomic<int> m_freezeCount{0};
    std::atomic<int> m_thawCount{0};

    // Made on first need by resolution. Declared last so that it is destroyed first, releasing
    // the models opened for this one once its own elements are detached.
    mutable std::unique_ptr<detail::ModelReferences> m_references;
};

}  // namespace korm::zero
