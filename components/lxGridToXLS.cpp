#include "lxGridToXLS.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "lxCodePage.h"
#include "lxSysUtils.h"

namespace lx {

namespace {

constexpr int32_t kMaxRowsPerSheet = 65535;

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

std::string Trim(std::string_view text) {
  size_t first = 0;
  size_t last = text.size();
  while (first < last && static_cast<unsigned char>(text[first]) <= ' ') ++first;
  while (last > first && static_cast<unsigned char>(text[last - 1]) <= ' ') --last;
  return std::string(text.substr(first, last - first));
}

std::string UpperCase(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return result;
}

bool HasTimeOfDay(double dateTime) {
  int hour = 0, minute = 0, second = 0, millisecond = 0;
  if (!DecodeTime(dateTime, hour, minute, second, millisecond)) return false;
  return hour != 0 || minute != 0 || second != 0 || millisecond != 0;
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

TGridToXLS::TGridToXLS()
    : headerFont_("Arial", 10, {fsBold}, clNone),
      detailFont_("Arial", 10, {}, clNone),
      groupFont_("Arial", 12, {fsBold}, clNone),
      groups_(std::make_unique<TXLSGroupStorage>()) {}

TGridToXLS::~TGridToXLS() = default;

void TGridToXLS::SetDBGrid(TDBGrid* grid) {
  if (grid_ == grid) return;
  if (grid_) RemoveFreeNotification(grid_);
  grid_ = grid;
  if (grid_) FreeNotification(grid_);
}

void TGridToXLS::SetDataSet(TDataSet* dataSet) {
  if (dataSet_ == dataSet) return;
  if (dataSet_) RemoveFreeNotification(dataSet_);
  dataSet_ = dataSet;
  if (dataSet_) FreeNotification(dataSet_);
}

void TGridToXLS::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == grid_) grid_ = nullptr;
  if (component == dataSet_) dataSet_ = nullptr;
}

void TGridToXLS::SetRowsPerSheet(int32_t value) {
  if (static_cast<int32_t>(startRow_) + 1 < value && value <= kMaxRowsPerSheet) rowsPerSheet_ = value;
}

void TGridToXLS::SetExportHeader(bool value) {
  exportHeader_ = value;
  headerRows_ = value ? 1 : 0;
}

void TGridToXLS::ReleaseWorkbook() {
  sheet_ = nullptr;
  workbook_.Reset();
}

XLSPtr<IXLSRange> TGridToXLS::Block(int32_t firstRow, int32_t firstColumn, int32_t lastRow, int32_t lastColumn) {
  return sheet_->RangeOf(firstRow, firstColumn, lastColumn, lastRow);
}

void TGridToXLS::AddWorksheet() {
  sheet_ = workbook_->Worksheets()->Add();
  // Group titles stand above their details.
  sheet_->GetOutline().SetSummaryRow(0);
  if (worksheetName_.empty()) worksheetName_ = "Sheet1";
  sheet_->SetName(AnsiToWide(worksheetName_));
  originRow_ = startRow_;
  originColumn_ = startCol_;
  if (onWorksheetCreate_) onWorksheetCreate_(this, sheet_);
}

void TGridToXLS::Export(bool newSheet, int32_t row, int32_t column) {
  bool fresh = true;
  if (!workbook_) {
    workbook_ = CreateWorkbook();
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

  columnCount_ = grid_ ? grid_->Columns().Count() : 0;
  SetDataSet(grid_ ? grid_->DataSet() : nullptr);
  detailRows_ = 0;

  WriteHeader();
  WriteDetails();

  if (afterExport_ && headerRows_ + detailRows_ > 0 && visibleCount_ > 0) {
    XLSPtr<IXLSRange> block = Block(originRow_ + 1, originColumn_ + 1, originRow_ + headerRows_ + detailRows_,
                                    originColumn_ + visibleCount_);
    afterExport_(this, block.Get());
  }
}

void TGridToXLS::WriteHeader() {
  visibleCount_ = 0;
  recordsOnSheet_ = 0;
  const TFont* font = &headerFont_;
  TColor color = headerColor_;
  for (int32_t i = 0; i < columnCount_; ++i) {
    TColumn* column = grid_->Columns()[i];
    if (!column->Visible()) continue;
    ++visibleCount_;
    XLSPtr<IXLSRange> cell = sheet_->Cells()->Item(originRow_ + 1, originColumn_ + visibleCount_);
    if (setColumnsWidth_) cell->EntireColumn()->SetColumnWidth(TVariant(column->Width() * kPixelsToColumnWidth));
    if (!exportHeader_) continue;
    if (originalHeaderFont_) font = &column->Title().Font();
    if (originalHeaderColor_) color = column->Title().Color();
    cell->SetValue(TVariant(FrameworkTextToWide(column->Title().Caption(), font->Charset())));
    if (!disableFormat_.Contains(foFont)) {
      ApplyFont(cell.Get(), *font);
      if (color != clNone) InteriorOf(cell.Get())->SetColor(ColorToRGB(color));
    }
    if (!disableFormat_.Contains(foNumberFormat)) cell->SetNumberFormat(kTextNumberFormat);
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
      cell->SetHorizontalAlignment(AlignmentConstant(column->Title().Alignment()));
      cell->SetVerticalAlignment(xlVAlignCenter);
    }
    if (afterHeaderCell_) afterHeaderCell_(this, cell.Get(), i, column);
  }
  if (afterHeader_ && exportHeader_ && visibleCount_ > 0) {
    XLSPtr<IXLSRange> header = Block(originRow_ + 1, originColumn_ + 1, originRow_ + 1, originColumn_ + visibleCount_);
    afterHeader_(this, header.Get());
  }
}

void TGridToXLS::PrepareGroups() {
  groups_ = std::make_unique<TXLSGroupStorage>();
  std::vector<bool> visible(static_cast<size_t>(columnCount_));
  for (int32_t j = 0; j < columnCount_; ++j) visible[static_cast<size_t>(j)] = grid_->Columns()[j]->Visible();
  groups_->Prepare(groupFields_, visible, [this](const std::string& name) { return FindGroupColumn(name); });
}

int32_t TGridToXLS::FindGroupColumn(const std::string& name) const {
  try {
    const std::string wanted = UpperCase(Trim(name));
    for (int32_t j = 0; j < columnCount_; ++j)
      if (UpperCase(grid_->Columns()[j]->DisplayName()) == wanted) return j;
  } catch (const Exception&) {
  }
  return -1;
}

void TGridToXLS::WriteDetailCell(IXLSRange* cell, TColumn* column, const TFont& font, TColor color) {
  TField* field = column->Field();
  const TFieldType type = field ? field->DataType() : ftUnknown;
  if (field) {
    if (IsStringFieldType(type))
      cell->SetValue(TVariant(FrameworkTextToWide(field->DisplayText(), font.Charset())));
    else if (type == ftFMTBcd)
      cell->SetValue(field->IsNull() ? field->Value() : TVariant(field->AsFloat()));
    else
      cell->SetValue(field->Value());
  }
  if (!disableFormat_.Contains(foFont)) {
    ApplyFont(cell, font);
    if (color != clNone) InteriorOf(cell)->SetColor(ColorToRGB(color));
  }
  if (!disableFormat_.Contains(foBorders) && (detailBorderStyle_ != BorderStyleNone || detailBorderColor_ != clNone))
    ApplyEdgeBorders(cell, detailBorderStyle_, detailBorderColor_, TopEdgeHasLine(cell));
  if (!disableFormat_.Contains(foAlignment)) cell->SetHorizontalAlignment(AlignmentConstant(column->Alignment()));
  if (!disableFormat_.Contains(foNumberFormat) && field) WriteNumberFormat(cell, field);
}

void TGridToXLS::WriteNumberFormat(IXLSRange* cell, TField* field) {
  const std::string& display = field->DisplayFormat();
  const TFormatSettings& locale = FormatSettings();
  std::string format;
  switch (field->DataType()) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftFloat:
    case ftBCD:
    case ftLargeint:
    case ftFMTBcd:
      if (display.empty()) return;
      format = ConvertNumberFormat(display);
      break;
    case ftBoolean:
      cell->SetValue(TVariant(FrameworkTextToWide(field->EditText(), detailFont_.Charset())));
      return;
    case ftCurrency:
      format = display.empty() ? std::string("#,##0.00") : display;
      break;
    case ftDate:
      format = ConvertDateTimeFormat(display.empty() ? locale.ShortDateFormat : display);
      break;
    case ftTime:
      format = ConvertDateTimeFormat(display.empty() ? locale.ShortTimeFormat : display);
      break;
    case ftDateTime:
      if (!display.empty())
        format = ConvertDateTimeFormat(display);
      else if (HasTimeOfDay(field->AsDateTime()))
        format = ConvertDateTimeFormat(locale.ShortDateFormat + " " + locale.ShortTimeFormat);
      else
        format = ConvertDateTimeFormat(locale.ShortDateFormat);
      break;
    default:
      return;
  }
  cell->SetNumberFormat(AnsiToWide(format));
}

