// Bindings of native pointers to host objects: identity while held, destroy-instance exactly once
// when the last host reference goes.

#include <gtest/gtest.h>

#include "olan_test_support.hpp"

namespace olan_test {
namespace {

namespace host = olan::host;
namespace errors = olan::errors;
using olan::factory::basic::BindingRegistry;

// A native object that the host deletes itself.
struct Owned {
    static inline int alive = 0;
    Owned() { ++alive; }
    ~Owned() { --alive; }
};

class BindingTest : public HostTest {
  protected:
    void SetUp() override {
        HostTest::SetUp();
        registerLab();
    }
    // A native meter in the catalogue (which holds one reference of its own).
    static Meter* catalogued(const std::u16string& label) {
        auto* meter = new Meter(label);
        meterCatalogue()[label] = meter;
        return meter;
    }
    static Value lookup(std::u16string_view label) {
        Value name = str(label);
        return std::move(host::call(MeterType, "lookup", {name.get()}, 1).outputs[0]);
    }
};

TEST_F(BindingTest, OnePointerHasOneObjectWhileTheHostHoldsIt) {
    Meter* meter = catalogued(u"a");
    Value first = lookup(u"a");
    Value second = lookup(u"a");
    olan::Object* object = omGetArrayElement(first.get(), 0);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(omGetArrayElement(second.get(), 0), object);
    EXPECT_EQ(BindingRegistry::find(meter), object);
    EXPECT_EQ(object->getNativePointer(makeInterned(MeterType)), meter);
    EXPECT_EQ(object->getNativePointer(makeInterned(DeviceType)), nullptr);
    EXPECT_EQ(object->referenceCount(), 2u);
    EXPECT_EQ(meter->references, 2);  // the catalogue's and the binding's

    first.reset();
    EXPECT_EQ(meterEvents().destroyCalls, 0);
    second.reset();
    EXPECT_EQ(meterEvents().destroyCalls, 1);
    EXPECT_EQ(meterEvents().bindingsReleased, 1);
    EXPECT_EQ(meter->references, 1);
    EXPECT_EQ(BindingRegistry::find(meter), nullptr);
    EXPECT_EQ(BindingRegistry::size(), 0u);

    // Announced again after the drop: a new object and a new binding.
    Value third = lookup(u"a");
    EXPECT_EQ(meter->references, 2);
    EXPECT_EQ(BindingRegistry::find(meter), omGetArrayElement(third.get(), 0));
}

TEST_F(BindingTest, DestroyInstanceRunsOnceWhateverHoldsTheObject) {
    Value label = str(u"x");
    Value made = host::construct(MeterType, {label.get()});
    Value cells(zvCreateCellArray(2, {1, 2}));
    zvSetCell(cells.get(), 0, zvDuplicateArray(made.get()));
    Value s(zvCreateStruct({"M"}));
    zvSetField(s.get(), 0, "M", zvDuplicateArray(made.get()));
    Value copyOfCells = cells.duplicate();
    EXPECT_EQ(omGetArrayElement(made.get(), 0)->referenceCount(), 4u);

    made.reset();
    cells.reset();
    s.reset();
    EXPECT_EQ(meterEvents().destroyCalls, 0);
    EXPECT_EQ(Meter::alive, 1);
    copyOfCells.reset();
    EXPECT_EQ(meterEvents().destroyCalls, 1);
    EXPECT_EQ(Meter::alive, 0);  // the binding held the last reference
    EXPECT_EQ(host::liveObjectCount(), 0u);
}

TEST_F(BindingTest, ConstructedObjectsAreFoundByTheirPointer) {
    Value label = str(u"built");
    Value made = host::construct(MeterType, {label.get()});
    olan::Object* object = omGetArrayElement(made.get(), 0);
    auto* meter = object->getNativePointerAs<Meter>(makeInterned(MeterType));
    ASSERT_NE(meter, nullptr);
    EXPECT_EQ(object->primaryPointer(), meter);
    EXPECT_EQ(BindingRegistry::find(meter), object);

    MeterReference::acquire(meter);
    meterCatalogue()[u"built"] = meter;
    Value found = lookup(u"built");
    EXPECT_EQ(omGetArrayElement(found.get(), 0), object);
    EXPECT_EQ(meter->references, 2);  // catalogue, binding; the lookup added none

    // Neither the object nor the pointer can be bound a second time.
    Meter other(u"other");
    EXPECT_HOST_ERROR(
        BindingRegistry::announceForConstructor(&other, makeInterned(MeterType), made, true),
        errors::AlreadyBound);
    Value fresh = str(u"fresh");
    Value another = host::construct(MeterType, {fresh.get()});
    EXPECT_HOST_ERROR(
        BindingRegistry::announceForConstructor(meter, makeInterned(MeterType), another, true),
        errors::AlreadyBound);
    Value number(zvCreateDouble(1));
    EXPECT_HOST_ERROR(
        BindingRegistry::announceForConstructor(meter, makeInterned(MeterType), number, true),
        errors::NotAnObject);
}

TEST_F(BindingTest, AnnouncingNullOrUnknownClasses) {
    bool isNew = true;
    Value empty = BindingRegistry::announce(nullptr, makeInterned(MeterType), isNew);
    EXPECT_FALSE(isNew);
    EXPECT_TRUE(zvIsEmpty(empty.get()));
    EXPECT_EQ(host::className(empty.get()), MeterType);
    EXPECT_EQ(omGetArrayElement(empty.get(), 0), nullptr);

    Meter loose(u"loose");
    EXPECT_HOST_ERROR(BindingRegistry::announce(&loose, makeInterned("lab.devices.None"), isNew),
                      errors::UndefinedClass);
    olan::COSPackage::addPackage(new LambdaPackage("v", [](olan::COSPackage* package) {
        package->addClass(new LambdaClass("Plain", "v.Plain", {}, false), 2);
    }));
    EXPECT_HOST_ERROR(BindingRegistry::announce(&loose, makeInterned("v.Plain"), isNew),
                      errors::NotAHandleClass);
    EXPECT_EQ(host::liveObjectCount(), 0u);
}

TEST_F(BindingTest, ExtraBindingsAndTheDefaultDestroyInstance) {
    // A class keeping the default destroy-instance with host-deleted instances.
    struct OwnedClass : olan::factory::HandleClassInfo<Owned, true> {
        OwnedClass() : HandleClassInfo("Owned", "v.Owned") {}
    };
    olan::COSPackage::addPackage(new LambdaPackage(
        "v", [](olan::COSPackage* package) { package->addClass(new OwnedClass, 2); }));
    bool isNew = false;
    auto* native = new Owned;
    {
        Value held = BindingRegistry::announce(native, makeInterned("v.Owned"), isNew);
        EXPECT_TRUE(isNew);
        olan::Object* object = omGetArrayElement(held.get(), 0);
        object->setNativePointer(makeInterned("v.View"), native);
        EXPECT_EQ(object->getNativePointer(makeInterned("v.View")), native);
        object->setNativePointer(makeInterned("v.View"), nullptr);
        EXPECT_EQ(object->getNativePointer(makeInterned("v.View")), nullptr);
        EXPECT_EQ(BindingRegistry::size(), 1u);
    }
    EXPECT_EQ(Owned::alive, 0);
    EXPECT_EQ(BindingRegistry::size(), 0u);
}

TEST_F(BindingTest, FailingDestroyInstanceIsCountedAndTheBindingStillGoes) {
    struct Failing : olan::factory::HandleClassInfo<Meter, false> {
        Failing() : HandleClassInfo("Failing", "v.Failing") {}
        void destroyNativeInstance(Meter*) override { throw std::runtime_error("cannot"); }
    };
    olan::COSPackage::addPackage(new LambdaPackage(
        "v", [](olan::COSPackage* package) { package->addClass(new Failing, 2); }));
    Meter native(u"n");
    bool isNew = false;
    BindingRegistry::announce(&native, makeInterned("v.Failing"), isNew).reset();
    EXPECT_EQ(host::failedDestroyCount(), 1u);
    EXPECT_EQ(BindingRegistry::find(&native), nullptr);
    EXPECT_EQ(BindingRegistry::size(), 0u);
}

TEST_F(BindingTest, ResetWaitsForTheLastObject) {
    Value label = str(u"held");
    Value made = host::construct(MeterType, {label.get()});
    EXPECT_HOST_ERROR(host::reset(), errors::LiveObjects);
    EXPECT_TRUE(host::classExists(MeterType));
    made.reset();
    host::reset();
    EXPECT_FALSE(host::classExists(MeterType));
}

}  // namespace
}  // namespace olan_test
