// Datasets, fields and data sources of the component framework.
//
// The export components walk a dataset record by record and read each
// field's type, texts, value and display settings; the programs show the same
// dataset in a grid through a data source. This unit defines those objects:
//
//   TField       one column of the current record: type, name, display label,
//                display and edit text, values, null test, display format,
//                width, visibility and alignment
//   TDataSet     the records and a cursor over them: First/Next/Eof,
//                bookmarks, fields by index and by name, DisableControls
//   TDataSource  the link from a grid (or any viewer) to a dataset; it hears
//                of cursor moves unless the dataset's controls are disabled
//   TMemDataSet  a dataset filled by the caller (tests, small lists)
//
// A dataset keeps all its records in memory: random access makes bookmarks
// trivial, and exports read every record anyway. Each value is stored in the
// canonical variant of its field type (below), so a field's Value needs no
// conversion; a record's values lie side by side in large blocks
// (TRecordStore), so that reading a large table costs few page faults.
// Concrete datasets (TMemDataSet, the SQLite dataset of lxSQLiteDataSet.h)
// define the fields and append the rows in InternalOpen.
//
// Canonical values by field type (null is a null variant for every type):
//   string, fixed char, wide string, memo   wide text (varOleStr)
//   smallint, integer, auto-increment        varSmallint, varInteger, varInteger
//   word, large integer                      varWord, varInt64
//   boolean                                  varBoolean
//   float, currency, FMT BCD                 varDouble (a currency field holds
//                                            a double, as the framework's does)
//   BCD                                      varCurrency (four decimals)
//   date, time, date and time                varDate; a date keeps the whole
//                                            day, a time the fraction only
//   bytes, blobs, graphics                   varString with the raw bytes
//
// 8-bit texts of fields (DisplayText, Text, AsString) are in the dataset's
// code page, the system code page unless SetCodePage chose another; a
// program whose data is Cyrillic sets 1251 so that its texts survive the
// trip through an 8-bit string. AsWideString gives the text without loss.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "lxClasses.h"
#include "lxCodePage.h"
#include "lxGraphics.h"
#include "lxLargePages.h"
#include "lxVariant.h"

namespace lx {

// A failed dataset operation: an unknown field name, a value that does not
// fit its field, a database error.
class EDatabaseError : public Exception {
 public:
  using Exception::Exception;
};

// The data type of a field.
enum TFieldType {
  ftUnknown,
  ftString,
  ftSmallint,
  ftInteger,
  ftWord,
  ftBoolean,
  ftFloat,
  ftCurrency,
  ftBCD,
  ftDate,
  ftTime,
  ftDateTime,
  ftBytes,
  ftVarBytes,
  ftAutoInc,
  ftBlob,
  ftMemo,
  ftGraphic,
  ftFmtMemo,
  ftFixedChar,
  ftWideString,
  ftLargeint,
  ftFMTBcd,
};

// The type's name without the prefix ("String", "Currency").
const char* FieldTypeName(TFieldType type);
// Text types whose value is a string shown as it is (not memos).
bool IsStringFieldType(TFieldType type);
// Integer and fractional number types, the types aligned right by default.
bool IsNumericFieldType(TFieldType type);
// Date, time and date-time types.
bool IsDateTimeFieldType(TFieldType type);

class TDataSet;

// A column of a dataset: its name, type and presentation, and the current record's value. Owned by its dataset.
class TField {
 public:
  // Fields are created by their dataset (TDataSet::AddField).
  TField(TDataSet* dataSet, std::string fieldName, TFieldType dataType, int size, int index);
  TField(const TField&) = delete;
  TField& operator=(const TField&) = delete;

  // The dataset that owns the field.
  TDataSet* DataSet() const { return dataSet_; }
  // The data type.
  TFieldType DataType() const { return dataType_; }
  // The field's name.
  const std::string& FieldName() const { return fieldName_; }
  // Characters of a string field; 0 for other types.
  int Size() const { return size_; }
  // Position among the dataset's fields, 0-based.
  int Index() const { return index_; }

