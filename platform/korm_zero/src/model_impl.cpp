// Model::Impl: membership of elements, transactions, rollback, undo and redo, listeners.
//
// Membership. An announced element belongs to its model, which holds one reference to it,
// until it can never come back: its creation is rolled back, or the history that could revive
// it is dropped, or the model goes away. It is then detached (no model, invalid, no container)
// and released. m_index maps each UUID to its live member, or to the member most recently
// removed under it while that one can still come back: removal and revival then only flip
// the validity flag, and a UUID freed by a destruction can be taken by a new element (which
// takes over the entry; reviving the old one later takes it back).
//
// Transaction levels. Every begun transaction pushes a Level with a fresh id and the sizes of
// the three logs. An element's first notifyModifying at a level makes an old-value record
// (Storage) tagged with the level's id and pushes it on the element's chain (newest first);
// later announcements at that level only add the missing indices to it. Elements created at
// the current level need no old values. Rolling a level back walks its part of the changed log
// backwards, restoring and popping one record per entry, then un-creates the level's creations
// and revives its destructions. Committing a nested level relabels its records and creations
// with the parent's id: the level folds into the parent, and the parent's rollback restores
// the folded records in the right (reverse) order. The outermost commit turns the chains into
// one undo step.

#include <algorithm>
#include <boost/container/small_vector.hpp>
#include <boost/uuid/uuid_io.hpp>
#include <exception>
#include <utility>

#include "korm/zero/messages.hpp"
#include "korm/zero/model_impl.hpp"
#include "korm/zero/testing.hpp"
#include "korm/zero/uuid_text.hpp"
#include "model_file.hpp"
#include "model_references.hpp"
#include "open_models.hpp"
#include "tarsk/core/text.hpp"

namespace korm::zero {

using Storage = ModelElement::Impl::Storage;

struct Model::Impl::UndoStep {
    struct Changed {
        ModelElement::Impl* element;
        // What the next undo or redo restores: the old values (a chain, newest first) while
        // the step is applied, the values it gave while it is undone. Undo and redo save the
        // current values first and then take these out of the records, which cannot fail.
        std::unique_ptr<Storage> saved;
    };
    // Most steps are one call: one element created, destroyed or changed, kept in place.
    template <class T>
    using Few = boost::container::small_vector<T, 1>;

    Few<ModelElement::Impl*> created;
    Few<DestroyedEntry> destroyed;
    // While the step is undone, the proxy ids taken from elements whose conversion was undone
    // (parallel to `destroyed`).
    std::vector<std::unique_ptr<ProxyId>> undoneProxyIds;
    Few<Changed> changed;
    boost::optional<Value> value;

    bool empty() const noexcept { return created.empty() && destroyed.empty() && changed.empty(); }
};

namespace {

// Restoring old values must not record anything.
class RestoringScope {
  public:
    explicit RestoringScope(int& counter) noexcept : m_counter(counter) { ++m_counter; }
    ~RestoringScope() { --m_counter; }
    RestoringScope(RestoringScope const&) = delete;
    RestoringScope& operator=(RestoringScope const&) = delete;

