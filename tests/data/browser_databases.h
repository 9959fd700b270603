#pragma once
// Browser databases for the tests of both builds, with the tables and columns the
// browsers write: Firefox's places.sqlite and Chrome's History, Web Data and Shortcuts.

#include <sqlite3.h>

#include <memory>
#include <string>

namespace norvik::testdata {

// Firefox's places.sqlite: its three tables and their indexes.
inline constexpr char kPlacesSchema[] = R"sql(
CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR, rev_host LONGVARCHAR,
  visit_count INTEGER DEFAULT 0, hidden INTEGER DEFAULT 0 NOT NULL, typed INTEGER DEFAULT 0 NOT NULL,
  favicon_id INTEGER, frecency INTEGER DEFAULT -1 NOT NULL, last_visit_date INTEGER);
CREATE TABLE moz_historyvisits (id INTEGER PRIMARY KEY, from_visit INTEGER, place_id INTEGER, visit_date INTEGER,
  visit_type INTEGER, session INTEGER);
CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER DEFAULT NULL, parent INTEGER,
  position INTEGER, title LONGVARCHAR, keyword_id INTEGER, folder_type TEXT, dateAdded INTEGER, lastModified INTEGER);
CREATE UNIQUE INDEX moz_places_url_uniqueindex ON moz_places (url);
CREATE INDEX moz_historyvisits_placedateindex ON moz_historyvisits (place_id, visit_date);
)sql";

// Three visited places, the second one bookmarked; the bookmark folders have no target
// (fk NULL), which must not stop the history from going.
inline constexpr char kPlacesRows[] = R"sql(
INSERT INTO moz_places VALUES (1, 'http://visited.example/', 'Visited', 'elpmaxe.detisiv.', 2, 0, 1, NULL, 100, 1275000000000000),
  (2, 'http://kept.example/', 'Kept', 'elpmaxe.tpek.', 1, 0, 0, NULL, 200, 1275000000000000),
  (3, 'http://other.example/', 'Other', 'elpmaxe.rehto.', 1, 0, 0, NULL, 50, 1275000000000000);
INSERT INTO moz_historyvisits VALUES (1, 0, 1, 1275000000000000, 1, 1), (2, 1, 1, 1275000000000001, 1, 1),
  (3, 0, 2, 1275000000000002, 1, 1), (4, 0, 3, 1275000000000003, 2, 2);
INSERT INTO moz_bookmarks VALUES (1, 2, NULL, 0, 0, '', NULL, NULL, 0, 0), (2, 2, NULL, 1, 0, 'Bookmarks Menu', NULL, NULL, 0, 0),
  (3, 1, 2, 2, 0, 'Kept', NULL, NULL, 0, 0);
)sql";

inline constexpr char kChromeMeta[] = R"sql(
CREATE TABLE meta (key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR);
INSERT INTO meta VALUES ('version', '20'), ('last_compatible_version', '16');
)sql";

inline constexpr char kChromeHistory[] = R"sql(
CREATE TABLE urls (id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR, visit_count INTEGER DEFAULT 0 NOT NULL,
  typed_count INTEGER DEFAULT 0 NOT NULL, last_visit_time INTEGER NOT NULL, hidden INTEGER DEFAULT 0 NOT NULL,
  favicon_id INTEGER DEFAULT 0 NOT NULL);
CREATE TABLE downloads (id INTEGER PRIMARY KEY, full_path LONGVARCHAR NOT NULL, url LONGVARCHAR NOT NULL,
  start_time INTEGER NOT NULL, received_bytes INTEGER NOT NULL, total_bytes INTEGER NOT NULL, state INTEGER NOT NULL);
INSERT INTO urls VALUES (1, 'http://a.example/', 'A', 1, 0, 12900000000000000, 0, 0), (2, 'http://b.example/', 'B', 1, 1, 12900000000000001, 0, 0);
INSERT INTO downloads VALUES (1, 'C:\x.zip', 'http://a.example/x.zip', 1275000000, 10, 10, 1), (2, 'C:\y.exe', 'http://b.example/y.exe', 1275000001, 5, 9, 2);
)sql";

// Web Data as an older Chrome left it: no autofill_profile_phones table.
inline constexpr char kChromeWebData[] = R"sql(
CREATE TABLE logins (origin_url VARCHAR NOT NULL, action_url VARCHAR, username_element VARCHAR, username_value VARCHAR,
  password_element VARCHAR, password_value BLOB, submit_element VARCHAR, signon_realm VARCHAR NOT NULL,
  ssl_valid INTEGER NOT NULL, preferred INTEGER NOT NULL, date_created INTEGER NOT NULL,
  blacklisted_by_user INTEGER NOT NULL, scheme INTEGER NOT NULL,
  UNIQUE (origin_url, username_element, username_value, password_element, submit_element, signon_realm));
