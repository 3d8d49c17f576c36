// The model-file store's statement wrapper: what is bound stays what was bound until the row is
// written, whatever becomes of the caller's bytes, and a parameter out of range is a framework
// error rather than a write outside the statement.

#include <gtest/gtest.h>
#include <unistd.h>

#include <boost/uuid/uuid.hpp>
#include <filesystem>
#include <string>
#include <vector>

#include "sqlite_db.hpp"

namespace korm::zero::store::test {
namespace {

namespace fs = std::filesystem;

class SqliteStatementTest : public ::testing::Test {
  protected:
    void SetUp() override {
        db.execute("CREATE TABLE t (k INTEGER PRIMARY KEY, b BLOB, x TEXT)", Activity::WRITING);
    }
    void TearDown() override { fs::remove(path); }

    /// Every row as "k:typeof(b)/hex(b):typeof(x)/x", in key order.
    std::vector<std::string> rows() {
        SqliteStatement select(db,
                               "SELECT k || ':' || typeof(b) || '/' || hex(b) || ':' || "
                               "typeof(x) || '/' || ifnull(x, '') FROM t ORDER BY k",
                               Activity::READING);
        std::vector<std::string> out;
        while (select.step()) {
            out.emplace_back(select.bytesAt(0));
        }
        return out;
    }

    std::string const path =
        (fs::temp_directory_path() / ("statement-test-" + std::to_string(getpid()) + ".db"))
            .string();
    SqliteConnection db{path, true};
};

TEST_F(SqliteStatementTest, BoundBytesOutliveTheCallersAndRebindingReplacesThem) {
    SqliteStatement insert(db, "INSERT INTO t (k, b, x) VALUES (?, ?, ?)", Activity::WRITING);
    // Temporaries that are gone before the row is written; a string of the same size made
    // meanwhile may take over their heap storage.
    insert.bindInteger(1, 1);
    insert.bindBlob(2, std::string(40, 'a'));
    insert.bindText(3, std::string(40, 'b'));
    std::string const reuse(40, 'z');
    insert.run();
    EXPECT_EQ(reuse.size(), 40U);
    // Shorter values at the same parameters, then an empty blob and text: no tail of the
    // longer ones may remain, and empty stays empty rather than NULL.
    insert.bindInteger(1, 2);
    insert.bindBlob(2, "\x01\x02");
    insert.bindText(3, "ok");
    insert.run();
    insert.bindInteger(1, 3);
    insert.bindBlob(2, "");
    insert.bindText(3, "");
    insert.run();
    boost::uuids::uuid id{};
    id.data[0] = 0xab;
    id.data[15] = 0xcd;
    insert.bindInteger(1, 4);
    insert.bindUuid(2, id);
    insert.bindNull(3);
    insert.run();
    insert.bindInteger(1, 5);
    insert.bindOptionalUuid(2, boost::uuids::uuid{});
    insert.run();

    std::string hexOfA;  // 'a' is 0x61
    for (int i = 0; i < 40; ++i) {
        hexOfA += "61";
    }
    EXPECT_EQ(rows(), (std::vector<std::string>{
                          "1:blob/" + hexOfA + ":text/" + std::string(40, 'b'),
                          "2:blob/0102:text/ok",
                          "3:blob/:text/",
                          "4:blob/AB0000000000000000000000000000CD:null/",
                          "5:null/:null/",
                      }));
}

TEST_F(SqliteStatementTest, AParameterOutOfRangeIsAFrameworkErrorNamingTheFile) {
    SqliteStatement insert(db, "INSERT INTO t (k, b) VALUES (?, ?)", Activity::WRITING);
    for (int const index : {0, 3, -1}) {
        try {
            insert.bindBlob(index, "abc");
            ADD_FAILURE() << "parameter " << index << " was accepted";
        } catch (std::exception const& e) {
            std::string const what = e.what();
            EXPECT_NE(what.find("ModelFileCannotWrite"), std::string::npos) << what;
            EXPECT_NE(what.find(path), std::string::npos) << what;
            EXPECT_NE(what.find("out of range"), std::string::npos) << what;
        }
    }
    // The statement still works after the refusals.
    insert.bindInteger(1, 7);
    insert.bindText(2, "x");
    insert.run();
    EXPECT_EQ(rows(), (std::vector<std::string>{"7:text/78:null/"}));
}

}  // namespace
}  // namespace korm::zero::store::test
