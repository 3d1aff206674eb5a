#include "lxExportBase.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "lxCodePage.h"
#include "lxSysUtils.h"

namespace lx {

namespace {

constexpr int32_t kMaxRowsPerSheet = 65535;

// Replaces every occurrence of from (compared case-insensitively when asked)
// in one pass, so that replaced text is not searched again.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to, bool ignoreCase) {
  std::string result;
  size_t i = 0;
  while (i < text.size()) {
    bool match = i + from.size() <= text.size();
    for (size_t j = 0; match && j < from.size(); ++j) {
      const char a = text[i + j];
      const char b = from[j];
      match = ignoreCase ? std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b))
                         : a == b;
    }
    if (match) {
      result += to;
      i += from.size();
    } else {
      result += text[i++];
    }
  }
  return result;
}

bool HasTimeOfDay(double dateTime) {
  int hour = 0, minute = 0, second = 0, millisecond = 0;
  if (!DecodeTime(dateTime, hour, minute, second, millisecond)) return false;
  return hour != 0 || minute != 0 || second != 0 || millisecond != 0;
}

// What the number-format step does to a detail cell of a field type.
enum class TNumberFormatStep {
  kNone,         // nothing
  kFormat,       // writes `format`
  kByTimeOfDay,  // writes `format`, or `timeFormat` when the value has a time of day
  kEditText,     // writes the field's edit text as the value
};

TNumberFormatStep NumberFormatStep(const TField& field, std::string& format, std::string& timeFormat) {
  const std::string& display = field.DisplayFormat();
  const TFormatSettings& locale = FormatSettings();
  switch (field.DataType()) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftFloat:
    case ftBCD:
    case ftLargeint:
    case ftFMTBcd:
      if (display.empty()) return TNumberFormatStep::kNone;
      format = ConvertNumberFormat(display);
      return TNumberFormatStep::kFormat;
    case ftBoolean:
      return TNumberFormatStep::kEditText;
    case ftCurrency:
      format = display.empty() ? std::string("#,##0.00") : display;
      return TNumberFormatStep::kFormat;
    case ftDate:
      format = ConvertDateTimeFormat(display.empty() ? locale.ShortDateFormat : display);
      return TNumberFormatStep::kFormat;
    case ftTime:
      format = ConvertDateTimeFormat(display.empty() ? locale.ShortTimeFormat : display);
      return TNumberFormatStep::kFormat;
    case ftDateTime:
      if (!display.empty()) {
        format = ConvertDateTimeFormat(display);
        return TNumberFormatStep::kFormat;
      }
      format = ConvertDateTimeFormat(locale.ShortDateFormat);
      timeFormat = ConvertDateTimeFormat(locale.ShortDateFormat + " " + locale.ShortTimeFormat);
      return TNumberFormatStep::kByTimeOfDay;
    default:
      return TNumberFormatStep::kNone;
  }
}

// Keeps a dataset's controls disabled and its cursor saved while an export
// walks it; the cursor and the controls come back also when an event handler
// stops the export.
class TDataSetWalk {
 public:
  explicit TDataSetWalk(TDataSet& dataSet) : dataSet_(dataSet) {
    dataSet_.DisableControls();
    bookmark_ = dataSet_.GetBookmark();
  }
  ~TDataSetWalk() {
    dataSet_.GotoBookmark(bookmark_);
    dataSet_.EnableControls();
    dataSet_.FreeBookmark(bookmark_);
  }
  TDataSetWalk(const TDataSetWalk&) = delete;
  TDataSetWalk& operator=(const TDataSetWalk&) = delete;

 private:
  TDataSet& dataSet_;
  TBookmark bookmark_;
};

}  // namespace

std::string ConvertDateTimeFormat(std::string_view format) {
  std::string text(format);
  for (char& c : text) {
    if (c == 'n')
      c = 'm';
    else if (c == 'z')
      c = '0';
  }
  text = ReplaceAll(text, "ampm", "AM/PM", true);
  return ReplaceAll(text, "a/p", "AM/PM", true);
}

