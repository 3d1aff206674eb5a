#include "lxDB.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "lxSysUtils.h"
#include "lxText.h"

namespace lx {

namespace {

const TVariant& NullValue() {
  static const TVariant null = TVariant::Null();
  return null;
}

[[noreturn]] void RaiseConvert(const TVariant& value, TFieldType type) {
  throw EDatabaseError("'" + value.ToAnsi() + "' is not a valid " + FieldTypeName(type) + " value");
}

}  // namespace

const char* FieldTypeName(TFieldType type) {
  switch (type) {
    case ftString:
      return "String";
    case ftSmallint:
      return "Smallint";
    case ftInteger:
      return "Integer";
    case ftWord:
      return "Word";
    case ftBoolean:
      return "Boolean";
    case ftFloat:
      return "Float";
    case ftCurrency:
      return "Currency";
    case ftBCD:
      return "BCD";
    case ftDate:
      return "Date";
    case ftTime:
      return "Time";
    case ftDateTime:
      return "DateTime";
    case ftBytes:
      return "Bytes";
    case ftVarBytes:
      return "VarBytes";
    case ftAutoInc:
      return "AutoInc";
    case ftBlob:
      return "Blob";
    case ftMemo:
      return "Memo";
    case ftGraphic:
      return "Graphic";
    case ftFmtMemo:
      return "FmtMemo";
    case ftFixedChar:
      return "FixedChar";
    case ftWideString:
      return "WideString";
    case ftLargeint:
      return "Largeint";
    case ftFMTBcd:
      return "FMTBcd";
    case ftUnknown:
      break;
  }
  return "Unknown";
}

bool IsStringFieldType(TFieldType type) { return type == ftString || type == ftFixedChar || type == ftWideString; }

bool IsNumericFieldType(TFieldType type) {
  switch (type) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftAutoInc:
    case ftLargeint:
    case ftFMTBcd:
      return true;
    default:
      return false;
  }
}

bool IsDateTimeFieldType(TFieldType type) { return type == ftDate || type == ftTime || type == ftDateTime; }

// ---------------------------------------------------------------- TField

TField::TField(TDataSet* dataSet, std::string fieldName, TFieldType dataType, int size, int index)
    : dataSet_(dataSet),
      fieldName_(std::move(fieldName)),
      dataType_(dataType),
      size_(IsStringFieldType(dataType) ? std::max(size, 0) : 0),
      index_(index) {}

int TField::DisplayWidth() const {
  if (displayWidth_ >= 0) return displayWidth_;
  switch (dataType_) {
    case ftString:
    case ftFixedChar:
    case ftWideString:
      return size_ > 0 ? size_ : 20;
    case ftSmallint:
      return 6;
    case ftInteger:
    case ftAutoInc:
      return 11;
    case ftWord:
      return 5;
    case ftLargeint:
      return 15;
    case ftBoolean:
      return 5;
    case ftDateTime:
      return 18;
    default:
      return 10;
  }
}

TAlignment TField::Alignment() const {
  if (alignment_ >= 0) return static_cast<TAlignment>(alignment_);
  return IsNumericFieldType(dataType_) ? taRightJustify : taLeftJustify;
}

const TVariant& TField::Value() const {
  if (!dataSet_) return NullValue();
  return dataSet_->CurrentValue(index_);
}

double TField::AsFloat() const {
  const TVariant& v = Value();
  if (v.IsNull()) return 0;
  bool ok = false;
  double d = v.ToDouble(&ok);
  if (!ok) RaiseConvert(v, ftFloat);
  return d;
}

double TField::AsDateTime() const {
  const TVariant& v = Value();
  if (v.IsNull()) return 0;
  if (v.IsString()) {
    double d = 0;
    if (!TryStrToDateTime(v.ToAnsi(), d)) RaiseConvert(v, ftDateTime);
    return d;
  }
  return AsFloat();
}

int32_t TField::AsInteger() const {
  const TVariant& v = Value();
  if (v.IsNull()) return 0;
  bool ok = false;
  int32_t i = v.ToInt32(&ok);
  if (!ok) RaiseConvert(v, ftInteger);
  return i;
}

int64_t TField::AsLargeInt() const {
  const TVariant& v = Value();
  if (v.IsNull()) return 0;
  bool ok = false;
  int64_t i = v.ToInt64(&ok);
  if (!ok) RaiseConvert(v, ftLargeint);
  return i;
}

