#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "data/browser_databases.h"
#include "platform/sim/sim_machine.h"
#include "stores/sqlite_database.h"

namespace norvik::stores {
namespace {

namespace fs = std::filesystem;

std::string Bytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class SQLiteTest : public ::testing::Test {
 protected:
  std::string Path(const char* name) { return machine_.HostPath(std::string("C:\\") + name).string(); }
  platform::sim::SimMachine machine_;
};

// The name is compared without regard to letter case and always as text: a quote in it
// cannot turn the question into another query, nor can it change the database.
TEST_F(SQLiteTest, TableExistsIgnoresCaseAndTakesTheNameAsText) {
  const std::string file = Path("web.db");
  ASSERT_EQ(testdata::RunSql(file, testdata::kChromeWebData), "");
  ASSERT_EQ(testdata::RunSql(file, "CREATE TABLE \"it's\" (x)"), "");
  const std::string before = Bytes(file);
  const struct {
    const char* name;
    bool exists;
  } cases[] = {
      {"logins", true},  {"LOGINS", true},          {"Autofill_Dates", true},     {"autofill_profile_phones", false},
      {"it's", true},    {"x' or '1'='1", false},   {"logins' --", false},        {"", false},
  };
  TSQLiteDatabase db(file);
  for (const auto& c : cases) EXPECT_EQ(db.TableExists(c.name), c.exists) << c.name;
  EXPECT_EQ(Bytes(file), before);
}

// Each failure names what went wrong; opening never creates a database.
TEST_F(SQLiteTest, FailuresGiveTheEngineCodeItsNameAndTheStatement) {
  const std::string missing = Path("missing.db"), not_a_database = Path("notes.txt"), good = Path("good.db");
  machine_.WriteFile("C:\\notes.txt", std::string(4096, 'n'));
  ASSERT_EQ(testdata::RunSql(good, testdata::kChromeHistory), "");
  const auto message = [](const auto& action) -> std::string {
    try { action(); } catch (const ESQLiteException& e) { return e.what(); }
    return "no error";
  };
  EXPECT_EQ(message([&] { TSQLiteDatabase db(missing); }),
            "Failed to open database \"" + missing + "\" : unable to open database file");
  EXPECT_FALSE(fs::exists(missing));
  EXPECT_EQ(message([&] { TSQLiteDatabase(not_a_database).Execute("DELETE FROM logins"); }),
            "Error executing SQL.\rError [26]: File opened that is not a database file.\r\"DELETE FROM logins\": "
            "file is not a database");
  EXPECT_EQ(message([&] { TSQLiteDatabase(good).Execute("DELETE FROM nowhere"); }),
            "Error executing SQL.\rError [1]: SQL error or missing database.\r\"DELETE FROM nowhere\": "
            "no such table: nowhere");
  EXPECT_EQ(message([&] { TSQLiteDatabase(good).Execute("SELECT * FROM urls"); }), "Error executing SQL statement");
  EXPECT_EQ(message([&] { TSQLiteDatabase(good).Execute("-- nothing"); }), "Could not prepare SQL statement");
  EXPECT_EQ(testdata::RowCounts(good), "downloads=2 urls=2");
  // Codes past the named ones (and below them) get the number, never a neighbour's name.
  EXPECT_EQ(SQLiteErrorName(27) + SQLiteErrorName(-1), "Unknown SQLite Error Code \"27\"Unknown SQLite Error Code \"-1\"");
}

}  // namespace
}  // namespace norvik::stores
