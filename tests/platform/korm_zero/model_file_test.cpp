// Model files: a model of the test package saved and opened again, the model's tie to its
// file, files that are refused, and other processes: the writer lock and saves killed part way.

#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <thread>

#include "korm/zero/uuid_text.hpp"
#include "korm/zero/value_codec.hpp"
#include "sample.hpp"

namespace korm::zero::test {
namespace {

namespace fs = std::filesystem;
namespace messages = korm0::messages;
using boost::uuids::uuid;
using tarsk::core::except::Exception;

uuid id(std::uint8_t n) {
    uuid value = boost::uuids::nil_uuid();
    value.data[15] = n;
    return value;
}

/// The test's UUID values (sample.hpp) as their 16 bytes.
class TestUuidCodec : public ValueCodec {
  public:
    std::string encode(Value const& value) const override {
        uuid const v = value.getValue<uuid>();
        return std::string(reinterpret_cast<char const*>(v.data), v.size());
    }
    Value decode(std::string_view bytes, ValueMeta const& meta) const override {
        uuid v = boost::uuids::nil_uuid();
        if (bytes.size() != v.size()) {
            reportException(messages::InvalidValue("stored UUID", "<bytes>", "a UUID is 16 bytes"));
        }
        std::copy(bytes.begin(), bytes.end(), reinterpret_cast<char*>(v.data));
        return uuidValue(v, meta);
    }
};

/// Every live element by UUID: class, container and position, label or toys in order.
std::string textOf(Model const& model) {
    std::vector<ModelElement> elements = model->getElements();
    std::sort(elements.begin(), elements.end(),
              [](auto const& a, auto const& b) { return a->getUuid() < b->getUuid(); });
    std::string out;
    for (auto const& element : elements) {
        auto const* container = element->basicContainer();
        out += uuidText(element->getUuid()) + " " +
               element->getMetaClass().getClassImpl()->getQualifiedName8() + " in " +
               (container != nullptr ? uuidText(container->getUuid()) : "-") + "#" +
               std::to_string(static_cast<long long>(element->containmentIndex()));
        if (auto const* item = dynamic_cast<Item const*>(element.getImpl())) {
            out += " label " + uuidText(item->getLabel());
        } else if (auto* holder = dynamic_cast<Holder*>(element.getImpl())) {
            out += " toys";
            for (auto const& toy : holder->toys().items()) {
                out += " " + uuidText(toy->getUuid());
            }
        }
        out += "\n";
    }
    return out;
}

/// A holder with three toys in a chosen order, an empty holder and a loose item.
Model makeSample(std::u16string const& name) {
    Model model = Model::create(name);
    Transaction transaction = model.beginTransaction();
    ModelElement const holder = Holder::create(model);
    for (std::uint8_t label : {7, 3, 5}) {
        static_cast<Holder*>(holder.getImpl())->toys().add(Item::create(model, id(label)));
    }
    Holder::create(model);
    Item::create(model, id(9));
    transaction.commit();
    return model;
}

Holder* fullHolder(Model const& model) {
    for (auto const& element : model->getElements()) {
        auto* holder = dynamic_cast<Holder*>(element.getImpl());
        if (holder != nullptr && !holder->toys().items().empty()) {
            return holder;
        }
    }
    return nullptr;
}

/// The message id an action reports, or "" when it reports nothing.
std::string errorOf(std::function<void()> const& action) {
    try {
        action();
    } catch (std::exception const& e) {
        std::string const what = e.what();
        return what.substr(0, what.find(':', std::string("korm0:messages:").size()));
    }
    return "";
}

class ModelFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        package = &holderPackage();
        registry().registerRootPackage(package->package);
        registry().registerType(package->dog, nullptr,
                                [](Model const& m) -> std::unique_ptr<ModelElement::Builder> {
                                    return std::make_unique<HolderBuilder>(m);
                                });
        ValueCodecRegistry::getInstance().registerCodec(registry().getType(u"UUID"),
                                                        std::make_shared<TestUuidCodec>());
        dir = fs::temp_directory_path() /
              ("model-file-test-" + std::to_string(getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
    }

    void TearDown() override {
        registry().registerType(package->dog, nullptr, nullptr);
        registry().unregisterRootPackage(package->package.getPackageImpl()->getUri());
        ValueCodecRegistry::getInstance().registerCodec(registry().getType(u"UUID"), nullptr);
        fs::remove_all(dir);
    }

    std::string file(char const* name) const { return (dir / name).string(); }

    /// Runs `sql` on the file at `path` with SQLite directly.
    static void alter(std::string const& path, char const* sql) {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK)
            << sqlite3_errmsg(db);
        sqlite3_close(db);
    }