bool TField::AsBoolean() const {
  const TVariant& v = Value();
  if (v.IsNull()) return false;
  bool ok = false;
  bool b = v.ToBool(&ok);
  if (!ok) RaiseConvert(v, ftBoolean);
  return b;
}

std::u16string TField::AsWideString() const {
  const TVariant& v = Value();
  if (v.IsNull()) return {};
  if (v.VarType() == varOleStr) return v.WideValue();
  return AnsiToWide(NonTextText(false), kSystemCodePage);
}

std::string TField::NonTextText(bool display) const {
  const TVariant& v = Value();
  if (v.IsNull()) return {};
  const std::string& format = display ? displayFormat_ : std::string();
  switch (dataType_) {
    case ftBoolean: {
      const size_t semicolon = displayValues_.find(';');
      const std::string trueText = displayValues_.substr(0, semicolon);
      const std::string falseText =
          semicolon == std::string::npos ? std::string() : displayValues_.substr(semicolon + 1);
      return v.ToBool() ? trueText : falseText;
    }
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
    case ftLargeint:
      if (!format.empty()) return FormatFloat(format, v.ToDouble());
      return std::to_string(v.ToInt64());
    case ftFloat:
    case ftFMTBcd:
    case ftBCD:
      return FormatFloat(format, v.ToDouble());
    case ftCurrency: {
      if (!format.empty()) return FormatFloat(format, v.ToDouble());
      if (!display) return FormatFloat("0.00", v.ToDouble());
      const double amount = v.ToDouble();
      std::string text = FormatSettings().CurrencyString + FormatFloat("#,##0.00", std::fabs(amount));
      if (amount < 0 && FormatFloat("0.00", amount) != "0.00") text.insert(text.begin(), '-');
      return text;
    }
    case ftDate:
      return FormatDateTime(format.empty() ? FormatSettings().ShortDateFormat : format, v.ToDouble());
    case ftTime:
      return FormatDateTime(format.empty() ? FormatSettings().LongTimeFormat : format, v.ToDouble());
    case ftDateTime:
      return FormatDateTime(format.empty() ? std::string("c") : format, v.ToDouble());
    case ftBytes:
    case ftVarBytes:
      return "(Bytes)";
    case ftBlob:
      return "(BLOB)";
    case ftGraphic:
      return "(GRAPHIC)";
    default:
      return v.ToAnsi();
  }
}

std::u16string TField::WideText(bool display) const {
  const TVariant& v = Value();
  if (v.VarType() == varOleStr) return v.WideValue();
  return AnsiToWide(NonTextText(display), kSystemCodePage);
}

std::string TField::DisplayText() const {
  const TVariant& v = Value();
  if (v.VarType() == varOleStr) return WideToAnsi(v.WideValue(), dataSet_ ? dataSet_->CodePage() : kSystemCodePage);
  return NonTextText(true);
}

std::string TField::Text() const {
  const TVariant& v = Value();
  if (v.VarType() == varOleStr) return WideToAnsi(v.WideValue(), dataSet_ ? dataSet_->CodePage() : kSystemCodePage);
  return NonTextText(false);
}

// ---------------------------------------------------------------- TDataSet

TDataSet::~TDataSet() {
  for (TDataSource* source : sources_) source->dataSet_ = nullptr;
}

void TDataSet::Open() {
  if (active_) return;
  InternalOpen();
  active_ = true;
  First();
}

void TDataSet::Close() {
  if (!active_) return;
  active_ = false;
  InternalClose();
  cursor_ = 0;
  eof_ = bof_ = true;
  DataEvent();
}

TField* TDataSet::Fields(int index) const {
  if (index < 0 || index >= FieldCount()) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  return fields_[static_cast<size_t>(index)].get();
}

TField* TDataSet::FindField(std::string_view name) const {
  for (const auto& field : fields_)
    if (SameText(field->FieldName(), name)) return field.get();
  return nullptr;
}

TField* TDataSet::FieldByName(std::string_view name) const {
  TField* field = FindField(name);
  if (!field) throw EDatabaseError("Field '" + std::string(name) + "' not found");
  return field;
}

void TDataSet::First() {
  cursor_ = 0;
  bof_ = true;
  eof_ = IsEmpty();
  AfterMove();
}

