// The save driver and the workbook-globals records.
#include "lxWriteGlobals.h"

#include <algorithm>

#include "lxCalculator.h"
#include "lxCodePage.h"
#include "lxConstants.h"
#include "lxDraw.h"
#include "lxDrawingObjects.h"
#include "lxExternSheet.h"
#include "lxHandle.h"
#include "lxNames.h"
#include "lxPageSetup.h"
#include "lxProtect.h"
#include "lxStringTable.h"

namespace lx {

namespace {

constexpr uint16_t kWindow1Width = 9660;
constexpr uint16_t kWindow1Height = 5490;
constexpr uint16_t kWindow1Options = 0x0038;  // both scroll bars, sheet tabs
constexpr uint16_t kWindow1TabRatio = 600;
constexpr uint16_t kFnGroupCount = 14;
constexpr uint16_t kCountryDefault = 1;
constexpr uint32_t kRecalcEngineId = 0x00FFFFFF;
constexpr uint8_t kSheetTypeWorksheet = 0;
constexpr uint8_t kStringUncompressed = 1;
constexpr uint32_t kMaxSheetNameLength = 255;
// Title columns span every row: the last row of each format.
constexpr int32_t kLastRowBiff8 = 65535;
constexpr int32_t kLastRowBiff5 = 16383;

std::u16string SheetNameForFile(const std::u16string& name) {
  return name.size() > kMaxSheetNameLength ? name.substr(0, kMaxSheetNameLength) : name;
}

}  // namespace

struct TXLSGlobalsWriter::TSheetEntry {
  IXLSWorksheet* sheet = nullptr;
  TXLSSheetParts parts;
  std::unique_ptr<TXLSSheetWriter> writer;
  uint32_t position = 0;
  // The sheet's own external-sheet entry, for its built-in names; 0 when it
  // has none.
  int32_t externEntry = 0;
};

TXLSGlobalsWriter::TXLSGlobalsWriter(TXLSWorkbook& book, int32_t fileFormat, TSheetPartsSource partsSource)
    : book_(book), partsSource_(std::move(partsSource)) {
  if (!partsSource_) partsSource_ = SheetPartsOf;
  context_.workbook = &book;
  context_.biff8 = fileFormat != kSaveBiff5;
  context_.maxRecordData = context_.biff8 ? kMaxRecordDataBiff8 : kMaxRecordDataBiff5;
  externSheets_ = &book.ExternSheets();
  context_.externSheets = externSheets_;
}

TXLSGlobalsWriter::~TXLSGlobalsWriter() = default;

void TXLSGlobalsWriter::AddGlobalRecord(TXLSBlobList& list, std::unique_ptr<TXLSBlob> record) {
  if (!record) return;
  if (record->Length() > uint32_t{context_.maxRecordData} + kRecordHeaderSize)
    SplitRecord(record, context_.maxRecordData);
  globalsOffset_ += record->Length();
  list.AddRecord(std::move(record));
}

const TXLSSheetWriter* TXLSGlobalsWriter::Sheet(int32_t position) const {
  if (position < 1 || position > SheetCount()) return nullptr;
  return sheets_[position - 1]->writer.get();
}

uint32_t TXLSGlobalsWriter::SheetPosition(int32_t position) const {
  if (position < 1 || position > SheetCount()) return 0;
  return sheets_[position - 1]->position;
}

std::vector<const TXLSBlobList*> TXLSGlobalsWriter::Lists() const {
  std::vector<const TXLSBlobList*> lists{&first_, &second_};
  for (const auto& entry : sheets_) {
    if (!entry->writer) continue;
    for (int32_t kind = 0; kind < TXLSSheetWriter::kListCount; ++kind)
      lists.push_back(&entry->writer->List(static_cast<TXLSSheetWriter::TListKind>(kind)));
  }
  return lists;
}

std::vector<uint8_t> TXLSGlobalsWriter::Bytes() const {
  std::vector<uint8_t> bytes;
  for (const TXLSBlobList* list : Lists()) {
    const std::vector<uint8_t> part = list->Bytes();
    bytes.insert(bytes.end(), part.begin(), part.end());
  }
  return bytes;
}

int32_t TXLSGlobalsWriter::WriteWorkbook() {
  IXLSWorkSheets& sheets = *book_.Worksheets();
  if (sheets.Count() == 0) sheets.Add();
  if (sheets.Count() == 0) return kResultFail;
  TXLSStringTable& strings = book_.StringTable();
  strings.SetMaxRecordData(context_.maxRecordData);
  globalsOffset_ = 0;
  selectedCount_ = 0;
  sheets_.clear();
  for (int32_t position = 1; position <= sheets.Count(); ++position) {
    auto entry = std::make_unique<TSheetEntry>();
    entry->sheet = sheets.Item(position);
    entry->parts = partsSource_(*entry->sheet);
    if (entry->sheet->Selected()) ++selectedCount_;
    const TXLSPageSetup* setup = entry->parts.pageSetup;
    if (context_.biff8 &&
        ((setup && (setup->HasPrintArea() || setup->HasPrintTitles())) || ValidAutofilter(*entry->sheet) != nullptr)) {
      const int32_t id = entry->sheet->Identifier();
      entry->externEntry = externSheets_->FindOrAddSheetIdentifiers(id, id);
    }
    sheets_.push_back(std::move(entry));
  }
  book_.Formats().PrepareForSave();
  if (context_.biff8) PrepareDrawingIds();
  if (context_.biff8) {
    strings.AssignSSTIndexes();
    externSheets_->PrepareForSave();
  }
  int32_t result = WriteFirstGlobals();
  if (result == kResultOk) result = WriteSecondGlobals();
  if (result == kResultOk) result = WriteSheets();
  return result;
}

void TXLSGlobalsWriter::PrepareDrawingIds() {
  // Identifiers are handed out afresh at every save, sheet by sheet.
  bool any = false;
  for (const auto& entry : sheets_) any = any || FindDrawingObjects(*entry->sheet) != nullptr;
  if (!any && !FindDrawingBookObjects(book_)) return;
  TMSODrawingGroup& group = DrawingBookObjects(book_).DrawingGroup();
  group.ResetDrawingIds();
  for (const auto& entry : sheets_)
    if (FindDrawingObjects(*entry->sheet)) DrawingObjects(*entry->sheet).Drawing().PrepareDrawingIds(group);
}

int32_t TXLSGlobalsWriter::WriteFirstGlobals() {
  const bool biff8 = context_.biff8;
  std::vector<std::unique_ptr<TXLSBlob>> records;
  records.push_back(BuildBOFRecord(biff8, kBOFWorkbookGlobals));
  records.push_back(WordRecord(kRecCodePage, biff8 ? kCodePageUtf16 : book_.CodePage()));
  if (biff8) records.push_back(WordRecord(kRecDSF, 0));
  for (auto& record : records) AddGlobalRecord(first_, std::move(record));
  records.clear();
  if (!biff8) {
    for (auto& record : externSheets_->BuildExternSheetsBiff5(0)) records.push_back(std::move(record));
    for (auto& record : records) AddGlobalRecord(first_, std::move(record));
    records.clear();
    int32_t result = WriteNames(first_);
    if (result != kResultOk) return result;
  }

  const IXLSWorksheet* active = book_.Worksheets()->ActiveSheet();
  auto window = NewRecord(kRecWindow1, 18);
  window->AddWord(0);
  window->AddWord(0);
  window->AddWord(kWindow1Width);
  window->AddWord(kWindow1Height);
  window->AddWord(kWindow1Options);
  window->AddWord(static_cast<uint16_t>(active && active->Index() > 0 ? active->Index() - 1 : 0));
  window->AddWord(static_cast<uint16_t>(book_.FirstVisibleTab()));
  window->AddWord(selectedCount_);
  window->AddWord(kWindow1TabRatio);
  records.push_back(std::move(window));
  records.push_back(WordRecord(kRecBackup, 0));
  records.push_back(WordRecord(kRecDateMode, book_.Date1904() ? 1 : 0));
  records.push_back(WordRecord(kRecPrecision, book_.FullPrecision() ? 1 : 0));
  records.push_back(WordRecord(kRecRefMode, 1));
  if (biff8) records.push_back(WordRecord(kRecFnGroupCount, kFnGroupCount));
  for (auto& record : BuildWorkbookProtectRecords(book_.Protection())) records.push_back(std::move(record));
  records.push_back(WordRecord(kRecBookBool, 0));

  const int32_t fileFormat = biff8 ? kSaveBiff8 : kSaveBiff5;
  TlxFormatList& formats = book_.Formats();
  const TXLSFontList& fonts = formats.Fonts();
  for (int32_t position = 0; position < fonts.OutputCount(); ++position)
    records.push_back(fonts.BuildFontRecord(position, fileFormat));
  const TXLSNumFormatList& numFormats = formats.NumFormats();
  for (int32_t index = 0; index < numFormats.SlotCount(); ++index)
    records.push_back(numFormats.BuildFormatRecord(index, fileFormat));
  for (int32_t position = 0; position < formats.OutputCount(); ++position)
    records.push_back(formats.BuildXFRecord(position, fileFormat));
  const TXLSStyles& styles = formats.Styles();
  for (int32_t i = 0; i < styles.Count(); ++i)
    records.push_back(styles.BuildStyleRecord(styles.BaseIndex() + i, fileFormat));
  records.push_back(book_.Palette().BuildPaletteRecord());
  if (biff8) {
    auto country = NewRecord(kRecCountry, 4);
    country->AddWord(kCountryDefault);
    country->AddWord(kCountryDefault);
    records.push_back(std::move(country));
    auto recalc = NewRecord(kRecRecalcId, 8);
    recalc->AddDWord(kRecRecalcId);
    recalc->AddDWord(kRecalcEngineId);
    records.push_back(std::move(recalc));
  }
  for (auto& record : records) AddGlobalRecord(first_, std::move(record));
  if (biff8) {
    // The SST writes itself (with its own CONTINUE layout) and needs the
    // stream position at which it starts for the EXTSST offsets.
    const uint32_t before = first_.Total();
    book_.StringTable().WriteSST(first_, globalsOffset_);
    globalsOffset_ += first_.Total() - before;
  }
  return kResultOk;
}

int32_t TXLSGlobalsWriter::WriteSecondGlobals() {
  if (context_.biff8) {
    std::vector<std::unique_ptr<TXLSBlob>> records = externSheets_->BuildSupBookRecords();
    records.push_back(externSheets_->BuildExternSheetBiff8());
    for (auto& record : records) AddGlobalRecord(second_, std::move(record));
    int32_t result = WriteNames(second_);
    if (result != kResultOk) return result;
    if (FindDrawingBookObjects(book_)) {
      TXLSBlobList group;
      DrawingBookObjects(book_).DrawingGroup().WriteDrawingGroup(group, context_.maxRecordData);
      second_.AddList(group);
      globalsOffset_ += group.Total();
    }
  }
  AddGlobalRecord(second_, BuildEOFRecord());
  return kResultOk;
}

int32_t TXLSGlobalsWriter::WriteNames(TXLSBlobList& list) {
  TXLSNameWriteContext names;
  names.biff8 = context_.biff8;
  for (const auto& entry : sheets_) names.sheetOrder.push_back(entry->sheet->Identifier());
  names.positionOf = [this](int32_t identifier) { return book_.PositionOfSheetIdentifier(identifier); };
  TXLSCalculator& calculator = WorkbookCalculator(book_);
  calculator.SetBiff5(!context_.biff8);
  TXLSBlob withLength;
  names.encode = [&calculator, &withLength](const TXLSCustomName& name, TXLSBlob& tokens) {
    withLength.Clear();
    const int32_t result =
        calculator.Formula().EncodeFormula(name.Formula()->Tree(), kClassReference, 0, 0, withLength);
    if (result != kResultOk || withLength.Length() < 2) return kResultFail;
    tokens.AddBytes(withLength.Data() + 2, withLength.Length() - 2);
    return kResultOk;
  };
  std::vector<std::unique_ptr<TXLSBlob>> records;
  int32_t written = 0;
  const int32_t result = book_.NameStore().WriteNames(names, records, written);
  if (result != kResultOk) return result;
  for (auto& record : records) AddGlobalRecord(list, std::move(record));
  return WriteBuiltInNames(list);
}

int32_t TXLSGlobalsWriter::WriteBuiltInNames(TXLSBlobList& list) {
  const bool biff8 = context_.biff8;
  // Each group visits the sheets in the order of their names (UTF-16 code
  // units); equal names keep sheet order.
  std::vector<const TSheetEntry*> order;
  for (const auto& entry : sheets_) order.push_back(entry.get());
  std::stable_sort(order.begin(), order.end(),
                   [](const TSheetEntry* a, const TSheetEntry* b) { return a->sheet->Name() < b->sheet->Name(); });
  for (const uint8_t code : {kBuiltInPrintArea, kBuiltInPrintTitles, kBuiltInFilterDatabase}) {
    for (const TSheetEntry* entry : order) {
      const TXLSPageSetup* setup = entry->parts.pageSetup;
      std::vector<TXLSNameArea> areas;
      uint16_t options = kNameOptionBuiltIn;
      if (code == kBuiltInFilterDatabase) {
        const TXLSAutofilter* filter = ValidAutofilter(*entry->sheet);
        if (!filter) continue;
        areas.push_back(
            {filter->HeaderRow() - 1, filter->LastRow() - 1, filter->FirstColumn() - 1, filter->LastColumn() - 1});
        options |= kNameOptionHidden;
      } else if (!setup) {
        continue;
      } else if (code == kBuiltInPrintArea) {
        if (!setup->HasPrintArea()) continue;
        areas.push_back({setup->PrintAreaFirstRow(), setup->PrintAreaLastRow(), setup->PrintAreaFirstColumn(),
                         setup->PrintAreaLastColumn()});
      } else {
        if (!setup->HasPrintTitles()) continue;
        if (setup->TitleFirstColumn() > 0)
          areas.push_back(
              {0, biff8 ? kLastRowBiff8 : kLastRowBiff5, setup->TitleFirstColumn() - 1, setup->TitleLastColumn() - 1});
        if (setup->TitleFirstRow() > 0)
          areas.push_back({setup->TitleFirstRow() - 1, setup->TitleLastRow() - 1, 0, kXLSMaxColumn});
      }
      int32_t refIndex = 0;
      if (biff8) {
        refIndex = externSheets_->RefIndex(entry->externEntry);
        if (refIndex < 1) return kResultFail;
      }
      auto record = BuildBuiltInName(code, options, entry->sheet->Index(), refIndex, areas, biff8);
      AddGlobalRecord(list, std::move(record));
    }
  }
  return kResultOk;
}

std::unique_ptr<TXLSBlob> TXLSGlobalsWriter::BuildBoundSheet(const TSheetEntry& entry, uint32_t position) const {
  const std::u16string name = SheetNameForFile(entry.sheet->Name());
  std::unique_ptr<TXLSBlob> record;
  if (context_.biff8) {
    record = NewRecord(kRecBoundSheet, 8 + 2 * static_cast<uint32_t>(name.size()));
  } else {
    std::string text = WideToAnsi(name);
    if (text.size() > kMaxSheetNameLength) text.resize(kMaxSheetNameLength);
    record = NewRecord(kRecBoundSheet, 7 + static_cast<uint32_t>(text.size()));
    record->AddDWord(position);
    record->AddByte(entry.sheet->Visible());
    record->AddByte(kSheetTypeWorksheet);
    record->AddByte(static_cast<uint8_t>(text.size()));
    record->AddAnsi(text);
    return record;
  }
  record->AddDWord(position);
  record->AddByte(entry.sheet->Visible());
  record->AddByte(kSheetTypeWorksheet);
  record->AddByte(static_cast<uint8_t>(name.size()));
  record->AddByte(kStringUncompressed);
  record->AddWide(name);
  return record;
}

int32_t TXLSGlobalsWriter::WriteSheets() {
  // The BOUNDSHEET records go at the end of the first list, so the first
  // sheet starts after the globals and those records.
  uint32_t boundSheets = 0;
  for (const auto& entry : sheets_) boundSheets += BuildBoundSheet(*entry, 0)->Length();
  uint32_t position = first_.Total() + second_.Total() + boundSheets;
  for (const auto& entry : sheets_) {
    entry->position = position;
    entry->writer = std::make_unique<TXLSSheetWriter>(context_, *entry->sheet, entry->parts);
    int32_t result = entry->writer->WriteWorksheet(position);
    if (result != kResultOk) return result;
    position += entry->writer->Total();
  }
  for (const auto& entry : sheets_) {
    AddGlobalRecord(first_, BuildBoundSheet(*entry, entry->position));
  }
  return kResultOk;
}

int32_t SaveWorkbook(TXLSWorkbook& book, const std::u16string& fileName, TStream* stream, int32_t formatCode,
                     TXLSSaveNotes* notes) {
  TXLSSaveNotes localNotes;
  TXLSSaveNotes& out = notes ? *notes : localNotes;
  out = {};
  // Only the two XLS codes write here: the text and HTML codes belong to the
  // exporters, and an unknown code writes nothing and is not remembered.
  if (formatCode != kSaveBiff5 && formatCode != kSaveBiff8) return kResultFail;
  const int32_t fileFormat = formatCode;
  out.formatRemembered = true;
  book.SetFormatCode(formatCode);
  TXLSGlobalsWriter writer(book, fileFormat);
  bool created = false;
  // The workbook has a document open for writing only while the save runs.
  book.SetNoDocument(false);
  const int32_t result = WriteXLSContainer(
      fileName, stream, fileFormat,
      [&writer](std::vector<const TXLSBlobList*>& lists) {
        const int32_t produced = writer.WriteWorkbook();
        if (produced == kResultOk) lists = writer.Lists();
        return produced;
      },
      created);
  book.SetNoDocument(true);
  out.fileNameStored = created && stream == nullptr;
  return result;
}

}  // namespace lx