std::string ConvertNumberFormat(std::string_view format) {
  return ReplaceAll(ReplaceAll(format, "S", "\\S", false), "s", "\\s", false);
}

int32_t AlignmentConstant(TAlignment alignment) {
  switch (alignment) {
    case taRightJustify:
      return xlHAlignRight;
    case taCenter:
      return xlHAlignCenter;
    default:
      return xlHAlignLeft;
  }
}

TXLSExportBase::TXLSExportBase(TBorderStyle headerBorderStyle, TBorderStyle detailBorderStyle)
    : headerFont_("Arial", 10, {fsBold}, clNone),
      detailFont_("Arial", 10, {}, clNone),
      groupFont_("Arial", 12, {fsBold}, clNone),
      headerBorderStyle_(headerBorderStyle),
      detailBorderStyle_(detailBorderStyle),
      groups_(std::make_unique<TXLSGroupStorage>()) {}

TXLSExportBase::~TXLSExportBase() = default;

void TXLSExportBase::SetExportDataSet(TDataSet* dataSet) {
  if (dataSet_ == dataSet) return;
  if (dataSet_) RemoveFreeNotification(dataSet_);
  dataSet_ = dataSet;
  if (dataSet_) FreeNotification(dataSet_);
}

void TXLSExportBase::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == dataSet_) dataSet_ = nullptr;
}

void TXLSExportBase::SetRowsPerSheet(int32_t value) {
  if (static_cast<int32_t>(startRow_) + 1 < value && value <= kMaxRowsPerSheet) rowsPerSheet_ = value;
}

void TXLSExportBase::SetExportHeader(bool value) {
  exportHeader_ = value;
  headerRows_ = value ? 1 : 0;
}

void TXLSExportBase::ReleaseWorkbook() { HoldWorkbook(nullptr); }

void TXLSExportBase::HoldWorkbook(XLSPtr<IXLSWorkBook> workbook) {
  sheet_ = nullptr;
  workbook_ = std::move(workbook);
  styler_.Forget();
}

XLSPtr<IXLSRange> TXLSExportBase::Block(int32_t firstRow, int32_t firstColumn, int32_t lastRow, int32_t lastColumn) {
  return sheet_->RangeOf(firstRow, firstColumn, lastColumn, lastRow);
}

void TXLSExportBase::AddWorksheet() {
  sheet_ = workbook_->Worksheets()->Add();
  // Group titles stand above their details.
  sheet_->GetOutline().SetSummaryRow(0);
  if (worksheetName_.empty()) worksheetName_ = "Sheet1";
  sheet_->SetName(AnsiToWide(worksheetName_));
  originRow_ = startRow_;
  originColumn_ = startCol_;
  if (hooks_.worksheetCreate) Fire(hooks_.worksheetCreate, sheet_);
}

void TXLSExportBase::Export(bool newSheet, int32_t row, int32_t column) {
  bool fresh = true;
  ++generation_;
  if (!workbook_) {
    workbook_ = CreateWorkbook();
    styler_.Forget();
    AddWorksheet();
  } else if (newSheet) {
    AddWorksheet();
  } else {
    if (!sheet_) sheet_ = workbook_->ActiveSheet();
    if (!sheet_) {
      AddWorksheet();
    } else {
      fresh = false;
    }
  }

  if (row < 0 || column < 0) {
    originColumn_ = startCol_;
    XLSPtr<IXLSRange> used = sheet_->UsedRange();
    if (fresh || used->Count() == 1) {
      originRow_ = startRow_;
    } else {
      // One row below the used block, plus StartRow.
      const int32_t below = used->Rows()->ItemCount() + used->Row() + startRow_ - 1;
      originRow_ = static_cast<uint16_t>(std::min(below, static_cast<int32_t>(UINT16_MAX)));
    }
  } else {
    originRow_ = static_cast<uint16_t>(std::min(row, static_cast<int32_t>(UINT16_MAX)));
    originColumn_ = static_cast<uint16_t>(std::min(column, static_cast<int32_t>(UINT16_MAX)));
  }

  columnCount_ = TakeColumns();
  detailRows_ = 0;
  detailColumns_.assign(static_cast<size_t>(columnCount_), TDetailColumn{});

  WriteHeader();
  WriteDetails();

  if (hooks_.exported && headerRows_ + detailRows_ > 0 && visibleCount_ > 0) {
    XLSPtr<IXLSRange> block =
        Block(originRow_ + 1, originColumn_ + 1, originRow_ + headerRows_ + detailRows_, originColumn_ + visibleCount_);
    Fire(hooks_.exported, block.Get());
  }
}

