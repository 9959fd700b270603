#pragma once
// The thin layer over the SQLite engine the browser cleaners use: open a database file,
// ask whether a table exists, run a statement that returns no rows, or read a query's
// whole result. Every failure is an ESQLiteException whose text names the engine's code,
// its meaning, the statement and the engine's own message. Nothing here waits for a lock:
// a database another program holds fails at once with code 5 or 6.

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

struct sqlite3;

namespace norvik::stores {

class ESQLiteException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Engine result codes the layer tests for by name.
inline constexpr int kSQLiteOk = 0;
inline constexpr int kSQLiteBusy = 5;
inline constexpr int kSQLiteRow = 100;
inline constexpr int kSQLiteDone = 101;

// "The database file is locked" for 5; "Unknown SQLite Error Code "27"" for codes
// without a name.
std::string SQLiteErrorName(int code);

// `text` as an SQL string literal: in single quotes, each quote inside doubled.
std::string SqlStringLiteral(std::string_view text);

class TSQLiteTable;

class TSQLiteDatabase {
 public:
  // Opens an existing database file for reading and writing (UTF-8 name). A missing
  // file is an error rather than a new empty database.
  explicit TSQLiteDatabase(const std::string& file_name);
  TSQLiteDatabase(TSQLiteDatabase&&) noexcept = default;
  TSQLiteDatabase& operator=(TSQLiteDatabase&&) noexcept = default;
  TSQLiteDatabase(const TSQLiteDatabase&) = delete;
  TSQLiteDatabase& operator=(const TSQLiteDatabase&) = delete;
  ~TSQLiteDatabase();

  // Runs one statement that returns no rows (a statement that yields a row fails).
  void Execute(std::string_view sql);
  // The query's complete result.
  TSQLiteTable GetTable(std::string_view sql);
  // A table of that name exists, letter case ignored.
  bool TableExists(std::string_view table_name);

  // Throws "<message>.\rError [<code>]: <name>.\r"<sql>": <engine message>", or the
  // message alone when the engine reports no error.
  [[noreturn]] void RaiseError(std::string_view message, std::string_view sql) const;

  sqlite3* handle() const { return db_.get(); }

 private:
  struct Closer {
    void operator()(sqlite3* db) const;
  };
  std::unique_ptr<sqlite3, Closer> db_;
};

// Column types of a result, fixed from its first row.
enum class ColumnType : std::int32_t { Integer = 1, Float = 2, Text = 3, Blob = 4 };

// A whole query result in memory, row by row.
class TSQLiteTable {
 public:
  using Cell = std::variant<std::monostate, std::int64_t, double, std::string, std::vector<std::uint8_t>>;

  TSQLiteTable(const TSQLiteDatabase& db, std::string_view sql);

  int RowCount() const { return row_count_; }
  int ColumnCount() const { return static_cast<int>(column_names_.size()); }
  // Upper-cased, as the engine names them.
  const std::vector<std::string>& ColumnNames() const { return column_names_; }
  const std::vector<ColumnType>& ColumnTypes() const { return column_types_; }
  // No value (monostate) for NULL and for an empty blob.
  const Cell& At(int row, int column) const;

 private:
  std::vector<Cell> cells_;
  int row_count_ = 0;
  std::vector<std::string> column_names_;
  std::vector<ColumnType> column_types_;
};

}  // namespace norvik::stores