  // The header text of the field; its name unless set.
  const std::string& DisplayLabel() const { return displayLabel_.empty() ? fieldName_ : displayLabel_; }
  // Sets the header text.
  void SetDisplayLabel(std::string label) { displayLabel_ = std::move(label); }
  // The number or date-time pattern of the display text (lxSysUtils.h);
  // empty means the type's default. Only numeric and date-time fields use it.
  const std::string& DisplayFormat() const { return displayFormat_; }
  // Sets the display pattern.
  void SetDisplayFormat(std::string format) { displayFormat_ = std::move(format); }
  // The texts of a boolean field, "true text;false text"; "True;False"
  // unless set.
  const std::string& DisplayValues() const { return displayValues_; }
  // Sets the texts of a boolean field, "true text;false text".
  void SetDisplayValues(std::string values) { displayValues_ = std::move(values); }
  // Width in characters; set, or the type's default (the size of a string).
  int DisplayWidth() const;
  // Sets the width in characters.
  void SetDisplayWidth(int characters) { displayWidth_ = characters; }
  // Whether grids show the field by default.
  bool Visible() const { return visible_; }
  // Shows or hides the field by default.
  void SetVisible(bool visible) { visible_ = visible; }
  // Right for numbers, left for everything else, unless set.
  TAlignment Alignment() const;
  // Sets the alignment.
  void SetAlignment(TAlignment alignment) { alignment_ = static_cast<int>(alignment); }

  // The current record's value; null when the dataset has no current record.
  bool IsNull() const { return Value().IsNull(); }
  // The current record's value (owned by the dataset); null without a current record.
  const TVariant& Value() const;
  // Conversions of the value; null gives 0, false or the empty text. A text
  // that does not convert raises EDatabaseError.
  double AsFloat() const;
  // The value as a date-time.
  double AsDateTime() const;
  // The value as a 32-bit integer.
  int32_t AsInteger() const;
  // The value as a 64-bit integer.
  int64_t AsLargeInt() const;
  // The value as a boolean.
  bool AsBoolean() const;
  // The edit text in the dataset's code page.
  std::string AsString() const { return Text(); }
  // The edit text as wide text.
  std::u16string AsWideString() const;

  // The text shown in a grid cell: the value through the display format or
  // the type's default presentation; empty for null.
  std::string DisplayText() const;
  // The text shown while editing: like DisplayText but without the display
  // format (numbers in their shortest form, dates in the short date format,
  // times in the long time format).
  std::string Text() const;
  // As Text.
  std::string EditText() const { return Text(); }

 private:
  // Texts in wide form; the 8-bit ones convert to the dataset's code page.
  std::u16string WideText(bool display) const;
  std::string NonTextText(bool display) const;

  TDataSet* dataSet_;  // not owned: the dataset owns its fields
  std::string fieldName_;
  TFieldType dataType_;
  int size_;
  int index_;
  std::string displayLabel_;
  std::string displayFormat_;
  std::string displayValues_ = "True;False";
  int displayWidth_ = -1;
  int alignment_ = -1;
  bool visible_ = true;
};

// A record position that GotoBookmark returns to. A default bookmark (or one
// taken from an empty dataset) is invalid and GotoBookmark ignores it.
struct TBookmark {
  // The 0-based record, -1 for none.
  int64_t record = -1;
  // Whether the bookmark names a record.
  bool Valid() const { return record >= 0; }
};

class TDataSource;

// The records of a dataset: each record the values of its fields side by
// side, carved from blocks that grow to large pages (lxLargePages.h) and
// never move. A table of a hundred thousand orders is tens of megabytes of
// values; one allocation per record touched fresh memory page by page.
class TRecordStore {
 public:
  TRecordStore() = default;
  ~TRecordStore() { Clear(); }
  TRecordStore(const TRecordStore&) = delete;
  TRecordStore& operator=(const TRecordStore&) = delete;
  // Takes over other's records; other is left empty.
  TRecordStore(TRecordStore&& other) noexcept;
  // Frees the records and takes over other's; other is left empty.
  TRecordStore& operator=(TRecordStore&& other) noexcept;

