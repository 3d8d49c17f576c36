#include "olan_test_support.hpp"

namespace olan_test {

namespace {

using olan::factory::MethodAttributes;
using olan::factory::basic::BindingRegistry;
using olan::factory::impl::AdaptedClassGetter;
using olan::factory::impl::AdaptedClassSetter;
using olan::factory::impl::PropertyImpl;

// The binding of a new object to a meter holds one reference of the meter, released by
// destroy-instance; bindings of meters that already have an object take none.
Value bindMeter(Meter* meter) {
    bool isNew = false;
    Value value = BindingRegistry::announce(meter, makeInterned(MeterType), isNew);
    if (isNew && meter) {
        MeterReference::acquire(meter);
    }
    return value;
}

Meter* selfMeter(const zvArray* self) {
    olan::Object* object = omGetArrayElement(self, 0);
    auto* meter = object ? object->getNativePointerAs<Meter>(makeInterned(MeterType)) : nullptr;
    if (meter == nullptr) {
        zvErrMsgId(olan::errors::InvalidHandle);
    }
    return meter;
}

// Meter(label, [reading]): a new native meter bound to the object under construction.
class Construct : public olan::factory::OlanMethod {
  public:
    Construct() : OlanMethod("Meter", 0, "") {
        olan::factory::impl::Invoker::createSignature("label reading", MeterType,
                                                      olan::factory::detail::StringScalarType,
                                                      "double scalar", signature());
        signature().setOptionalInputCount(1);
    }
    void invoke(int& outputCount, Value* outputs, int inputCount,
                const zvArray* const* inputs) override {
        std::u16string label = olan::factory::extractString(inputs[0]);
        if (label == u"refuse") {
            zvErrMsgId("lab:devices:Refused", "refused label");
        }
        auto* meter = new Meter(label);
        if (inputCount > 1) {
            meter->reading = zvGetDouble(inputs[1], 0);
        }
        BindingRegistry::announceForConstructor(meter, makeInterned(MeterType), outputs[0], true);
        MeterReference::acquire(meter);  // the binding's
        MeterReference::release(meter);  // the constructor's own
        outputCount = 1;
    }
};

// scale(self, factor): multiplies the reading; no output.
class Scale : public olan::factory::OlanMethod {
  public:
    Scale() : OlanMethod("scale", 0, "") {
        olan::factory::impl::Invoker::createSignature("", "void", MeterType, "double scalar",
                                                      signature());
    }
    void invoke(int& outputCount, Value*, int, const zvArray* const* inputs) override {
        Meter* meter = selfMeter(inputs[0]);
        meter->reading *= zvGetDouble(inputs[1], 0);
        outputCount = 0;
    }
};

// lookup(label): the catalogue's meter of that label as a bound object (empty if none).
class Lookup : public olan::factory::OlanMethod {
  public:
    Lookup() : OlanMethod("lookup", MethodAttributes::Static, "") {
        olan::factory::impl::Invoker::createSignature(
            "", MeterType, olan::factory::detail::StringScalarType, signature());
    }
    void invoke(int& outputCount, Value* outputs, int, const zvArray* const* inputs) override {
        auto& catalogue = meterCatalogue();
        auto it = catalogue.find(olan::factory::extractString(inputs[0]));
        outputCount = 1;
        if (outputs) {
            outputs[0] = bindMeter(it == catalogue.end() ? nullptr : it->second);
        }
    }
};

std::u16string getLabel(Meter* meter) {
    return meter->label;
}
void setLabel(Meter* meter, std::u16string label) {
    if (label.empty()) {
        throw std::invalid_argument("a meter needs a label");
    }
    meter->label = std::move(label);
}
double getReading(Meter* meter) {
    return meter->reading;
}

class MeterClass : public olan::factory::HandleClassInfo<Meter, false> {
  public:
    MeterClass() : HandleClassInfo("Meter", MeterType) {}

    void defineMembers(olan::COSClassDefinition& definition) override {
        definition.addSuperclass(makeInterned(DeviceType), 1, 0, 1);
        olan::factory::detail::initStringDataTypes();
        definition.addMethod(new Construct);
        definition.addProperty(new PropertyImpl(
            "Label", "", 0,
            new AdaptedClassGetter<Meter, std::u16string, MeterReference>(
                makeInterned(MeterType), getLabel, olan::factory::detail::StringScalarType),
            new AdaptedClassSetter<Meter, std::u16string, MeterReference>(
                makeInterned(MeterType), setLabel, olan::factory::detail::StringScalarType)));
        definition.addProperty(
            new PropertyImpl("Reading", "", 0,
                             new AdaptedClassGetter<Meter, double, MeterReference>(
                                 makeInterned(MeterType), getReading, "double scalar")));
        definition.addMethod(new Lookup);
        definition.addMethod(new Scale);
    }
    bool requiresNativeBinding() const override { return true; }

  protected:
    void destroyNativeInstance(Meter* meter) override {
        ++meterEvents().destroyCalls;
        if (BindingRegistry::remove(meter) && meter) {
            ++meterEvents().bindingsReleased;
            MeterReference::release(meter);
        }
    }
};

// lab.base.Device: an abstract handle class with a static "version".
class DeviceClass : public olan::factory::HandleClassInfo<void, false> {
  public:
    DeviceClass() : HandleClassInfo("Device", DeviceType) {}
    void defineMembers(olan::COSClassDefinition& definition) override {
        definition.addMethod(makeMethod(
            "version", MethodAttributes::Static,
            [](int& count, Value* outputs, int, const zvArray* const*) {
                count = 1;
                if (outputs) {
                    outputs[0] = 2.0;
                }
            },
            "double scalar"));
    }
    bool isAbstract() const override { return true; }
};

}  // namespace

std::map<std::u16string, Meter*>& meterCatalogue() {
    static std::map<std::u16string, Meter*> catalogue;
    return catalogue;
}

void clearMeterCatalogue() {
    for (auto& [label, meter] : meterCatalogue()) {
        MeterReference::release(meter);
    }
    meterCatalogue().clear();
}

MeterEvents& meterEvents() {
    static MeterEvents events;
    return events;
}

void registerLab() {
    olan::COSPackage* lab = olan::COSPackage::addPackage(new LambdaPackage("lab"));
    lab->addSubPackage(new LambdaPackage("base", [](olan::COSPackage* package) {
        package->addClass(new DeviceClass, olan::ClassDefineOnFirstUse);
    }));
    lab->addSubPackage(new LambdaPackage("devices", [](olan::COSPackage* package) {
        package->addClass(new MeterClass, olan::ClassDefineOnFirstUse);
    }));
}

void HostTest::SetUp() {
    olan::host::reset();
    meterEvents() = {};
    LambdaClass::defineCalls = 0;
}

void HostTest::TearDown() {
    clearMeterCatalogue();
    EXPECT_EQ(olan::host::liveObjectCount(), 0u);
    EXPECT_EQ(Meter::alive, 0);
    olan::host::reset();
}

}  // namespace olan_test
