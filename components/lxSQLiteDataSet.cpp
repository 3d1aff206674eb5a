#include "lxSQLiteDataSet.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <fstream>
#include <sstream>

#include "lxText.h"

namespace lx {

extern const unsigned char kDemoScriptData[];
extern const std::size_t kDemoScriptSize;

// ---------------------------------------------------------------- database

TSQLiteDatabase::~TSQLiteDatabase() { Close(); }

bool TSQLiteDatabase::Fail(std::string message) {
  lastError_ = std::move(message);
  return false;
}

bool TSQLiteDatabase::Open(const std::string& fileName) {
  Close();
  sqlite3* db = nullptr;
  // A connection serves one thread at a time, as every object of the
  // framework does, so it goes without SQLite's locking of each call (a
  // fifth of the time of reading a table row by row).
  const int rc =
      sqlite3_open_v2(fileName.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    sqlite3_close(db);
    return Fail(std::move(message));
  }
  db_ = db;
  lastError_.clear();
  return true;
}

void TSQLiteDatabase::Close() {
  if (db_) sqlite3_close(db_);
  db_ = nullptr;
}

bool TSQLiteDatabase::ExecScript(std::string_view sql) {
  if (!db_) return Fail("The database is not open");
  // sqlite3_exec needs a terminated string; the script may be a view into
  // the embedded bytes.
  const std::string text(sql);
  char* message = nullptr;
  if (sqlite3_exec(db_, text.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
    std::string error = message ? message : sqlite3_errmsg(db_);
    sqlite3_free(message);
    // A failed script must not leave its transaction open.
    if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    return Fail(std::move(error));
  }
  lastError_.clear();
  return true;
}

bool TSQLiteDatabase::LoadScriptFile(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  if (!in) return Fail("Cannot open " + fileName);
  std::ostringstream text;
  text << in.rdbuf();
  return ExecScript(text.str());
}

// ---------------------------------------------------------------- types

namespace {

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

std::string Trim(std::string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && std::isspace(static_cast<unsigned char>(text[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(text[e - 1]))) --e;
  return std::string(text.substr(b, e - b));
}

// The numbers in parentheses after a type name: "DECIMAL(10, 2)" -> 10, 2.
void TypeArguments(std::string_view declared, int& first, int& second) {
  first = second = -1;
  const size_t open = declared.find('(');
  if (open == std::string_view::npos) return;
  int* target = &first;
  for (size_t i = open + 1; i < declared.size() && declared[i] != ')'; ++i) {
    const char c = declared[i];
    if (c >= '0' && c <= '9') {
      if (*target < 0) *target = 0;
      if (*target < 100000000) *target = *target * 10 + (c - '0');
    } else if (c == ',') {
      if (target == &second) break;
      target = &second;
    }
  }
}

bool Contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

}  // namespace

TFieldType FieldTypeFromDeclaredType(std::string_view declared, int& size) {
  size = 0;
  const std::string upper = Upper(declared);
  const size_t open = upper.find('(');
  const std::string name = Trim(std::string_view(upper).substr(0, open));
  int first = 0, second = 0;
  TypeArguments(upper, first, second);
  if (name.empty()) return ftUnknown;

  auto is = [&](std::initializer_list<const char*> names) {
    for (const char* n : names)
      if (name == n) return true;
    return false;
  };
  if (is({"INTEGER", "INT", "MEDIUMINT", "INT4", "LONG"})) return ftInteger;
  if (is({"SMALLINT", "INT2", "TINYINT", "SHORT"})) return ftSmallint;
  if (is({"BIGINT", "INT8", "LARGEINT", "UNSIGNED BIG INT"})) return ftLargeint;
  if (is({"WORD"})) return ftWord;
  if (is({"AUTOINC", "AUTOINCREMENT", "COUNTER"})) return ftAutoInc;
  if (is({"BOOLEAN", "BOOL", "BIT", "LOGICAL"})) return ftBoolean;
  if (is({"REAL", "FLOAT", "DOUBLE", "DOUBLE PRECISION"})) return ftFloat;
  if (is({"CURRENCY", "MONEY", "SMALLMONEY"})) return ftCurrency;
  if (is({"DECIMAL", "NUMERIC", "DEC"})) {
    if (second == 2) return ftCurrency;
    return second > 4 ? ftFMTBcd : ftBCD;
  }
  if (is({"DATE"})) return ftDate;
  if (is({"TIME"})) return ftTime;
  if (is({"DATETIME", "TIMESTAMP", "SMALLDATETIME"})) return ftDateTime;
  if (is({"NCHAR", "NVARCHAR", "NVARCHAR2", "NTEXT", "NATIONAL CHARACTER", "NATIVE CHARACTER", "NATIONAL VARCHAR",
          "WVARCHAR", "WIDESTRING"})) {
    size = std::max(first, 0);
    return ftWideString;
  }
  if (is({"CHAR", "CHARACTER"})) {
    size = std::max(first, 0);
    return ftFixedChar;
  }
  if (is({"VARCHAR", "VARCHAR2", "TEXT", "STRING", "VARYING CHARACTER", "CHARACTER VARYING"})) {
    size = std::max(first, 0);
    return ftString;
  }
  if (is({"MEMO", "CLOB", "LONGTEXT", "MEDIUMTEXT"})) return ftMemo;
  if (is({"BLOB", "BINARY", "VARBINARY", "LONGBLOB"})) return ftBlob;
  if (is({"GRAPHIC", "IMAGE", "PICTURE"})) return ftGraphic;
  // SQLite's affinity rules for everything else.
  if (Contains(name, "INT")) return ftInteger;
  if (Contains(name, "CHAR") || Contains(name, "CLOB") || Contains(name, "TEXT")) {
    size = std::max(first, 0);
    return ftString;
  }
  if (Contains(name, "BLOB")) return ftBlob;
  return ftFloat;
}

bool ParseIsoDateTime(std::string_view text, double& dateTime) {
  size_t i = 0;
  auto digits = [&](size_t count, int& value) {
    value = 0;
    for (size_t k = 0; k < count; ++k, ++i) {
      if (i >= text.size() || !std::isdigit(static_cast<unsigned char>(text[i]))) return false;
      value = value * 10 + (text[i] - '0');
    }
    return true;
  };
  auto expect = [&](char c) {
    if (i < text.size() && text[i] == c) {
      ++i;
      return true;
    }
    return false;
  };
  while (i < text.size() && text[i] == ' ') ++i;
  double date = 0;
  bool hasDate = false;
  int year = 0, month = 0, day = 0;
  const size_t start = i;
  if (digits(4, year) && expect('-') && digits(2, month) && expect('-') && digits(2, day)) {
    bool ok = false;
    date = EncodeDate(year, month, day, &ok);
    if (!ok) return false;
    hasDate = true;
    if (i < text.size() && (text[i] == ' ' || text[i] == 'T')) ++i;
  } else {
    i = start;
  }
  double time = 0;
  if (i < text.size() && text[i] != ' ') {
    int hour = 0, minute = 0, second = 0, ms = 0;
    if (!digits(2, hour) || !expect(':') || !digits(2, minute)) return false;
    if (expect(':')) {
      if (!digits(2, second)) return false;
      if (expect('.')) {
        int scale = 100;
        ms = 0;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
          ms += (text[i] - '0') * scale;
          scale /= 10;
          ++i;
        }
      }
    }
    bool ok = false;
    time = EncodeTime(hour, minute, second, ms, &ok);
    if (!ok) return false;
  } else if (!hasDate) {
    return false;
  }
  while (i < text.size() && text[i] == ' ') ++i;
  if (i != text.size()) return false;
  dateTime = ComposeDateTime(date, time);
  return true;
}

// ---------------------------------------------------------------- dataset

namespace {

// Days between the Julian day epoch and 30 December 1899, and the day of
// 1 January 1970.
constexpr double kJulianDayOfZero = 2415018.5;
constexpr double kUnixEpochDay = 25569.0;

struct TStatement {
  sqlite3_stmt* stmt = nullptr;
  ~TStatement() { sqlite3_finalize(stmt); }
};

// The value of a result column before it is fitted to its field type.
TVariant ColumnValue(sqlite3_stmt* stmt, int column) {
  switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_INTEGER:
      return TVariant(static_cast<int64_t>(sqlite3_column_int64(stmt, column)));
    case SQLITE_FLOAT:
      return TVariant(sqlite3_column_double(stmt, column));
    case SQLITE_TEXT: {
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
      const std::string_view utf8(text ? text : "", static_cast<size_t>(sqlite3_column_bytes(stmt, column)));
      // Most texts are ASCII, whose UTF-8 is the characters themselves.
      const bool ascii = std::all_of(utf8.begin(), utf8.end(), [](char c) { return (c & 0x80) == 0; });
      return TVariant(ascii ? AsciiToWide(utf8) : Utf8ToUtf16(utf8));
    }
    case SQLITE_BLOB: {
      const auto* data = static_cast<const char*>(sqlite3_column_blob(stmt, column));
      const int bytes = sqlite3_column_bytes(stmt, column);
      return TVariant(std::string(data ? data : "", data ? static_cast<size_t>(bytes) : 0));
    }
    default:
      return TVariant::Null();
  }
}

TVariant DateOf(TFieldType type, double d) {
  if (!(d >= kMinDateTime && d < kMaxDateTime)) return TVariant::Null();
  return TDataSet::ConvertValue(type, TVariant::FromDate(d));
}

TVariant DateValue(TFieldType type, const TVariant& raw) {
  double d = 0;
  if (raw.IsString()) {
    if (!ParseIsoDateTime(Utf16ToUtf8(raw.WideValue()), d)) return TVariant::Null();
  } else if (raw.IsInteger()) {
    d = kUnixEpochDay + static_cast<double>(raw.ToInt64()) / 86400.0;
  } else {
    d = raw.ToDouble() - kJulianDayOfZero;
  }
  return DateOf(type, d);
}

// The value of a result column of a date, time or date-time column. A text
// is read as it is stored: only ASCII can make a date, and UTF-8 keeps ASCII
// as it is, so reading it through wide text would change nothing.
TVariant DateColumnValue(sqlite3_stmt* stmt, int column, TFieldType type) {
  if (sqlite3_column_type(stmt, column) != SQLITE_TEXT) {
    const TVariant raw = ColumnValue(stmt, column);
    return raw.IsNull() ? raw : DateValue(type, raw);
  }
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
  const int bytes = sqlite3_column_bytes(stmt, column);
  double d = 0;
  if (!ParseIsoDateTime(std::string_view(text ? text : "", static_cast<size_t>(bytes)), d)) return TVariant::Null();
  return DateOf(type, d);
}

TFieldType TypeOfValue(const TVariant& value) {
  if (value.IsInteger()) return ftLargeint;
  if (value.VarType() == varDouble) return ftFloat;
  if (value.VarType() == varString) return ftBlob;
  return ftString;
}

}  // namespace

TSQLiteDataSet::~TSQLiteDataSet() { SetDatabase(nullptr); }

void TSQLiteDataSet::SetDatabase(TSQLiteDatabase* database) {
  if (database_) RemoveFreeNotification(database_);
  database_ = database;
  if (database_) FreeNotification(database_);
}

void TSQLiteDataSet::SetTableName(std::string_view name) {
  std::string quoted = "\"";
  for (char c : name) {
    quoted += c;
    if (c == '"') quoted += '"';
  }
  sql_ = "SELECT * FROM " + quoted + "\"";
}

void TSQLiteDataSet::Notification(TComponent* component, TOperation operation) {
  if (operation == opRemove && component == database_) database_ = nullptr;
}

void TSQLiteDataSet::InternalOpen() {
  if (!database_ || !database_->Connected()) throw EDatabaseError("No database connection");
  sqlite3* db = database_->Handle();
  TStatement statement;
  const char* tail = nullptr;
  if (sqlite3_prepare_v2(db, sql_.c_str(), static_cast<int>(sql_.size()), &statement.stmt, &tail) != SQLITE_OK)
    throw EDatabaseError(sqlite3_errmsg(db));
  if (!statement.stmt) throw EDatabaseError("The query is empty");
  const int columns = sqlite3_column_count(statement.stmt);
  std::vector<TFieldType> types(static_cast<size_t>(columns));
  std::vector<int> sizes(static_cast<size_t>(columns));
  std::vector<std::string> names(static_cast<size_t>(columns));
  for (int c = 0; c < columns; ++c) {
    const char* declared = sqlite3_column_decltype(statement.stmt, c);
    types[static_cast<size_t>(c)] = FieldTypeFromDeclaredType(declared ? declared : "", sizes[static_cast<size_t>(c)]);
    const char* name = sqlite3_column_name(statement.stmt, c);
    names[static_cast<size_t>(c)] = name ? name : "";
  }

  // Dates never fail to fit (a text that is no date reads as null), so
  // date columns are read into their final values at once.
  std::vector<bool> dates(static_cast<size_t>(columns));
  for (size_t c = 0; c < dates.size(); ++c) dates[c] = IsDateTimeFieldType(types[c]);

  const auto width = static_cast<size_t>(columns);
  TRecordStore rows;
  int rc;
  while ((rc = sqlite3_step(statement.stmt)) == SQLITE_ROW) {
    TVariant* row = rows.Append(width, [&](size_t c) {
      const int column = static_cast<int>(c);
      return dates[c] ? DateColumnValue(statement.stmt, column, types[c]) : ColumnValue(statement.stmt, column);
    });
    // Columns without a declared type take the type of their first value.
    for (size_t c = 0; c < width; ++c)
      if (types[c] == ftUnknown && !row[c].IsNull()) types[c] = TypeOfValue(row[c]);
  }
  if (rc != SQLITE_DONE) throw EDatabaseError(sqlite3_errmsg(db));

  // Fit the other values to their field types, row by row, so that the
  // first value that does not fit is the one reported; string fields
  // without a declared length take the longest value's. A wide text fits a
  // string field as it is.
  for (size_t r = 0; r < rows.Count(); ++r) {
    TVariant* row = rows.Values(r);
    for (size_t c = 0; c < width; ++c) {
      if (dates[c]) continue;
      const TFieldType type = types[c] == ftUnknown ? ftString : types[c];
      if (row[c].VarType() == varOleStr && IsStringFieldType(type)) continue;
      row[c] = ConvertValue(type, row[c]);
    }
  }
  for (size_t c = 0; c < types.size(); ++c) {
    if (types[c] == ftUnknown) types[c] = ftString;
    if (IsStringFieldType(types[c]) && sizes[c] == 0) {
      size_t longest = 1;
      for (size_t r = 0; r < rows.Count(); ++r) longest = std::max(longest, rows.Values(r)[c].WideValue().size());
      sizes[c] = static_cast<int>(std::min<size_t>(longest, 8192));
    }
  }
  ClearFields();
  ClearRows();
  for (size_t c = 0; c < types.size(); ++c) AddField(names[c], types[c], sizes[c]);
  AppendCanonicalRows(rows);
}

// ---------------------------------------------------------------- demo

std::string_view DemoScript() {
  return std::string_view(reinterpret_cast<const char*>(kDemoScriptData), kDemoScriptSize);
}

bool OpenDemoDatabase(TSQLiteDatabase& database) { return database.OpenMemory() && database.ExecScript(DemoScript()); }

}  // namespace lx