    SamplePackage const* package = nullptr;
    fs::path dir;
};

TEST_F(ModelFileTest, OpeningRebuildsElementsContainmentOrderAndValuesWithoutHistory) {
    std::string const path = file("zoo.model");
    std::string before;
    {
        Model model = makeSample(u"mf-zoo");
        before = textOf(model);
        model.save(path);
        EXPECT_EQ(model->getFilePath(), fs::weakly_canonical(path).string());
    }
    EXPECT_FALSE(OpenModels::find(u"mf-zoo")) << "closed before opening";

    Model const opened = Model::open(path);
    EXPECT_EQ(textOf(opened), before);
    EXPECT_EQ(opened->getName(), u"mf-zoo");
    EXPECT_EQ(OpenModels::find(u"mf-zoo"), opened);
    EXPECT_FALSE(opened.canUndo()) << "opening is no undo step";
    EXPECT_EQ(Model::open(path), opened);
    EXPECT_EQ(Model::open((dir / "." / "zoo.model").string()), opened) << "one file, one model";

    // Edits undo back to the opened state, not past it.
    Holder* holder = fullHolder(opened);
    ASSERT_NE(holder, nullptr);
    holder->toys().remove(holder->toys().items().front());
    opened.undo();
    EXPECT_EQ(textOf(opened), before);
    EXPECT_FALSE(opened.canUndo());
}

TEST_F(ModelFileTest, SaveRemembersItsFileAndAFailedSaveChangesNothing) {
    std::string const path = file("kept.model");
    Model model = makeSample(u"mf-kept");
    EXPECT_EQ(errorOf([&] { model.save(); }), "korm0:messages:ModelHasNoFile");
    model.save(path);

    Holder* holder = fullHolder(model);
    holder->toys().add(Item::create(model, id(1)));
    model.save();
    std::string const after = textOf(model);

    // Unwritable paths, the file of another open model and an open transaction are refused.
    EXPECT_EQ(errorOf([&] { model.save((dir / "no-dir" / "x.model").string()); }),
              "korm0:messages:ModelFileCannotWrite");
    Model const other = makeSample(u"mf-other");
    other.save(file("other.model"));
    EXPECT_EQ(errorOf([&] { model.save(file("other.model")); }),
              "korm0:messages:ModelFileCannotWrite");
    {
        Transaction open = model.beginTransaction();
        EXPECT_EQ(errorOf([&] { model.save(); }), "korm0:messages:ModelFileCannotWrite");
    }
    EXPECT_EQ(model->getFilePath(), fs::weakly_canonical(path).string());
    EXPECT_EQ(textOf(model), after);

    model = Model();
    EXPECT_EQ(textOf(Model::open(path)), after);
}

TEST_F(ModelFileTest, RefusedFilesReportWhyAndLeaveNoModel) {
    std::string const good = file("good.model");
    makeSample(u"mf-refused").save(good);

    struct Case {
        char const* what;
        std::function<void(std::string const&)> spoil;
        char const* error;
    };
    auto const sql = [](char const* statement) {
        return [statement](std::string const& path) { alter(path, statement); };
    };
    std::vector<Case> const cases = {
        {"text", [](std::string const& p) { std::ofstream(p) << "not a database at all"; },
         "ModelFileNotAModel"},
        {"other database", sql("DROP TABLE members; PRAGMA application_id = 7;"),
         "ModelFileNotAModel"},
        {"newer", sql("PRAGMA user_version = 2;"), "ModelFileTooNew"},
        {"short id", sql("UPDATE elements SET container = x'0102' WHERE container IS NOT NULL;"),
         "ModelFileCorrupt"},
        {"unknown code",
         sql("UPDATE elements SET class = 999 WHERE id = (SELECT min(id) FROM elements);"),
         "ModelFileCorrupt"},
        {"malformed values", sql("UPDATE elements SET singles = x'05' WHERE length(singles) > 0;"),
         "ModelFileCorrupt"},
        {"dangling reference",
         sql("DELETE FROM elements WHERE id = (SELECT data FROM members WHERE kind = 1 LIMIT 1);"),
         "ModelFileCorrupt"},
        {"no model name", sql("DELETE FROM header;"), "ModelFileCorrupt"},
        {"moved element",
         sql("UPDATE elements SET container = NULL, feature = NULL, position = NULL WHERE id = "
             "(SELECT data FROM members WHERE kind = 1 LIMIT 1);"),
         "ModelFileCorrupt"},
        {"unknown package", sql("UPDATE packages SET uri = 'test:/gone';"),
         "ModelFileUnknownPackage"},
        {"unknown class",
         sql("UPDATE meta_ids SET id = zeroblob(16) WHERE code = (SELECT class FROM elements "
             "WHERE id = (SELECT min(id) FROM elements));"),
         "ModelFileUnknownClass"},
        {"missing", [](std::string const& p) { fs::remove(p); }, "ModelFileCannotOpen"},
    };
    for (auto const& c : cases) {
        std::string const path = file(c.what);
        fs::copy_file(good, path);
        c.spoil(path);
        EXPECT_EQ(errorOf([&] { Model::open(path); }), std::string("korm0:messages:") + c.error)
            << c.what;
        EXPECT_FALSE(OpenModels::find(u"mf-refused")) << c.what;
    }
    // The good file still opens after all that.
    EXPECT_EQ(Model::open(good)->getElementCount(), 6U);
}

/// Runs `body` in a child process, which ends with status 0, or 1 when `body` throws.
pid_t spawn(std::function<void()> const& body) {
    pid_t const pid = fork();
    if (pid == 0) {
        int status = 0;
        try {
            body();
        } catch (...) {
            status = 1;
        }
        _exit(status);
    }
    return pid;
}

/// Waits for the child and gives its exit status (-1 when it did not exit normally).
int exitStatusOf(pid_t child) {
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(ModelFileTest, AFileOpenInAnotherProcessIsRefusedUntilItIsClosed) {
    std::string const path = file("locked.model");
    makeSample(u"mf-locked").save(path);  // the model goes at once, and with it the lock
    int ready[2];
    int release[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(release), 0);
    pid_t const child = spawn([&] {
        Model const held = Model::open(path);
        char signal = 'x';
        (void)!write(ready[1], &signal, 1);
        (void)!read(release[0], &signal, 1);  // holds the file until told
    });
    ASSERT_GT(child, 0);
    char signal = 0;
    ASSERT_EQ(read(ready[0], &signal, 1), 1);

    EXPECT_EQ(errorOf([&] { Model::open(path); }), "korm0:messages:ModelFileInUse");
    Model const other = makeSample(u"mf-locked-other");
    EXPECT_EQ(errorOf([&] { other.save(path); }), "korm0:messages:ModelFileInUse");
    EXPECT_TRUE(other->getFilePath().empty()) << "a refused save leaves the model as it was";

    ASSERT_EQ(write(release[1], &signal, 1), 1);
    EXPECT_EQ(exitStatusOf(child), 0);
    EXPECT_EQ(Model::open(path)->getName(), u"mf-locked") << "the lock went with the process";
    for (int fd : {ready[0], ready[1], release[0], release[1]}) {
        close(fd);
    }
}

/// The toys' labels after save number `k` of the killed child below: step n adds a toy
/// labelled n, and every third step also removes the first toy.
std::vector<uuid> labelsAfterSave(int k) {
    std::vector<uuid> labels;
    for (int n = 1; n <= k; ++n) {
        labels.push_back(id(static_cast<std::uint8_t>(n)));
        if (n % 3 == 0) {
            labels.erase(labels.begin());
        }
    }
    return labels;
}

/// Saves the sample's holder after every step of labelsAfterSave, telling each save made (its
/// number, one byte) on `acks`, until it is killed.
void saveUntilKilled(std::string const& path, int acks) {
    Model const model = Model::create(u"mf-killed");
    ModelElement const holder = Holder::create(model);
    model.save(path);
    for (std::uint8_t n = 1; n < 250; ++n) {
        auto& toys = static_cast<Holder*>(holder.getImpl())->toys();
        {
            Transaction step = model.beginTransaction();
            toys.add(Item::create(model, id(n)));
            if (n % 3 == 0) {
                toys.remove(toys.items().front());
            }
            step.commit();
        }
        model.save();
        (void)!write(acks, &n, 1);
    }
    pause();
}

TEST_F(ModelFileTest, ASaveKilledAtAnyMomentLeavesThePreviousSavedState) {
    std::mt19937 random(20261207);
    for (int round = 0; round < 30; ++round) {
        std::string const path = file(("killed-" + std::to_string(round)).c_str());
        int acks[2];
        ASSERT_EQ(pipe(acks), 0);
        pid_t const child = spawn([&] { saveUntilKilled(path, acks[1]); });
        ASSERT_GT(child, 0);
        close(acks[1]);
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 60000));
        kill(child, SIGKILL);
        exitStatusOf(child);
        int acked = 0;
        for (std::uint8_t n = 0; read(acks[0], &n, 1) == 1;) {
            acked = n;
        }
        close(acks[0]);

        // Killed before the first save committed: no model file (perhaps an empty file).
        std::string const error = errorOf([&] { Model::open(path); });
        if (!error.empty()) {
            EXPECT_EQ(acked, 0) << "round " << round << ": " << error;
            EXPECT_TRUE(error == "korm0:messages:ModelFileNotAModel" ||
                        error == "korm0:messages:ModelFileCannotOpen")
                << "round " << round << ": " << error;
            continue;
        }
        Model const opened = Model::open(path);
        Holder* holder = nullptr;
        for (auto const& element : opened->getElements()) {
            holder = holder != nullptr ? holder : dynamic_cast<Holder*>(element.getImpl());
        }
        ASSERT_NE(holder, nullptr) << "round " << round;
        std::vector<uuid> labels;
        for (auto const& toy : holder->toys().items()) {
            labels.push_back(static_cast<Item const*>(toy.getImpl())->getLabel());
        }
        // The last save the child told of, or the one it was killed before telling.
        EXPECT_TRUE(labels == labelsAfterSave(acked) || labels == labelsAfterSave(acked + 1))
            << "round " << round << " after " << acked << " saves";
    }
}

