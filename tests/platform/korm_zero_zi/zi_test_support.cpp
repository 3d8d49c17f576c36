#include "zi_test_support.hpp"

#include <algorithm>
#include <boost/uuid/nil_generator.hpp>
#include <boost/uuid/uuid_io.hpp>
#include <utility>

#include "korm/zero/meta/meta_registry.hpp"
#include "tarsk/core/text.hpp"

namespace zi_test {

namespace {

using korm::zero::test::Holder;
using korm::zero::test::holderPackage;
using korm::zero::test::Item;
using olan::factory::basic::BindingRegistry;
using olan::internal::makeInterned;
namespace zi = korm::zero::zi;

class BodyMethod final : public olan::factory::OlanMethod {
  public:
    using Body = void (*)(int&, Value*, int, zvArray const* const*);
    BodyMethod(std::string name, Body body) : OlanMethod(std::move(name), 0, ""), m_body(body) {}
    void invoke(int& outputCount, Value* outputs, int inputCount,
                zvArray const* const* inputs) override {
        m_body(outputCount, outputs, inputCount, inputs);
    }

  private:
    Body m_body;
};

// The constructor of a bound element class, as script bindings write it: a usable model, an
// optional init struct, a binding of the new element holding one reference.
void constructDog(int& outputCount, Value* outputs, int inputCount, zvArray const* const* inputs) {
    Model const model = zi::modelOf(inputCount > 0 ? inputs[0] : nullptr);
    if (!model) {
        korm::zero::reportException(korm0::messages::CannotCreateWithoutModel());
    }
    auto const& dog = holderPackage().dog;
    auto builder = inputCount > 1 ? zi::detail::createBuilderFromStruct(inputs[1], 0, model, dog)
                                  : dog.getClassImpl()->instantiateBuilder(model);
    ModelElement const element = builder->create(boost::uuids::nil_uuid());
    BindingRegistry::announceForConstructor(element.getImpl(), makeInterned(dogClass()), outputs[0],
                                            true);
    element->addRef();
    outputCount = 1;
}

Value toys(Holder* holder) {
    return zi::bindCollection(&holder->toys());
}

std::u16string label(Item* item) {
    return tarsk::core::text::toUtf16(boost::uuids::to_string(item->getLabel()));
}

class DogClass final : public zi::KORM0WrapperInfo<Holder> {
  public:
    DogClass() : KORM0WrapperInfo("Dog", dogClass()) {}
    bool isAbstract() const override { return false; }
    void defineMembers(olan::COSClassDefinition& definition) override {
        definition.addSuperclass(makeInterned(zi::ModelElementClassName), 1, 0, 1);
        olan::factory::detail::initStringDataTypes();
        auto* constructor = new BodyMethod("Dog", &constructDog);
        olan::factory::impl::Invoker::createSignature(
            "model opt_init", dogClass(), zi::ModelClassName, "any", constructor->signature());
        constructor->signature().setOptionalInputCount(1);
        definition.addMethod(constructor);
        definition.addProperty(new olan::factory::impl::PropertyImpl(
            "Toys", "", 0,
            new olan::factory::impl::AdaptedClassGetter<Holder, Value>(makeInterned(dogClass()),
                                                                       &toys, "korm.zero.Set")));
    }
};

class RockClass final : public zi::KORM0WrapperInfo<Item> {
  public:
    RockClass() : KORM0WrapperInfo("Rock", rockClass()) {}
    void defineMembers(olan::COSClassDefinition& definition) override {
        definition.addSuperclass(makeInterned(zi::ModelElementClassName), 1, 0, 1);
        olan::factory::detail::initStringDataTypes();
        definition.addProperty(new olan::factory::impl::PropertyImpl(
            "Label", "", 0,
            new olan::factory::impl::AdaptedClassGetter<Item, std::u16string>(
                makeInterned(rockClass()), &label, olan::factory::detail::StringScalarType)));
    }
};

class SampleHostPackage final : public zi::EmptyParentPackage {
  public:
    SampleHostPackage() : EmptyParentPackage(holderPackage().prefix, "") {}
    void initializePackage(olan::COSPackage* package) override {
        package->addClass(new DogClass, olan::ClassDefineOnFirstUse);
        package->addClass(new RockClass, olan::ClassDefineOnFirstUse);
    }
};

}  // namespace

void setUpOnce() {
    static bool const done = [] {
        zi::initialize();
        korm::zero::meta::MetaRegistry::getInstance().registerType(
            holderPackage().dog, nullptr,
            [](Model const& model) -> std::unique_ptr<ModelElement::Builder> {
                return std::make_unique<korm::zero::test::HolderBuilder>(model);
            });
        (new SampleHostPackage)->registerPackage();
        return true;
    }();
    static_cast<void>(done);
}

std::string dogClass() {
    return holderPackage().prefix + ".Dog";
}

std::string rockClass() {
    return holderPackage().prefix + ".Rock";
}

void ZiTest::SetUp() {
    setUpOnce();
}

void ZiTest::TearDown() {
    EXPECT_EQ(host::liveObjectCount(), 0u);
    EXPECT_EQ(BindingRegistry::size(), 0u);
    EXPECT_EQ(host::failedDestroyCount(), 0u);
}

std::string textOf(Value const& value) {
    return zvGetString_UTF8(value.get());
}

double numberOf(Value const& value) {
    return zvGetDouble(value.get(), 0);
}

bool flagOf(Value const& value) {
    return zvGetLogical(value.get(), 0);
}

Value callOne(Value const& object, std::string_view method, host::Inputs const& inputs) {
    host::CallResult result = host::callOn(object.get(), method, inputs, 1);
    return std::move(result.outputs.at(0));
}

Value structOf(std::string_view field, Value value) {
    Value result(zvCreateStruct({}));
    zvSetField(result.get(), 0, field, value.release());
    return result;
}

// ---- KeyedItems -----------------------------------------------------------------------------

namespace {

boost::uuids::uuid labelOf(ModelElement const& element) {
    return static_cast<Item const*>(element.getImpl())->getLabel();
}

}  // namespace

template <class Base>
class KeyedGeneric : public Base {
  public:
    explicit KeyedGeneric(std::multimap<boost::uuids::uuid, ModelElement>& items)
        : m_items(items) {}
    std::size_t genericSize() const override { return m_items.size(); }
    void genericAdd(ModelElement const& element) override {
        m_items.emplace(labelOf(element), element);
    }
    void genericRemove(ModelElement const&) override {}
    void genericClear() override { m_items.clear(); }
    void genericBasicClear() override { m_items.clear(); }
    bool genericContains(ModelElement const& element) const override {
        auto [first, last] = m_items.equal_range(labelOf(element));
        return std::any_of(first, last, [&](auto const& entry) { return entry.second == element; });
    }
    korm::zero::meta::Type getQualifierType() const override {
        return korm::zero::meta::MetaRegistry::getInstance().getType(u"UUID");
    }
    std::vector<korm::zero::Value> genericKeys() const override {
        std::vector<korm::zero::Value> keys;
        for (auto it = m_items.begin(); it != m_items.end(); it = m_items.upper_bound(it->first)) {
            keys.push_back(korm::zero::test::uuidValue(it->first));
        }
        return keys;
    }