void TDataSet::Last() {
  cursor_ = IsEmpty() ? 0 : RecordCount() - 1;
  eof_ = true;
  bof_ = IsEmpty();
  AfterMove();
}

void TDataSet::Next() {
  if (cursor_ + 1 < RecordCount()) {
    ++cursor_;
    bof_ = eof_ = false;
  } else {
    eof_ = true;
    bof_ = bof_ && IsEmpty();
  }
  AfterMove();
}

void TDataSet::Prior() {
  if (cursor_ > 0 && !IsEmpty()) {
    --cursor_;
    bof_ = eof_ = false;
  } else {
    bof_ = true;
    eof_ = eof_ && IsEmpty();
  }
  AfterMove();
}

TBookmark TDataSet::GetBookmark() const {
  if (IsEmpty()) return {};
  return TBookmark{cursor_};
}

bool TDataSet::BookmarkValid(const TBookmark& bookmark) const {
  return bookmark.Valid() && bookmark.record < RecordCount();
}

void TDataSet::GotoBookmark(const TBookmark& bookmark) {
  if (!BookmarkValid(bookmark)) return;
  cursor_ = bookmark.record;
  bof_ = eof_ = false;
  AfterMove();
}

void TDataSet::EnableControls() {
  if (disableCount_ == 0) return;
  if (--disableCount_ == 0 && changedWhileDisabled_) {
    changedWhileDisabled_ = false;
    DataEvent();
  }
}

const TVariant& TDataSet::CurrentValue(int fieldIndex) const {
  if (IsEmpty()) return NullValue();
  return RecordValue(static_cast<int>(cursor_), fieldIndex);
}

const TVariant& TDataSet::RecordValue(int record, int fieldIndex) const {
  if (!active_ || record < 0 || record >= static_cast<int>(rows_.Count())) return NullValue();
  const auto row = static_cast<size_t>(record);
  if (fieldIndex < 0 || fieldIndex >= static_cast<int>(rows_.Width(row))) return NullValue();
  return rows_.Values(row)[fieldIndex];
}

TField* TDataSet::AddField(std::string name, TFieldType type, int size) {
  fields_.push_back(std::make_unique<TField>(this, std::move(name), type, size, FieldCount()));
  return fields_.back().get();
}

void TDataSet::AppendRow(std::vector<TVariant> values) {
  if (values.size() > fields_.size()) throw EDatabaseError("More values than fields");
  values.resize(fields_.size(), TVariant::Null());
  for (size_t i = 0; i < values.size(); ++i) values[i] = ConvertValue(fields_[i]->DataType(), values[i]);
  AppendCanonicalRow(std::move(values));
}

void TDataSet::AppendCanonicalRow(std::vector<TVariant> values) {
  values.resize(fields_.size(), TVariant::Null());
  const bool wasEmpty = IsEmpty();
  TVariant* row = rows_.Append(values.size());
  std::move(values.begin(), values.end(), row);
  if (active_ && wasEmpty) {
    cursor_ = 0;
    eof_ = bof_ = false;
  }
}

void TDataSet::AppendCanonicalRows(TRecordStore& records) {
  const bool wasEmpty = IsEmpty();
  if (rows_.Empty()) {
    rows_ = std::move(records);
  } else {
    for (size_t i = 0; i < records.Count(); ++i) {
      TVariant* row = rows_.Append(records.Width(i));
      std::move(records.Values(i), records.Values(i) + records.Width(i), row);
    }
    records.Clear();
  }
  if (active_ && wasEmpty && !IsEmpty()) {
    cursor_ = 0;
    eof_ = bof_ = false;
  }
}

// ---------------------------------------------------------------- TRecordStore

TRecordStore::TRecordStore(TRecordStore&& other) noexcept
    : records_(std::move(other.records_)), blocks_(std::move(other.blocks_)) {
  other.records_.clear();
}

TRecordStore& TRecordStore::operator=(TRecordStore&& other) noexcept {
  if (this != &other) {
    Clear();
    records_ = std::move(other.records_);
    blocks_ = std::move(other.blocks_);
    other.records_.clear();
  }
  return *this;
}

TVariant* TRecordStore::Append(size_t width) {
  return Append(width, [](size_t) { return TVariant::Null(); });
}

void TRecordStore::Clear() {
  for (TRecord& record : records_) std::destroy_n(record.values, record.width);
  records_.clear();
  blocks_ = TLargeBlockCarver(16 * 1024);
}

