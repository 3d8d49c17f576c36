#include "sample.hpp"

#include <algorithm>
#include <atomic>
#include <boost/uuid/name_generator_sha1.hpp>
#include <boost/uuid/uuid_io.hpp>
#include <stdexcept>

#include "tarsk/core/text.hpp"

namespace korm::zero::test {

namespace {
std::atomic<int> g_sampleCount{0};
}  // namespace

boost::uuids::uuid SamplePackage::nextId() {
    if (idSeed.empty()) {
        return ElementImpl::generateNewUuid();
    }
    return boost::uuids::name_generator_sha1(boost::uuids::nil_uuid())(idSeed + "/" +
                                                                       std::to_string(m_idCount++));
}

std::string SamplePackage::nextIdText() {
    return boost::uuids::to_string(nextId());
}

void SamplePackage::build() {
    m_idCount = 0;
    using tarsk::core::text::toUtf16;
    auto& registry = meta::MetaRegistry::getInstance();
    prefix = "sample" + std::to_string(g_sampleCount++);
    std::u16string const prefix16 = toUtf16(prefix);

    package = createPackage(prefix16, u"test:/" + prefix16);
    animal = createClass(u"Animal", prefix + ".Animal", true, nextIdText());
    name = createProperty(u"Name", ValueFlags(1), false, nextIdText());
    setPropertyIndex(name, 1);
    speak = createOperation(u"speak", nextId());
    loudness = createArgument(u"loudness", nextId());
    dog = createClass(u"Dog", prefix + ".Dog", false, nextIdText());
    toys = createProperty(u"Toys", ValueFlags(6), true, nextIdText());
    setPropertyIndex(toys, 1);
    friends = createProperty(u"Friends", ValueFlags(8), false, nextIdText());
    setPropertyIndex(friends, 2);
    fetch = createOperation(u"fetch", nextId());
    what = createArgument(u"what", nextId());
    puppy = createClass(u"Puppy", prefix + ".Puppy", false, nextIdText());
    rock = createClass(u"Rock", prefix + ".Rock", false, nextIdText());
    label = createProperty(u"Label", ValueFlags(1), false, nextIdText());
    setPropertyIndex(label, 1);
    owner = createProperty(u"Owner", ValueFlags(1), false, nextIdText());
    setPropertyIndex(owner, 2);

    meta::Class const element = registry.getModelElementClass();
    for (auto const& [type, superclass] : {std::pair{animal, element}, std::pair{dog, animal},
                                           std::pair{puppy, dog}, std::pair{rock, element}}) {
        type.getClassImpl()->setOwningPackage(package);
        type.getClassImpl()->setSuperclass(superclass);
    }
    rec(name)->setOwningType(animal);
    rec(name)->setType(registry.getType(u"String"));
    rec(toys)->setOwningType(dog);
    rec(toys)->setType(rock);
    rec(toys)->setQualifiedBy(label);
    rec(toys)->setIsQualificationUnique(true);
    rec(toys)->setOpposite(owner);
    rec(friends)->setOwningType(dog);
    rec(friends)->setType(dog);
    rec(friends)->setIsOrdered(true);
    rec(friends)->setIsUnique(true);
    rec(label)->setOwningType(rock);
    rec(label)->setType(registry.getType(u"UUID"));
    rec(label)->setDefaultValue(boost::none);
    rec(owner)->setOwningType(rock);
    rec(owner)->setType(dog);
    rec(owner)->setOpposite(toys);

    rec(speak)->setOwningType(animal);
    rec(speak)->setType(registry.getType(u"String"));
    rec(loudness)->setOperation(speak);
    rec(loudness)->setType(registry.getType(u"Boolean"));
    rec(fetch)->setOwningType(dog);
    rec(what)->setOperation(fetch);
    rec(what)->setType(registry.getType(u"UUID"));

    for (auto const& [type, shortName] : {std::pair{animal, "Animal"}, std::pair{dog, "Dog"},
                                          std::pair{puppy, "Puppy"}, std::pair{rock, "Rock"}}) {
        registry.registerTypeNames(type, prefix + "::" + shortName, prefix + "." + shortName,
                                   type == animal ? prefix + ".Beast" : std::string());
    }
}

void SamplePackage::buildCommitted() {
    MetaBuildScope scope;
    build();
    scope.commit();
}

SamplePackage const& holderPackage() {
    static SamplePackage const package = [] {
        SamplePackage p;
        p.buildCommitted();
        meta::MetaRegistry::getInstance().registerType(
            p.rock, nullptr, [](Model const& model) -> std::unique_ptr<ModelElement::Builder> {
                return std::make_unique<ItemBuilder>(model);
            });
        return p;
    }();
    return package;
}

// ---- TestSequence -----------------------------------------------------------------------

class TestSequence::Generic : public GenericSequenceInterface {
  public:
    explicit Generic(TestSequence& s) : m_s(s) {}
    std::size_t genericSize() const override { return m_s.m_items.size(); }
    void genericAdd(ModelElement const& element) override { m_s.add(element); }
    void genericRemove(ModelElement const& element) override { m_s.remove(element); }
    void genericClear() override {
        while (!m_s.m_items.empty()) {
            m_s.remove(m_s.m_items.back());
        }
    }
    void genericBasicClear() override { genericClear(); }
    bool genericContains(ModelElement const& element) const override {
        return std::find(m_s.m_items.begin(), m_s.m_items.end(), element) != m_s.m_items.end();
    }
    ModelElement genericGetAt(std::size_t index) const override {
        return index < m_s.m_items.size() ? m_s.m_items[index] : ModelElement();
    }
    void genericSetAt(std::size_t index, ModelElement const& element) override {
        Operation operation(m_s);
        m_s.modifying();
        m_s.m_items.at(index) = element;
        operation.commit();
    }
    void genericInsertAt(std::size_t index, ModelElement const& element) override {
        Operation operation(m_s);
        m_s.modifying();
        m_s.m_items.insert(m_s.m_items.begin() + static_cast<std::ptrdiff_t>(index), element);
        operation.commit();
    }
    void genericRemoveAt(std::size_t index) override {
        if (index < m_s.m_items.size()) {
            m_s.remove(m_s.m_items[index]);
        }
    }

