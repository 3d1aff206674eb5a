// Record builders of the page setup: the print records of the worksheet
// substream and the built-in NAME records of the print area and titles.
#include <algorithm>

#include "lxCodePage.h"
#include "lxConstants.h"
#include "lxExternSheet.h"
#include "lxPageSetup.h"

namespace lx {

namespace {

constexpr uint16_t kSetupFirstPageNumber = 1;
constexpr uint16_t kSetupResolution = 600;
constexpr uint16_t kSetupCopies = 1;
constexpr uint16_t kSetupPortraitBit = 0x0002;
constexpr uint8_t kStringUtf16 = 0x01;
constexpr uint8_t kStringCompressed = 0x00;

// Formula tokens of the built-in names.
constexpr uint8_t kTokenArea3dReference = 0x3B;
constexpr uint8_t kTokenMemFunc = 0x29;
constexpr uint8_t kTokenList = 0x10;
constexpr uint32_t kArea3dSizeBiff8 = 11;
constexpr uint32_t kArea3dSizeBiff5 = 21;
// BIFF5 tArea3d carries eight reserved bytes after its EXTERNSHEET number;
// their last two bytes differ between a lone area and the areas of a union.
constexpr uint8_t kArea3dReservedSingle[] = {0x00, 0x00, 0x00, 0x00, 0x87, 0x10, 0x05, 0x80};
constexpr uint8_t kArea3dReservedUnion[] = {0x00, 0x00, 0x00, 0x00, 0x87, 0x10, 0x08, 0x80};
// NAME fields before the name text: options, shortcut, name length, formula
// size, ixals, itab and the four text lengths.
constexpr uint32_t kNameFixedSize = 14;
constexpr int32_t kLastRowBiff8 = 65535;
// BIFF5 references keep the row in 14 bits (the top bits flag relative
// references), so rows stop at 16383.
constexpr int32_t kLastRowBiff5 = 16383;
constexpr int32_t kLastColumn = 255;

std::unique_ptr<TXLSBlob> DoubleRecord(uint16_t number, double value) {
  auto blob = NewRecord(number, 8);
  blob->AddDouble(value);
  return blob;
}

void AddArea3d(TXLSBlob& blob, const TXLSNameArea& area, int32_t sheetPosition, int32_t refIndex, bool biff8,
               const uint8_t (&reserved)[8]) {
  blob.AddByte(kTokenArea3dReference);
  if (biff8) {
    blob.AddWord(static_cast<uint16_t>(refIndex - 1));
    blob.AddWord(static_cast<uint16_t>(area.firstRow));
    blob.AddWord(static_cast<uint16_t>(area.lastRow));
    blob.AddWord(static_cast<uint16_t>(area.firstColumn));
    blob.AddWord(static_cast<uint16_t>(area.lastColumn));
    return;
  }
  blob.AddWord(static_cast<uint16_t>(-sheetPosition));
  blob.AddBytes(reserved, sizeof reserved);
  blob.AddWord(static_cast<uint16_t>(sheetPosition - 1));
  blob.AddWord(static_cast<uint16_t>(sheetPosition - 1));
  blob.AddWord(static_cast<uint16_t>(std::min(area.firstRow, kLastRowBiff5)));
  blob.AddWord(static_cast<uint16_t>(std::min(area.lastRow, kLastRowBiff5)));
  blob.AddByte(static_cast<uint8_t>(area.firstColumn));
  blob.AddByte(static_cast<uint8_t>(area.lastColumn));
}

int32_t PrintNameRefIndex(const TXLSPageSetup& setup, const TlxExternSheetSheet& externSheets, bool biff8) {
  if (!biff8) return 0;
  const int32_t refIndex = externSheets.RefIndex(setup.ExternSheetIndex());
  return refIndex >= 1 ? refIndex : kResultFail;
}

}  // namespace

std::unique_ptr<TXLSBlob> BuildPrintHeadersRecord(const TXLSPageSetup& setup) {
  return WordRecord(kRecPrintHeaders, setup.PrintHeadings() ? 1 : 0);
}

std::unique_ptr<TXLSBlob> BuildPrintGridlinesRecord(const TXLSPageSetup& setup) {
  return WordRecord(kRecPrintGridlines, setup.PrintGridlines() ? 1 : 0);
}

std::unique_ptr<TXLSBlob> BuildGridSetRecord(const TXLSPageSetup& setup) {
  // GRIDSET is 0 while gridlines print and 1 once printing them is off.
  return WordRecord(kRecGridSet, setup.PrintGridlines() ? 0 : 1);
}

std::unique_ptr<TXLSBlob> BuildSetupRecord(const TXLSPageSetup& setup) {
  auto blob = NewRecord(kRecSetup, kSetupPayload);
  blob->AddWord(setup.StoredPaperSize());
  blob->AddWord(setup.Scale());
  blob->AddWord(kSetupFirstPageNumber);
  blob->AddWord(setup.FitWide());
  blob->AddWord(setup.FitTall());
  blob->AddWord(setup.Portrait() ? kSetupPortraitBit : 0);
  blob->AddWord(kSetupResolution);
  blob->AddWord(kSetupResolution);
  blob->AddDouble(setup.HeaderMargin());
  blob->AddDouble(setup.FooterMargin());
  blob->AddWord(kSetupCopies);
  return blob;
}

std::vector<std::unique_ptr<TXLSBlob>> BuildMarginRecords(const TXLSPageSetup& setup) {
  std::vector<std::unique_ptr<TXLSBlob>> records;
  records.push_back(DoubleRecord(kRecBottomMargin, setup.BottomMargin()));
  records.push_back(DoubleRecord(kRecTopMargin, setup.TopMargin()));
  records.push_back(DoubleRecord(kRecRightMargin, setup.RightMargin()));
  records.push_back(DoubleRecord(kRecLeftMargin, setup.LeftMargin()));
  return records;
}

std::vector<std::unique_ptr<TXLSBlob>> BuildCenterRecords(const TXLSPageSetup& setup) {
  std::vector<std::unique_ptr<TXLSBlob>> records;
  records.push_back(WordRecord(kRecVCenter, setup.CenterVertically() ? 1 : 0));
  records.push_back(WordRecord(kRecHCenter, setup.CenterHorizontally() ? 1 : 0));
  return records;
}

std::unique_ptr<TXLSBlob> BuildHeaderFooterRecord(uint16_t recordNumber, std::u16string_view text, bool biff8) {
  if (biff8) {
    const std::u16string_view kept = text.substr(0, std::min<size_t>(text.size(), kMaxHeaderFooterLength));
    const uint32_t payload = 3 + 2 * static_cast<uint32_t>(kept.size());
    auto blob = NewRecord(recordNumber, payload);
    blob->AddWord(static_cast<uint16_t>(kept.size()));
    blob->AddByte(kStringUtf16);
    blob->AddWide(kept);
    return blob;
  }
  std::string ansi = WideToAnsi(text);
  if (ansi.size() > kMaxHeaderFooterLength) ansi.resize(kMaxHeaderFooterLength);
  const uint32_t payload = 1 + static_cast<uint32_t>(ansi.size());
  auto blob = NewRecord(recordNumber, payload);
  blob->AddByte(static_cast<uint8_t>(ansi.size()));
  blob->AddAnsi(ansi);
  return blob;
}

std::vector<std::unique_ptr<TXLSBlob>> BuildHeaderFooterRecords(const TXLSPageSetup& setup, bool biff8) {
  std::vector<std::unique_ptr<TXLSBlob>> records;
  records.push_back(BuildHeaderFooterRecord(kRecFooter, setup.FooterText(), biff8));
  records.push_back(BuildHeaderFooterRecord(kRecHeader, setup.HeaderText(), biff8));
  return records;
}

std::unique_ptr<TXLSBlob> BuildBuiltInName(uint8_t code, uint16_t options, int32_t sheetPosition, int32_t refIndex,
                                           const std::vector<TXLSNameArea>& areas, bool biff8) {
  if (areas.empty() || areas.size() > 2) return nullptr;
  const bool isUnion = areas.size() == 2;
  const uint32_t areaSize = biff8 ? kArea3dSizeBiff8 : kArea3dSizeBiff5;
  // A union is tMemFunc (token, 16-bit size of what it covers), the areas
  // and tList.
  const uint32_t unionContent = 2 * areaSize + 1;
  const uint32_t formulaSize = isUnion ? 3 + unionContent : areaSize;
  const uint32_t payload = kNameFixedSize + (biff8 ? 1 : 0) + 1 + formulaSize;
  auto blob = NewRecord(kRecName, payload);
  blob->AddWord(options);
  blob->AddByte(0);  // keyboard shortcut
  blob->AddByte(1);  // the name is the one code character
  blob->AddWord(static_cast<uint16_t>(formulaSize));
  blob->AddWord(biff8 ? 0 : static_cast<uint16_t>(sheetPosition));
  blob->AddWord(static_cast<uint16_t>(sheetPosition));
  blob->AddDWord(0);  // menu, description, help and status text lengths
  if (biff8) blob->AddByte(kStringCompressed);
  blob->AddByte(code);
  if (isUnion) {
    blob->AddByte(kTokenMemFunc);
    blob->AddWord(static_cast<uint16_t>(unionContent));
    AddArea3d(*blob, areas[0], sheetPosition, refIndex, biff8, kArea3dReservedUnion);
    AddArea3d(*blob, areas[1], sheetPosition, refIndex, biff8, kArea3dReservedUnion);
    blob->AddByte(kTokenList);
  } else {
    AddArea3d(*blob, areas[0], sheetPosition, refIndex, biff8, kArea3dReservedSingle);
  }
  return blob;
}

int32_t BuildPrintAreaName(const TXLSPageSetup& setup, const TlxExternSheetSheet& externSheets, int32_t sheetPosition,
                           bool biff8, std::unique_ptr<TXLSBlob>& record) {
  record.reset();
  if (!setup.HasPrintArea()) return kResultOk;
  const int32_t refIndex = PrintNameRefIndex(setup, externSheets, biff8);
  if (refIndex == kResultFail) return kResultFail;
  const TXLSNameArea area{setup.PrintAreaFirstRow(), setup.PrintAreaLastRow(), setup.PrintAreaFirstColumn(),
                          setup.PrintAreaLastColumn()};
  record = BuildBuiltInName(kBuiltInPrintArea, kNameOptionBuiltIn, sheetPosition, refIndex, {area}, biff8);
  return kResultOk;
}

int32_t BuildPrintTitlesName(const TXLSPageSetup& setup, const TlxExternSheetSheet& externSheets, int32_t sheetPosition,
                             bool biff8, std::unique_ptr<TXLSBlob>& record) {
  record.reset();
  if (!setup.HasPrintTitles()) return kResultOk;
  const int32_t refIndex = PrintNameRefIndex(setup, externSheets, biff8);
  if (refIndex == kResultFail) return kResultFail;
  const int32_t lastRow = biff8 ? kLastRowBiff8 : kLastRowBiff5;
  std::vector<TXLSNameArea> areas;
  if (setup.TitleFirstColumn() > 0) {
    areas.push_back({0, lastRow, setup.TitleFirstColumn() - 1, setup.TitleLastColumn() - 1});
  }
  if (setup.TitleFirstRow() > 0) {
    areas.push_back({setup.TitleFirstRow() - 1, setup.TitleLastRow() - 1, 0, kLastColumn});
  }
  record = BuildBuiltInName(kBuiltInPrintTitles, kNameOptionBuiltIn, sheetPosition, refIndex, areas, biff8);
  return kResultOk;
}

}  // namespace lx