using Reports = std::vector<std::pair<std::size_t, std::size_t>>;

/// A progress callback that records what it is told in `reports`.
Progress recording(Reports& reports) {
    return [&reports](std::size_t done, std::size_t total) { reports.emplace_back(done, total); };
}

/// What a callback is told over `total` steps: 0, every 4096 steps, and the end.
Reports expectedReports(std::size_t total) {
    Reports reports;
    for (std::size_t done = 0; done < total; done += 4096) {
        reports.emplace_back(done, total);
    }
    reports.emplace_back(total, total);
    return reports;
}

/// A holder with `count` loose items.
Model makeLarge(std::u16string const& name, std::size_t count) {
    Model model = makeSample(name);
    Transaction transaction = model.beginTransaction();
    for (std::size_t i = 0; i < count; ++i) {
        Item::create(model, id(static_cast<std::uint8_t>(i)));
    }
    transaction.commit();
    return model;
}

/// Throws at the `n`-th call.
Progress failingAt(std::size_t n) {
    return [n, calls = std::size_t{0}](std::size_t, std::size_t) mutable {
        if (++calls == n) {
            throw std::runtime_error("stopped by progress");
        }
    };
}

TEST_F(ModelFileTest, ProgressRisesEvery4096StepsToTwiceTheElementsWrittenOrRead) {
    std::string const path = file("large.model");
    Model model = makeLarge(u"mf-large", 10000);
    std::size_t const count = model->getElementCount();
    Reports saving;
    model.save(path, recording(saving));
    EXPECT_EQ(saving, expectedReports(2 * count));

    // A lone change: the changes only, the changed holder and the new item.
    fullHolder(model)->toys().add(Item::create(model, id(1)));
    Reports changes;
    model.save(recording(changes));
    EXPECT_EQ(changes, expectedReports(4));
    std::string const saved = textOf(model);
    model = Model();

    Reports opening;
    Model const opened = Model::open(path, recording(opening));
    EXPECT_EQ(opening, expectedReports(2 * (count + 1)));
    EXPECT_TRUE(textOf(opened) == saved);
}