  // A new record of `width` null values at the end.
  TVariant* Append(size_t width);
  // A new record at the end whose values value(i), i = 0..width-1, are made
  // in place; when one throws, the record is not added.
  template <class F>
  TVariant* Append(size_t width, F&& value) {
    TVariant* values = Take(width);
    size_t made = 0;
    try {
      for (; made < width; ++made) new (values + made) TVariant(value(made));
    } catch (...) {
      std::destroy_n(values, made);
      throw;
    }
    records_.push_back(TRecord{values, width});
    return values;
  }
  // The number of records.
  size_t Count() const { return records_.size(); }
  // Whether there is no record.
  bool Empty() const { return records_.empty(); }
  // The number of values of a record.
  size_t Width(size_t record) const { return records_[record].width; }
  // The values of a record (owned by the store; they never move).
  TVariant* Values(size_t record) { return records_[record].values; }
  // The values of a record (owned by the store).
  const TVariant* Values(size_t record) const { return records_[record].values; }
  // Frees every record.
  void Clear();

 private:
  struct TRecord {
    TVariant* values;
    size_t width;
  };
  // Room for `width` values (nullptr for none), not yet made.
  TVariant* Take(size_t width) {
    return width == 0 ? nullptr : static_cast<TVariant*>(blocks_.Take(width * sizeof(TVariant)));
  }
  std::vector<TRecord> records_;
  TLargeBlockCarver blocks_{16 * 1024};
};

// Records with named, typed fields and a cursor on the current record, as grids and exporters read them. The dataset
// owns its fields and records; derived datasets load them in InternalOpen.
class TDataSet : public TComponent {
 public:
  TDataSet() = default;
  ~TDataSet() override;

  // Opening loads the records and places the cursor on the first one;
  // closing keeps the fields (the SQLite dataset drops its records, the
  // in-memory one keeps them for the next Open).
  void Open();
  // Closes the dataset (see Open).
  void Close();
  // Whether the dataset is open.
  bool Active() const { return active_; }
  // Opens (true) or closes the dataset.
  void SetActive(bool active) { active ? Open() : Close(); }

  // The number of fields.
  int FieldCount() const { return static_cast<int>(fields_.size()); }
  // Raises EListError outside 0..FieldCount-1.
  TField* Fields(int index) const;
  // Finds a field by name, ignoring the case of ASCII letters: nullptr (or
  // EDatabaseError from FieldByName) when there is none.
  TField* FindField(std::string_view name) const;
  // The field of that name (owned by the dataset); raises EDatabaseError when there is none.
  TField* FieldByName(std::string_view name) const;

  // The number of records; 0 while closed.
  int RecordCount() const { return active_ ? static_cast<int>(rows_.Count()) : 0; }
  // Whether there is no record.
  bool IsEmpty() const { return RecordCount() == 0; }
  // 1-based number of the current record; 0 when there is none.
  int RecNo() const { return IsEmpty() ? 0 : static_cast<int>(cursor_) + 1; }
  // Moves to the first record.
  void First();
  // Moves to the last record.
  void Last();
  // Moving past the last record sets Eof and stays on the last record;
  // moving before the first sets Bof and stays on the first.
  void Next();
  // Moves to the previous record (see Next).
  void Prior();
  // Whether a move went past the last record (or there is none).
  bool Eof() const { return eof_; }
  // Whether a move went before the first record (or there is none).
  bool Bof() const { return bof_; }

  // A bookmark of the current record (invalid when there is none).
  TBookmark GetBookmark() const;
  // Whether the bookmark names a record of the dataset.
  bool BookmarkValid(const TBookmark& bookmark) const;
  // Moves to the bookmarked record; an invalid bookmark is ignored.
  void GotoBookmark(const TBookmark& bookmark);
  // Makes the bookmark invalid.
  void FreeBookmark(TBookmark& bookmark) { bookmark = TBookmark{}; }

