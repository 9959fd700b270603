#include "stores/sqlite_database.h"

#include <sqlite3.h>

#include <array>
#include <cctype>
#include <climits>
#include <utility>

namespace norvik::stores {
namespace {

constexpr std::array<std::string_view, 27> kErrorNames = {
    "Successful result",
    "SQL error or missing database",
    "An internal logic error in SQLite",
    "Access permission denied",
    "Callback routine requested an abort",
    "The database file is locked",
    "A table in the database is locked",
    "A malloc() failed",
    "Attempt to write a readonly database",
    "Operation terminated by sqlite3_interrupt()",
    "Some kind of disk I/O error occurred",
    "The database disk image is malformed",
    "(Internal Only) Table or record not found",
    "Insertion failed because database is full",
    "Unable to open the database file",
    "Database lock protocol error",
    "Database is empty",
    "The database schema changed",
    "Too much data for one row of a table",
    "Abort due to contraint violation",
    "Data type mismatch",
    "Library used incorrectly",
    "Uses OS features not supported on host",
    "Authorization denied",
    "Auxiliary database format error",
    "2nd parameter to sqlite3_bind out of range",
    "File opened that is not a database file",
};

std::string AsciiCase(std::string_view text, bool upper) {
  std::string out(text);
  for (char& c : out) {
    const auto u = static_cast<unsigned char>(c);
    c = static_cast<char>(upper ? std::toupper(u) : std::tolower(u));
  }
  return out;
}

struct Finalizer {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, Finalizer>;

// A prepared statement; both failures raise with the message the callers share.
Statement Prepare(const TSQLiteDatabase& db, std::string_view sql) {
  if (sql.size() > static_cast<std::size_t>(INT_MAX)) db.RaiseError("Error executing SQL", "");
  sqlite3_stmt* raw = nullptr;
  const char* tail = nullptr;
  const int result = sqlite3_prepare_v2(db.handle(), sql.data(), static_cast<int>(sql.size()), &raw, &tail);
  Statement statement(raw);
  if (result != SQLITE_OK) db.RaiseError("Error executing SQL", sql);
  if (!statement) db.RaiseError("Could not prepare SQL statement", sql);
  return statement;
}

ColumnType TypeOf(sqlite3_stmt* statement, int column) {
  const char* declared = sqlite3_column_decltype(statement, column);
  if (declared == nullptr) {
    switch (sqlite3_column_type(statement, column)) {
      case SQLITE_INTEGER: return ColumnType::Integer;
      case SQLITE_FLOAT: return ColumnType::Float;
      case SQLITE_BLOB: return ColumnType::Blob;
      default: return ColumnType::Text;
    }
  }
  const std::string_view type = declared;
  if (type == "INTEGER" || type == "BOOLEAN") return ColumnType::Integer;
  if (type == "NUMERIC" || type == "FLOAT" || type == "DOUBLE" || type == "REAL") return ColumnType::Float;
  if (type == "BLOB") return ColumnType::Blob;
  return ColumnType::Text;
}

TSQLiteTable::Cell ReadCell(sqlite3_stmt* statement, int column, ColumnType type) {
  if (sqlite3_column_type(statement, column) == SQLITE_NULL) return {};
  switch (type) {
    case ColumnType::Integer: return static_cast<std::int64_t>(sqlite3_column_int64(statement, column));
    case ColumnType::Float: return sqlite3_column_double(statement, column);
    case ColumnType::Blob: {
      const auto* bytes = static_cast<const std::uint8_t*>(sqlite3_column_blob(statement, column));
      const int size = sqlite3_column_bytes(statement, column);
      if (bytes == nullptr || size <= 0) return {};
      return std::vector<std::uint8_t>(bytes, bytes + size);
    }
    case ColumnType::Text: break;
  }
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
  return std::string(text == nullptr ? "" : text, static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
}

}  // namespace

std::string SQLiteErrorName(int code) {
  if (code >= 0 && code < static_cast<int>(kErrorNames.size())) return std::string(kErrorNames[code]);
  if (code == SQLITE_ROW) return "sqlite3_step() has another row ready";
  if (code == SQLITE_DONE) return "sqlite3_step() has finished executing";
  return "Unknown SQLite Error Code \"" + std::to_string(code) + "\"";
}

std::string SqlStringLiteral(std::string_view text) {
  std::string literal = "'";
  for (const char c : text) {
    literal += c;
    if (c == '\'') literal += c;
  }
  return literal + "'";
}

void TSQLiteDatabase::Closer::operator()(sqlite3* db) const { sqlite3_close(db); }

TSQLiteDatabase::TSQLiteDatabase(const std::string& file_name) {
  sqlite3* raw = nullptr;
  // No SQLITE_OPEN_CREATE: a file that vanished since the caller looked stays absent.
  const int result = sqlite3_open_v2(file_name.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
  db_.reset(raw);
  if (result == SQLITE_OK) return;
  const std::string reason = db_ ? sqlite3_errmsg(db_.get()) : "unknown error";
  db_.reset();
  throw ESQLiteException("Failed to open database \"" + file_name + "\" : " + reason);
}

TSQLiteDatabase::~TSQLiteDatabase() = default;

void TSQLiteDatabase::Execute(std::string_view sql) {
  const Statement statement = Prepare(*this, sql);
  if (sqlite3_step(statement.get()) != SQLITE_DONE) {
    sqlite3_reset(statement.get());
    RaiseError("Error executing SQL statement", sql);
  }
}

TSQLiteTable TSQLiteDatabase::GetTable(std::string_view sql) { return TSQLiteTable(*this, sql); }

bool TSQLiteDatabase::TableExists(std::string_view table_name) {
  // The name goes in as a quoted literal: a quote in it cannot end the string early.
  const std::string query = "select [sql] from sqlite_master where [type] = 'table' and lower(name) = " +
                            SqlStringLiteral(AsciiCase(table_name, false)) + " ";
  return GetTable(query).RowCount() > 0;
}

void TSQLiteDatabase::RaiseError(std::string_view message, std::string_view sql) const {
  const int code = db_ ? sqlite3_errcode(db_.get()) : SQLITE_OK;
  std::string text(message);
  if (code != SQLITE_OK) {
    text += ".\rError [" + std::to_string(code) + "]: " + SQLiteErrorName(code) + ".\r\"";
    text += sql;
    text += "\": ";
    text += sqlite3_errmsg(db_.get());
  }
  throw ESQLiteException(text);
}

TSQLiteTable::TSQLiteTable(const TSQLiteDatabase& db, std::string_view sql) {
  const Statement statement = Prepare(db, sql);
  for (;;) {
    const int result = sqlite3_step(statement.get());
    if (result == SQLITE_DONE) break;
    if (result != SQLITE_ROW) {
      sqlite3_reset(statement.get());
      // Busy keeps its own message, with the engine's code added like every other failure.
      db.RaiseError(result == SQLITE_BUSY ? "Could not prepare SQL statement" : "Could not retrieve data", sql);
    }
    const int columns = sqlite3_column_count(statement.get());
    if (row_count_ == 0) {
      for (int column = 0; column < columns; ++column) {
        const char* name = sqlite3_column_name(statement.get(), column);
        column_names_.push_back(AsciiCase(name == nullptr ? "" : name, true));
        column_types_.push_back(TypeOf(statement.get(), column));
      }
    }
    for (int column = 0; column < columns; ++column) {
      cells_.push_back(ReadCell(statement.get(), column, column_types_[static_cast<std::size_t>(column)]));
    }
    ++row_count_;
  }
}

const TSQLiteTable::Cell& TSQLiteTable::At(int row, int column) const {
  if (row < 0 || row >= row_count_ || column < 0 || column >= ColumnCount()) {
    throw std::out_of_range("TSQLiteTable::At");
  }
  return cells_[static_cast<std::size_t>(row) * column_names_.size() + static_cast<std::size_t>(column)];
}

}  // namespace norvik::stores