  protected:
    std::vector<ModelElement> all(korm::zero::Value const& key) const {
        std::vector<ModelElement> found;
        auto [first, last] = m_items.equal_range(key.getValue<boost::uuids::uuid>());
        for (; first != last; ++first) {
            found.push_back(first->second);
        }
        return found;
    }

  private:
    std::multimap<boost::uuids::uuid, ModelElement>& m_items;
};

class KeyedItems::MapInterface final : public KeyedGeneric<korm::zero::GenericMapInterface> {
  public:
    using KeyedGeneric::KeyedGeneric;
    ModelElement genericGet(korm::zero::Value const& key) const override {
        auto found = all(key);
        return found.empty() ? ModelElement() : found.front();
    }
};

class KeyedItems::MultimapInterface final
    : public KeyedGeneric<korm::zero::GenericMultimapInterface> {
  public:
    using KeyedGeneric::KeyedGeneric;
    std::vector<ModelElement> genericGet(korm::zero::Value const& key) const override {
        return all(key);
    }
};

KeyedItems::KeyedItems(bool uniqueKeys)
    : ReferenceCollection(nullptr, holderPackage().toys, nullptr) {
    if (uniqueKeys) {
        setGenericInterface(std::make_unique<MapInterface>(m_items));
    } else {
        setGenericInterface(std::make_unique<MultimapInterface>(m_items));
    }
}

void KeyedItems::add(ModelElement const& item) {
    basicAdd(item);
}

korm::zero::meta::Type KeyedItems::getCollectionType() const {
    return holderPackage().rock;
}

std::vector<ModelElement> KeyedItems::getAllValues() const {
    std::vector<ModelElement> values;
    for (auto const& [key, element] : m_items) {
        values.push_back(element);
    }
    return values;
}

void KeyedItems::basicAdd(ModelElement const& element) {
    m_items.emplace(labelOf(element), element);
}

void KeyedItems::basicRemove(ModelElement const& element) {
    for (auto it = m_items.begin(); it != m_items.end(); ++it) {
        if (it->second == element) {
            m_items.erase(it);
            return;
        }
    }
}

}  // namespace zi_test