void TXLSExportBase::WriteHeader() {
  visibleCount_ = 0;
  recordsOnSheet_ = 0;
  THeaderCell header;
  header.font = &headerFont_;
  header.color = headerColor_;
  for (int32_t i = 0; i < columnCount_; ++i) {
    if (!ColumnVisible(i)) continue;
    ++visibleCount_;
    XLSPtr<IXLSRange> cell = sheet_->Cells()->Item(originRow_ + 1, originColumn_ + visibleCount_);
    header.width = TVariant();
    header.text.clear();
    header.clear = false;
    header.horizontalAlignment = 0;
    header.textFormat = false;
    ReadHeaderCell(i, header);
    if (setColumnsWidth_ && !header.width.IsEmpty()) cell->EntireColumn()->SetColumnWidth(header.width);
    if (!exportHeader_) continue;
    if (header.clear)
      cell->ClearContents();
    else
      cell->SetValue(TVariant(header.text));
    if (!disableFormat_.Contains(foFont)) {
      ApplyFont(cell.Get(), *header.font);
      if (header.color != clNone) InteriorOf(cell.Get())->SetColor(ColorToRGB(header.color));
    }
    if (header.textFormat && !disableFormat_.Contains(foNumberFormat)) cell->SetNumberFormat(kTextNumberFormat);
    if (!disableFormat_.Contains(foBorders)) {
      if (headerBorderStyle_ != BorderStyleNone) {
        XLSPtr<IXLSBordersSlots> borders = BordersOf(cell.Get());
        const TBorderLine line = BorderLineOf(headerBorderStyle_);
        borders->SetLineStyle(line.lineStyle);
        // A double line has its own weight.
        if (headerBorderStyle_ != BorderStyleDouble) borders->SetWeight(line.weight);
      }
      if (headerBorderColor_ != clNone) BordersOf(cell.Get())->SetColor(ColorToRGB(headerBorderColor_));
    }
    if (!disableFormat_.Contains(foAlignment)) {
      cell->SetHorizontalAlignment(header.horizontalAlignment);
      cell->SetVerticalAlignment(xlVAlignCenter);
    }
    if (hooks_.headerCell) Fire(hooks_.headerCell, cell.Get(), i);
  }
  if (hooks_.header && exportHeader_ && visibleCount_ > 0) {
    XLSPtr<IXLSRange> header = Block(originRow_ + 1, originColumn_ + 1, originRow_ + 1, originColumn_ + visibleCount_);
    Fire(hooks_.header, header.Get());
  }
}

void TXLSExportBase::PrepareGroups() {
  groups_ = std::make_unique<TXLSGroupStorage>();
  std::vector<bool> visible(static_cast<size_t>(columnCount_));
  for (int32_t j = 0; j < columnCount_; ++j) visible[static_cast<size_t>(j)] = ColumnVisible(j);
  groups_->Prepare(groupFields_, visible, [this](const std::string& name) { return FindGroupColumn(name); });
}

