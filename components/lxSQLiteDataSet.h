// Datasets over an embedded SQLite 3 database, and the demo database.
//
// The programs show and export tables of a real database: TSQLiteDatabase
// holds a connection (a file or an in-memory database) and runs scripts;
// TSQLiteDataSet runs a query or opens a table or view and reads all its rows
// into the dataset of lxDB.h. Field types come from the declared column types
// of the table (FieldTypeFromDeclaredType), so a CURRENCY column is a
// currency field and a DATETIME column a date-time field; dates are kept in
// the database as ISO texts ("1994-06-15", "2023-04-02 14:05:00") and read as
// date-time values.
//
// The demo database (customers and their orders) is a script compiled into
// the library: OpenDemoDatabase loads it into an in-memory database, so the
// programs need no file. The same script lives in data/demo.sql and can be
// loaded from disk with LoadScriptFile.
#pragma once

#include <string>
#include <string_view>

#include "lxDB.h"

struct sqlite3;

namespace lx {

// A connection to a SQLite database. Operations report failure with false
// and leave the database's message in LastError.
class TSQLiteDatabase : public TComponent {
 public:
  TSQLiteDatabase() = default;
  ~TSQLiteDatabase() override;

  // A database file (UTF-8 name; created when missing); ":memory:" opens an
  // empty in-memory database. An open connection is closed first.
  bool Open(const std::string& fileName);
  // Opens an empty in-memory database; false on failure.
  bool OpenMemory() { return Open(":memory:"); }
  // Closes the connection (nothing happens when none is open).
  void Close();
  // Whether a connection is open.
  bool Connected() const { return db_ != nullptr; }

  // Runs every statement of a script; stops at the first failing one.
  bool ExecScript(std::string_view sql);
  // Reads a script file (UTF-8) and runs it.
  bool LoadScriptFile(const std::string& fileName);

  // The message of the last failure.
  const std::string& LastError() const { return lastError_; }
  // The SQLite connection (owned by this object), or null.
  sqlite3* Handle() const { return db_; }

 private:
  bool Fail(std::string message);
  sqlite3* db_ = nullptr;
  std::string lastError_;
};

// The field type of a declared column type, and the size of a string field
// (the length in parentheses, 0 when none):
//   INTEGER, INT, MEDIUMINT -> ftInteger    SMALLINT, INT2, TINYINT -> ftSmallint
//   BIGINT, INT8, LARGEINT -> ftLargeint    WORD -> ftWord   AUTOINC, COUNTER -> ftAutoInc
//   BOOLEAN, BOOL, BIT -> ftBoolean         REAL, FLOAT, DOUBLE -> ftFloat
//   CURRENCY, MONEY, DECIMAL(p,2), NUMERIC(p,2) -> ftCurrency
//   other DECIMAL and NUMERIC -> ftBCD up to four decimals, ftFMTBcd beyond
//   DATE -> ftDate   TIME -> ftTime   DATETIME, TIMESTAMP -> ftDateTime
//   CHAR(n) -> ftFixedChar   VARCHAR(n), TEXT, STRING -> ftString
//   NCHAR, NVARCHAR, NTEXT -> ftWideString
//   MEMO, CLOB, LONGTEXT -> ftMemo           BLOB, BINARY -> ftBlob
//   GRAPHIC, IMAGE -> ftGraphic
// Other names follow SQLite's affinity rules (INT -> integer, CHAR/CLOB/TEXT
// -> string, REAL/FLOA/DOUB -> float, BLOB -> blob); an empty declared type
// (an expression) gives ftUnknown, and the dataset then takes the type from
// the values.
TFieldType FieldTypeFromDeclaredType(std::string_view declared, int& size);

// Reads an ISO date, date and time, or time of day ("1994-06-15",
// "1994-06-15 14:05", "1994-06-15T14:05:30.250", "14:05:30").
bool ParseIsoDateTime(std::string_view text, double& dateTime);

// A dataset over a query or a table. Set the database and either SQL or a
// table name, then Open; Open raises EDatabaseError when the query fails.
// String fields without a declared length get the length of their longest
// value. Stored values that do not fit their field type (a text in an
// INTEGER column) raise EDatabaseError, except dates: a text that is no date
// reads as null. Numbers in date columns are read as Julian day numbers
// (REAL) or seconds since 1970 (INTEGER), SQLite's own conventions.
class TSQLiteDataSet : public TDataSet {
 public:
  TSQLiteDataSet() = default;
  ~TSQLiteDataSet() override;

  // The database the dataset reads (not owned).
  TSQLiteDatabase* Database() const { return database_; }
  // Sets the database to read (not owned; forgotten when it is destroyed).
  void SetDatabase(TSQLiteDatabase* database);
  // The query Open runs.
  const std::string& SQL() const { return sql_; }
  // Sets the query Open runs.
  void SetSQL(std::string sql) { sql_ = std::move(sql); }
  // Opens "SELECT * FROM <name>"; replaces the SQL.
  void SetTableName(std::string_view name);

 protected:
  void InternalOpen() override;
  // Forgets the database when it is destroyed.
  void Notification(TComponent* component, TOperation operation) override;

 private:
  TSQLiteDatabase* database_ = nullptr;  // not owned; cleared when it is destroyed
  std::string sql_;
};

// The demo database script (UTF-8 SQL), compiled into the library.
std::string_view DemoScript();
// Opens an in-memory database and loads the demo script into it.
bool OpenDemoDatabase(TSQLiteDatabase& database);

// Objects of the demo database.
inline constexpr const char* kDemoCustomerTable = "customer";
// The orders table of the demo database.
inline constexpr const char* kDemoOrdersTable = "orders";
// The orders sorted by Terms, PaymentMethod and OrderNo, the order in which
// an export grouped by terms and payment method expects them.
inline constexpr const char* kDemoOrdersView = "orders_by_terms";

}  // namespace lx
