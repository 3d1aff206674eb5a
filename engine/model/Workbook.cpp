// The workbook: construction, reset, destruction and the plain methods the
// rest of the engine calls.
#include "lxHandle.h"
#include "lxNames.h"
#include "lxStringTable.h"

namespace lx {

namespace {

bool IsBlank(const WideString& text) {
  for (char16_t c : text)
    if (c > u' ') return false;
  return true;
}

}  // namespace

std::unique_ptr<TlxExternSheetSheet> TXLSWorkbook::MakeExternSheets() {
  // The table keeps no sheet names of its own: it asks this workbook each
  // time, so renamed, inserted and moved sheets are seen at once.
  TlxExternSheetWorkbookLinks links;
  links.sheetCountPlusOne = [this] { return SheetCountPlusOne(); };
  links.sheetNameAt = [this](int32_t position) { return SheetNameAt(position); };
  links.identifierOfSheetName = [this](std::u16string_view name) { return IdentifierOfSheetName(WideString(name)); };
  links.positionOfSheetIdentifier = [this](int32_t identifier) { return PositionOfSheetIdentifier(identifier); };
  // The formula engine finds names through the table; the store is looked
  // up at each call, as Reset replaces it.
  TlxExternSheetNameLinks names;
  names.nameIdentifier = [this](std::u16string_view text, int32_t sheetIdentifier) {
    return names_->IdentifierOf(WideString(text), sheetIdentifier);
  };
  names.nameWrittenIndex = [this](int32_t identifier) { return names_->WrittenIndexOf(identifier); };
  names.nameText = [this](int32_t identifier) { return names_->TextOf(identifier); };
  names.nameSheetIdentifier = [this](int32_t identifier) { return names_->SheetOf(identifier); };
  return std::make_unique<TlxExternSheetSheet>(std::move(links), std::move(names));
}

TXLSWorkbook::TXLSWorkbook(const TXLSWorkbookLinks* links) : links_(links) {
  formats_ = std::make_unique<TlxFormatList>();
  sheets_ = std::make_unique<IXLSWorkSheets>(this);
  strings_ = std::make_unique<TXLSStringTable>();
  names_ = std::make_unique<TXLSCustomNames>(this);
  externSheets_ = MakeExternSheets();
}

TXLSWorkbook::~TXLSWorkbook() {
  // The string table goes before the sheets, so the cell stores skip giving
  // back their string references one by one.
  strings_.reset();
  sheets_.reset();
  names_.reset();
  externSheets_.reset();
  formats_.reset();
}

int32_t TXLSWorkbook::SetCodePage(uint16_t codePage) {
  codePage_ = codePage;
  return kResultOk;
}

int32_t TXLSWorkbook::ResetColors() {
  palette_.Reset();
  return kResultOk;
}

void TXLSWorkbook::Reset() {
  protection_ = TXLSProtect();
  // The old sheets must not hand string references to the new table.
  strings_.reset();
  sheets_ = std::make_unique<IXLSWorkSheets>(this);
  strings_ = std::make_unique<TXLSStringTable>();
  formats_ = std::make_unique<TlxFormatList>();
  names_ = std::make_unique<TXLSCustomNames>(this);
  // Entries of the old table name sheets that are gone.
  externSheets_ = MakeExternSheets();
  kept_ = false;
  fullPrecision_ = true;
  bookObjects_.reset();
}

TXLSBookObjects* TXLSWorkbook::GetBookObjects() {
  if (!bookObjects_ && links_ && links_->makeBookObjects) bookObjects_ = links_->makeBookObjects(*this);
  return bookObjects_.get();
}

void TXLSWorkbook::Protect() { protection_.SetProtected(true); }

void TXLSWorkbook::Protect(const AnsiString& password) { protection_.ProtectWithPassword(password); }

bool TXLSWorkbook::Unprotect() {
  if (protection_.HasPassword()) return false;
  return protection_.UnprotectWithPassword({}, false);
}

bool TXLSWorkbook::Unprotect(const AnsiString& password) { return protection_.UnprotectWithPassword(password, true); }

bool TXLSWorkbook::Unprotect(const WideString& password) { return Unprotect(WideToAnsi(password)); }

// Saving, exporting and opening are done by the layers above the model,
// reached through the links the workbook was created with (lxLinks.h).
int32_t TXLSWorkbook::SaveAs(const WideString& fileName) { return SaveAs(fileName, defaultSaveFormat_); }

int32_t TXLSWorkbook::SaveAs(const WideString& fileName, int32_t format) {
  if (IsBlank(fileName)) return kResultFail;
  return SaveThroughLink(fileName, nullptr, format);
}

int32_t TXLSWorkbook::SaveAs(TStream& stream) { return SaveAs(stream, defaultSaveFormat_); }

int32_t TXLSWorkbook::SaveAs(TStream& stream, int32_t format) { return SaveThroughLink(WideString(), &stream, format); }

int32_t TXLSWorkbook::SaveThroughLink(const WideString& fileName, TStream* stream, int32_t format) {
  if (!links_ || !links_->save) return kResultFail;
  TXLSSaveNotes notes;
  const int32_t result = links_->save(*this, fileName, stream, format, notes);
  if (notes.formatRemembered) lastFormat_ = format;
  if (notes.fileNameStored) fileName_ = fileName;
  return result;
}

void TXLSWorkbook::NoteFileRead(int32_t format, const WideString& fileName) {
  lastOpenFormat_ = lastFormat_ = format;
  if (!fileName.empty()) fileName_ = fileName;
}

int32_t TXLSWorkbook::Save() {
  if (fileName_.empty() || lastFormat_ < 1 || lastFormat_ > 3) return kResultNothingToSave;
  return SaveAs(fileName_, lastFormat_);
}

int32_t TXLSWorkbook::SaveAsHTML(const WideString& fileName) {
  return links_ && links_->saveHTML ? links_->saveHTML(*this, fileName) : kResultFail;
}

int32_t TXLSWorkbook::SaveAsRTF(const WideString& fileName) {
  return links_ && links_->saveRTF ? links_->saveRTF(*this, fileName, nullptr) : kResultFail;
}

int32_t TXLSWorkbook::SaveAsRTF(TStream& stream) {
  return links_ && links_->saveRTF ? links_->saveRTF(*this, WideString(), &stream) : kResultFail;
}

int32_t TXLSWorkbook::OpenThroughLink(const WideString& fileName, TStream* stream, const AnsiString* password) {
  return links_ && links_->open ? links_->open(*this, fileName, stream, password) : kResultFail;
}

int32_t TXLSWorkbook::Open(TStream& stream) { return OpenThroughLink(WideString(), &stream, nullptr); }
int32_t TXLSWorkbook::Open(const WideString& fileName) { return OpenThroughLink(fileName, nullptr, nullptr); }
int32_t TXLSWorkbook::Open(TStream& stream, const AnsiString& password) {
  return OpenThroughLink(WideString(), &stream, &password);
}
int32_t TXLSWorkbook::Open(const WideString& fileName, const AnsiString& password) {
  return OpenThroughLink(fileName, nullptr, &password);
}

void TXLSWorkbook::Evaluate(const WideString& formula, TVariant& result) {
  result = TVariant::Null();
  const auto compiled = CompileFormula(WideToAnsi(formula), 0);
  if (!compiled) return;
  const IXLSWorksheet* active = sheets_->ActiveSheet();
  if (EvaluateFormula(active ? active->Index() : -1, compiled.get(), result, 0, 0) != kResultOk)
    result = TVariant::Null();
}

std::shared_ptr<TXLSCompiledFormula> TXLSWorkbook::CompileFormula(const AnsiString& text, int32_t sheetIdentifier) {
  return links_ && links_->compileFormula ? links_->compileFormula(*this, text, sheetIdentifier) : nullptr;
}

AnsiString TXLSWorkbook::FormulaText(const TXLSCompiledFormula* formula, int32_t row, int32_t, int32_t column) {
  if (!formula || !links_ || !links_->formulaText) return {};
  return links_->formulaText(*this, *formula, row, column);
}

std::shared_ptr<TXLSCompiledFormula> TXLSWorkbook::CopyFormula(const TXLSCompiledFormula& formula, int32_t rowOffset,
                                                               int32_t columnOffset) {
  return links_ && links_->copyFormula ? links_->copyFormula(formula, rowOffset, columnOffset) : nullptr;
}

int32_t TXLSWorkbook::EvaluateFormula(int32_t sheetPosition, const TXLSCompiledFormula* formula, TVariant& result,
                                      int32_t column, int32_t row) {
  if (!formula || !links_ || !links_->evaluateFormula) {
    result = TVariant::Null();
    return kResultFail;
  }
  const int32_t status = links_->evaluateFormula(*this, sheetPosition, *formula, result, row, column);
  if (status != kResultOk) result = TVariant::Null();
  return status;
}

int32_t TXLSWorkbook::CellValue(int32_t sheetPosition, int32_t row, int32_t column, TVariant& value, bool& beyond) {
  value = TVariant::Null();
  beyond = false;
  IXLSWorksheet* sheet = sheets_->Item(sheetPosition);
  if (!sheet || row < 0 || row > kXLSMaxRow || column < 0 || column > kXLSMaxColumn) return kResultFail;
  const TXLSCellHeap& cells = sheet->CellHeap();
  beyond = row > cells.LastRow() || column > cells.LastColumn();
  const TXLSCellRef* cell = cells.FindCell(row, column);
  if (!cell) return kResultOk;
  return sheet->GetCellValue(cell, value);
}

XLSPtr<IXLSNames> TXLSWorkbook::Names() { return XLSPtr<IXLSNames>(new TXLSNames(this)); }

bool TXLSWorkbook::ReferenceArea(const TXLSCompiledFormula& formula, int32_t& sheetIdentifier, TXLSNameArea& area) {
  if (!links_ || !links_->referenceArea) return false;
  return links_->referenceArea(*this, formula, sheetIdentifier, area.firstRow, area.lastRow, area.firstColumn,
                               area.lastColumn);
}

WideString TXLSWorkbook::SheetNameAt(int32_t position) const {
  const IXLSWorksheet* sheet = sheets_->Item(position);
  return sheet ? sheet->Name() : WideString();
}

}  // namespace lx
