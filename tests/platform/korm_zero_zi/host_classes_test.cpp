// The model, element and meta-class host classes, driven through the host call interface.

#include <unistd.h>

#include <boost/uuid/uuid_io.hpp>
#include <filesystem>
#include <fstream>

#include "../korm_zero/test_node.hpp"
#include "zi_test_support.hpp"

namespace zi_test {
namespace {

using korm::zero::test::holderPackage;
using korm::zero::test::registry;
using korm::zero::test::TestNode;
namespace zi = korm::zero::zi;

olan::Object* objectOf(Value const& value) {
    return omGetArrayElement(value.get(), 0);
}

class HostClassesTest : public ZiTest {
  protected:
    Value model = host::construct("korm.zero.Model", {text("").get()});

    void TearDown() override {
        model.reset();
        ZiTest::TearDown();
    }
    double count() { return numberOf(callOne(model, "getElementCount")); }
    Value dogWithToys(std::size_t toys) {
        std::size_t const dims[] = {1, toys};
        Value structs(zvCreateStructArray(2, dims, {"Label"}));
        Value init = structOf("Toys", std::move(structs));
        return host::construct(dogClass(), {model.get(), init.get()});
    }
};

TEST_F(HostClassesTest, ModelsCreateUndoAndRedoThroughTheHost) {
    Value dog = dogWithToys(2);
    EXPECT_EQ(count(), 3);
    host::callOn(model.get(), "undo", {}, 0);
    EXPECT_EQ(count(), 0);
    EXPECT_FALSE(flagOf(callOne(dog, "isValid")));
    EXPECT_TRUE(flagOf(callOne(model, "canRedo")));
    host::callOn(model.get(), "redo", {}, 0);
    EXPECT_EQ(count(), 3);
    EXPECT_TRUE(flagOf(callOne(dog, "isValid")));
}

TEST_F(HostClassesTest, TransactionsOpenedThroughTheHostCommitOrRollBack) {
    host::callOn(model.get(), "beginTransaction", {}, 0);
    Value kept = dogWithToys(0);
    host::callOn(model.get(), "commit", {}, 0);
    host::callOn(model.get(), "beginTransaction", {}, 0);
    Value dropped = dogWithToys(1);
    host::callOn(model.get(), "rollback", {}, 0);
    EXPECT_EQ(count(), 1);
    EXPECT_FALSE(flagOf(callOne(dropped, "isValid")));
    EXPECT_ERROR_ID(host::callOn(model.get(), "commit", {}, 0), "korm0:messages:InvalidValue");
    // Left open when the host drops the model object: rolled back.
    host::callOn(model.get(), "beginTransaction", {}, 0);
    Value last = dogWithToys(0);
    model.reset();
    EXPECT_FALSE(flagOf(callOne(last, "isValid")));
}

TEST_F(HostClassesTest, AClosedModelOrNoModelCannotCreate) {
    Value notAModel = text("model");
    EXPECT_ERROR_ID(host::construct(dogClass(), {notAModel.get()}),
                    "korm0:messages:CannotCreateWithoutModel");
    host::callOn(model.get(), "close", {}, 0);
    EXPECT_FALSE(zi::modelOf(model.get()));
    EXPECT_ERROR_ID(host::construct(dogClass(), {model.get()}),
                    "korm0:messages:CannotCreateWithoutModel");
}

TEST_F(HostClassesTest, ElementsAnswerTheirBaseClassMembers) {
    Value dog = dogWithToys(0);
    auto* record = zi::elementOf(dog.get());
    ASSERT_NE(record, nullptr);
    std::string const uuid = boost::uuids::to_string(record->getUuid());
    EXPECT_EQ(textOf(host::getProperty(dog.get(), "UUID")), uuid);
    Value found = callOne(model, "findElement", {text(uuid).get()});
    EXPECT_EQ(objectOf(found), objectOf(dog));
    EXPECT_EQ(objectOf(zi::bindElementAs(record, zi::ModelElementClassName)), objectOf(dog));
    EXPECT_TRUE(flagOf(callOne(dog, "isEqual", {found.get()})));
    EXPECT_EQ(objectOf(callOne(dog, "getModel")), objectOf(model));

    host::callOn(dog.get(), "destroy", {}, 0);
    EXPECT_FALSE(flagOf(callOne(dog, "isValid")));
    EXPECT_EQ(zvGetElementCount(callOne(model, "findElement", {text(uuid).get()}).get()), 0u);
    EXPECT_ERROR_ID(callOne(model, "findElement", {text("no uuid").get()}),
                    "korm0:messages:InvalidValue");
}

TEST_F(HostClassesTest, AnEmptyObjectIsAnInvalidHandle) {
    Value empty = zi::bindElement(nullptr, dogClass());
    EXPECT_FALSE(
        flagOf(host::call("korm.zero.ModelElement", "isValid", {empty.get()}, 1).outputs[0]));
    EXPECT_ERROR_ID(host::callOn(empty.get(), "destroy", {}, 0), "Zolmar:class:InvalidHandle");
    EXPECT_ERROR_ID(host::getProperty(empty.get(), "UUID"), "Zolmar:class:InvalidHandle");
}

TEST_F(HostClassesTest, BindingsHoldOneReferenceAndReleaseItWhenTheHostDropsThem) {
    auto const recordsBefore = korm::zero::ElementImpl::liveRecordCount();
    {
        Model native = zi::modelOf(model.get());
        TestNode node = TestNode::create(native);
        auto const refs = node->getRefCount();
        std::string const uuid = boost::uuids::to_string(node->getUuid());
        Value first = callOne(model, "findElement", {text(uuid).get()});
        EXPECT_EQ(host::className(first.get()), "korm.zero.ModelElement");  // no host class
        Value second = callOne(model, "findElement", {text(uuid).get()});
        EXPECT_EQ(node->getRefCount(), refs + 1);
        first.reset();
        second.reset();
        EXPECT_EQ(node->getRefCount(), refs);
        Value again = callOne(model, "findElement", {text(uuid).get()});
        model.reset();  // the host object is gone; the native handle and the element object stay
        EXPECT_TRUE(flagOf(callOne(again, "isValid")));
    }
    EXPECT_EQ(korm::zero::ElementImpl::liveRecordCount(), recordsBefore);
}

TEST_F(HostClassesTest, MetaClassObjectsDescribeTheirClass) {
    auto const& p = holderPackage();
    Value dog = zi::bindElement(p.dog.getImpl(), zi::MetaClassClassName);
    Value animal = zi::bindElement(p.animal.getImpl(), zi::MetaClassClassName);
    Value rock = zi::bindElement(p.rock.getImpl(), zi::MetaClassClassName);
    EXPECT_EQ(host::className(dog.get()), "korm.zero.meta.Class");
    EXPECT_EQ(textOf(host::getProperty(dog.get(), "Name")), "Dog");
    EXPECT_EQ(textOf(host::getProperty(dog.get(), "QualifiedName")), dogClass());
    EXPECT_EQ(olan::factory::Marshaler<olan::factory::UnicodeStringVectorPolicy>::FromM(
                  callOne(dog, "getPropertyNames").get()),
              (std::vector<std::u16string>{u"Name", u"Toys", u"Friends"}));
    EXPECT_TRUE(flagOf(callOne(dog, "conformsTo", {animal.get()})));
    EXPECT_FALSE(flagOf(callOne(dog, "conformsTo", {rock.get()})));
    auto const argumentNames = [&](char const* operation) {
        return olan::factory::Marshaler<olan::factory::UnicodeStringVectorPolicy>::FromM(
            callOne(dog, "getArgumentNames", {text(operation).get()}).get());
    };
    EXPECT_EQ(argumentNames("fetch"), (std::vector<std::u16string>{u"what"}));
    EXPECT_EQ(argumentNames("speak"), (std::vector<std::u16string>{u"loudness"}));  // inherited
    EXPECT_TRUE(argumentNames("sleep").empty());
}

// Model files through the host: a model of the sample package saved and opened again. Its dogs
// have no toys: a toy's label would need a value codec, and values are the framework's own
// tests' concern.
class HostModelFileTest : public HostClassesTest {
  protected:
    std::filesystem::path dir;

