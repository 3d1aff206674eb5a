// The workbook reader: records into the workbook model.
#include "lxRead.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "lxCalculator.h"
#include "lxCellHeap.h"
#include "lxCodePage.h"
#include "lxConstants.h"
#include "lxDraw.h"
#include "lxDrawingObjects.h"
#include "lxFormat.h"
#include "lxHandle.h"
#include "lxHyperlinks.h"
#include "lxNames.h"
#include "lxOutline.h"
#include "lxPageBreaks.h"
#include "lxPageSetup.h"
#include "lxStringTable.h"

namespace lx {
namespace {

// Record numbers read here.
namespace rec {
constexpr uint16_t kEOF = 0x000A;
constexpr uint16_t kBOF = 0x0809;
constexpr uint16_t kFilePass = 0x002F;
constexpr uint16_t kCodePage = 0x0042;
constexpr uint16_t kDateMode = 0x0022;
constexpr uint16_t kWindow1 = 0x003D;
constexpr uint16_t kProtect = 0x0012;
constexpr uint16_t kPassword = 0x0013;
constexpr uint16_t kFont = 0x0031;
constexpr uint16_t kFormat = 0x041E;
constexpr uint16_t kXF = 0x00E0;
constexpr uint16_t kStyle = 0x0293;
constexpr uint16_t kPalette = 0x0092;
constexpr uint16_t kBoundSheet = 0x0085;
constexpr uint16_t kSST = 0x00FC;
constexpr uint16_t kExternSheet = 0x0017;
constexpr uint16_t kName = 0x0018;
constexpr uint16_t kContinue = 0x003C;
constexpr uint16_t kMsoDrawingGroup = 0x00EB;
constexpr uint16_t kNumber = 0x0203;
constexpr uint16_t kRK = 0x027E;
constexpr uint16_t kMulRK = 0x00BD;
constexpr uint16_t kBlank = 0x0201;
constexpr uint16_t kMulBlank = 0x00BE;
constexpr uint16_t kBoolErr = 0x0205;
constexpr uint16_t kLabelSST = 0x00FD;
constexpr uint16_t kLabel = 0x0204;
constexpr uint16_t kRString = 0x00D6;
constexpr uint16_t kFormula = 0x0006;
constexpr uint16_t kFormulaOld = 0x0406;
constexpr uint16_t kSharedFormula = 0x04BC;
constexpr uint16_t kArray = 0x0221;
constexpr uint16_t kRow = 0x0208;
constexpr uint16_t kColInfo = 0x007D;
constexpr uint16_t kDefColWidth = 0x0055;
constexpr uint16_t kStandardWidth = 0x0099;
constexpr uint16_t kDefaultRowHeight = 0x0225;
constexpr uint16_t kMergedCells = 0x00E5;
constexpr uint16_t kWindow2 = 0x023E;
constexpr uint16_t kPane = 0x0041;
constexpr uint16_t kScl = 0x00A0;
constexpr uint16_t kWsBool = 0x0081;
constexpr uint16_t kSetup = 0x00A1;
constexpr uint16_t kLeftMargin = 0x0026;
constexpr uint16_t kRightMargin = 0x0027;
constexpr uint16_t kTopMargin = 0x0028;
constexpr uint16_t kBottomMargin = 0x0029;
constexpr uint16_t kHCenter = 0x0083;
constexpr uint16_t kVCenter = 0x0084;
constexpr uint16_t kPrintGridlines = 0x002B;
constexpr uint16_t kPrintHeaders = 0x002A;
constexpr uint16_t kHeader = 0x0014;
constexpr uint16_t kFooter = 0x0015;
constexpr uint16_t kHPageBreaks = 0x001B;
constexpr uint16_t kVPageBreaks = 0x001A;
constexpr uint16_t kSheetProtection = 0x0867;
constexpr uint16_t kString = 0x0207;
constexpr uint16_t kHLink = 0x01B8;
constexpr uint16_t kHLinkTooltip = 0x0800;
constexpr uint16_t kSupBook = 0x01AE;
constexpr uint16_t kMsoDrawing = 0x00EC;
constexpr uint16_t kObj = 0x005D;
constexpr uint16_t kTxo = 0x01B6;
constexpr uint16_t kNote = 0x001C;
}  // namespace rec

constexpr uint16_t kBOFGlobals = 0x0005;
constexpr uint16_t kBOFWorksheet = 0x0010;
constexpr uint16_t kBOFChart = 0x0020;
constexpr double k1904Offset = 1462;
// DEFCOLWIDTH of a sheet whose columns have the default width.
constexpr uint16_t kDefaultColumnCharacters = 8;
// Merging makes and visits every cell of an area, so that MERGEDCELLS
// entries of 8 bytes would otherwise make millions of cells each, and
// repeated, work without end. The areas of a file, all together, may hold
// kMergedCellsPerByte cells per byte of the workbook stream read so far,
// at least kMinMergedCells (a block of 64 by 64) and at most
// kMaxMergedCells (four whole columns).
constexpr int64_t kMergedCellsPerByte = 4;
constexpr int64_t kMinMergedCells = int64_t{1} << 12;
constexpr int64_t kMaxMergedCells = int64_t{1} << 18;

// Bounds-checked fields of a record's data: a field that does not lie
// wholly inside reads as 0.
class TFields {
 public:
  explicit TFields(std::span<const uint8_t> data) : data_(data) {}
  size_t Size() const { return data_.size(); }
  uint8_t U8(size_t at) const { return at < data_.size() ? data_[at] : 0; }
  uint16_t U16(size_t at) const { return Has(at, 2) ? static_cast<uint16_t>(data_[at] | (data_[at + 1] << 8)) : 0; }
  int16_t I16(size_t at) const { return static_cast<int16_t>(U16(at)); }
  uint32_t U32(size_t at) const {
    if (!Has(at, 4)) return 0;
    uint32_t value;
    std::memcpy(&value, data_.data() + at, 4);
    return value;
  }
  double F64(size_t at) const {
    if (!Has(at, 8)) return 0;
    double value;
    std::memcpy(&value, data_.data() + at, 8);
    return value;
  }
  bool Has(size_t at, size_t count) const { return at <= data_.size() && count <= data_.size() - at; }
  std::span<const uint8_t> From(size_t at, size_t count) const {
    if (at > data_.size()) return {};
    return data_.subspan(at, std::min(count, data_.size() - at));
  }

