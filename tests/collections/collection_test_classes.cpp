#include "collection_test_classes.hpp"

#include <atomic>
#include <boost/uuid/uuid_io.hpp>
#include <mutex>
#include <string>

#include "korm/zero/meta/meta_objects.hpp"
#include "korm/zero/meta/meta_package.hpp"
#include "korm/zero/meta/meta_registry.hpp"

namespace korm::zero::colltest {

namespace {

std::string newId() {
    return boost::uuids::to_string(ElementImpl::generateNewUuid());
}

class TestPackage : public meta::AbstractMetaPackage {
  public:
    CollectionTestMeta build() {
        auto& registry = meta::MetaRegistry::getInstance();
        std::unique_lock<std::recursive_mutex> lock(registry.getMutex());
        Model::Thawer thaw = registry.getFreezer().thaw();
        Transaction transaction = registry.getMetaModel()->beginTransaction(true);

        CollectionTestMeta m;
        meta::Package const package = createPackage(u"colltest", u"test:/colltest");
        m.entry = createClass(u"Entry", "colltest.Entry", false, newId());
        m.holder = createClass(u"Holder", "colltest.Holder", false, newId());
        m.stranger = createClass(u"Stranger", "colltest.Stranger", false, newId());
        meta::Class const root = registry.getModelElementClass();
        for (auto const& cls : {m.entry, m.holder, m.stranger}) {
            cls.getClassImpl()->setOwningPackage(package);
            cls.getClassImpl()->setSuperclass(root);
        }
        meta::Type const uuid = registry.getType(u"UUID");
        auto property = [&](char16_t const* name, ValueFlags flags, bool containment,
                            meta::Class const& owner, meta::Type const& type, int index) {
            meta::Property p = createProperty(name, flags, containment, newId());
            setPropertyIndex(p, index);
            p.getPropertyImpl()->setOwningType(owner);
            p.getPropertyImpl()->setType(type);
            return p;
        };
        m.key = property(u"Key", VALUE_PLAIN, false, m.entry, uuid, 1);
        m.map = property(u"Map", ValueFlags(6), true, m.holder, m.entry, 1);
        m.multi = property(u"Multi", ValueFlags(5), true, m.holder, m.entry, 2);
        m.seq = property(u"Seq", VALUE_MANY, true, m.holder, m.entry, 3);
        m.set = property(u"Set", VALUE_MANY, false, m.holder, m.entry, 4);
        m.map.getPropertyImpl()->setQualifiedBy(m.key);
        m.multi.getPropertyImpl()->setQualifiedBy(m.key);
        m.seq.getPropertyImpl()->setIsOrdered(true);
        m.seq.getPropertyImpl()->setIsUnique(true);
        transaction.commit();
        return m;
    }
};

/// Creates a handle's element in `model` as one step, `init` setting its state before commit.
template <class Handle, class Init>
Handle createIn(Model const& model, Init init) {
    Transaction transaction = model->beginTransaction(false);
    Handle handle(new typename Handle::Impl(model, boost::uuids::nil_uuid()));
    handle.getImpl()->notifyCreated();
    init(static_cast<typename Handle::Impl&>(*handle.getImpl()));
    transaction.commit();
    return handle;
}

}  // namespace

CollectionTestMeta const& CollectionTestMeta::get() {
    static CollectionTestMeta const meta = TestPackage().build();
    return meta;
}

// ---- Entry ----------------------------------------------------------------------------------

Entry::Entry(Impl* record) noexcept : ModelElement(record) {}

Entry::Impl* Entry::operator->() const noexcept {
    return static_cast<Impl*>(m_impl);
}

Entry Entry::create(Model const& model, boost::uuids::uuid const& key) {
    return createIn<Entry>(model, [&key](Impl& entry) { entry.m_key = key; });
}

Entry::Impl::Impl(Model const& model, boost::uuids::uuid const& id)
    : ModelElement::Impl(model, id) {}

Entry::Impl::~Impl() {
    m_refCount.store(REFCOUNT_DELETING);
    std::atomic_thread_fence(std::memory_order_seq_cst);
}

void Entry::Impl::setKey(boost::uuids::uuid const& key) {
    if (isProxy()) {
        reportException(korm0::messages::CannotModifyProxy());
    }
    if (key == m_key) {
        return;
    }
    KeyedCollectionInterface<boost::uuids::uuid>::changeKey(*this, key, [&] { storeKey(key); });
}

void Entry::Impl::storeKey(boost::uuids::uuid const& key) {
    notifyModifying(KEY);
    m_key = key;
}

std::unique_ptr<ModelElement::Impl::Changes> Entry::Impl::createChanges() const {
    return std::make_unique<Changes>(getUuid(), getModel(), getMetaClass(), BIT_COUNT - 1);
}

std::unique_ptr<ModelElement::Impl::Storage> Entry::Impl::createStorage() const {
    return std::make_unique<Storage>(getUuid(), getModel(), getMetaClass(), BIT_COUNT);
}

void Entry::Impl::copyValue(ModelElement::Impl::Storage& storage, std::size_t index) const {
    auto& own = static_cast<Storage&>(storage);
    if (index == KEY) {
        own.oldKey = m_key;
    } else {
        ModelElement::Impl::copyValue(storage, index);
    }
}

void Entry::Impl::copyStateFromStorage(ModelElement::Impl::Storage const& storage) {
    auto const& own = static_cast<Storage const&>(storage);
    if (own.isChanged(KEY)) {
        m_key = own.oldKey;
    }
    ModelElement::Impl::copyStateFromStorage(storage);
}

void Entry::Impl::Storage::revertUnchanged(ModelElement::Impl const& record) {
    auto const& entry = static_cast<Entry::Impl const&>(record);
    if (isChanged(KEY) && oldKey == entry.m_key) {
        clearChanged(KEY);
    }
    ModelElement::Impl::Storage::revertUnchanged(record);
}

// ---- Holder ---------------------------------------------------------------------------------

Holder::Holder(Impl* record) noexcept : ModelElement(record) {}

Holder::Impl* Holder::operator->() const noexcept {
    return static_cast<Impl*>(m_impl);
}

Holder Holder::create(Model const& model) {
    return createIn<Holder>(model, [](Impl&) {});
}

/// A new, empty collection of property index 1 to 4, owned by `owner` (none for an old value).
std::unique_ptr<ReferenceCollection> Holder::Impl::makeCollection(std::size_t index,
                                                                  ModelElement::Impl* owner) {
    auto const& meta = CollectionTestMeta::get();
    ModelElement::CollectionPrivateTag const tag;
    switch (index) {
        case MAP:
            return std::make_unique<Map>(tag, &Entry::Impl::getKey, owner, meta.map, nullptr);
        case MULTI:
            return std::make_unique<Multi>(tag, &Entry::Impl::getKey, owner, meta.multi, nullptr);
        case SEQ:
            return std::make_unique<Seq>(tag, owner, meta.seq, nullptr, true);
        default:
            return std::make_unique<Set>(tag, owner, meta.set, nullptr);
    }
}

Holder::Impl::Impl(Model const& model, boost::uuids::uuid const& id)
    : ModelElement::Impl(model, id) {
    for (std::size_t i = MAP; i < BIT_COUNT; ++i) {
        m_collections[i] = makeCollection(i, this);
    }
}

Holder::Impl::~Impl() {
    m_refCount.store(REFCOUNT_DELETING);
    std::atomic_thread_fence(std::memory_order_seq_cst);
}

std::size_t Holder::Impl::indexOf(meta::Property const& property) const {
    for (std::size_t i = MAP; i < BIT_COUNT; ++i) {
        if (collection(i).getCollectionProperty() == property) {
            return i;
        }
    }
    return NO_INDEX;
}

Value Holder::Impl::getPropertyValue(meta::Property const& property, AccessTag tag) const {
    std::size_t const index = indexOf(property);
    if (index == NO_INDEX) {
        return ModelElement::Impl::getPropertyValue(property, tag);
    }
    return Value::reference(ValueMeta(property), &collection(index));
}

void Holder::Impl::doDestroy(bool disassociate, bool toProxies) {
    for (std::size_t i = MAP; i <= SEQ; ++i) {  // the containments
        std::vector<ModelElement> const snapshot = collection(i).getAllValuesAndProxies();
        for (auto const& element : snapshot) {
            if (!element->isProxy()) {
                element->destroyRecursively(disassociate, false, toProxies);
            }
        }
        if (!snapshot.empty()) {
            notifyModifying(i);
            _basicClear(collection(i));
        }
    }
    ModelElement::Impl::doDestroy(disassociate, toProxies);
}

void Holder::Impl::inverseAdd(ModelElement const& element, meta::Property const& property) {
    std::size_t const index = indexOf(property);
    if (index == NO_INDEX) {
        ModelElement::Impl::inverseAdd(element, property);
        return;
    }
    notifyModifying(index);
    _basicAdd(collection(index), element);
}

void Holder::Impl::inverseRemove(ModelElement const& element, meta::Property const& property) {
    std::size_t const index = indexOf(property);
    if (index == NO_INDEX) {
        ModelElement::Impl::inverseRemove(element, property);
        return;
    }
    _basicRemove(collection(index), element);
}

void Holder::Impl::basicDisassociateAll() {
    for (std::size_t i = MAP; i < BIT_COUNT; ++i) {
        _basicClear(collection(i));
    }
}

std::unique_ptr<ModelElement::Impl::Changes> Holder::Impl::createChanges() const {
    return std::make_unique<Changes>(getUuid(), getModel(), getMetaClass(), BIT_COUNT - 1);
}

std::unique_ptr<ModelElement::Impl::Storage> Holder::Impl::createStorage() const {
    return std::make_unique<Storage>(getUuid(), getModel(), getMetaClass(), BIT_COUNT);
}

void Holder::Impl::copyValue(ModelElement::Impl::Storage& storage, std::size_t index) const {
    if (index < MAP || index >= BIT_COUNT) {
        ModelElement::Impl::copyValue(storage, index);
        return;
    }
    // The whole collection is copied: the cost of the first change of a collection in a
    // transaction grows with its size.
    std::unique_ptr<ReferenceCollection> copy = makeCollection(index, nullptr);
    _basicCopyValues(*copy, collection(index));
    static_cast<Storage&>(storage).old[index] = std::move(copy);
}

void Holder::Impl::copyStateFromStorage(ModelElement::Impl::Storage const& storage) {
    auto const& own = static_cast<Storage const&>(storage);
    Model const keepModel = getModel();
    for (std::size_t i = MAP; i < BIT_COUNT; ++i) {
        if (own.isChanged(i) && own.old[i]) {
            _basicCopyValues(collection(i), *own.old[i]);
        }
    }
    ModelElement::Impl::copyStateFromStorage(storage);
}

// ---- Stranger -------------------------------------------------------------------------------

Stranger::Stranger(Impl* record) noexcept : ModelElement(record) {}

Stranger Stranger::create(Model const& model) {
    return createIn<Stranger>(model, [](Impl&) {});
}

}  // namespace korm::zero::colltest