void TXLSExportBase::ReadDetailColumn(int32_t index, TDetailColumn& entry) {
  TDetailColumn read;
  read.visible = ColumnVisible(index);
  if (read.visible) {
    TDetailSource source;
    source.font = &detailFont_;
    ReadDetailSource(index, source);
    read.groupColumn = source.groupColumn;
    read.field = source.field;
    read.type = read.field ? read.field->DataType() : ftUnknown;
    read.charset = source.font->Charset();
    if (read.field) read.keepsAscii = TextKeepsAscii(*read.field, read.charset);
    const TXLSWorkbook& book = *sheet_->Workbook();
    TXLSCellStyle style;
    if (!disableFormat_.Contains(foFont)) {
      style.hasFont = true;
      style.font = ResolveFont(book, *source.font);
      style.fillColorIndex = ResolveColor(book, source.color);
    }
    if (!disableFormat_.Contains(foBorders) &&
        (detailBorderStyle_ != BorderStyleNone || detailBorderColor_ != clNone)) {
      style.hasBorders = true;
      style.borderStyle = detailBorderStyle_;
      style.borderColorIndex = ResolveColor(book, detailBorderColor_);
    }
    if (!disableFormat_.Contains(foAlignment)) style.horizontalAlignment = AlignmentConstant(source.alignment);
    TNumberFormatStep step = TNumberFormatStep::kNone;
    std::string format, timeFormat;
    if (!disableFormat_.Contains(foNumberFormat) && read.field)
      step = NumberFormatStep(*read.field, format, timeFormat);
    if (step == TNumberFormatStep::kFormat || step == TNumberFormatStep::kByTimeOfDay) {
      style.hasNumberFormat = true;
      style.numberFormat = AnsiToWide(format);
    }
    read.style = styler_.StyleId(style);
    if (step == TNumberFormatStep::kByTimeOfDay) {
      style.numberFormat = AnsiToWide(timeFormat);
      read.timeStyle = styler_.StyleId(style);
    }
    read.booleanText = step == TNumberFormatStep::kEditText;
  }
  read.generation = generation_;
  entry = read;
}

const TXLSExportBase::TDetailColumn& TXLSExportBase::DetailColumn(int32_t index) {
  TDetailColumn& entry = detailColumns_[static_cast<size_t>(index)];
  if (entry.generation != generation_) ReadDetailColumn(index, entry);
  return entry;
}

const TVariant& TXLSExportBase::GroupValue(int32_t columnIndex) {
  static const TVariant kNull = TVariant::Null();
  TField* field = nullptr;
  const auto index = static_cast<size_t>(columnIndex);
  if (columnIndex >= 0 && index < detailColumns_.size() && detailColumns_[index].generation == generation_ &&
      detailColumns_[index].visible)
    field = detailColumns_[index].field;
  else
    field = ColumnField(columnIndex);
  return field ? field->Value() : kNull;
}

void TXLSExportBase::WriteDetailCell(int32_t row, int32_t column, const TDetailColumn& entry) {
  // The bounds Cells.Item checks.
  if (row < 1 || row > kXLSMaxRow + 1 || column < 1 || column > kXLSMaxColumn + 1) throw EXLSError(kInvalidIndexError);
  TField* field = entry.field;
  if (field) WriteFieldValue(*sheet_, row - 1, column - 1, *field, entry.charset, entry.keepsAscii);
  int32_t style = entry.style;
  if (entry.timeStyle >= 0 && HasTimeOfDay(field->AsDateTime())) style = entry.timeStyle;
  styler_.Apply(*sheet_, row - 1, column - 1, style);
  if (entry.booleanText)
    SetCellValue(*sheet_, row - 1, column - 1, TVariant(FrameworkTextToWide(field->EditText(), detailFont_.Charset())));
}

void TXLSExportBase::SplitSheet(int32_t& q, int32_t& firstDetailRow, int32_t k) {
  if (hooks_.detail && k > 0 && originRow_ + headerRows_ < q - 1) {
    XLSPtr<IXLSRange> block = Block(originRow_ + headerRows_ + 1, originColumn_ + 1, q - 1, originColumn_ + k);
    Fire(hooks_.detail, block.Get());
  }
  if (hooks_.exported && k > 0 && originRow_ < q - 1) {
    XLSPtr<IXLSRange> block = Block(originRow_ + 1, originColumn_ + 1, q - 1, originColumn_ + k);
    Fire(hooks_.exported, block.Get());
  }
  AddWorksheet();
  WriteHeader();
  q = originRow_ + headerRows_ + 1;
  firstDetailRow = q;
  groups_->ResetOutermost();
}