void TGridToXLS::SplitSheet(int32_t& q, int32_t& firstDetailRow, int32_t k) {
  if (afterDetail_ && k > 0 && originRow_ + headerRows_ < q - 1) {
    XLSPtr<IXLSRange> block = Block(originRow_ + headerRows_ + 1, originColumn_ + 1, q - 1, originColumn_ + k);
    afterDetail_(this, block.Get());
  }
  if (afterExport_ && k > 0 && originRow_ < q - 1) {
    XLSPtr<IXLSRange> block = Block(originRow_ + 1, originColumn_ + 1, q - 1, originColumn_ + k);
    afterExport_(this, block.Get());
  }
  AddWorksheet();
  WriteHeader();
  q = originRow_ + headerRows_ + 1;
  firstDetailRow = q;
  groups_->ResetOutermost();
}

void TGridToXLS::WriteDetails() {
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
  titles.valueOf = [this](int32_t columnIndex) {
    TField* field = grid_->Columns()[columnIndex]->Field();
    return field ? field->Value() : TVariant::Null();
  };
  if (afterGroupTitle_)
    titles.afterGroupTitle = [this](int32_t index, IXLSRange* row, IXLSRange* cell) {
      afterGroupTitle_(this, index, row, cell);
    };

  while (!data.Eof()) {
    // Titles and the detail row must stay on the sheet: when the titles of
    // this record would push its detail row past the last sheet row,
    // continue on a new sheet first.
    if (groups_->Active() && q > firstDetailRow &&
        q + groups_->PendingTitles(titles.valueOf) > kMaxRowsPerSheet + 1)
      SplitSheet(q, firstDetailRow, k);

    ++record;
    ++recordsOnSheet_;
    k = 0;
    titles.sheet = sheet_;
    titles.startColumn = originColumn_;
    titles.recordsOnSheet = recordsOnSheet_;
    groups_->WriteTitles(titles, q);

    const TFont* font = &detailFont_;
    TColor color = detailColor_;
    for (int32_t i = 0; i < columnCount_; ++i) {
      TColumn* column = grid_->Columns()[i];
      if (!column->Visible()) continue;
      if (originalDetailFont_) font = &column->Font();
      if (originalDetailColor_) color = column->Color();
      ++k;
      if (clearGroupFields_ && groups_->Active() && groups_->IsGroupColumn(i)) continue;
      XLSPtr<IXLSRange> cell = sheet_->Cells()->Item(q, originColumn_ + k);
      WriteDetailCell(cell.Get(), column, *font, color);
      if (afterDetailCell_) afterDetailCell_(this, cell.Get(), record, i, column);
    }
    if (afterDetailRow_ && k > 0) {
      XLSPtr<IXLSRange> row = Block(q, originColumn_ + 1, q, originColumn_ + k);
      afterDetailRow_(this, row.Get(), record);
    }
    data.Next();
    ++q;
    if (rowsPerSheet_ < q && !data.Eof()) SplitSheet(q, firstDetailRow, k);
  }
  detailRows_ = q - firstDetailRow;
  if (afterDetail_ && k > 0 && originRow_ + headerRows_ < q - 1) {
    XLSPtr<IXLSRange> block = Block(originRow_ + headerRows_ + 1, originColumn_ + 1, q - 1, originColumn_ + k);
    afterDetail_(this, block.Get());
  }
}

int32_t TGridToXLS::SaveToFile(const std::u16string& fileName) {
  if (!workbook_) return kResultFail;
  std::u16string tail = fileName.size() > 4 ? fileName.substr(fileName.size() - 4) : fileName;
  for (char16_t& c : tail)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  if (tail == u".htm" || tail == u"html") return workbook_->SaveAsHTML(fileName);
  if (tail == u".rtf") return workbook_->SaveAsRTF(fileName);
  return workbook_->SaveAs(fileName, kSaveBiff8);
}

int32_t TGridToXLS::ExportToFile(const std::u16string& fileName) {
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
