#include "zi_test_support.hpp"

#include <boost/uuid/nil_generator.hpp>
#include <utility>

#include "korm/zero/meta/meta_registry.hpp"

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

}  // namespace zi_test