 private:
  std::span<const uint8_t> data_;
};

// UTF-16 characters from little-endian bytes.
std::u16string WideChars(std::span<const uint8_t> bytes, size_t count) {
  count = std::min(count, bytes.size() / 2);
  std::u16string text(count, u'\0');
  for (size_t i = 0; i < count; ++i) text[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  return text;
}

// Splits a header or footer text into its left, centre and right sections:
// each section is what follows its code ("&L", "&C", "&R") that is not an
// escaped "&&", taken from the right.
void SplitSections(std::u16string text, std::u16string sections[3]) {
  static constexpr char16_t kCodes[3] = {u'R', u'C', u'L'};
  for (int i = 0; i < 3; ++i) {
    size_t found = std::u16string::npos;
    for (size_t at = 0; at + 1 < text.size(); ++at) {
      if (text[at] != u'&') continue;
      if (text[at + 1] == u'&') {
        ++at;  // an escaped ampersand
        continue;
      }
      if (text[at + 1] == kCodes[i]) {
        found = at;
        break;
      }
    }
    if (found == std::u16string::npos) continue;
    sections[2 - i] = text.substr(found + 2);
    text.resize(found);
  }
}

}  // namespace

double DecodeRK(uint32_t rk) {
  double value;
  if (rk & 2) {
    value = static_cast<double>(static_cast<int32_t>(rk) >> 2);
  } else {
    const uint64_t bits = static_cast<uint64_t>(rk & 0xFFFFFFFCu) << 32;
    std::memcpy(&value, &bits, 8);
  }
  return (rk & 1) ? value / 100 : value;
}

TXLSReader::TXLSReader(TXLSWorkbook& book, std::u16string password) : book_(book), stream_(std::move(password)) {}

TXLSReader::~TXLSReader() = default;

int32_t TXLSReader::ReadFile(const std::u16string& fileName) {
  book_.Reset();
  book_.SetDate1904(false);
  int32_t result = stream_.OpenSource(fileName);
  if (result == kResultOk) result = Read();
  stream_.CloseWorkbookStream();
  stream_.CloseContainer();
  return result;
}

int32_t TXLSReader::ReadStream(TStream& stream) {
  book_.Reset();
  book_.SetDate1904(false);
  int32_t result = stream_.OpenSource(stream);
  if (result == kResultOk) result = Read();
  stream_.CloseWorkbookStream();
  stream_.CloseContainer();
  return result;
}

TXLSCalculator& TXLSReader::Calculator() { return WorkbookCalculator(book_); }

int32_t TXLSReader::Read() {
  // The drawing group of the workbook read before goes with it.
  if (FindDrawingBookObjects(book_)) DrawingBookObjects(book_).DrawingGroup().ClearDrawingGroup();
  mergedCellsMade_ = 0;
  dateFormats_.clear();
  TXLSRecordGroup group;
  // A CONTINUE record joins the record before it; drawing-group records
  // join the drawing-group record before them.
  auto joins = [this](uint16_t first, uint16_t next) {
    if (state_ == sChart) return false;
    return next == rec::kContinue || (first == rec::kMsoDrawingGroup && next == rec::kMsoDrawingGroup);
  };
  int32_t result;
  while ((result = stream_.ReadRecordGroup(group, joins)) == kResultOk) {
    result = Dispatch(group);
    if (result != kResultOk) break;
  }
  if (result == kResultStreamEndsInSubstream) result = state_ == sNone ? kResultOk : kResultStreamEndsInSubstream;
  // The shared strings' own references go; the cells keep theirs.
  for (int32_t index : strings_) book_.StringTable().ReleaseString(index);
  strings_.clear();
  if (result == kResultOk) Finish();
  return result;
}

int32_t TXLSReader::Dispatch(const TXLSRecordGroup& group) {
  const uint16_t number = group.Number();
  const std::span<const uint8_t> all = group.Data();
  const std::span<const uint8_t> first = all.first(group.Pieces().empty() ? 0 : group.Pieces().front().Length);
  if (state_ == sChart || state_ == sEmbeddedChart) return ReadChartRecord(group);
  if (number == rec::kEOF) {
    if (state_ == sGlobals) EndGlobals();
    if (state_ == sWorksheet && sheet_ && FindDrawingObjects(*sheet_)) DrawingObjects(*sheet_).FinishDrawingRead();
    state_ = sNone;
    return kResultOk;
  }
  switch (state_) {
    case sNone:
      return number == rec::kBOF ? ReadBOF(first) : kResultOk;
    case sGlobals:
      if (number == rec::kBOF) {
        EndGlobals();
        return ReadBOF(first);
      }
      return ReadGlobals(number, first, group);
    case sWorksheet:
      if (number == rec::kBOF) {
        if (TFields(first).U16(2) == kBOFChart) {
          state_ = sEmbeddedChart;
          StartChart(first);
        }
        return kResultOk;
      }
      return ReadWorksheet(number, first, group);
    default:
      return kResultOk;
  }
}

void TXLSReader::StartChart(std::span<const uint8_t> bof) {
  chart_ = std::make_unique<TXLSCustomChart>(&Calculator(), version_);
  chart_->AddRecord(rec::kBOF, bof);
  chartDepth_ = 1;
}

int32_t TXLSReader::ReadChartRecord(const TXLSRecordGroup& group) {
  const uint16_t number = group.Number();
  const std::span<const uint8_t> all = group.Data();
  if (number == rec::kBOF) {
    // A substream inside a chart: no chart has one, so the chart is not
    // what it claims to be and is dropped; its records up to the matching
    // EOF are passed over.
    chart_.reset();
    ++chartDepth_;
    return kResultOk;
  }
  // Every record is kept as read, CONTINUE pieces with their own number.
  if (chart_) {
    for (const TXLSRecordPiece& piece : group.Pieces())
      chart_->AddRecord(piece.Number, all.subspan(piece.Offset, piece.Length));
  }
  if (number != rec::kEOF || --chartDepth_ > 0) return kResultOk;
  std::unique_ptr<TXLSCustomChart> chart = std::move(chart_);
  if (chart && !chart->Sound()) chart.reset();
  if (state_ == sEmbeddedChart) {
    // The chart goes to the shape whose OBJ record came before it.
    if (chart && sheet_) (void)DrawingObjects(*sheet_).Drawing().AttachChart(std::move(chart));
    state_ = sWorksheet;
    return kResultOk;
  }
  // A chart sheet: the chart is the sheet's.
  if (chart && sheet_) DrawingObjects(*sheet_).SetChartSheet(std::move(chart));
  state_ = sNone;
  return kResultOk;
}

int32_t TXLSReader::ReadBOF(std::span<const uint8_t> data) {
  if (data.size() <= 4) return kResultOk;
  externSheetNames_.clear();
  pendingString_ = -1;
  const TFields f(data);
  const uint16_t version = f.U16(0);
  switch (f.U16(2)) {
    case kBOFGlobals:
      state_ = sGlobals;
      if (version == 0x0500 || version == kBiff8) version_ = version;
      break;
    case kBOFWorksheet:
      state_ = sWorksheet;
      frozen_ = fitToPage_ = false;
      pendingMasterRow_ = pendingMasterColumn_ = -1;
      ++sheetNumber_;
      while (book_.Worksheets()->Count() < sheetNumber_) book_.Worksheets()->Add();
      sheet_ = book_.Worksheets()->Item(sheetNumber_);
      break;
    case kBOFChart:
      state_ = sChart;
      ++sheetNumber_;
      while (book_.Worksheets()->Count() < sheetNumber_) book_.Worksheets()->Add();
      sheet_ = book_.Worksheets()->Item(sheetNumber_);
      StartChart(data);
      break;
    default:
      state_ = sNone;
      break;
  }
  return version_ == 0 ? kResultFail : kResultOk;
}

void TXLSReader::EndGlobals() {
  // Every font read is written back at its position.
  TXLSFontList& fonts = book_.Formats().Fonts();
  if (fontPosition_ > 5) fonts.SetDefaultCount(fontPosition_ - 1);
  for (const auto& [ordinal, kept] : keptNames_) ReadDefinedName(kept, ordinal);
  keptNames_.clear();
  state_ = sNone;
}

// ---------------------------------------------------------------- globals

int32_t TXLSReader::ReadGlobals(uint16_t number, std::span<const uint8_t> data, const TXLSRecordGroup& group) {
  const TFields f(data);
  switch (number) {
    case rec::kFilePass:
      return stream_.StartDecryption(data);
    case rec::kCodePage:
      codePage_ = f.U16(0);
      break;
    case rec::kSupBook:
      // The supporting workbooks that EXTERNSHEET entries name: without them
      // the entries cannot be made, and references kept as bytes (chart
      // series) would name entries the save does not write.
      if (version_ >= kBiff8)
        (void)book_.ExternSheets().SupBook().AddFromRecord(data.data(), static_cast<uint32_t>(data.size()));
      break;
    case rec::kMsoDrawingGroup:
      // A malformed drawing group is dropped (left empty); the rest of the
      // workbook still opens. A workbook with its user flag set reads no
      // drawings.
      if (!book_.UserFlag()) (void)DrawingBookObjects(book_).DrawingGroup().ReadDrawingGroup(group.Data());
      break;
    case rec::kDateMode:
      date1904_ = f.U16(0) == 1;
      if (date1904_) book_.SetDate1904(true);
      break;
    case rec::kWindow1:
      if (data.size() > 15) {
        activeTab_ = f.U16(10);
        firstVisibleTab_ = f.U16(12);
      }
      break;
    case rec::kProtect:
      if (f.U16(0) == 1) book_.Protection().SetProtected(true);
      break;
    case rec::kPassword:
      book_.Protection().SetPasswordHash(f.U16(0));
      break;
    case rec::kFont:
      return ReadFont(data);
    case rec::kFormat:
      ReadFormat(data);
      dateFormats_.clear();
      break;
    case rec::kXF:
      ReadXF(data);
      dateFormats_.clear();
      break;
    case rec::kStyle:
      ReadStyle(data);
      break;
    case rec::kPalette:
      ReadPalette(data);
      break;
    case rec::kBoundSheet:
      ReadBoundSheet(data);
      break;
    case rec::kSST:
      ReadSST(group);
      break;
    case rec::kExternSheet:
      ReadExternSheet(data);
      break;
    case rec::kName:
      ReadName(data);
      break;
    default:
      break;
  }
  return kResultOk;
}

std::u16string TXLSReader::Narrow(std::span<const uint8_t> bytes) const {
  // Code page 1200 in a BIFF5 file: the "8-bit" texts are UTF-16, their
  // counts counting bytes.
  if (codePage_ == 1200 && version_ < kBiff8) return WideChars(bytes, bytes.size() / 2);
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  // A BIFF5 file names the code page of its 8-bit texts; BIFF8 texts use it
  // only where they are 8-bit, which the code page then also decides.
  if (codePage_ != 0 && codePage_ != 1200 && IsSupportedCodePage(codePage_)) return AnsiToWide(text, codePage_);
  return AnsiToWide(text);
}

std::u16string TXLSReader::TextAt(std::span<const uint8_t> data, size_t offset, int countBytes) const {
  const TFields f(data);
  const size_t count = countBytes == 1 ? f.U8(offset) : f.U16(offset);
  size_t at = offset + static_cast<size_t>(countBytes);
  if (version_ < kBiff8) return Narrow(f.From(at, count));
  const uint8_t options = f.U8(at++);
  if (options & 0x01) return WideChars(f.From(at, 2 * count), count);
  return Narrow(f.From(at, count));
}

int32_t TXLSReader::ReadFont(std::span<const uint8_t> data) {
  const TFields f(data);
  TXLSFontList& fonts = book_.Formats().Fonts();
  const int32_t position = fontPosition_++;
  const size_t nameCount = f.U8(14);
  const size_t nameBytes = version_ >= kBiff8 && (f.U8(15) & 1) ? 2 * nameCount : nameCount;
  const size_t nameAt = version_ >= kBiff8 ? 16 : 15;
  if (data.size() < 15 || !f.Has(nameAt, nameBytes)) {
    fonts.SetKeyAt(position, fonts.FallbackKey());
    return kResultFail;
  }
  TXLSFontFields font;
  font.Height = f.U16(0);
  font.Color = f.U16(4);
  font.Bold = f.U16(6) > 400;
  const uint16_t options = f.U16(2);
  font.Italic = (options & 0x02) != 0;
  font.Strikeout = (options & 0x08) != 0;
  font.Outline = (options & 0x10) != 0;
  font.Shadow = (options & 0x20) != 0;
  font.Underline = f.U8(10);
  const uint16_t escapement = f.U16(8);
  font.Subscript = (escapement & 0x02) != 0;
  font.Superscript = (escapement & 0x01) != 0;
  font.Family = f.U8(11);
  font.Charset = f.U8(12);
  font.Name = TextAt(data, 14, 1);
  fonts.SetKeyAt(position, font.Key());
  return kResultOk;
}

void TXLSReader::ReadFormat(std::span<const uint8_t> data) {
  const TFields f(data);
  book_.Formats().NumFormats().SetAt(f.U16(0), TextAt(data, 2, version_ >= kBiff8 ? 2 : 1));
}

void TXLSReader::ReadXF(std::span<const uint8_t> data) {
  const TFields f(data);
  TXLSXFFields xf;
  const uint16_t font = f.U16(0);
  xf.Font = font > 4 ? font - 1 : font;  // a file has no font 4
  xf.NumFormat = f.U16(2);
  const uint16_t type = f.U16(4);
  xf.Protection = static_cast<uint8_t>(type & 7);
  xf.Parent = static_cast<uint16_t>(type >> 4);
  xf.Alignment = f.U8(6);
  if (version_ >= kBiff8) {
    xf.Rotation = f.U8(7);
    xf.Indent = f.U8(8);
    xf.Used = static_cast<uint8_t>(f.U8(9) >> 2);
    xf.Border1 = f.U32(10);
    const uint32_t word2 = f.U32(14);
    xf.Border2 = word2 & 0x03FFFFFF;
    xf.Pattern = static_cast<uint8_t>(word2 >> 26);
    xf.PatternColors = f.U16(18);
  } else {
    static constexpr uint8_t kRotations[4] = {0, 255, 90, 180};
    const uint8_t byte7 = f.U8(7);
    xf.Rotation = kRotations[byte7 & 3];
    xf.Indent = 0;
    xf.Used = static_cast<uint8_t>(byte7 >> 2);
    const uint32_t h = f.U16(10), l = f.U16(12), m = f.U16(14);
    xf.Border1 = ((l >> 6) & 7) * 16 + ((l >> 3) & 7) + (l & 7) * 256 + ((h >> 6) & 7) * 4096 + (m & 0x3FFF) * 65536;
    xf.Border2 = ((h >> 9) & 0x7F) * 128 + ((l >> 9) & 0x7F);
    xf.Pattern = static_cast<uint8_t>((f.U32(8) >> 16) & 0x3F);
    xf.PatternColors = f.U16(8);
  }
  book_.Formats().SetKeyAt(xfPosition_++, xf.Key());
}

void TXLSReader::ReadStyle(std::span<const uint8_t> data) {
  const TFields f(data);
  const uint16_t first = f.U16(0);
  const int32_t xf = first & 0x0FFF;
  TlxFormatList& formats = book_.Formats();
  if (first & 0x8000) {
    if (xf >= xfPosition_) return;
    formats.Styles().AddBuiltinStyle(f.U8(2), xf);
  } else {
    const std::u16string name = version_ >= kBiff8 ? TextAt(data, 2, 2) : TextAt(data, 2, 1);
    if (name.empty()) return;
    formats.Styles().AddUserStyle(name, xf);
  }
  formats.AddReference(xf);
}

void TXLSReader::ReadPalette(std::span<const uint8_t> data) {
  const TFields f(data);
  const size_t count = std::min<size_t>(f.U16(0), (data.size() - std::min<size_t>(data.size(), 2)) / 4);
  for (size_t i = 0; i < count; ++i) {
    const size_t at = 2 + 4 * i;
    const uint32_t color = f.U8(at) | (f.U8(at + 1) << 8) | (f.U8(at + 2) << 16);
    book_.Palette().SetPaletteColor(static_cast<int32_t>(i) + 1, color);
  }
}

void TXLSReader::ReadBoundSheet(std::span<const uint8_t> data) {
  const TFields f(data);
  const uint8_t type = f.U8(5);
  if (type != 0 && type != 2) return;
  IXLSWorksheet* sheet = book_.Worksheets()->Add();
  if (!sheet) return;
  const std::u16string name = TextAt(data, 6, 1);
  if (!name.empty() && book_.Worksheets()->IsValidName(sheet->Index(), name)) sheet->SetName(name);
  sheet->SetVisible(TVariant(static_cast<int32_t>(f.U8(4))));
}

// The SST group: strings follow one another across the record boundaries;
// a string's characters that run into the next record go on there after a
// fresh option byte.
void TXLSReader::ReadSST(const TXLSRecordGroup& group) {
  const std::span<const uint8_t> data = group.Data();
  const std::vector<TXLSRecordPiece>& pieces = group.Pieces();
  const TFields f(data);
  const uint32_t expected = f.U32(4);
  size_t piece = 0;
  auto pieceEnd = [&](size_t p) -> size_t { return p < pieces.size() ? pieces[p].Offset + pieces[p].Length : 0; };
  size_t at = 8;
  TXLSStringTable& table = book_.StringTable();
  std::u16string text;
  while (strings_.size() < expected && at < data.size()) {
    while (piece < pieces.size() && at >= pieceEnd(piece)) ++piece;
    if (!f.Has(at, 3)) break;
    const size_t count = f.U16(at);
    uint8_t options = f.U8(at + 2);
    at += 3;
    size_t runs = 0, extra = 0;
    if (options & 0x08) {
      runs = f.U16(at);
      at += 2;
    }
    if (options & 0x04) {
      extra = f.U32(at);
      at += 4;
    }
    text.clear();
    while (text.size() < count && at < data.size()) {
      while (piece < pieces.size() && at >= pieceEnd(piece)) ++piece;
      const size_t end = piece < pieces.size() ? pieceEnd(piece) : data.size();
      const size_t width = (options & 0x01) ? 2 : 1;
      const size_t fit = std::min(count - text.size(), (end - at) / width);
      const std::span<const uint8_t> chars = f.From(at, fit * width);
      text += width == 2 ? WideChars(chars, fit) : Narrow(chars);
      at += fit * width;
      if (text.size() < count) {
        // The rest continues in the next record, after its option byte.
        if (at < end) break;  // half a character: malformed
        ++piece;
        if (piece >= pieces.size() || at >= data.size()) break;
        options = static_cast<uint8_t>((options & ~0x01) | (f.U8(at) & 0x01));
        ++at;
      }
    }
    at += 4 * runs + extra;
    strings_.push_back(text.empty() ? 0 : table.AddString(text));
  }
}

void TXLSReader::ReadExternSheet(std::span<const uint8_t> data) {
  const TFields f(data);
  if (version_ < kBiff8) {
    // One sheet name per record; other kinds of entry add an empty name.
    externSheetNames_.push_back(f.U8(1) == 3 ? Narrow(f.From(2, data.size())) : std::u16string());
    return;
  }
  const size_t count = std::min<size_t>(f.U16(0), data.size() / 6);
  TlxExternSheetSheet& table = book_.ExternSheets();
  for (size_t i = 0; i < count; ++i) {
    const size_t at = 2 + 6 * i;
    (void)table.AddFromFile(static_cast<int32_t>(i) + 1, f.U16(at), f.I16(at + 2) + 1, f.I16(at + 4) + 1);
  }
}

void TXLSReader::ReadName(std::span<const uint8_t> data) {
  const TFields f(data);
  const int32_t ordinal = ++nameOrdinal_;
  if (!(f.U16(0) & 0x0020)) {
    // BIFF5 names may name sheets whose EXTERNSHEET records come later.
    if (version_ >= kBiff8) {
      ReadDefinedName(data, ordinal);
    } else {
      keptNames_.emplace_back(ordinal, std::vector<uint8_t>(data.begin(), data.end()));
    }
    return;
  }
  const bool biff8 = version_ >= kBiff8;
  const size_t size = data.size();
  if (biff8 ? size != 27 && size != 42 : size != 36 && size != 61) return;
  if (biff8 && f.U8(14) != 0) return;
  TXLSSystemName name;
  name.builtIn = f.U8(biff8 ? 15 : 14);
  name.sheet = f.U16(biff8 ? 8 : 6);
  if (name.sheet == 0 || (name.builtIn != kBuiltInPrintArea && name.builtIn != kBuiltInPrintTitles &&
                          name.builtIn != kBuiltInFilterDatabase))
    return;
  const bool two = size == (biff8 ? 42u : 61u);
  auto area = [&](size_t at) {
    TXLSSystemName one = name;
    one.order = biff8 ? f.U16(at - 2) : name.sheet;
    if (biff8) {
      one.firstRow = f.U16(at);
      one.lastRow = f.U16(at + 2);
      one.firstColumn = f.U16(at + 4) & 0xFF;
      one.lastColumn = f.U16(at + 6) & 0xFF;
    } else {
      one.firstRow = f.U16(at);
      one.lastRow = f.U16(at + 2);
      one.firstColumn = f.U8(at + 4);
      one.lastColumn = f.U8(at + 5);
    }
    systemNames_.push_back(one);
  };
  if (!two) {
    area(biff8 ? 19 : 30);
  } else {
    area(biff8 ? 22 : 33);
    area(biff8 ? 33 : 54);
  }
}

void TXLSReader::ReadDefinedName(std::span<const uint8_t> data, int32_t ordinal) {
  const TFields f(data);
  const bool biff8 = version_ >= kBiff8;
  const bool hidden = (f.U16(0) & 0x0001) != 0;
  const size_t textLength = f.U8(3);
  const uint16_t formulaLength = f.U16(4);
  // The sheet a local name belongs to, as an identifier; 0 for the workbook.
  int32_t sheetIdentifier = 0;
  IXLSWorkSheets& sheets = *book_.Worksheets();
  if (biff8) {
    if (const uint16_t position = f.U16(8); position > 0) {
      IXLSWorksheet* sheet = sheets.Item(position);
      if (!sheet) return;
      sheetIdentifier = sheet->Identifier();
    }
  } else {
    const int16_t entry = f.I16(6);
    if (entry < 0) return;
    if (entry > 0) {
      const size_t index = static_cast<size_t>(entry) - 1;
      sheetIdentifier = index < externSheetNames_.size() ? book_.IdentifierOfSheetName(externSheetNames_[index]) : -1;
      if (sheetIdentifier <= 0) return;
    }
  }
  size_t at = 14;
  std::u16string text;
  if (biff8) {
    const bool wide = f.U8(at++) & 0x01;
    if (!f.Has(at, wide ? 2 * textLength : textLength)) return;
    text = wide ? WideChars(f.From(at, 2 * textLength), textLength) : Narrow(f.From(at, textLength));
    at += wide ? 2 * textLength : textLength;
  } else {
    if (!f.Has(at, textLength)) return;
    text = Narrow(f.From(at, textLength));
    at += textLength;
  }
  if (text.empty() || !f.Has(at, formulaLength)) return;
  formulaBytes_.Clear();
  formulaBytes_.AddBytes(data.data(), static_cast<uint32_t>(data.size()));
  auto formula = Calculator().DecodeFormulaBytes(formulaBytes_, static_cast<uint32_t>(at), version_, formulaLength);
  if (!formula) return;
  (void)book_.NameStore().AddFromFile(ordinal, text, sheetIdentifier, hidden, std::move(formula));
}

// ---------------------------------------------------------------- worksheets

void TXLSReader::SetFormat(int32_t row, int32_t column, int32_t xf) { sheet_->SetCellFormat(row, column, xf); }

void TXLSReader::SetFormat(TXLSCellRef& cell, int32_t xf) {
  // What SetCellFormat does for a cell that exists, without finding it twice.
  book_.Formats().MoveReference(cell.FormatIndex > 0 ? cell.FormatIndex : 0, xf);
  cell.FormatIndex = xf;
}

bool TXLSReader::IsDateFormat(int32_t xf) {
  if (xf < 0 || xf > 0xFFFF) return book_.Formats().IsXFDateFormat(xf);
  if (static_cast<size_t>(xf) >= dateFormats_.size()) dateFormats_.resize(static_cast<size_t>(xf) + 1, 0);
  uint8_t& known = dateFormats_[static_cast<size_t>(xf)];
  if (known == 0) known = book_.Formats().IsXFDateFormat(xf) ? 1 : 2;
  return known == 1;
}

double TXLSReader::DateCorrected(int32_t row, int32_t column, int32_t xf, double value) {
  if (!date1904_) return value;
  const int32_t format = xf != 0 ? xf : sheet_->EffectiveFormat(row, column);
  return IsDateFormat(format) ? value + k1904Offset : value;
}

TXLSCellRef* TXLSReader::ReadNumber(int32_t row, int32_t column, int32_t xf, double value) {
  TXLSCellRef* cell = sheet_->CellHeap().GetCell(row, column);
  if (!cell) return nullptr;
  if (date1904_) value = DateCorrected(row, column, xf, value);
  if (cell->Kind != ckString && cell->Kind != ckFormula && !cell->HiddenByMerge() && std::isfinite(value)) {
    // The common case stored directly: a finite number into a cell that
    // holds no text or formula to give back.
    cell->Kind = ckNumber;
    cell->Number = value;
  } else {
    sheet_->SetCellValue(cell, TVariant(value));
  }
  SetFormat(*cell, xf);
  return cell;
}

void TXLSReader::ReadText(int32_t row, int32_t column, int32_t xf, std::u16string_view text, int32_t tableIndex) {
  TXLSCellRef* cell = sheet_->CellHeap().GetCell(row, column);
  if (!cell) return;
  if (tableIndex > 0 && cell->Kind != ckString && cell->Kind != ckFormula && !cell->HiddenByMerge() &&
      text.find(u'\n') == std::u16string_view::npos) {
    // A shared string the table already holds: one more reference to its
    // entry, as storing the same text would add. A line break takes the
    // general path, which also sets the cell's wrapping.
    book_.StringTable().ReassignString(0, tableIndex);
    cell->StringIndex = tableIndex;
    cell->Kind = ckString;
  } else if (!text.empty() && !cell->HiddenByMerge()) {
    // The text itself, never a number or formula: an apostrophe in front.
    std::u16string quoted;
    quoted.reserve(text.size() + 1);
    quoted.push_back(u'\'');
    quoted += text;
    sheet_->SetCellValue(cell, TVariant(std::move(quoted)));
  } else {
    sheet_->SetCellValue(cell, TVariant());
  }
  SetFormat(*cell, xf);
}

void TXLSReader::ReadBoolErr(std::span<const uint8_t> data) {
  const TFields f(data);
  const int32_t row = f.U16(0), column = f.U16(2), xf = f.U16(4);
  TXLSCellRef* cell = sheet_->CellHeap().GetCell(row, column);
  if (!cell) return;
  if (f.U8(7) == 0) {
    sheet_->SetCellValue(cell, TVariant(f.U8(6) == 1));
  } else if (!cell->HiddenByMerge()) {
    // The error value is kept as the cell's error code, so that it is
    // written back as it was read.
    sheet_->SetCellValue(cell, TVariant());
    cell->Kind = ckError;
    cell->Number = f.U8(6);
  }
  SetFormat(row, column, xf);
}

void TXLSReader::ReadFormula(std::span<const uint8_t> data) {
  const TFields f(data);
  const int32_t row = f.U16(0), column = f.U16(2), xf = f.U16(4);
  TXLSCellRef* cell = sheet_->CellHeap().GetCell(row, column);
  if (!cell) return;
  if (f.U8(22) == kPtgExp && f.U16(20) == 5) {
    const int32_t masterRow = f.U16(23), masterColumn = f.U16(25);
    if (masterRow == row && masterColumn == column) {
      pendingMasterRow_ = row;
      pendingMasterColumn_ = column;
    } else if (TXLSCellRef* master = sheet_->CellHeap().FindCell(masterRow, masterColumn);
               master && master->Formula() && !cell->HiddenByMerge()) {
      const std::shared_ptr<TXLSCompiledFormula>& masterFormula = master->Extra->Formula;
      std::shared_ptr<TXLSCompiledFormula> formula =
          masterFormula->ArrayFormula() ? TXLSCompiledFormula::ArrayMember(masterFormula, row, column)
                                        : std::shared_ptr<TXLSCompiledFormula>(
                                              masterFormula->CopyWithOffset(row - masterRow, column - masterColumn));
      if (formula) {
        sheet_->SetCellValue(cell, TVariant());
        cell->SetFormula(std::move(formula));
        cell->Kind = ckFormula;
      }
    }
  } else if (!cell->HiddenByMerge()) {
    formulaBytes_.Clear();
    formulaBytes_.AddBytes(data.data(), static_cast<uint32_t>(data.size()));
    if (auto formula = Calculator().DecodeFormulaBytes(formulaBytes_, 20, version_)) {
      sheet_->SetCellValue(cell, TVariant());
      cell->SetFormula(std::move(formula));
      cell->Kind = ckFormula;
    }
  }
  SetFormat(row, column, xf);
  pendingString_ = -1;
  KeepResult(row, column, xf, data);
}

void TXLSReader::KeepResult(int32_t row, int32_t column, int32_t xf, std::span<const uint8_t> data) {
  const TFields f(data);
  TKeptResult result;
  result.sheet = sheet_;
  result.row = row;
  result.column = column;
  if (f.U16(12) != 0xFFFF) {
    result.value = TVariant(DateCorrected(row, column, xf, f.F64(6)));
  } else {
    switch (f.U8(6)) {
      case 0:  // text, in the STRING record that follows
        pendingString_ = static_cast<int32_t>(results_.size());
        break;
      case 1:
        result.value = TVariant(f.U8(8) != 0);
        break;
      case 2:
        result.status = f.U8(8);
        result.value = TVariant::Null();
        break;
      case 3:
        result.value = TVariant(std::u16string());
        break;
      default:
        return;  // no result the engine knows
    }
  }
  results_.push_back(std::move(result));
}

void TXLSReader::ReadString(std::span<const uint8_t> data) {
  if (pendingString_ < 0 || static_cast<size_t>(pendingString_) >= results_.size()) return;
  results_[static_cast<size_t>(pendingString_)].value = TVariant(TextAt(data, 0, 2));
  pendingString_ = -1;
}

void TXLSReader::ReadHyperlink(const TXLSRecordGroup& group, std::span<const uint8_t> data) {
  // A hyperlink continued in CONTINUE records is not read.
  if (group.Pieces().size() != 1) return;
  (void)sheet_->GetHyperlinkList().ReadHyperlinkRecord(data.data(), static_cast<uint32_t>(data.size()));
}

void TXLSReader::ReadSharedFormula(std::span<const uint8_t> data, bool array) {
  const TFields f(data);
  const int32_t firstRow = f.U16(0), lastRow = f.U16(2), firstColumn = f.U8(4), lastColumn = f.U8(5);
  const int32_t row = pendingMasterRow_, column = pendingMasterColumn_;
  pendingMasterRow_ = pendingMasterColumn_ = -1;
  if (row < firstRow || row > lastRow || column < firstColumn || column > lastColumn) return;
  TXLSCellRef* cell = sheet_->CellHeap().FindCell(row, column);
  if (!cell || cell->HiddenByMerge()) return;
  formulaBytes_.Clear();
  formulaBytes_.AddBytes(data.data(), static_cast<uint32_t>(data.size()));
  auto formula = Calculator().DecodeFormulaBytes(formulaBytes_, array ? 12 : 8, version_);
  if (!formula) return;
  if (array) formula->SetArrayMaster(firstRow, firstColumn, lastRow, lastColumn);
  sheet_->SetCellValue(cell, TVariant());
  cell->SetFormula(std::move(formula));
  cell->Kind = ckFormula;
}

void TXLSReader::ReadRow(std::span<const uint8_t> data) {
  const TFields f(data);
  TXLSRowInfo* info = sheet_->RowInfo().Get(f.U16(0));
  if (!info) return;
  const uint16_t height = f.U16(6);
  const uint32_t options = f.U32(12);
  info->Height = height & 0x7FFF;
  info->HeightSet = (height & 0x8000) == 0;
  info->CustomHeight = (options & 0x40) != 0;
  info->OutlineLevel = static_cast<uint8_t>(options & 7);
  info->Hidden = (options & 0x20) != 0;
  if (options & 0x80) sheet_->RowInfo().SetRowFormat(f.U16(0), static_cast<int32_t>((options >> 16) & 0x0FFF));
}

void TXLSReader::ReadColumnInfo(std::span<const uint8_t> data) {
  const TFields f(data);
  const int32_t first = f.U16(0), last = std::min<int32_t>(f.U16(2), kXLSMaxColumn);
  const uint16_t options = f.U16(8);
  for (int32_t column = first; column <= last; ++column) {
    TXLSColumnInfo* info = sheet_->ColumnInfo().Get(column);
    if (!info) continue;
    info->Width = f.U16(4);
    book_.Formats().MoveReference(info->FormatIndex, f.U16(6));
    info->FormatIndex = f.U16(6);
    info->Hidden = (options & 1) != 0;
    info->OutlineLevel = static_cast<uint8_t>((options >> 8) & 7);
  }
}

void TXLSReader::ReadMergedCells(std::span<const uint8_t> data) {
  const TFields f(data);
  const size_t count = std::min<size_t>(f.U16(0), (data.size() - std::min<size_t>(data.size(), 2)) / 8);
  TXLSCellHeap& cells = sheet_->CellHeap();
  for (size_t i = 0; i < count; ++i) {
    const size_t at = 2 + 8 * i;
    const int32_t top = f.U16(at), bottom = f.U16(at + 2);
    const int32_t left = f.U16(at + 4), right = std::min<int32_t>(f.U16(at + 6), kXLSMaxColumn);
    // An area is made of cells; one record of a few bytes must not make a
    // sheet's worth of them.
    const int64_t size = static_cast<int64_t>(bottom - top + 1) * (right - left + 1);
    const int64_t allowance =
        std::clamp(kMergedCellsPerByte * static_cast<int64_t>(stream_.Position()), kMinMergedCells, kMaxMergedCells);
    if (bottom < top || right < left || mergedCellsMade_ + size > allowance) continue;
    mergedCellsMade_ += size;
    // The file leaves out the cells of an area that show the top-left
    // cell's format; made by the merge, they get no format of their own.
    // Areas of a file never overlap: merging one that did would join it
    // with the areas it touches, and a few such records would make an
    // area of the whole sheet, so it is passed over.
    std::vector<std::pair<int32_t, int32_t>> made;
    bool overlaps = false;
    for (int32_t row = top; row <= bottom && !overlaps; ++row) {
      for (int32_t column = left; column <= right; ++column) {
        const TXLSCellRef* cell = cells.FindCell(row, column);
        if (!cell) {
          made.emplace_back(row, column);
        } else if (cell->Merged) {
          overlaps = true;
          break;
        }
      }
    }
    if (overlaps) continue;
    XLSPtr<IXLSRange> range = sheet_->RangeOf(top + 1, left + 1, right + 1, bottom + 1);
    if (range) range->Merge(TVariant(false));
    for (auto [row, column] : made) {
      if (row != top || column != left) sheet_->SetCellFormat(row, column, 0);
    }
  }
}

void TXLSReader::ReadWindow2(std::span<const uint8_t> data) {
  const TFields f(data);
  const uint16_t options = f.U16(0);
  sheet_->SetDisplayGridlines((options & 0x0002) != 0);
  sheet_->SetDisplayZeros((options & 0x0010) != 0);
  sheet_->SetRightToLeft((options & 0x0040) != 0);
  sheet_->SetSelected((options & 0x0200) != 0);
  frozen_ = (options & 0x0008) != 0;
  sheet_->SetFirstVisibleRow(f.U16(2) + 1);
  sheet_->SetFirstVisibleColumn(f.U16(4) + 1);
}

void TXLSReader::ReadPane(std::span<const uint8_t> data) {
  const TFields f(data);
  const int32_t x = f.U16(0), y = f.U16(2), top = f.U16(4), left = f.U16(6);
  if (frozen_) {
    (void)sheet_->FreezePanes(y, x, left, top);
  } else {
    (void)sheet_->SplitPanes(top, left, static_cast<int32_t>(std::lround((x - 390) / 113.879)),
                             static_cast<int32_t>(std::lround((y - 255) / 20.0)));
  }
}

void TXLSReader::ReadSetup(std::span<const uint8_t> data) {
  const TFields f(data);
  TXLSPageSetup& setup = sheet_->PageSetup();
  setup.SetPaperSize(f.U16(0));
  setup.SetZoom(TVariant(static_cast<int32_t>(f.U16(2))));
  setup.SetFitToPagesWide(TVariant(static_cast<int32_t>(f.U16(6))));
  setup.SetFitToPagesTall(TVariant(static_cast<int32_t>(f.U16(8))));
  setup.SetOrientation((f.U16(10) & 0x02) ? kOrientationPortrait : kOrientationLandscape);
  setup.SetHeaderMargin(f.F64(16));
  setup.SetFooterMargin(f.F64(24));
  // Fit-to-pages mode is on exactly when WSBOOL asked for it.
  setup.SetZoom(TVariant(!fitToPage_));
}

void TXLSReader::ReadHeaderFooter(std::span<const uint8_t> data, bool header) {
  if (data.empty()) return;
  std::u16string sections[3];
  SplitSections(TextAt(data, 0, version_ >= kBiff8 ? 2 : 1), sections);
  TXLSPageSetup& setup = sheet_->PageSetup();
  if (header) {
    setup.SetLeftHeader(sections[0]);
    setup.SetCenterHeader(sections[1]);
    setup.SetRightHeader(sections[2]);
  } else {
    setup.SetLeftFooter(sections[0]);
    setup.SetCenterFooter(sections[1]);
    setup.SetRightFooter(sections[2]);
  }
}

void TXLSReader::ReadPageBreaks(std::span<const uint8_t> data, bool horizontal) {
  const TFields f(data);
  const size_t width = version_ >= kBiff8 ? 6 : 2;
  const size_t count = std::min<size_t>(f.U16(0), (data.size() - std::min<size_t>(data.size(), 2)) / width);
  for (size_t i = 0; i < count; ++i) {
    const int32_t position = f.U16(2 + width * i) + 1;
    if (horizontal) {
      sheet_->HPageBreaks().Add(position);
    } else {
      sheet_->VPageBreaks().Add(position);
    }
  }
}

int32_t TXLSReader::ReadWorksheet(uint16_t number, std::span<const uint8_t> data, const TXLSRecordGroup& group) {
  if (!sheet_) return kResultOk;
  const TFields f(data);
  switch (number) {
    case rec::kNumber: {
      const int32_t row = f.U16(0), column = f.U16(2), xf = f.U16(4);
      TXLSCellRef* cell = ReadNumber(row, column, xf, f.F64(6));
      // A date keeps its date kind: NUMBER under a date format.
      if (cell && cell->Kind == ckNumber && IsDateFormat(xf)) cell->Kind = ckDate;
      break;
    }
    case rec::kRK:
      ReadNumber(f.U16(0), f.U16(2), f.U16(4), DecodeRK(f.U32(6)));
      break;
    case rec::kMulRK: {
      const int32_t row = f.U16(0), first = f.U16(2);
      const size_t count = data.size() >= 6 ? (data.size() - 6) / 6 : 0;
      for (size_t i = 0; i < count; ++i) {
        const size_t at = 4 + 6 * i;
        ReadNumber(row, first + static_cast<int32_t>(i), f.U16(at), DecodeRK(f.U32(at + 2)));
      }
      break;
    }
    case rec::kBlank:
      ReadText(f.U16(0), f.U16(2), f.U16(4), {});
      break;
    case rec::kMulBlank: {
      const int32_t row = f.U16(0), first = f.U16(2);
      const size_t count = data.size() >= 6 ? (data.size() - 6) / 2 : 0;
      for (size_t i = 0; i < count; ++i) ReadText(row, first + static_cast<int32_t>(i), f.U16(4 + 2 * i), {});
      break;
    }
    case rec::kBoolErr:
      ReadBoolErr(data);
      break;
    case rec::kLabelSST: {
      const uint32_t index = f.U32(6);
      const int32_t tableIndex = index < strings_.size() ? strings_[index] : 0;
      ReadText(f.U16(0), f.U16(2), f.U16(4),
               tableIndex > 0 ? std::u16string_view(book_.StringTable().GetString(tableIndex)) : std::u16string_view(),
               tableIndex);
      break;
    }
    case rec::kLabel:
    case rec::kRString:
      ReadText(f.U16(0), f.U16(2), f.U16(4), TextAt(data, 6, 2));
      break;
    case rec::kFormula:
    case rec::kFormulaOld:
      ReadFormula(data);
      break;
    case rec::kSharedFormula:
    case rec::kArray:
      ReadSharedFormula(data, number == rec::kArray);
      break;
    case rec::kString:
      ReadString(data);
      break;
    case rec::kMsoDrawing:
    case rec::kObj:
    case rec::kTxo:
    case rec::kNote:
      if (!book_.UserFlag()) ReadDrawingRecord(number, data, group);
      break;
    case rec::kHLink:
      ReadHyperlink(group, data);
      break;
    case kRecCondFmt:
    case kRecCF:
      // Conditional formats and validations exist in BIFF8 files only. A
      // long area list goes on in CONTINUE records: the whole group is read.
      if (version_ >= kBiff8)
        return DrawingObjects(*sheet_).CondFormatter().ReadRecord(number, group.Data(), Calculator());
      break;
    case kRecDVal:
    case kRecDV:
      if (version_ >= kBiff8) {
        TXLSDrawingObjects& objects = DrawingObjects(*sheet_);
        const int32_t result = objects.DataValidator().ReadRecord(number, group.Data(), Calculator());
        // The drop-down list box DVAL names is made again by whoever opens
        // the file: its shape is not kept.
        if (number == kRecDVal && objects.DataValidator().DropDownObject() <= 0xFFFF) {
          if (const TMsoShapeContainer* box =
                  objects.Drawing().FindObject(static_cast<uint16_t>(objects.DataValidator().DropDownObject())))
            objects.Drawing().RemoveShape(box);
        }
        return result;
      }
      break;
    case kRecAutoFilterInfo:
      if (f.U16(0) != 0) DrawingObjects(*sheet_).Autofilter().SetColumnCount(f.U16(0));
      break;
    case kRecAutoFilter:
      if (sheet_->SheetObjects()) return DrawingObjects(*sheet_).Autofilter().ReadAutoFilter(data, version_ >= kBiff8);
      break;
    case rec::kHLinkTooltip:
      if (TXLSCustomHyperlinks* links = sheet_->HyperlinkList()) {
        links->ReadHyperlinkTooltip(data.data(), static_cast<uint32_t>(data.size()));
      }
      break;
    case rec::kRow:
      ReadRow(data);
      break;
    case rec::kColInfo:
      ReadColumnInfo(data);
      break;
    case rec::kDefColWidth:
      // Eight characters is the width every new sheet has.
      if (f.U16(0) != kDefaultColumnCharacters) {
        sheet_->SetStandardWidth(ColumnWidthToCharacters(static_cast<uint16_t>(std::min(f.U16(0) * 296, 0xFFFF))));
      }
      break;
    case rec::kStandardWidth:
      sheet_->SetStandardWidth(ColumnWidthToCharacters(f.U16(0)));
      break;
    case rec::kDefaultRowHeight:
      if (f.U16(2) != 0) sheet_->SetStandardHeight(TwipsToPoints(f.U16(2)));
      break;
    case rec::kMergedCells:
      ReadMergedCells(data);
      break;
    case rec::kWindow2:
      ReadWindow2(data);
      break;
    case rec::kPane:
      ReadPane(data);
      break;
    case rec::kScl:
      if (f.U16(2) != 0) sheet_->SetZoom(TVariant(static_cast<int32_t>(std::lround(100.0 * f.U16(0) / f.U16(2)))));
      break;
    case rec::kWsBool: {
      const uint16_t options = f.U16(0);
      fitToPage_ = (options & kWsBoolFitToPage) != 0;
      sheet_->GetOutline().SetSummaryColumn((options & kWsBoolColumnSummaryRight) ? 1 : 0);
      sheet_->GetOutline().SetSummaryRow((options & kWsBoolRowSummaryBelow) ? 1 : 0);
      break;
    }
    case rec::kSetup:
      ReadSetup(data);
      break;
    case rec::kLeftMargin:
      sheet_->PageSetup().SetLeftMargin(f.F64(0));
      break;
    case rec::kRightMargin:
      sheet_->PageSetup().SetRightMargin(f.F64(0));
      break;
    case rec::kTopMargin:
      sheet_->PageSetup().SetTopMargin(f.F64(0));
      break;
    case rec::kBottomMargin:
      sheet_->PageSetup().SetBottomMargin(f.F64(0));
      break;
    case rec::kHCenter:
      sheet_->PageSetup().SetCenterHorizontally(f.U16(0) == 1);
      break;
    case rec::kVCenter:
      sheet_->PageSetup().SetCenterVertically(f.U16(0) == 1);
      break;
    case rec::kPrintGridlines:
      sheet_->PageSetup().SetPrintGridlines(f.U16(0) == 1);
      break;
    case rec::kPrintHeaders:
      sheet_->PageSetup().SetPrintHeadings(f.U16(0) == 1);
      break;
    case rec::kHeader:
    case rec::kFooter:
      ReadHeaderFooter(data, number == rec::kHeader);
      break;
    case rec::kHPageBreaks:
    case rec::kVPageBreaks:
      ReadPageBreaks(data, number == rec::kHPageBreaks);
      break;
    case rec::kProtect:
      if (f.U16(0) == 1) sheet_->Protection().SetProtected(true);
      break;
    case rec::kPassword:
      sheet_->Protection().SetPasswordHash(f.U16(0));
      break;
    case rec::kSheetProtection:
      if (data.size() > 22) sheet_->Protection().SetOptions(f.U16(19));
      break;
    case rec::kExternSheet:
      ReadExternSheet(data);
      break;
    default:
      break;
  }
  return kResultOk;
}

// ---------------------------------------------------------------- finishing

void TXLSReader::Finish() {
  IXLSWorkSheets& sheets = *book_.Worksheets();
  // Each formula reports the result its file holds until the workbook
  // changes and it is calculated again.
  const int32_t generation = book_.Generation();
  for (const TKeptResult& result : results_) {
    const TXLSCellRef* cell = result.sheet->CellHeap().FindCell(result.row, result.column);
    const TXLSCompiledFormula* formula = cell ? cell->Formula() : nullptr;
    if (!formula) continue;
    TXLSCalcState& state = formula->CalcState();
    state.value = result.value;
    state.status = result.status;
    state.generation = generation;
    state.sheet = result.sheet->Index();
    state.row = result.row;
    state.column = result.column;
  }
  results_.clear();
  if (IXLSWorksheet* first = sheets.Item(firstVisibleTab_ + 1)) first->MakeFirstVisibleTab();
  if (IXLSWorksheet* active = sheets.Item(activeTab_ + 1)) active->Activate();
  std::stable_sort(systemNames_.begin(), systemNames_.end(),
                   [](const TXLSSystemName& a, const TXLSSystemName& b) { return a.order < b.order; });
  for (const TXLSSystemName& name : systemNames_) {
    IXLSWorksheet* sheet = sheets.Item(name.sheet);
    if (!sheet) continue;
    if (name.builtIn == kBuiltInFilterDatabase) {
      // The block of the sheet's autofilter, when the sheet has one.
      if (sheet->SheetObjects())
        DrawingObjects(*sheet).Autofilter().SetBounds(name.firstRow + 1, name.firstColumn + 1, name.lastColumn + 1,
                                                      name.lastRow + 1);
      continue;
    }
    TXLSPageSetup& setup = sheet->PageSetup();
    if (name.builtIn == kBuiltInPrintArea) {
      setup.SetPrintAreaCells(name.firstRow, name.firstColumn, name.lastColumn, name.lastRow);
    } else if (name.firstColumn == 0 && name.lastColumn == kXLSMaxColumn) {
      setup.SetPrintTitleRows(WideToAnsi(u"$" + AsciiToWide(std::to_string(name.firstRow + 1)) + u":$" +
                                         AsciiToWide(std::to_string(name.lastRow + 1))));
    } else {
      setup.SetPrintTitleColumns(
          WideToAnsi(u"$" + ColumnLetters(name.firstColumn + 1) + u":$" + ColumnLetters(name.lastColumn + 1)));
    }
  }
}

int32_t OpenWorkbook(TXLSWorkbook& book, const WideString& fileName, TStream* stream, const AnsiString* password) {
  TXLSReader reader(book, password ? AnsiToWide(*password) : std::u16string());
  const int32_t result = stream ? reader.ReadStream(*stream) : reader.ReadFile(fileName);
  if (result == kResultOk) book.NoteFileRead(reader.FileFormat(), stream ? WideString() : fileName);
  return result;
}

}  // namespace lx

namespace lx {

void TXLSReader::ReadDrawingRecord(uint16_t number, std::span<const uint8_t> data, const TXLSRecordGroup& group) {
  const TFields f(data);
  if (number == rec::kNote && version_ < kBiff8) {
    // BIFF5 keeps a comment's text in its NOTE record; no drawing.
    TMsoShapeContainer& box = DrawingObjects(*sheet_).Drawing().AddCommentBox(f.U16(0), f.U16(2));
    box.SetText(Narrow(f.From(6, f.U16(4))));
    return;
  }
  if (version_ < kBiff8) return;
  // A drawing that turns out malformed is dropped whole by the drawing layer;
  // its later records are ignored and the rest of the sheet reads on.
  TMsoDrawing& drawing = DrawingObjects(*sheet_).Drawing();
  switch (number) {
    case rec::kMsoDrawing:
      (void)drawing.ReadDrawingData(group.Data());
      break;
    case rec::kObj:
      (void)drawing.ReadObjRecord(group.Data());
      break;
    case rec::kTxo: {
      std::vector<std::span<const uint8_t>> pieces;
      for (const TXLSRecordPiece& piece : group.Pieces())
        pieces.push_back(group.Data().subspan(piece.Offset, piece.Length));
      // Texts of a workbook protected with a password, and not encrypted,
      // were scrambled when written.
      const TXLSProtect& protection = book_.Protection();
      const bool scrambled = protection.Protected() && protection.PasswordHashValue() != 0 && !stream_.Decrypting();
      (void)drawing.ReadTxoRecord(pieces, scrambled);
      break;
    }
    default: {
      // NOTE: row, column, flags, object identifier, author.
      std::u16string author = TextAt(data, 8, 2);
      (void)drawing.ReadNoteRecord(f.U16(0), f.U16(2), f.U16(4), f.U16(6), std::move(author));
      break;
    }
  }
}

}  // namespace lx