CREATE TABLE autofill (name VARCHAR, value VARCHAR, value_lower VARCHAR, pair_id INTEGER PRIMARY KEY, count INTEGER DEFAULT 1);
CREATE TABLE autofill_dates (pair_id INTEGER DEFAULT 0, date_created INTEGER DEFAULT 0);
CREATE TABLE autofill_profiles (guid VARCHAR PRIMARY KEY, company_name VARCHAR, address_line_1 VARCHAR,
  address_line_2 VARCHAR, city VARCHAR, state VARCHAR, zipcode VARCHAR, country VARCHAR, country_code VARCHAR,
  date_modified INTEGER NOT NULL DEFAULT 0);
CREATE TABLE autofill_profile_names (guid VARCHAR, first_name VARCHAR, middle_name VARCHAR, last_name VARCHAR);
CREATE TABLE autofill_profile_emails (guid VARCHAR, email VARCHAR);
CREATE TABLE autofill_profiles_trash (guid VARCHAR);
CREATE TABLE keywords (id INTEGER PRIMARY KEY, short_name VARCHAR NOT NULL, keyword VARCHAR NOT NULL, url VARCHAR NOT NULL);
INSERT INTO logins VALUES ('http://a.example/', 'http://a.example/login', 'user', 'bob', 'pass', X'0102', 'go',
  'http://a.example/', 0, 1, 1275000000, 0, 0);
INSERT INTO autofill VALUES ('email', 'bob@example.com', 'bob@example.com', 1, 3), ('name', 'Bob', 'bob', 2, 1);
INSERT INTO autofill_dates VALUES (1, 1275000000), (2, 1275000001);
INSERT INTO autofill_profiles VALUES ('g1', '', '1 Road', '', 'Town', '', '12345', 'Land', 'LD', 1275000000);
INSERT INTO autofill_profile_names VALUES ('g1', 'Bob', '', 'Smith');
INSERT INTO autofill_profile_emails VALUES ('g1', 'bob@example.com');
INSERT INTO autofill_profiles_trash VALUES ('g0');
INSERT INTO keywords VALUES (1, 'Search', 'search.example', 'http://search.example/?q={searchTerms}');
)sql";

inline constexpr char kChromeShortcuts[] = R"sql(
CREATE TABLE omni_box_shortcuts (id VARCHAR PRIMARY KEY, text VARCHAR, url VARCHAR, contents VARCHAR,
  contents_class VARCHAR, description VARCHAR, description_class VARCHAR, last_access_time INTEGER,
  number_of_hits INTEGER);
INSERT INTO omni_box_shortcuts VALUES ('s1', 'vis', 'http://visited.example/', 'visited.example', '0,1', 'Visited', '0,0', 1275000000, 3);
)sql";

struct DatabaseCloser {
  void operator()(sqlite3* db) const { sqlite3_close(db); }
};
using Connection = std::unique_ptr<sqlite3, DatabaseCloser>;

// A connection of the test's own (the file is created when missing); null on failure.
inline Connection Connect(const std::string& file) {
  sqlite3* db = nullptr;
  const int result = sqlite3_open(file.c_str(), &db);
  Connection connection(db);
  return result == SQLITE_OK ? std::move(connection) : Connection();
}

// Runs the statements; the engine's message on failure, else empty.
inline std::string RunSql(sqlite3* db, const char* sql) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &error) == SQLITE_OK) return {};
  std::string message = error != nullptr ? error : "error";
  sqlite3_free(error);
  return message;
}

inline std::string RunSql(const std::string& file, const char* sql) {
  const Connection db = Connect(file);
  return db ? RunSql(db.get(), sql) : "cannot open " + file;
}

// Every table with its row count, "autofill=0 logins=1 ...", in name order; for a
// compact comparison of what a clean left.
inline std::string RowCounts(const std::string& file) {
  const Connection db = Connect(file);
  if (!db) return "cannot open " + file;
  std::string counts;
  sqlite3_stmt* tables = nullptr;
  sqlite3_prepare_v2(db.get(), "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name", -1, &tables, nullptr);
  while (tables != nullptr && sqlite3_step(tables) == SQLITE_ROW) {
    const std::string table = reinterpret_cast<const char*>(sqlite3_column_text(tables, 0));
    sqlite3_stmt* count = nullptr;
    sqlite3_prepare_v2(db.get(), ("SELECT count(*) FROM \"" + table + "\"").c_str(), -1, &count, nullptr);
    const bool row = count != nullptr && sqlite3_step(count) == SQLITE_ROW;
    counts += (counts.empty() ? "" : " ") + table + "=" + (row ? std::to_string(sqlite3_column_int64(count, 0)) : "?");
    sqlite3_finalize(count);
  }
  sqlite3_finalize(tables);
  return counts;
}

}  // namespace norvik::testdata
