// The call interface: construction, methods, properties, outputs and errors, driven as a host
// drives scripts.

#include <gtest/gtest.h>

#include "olan_test_support.hpp"

namespace olan_test {
namespace {

namespace host = olan::host;
namespace errors = olan::errors;

class CallTest : public HostTest {
  protected:
    void SetUp() override {
        HostTest::SetUp();
        registerLab();
    }
    static Value meter(std::u16string_view label, double reading) {
        Value l = str(label);
        Value r(zvCreateDouble(reading));
        return host::construct(MeterType, {l.get(), r.get()});
    }
    static double reading(const Value& m) {
        return zvGetDouble(host::getProperty(m.get(), "Reading").get(), 0);
    }
};

TEST_F(CallTest, ConstructedObjectsAnswerInstanceStaticAndInheritedMethods) {
    Value m = meter(u"Kessel \u2603", 2.5);
    EXPECT_EQ(host::className(m.get()), MeterType);
    EXPECT_TRUE(host::isa(m.get(), DeviceType));
    EXPECT_FALSE(host::isa(m.get(), "lab.devices.Other"));
    EXPECT_EQ(Meter::alive, 1);
    EXPECT_EQ(reading(m), 2.5);

    Value factor(zvCreateDouble(3));
    auto scaled = host::callOn(m.get(), "scale", {factor.get()}, 0);
    EXPECT_EQ(scaled.outputCount, 0);
    EXPECT_TRUE(scaled.outputs.empty());
    EXPECT_EQ(reading(m), 7.5);
    // The same call by class name, self as input 0.
    host::call(MeterType, "scale", {m.get(), factor.get()}, 0);
    EXPECT_EQ(reading(m), 22.5);

    auto version = host::call(MeterType, "version", {}, 1);  // static, from lab.base.Device
    ASSERT_EQ(version.outputs.size(), 1u);
    EXPECT_EQ(zvGetDouble(version.outputs[0].get(), 0), 2.0);
    EXPECT_EQ(zvGetDouble(host::callOn(m.get(), "version", {}, 1).outputs[0].get(), 0), 2.0);

    // The optional input may be left out.
    Value label = str(u"bare");
    Value bare = host::construct(MeterType, {label.get()});
    EXPECT_EQ(reading(bare), 0.0);
}

TEST_F(CallTest, PropertiesReadWriteAndRefuse) {
    Value m = meter(u"a", 1);
    Value label = str(u"\u6e29\u5ea6 \U0001F321");
    host::setProperty(m.get(), "Label", label.get());
    EXPECT_EQ(zvGetString_UTF16(host::getProperty(m.get(), "Label").get()),
              u"\u6e29\u5ea6 \U0001F321");
    host::evaluateProperty(m.get(), "Label");

    Value number(zvCreateDouble(5));
    EXPECT_HOST_ERROR(host::setProperty(m.get(), "Reading", number.get()),
                      errors::ReadOnlyProperty);
    EXPECT_HOST_ERROR(host::setProperty(m.get(), "Label", number.get()), errors::StringExpected);
    EXPECT_HOST_ERROR(host::getProperty(m.get(), "Missing"), errors::UndefinedProperty);

    // A native exception of the setter becomes a host error with the exception as cause; the
    // label is unchanged.
    Value empty = str(u"");
    try {
        host::setProperty(m.get(), "Label", empty.get());
        ADD_FAILURE() << "no error";
    } catch (const olan::HostError& e) {
        EXPECT_EQ(e.identifier(), errors::NativeError);
        EXPECT_STREQ(e.what(), "a meter needs a label");
        EXPECT_THROW(std::rethrow_exception(e.cause()), std::invalid_argument);
    }
    EXPECT_EQ(zvGetString_UTF16(host::getProperty(m.get(), "Label").get()),
              u"\u6e29\u5ea6 \U0001F321");
}

TEST_F(CallTest, OutputCountsFollowTheRequestAndTheMethodsReport) {
    Value m = meter(u"a", 1);
    Value name = str(u"a");
    // No output requested: the method still runs and reports its count.
    auto lookedUp = host::call(MeterType, "lookup", {name.get()}, 0);
    EXPECT_EQ(lookedUp.outputCount, 1);
    EXPECT_TRUE(lookedUp.outputs.empty());

    Value factor(zvCreateDouble(2));
    EXPECT_HOST_ERROR(host::callOn(m.get(), "scale", {factor.get()}, 1), errors::TooManyOutputs);
    EXPECT_HOST_ERROR(host::call(MeterType, "lookup", {name.get()}, 2), errors::TooManyOutputs);
    EXPECT_HOST_ERROR(host::callOn(m.get(), "scale", {}, 0), errors::WrongInputCount);
    EXPECT_HOST_ERROR(host::construct(MeterType, {}), errors::WrongInputCount);
    EXPECT_HOST_ERROR(host::callOn(m.get(), "missing", {}, 0), errors::UndefinedMethod);
    EXPECT_HOST_ERROR(host::call(MeterType, "Meter", {name.get()}, 1), errors::UndefinedMethod);
    EXPECT_HOST_ERROR(host::construct(DeviceType, {}), errors::AbstractClass);
    EXPECT_HOST_ERROR(host::construct("lab.devices.Nothing", {}), errors::UndefinedClass);
    EXPECT_EQ(reading(m), 1.0);  // refused calls changed nothing
}

TEST_F(CallTest, MethodsReportingOutputsTheyDidNotStoreAreCaught) {
    olan::COSPackage::addPackage(new LambdaPackage("p", [](olan::COSPackage* package) {
        package->addClass(
            new LambdaClass(
                "K", "p.K",
                [](olan::COSClassDefinition& d) {
                    d.addMethod(makeMethod(
                        "silent", 8,
                        [](int& count, Value*, int, const zvArray* const*) { count = 1; },
                        "double scalar"));
                    d.addMethod(makeMethod(
                        "lazy", 8, [](int&, Value*, int, const zvArray* const*) {},
                        "double scalar"));
                }),
            2);
    }));
    EXPECT_HOST_ERROR(host::call("p.K", "silent", {}, 1), errors::OutputNotSet);
    EXPECT_HOST_ERROR(host::call("p.K", "lazy", {}, 1), errors::TooManyOutputs);
    EXPECT_EQ(host::call("p.K", "lazy", {}, 0).outputCount, 0);
}

TEST_F(CallTest, InputsAreLentReadOnlyForTheCall) {
    int seenFlags = 0;
    olan::COSPackage::addPackage(new LambdaPackage("p", [&](olan::COSPackage* package) {
        package->addClass(
            new LambdaClass("K", "p.K",
                            [&](olan::COSClassDefinition& d) {
                                d.addMethod(makeMethod(
                                    "poke", 8,
                                    [&](int&, Value*, int, const zvArray* const* inputs) {
                                        seenFlags = zvGetClassCode(inputs[0]) & zvFlagLent;
                                        auto* cells = const_cast<zvArray*>(inputs[0]);
                                        EXPECT_HOST_ERROR(zvSetCell(cells, 0, zvCreateDouble(1)),
                                                          errors::LentArray);
                                        EXPECT_HOST_ERROR(zvDestroyArray(cells), errors::LentArray);
                                        Value mine(zvCreateCellArray(2, {1, 1}));
                                        EXPECT_HOST_ERROR(zvSetCell(mine.get(), 0, cells),
                                                          errors::LentArray);
                                    },
                                    "void", "cell"));
                            }),
            2);
    }));
    Value cells(zvCreateCellArray(2, {1, 1}));
    host::call("p.K", "poke", {cells.get()}, 0);
    EXPECT_EQ(seenFlags, zvFlagLent);
    EXPECT_EQ(zvGetClassCode(cells.get()), zvCodeCell);  // no longer lent
    EXPECT_EQ(zvGetCell(cells.get(), 0), nullptr);
}

TEST_F(CallTest, FailedConstructionLeavesNoObjectBehind) {
    Value refused = str(u"refuse");
    EXPECT_HOST_ERROR(host::construct(MeterType, {refused.get()}), "lab:devices:Refused");
    EXPECT_EQ(host::liveObjectCount(), 0u);

    // A class whose objects must be bound refuses a constructor that binds nothing.
    struct Strict : LambdaClass {
        using LambdaClass::LambdaClass;
        bool requiresNativeBinding() const override { return true; }
    };
    olan::COSPackage::addPackage(new LambdaPackage("p", [](olan::COSPackage* package) {
        package->addClass(
            new Strict("K", "p.K",
                       [](olan::COSClassDefinition& d) {
                           d.addMethod(makeMethod(
                               "K", 0,
                               [](int& count, Value*, int, const zvArray* const*) { count = 1; },
                               "p.K"));
                       }),
            2);
    }));
    EXPECT_HOST_ERROR(host::construct("p.K", {}), errors::UnboundObject);
    EXPECT_EQ(host::liveObjectCount(), 0u);
}

// A message-id exception as the library's own would be, unknown to the host's headers.
struct LibraryError : std::runtime_error {
    explicit LibraryError(std::string id)
        : std::runtime_error("library text"), id_(std::move(id)) {}
    const std::string& identifier() const { return id_; }
    std::string id_;
};

TEST_F(CallTest, ErrorsCarryTheirMessageIdentifiers) {
    // An empty self: the method's own check raises InvalidHandle, as do property accesses.
    Value none(zvCreateEmpty());
    Value factor(zvCreateDouble(2));
    EXPECT_HOST_ERROR(host::call(MeterType, "scale", {none.get(), factor.get()}, 0),
                      errors::InvalidHandle);
    Value nobody = str(u"nobody");
    Value missing = std::move(host::call(MeterType, "lookup", {nobody.get()}, 1).outputs[0]);
    EXPECT_EQ(host::className(missing.get()), MeterType);
    EXPECT_TRUE(zvIsEmpty(missing.get()));
    EXPECT_HOST_ERROR(host::callOn(missing.get(), "scale", {factor.get()}, 0),
                      errors::InvalidHandle);
    EXPECT_HOST_ERROR(host::getProperty(missing.get(), "Label"), errors::InvalidHandle);
    EXPECT_HOST_ERROR(host::getProperty(factor.get(), "Label"), errors::NotAnObject);

    // do_legacy_zv_error and zvErrMsgId take the identifier of a message-id exception; the text
    // comes from the catalogue when it has one.
    host::registerMessageText("lab:devices:Known", "A known problem.");
    EXPECT_HOST_ERROR(do_legacy_zv_error(LibraryError("lab:devices:Unknown")),
                      "lab:devices:Unknown");
    try {
        zvErrMsgId(LibraryError("lab:devices:Known"));
        ADD_FAILURE() << "no error";
    } catch (const olan::HostError& e) {
        EXPECT_EQ(e.identifier(), "lab:devices:Known");
        EXPECT_STREQ(e.what(), "A known problem.");
    }
    try {
        zvErrMsgId(errors::InvalidHandle);
        ADD_FAILURE() << "no error";
    } catch (const olan::HostError& e) {
        EXPECT_STREQ(e.what(), "Invalid or deleted object.");
    }

    // Native exceptions escaping a method: identified once the host knows their type.
    olan::COSPackage::addPackage(new LambdaPackage("p", [](olan::COSPackage* package) {
        package->addClass(new LambdaClass("K", "p.K",
                                          [](olan::COSClassDefinition& d) {
                                              d.addMethod(makeMethod(
                                                  "fail", 8,
                                                  [](int&, Value*, int, const zvArray* const*) {
                                                      throw LibraryError("lib:messages:Broken");
                                                  },
                                                  "void"));
                                          }),
                          2);
    }));
    try {
        host::call("p.K", "fail", {}, 0);
        ADD_FAILURE() << "no error";
    } catch (const olan::HostError& e) {
        EXPECT_EQ(e.identifier(), errors::NativeError);
        EXPECT_STREQ(e.what(), "library text");
    }
    host::addIdentifiedExceptionType<LibraryError>();
    try {
        host::call("p.K", "fail", {}, 0);
        ADD_FAILURE() << "no error";
    } catch (const olan::HostError& e) {
        EXPECT_EQ(e.identifier(), "lib:messages:Broken");
        EXPECT_THROW(std::rethrow_exception(e.cause()), LibraryError);
        EXPECT_EQ(host::errorIdentifier(e), "lib:messages:Broken");
    }
    EXPECT_EQ(host::errorIdentifier(LibraryError("x:y")), "x:y");
    EXPECT_EQ(host::errorIdentifier(std::runtime_error("plain")), "");
}

}  // namespace
}  // namespace olan_test