void TXLSExportBase::WriteDetails() {
  if (!dataSet_) {
    PrepareGroups();
    return;
  }
  TDataSet& data = *dataSet_;
  TDataSetWalk walk(data);
  data.First();
  PrepareGroups();
  sheet_->GetOutline().SetSummaryRow(0);

  int32_t q = originRow_ + headerRows_ + 1;
  int32_t firstDetailRow = q;
  int32_t record = 0;
  int32_t k = 0;

  TXLSGroupTitleStyle titles;
  titles.font = &groupFont_;
  titles.color = groupColor_;
  titles.borderStyle = groupBorderStyle_;
  titles.borderColor = groupBorderColor_;
  titles.disableFormat = disableFormat_;
  titles.valueOf = [this](int32_t columnIndex) { return GroupValue(columnIndex); };
  titles.valueRefOf = [this](int32_t columnIndex) -> const TVariant& { return GroupValue(columnIndex); };
  if (hooks_.groupTitle)
    titles.afterGroupTitle = [this](int32_t index, IXLSRange* row, IXLSRange* cell) {
      Fire(hooks_.groupTitle, index, row, cell);
    };

  while (!data.Eof()) {
    // Titles and the detail row must stay on the sheet: when the titles of
    // this record would push its detail row past the last sheet row,
    // continue on a new sheet first.
    // (The titles cannot be more than the groups: far from the end the
    // values need not be read.)
    if (groups_->Active() && q > firstDetailRow && q + groups_->Count() > kMaxRowsPerSheet + 1 &&
        q + groups_->PendingTitles(titles.valueOf) > kMaxRowsPerSheet + 1)
      SplitSheet(q, firstDetailRow, k);

    ++record;
    ++recordsOnSheet_;
    k = 0;
    titles.sheet = sheet_;
    titles.startColumn = originColumn_;
    titles.recordsOnSheet = recordsOnSheet_;
    groups_->WriteTitles(titles, q);

    for (int32_t i = 0; i < columnCount_; ++i) {
      const TDetailColumn& entry = DetailColumn(i);
      if (!entry.visible) continue;
      ++k;
      if (clearGroupFields_ && groups_->Active() && entry.groupColumn) continue;
      WriteDetailCell(q, originColumn_ + k, entry);
      if (hooks_.detailCell) {
        XLSPtr<IXLSRange> cell = sheet_->Cells()->Item(q, originColumn_ + k);
        Fire(hooks_.detailCell, cell.Get(), record, i);
      }
    }
    if (hooks_.detailRow && k > 0) {
      XLSPtr<IXLSRange> row = Block(q, originColumn_ + 1, q, originColumn_ + k);
      Fire(hooks_.detailRow, row.Get(), record);
    }
    data.Next();
    ++q;
    if (rowsPerSheet_ < q && !data.Eof()) SplitSheet(q, firstDetailRow, k);
  }
  detailRows_ = q - firstDetailRow;
  if (hooks_.detail && k > 0 && originRow_ + headerRows_ < q - 1) {
    XLSPtr<IXLSRange> block = Block(originRow_ + headerRows_ + 1, originColumn_ + 1, q - 1, originColumn_ + k);
    Fire(hooks_.detail, block.Get());
  }
}

int32_t TXLSExportBase::SaveToFile(const std::u16string& fileName) {
  if (!workbook_) return kResultFail;
  std::u16string tail = fileName.size() > 4 ? fileName.substr(fileName.size() - 4) : fileName;
  for (char16_t& c : tail)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  if (tail == u".htm" || tail == u"html") return workbook_->SaveAsHTML(fileName);
  if (tail == u".rtf") return workbook_->SaveAsRTF(fileName);
  return workbook_->SaveAs(fileName, kSaveBiff8);
}

int32_t TXLSExportBase::ExportToFile(const std::u16string& fileName) {
  try {
    Export();
  } catch (const EAbort&) {
    ReleaseWorkbook();
    return kResultAborted;
  } catch (...) {
    // A half-written workbook must not become the start of the next export.
    ReleaseWorkbook();
    throw;
  }
  const int32_t result = SaveToFile(fileName);
  ReleaseWorkbook();
  return result;
}

}  // namespace lx
