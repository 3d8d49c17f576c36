#pragma once

// Helpers for the class-system tests: descriptions driven by lambdas, and a small native class
// ("lab.devices.Meter", a handle class over a reference-counted native record) registered the way
// a library registers its classes.

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <utility>

#include "olan/olan.hpp"

namespace olan_test {

using olan::InternedName;
using olan::Value;
using olan::internal::makeInterned;

/// A package description with a name and an initialisation lambda.
class LambdaPackage : public olan::COSPackageInfo {
  public:
    using Init = std::function<void(olan::COSPackage*)>;
    explicit LambdaPackage(std::string name, Init init = {}, int* destroyed = nullptr)
        : name_(std::move(name)), init_(std::move(init)), destroyed_(destroyed) {}
    ~LambdaPackage() override {
        if (destroyed_) {
            ++*destroyed_;
        }
    }
    std::string getName() const override { return name_; }
    void initializePackage(olan::COSPackage* package) override {
        if (init_) {
            init_(package);
        }
    }

  private:
    std::string name_;
    Init init_;
    int* destroyed_;
};

/// A class description whose members come from a lambda.
class LambdaClass : public olan::factory::OlanFactoryClassInfo {
  public:
    using Define = std::function<void(olan::COSClassDefinition&)>;
    LambdaClass(std::string shortName, std::string qualifiedName, Define define = {},
                bool handle = true)
        : OlanFactoryClassInfo(std::move(shortName), std::move(qualifiedName))
        , define_(std::move(define))
        , handle_(handle) {}
    void defineMembers(olan::COSClassDefinition& definition) override {
        ++defineCalls;
        if (define_) {
            define_(definition);
        }
    }
    bool isHandleClass() const override { return handle_; }
    static inline int defineCalls = 0;

  private:
    Define define_;
    bool handle_;
};

/// A method whose invoke runs a lambda.
class LambdaMethod : public olan::factory::OlanMethod {
  public:
    using Body = std::function<void(int&, Value*, int, const zvArray* const*)>;
    LambdaMethod(std::string name, olan::factory::MethodAttributes attributes, Body body)
        : OlanMethod(std::move(name), attributes, ""), body_(std::move(body)) {}
    void invoke(int& outputCount, Value* outputs, int inputCount,
                const zvArray* const* inputs) override {
        body_(outputCount, outputs, inputCount, inputs);
    }

  private:
    Body body_;
};

/// A lambda method with a signature made by createSignature from `types` (output first).
template <class... Inputs>
LambdaMethod* makeMethod(std::string name, std::uint32_t attributes, LambdaMethod::Body body,
                         std::string_view output, Inputs... inputs) {
    auto* method = new LambdaMethod(std::move(name), attributes, std::move(body));
    olan::factory::impl::Invoker::createSignature("", output, inputs..., method->signature());
    return method;
}

// ---- the native test class ---------------------------------------------------------------------

/// A native record shared through a reference count, as model elements are.
struct Meter {
    std::u16string label;
    double reading = 0.0;
    int references = 1;

    explicit Meter(std::u16string l) : label(std::move(l)) { ++alive; }
    ~Meter() { --alive; }
    static inline int alive = 0;
};

struct MeterReference {
    static void acquire(Meter* meter) noexcept { ++meter->references; }
    static void release(Meter* meter) noexcept {
        if (--meter->references == 0) {
            delete meter;
        }
    }
};

inline const char* const MeterType = "lab.devices.Meter";
inline const char* const DeviceType = "lab.base.Device";

/// Native meters kept by label, each with one reference of the catalogue's own; the static
/// method "lookup" hands them out as bound objects.
std::map<std::u16string, Meter*>& meterCatalogue();
void clearMeterCatalogue();

/// Counters of what the Meter class description saw.
struct MeterEvents {
    int destroyCalls = 0;
    int bindingsReleased = 0;
};
MeterEvents& meterEvents();

/// Registers "lab.base" with "lab.base.Device" and "lab.devices" with "lab.devices.Meter".
void registerLab();

/// The class system reset before and after every test, with no object or native record left.
class HostTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
};

/// Raises (and checks) a HostError with `identifier` from `body`.
#define EXPECT_HOST_ERROR(statement, expectedId)                                              \
    do {                                                                                      \
        try {                                                                                 \
            statement;                                                                        \
            ADD_FAILURE() << "no host error raised, expected " << (expectedId);               \
        } catch (const olan::HostError& hostError_) {                                         \
            EXPECT_EQ(hostError_.identifier(), std::string(expectedId)) << hostError_.what(); \
        }                                                                                     \
    } while (false)

inline Value str(std::u16string_view text) {
    return Value(zvCreateString_UTF16(text));
}

}  // namespace olan_test