    void SetUp() override {
        registry().registerRootPackage(holderPackage().package);
        dir = std::filesystem::temp_directory_path() /
              ("host-model-file-" + std::to_string(getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
    }
    void TearDown() override {
        HostClassesTest::TearDown();
        registry().unregisterRootPackage(holderPackage().package.getPackageImpl()->getUri());
        std::filesystem::remove_all(dir);
    }
    Value file(char const* name) const { return text((dir / name).string()); }
    static Value open(Value const& path) {
        return std::move(host::call("korm.zero.Model", "open", {path.get()}, 1).outputs.at(0));
    }
};

TEST_F(HostModelFileTest, AModelSavedThroughTheHostOpensAgainAsOneHostObjectPerModel) {
    Value const path = file("kennel.model");
    model = host::construct("korm.zero.Model", {text("host-kennel").get()});
    Value dog = dogWithToys(0);
    std::string const dogId = textOf(host::getProperty(dog.get(), "UUID"));
    EXPECT_ERROR_ID(host::callOn(model.get(), "save", {}, 0), "korm0:messages:ModelHasNoFile");
    host::callOn(model.get(), "save", {path.get()}, 0);
    EXPECT_EQ(objectOf(open(path)), objectOf(model)) << "the open model's own host object";

    // Changes after the first save go to the remembered file.
    auto const unsaved = [&] { return flagOf(callOne(model, "hasUnsavedChanges")); };
    EXPECT_FALSE(unsaved());
    Value second = dogWithToys(0);
    EXPECT_TRUE(unsaved());
    host::callOn(model.get(), "save", {}, 0);
    EXPECT_FALSE(unsaved());
    model.reset();  // the last handle: the model goes, and with it its tie to the file
    EXPECT_FALSE(flagOf(callOne(dog, "isValid")));

    model = open(path);
    EXPECT_EQ(textOf(host::getProperty(model.get(), "Name")), "host-kennel");
    EXPECT_EQ(count(), 2);
    EXPECT_FALSE(flagOf(callOne(model, "canUndo"))) << "opening is no undo step";
    EXPECT_FALSE(unsaved());
    Value found = callOne(model, "findElement", {text(dogId).get()});
    EXPECT_EQ(host::className(found.get()), dogClass());
    EXPECT_EQ(objectOf(callOne(found, "getModel")), objectOf(model));
    // A static method called on an object ignores the object.
    EXPECT_EQ(objectOf(callOne(found, "getModel")), objectOf(callOne(model, "open", {path.get()})));
}

TEST_F(HostModelFileTest, RefusedFilesAndPathsReportTheFrameworksMessagesAndChangeNothing) {
    std::ofstream((dir / "notes.txt").string()) << "not a model";
    EXPECT_ERROR_ID(open(file("notes.txt")), "korm0:messages:ModelFileNotAModel");
    EXPECT_ERROR_ID(open(Value(zvCreateDouble(1))), "Zolmar:class:StringExpected");
    // A lone surrogate has no UTF-8 form: leniently converted it would name another file.
    Value const lone = Value(zvCreateString_UTF16(u"\xD800.model"));
    EXPECT_ERROR_ID(open(lone), "korm0:messages:InvalidValue");
    EXPECT_ERROR_ID(host::callOn(model.get(), "save", {lone.get()}, 0),
                    "korm0:messages:InvalidValue");

    // A transaction opened through the host is refused, and stays open to be ended.
    Value dog = dogWithToys(0);
    host::callOn(model.get(), "beginTransaction", {}, 0);
    EXPECT_ERROR_ID(host::callOn(model.get(), "save", {file("open.model").get()}, 0),
                    "korm0:messages:ModelFileCannotWrite");
    host::callOn(model.get(), "commit", {}, 0);
    EXPECT_EQ(count(), 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "open.model"));
}

}  // namespace
}  // namespace zi_test