  private:
    int& m_counter;
};

/// Room for one more element, growing geometrically: reserve(size() + 1) would reallocate (and
/// move every element) on each call, which made a long undo history quadratic.
template <class T>
void reserveOneMore(std::vector<T>& steps) {
    if (steps.size() == steps.capacity()) {
        steps.reserve(std::max<std::size_t>(16, 2 * steps.capacity()));
    }
}

template <class T>
void clearAndTrim(std::vector<T>& log) {
    // Keep a modest capacity for the next transaction; give back what a huge one took.
    if (log.capacity() > 4096) {
        std::vector<T>().swap(log);
    } else {
        log.clear();
    }
}

thread_local int t_proxyResolutionCounter = 0;

}  // namespace

// ---- construction, references -----------------------------------------------------------

Model::Impl::Impl(std::u16string name)
    : m_name(std::move(name))
    , m_uuid(ElementImpl::generateNewUuid())
    , m_buckets(std::make_unique<Index::bucket_type[]>(INITIAL_BUCKETS))
    , m_index(Index::bucket_traits(m_buckets.get(), INITIAL_BUCKETS)) {}

void Model::Impl::removeRef() const noexcept {
    if (m_refCount.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        delete this;
    }
}

bool Model::Impl::tryAddRef() const noexcept {
    auto count = m_refCount.load(std::memory_order_relaxed);
    while (count > 0) {
        if (m_refCount.compare_exchange_weak(count, count + 1, std::memory_order_acq_rel)) {
            return true;
        }
    }
    return false;
}

Model::Impl::~Impl() {
    for (ModelListener* listener : std::exchange(m_listeners, {})) {
        listener->modelClosing(*this);
    }
    if (!m_name.empty()) {
        detail::unregisterOpenModel(m_name, this);
    }
    if (!m_filePath.empty()) {
        detail::forgetModelFile(m_filePath, this);
    }
    // No transaction is open (transactions hold references) and no record is unannounced
    // (those hold references too). Closing allocates nothing, so it cannot fail part way: the
    // index and the history's lists, which name every member, are walked once per phase.
    for (auto* proxy : m_proxies) {
        proxy->m_state = ModelElement::Impl::State::DETACHED;
        proxy->m_model = nullptr;
    }
    // Detach every member: live ones and those the history could revive. A member both
    // indexed and listed is seen twice; its state tells.
    forEachMember([](ModelElement::Impl* element) {
        if (element->m_state != ModelElement::Impl::State::MEMBER) {
            return;
        }
        element->m_state = ModelElement::Impl::State::DETACHED;
        element->m_model = nullptr;
        if (element->isValid()) {
            element->invalidate();
        }
        element->m_proxyId.reset();
    });
    dropHistoryValues();
    // Members may hold each other (collections of handles); dropping what they hold breaks
    // such cycles before the model's references go. Doing it twice does nothing more.
    forEachMember(dropWhatMemberHolds);
    releaseMembers();
    m_undo.clear();
    m_redo.clear();
}

// Every member, live or revivable by the undo or redo history: the indexed ones, then those
// the history lists (which may be indexed too).
template <class Visit>
void Model::Impl::forEachMember(Visit const& visit) {
    for (auto& element : m_index) {
        visit(&element);
    }
    forEachListedMember(visit);
}

// The members the history could revive: what the undo steps destroyed and the redo steps
// created.
template <class Visit>
void Model::Impl::forEachListedMember(Visit const& visit) {
    for (auto const& step : m_undo) {
        for (auto const& entry : step->destroyed) {
            visit(entry.element);
        }
    }
    for (auto const& step : m_redo) {
        for (auto* element : step->created) {
            visit(element);
        }
    }
}

// Closing: the history's old values and proxy ids go; its lists of members stay until the
// model's references to them go.
void Model::Impl::dropHistoryValues() noexcept {
    for (History* const history : {&m_undo, &m_redo}) {
        for (auto const& step : *history) {
            step->changed.clear();
            step->undoneProxyIds.clear();
            step->value.reset();
        }
    }
}

void Model::Impl::dropWhatMemberHolds(ModelElement::Impl* element) noexcept {
    try {
        element->basicDisassociateAll();
    } catch (...) {
    }
    element->m_container = nullptr;
    element->m_containmentFeature.reset();
}

// Closing: the model's reference to every member goes, once, each record unlinked from the
// index first (a record must not be deleted while linked). The listed members that lost
// their index entry go first; then the index unlinks and lets go of the rest one by one. A
// member that goes can only take with it members already let go of.
void Model::Impl::releaseMembers() noexcept {
    forEachListedMember([](ModelElement::Impl* element) {
        if (!element->m_indexHook.is_linked()) {
            element->removeRef();
        }
    });
    m_index.clear_and_dispose([](ModelElement::Impl* element) { element->removeRef(); });
}

bool Model::Impl::isFrozen() const noexcept {
    return m_freezeCount.load(std::memory_order_acquire) > 0 &&
           m_thawCount.load(std::memory_order_acquire) == 0;
}

void Model::Impl::checkModifiable() const {
    if (isFrozen()) {
        reportException(korm0::messages::CannotModifyFrozenModel(m_name));
    }
}

// ---- elements ---------------------------------------------------------------------------

ModelElement::Impl* Model::Impl::findElement(boost::uuids::uuid const& id,
                                             FindElementBehavior behavior) const {
    auto const it = m_index.find(id);
    if (it == m_index.end()) {
        return nullptr;
    }
    auto* const element = const_cast<ModelElement::Impl*>(&*it);
    return element->isLive() || behavior == FIND_INCLUDING_REMOVED ? element : nullptr;
}

std::vector<ModelElement> Model::Impl::getElements() const {
    std::vector<ModelElement> elements;
    elements.reserve(m_liveCount);
    for (auto const& element : m_index) {
        if (element.isLive()) {
            elements.emplace_back(const_cast<ModelElement::Impl*>(&element));
        }
    }
    return elements;
}

void Model::Impl::reserveIndexSlots(std::size_t count) {
    std::size_t const current = m_index.bucket_count();
    std::size_t wanted = current;
    while (m_index.size() + count > wanted) {
        wanted *= 2;
    }
    if (wanted == current) {
        return;
    }
    // Only the allocation can fail, and it comes first.
    auto buckets = std::make_unique<Index::bucket_type[]>(wanted);
    m_index.rehash(Index::bucket_traits(buckets.get(), wanted));
    m_buckets = std::move(buckets);
}

void Model::Impl::indexLink(ModelElement::Impl* element) noexcept {
    if (auto const it = m_index.find(element->m_uuid); it != m_index.end()) {
        if (&*it == element) {
            return;
        }
        m_index.erase(it);
    }
    m_index.insert(*element);
}

void Model::Impl::indexErase(ModelElement::Impl* element) noexcept {
    if (auto const it = m_index.find(element->m_uuid); it != m_index.end() && &*it == element) {
        m_index.erase(it);
    }
}

// Back among the live elements (undo of a destruction, redo of a creation, rollback of a
// destruction). An element that lost its index entry takes it back from a newer element of
// its UUID, or gets one; undo and redo reserve room first. A rollback needs none: it released
// the level's creations, whose entries the revived elements had lost to, before it revives.
void Model::Impl::revive(ModelElement::Impl* element) noexcept {
    if (!element->m_indexHook.is_linked()) {
        indexLink(element);
    }
    element->setValidFlag(true);
    ++m_liveCount;
}

// Out of the live elements but revivable (destruction, undo of a creation).
// The index entry stays, for FIND_INCLUDING_REMOVED and a cheap revival.
void Model::Impl::unlive(ModelElement::Impl* element) {
    if (!element->m_proxyId && element->isValid()) {
        element->invalidate();
    }
    --m_liveCount;
}

// The element can never come back: detach it; the caller releases the model's reference.
void Model::Impl::release(ModelElement::Impl* element, bool keepAsProxy) noexcept {
    if (element->isLive()) {
        --m_liveCount;
    }
    indexErase(element);
    if (!keepAsProxy) {
        element->m_proxyId.reset();
    }
    // Whatever the element still holds can go: nothing will restore it. Announcements made
    // on the way are not recorded (the element is no member any more).
    element->m_state = ModelElement::Impl::State::DETACHED;
    try {
        element->basicDisassociateAll();
    } catch (...) {
    }
    if (element->m_proxyId) {
        keepAsPlainProxy(element);
        return;
    }
    element->m_state = ModelElement::Impl::State::DETACHED;
    element->m_model = nullptr;
    if (element->isValid()) {
        element->invalidate();
    }
    element->m_container = nullptr;
    element->m_containmentFeature.reset();
    element->m_containmentIndex = ModelElement::Impl::NO_CONTAINMENT_INDEX;
}

// Converted to a proxy for good: it lives on as a plain proxy of this model (or, when there is
// no room to list it among the model's proxies, as a detached one).
void Model::Impl::keepAsPlainProxy(ModelElement::Impl* element) noexcept {
    element->m_state = ModelElement::Impl::State::PROXY;
    try {
        m_proxies.insert(element);
    } catch (...) {
        element->m_state = ModelElement::Impl::State::DETACHED;
        element->m_model = nullptr;
    }
}

void Model::Impl::elementCreated(ModelElement::Impl* element) {
    testing::detail::failurePoint();
    checkModifiable();
    if (m_levels.empty()) {
        reportException(korm0::messages::ChangeOutsideTransaction(m_name));
    }
    if (auto const it = m_index.find(element->m_uuid); it == m_index.end()) {
        reserveIndexSlots(1);
    } else if (it->isLive()) {
        reportException(korm0::messages::UniquenessConstraint(uuidText16(element->m_uuid)));
    }
    m_createdLog.push_back(element);
    // Takes the entry over when the UUID was freed by a removal.
    indexLink(element);
    ++m_liveCount;
    element->m_state = ModelElement::Impl::State::MEMBER;
    element->m_createdLevel = m_levels.back().id;
    element->setValidFlag(true);
    // The reference the record held on the model becomes the model's on the record. The open
    // transaction keeps the model alive.
    element->addRef();
    removeRef();
}

void Model::Impl::elementModifying(ModelElement::Impl* element, std::size_t index) {
    if (m_restoring > 0) {
        return;
    }
    testing::detail::failurePoint();
    checkModifiable();
    if (m_levels.empty()) {
        reportException(korm0::messages::ChangeOutsideTransaction(m_name));
    }
    auto const level = m_levels.back().id;
    if (element->m_createdLevel == level) {
        return;
    }
    Storage* const top = element->m_txStorage;
    if (top != nullptr && top->m_level == level) {
        if (!top->isChanged(index)) {
            element->copyValue(*top, index);
            top->setChanged(index);
        }
        return;
    }
    std::unique_ptr<Storage> fresh = element->createStorage();
    fresh->m_level = level;
    element->copyValue(*fresh, index);
    fresh->setChanged(index);
    m_changedLog.push_back(element);
    fresh->m_older.reset(top);
    element->m_txStorage = fresh.release();
}

void Model::Impl::elementRemoved(ModelElement::Impl* element, bool converted) {
    if (m_levels.empty()) {
        reportException(korm0::messages::ChangeOutsideTransaction(m_name));
    }
    m_destroyedLog.push_back(DestroyedEntry{element, converted});
    unlive(element);
}

void Model::Impl::proxyAnnounced(ModelElement::Impl* proxy) {
    m_proxies.insert(proxy);
    proxy->m_state = ModelElement::Impl::State::PROXY;
    proxy->setValidFlag(true);
    // A proxy does not keep its model alive; the model detaches its proxies when it goes.
    removeRef();
}

void Model::Impl::proxyGone(ModelElement::Impl* proxy) noexcept {
    m_proxies.erase(proxy);
}

// ---- transactions -----------------------------------------------------------------------

Transaction Model::Impl::beginTransaction(bool nonUndoable) {
    if (m_restoring > 0) {
        return Transaction();
    }
    testing::detail::failurePoint();
    if (m_levels.empty()) {
        m_nonUndoable = false;
        m_commitValue.reset();
    }
    m_levels.push_back(
        Level{m_nextLevelId++, m_changedLog.size(), m_createdLog.size(), m_destroyedLog.size()});
    m_nonUndoable = m_nonUndoable || nonUndoable;
    return Transaction(this, m_levels.size());
}

Transaction Model::Impl::joinOrBeginTransaction() {
    return m_levels.empty() ? beginTransaction(false) : Transaction();
}

std::size_t Model::Impl::getOldValueRecordCount(ModelElement::Impl const& element) noexcept {
    std::size_t count = 0;
    for (Storage const* record = element.m_txStorage; record != nullptr;
         record = record->m_older.get()) {
        ++count;
    }
    return count;
}

void Model::Impl::commitLevel(std::size_t level, boost::optional<Value> const& value) {
    if (level != m_levels.size()) {
        reportException(korm0::messages::TransactionOutOfOrder(m_name));
    }
    if (level != 1) {
        foldIntoParent();
        return;
    }
    if (value) {
        try {
            m_commitValue = value;
        } catch (...) {
            rollbackTop();
            throw;
        }
    }
    commitOutermost();
}

// Commits a nested level: its records and creations take the parent's id, so the parent's
// rollback restores them too.
void Model::Impl::foldIntoParent() noexcept {
    Level const top = m_levels.back();
    auto const parent = m_levels[m_levels.size() - 2].id;
    for (std::size_t i = top.changedMark; i < m_changedLog.size(); ++i) {
        Storage* const storage = m_changedLog[i]->m_txStorage;
        if (storage != nullptr && storage->m_level == top.id) {
            storage->m_level = parent;
        }
    }
    for (std::size_t i = top.createdMark; i < m_createdLog.size(); ++i) {
        if (m_createdLog[i]->m_createdLevel == top.id) {
            m_createdLog[i]->m_createdLevel = parent;
        }
    }
    m_levels.pop_back();
}

void Model::Impl::rollbackLevel(std::size_t level) noexcept {
    while (m_levels.size() >= level && !m_levels.empty()) {
        rollbackTop();
    }
}

void Model::Impl::rollbackTop() noexcept {
    Level const top = m_levels.back();
    std::size_t releasedFrom = 0;
    {
        RestoringScope const restoring(m_restoring);
        restoreOldValuesSince(top.changedMark);
        // Creations first: a destroyed element revived below may share the UUID of an
        // element created after its destruction.
        releasedFrom = releaseCreationsSince(top.createdMark);
        reviveDestructionsSince(top.destroyedMark);
    }
    m_levels.pop_back();
    // The model's references to the released creations go once the level is gone, newest
    // first; the log held them meanwhile, so a rollback needs no memory of its own.
    for (std::size_t i = m_createdLog.size(); i-- > releasedFrom;) {
        m_createdLog[i]->removeRef();
    }
    m_createdLog.resize(top.createdMark);
}

// Rollback: the old-value records from `mark` on, newest first, each popped off its chain.
void Model::Impl::restoreOldValuesSince(std::size_t mark) noexcept {
    for (std::size_t i = m_changedLog.size(); i-- > mark;) {
        ModelElement::Impl* const element = m_changedLog[i];
        std::unique_ptr<Storage> const storage(element->m_txStorage);
        element->m_txStorage = storage->m_older.release();
        // The record goes now, so its values are taken rather than copied: restoring
        // cannot fail.
        element->moveStateFromStorage(*storage);
    }
    m_changedLog.resize(mark);
}

// Rollback: the creations from `mark` on leave the model. The released ones are moved to the
// end of the log, keeping their order, and where they start there is returned: the caller
// releases the model's references to them and then cuts the log back to `mark`.
std::size_t Model::Impl::releaseCreationsSince(std::size_t mark) noexcept {
    std::size_t releasedFrom = m_createdLog.size();
    for (std::size_t i = m_createdLog.size(); i-- > mark;) {
        ModelElement::Impl* const element = m_createdLog[i];
        if (element->m_state == ModelElement::Impl::State::MEMBER) {
            release(element, false);
            m_createdLog[--releasedFrom] = element;
        }
    }
    return releasedFrom;
}

// Rollback: the destructions and conversions from `mark` on are undone.
void Model::Impl::reviveDestructionsSince(std::size_t mark) noexcept {
    for (std::size_t i = m_destroyedLog.size(); i-- > mark;) {
        auto const& entry = m_destroyedLog[i];
        if (entry.element->m_state == ModelElement::Impl::State::MEMBER) {
            if (entry.converted) {
                entry.element->m_proxyId.reset();
            }
            revive(entry.element);
        }
    }
    m_destroyedLog.resize(mark);
}

// The outermost commit, in four phases: make room for everything it stores (a commit that
// cannot be made fails as a whole), then, with the level closed, take the old values and the
// creations and destructions into one undo step, and store the step and tell the listeners.
void Model::Impl::commitOutermost() {
    if (m_changedLog.empty() && m_createdLog.empty() && m_destroyedLog.empty()) {
        m_levels.pop_back();
        return;
    }
    // Everything that can fail comes first, while the level is still open: a commit that
    // cannot be made rolls the transaction back, so that it fails as a whole.
    std::unique_ptr<UndoStep> step;
    std::vector<ModelElement::Impl*> released;
    try {
        step = reserveForCommit(released);
    } catch (...) {
        rollbackTop();
        throw;
    }
    auto const level = m_levels.back().id;
    m_levels.pop_back();
    takeOldValues(*step, level);
    takeCreationsAndDestructions(*step, level, released);
    step->value = std::move(m_commitValue);
    m_commitValue.reset();
    std::exception_ptr const failure = step->empty() ? nullptr : storeStep(step);
    for (auto* element : released) {
        element->removeRef();
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}

// Commit, phase 1: an empty step with room for every log entry, room in `released` for every
// creation and room for one more undo step. Changes nothing.
std::unique_ptr<Model::Impl::UndoStep> Model::Impl::reserveForCommit(
    std::vector<ModelElement::Impl*>& released) {
    auto step = std::make_unique<UndoStep>();
    step->changed.reserve(m_changedLog.size());
    step->destroyed.reserve(m_destroyedLog.size());
    step->created.reserve(m_createdLog.size());
    released.reserve(m_createdLog.size());
    reserveOneMore(m_undo);
    return step;
}

// Commit, phase 2: old values, one chain per element, pruned to what changed. The elements'
// chains are taken, so the changed log is done with.
void Model::Impl::takeOldValues(UndoStep& step, std::uint32_t level) noexcept {
    for (ModelElement::Impl* element : m_changedLog) {
        Storage* const head = element->m_txStorage;
        if (head == nullptr) {
            continue;  // the element's chain was taken at an earlier entry
        }
        element->m_txStorage = nullptr;
        std::unique_ptr<Storage> chain(head);
        if (element->m_createdLevel == level) {
            continue;  // created in this transaction: undo un-creates it as a whole
        }
        if (auto kept = pruneChain(std::move(chain), *element)) {
            step.changed.push_back({element, std::move(kept)});
        }
    }
    clearAndTrim(m_changedLog);
}

// Commit, phase 3: the destructions of elements that existed before the transaction and the
// creations still live. What was created and destroyed (or converted) in the transaction goes
// for good; the caller releases the model's references to it (in `released`).
void Model::Impl::takeCreationsAndDestructions(
    UndoStep& step, std::uint32_t level, std::vector<ModelElement::Impl*>& released) noexcept {
    for (auto const& entry : m_destroyedLog) {
        if (entry.element->m_state == ModelElement::Impl::State::MEMBER &&
            entry.element->m_createdLevel != level) {
            step.destroyed.push_back(entry);
        }
    }
    for (ModelElement::Impl* element : m_createdLog) {
        element->m_createdLevel = 0;
        if (element->m_state != ModelElement::Impl::State::MEMBER) {
            continue;
        }
        if (element->isLive()) {
            step.created.push_back(element);
        } else {
            release(element, true);
            released.push_back(element);
        }
    }
    clearAndTrim(m_createdLog);
    clearAndTrim(m_destroyedLog);
}

// Commit, phase 4: a non-empty step goes into the undo history (dropping the redo history),
// or, for a non-undoable transaction, clears the history. The step stands from here on; a
// failure to tell the listeners is returned, to reach the caller afterwards like a
// listener's own exception. `step` stays the caller's when it is not stored.
std::exception_ptr Model::Impl::storeStep(std::unique_ptr<UndoStep>& step) noexcept {
    std::exception_ptr failure;
    boost::optional<ModelChangeEvent> event;
    try {
        event = eventFor(ModelChangeEvent::Cause::COMMIT, *step);
    } catch (...) {
        failure = std::current_exception();
    }
    noteUnsaved(*step);
    if (m_nonUndoable) {
        dropUndoStep(*step);
        clearUndoHistory();
    } else {
        dropRedo();
        m_undo.push_back(std::move(step));
    }
    if (event) {
        try {
            notifyListeners(*event);
        } catch (...) {
            failure = std::current_exception();
        }
    }
    return failure;
}

// Within a chain (newest first) an index counts only in the oldest record that has it: drop it
// from the newer ones, then what equals the current value, then the records left empty.
std::unique_ptr<Storage> Model::Impl::pruneChain(std::unique_ptr<Storage> chain,
                                                 ModelElement::Impl const& element) noexcept {
    for (Storage* record = chain.get(); record != nullptr; record = record->m_older.get()) {
        for (Storage const* older = record->m_older.get(); older != nullptr;
             older = older->m_older.get()) {
            record->clearChangedFrom(*older);
        }
        record->revertUnchanged(element);
    }
    std::unique_ptr<Storage>* link = &chain;
    while (*link) {
        if ((*link)->anyChanged()) {
            link = &(*link)->m_older;
        } else {
            std::unique_ptr<Storage> const empty = std::move(*link);
            *link = std::move(empty->m_older);
        }
    }
    return chain;
}

// The listeners' event of a commit, undo or redo of `step`. Undo brings back what the step
// destroyed and removes what it created; commit and redo do the reverse.
ModelChangeEvent Model::Impl::makeEvent(ModelChangeEvent::Cause cause, UndoStep const& step) {
    ModelChangeEvent event;
    event.cause = cause;
    event.model = Model(this);
    bool const undoing = cause == ModelChangeEvent::Cause::UNDO;
    auto& stepDestroyed = undoing ? event.created : event.destroyed;
    auto& stepCreated = undoing ? event.destroyed : event.created;
    for (auto const& entry : step.destroyed) {
        stepDestroyed.emplace_back(entry.element);
    }
    for (auto* element : step.created) {
        stepCreated.emplace_back(element);
    }
    for (auto const& changed : step.changed) {
        auto changes = changed.element->createChanges();
        for (Storage const* s = changed.saved.get(); s != nullptr; s = s->m_older.get()) {
            changes->setChangedFrom(*s);
        }
        event.changed.push_back(std::move(changes));
    }
    event.value = step.value;
    return event;
}

// The listeners' event of a commit, undo or redo of `step`, when anyone listens.
boost::optional<ModelChangeEvent> Model::Impl::eventFor(ModelChangeEvent::Cause cause,
                                                        UndoStep const& step) {
    if (m_listeners.empty()) {
        return boost::none;
    }
    return makeEvent(cause, step);
}

void Model::Impl::noteUnsaved(UndoStep const& step) noexcept {
    m_unsavedChanges = true;
    if (!m_file) {
        return;
    }
    for (auto* element : step.created) {
        m_file->note(*element);
    }
    for (auto const& entry : step.destroyed) {
        m_file->note(*entry.element);
    }
    for (auto const& changed : step.changed) {
        m_file->note(*changed.element);
    }
}

std::size_t Model::Impl::getUnsavedElementCount() const noexcept {
    return m_file ? m_file->unsaved.size() : 0;
}

// ---- history ----------------------------------------------------------------------------

void Model::Impl::dropUndoStep(UndoStep& step) noexcept {
    // An applied step: what it destroyed can no longer come back.
    for (auto const& entry : step.destroyed) {
        if (entry.element->m_state == ModelElement::Impl::State::MEMBER &&
            !entry.element->isLive()) {
            release(entry.element, true);
            entry.element->removeRef();
        }
    }
    step.destroyed.clear();
}

void Model::Impl::dropRedoStep(UndoStep& step) noexcept {
    // An undone step: what it created can no longer come back.
    for (auto* element : step.created) {
        if (element->m_state == ModelElement::Impl::State::MEMBER && !element->isLive()) {
            release(element, true);
            element->removeRef();
        }
    }
    step.created.clear();
}

void Model::Impl::dropRedo() noexcept {
    for (auto& step : m_redo) {
        dropRedoStep(*step);
    }
    m_redo.clear();
}

void Model::Impl::clearUndoHistory() {
    dropRedo();
    for (auto& step : m_undo) {
        dropUndoStep(*step);
    }
    m_undo.clear();
}

// Saves, for every changed element of the step, its current values of the indices the step
// restores (for the opposite direction), and makes room for the revived elements in the
// index. Changes nothing.
void Model::Impl::prepareRestore(UndoStep const& step, bool undoing,
                                 std::vector<std::unique_ptr<Storage>>& current) {
    current.reserve(step.changed.size());
    for (auto const& changed : step.changed) {
        auto now = changed.element->createStorage();
        for (Storage const* s = changed.saved.get(); s != nullptr; s = s->m_older.get()) {
            for (auto i = s->nextChanged(0); i != ModelElement::Impl::NO_INDEX;
                 i = s->nextChanged(i + 1)) {
                if (!now->isChanged(i)) {
                    changed.element->copyValue(*now, i);
                    now->setChanged(i);
                }
            }
        }
        current.push_back(std::move(now));
    }
    reserveForRevival(step, undoing);
}

// Room in the index for what undo (the step's destructions) or redo (its creations) revives
// and that lost its entry meanwhile.
void Model::Impl::reserveForRevival(UndoStep const& step, bool undoing) {
    std::size_t unlinked = 0;
    auto const count = [&unlinked](ModelElement::Impl const* element) {
        unlinked += element->m_indexHook.is_linked() ? 0 : 1;
    };
    if (undoing) {
        for (auto const& entry : step.destroyed) {
            count(entry.element);
        }
    } else {
        for (auto const* element : step.created) {
            count(element);
        }
    }
    reserveIndexSlots(unlinked);
}

// Restores the saved values, taking them out of their records (which cannot fail), and keeps
// the values saved by prepareRestore for the way back.
void Model::Impl::restoreChanged(UndoStep& step,
                                 std::vector<std::unique_ptr<Storage>>& current) noexcept {
    for (std::size_t i = 0; i < step.changed.size(); ++i) {
        auto& changed = step.changed[i];
        for (Storage* s = changed.saved.get(); s != nullptr; s = s->m_older.get()) {
            changed.element->moveStateFromStorage(*s);
        }
        changed.saved = std::move(current[i]);
    }
}

void Model::Impl::checkMayReplay() const {
    if (!m_levels.empty()) {
        reportException(korm0::messages::CannotUndoInTransaction(m_name));
    }
    checkModifiable();
}

void Model::Impl::undo() {
    replayStep(m_undo, m_redo, ModelChangeEvent::Cause::UNDO);
}

void Model::Impl::redo() {
    replayStep(m_redo, m_undo, ModelChangeEvent::Cause::REDO);
}

// Undo (cause UNDO) takes the last step of the undo history, reverts it and moves it to the
// redo history; redo does the reverse. Both prepare everything that can fail (the values for
// the way back, room in the index and in the other history, the listeners' event) before the
// first change: a failure leaves the model and both histories as they were.
void Model::Impl::replayStep(History& from, History& to, ModelChangeEvent::Cause cause) {
    checkMayReplay();
    if (from.empty()) {
        return;
    }
    bool const undoing = cause == ModelChangeEvent::Cause::UNDO;
    UndoStep& step = *from.back();
    std::vector<std::unique_ptr<Storage>> current;
    prepareRestore(step, undoing, current);
    reserveOneMore(to);
    // Undo keeps the proxy ids of the conversions it reverts, for redo.
    std::vector<std::unique_ptr<ProxyId>> proxyIds(undoing ? step.destroyed.size() : 0);
    boost::optional<ModelChangeEvent> event = eventFor(cause, step);
    std::unique_ptr<UndoStep> owned = std::move(from.back());
    from.pop_back();
    {
        RestoringScope const restoring(m_restoring);
        restoreChanged(step, current);
        if (undoing) {
            revertMembership(step, std::move(proxyIds));
        } else {
            reapplyMembership(step);
        }
    }
    to.push_back(std::move(owned));
    noteUnsaved(step);
    if (event) {
        notifyListeners(*event);
    }
}

// Undo: the step's creations stop being live and its destructions live again, newest first;
// the ids of reverted conversions are kept in the step.
void Model::Impl::revertMembership(UndoStep& step, std::vector<std::unique_ptr<ProxyId>> proxyIds) {
    for (std::size_t i = step.created.size(); i-- > 0;) {
        unlive(step.created[i]);
    }
    for (std::size_t i = step.destroyed.size(); i-- > 0;) {
        auto const& entry = step.destroyed[i];
        if (entry.converted) {
            proxyIds[i] = std::move(entry.element->m_proxyId);
        }
        revive(entry.element);
    }
    step.undoneProxyIds = std::move(proxyIds);
}

// Redo: the step's destructions (and conversions, with their kept ids) happen again and its
// creations live again.
void Model::Impl::reapplyMembership(UndoStep& step) {
    for (std::size_t i = 0; i < step.destroyed.size(); ++i) {
        auto const& entry = step.destroyed[i];
        if (entry.converted) {
            entry.element->m_proxyId = std::move(step.undoneProxyIds[i]);
        }
        unlive(entry.element);
    }
    for (auto* element : step.created) {
        revive(element);
    }
    step.undoneProxyIds.clear();
}

// ---- listeners --------------------------------------------------------------------------

ModelListener::~ModelListener() = default;

void ModelListener::modelClosing(Model::Impl const& /*model*/) noexcept {}

void Model::Impl::addListener(ModelListener* listener) {
    if (listener != nullptr) {
        m_listeners.push_back(listener);
    }
}

void Model::Impl::removeListener(ModelListener* listener) {
    std::erase(m_listeners, listener);
}

void Model::Impl::notifyListeners(ModelChangeEvent& event) {
    // A listener may register or unregister listeners while it is told.
    auto const listeners = m_listeners;
    std::exception_ptr failure;
    for (auto* listener : listeners) {
        if (std::find(m_listeners.begin(), m_listeners.end(), listener) == m_listeners.end()) {
            continue;
        }
        try {
            listener->modelChanged(event);
        } catch (...) {
            if (!failure) {
                failure = std::current_exception();
            }
        }
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}

// ---- proxies ----------------------------------------------------------------------------

int Model::Impl::getProxyResolutionCounter() noexcept {
    return t_proxyResolutionCounter;
}

Model::Impl::ProxyResolutionScope::ProxyResolutionScope() noexcept {
    ++t_proxyResolutionCounter;
}

Model::Impl::ProxyResolutionScope::~ProxyResolutionScope() {
    --t_proxyResolutionCounter;
}

ModelElement Model::Impl::resolveProxy(ModelElement::Impl const* owner, ModelElement const& proxy) {
    return resolve(owner, proxy, true);
}

ModelElement Model::Impl::peekResolveProxy(ModelElement::Impl const* owner,
                                           ModelElement const& proxy) const {
    return resolve(owner, proxy, false);
}

ModelElement Model::Impl::resolve(ModelElement::Impl const* /*owner*/, ModelElement const& proxy,
                                  bool mayOpen) const {
    if (proxy.isEmpty() || !proxy->m_proxyId) {
        return proxy;
    }
    testing::detail::failurePoint();
    ProxyResolutionScope const resolving;
    ModelElement::Impl* const found =
        detail::ModelReferences::resolve(*this, *proxy->m_proxyId, mayOpen);
    return found != nullptr ? ModelElement(found) : proxy;
}

}  // namespace korm::zero
