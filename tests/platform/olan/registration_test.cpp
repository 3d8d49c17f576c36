// Registration: packages, classes, member definition and member order.

#include <gtest/gtest.h>

#include <iterator>

#include "allocation_faults.hpp"
#include "olan_test_support.hpp"

namespace olan_test {
namespace {

using olan::COSPackage;
using olan::factory::MethodAttributes;
using olan::host::MemberKind;

// Descriptions registered in a test live in the host until the fixture tears down, and they
// report their initialisation and deletion through these counters, which must outlive the test
// body (a local would be written to after its frame is gone).
class RegistrationTest : public HostTest {
  protected:
    int destroyed = 0;
    int initialised = 0;
};

COSPackage* package(std::string_view name) {
    return COSPackage::getPackage(makeInterned(name));
}

// A member-less method for signature and order checks.
LambdaMethod* noop(std::string name, std::uint32_t attributes, std::string_view output,
                   std::string_view self) {
    return makeMethod(
        std::move(name), attributes, [](int&, Value*, int, const zvArray* const*) {}, output, self);
}

TEST_F(RegistrationTest, SubPackagesHangBelowExistingParentsWithDottedNames) {
    EXPECT_EQ(package("a"), nullptr);
    COSPackage* a = COSPackage::addPackage(new LambdaPackage("a"));
    // Initialisation runs once, with the registered package; classes keep their order.
    COSPackage* seen = nullptr;
    int calls = 0;
    COSPackage* b = a->addSubPackage(new LambdaPackage("b", [&](COSPackage* package) {
        seen = package;
        ++calls;
        package->addClass(new LambdaClass("K", "a.b.K"), 2);
        package->addClass(new LambdaClass("J", "a.b.J"), 2);
    }));
    EXPECT_EQ(seen, b);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(olan::host::findPackage("a.b")->classes,
              (std::vector<std::string>{"a.b.K", "a.b.J"}));
    COSPackage* c = b->addSubPackage(new LambdaPackage("c"));
    EXPECT_EQ(package("a"), a);
    EXPECT_EQ(package("a.b.c"), c);
    EXPECT_EQ(c->getQualifiedName().view(), "a.b.c");
    EXPECT_EQ(c->getParent(), b);
    EXPECT_EQ(package("a.c"), nullptr);
    EXPECT_EQ(package("b"), nullptr);

    a->addSubPackage(new LambdaPackage("d"));
    auto described = olan::host::findPackage("a");
    ASSERT_TRUE(described);
    EXPECT_EQ(described->subPackages, (std::vector<std::string>{"a.b", "a.d"}));
    EXPECT_EQ(olan::host::topLevelPackages(), std::vector<std::string>{"a"});
}

TEST_F(RegistrationTest, BadNamesAndFailedInitialisationRegisterNothing) {
    EXPECT_HOST_ERROR(COSPackage::addPackage(new LambdaPackage("a.b")), olan::errors::InvalidName);
    EXPECT_HOST_ERROR(COSPackage::addPackage(new LambdaPackage("")), olan::errors::InvalidName);
    COSPackage* p = COSPackage::addPackage(new LambdaPackage("p"));
    // The qualified name must be the package's name and the short name.
    EXPECT_HOST_ERROR(p->addClass(new LambdaClass("K", "q.K"), 2), olan::errors::InvalidName);
    EXPECT_HOST_ERROR(p->addClass(new LambdaClass("K", "p.K"), 3), olan::errors::InvalidDefinition);

    EXPECT_THROW(p->addSubPackage(new LambdaPackage("broken",
                                                    [](COSPackage* package) {
                                                        package->addClass(
                                                            new LambdaClass("X", "p.broken.X"), 2);
                                                        throw std::runtime_error("init failed");
                                                    })),
                 std::runtime_error);
    EXPECT_EQ(package("p.broken"), nullptr);
    EXPECT_FALSE(olan::host::classExists("p.broken.X"));
    EXPECT_TRUE(olan::host::findPackage("p")->subPackages.empty());
}

// Registering a package is all or nothing: with any one allocation failing, the sub-package is
// either registered and listed under its parent, or neither. Filing it under its parent
// used to happen after the registration, outside the part that undoes it.
TEST_F(RegistrationTest, ARegistrationThatFailsPartWayLeavesNothingBehind) {
    for (long k = 1;; ++k) {
        std::string const parentName = "p" + std::to_string(k);
        COSPackage* parent = COSPackage::addPackage(new LambdaPackage(parentName));
        auto* info = new LambdaPackage("c");
        faults::armAllocationFailure(k);
        try {
            parent->addSubPackage(info);
        } catch (...) {
        }
        bool const failed = faults::allocationFailureHappened();
        faults::disarmAllocationFailure();
        bool const registered = package(parentName + ".c") != nullptr;
        EXPECT_EQ(registered, !failed) << "allocation " << k;
        EXPECT_EQ(olan::host::findPackage(parentName)->subPackages.size(), registered ? 1U : 0U)
            << "allocation " << k;
        if (!failed) {
            break;
        }
    }
}

TEST_F(RegistrationTest, ExistingNamesRaiseUnlessTheSessionModeReplacesThem) {
    COSPackage* p = COSPackage::addPackage(new LambdaPackage("p", {}, &destroyed));
    EXPECT_HOST_ERROR(COSPackage::addPackage(new LambdaPackage("p", {}, &destroyed)),
                      olan::errors::DuplicateName);
    EXPECT_EQ(destroyed, 1);  // the refused description is the host's and deleted
    EXPECT_EQ(package("p"), p);
    p->addClass(new LambdaClass("K", "p.K"), 2);
    EXPECT_HOST_ERROR(p->addClass(new LambdaClass("K", "p.K"), 2), olan::errors::DuplicateName);

    // Session mode: registering again replaces the description and redefines the classes.
    omSetOlanUsingUSM(true);
    COSPackage* again = COSPackage::addPackage(new LambdaPackage(
        "p",
        [&](COSPackage* package) {
            ++initialised;
            package->addClass(new LambdaClass("L", "p.L"), 2);
        },
        &destroyed));
    EXPECT_EQ(again, p);
    EXPECT_EQ(initialised, 1);
    EXPECT_EQ(destroyed, 2);  // the replaced description
    EXPECT_FALSE(olan::host::classExists("p.K"));
    EXPECT_TRUE(olan::host::classExists("p.L"));
    p->addClass(new LambdaClass("L", "p.L",
                                [](olan::COSClassDefinition& d) {
                                    d.addSuperclass(makeInterned("p.M"), 0, 0, 0);
                                }),
                2);
    EXPECT_EQ(olan::host::findPackage("p")->classes, std::vector<std::string>{"p.L"});
    EXPECT_HOST_ERROR(olan::host::describeClass("p.L"), olan::errors::UndefinedClass);
}

TEST_F(RegistrationTest, OverridingTheExistingNameHookKeepsTheEarlierDefinition) {
    struct Tolerant : LambdaPackage {
        using LambdaPackage::LambdaPackage;
        void throwErrorForDefinitionOfExistingName(InternedName, olan::DefinitionKind) override {}
    };
    COSPackage* p = COSPackage::addPackage(new Tolerant("p", [&](COSPackage*) { ++initialised; }));
    EXPECT_EQ(COSPackage::addPackage(new Tolerant("p", [&](COSPackage*) { ++initialised; })), p);
    EXPECT_EQ(initialised, 1);
    p->addClass(
        new LambdaClass("K", "p.K",
                        [](olan::COSClassDefinition& d) {
                            d.addMethod(noop("first", MethodAttributes::Static, "void", "any"));
                        }),
        2);
    p->addClass(new LambdaClass("K", "p.K"), 2);  // tolerated, discarded
    EXPECT_EQ(olan::host::describeClass("p.K").members.size(), 1u);
}

TEST_F(RegistrationTest, PackagesAndClassesLoadOnDemand) {
    // "top" loads the sub-package "lazy", which loads the class "Late".
    struct Loading : LambdaPackage {
        using LambdaPackage::LambdaPackage;
        olan::COSPackageInfo* attemptToLoadSubPackage(InternedName name) override {
            return name.view() == "lazy" ? new Loading("lazy") : nullptr;
        }
        olan::COSClassInfo* attemptToLoadClass(InternedName name) override {
            return getName() == "lazy" && name.view() == "Late"
                       ? new LambdaClass("Late", "top.lazy.Late")
                       : nullptr;
        }
    };
    COSPackage::addPackage(new Loading("top"));
    COSPackage* lazy = package("top.lazy");
    ASSERT_NE(lazy, nullptr);
    EXPECT_EQ(package("top.lazy"), lazy);
    EXPECT_EQ(package("top.other"), nullptr);
    EXPECT_TRUE(olan::host::classExists("top.lazy.Late"));
    EXPECT_FALSE(olan::host::classExists("top.lazy.Other"));
    EXPECT_FALSE(olan::host::classExists("top.Late"));  // "top" loads only "lazy"
}

TEST_F(RegistrationTest, LockedPackagesTakeNothingMore) {
    struct Locked : LambdaPackage {
        using LambdaPackage::LambdaPackage;
        bool isLocked() const override { return true; }
    };
    COSPackage* p = COSPackage::addPackage(new Locked("p"));
    EXPECT_HOST_ERROR(p->addClass(new LambdaClass("K", "p.K"), 2), olan::errors::PackageLocked);
    EXPECT_HOST_ERROR(p->addSubPackage(new LambdaPackage("q")), olan::errors::PackageLocked);
}

TEST_F(RegistrationTest, MembersAreDefinedOnFirstUseOrAtOnceAndKeepTheirOrder) {
    COSPackage* p = COSPackage::addPackage(new LambdaPackage("p"));
    p->addClass(new LambdaClass("Base", "p.Base"), olan::ClassDefineOnFirstUse);
    EXPECT_EQ(LambdaClass::defineCalls, 0);
    p->addClass(new LambdaClass(
                    "K", "p.K",
                    [](olan::COSClassDefinition& d) {
                        EXPECT_EQ(d.getClassName().view(), "p.K");
                        d.addSuperclass(makeInterned("p.Base"), 1, 0, 1);
                        olan::factory::detail::initStringDataTypes();
                        auto* ctor = noop("K", 0, "p.K", "any");
                        ctor->signature().setOptionalInputCount(1);
                        d.addMethod(ctor);
                        d.addProperty(new olan::factory::impl::PropertyImpl(
                            "Name", "", 0,
                            new olan::factory::impl::AdaptedClassGetter<Meter, std::u16string>(
                                makeInterned("p.K"), [](Meter* m) { return m->label; },
                                "OlanFactoryString scalar")));
                        d.addMethod(noop("zeta", 0, "logical scalar", "p.K"));
                        d.addMethod(noop("alpha", MethodAttributes::Static,
                                         "OlanFactoryString vector", "OlanFactoryString scalar"));
                    }),
                olan::ClassDefineNow);
    // Defining K defined its superclass too.
    EXPECT_EQ(LambdaClass::defineCalls, 2);

    auto k = olan::host::describeClass("p.K");
    EXPECT_TRUE(k.isFactoryClass);
    EXPECT_EQ(k.superclasses, std::vector<std::string>{"p.Base"});
    ASSERT_EQ(k.members.size(), 5u);
    EXPECT_EQ(k.members[0].kind, MemberKind::Superclass);
    EXPECT_EQ(k.members[1].kind, MemberKind::Constructor);
    EXPECT_EQ(k.members[1].signature.optionalInputCount, 1);
    EXPECT_EQ(k.members[2].kind, MemberKind::Property);
    EXPECT_EQ(k.members[2].type, "OlanFactoryString scalar");
    EXPECT_TRUE(k.members[2].isReadOnly);
    EXPECT_EQ(k.members[3].name, "zeta");
    EXPECT_FALSE(k.members[3].isStatic);
    EXPECT_EQ(k.members[3].signature.inputTypes, std::vector<std::string>{"p.K"});
    EXPECT_EQ(k.members[4].name, "alpha");
    EXPECT_TRUE(k.members[4].isStatic);
    EXPECT_EQ(k.members[4].signature.outputType, "OlanFactoryString vector");
    EXPECT_EQ(LambdaClass::defineCalls, 2);  // describing does not define again
}

TEST_F(RegistrationTest, AFailedDefinitionKeepsNothingAndIsRetried) {
    bool fail = true;
    COSPackage* p = COSPackage::addPackage(new LambdaPackage("p"));
    p->addClass(new LambdaClass("K", "p.K",
                                [&](olan::COSClassDefinition& d) {
                                    d.addMethod(noop("m", 0, "void", "p.K"));
                                    if (fail) {
                                        throw std::runtime_error("not yet");
                                    }
                                }),
                2);
    EXPECT_HOST_ERROR(olan::host::describeClass("p.K"), olan::errors::NativeError);
    fail = false;
    EXPECT_EQ(olan::host::describeClass("p.K").members.size(), 1u);
}

TEST_F(RegistrationTest, DefinitionsAreCheckedAsTheyAreMade) {
    using olan::COSClassDefinition;
    namespace errors = olan::errors;
    COSPackage* p = COSPackage::addPackage(new LambdaPackage("p"));
    constexpr auto Static = MethodAttributes::Static;
    // Class "p.C<i>" is defined by cases[i] and refused with its error.
    const std::pair<LambdaClass::Define, std::string_view> cases[] = {
        // String data types are known only after initStringDataTypes.
        {[](COSClassDefinition& d) {
             d.addMethod(noop("s", Static, "void", "OlanFactoryString scalar"));
         },
         errors::UnknownType},
        {[](COSClassDefinition& d) { d.addMethod(noop("s", Static, "void", "void")); },
         errors::UnknownType},
        // An instance method's first input is its own class; a constructor returns it.
        {[](COSClassDefinition& d) { d.addMethod(noop("m", 0, "void", "p.Other")); },
         errors::InvalidDefinition},
        {[](COSClassDefinition& d) { d.addMethod(noop("C3", 0, "p.Other", "any")); },
         errors::InvalidDefinition},
        {[](COSClassDefinition& d) {
             d.addMethod(noop("m", Static, "void", "any"));
             d.addMethod(noop("m", Static, "void", "any"));
         },
         errors::DuplicateName},
        {[](COSClassDefinition& d) { d.addSuperclass(makeInterned("p.Nowhere"), 0, 0, 1); },
         errors::UndefinedClass},
        {[](COSClassDefinition& d) { d.addSuperclass(makeInterned("p.C6"), 0, 0, 1); },
         errors::RecursiveDefinition},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const std::string name = "C" + std::to_string(i);
        p->addClass(new LambdaClass(name, "p." + name, cases[i].first), 2);
        EXPECT_HOST_ERROR(olan::host::describeClass("p." + name), cases[i].second);
    }

    // Two classes naming each other as superclass.
    p->addClass(new LambdaClass(
                    "X", "p.X",
                    [](COSClassDefinition& d) { d.addSuperclass(makeInterned("p.Y"), 0, 0, 1); }),
                2);
    p->addClass(new LambdaClass(
                    "Y", "p.Y",
                    [](COSClassDefinition& d) { d.addSuperclass(makeInterned("p.X"), 0, 0, 1); }),
                2);
    EXPECT_HOST_ERROR(olan::host::describeClass("p.X"), errors::RecursiveDefinition);

    // A handle superclass of a value class.
    p->addClass(new LambdaClass("H", "p.H"), 2);
    p->addClass(
        new LambdaClass(
            "V", "p.V",
            [](COSClassDefinition& d) { d.addSuperclass(makeInterned("p.H"), 1, 0, 1); }, false),
        2);
    EXPECT_HOST_ERROR(olan::host::describeClass("p.V"), errors::NotAHandleClass);
}

TEST_F(RegistrationTest, SignaturesNameTheirInputsAndBoundTheOptionalCount) {
    olan::factory::MethodSignature signature;
    olan::factory::impl::Invoker::createSignature("model opt_init opt_uuid", "a.B", "a.Model",
                                                  "any", "any", signature);
    EXPECT_EQ(signature.argumentNames(),
              (std::vector<std::string>{"model", "opt_init", "opt_uuid"}));
    EXPECT_EQ(signature.inputCount(), 3);
    signature.setOptionalInputCount(2);
    EXPECT_EQ(signature.requiredInputCount(), 1);
    EXPECT_HOST_ERROR(signature.setOptionalInputCount(4), olan::errors::InvalidSignature);
    EXPECT_EQ(signature.optionalInputCount(), 2);
    EXPECT_HOST_ERROR(
        olan::factory::impl::Invoker::createSignature("one two", "void", "any", signature),
        olan::errors::InvalidSignature);

    olan::factory::impl::Invoker::createSignature("", "void", "a", "b", "c", "d", signature);
    EXPECT_EQ(signature.inputCount(), 4);
    EXPECT_EQ(signature.outputCount(), 0);
    EXPECT_TRUE(signature.argumentNames().empty());
}

TEST_F(RegistrationTest, MethodImplIsStaticUnlessKeptAsInstanceMethod) {
    using Impl = olan::factory::impl::MethodImpl<int (*)()>;
    auto invoker = [](int (*function)(), int& count, Value* outputs, int, const zvArray* const*) {
        outputs[0] = static_cast<double>(function());
        count = 1;
    };
    Impl meta("StaticMetaClass", 520, "", invoker, [] { return 42; });
    EXPECT_TRUE(meta.isStatic());
    Impl instance("inst", MethodAttributes::KeepInstance, "", invoker, [] { return 1; });
    EXPECT_FALSE(instance.isStatic());

    int count = 0;
    Value out[1];
    meta.invoke(count, out, 0, nullptr);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(zvGetDouble(out[0].get(), 0), 42.0);
}

}  // namespace
}  // namespace olan_test