  private:
    TestSequence& m_s;
};

TestSequence::TestSequence(ModelElement::Impl* owner, meta::Property property)
    : ReferenceCollection(owner, std::move(property), nullptr) {
    setGenericInterface(std::make_unique<Generic>(*this));
}

void TestSequence::add(ModelElement const& element, bool failAfterChange) {
    if (!element) {
        return;
    }
    checkCompatibleModel(element.getImpl());
    Operation operation(*this);
    modifying();
    m_items.push_back(element);
    if (isComposite()) {
        getOwner()->_setContainedByThis(element.getImpl(), getCollectionProperty());
    }
    if (failAfterChange) {
        throw std::runtime_error("failing on purpose");
    }
    operation.commit();
}

void TestSequence::remove(ModelElement const& element) {
    auto const it = std::find(m_items.begin(), m_items.end(), element);
    if (it == m_items.end()) {
        return;
    }
    Operation operation(*this);
    modifying();
    if (isComposite()) {
        element->basicSetContainer(nullptr, meta::Property(), ModelElement::Impl::NO_INDEX);
    }
    m_items.erase(it);
    operation.commit();
}

meta::Type TestSequence::getCollectionType() const {
    return holderPackage().rock;
}

bool TestSequence::resolveAdd(ModelElement const& element) {
    m_items.push_back(element);
    return true;
}

void TestSequence::basicRemove(ModelElement const& element) {
    auto const it = std::find(m_items.begin(), m_items.end(), element);
    if (it != m_items.end()) {
        m_items.erase(it);
    }
}

void TestSequence::basicClear() {
    modifying();
    m_items.clear();
}

void TestSequence::basicCopyValues(ReferenceCollection const& source) {
    Operation operation(*this);
    modifying();
    m_items = source.getAllValues();
    operation.commit();
}

// ---- Holder -----------------------------------------------------------------------------

class Holder::Storage : public ModelElement::Impl::Storage {
  public:
    using ModelElement::Impl::Storage::Storage;
    std::vector<ModelElement> oldToys;
};

Holder::Holder(Model const& model, boost::uuids::uuid const& id)
    : ModelElement::Impl(model, id)
    , m_toys(std::make_unique<TestSequence>(this, holderPackage().toys)) {}

Holder::Holder(ModelElement::Builder& builder, boost::uuids::uuid const& id)
    : ModelElement::Impl(builder, id)
    , m_toys(std::make_unique<TestSequence>(this, holderPackage().toys)) {}

ModelElement Holder::create(Model const& model) {
    Transaction transaction = model->beginTransaction(false);
    ModelElement element(new Holder(model, boost::uuids::nil_uuid()));
    element->notifyCreated();
    transaction.commit();
    return element;
}

meta::Class Holder::getMetaClass() const {
    return holderPackage().dog;
}

meta::Property Holder::getPropertyByIndex(std::size_t index) const {
    return index == 1 ? holderPackage().toys : ModelElement::Impl::getPropertyByIndex(index);
}

Value Holder::getPropertyValue(meta::Property const& property, AccessTag tag) const {
    if (property == holderPackage().toys) {
        return Value::reference(ValueMeta(property), m_toys.get());
    }
    return ModelElement::Impl::getPropertyValue(property, tag);
}

void Holder::inverseRemove(ModelElement const& element, meta::Property const& /*property*/) {
    if (m_toys->getOwner() != nullptr) {
        m_toys->remove(element);
    }
}

void Holder::basicDisassociateAll() {
    ModelElement::Impl::_basicClear(*m_toys);
}

std::unique_ptr<ModelElement::Impl::Storage> Holder::createStorage() const {
    return std::make_unique<Storage>(getUuid(), getModel(), getMetaClass(), 2);
}

void Holder::copyValue(ModelElement::Impl::Storage& storage, std::size_t index) const {
    if (index == 1) {
        static_cast<Storage&>(storage).oldToys = m_toys->items();
    } else {
        ModelElement::Impl::copyValue(storage, index);
    }
}

void Holder::copyStateFromStorage(ModelElement::Impl::Storage const& storage) {
    if (storage.isChanged(1)) {
        m_toys->m_items = static_cast<Storage const&>(storage).oldToys;
    }
    ModelElement::Impl::copyStateFromStorage(storage);
}

// ---- Item -------------------------------------------------------------------------------

class Item::Storage : public ModelElement::Impl::Storage {
  public:
    using ModelElement::Impl::Storage::Storage;
    boost::uuids::uuid oldLabel = boost::uuids::nil_uuid();
};

Item::Item(Model const& model, boost::uuids::uuid const& id) : ModelElement::Impl(model, id) {}

Item::Item(ModelElement::Builder& builder, boost::uuids::uuid const& id)
    : ModelElement::Impl(builder, id) {}

ModelElement Item::create(Model const& model, boost::uuids::uuid const& label) {
    Transaction transaction = model->beginTransaction(false);
    ModelElement element(new Item(model, boost::uuids::nil_uuid()));
    element->notifyCreated();
    static_cast<Item*>(element.getImpl())->setLabel(label);
    transaction.commit();
    return element;
}

ModelElement Item::createProxy(Model const& model, ProxyId id) {
    auto* record = new Item(model, boost::uuids::nil_uuid());
    ModelElement element(record);
    record->announceAsProxy(std::move(id));
    return element;
}

void Item::setLabel(boost::uuids::uuid const& label) {
    if (label == m_label) {
        return;
    }
    Transaction transaction = getModel()->beginTransaction(false);
    notifyModifying(1);
    m_label = label;
    transaction.commit();
}

meta::Class Item::getMetaClass() const {
    return holderPackage().rock;
}

Value Item::getPropertyValue(meta::Property const& property, AccessTag tag) const {
    if (property == holderPackage().label) {
        return uuidValue(m_label);
    }
    return ModelElement::Impl::getPropertyValue(property, tag);
}

meta::Property Item::getPropertyByIndex(std::size_t index) const {
    return index == 1 ? holderPackage().label : ModelElement::Impl::getPropertyByIndex(index);
}

void Item::setPropertyValue(meta::Property const& property, Value const& value, AccessTag tag) {
    if (property == holderPackage().label) {
        setLabel(value.getValue<boost::uuids::uuid>());
    } else {
        ModelElement::Impl::setPropertyValue(property, value, tag);
    }
}

std::unique_ptr<ModelElement::Impl::Storage> Item::createStorage() const {
    return std::make_unique<Storage>(getUuid(), getModel(), getMetaClass(), 2);
}

void Item::copyValue(ModelElement::Impl::Storage& storage, std::size_t index) const {
    if (index == 1) {
        static_cast<Storage&>(storage).oldLabel = m_label;
    } else {
        ModelElement::Impl::copyValue(storage, index);
    }
}

void Item::copyStateFromStorage(ModelElement::Impl::Storage const& storage) {
    if (storage.isChanged(1)) {
        m_label = static_cast<Storage const&>(storage).oldLabel;
    }
    ModelElement::Impl::copyStateFromStorage(storage);
}

// ---- builders ---------------------------------------------------------------------------

namespace {

// The pattern of a generated doCreate: a nested builder makes its element once per
// orchestrated creation; a top-level one runs its own orchestrator.
template <class Record, class Cascade>
ModelElement createWithPattern(ModelElement::Builder& builder, bool unannounced,
                               boost::uuids::uuid const& id, Cascade cascade) {
    auto make = [&] {
        ModelElement element(new Record(builder, id));
        if (!unannounced) {
            element->notifyCreated();
            cascade(static_cast<Record&>(*element.getImpl()));
        }
        return element;
    };
    if (auto* orchestrator = builder.getOrchestrator()) {
        ModelElement made = orchestrator->getCreatedElement(builder);
        return made ? made : make();
    }
    ModelElement::Builder::Orchestrator orchestrator(builder);
    ModelElement element = make();
    orchestrator.commit();
    return element;
}

}  // namespace

meta::Class ItemBuilder::getMetaClass() const {
    return holderPackage().rock;
}

void ItemBuilder::setOrAdd(meta::Property const& property, Value const& value) {
    if (property == holderPackage().label) {
        label = value.getValue<boost::uuids::uuid>();
        setGiven(1);
    } else {
        Builder::setOrAdd(property, value);
    }
}

ModelElement ItemBuilder::doCreate(bool unannounced, boost::uuids::uuid const& id) {
    return createWithPattern<Item>(*this, unannounced, id, [this](Item& item) {
        if (isGiven(1)) {
            item.setLabel(label);
        }
    });
}

meta::Class HolderBuilder::getMetaClass() const {
    return holderPackage().dog;
}

void HolderBuilder::setOrAdd(meta::Property const& property, std::unique_ptr<Builder>& builder) {
    auto const& p = holderPackage();
    if (property == p.toys && builder &&
        builder->getMetaClass().getClassImpl()->conformsTo(p.rock)) {
        toys.push_back(std::move(builder));
        setGiven(1);
    } else {
        Builder::setOrAdd(property, builder);
    }
}

ModelElement HolderBuilder::doCreate(bool unannounced, boost::uuids::uuid const& id) {
    return createWithPattern<Holder>(*this, unannounced, id, [this](Holder& holder) {
        for (auto& toy : toys) {
            getOrchestrator()->addBuilder(*toy);
            holder.toys().add(toy->create(boost::uuids::nil_uuid()));
        }
        if (failInCascade) {
            throw std::runtime_error("cascade fails on purpose");
        }
    });
}

// ---- UUID values ------------------------------------------------------------------------

Value uuidValue(boost::uuids::uuid const& id, ValueMeta meta) {
    Value::Operations ops;
    ops.deleter = [](void* p) { delete static_cast<boost::uuids::uuid*>(p); };
    ops.cloner = [](void const* p) -> void* {
        return new boost::uuids::uuid(*static_cast<boost::uuids::uuid const*>(p));
    };
    ops.comparator = [](void const* a, void const* b) {
        return *static_cast<boost::uuids::uuid const*>(a) ==
               *static_cast<boost::uuids::uuid const*>(b);
    };
    ops.hasher = [](void const* p) {
        return services::hashers::KORM0Hasher()(*static_cast<boost::uuids::uuid const*>(p));
    };
    return Value(std::move(meta), new boost::uuids::uuid(id), ops);
}

Value uuidValue(boost::uuids::uuid const& id) {
    return uuidValue(
        id, ValueMeta(meta::MetaRegistry::getInstance().getType(u"UUID"), ValueMeta::KIND_SINGLE));
}

}  // namespace korm::zero::test

namespace korm::zero {

template <>
void Value::checkCompatible<boost::uuids::uuid>() const {
    if (hasData() && !(getType() == meta::MetaRegistry::getInstance().getType(u"UUID"))) {
        reportIncompatible();
    }
}

template <>
boost::uuids::uuid Value::getValue<boost::uuids::uuid>() const {
    checkCompatible<boost::uuids::uuid>();
    return hasData() ? *static_cast<boost::uuids::uuid const*>(getPayload())
                     : boost::uuids::nil_uuid();
}

}  // namespace korm::zero