TEST_F(ModelFileTest, AProgressThatThrowsLeavesTheFileAndTheModelAsTheyWere) {
    std::string const path = file("kept.model");
    Model model = makeLarge(u"mf-throw", 10000);
    model.save(path);
    // Enough changes for a full save: calls 2 and 3 come while the image is built, 5 while
    // its rows are written.
    Transaction edit = model.beginTransaction();
    for (int i = 0; i < 4000; ++i) {
        Item::create(model, id(1));
    }
    Holder* holder = fullHolder(model);
    holder->toys().remove(holder->toys().items().front());
    edit.commit();
    std::string const edited = textOf(model);
    for (std::size_t n : {1, 2, 5}) {
        for (std::string const& target : {path, file("new.model")}) {
            EXPECT_THROW(model.save(target, failingAt(n)), std::runtime_error) << n;
            EXPECT_TRUE(textOf(model) == edited);
            EXPECT_TRUE(model.hasUnsavedChanges());
            EXPECT_EQ(model->getFilePath(), fs::weakly_canonical(path).string());
        }
        EXPECT_FALSE(fs::exists(file("new.model"))) << "a file the save created is removed";
    }
    model = Model();
    EXPECT_TRUE(textOf(Model::open(path)) != edited) << "the file holds the state saved before";

    std::string const saved = textOf(Model::open(path));
    for (std::size_t n : {1, 2, 4}) {
        EXPECT_THROW(Model::open(path, failingAt(n)), std::runtime_error) << n;
        EXPECT_FALSE(OpenModels::find(u"mf-throw")) << "a failed open leaves no model";
    }
    EXPECT_TRUE(textOf(Model::open(path)) == saved) << "and the file can still be opened";
}

TEST_F(ModelFileTest, WhileSavingTheProgressCanNeitherChangeNorSaveTheModel) {
    std::string const path = file("busy.model");
    Model model = makeSample(u"mf-busy");
    std::string const before = textOf(model);
    std::vector<std::string> refusals;
    model.save(path, [&](std::size_t done, std::size_t) {
        if (done == 0) {
            refusals.push_back(errorOf([&] { Item::create(model); }));
            refusals.push_back(errorOf([&] { model.save(path); }));
            refusals.push_back(errorOf([&] { model.undo(); }));
        }
    });
    EXPECT_EQ(refusals, (std::vector<std::string>{"korm0:messages:CannotModifyFrozenModel",
                                                  "korm0:messages:ModelFileCannotWrite",
                                                  "korm0:messages:CannotModifyFrozenModel"}));
    EXPECT_EQ(textOf(model), before);
    EXPECT_NO_THROW(Item::create(model)) << "thawed once saved";
}

}  // namespace
}  // namespace korm::zero::test