  // While disabled (the calls nest), cursor moves are not reported to data
  // sources; enabling again reports one change if any happened.
  void DisableControls() { ++disableCount_; }
  // Ends one DisableControls.
  void EnableControls();
  // Whether DisableControls is in effect.
  bool ControlsDisabled() const { return disableCount_ > 0; }

  // The code page of the dataset's 8-bit text.
  uint32_t CodePage() const { return codePage_; }
  // Sets the code page of the dataset's 8-bit text.
  void SetCodePage(uint32_t codePage) { codePage_ = codePage; }

  // The stored value of a field of the current record (what TField::Value
  // returns); null when there is no current record.
  const TVariant& CurrentValue(int fieldIndex) const;
  // The value of a field in record 0..RecordCount-1, without moving the
  // cursor (grids draw rows this way); null outside.
  const TVariant& RecordValue(int record, int fieldIndex) const;

  // The canonical value of a field type for a value (see the unit comment);
  // raises EDatabaseError when the value does not convert.
  static TVariant ConvertValue(TFieldType type, const TVariant& value);

 protected:
  // Defines the fields and appends the records of a dataset being opened.
  virtual void InternalOpen() = 0;
  // Releases what InternalOpen loaded; the default drops the records.
  virtual void InternalClose() { ClearRows(); }

  // Adds a field of a name, type and size (characters of a string field) and returns it (owned by the dataset).
  TField* AddField(std::string name, TFieldType type, int size = 0);
  // Removes every field.
  void ClearFields() { fields_.clear(); }
  // Removes every record.
  void ClearRows() { rows_.Clear(); }
  // Whether records are loaded.
  bool HasRows() const { return !rows_.Empty(); }
  // Appends a record; the values are converted to their fields' canonical
  // form, missing trailing values are null. Raises EDatabaseError for more
  // values than fields or a value that does not convert.
  void AppendRow(std::vector<TVariant> values);
  // Appends a record whose values are canonical already.
  void AppendCanonicalRow(std::vector<TVariant> values);
  // Appends records whose values are canonical already, each with a value
  // per field; the store is left empty.
  void AppendCanonicalRows(TRecordStore& records);
  // Tells the data sources that the data or the cursor changed.
  void DataEvent();

 private:
  friend class TDataSource;
  void AfterMove();

  std::vector<std::unique_ptr<TField>> fields_;
  TRecordStore rows_;
  int64_t cursor_ = 0;
  bool active_ = false;
  bool eof_ = true;
  bool bof_ = true;
  int disableCount_ = 0;
  bool changedWhileDisabled_ = false;
  std::vector<TDataSource*> sources_;  // not owned; they unregister themselves
  uint32_t codePage_ = kSystemCodePage;
};

// The link between a viewer and a dataset.
class TDataSource : public TComponent {
 public:
  TDataSource() = default;
  ~TDataSource() override;

  // The dataset (not owned), or null.
  TDataSet* DataSet() const { return dataSet_; }
  // Links the dataset (not owned; forgotten when it is destroyed).
  void SetDataSet(TDataSet* dataSet);

  // Called after the dataset's records or cursor changed, unless its
  // controls are disabled.
  std::function<void()> OnDataChange;

 private:
  friend class TDataSet;
  // Not owned; the dataset clears it when it is destroyed first.
  TDataSet* dataSet_ = nullptr;
};

// A dataset whose fields and records the caller supplies. Fields may be
// added while the dataset has no records; records may be appended at any
// time (an appended record becomes visible at once when the dataset is open).
class TMemDataSet : public TDataSet {
 public:
  // Adds a field and returns it (owned by the dataset); raises EDatabaseError once records exist.
  TField* AddField(std::string name, TFieldType type, int size = 0);
  // Appends a record, its values converted to the fields' types; raises EDatabaseError for a value that does not
  // convert or more values than fields.
  void AppendRecord(std::vector<TVariant> values);

 protected:
  void InternalOpen() override {}
  void InternalClose() override {}
};

}  // namespace lx