TVariant TDataSet::ConvertValue(TFieldType type, const TVariant& value) {
  if (value.IsNull() || value.IsEmpty()) return TVariant::Null();
  bool ok = true;
  switch (type) {
    case ftString:
    case ftFixedChar:
    case ftWideString:
    case ftMemo:
    case ftFmtMemo: {
      std::u16string text = value.ToWide(&ok);
      if (!ok) RaiseConvert(value, type);
      return TVariant(std::move(text));
    }
    case ftSmallint: {
      const int32_t i = value.ToInt32(&ok);
      if (!ok || i < INT16_MIN || i > INT16_MAX) RaiseConvert(value, type);
      return TVariant(static_cast<int16_t>(i));
    }
    case ftInteger:
    case ftAutoInc: {
      const int32_t i = value.ToInt32(&ok);
      if (!ok) RaiseConvert(value, type);
      return TVariant(i);
    }
    case ftWord: {
      const int32_t i = value.ToInt32(&ok);
      if (!ok || i < 0 || i > UINT16_MAX) RaiseConvert(value, type);
      return TVariant(static_cast<uint16_t>(i));
    }
    case ftLargeint: {
      const int64_t i = value.ToInt64(&ok);
      if (!ok) RaiseConvert(value, type);
      return TVariant(i);
    }
    case ftBoolean: {
      const bool b = value.ToBool(&ok);
      if (!ok) RaiseConvert(value, type);
      return TVariant(b);
    }
    case ftFloat:
    case ftCurrency:
    case ftFMTBcd: {
      const double d = value.ToDouble(&ok);
      if (!ok) RaiseConvert(value, type);
      return TVariant(d);
    }
    case ftBCD: {
      if (value.VarType() == varCurrency) return value;
      const double d = value.ToDouble(&ok);
      if (!ok || !(std::fabs(d) < 9.2e14)) RaiseConvert(value, type);
      return TVariant::FromCurrency(std::llround(d * static_cast<double>(kCurrencyScale)));
    }
    case ftDate:
    case ftTime:
    case ftDateTime: {
      double d = 0;
      if (value.IsString()) {
        ok = TryStrToDateTime(value.ToAnsi(), d);
      } else {
        d = value.ToDouble(&ok);
      }
      if (!ok || !(d >= kMinDateTime && d < kMaxDateTime)) RaiseConvert(value, type);
      if (type == ftDate) d = std::trunc(d);
      if (type == ftTime) {
        // Through the clock fields, so that 14:05 stays exactly 14:05 rather
        // than what is left of a subtraction from a large day number.
        int hour = 0, minute = 0, second = 0, ms = 0;
        DecodeTime(d, hour, minute, second, ms);
        d = EncodeTime(hour, minute, second, ms);
      }
      return TVariant::FromDate(d);
    }
    case ftBytes:
    case ftVarBytes:
    case ftBlob:
    case ftGraphic:
      if (value.VarType() == varString) return value;
      return TVariant(value.ToAnsi());
    case ftUnknown:
      break;
  }
  return value;
}

void TDataSet::AfterMove() { DataEvent(); }

void TDataSet::DataEvent() {
  if (disableCount_ > 0) {
    changedWhileDisabled_ = true;
    return;
  }
  // Copy: a handler may attach or detach sources.
  const std::vector<TDataSource*> sources = sources_;
  for (TDataSource* source : sources)
    if (source->OnDataChange) source->OnDataChange();
}

// ---------------------------------------------------------------- TDataSource

TDataSource::~TDataSource() { SetDataSet(nullptr); }

void TDataSource::SetDataSet(TDataSet* dataSet) {
  if (dataSet == dataSet_) return;
  if (dataSet_) {
    auto& list = dataSet_->sources_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
  dataSet_ = dataSet;
  if (dataSet_) dataSet_->sources_.push_back(this);
  if (OnDataChange) OnDataChange();
}

// ---------------------------------------------------------------- TMemDataSet

TField* TMemDataSet::AddField(std::string name, TFieldType type, int size) {
  if (HasRows()) throw EDatabaseError("Cannot add a field to a dataset with records");
  return TDataSet::AddField(std::move(name), type, size);
}

void TMemDataSet::AppendRecord(std::vector<TVariant> values) {
  AppendRow(std::move(values));
  DataEvent();
}

}  // namespace lx
