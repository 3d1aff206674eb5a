// Page setup of a worksheet: paper, margins, scaling, header and footer,
// print area and print titles.
//
// Every worksheet creates one TXLSPageSetup with itself and hands it out as
// IXLSPageSetup. The object only stores settings; the worksheet writer turns
// them into the print records of the sheet substream (SETUP, the margins,
// HEADER and FOOTER, ...) with the builders declared below, and the
// workbook-globals writer turns the print area and titles into built-in NAME
// records, which refer to the sheet through its own entry of the workbook's
// external-sheet table (lxExternSheet.h). The page setup learns that entry the
// first time a print area or title is set, by calling the source the
// worksheet gives it, so the entry exists before the save numbers the table.
//
// Zoom and the fit-to-pages counts are variant properties that read and take
// either a boolean or a number: false for fit-to-page mode, or a percentage
// or page count.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "lxBLOB.h"
#include "lxObject.h"
#include "lxText.h"
#include "lxVariant.h"

namespace lx {

class TlxExternSheetSheet;

// Record number of HEADER (the page header text).
inline constexpr uint16_t kRecHeader = 0x0014;
// Record number of FOOTER (the page footer text).
inline constexpr uint16_t kRecFooter = 0x0015;
// Record number of LEFTMARGIN.
inline constexpr uint16_t kRecLeftMargin = 0x0026;
// Record number of RIGHTMARGIN.
inline constexpr uint16_t kRecRightMargin = 0x0027;
// Record number of TOPMARGIN.
inline constexpr uint16_t kRecTopMargin = 0x0028;
// Record number of BOTTOMMARGIN.
inline constexpr uint16_t kRecBottomMargin = 0x0029;
// Record number of PRINTHEADERS (print row and column headings).
inline constexpr uint16_t kRecPrintHeaders = 0x002A;
// Record number of PRINTGRIDLINES.
inline constexpr uint16_t kRecPrintGridlines = 0x002B;
// Record number of GRIDSET (gridline printing was changed).
inline constexpr uint16_t kRecGridSet = 0x0082;
// Record number of HCENTER (centre horizontally on the page).
inline constexpr uint16_t kRecHCenter = 0x0083;
// Record number of VCENTER (centre vertically on the page).
inline constexpr uint16_t kRecVCenter = 0x0084;
// Record number of SETUP (paper, scaling, orientation, header and footer margins).
inline constexpr uint16_t kRecSetup = 0x00A1;
// Record number of NAME (a defined name).
inline constexpr uint16_t kRecName = 0x0018;

// Payload size of SETUP in bytes.
inline constexpr uint16_t kSetupPayload = 34;
inline constexpr uint16_t kPaperSizeNotSet = 256;  // what PaperSize reads for a stored 0
// Orientation(): portrait.
inline constexpr int32_t kOrientationPortrait = 1;
// Orientation(): landscape.
inline constexpr int32_t kOrientationLandscape = 2;
// The smallest print scale in percent.
inline constexpr int32_t kZoomMin = 10;
// The largest print scale in percent.
inline constexpr int32_t kZoomMax = 400;
// Header and footer texts are limited to 255 characters by the file format.
inline constexpr uint32_t kMaxHeaderFooterLength = 255;

// Built-in name codes and NAME options.
inline constexpr uint8_t kBuiltInPrintArea = 0x06;
// Built-in name code of Print_Titles.
inline constexpr uint8_t kBuiltInPrintTitles = 0x07;
// Built-in name code of _FilterDatabase (the autofilter range).
inline constexpr uint8_t kBuiltInFilterDatabase = 0x0D;
// NAME option: the name is hidden.
inline constexpr uint16_t kNameOptionHidden = 0x0001;
// NAME option: a built-in name.
inline constexpr uint16_t kNameOptionBuiltIn = 0x0020;

// The page-setup interface, operations in slot order after the three
// reference-counting slots: reads (3-26), writes (27-50), SetPrintAreaCells
// (51). Margins are in inches.
class IXLSPageSetup : public IXLSUnknown {
 public:
  // The interface identifier, for QueryInterface.
  static constexpr TXLSGuid kIID{0x6A3E1F40, 0x2B7C, 0x4D11, {0x9E, 0x5A, 0x31, 0xC4, 0x08, 0x77, 0x12, 0x4B}};

  // kOrientationPortrait or kOrientationLandscape.
  virtual int32_t Orientation() const = 0;
  // The paper size code (9 is A4, 1 Letter); kPaperSizeNotSet when none is stored.
  virtual int32_t PaperSize() const = 0;
  // The bottom margin in inches.
  virtual double BottomMargin() const = 0;
  // The middle part of the page footer.
  virtual std::u16string CenterFooter() const = 0;
  // The middle part of the page header.
  virtual std::u16string CenterHeader() const = 0;
  // Whether the sheet is centred between the side margins.
  virtual bool CenterHorizontally() const = 0;
  // Whether the sheet is centred between the top and bottom margins.
  virtual bool CenterVertically() const = 0;
  // The count (32-bit integer), or the boolean false when it is 0.
  virtual TVariant FitToPagesTall() const = 0;
  // As FitToPagesTall, for the number of pages across.
  virtual TVariant FitToPagesWide() const = 0;
  // The distance of the footer from the page's bottom edge, in inches.
  virtual double FooterMargin() const = 0;
  // The distance of the header from the page's top edge, in inches.
  virtual double HeaderMargin() const = 0;
  // The left part of the page footer.
  virtual std::u16string LeftFooter() const = 0;
  // The left part of the page header.
  virtual std::u16string LeftHeader() const = 0;
  // The left margin in inches.
  virtual double LeftMargin() const = 0;
  // The print area as a reference text ("A1:C20"), empty when none.
  virtual std::string PrintArea() const = 0;
  // Whether gridlines are printed.
  virtual bool PrintGridlines() const = 0;
  // Whether row numbers and column letters are printed.
  virtual bool PrintHeadings() const = 0;
  // The title reads also make sure the sheet's external-sheet entry exists.
  virtual std::string PrintTitleColumns() = 0;
  // The rows repeated on every page as a reference text ("$1:$2"), empty when none.
  virtual std::string PrintTitleRows() = 0;
  // The right part of the page footer.
  virtual std::u16string RightFooter() const = 0;
  // The right part of the page header.
  virtual std::u16string RightHeader() const = 0;
  // The right margin in inches.
  virtual double RightMargin() const = 0;
  // The top margin in inches.
  virtual double TopMargin() const = 0;
  // The boolean false in fit-to-page mode, else the scale (32-bit integer).
  virtual TVariant Zoom() const = 0;

  // Sets kOrientationPortrait or kOrientationLandscape.
  virtual void SetOrientation(int32_t value) = 0;
  // Sets the paper size code.
  virtual void SetPaperSize(int32_t value) = 0;
  // Sets the bottom margin in inches.
  virtual void SetBottomMargin(double value) = 0;
  // Sets the middle part of the footer.
  virtual void SetCenterFooter(std::u16string_view value) = 0;
  // Sets the middle part of the header.
  virtual void SetCenterHeader(std::u16string_view value) = 0;
  // Centres the sheet between the side margins or not.
  virtual void SetCenterHorizontally(bool value) = 0;
  // Centres the sheet between the top and bottom margins or not.
  virtual void SetCenterVertically(bool value) = 0;
  // Booleans and numbers are taken; other variants are ignored.
  virtual void SetFitToPagesTall(const TVariant& value) = 0;
  // As SetFitToPagesTall, for the number of pages across.
  virtual void SetFitToPagesWide(const TVariant& value) = 0;
  // Sets the footer's distance from the bottom edge in inches.
  virtual void SetFooterMargin(double value) = 0;
  // Sets the header's distance from the top edge in inches.
  virtual void SetHeaderMargin(double value) = 0;
  // Sets the left part of the footer.
  virtual void SetLeftFooter(std::u16string_view value) = 0;
  // Sets the left part of the header.
  virtual void SetLeftHeader(std::u16string_view value) = 0;
  // Sets the left margin in inches.
  virtual void SetLeftMargin(double value) = 0;
  // Sets the print area from a reference text ("A1:C20", corners in any order); empty removes it, text that does not
  // parse is ignored.
  virtual void SetPrintArea(std::string_view value) = 0;
  // Prints the gridlines or not.
  virtual void SetPrintGridlines(bool value) = 0;
  // Prints row numbers and column letters or not.
  virtual void SetPrintHeadings(bool value) = 0;
  // Sets the columns repeated on every page ("$A:$B"); empty removes them.
  virtual void SetPrintTitleColumns(std::string_view value) = 0;
  // Sets the rows repeated on every page ("$1:$2"); empty removes them.
  virtual void SetPrintTitleRows(std::string_view value) = 0;
  // Sets the right part of the footer.
  virtual void SetRightFooter(std::u16string_view value) = 0;
  // Sets the right part of the header.
  virtual void SetRightHeader(std::u16string_view value) = 0;
  // Sets the right margin in inches.
  virtual void SetRightMargin(double value) = 0;
  // Sets the top margin in inches.
  virtual void SetTopMargin(double value) = 0;
  // Sets the print scale in percent (kZoomMin..kZoomMax), or false for fit-to-page mode.
  virtual void SetZoom(const TVariant& value) = 0;
  // 0-based cells; accepted only when first <= last both ways and the last
  // row and column are within 65535 and 255.
  virtual void SetPrintAreaCells(int32_t firstRow, int32_t firstColumn, int32_t lastColumn, int32_t lastRow) = 0;

 protected:
  ~IXLSPageSetup() = default;
};

class IXLSWorksheet;

class TXLSPageSetup final : public TXLSInterfaced<IXLSPageSetup> {
 public:
  // Gives the index of the sheet's own external-sheet entry (first and last
  // sheet both this sheet), creating the entry when missing; <= 0 when it
  // cannot be had.
  using TExternSheetSource = std::function<int32_t()>;

  // worksheet: the owning sheet (not owned; may be null).
  explicit TXLSPageSetup(IXLSWorksheet* worksheet = nullptr, TExternSheetSource externSheetSource = {});

  int32_t Orientation() const override { return portrait_ ? kOrientationPortrait : kOrientationLandscape; }
  int32_t PaperSize() const override { return paperSize_ == 0 ? kPaperSizeNotSet : paperSize_; }
  double BottomMargin() const override { return bottomMargin_; }
  std::u16string CenterFooter() const override { return centerFooter_; }
  std::u16string CenterHeader() const override { return centerHeader_; }
  bool CenterHorizontally() const override { return centerHorizontally_ != 0; }
  bool CenterVertically() const override { return centerVertically_ != 0; }
  TVariant FitToPagesTall() const override;
  TVariant FitToPagesWide() const override;
  double FooterMargin() const override { return footerMargin_; }
  double HeaderMargin() const override { return headerMargin_; }
  std::u16string LeftFooter() const override { return leftFooter_; }
  std::u16string LeftHeader() const override { return leftHeader_; }
  double LeftMargin() const override { return leftMargin_; }
  std::string PrintArea() const override { return printAreaText_; }
  bool PrintGridlines() const override { return printGridlines_ != 0; }
  bool PrintHeadings() const override { return printHeadings_ != 0; }
  std::string PrintTitleColumns() override;
  std::string PrintTitleRows() override;
  std::u16string RightFooter() const override { return rightFooter_; }
  std::u16string RightHeader() const override { return rightHeader_; }
  double RightMargin() const override { return rightMargin_; }
  double TopMargin() const override { return topMargin_; }
  TVariant Zoom() const override;

  void SetOrientation(int32_t value) override;
  void SetPaperSize(int32_t value) override;
  void SetBottomMargin(double value) override { bottomMargin_ = value; }
  void SetCenterFooter(std::u16string_view value) override { centerFooter_ = ReplaceLoneSurrogates(value); }
  void SetCenterHeader(std::u16string_view value) override { centerHeader_ = ReplaceLoneSurrogates(value); }
  void SetCenterHorizontally(bool value) override { centerHorizontally_ = value ? 1 : 0; }
  void SetCenterVertically(bool value) override { centerVertically_ = value ? 1 : 0; }
  void SetFitToPagesTall(const TVariant& value) override { SetFitCount(fitTall_, value); }
  void SetFitToPagesWide(const TVariant& value) override { SetFitCount(fitWide_, value); }
  void SetFooterMargin(double value) override { footerMargin_ = value; }
  void SetHeaderMargin(double value) override { headerMargin_ = value; }
  void SetLeftFooter(std::u16string_view value) override { leftFooter_ = ReplaceLoneSurrogates(value); }
  void SetLeftHeader(std::u16string_view value) override { leftHeader_ = ReplaceLoneSurrogates(value); }
  void SetLeftMargin(double value) override { leftMargin_ = value; }
  // Empty text removes the print area; text that is not two cell names
  // joined by ":" changes nothing.
  void SetPrintArea(std::string_view value) override;
  void SetPrintGridlines(bool value) override { printGridlines_ = value ? 1 : 0; }
  void SetPrintHeadings(bool value) override { printHeadings_ = value ? 1 : 0; }
  // Column span such as $A:$C, row span such as $1:$3; empty text removes
  // the titles of that direction, text that does not parse changes nothing.
  void SetPrintTitleColumns(std::string_view value) override;
  void SetPrintTitleRows(std::string_view value) override;
  void SetRightFooter(std::u16string_view value) override { rightFooter_ = ReplaceLoneSurrogates(value); }
  void SetRightHeader(std::u16string_view value) override { rightHeader_ = ReplaceLoneSurrogates(value); }
  void SetRightMargin(double value) override { rightMargin_ = value; }
  void SetTopMargin(double value) override { topMargin_ = value; }
  void SetZoom(const TVariant& value) override;
  void SetPrintAreaCells(int32_t firstRow, int32_t firstColumn, int32_t lastColumn, int32_t lastRow) override;

  // Plain state for the writers and the reader.
  IXLSWorksheet* Worksheet() const { return worksheet_; }
  void SetExternSheetSource(TExternSheetSource source) { externSheetSource_ = std::move(source); }
  bool Portrait() const { return portrait_; }
  uint16_t StoredPaperSize() const { return paperSize_; }
  uint16_t Scale() const { return scale_; }
  bool FitToPage() const { return fitToPage_; }
  uint16_t FitWide() const { return fitWide_; }
  uint16_t FitTall() const { return fitTall_; }
  bool HasPrintArea() const { return printFirstRow_ >= 0; }
  int32_t PrintAreaFirstRow() const { return printFirstRow_; }
  int32_t PrintAreaLastRow() const { return printLastRow_; }
  int32_t PrintAreaFirstColumn() const { return printFirstColumn_; }
  int32_t PrintAreaLastColumn() const { return printLastColumn_; }
  // 1-based; 0 when not set.
  int32_t TitleFirstColumn() const { return titleFirstColumn_; }
  int32_t TitleLastColumn() const { return titleLastColumn_; }
  int32_t TitleFirstRow() const { return titleFirstRow_; }
  int32_t TitleLastRow() const { return titleLastRow_; }
  bool HasPrintTitles() const { return titleFirstColumn_ > 0 || titleFirstRow_ > 0; }
  // The sheet's own external-sheet entry; -1 until a print area or title
  // asked for it.
  int32_t ExternSheetIndex() const { return externSheetIndex_; }
  void SetExternSheetIndex(int32_t value) { externSheetIndex_ = value; }

  // "&L" left "&C" centre "&R" right, leaving out empty parts.
  std::u16string HeaderText() const;
  std::u16string FooterText() const;

 private:
  void SetFitCount(uint16_t& count, const TVariant& value);
  void EnsureExternSheet();

  IXLSWorksheet* worksheet_;
  TExternSheetSource externSheetSource_;
  int32_t printFirstRow_ = -1;
  int32_t printLastRow_ = -1;
  int32_t printFirstColumn_ = -1;
  int32_t printLastColumn_ = -1;
  std::string printAreaText_;
  bool portrait_ = true;
  uint16_t paperSize_ = 0;
  uint8_t printGridlines_ = 1;
  uint8_t centerHorizontally_ = 0;
  uint8_t centerVertically_ = 0;
  uint8_t printHeadings_ = 0;
  double headerMargin_ = 0.5;
  double footerMargin_ = 0.5;
  double bottomMargin_ = 1.0;
  double topMargin_ = 1.0;
  double leftMargin_ = 0.75;
  double rightMargin_ = 0.75;
  std::u16string leftHeader_, centerHeader_, rightHeader_;
  std::u16string leftFooter_, centerFooter_, rightFooter_;
  int32_t titleFirstColumn_ = 0;
  int32_t titleLastColumn_ = 0;
  int32_t titleFirstRow_ = 0;
  int32_t titleLastRow_ = 0;
  uint16_t fitWide_ = 0;
  uint16_t fitTall_ = 0;
  uint16_t scale_ = 100;
  bool fitToPage_ = false;
  int32_t externSheetIndex_ = -1;
};

// Worksheet records of the page setup (BIFF5 and BIFF8 alike unless a
// version is asked for). Lists come in writing order.
std::unique_ptr<TXLSBlob> BuildPrintHeadersRecord(const TXLSPageSetup& setup);
// PRINTGRIDLINES of a sheet.
std::unique_ptr<TXLSBlob> BuildPrintGridlinesRecord(const TXLSPageSetup& setup);
// GRIDSET of a sheet.
std::unique_ptr<TXLSBlob> BuildGridSetRecord(const TXLSPageSetup& setup);
// SETUP of a sheet.
std::unique_ptr<TXLSBlob> BuildSetupRecord(const TXLSPageSetup& setup);
// BOTTOMMARGIN, TOPMARGIN, RIGHTMARGIN, LEFTMARGIN.
std::vector<std::unique_ptr<TXLSBlob>> BuildMarginRecords(const TXLSPageSetup& setup);
// VCENTER, HCENTER.
std::vector<std::unique_ptr<TXLSBlob>> BuildCenterRecords(const TXLSPageSetup& setup);
// FOOTER, HEADER; written also when their text is empty.
std::vector<std::unique_ptr<TXLSBlob>> BuildHeaderFooterRecords(const TXLSPageSetup& setup, bool biff8);
// One HEADER or FOOTER record (recordNumber kRecHeader or kRecFooter) with its text.
std::unique_ptr<TXLSBlob> BuildHeaderFooterRecord(uint16_t recordNumber, std::u16string_view text, bool biff8);

// A rectangle of a built-in name, 0-based and inclusive.
struct TXLSNameArea {
  // First row, 0-based.
  int32_t firstRow = 0;
  // Last row, 0-based.
  int32_t lastRow = 0;
  // First column, 0-based.
  int32_t firstColumn = 0;
  // Last column, 0-based.
  int32_t lastColumn = 0;
};

// Built-in NAME record over one area, or over the union of two areas.
// sheetPosition is the sheet's 1-based position; refIndex (BIFF8 only) the
// REF index of the sheet's own external-sheet entry. Null when areas holds
// neither one nor two areas.
std::unique_ptr<TXLSBlob> BuildBuiltInName(uint8_t code, uint16_t options, int32_t sheetPosition, int32_t refIndex,
                                           const std::vector<TXLSNameArea>& areas, bool biff8);
// The Print_Area and Print_Titles names of one sheet. Result 1 with record
// null when the sheet has nothing to name; -1 (no record) when BIFF8 is
// written and the sheet's external-sheet entry has no REF index.
[[nodiscard]] int32_t BuildPrintAreaName(const TXLSPageSetup& setup, const TlxExternSheetSheet& externSheets,
                                         int32_t sheetPosition, bool biff8, std::unique_ptr<TXLSBlob>& record);
// As BuildPrintAreaName, for Print_Titles (rows and columns repeated on every page).
[[nodiscard]] int32_t BuildPrintTitlesName(const TXLSPageSetup& setup, const TlxExternSheetSheet& externSheets,
                                           int32_t sheetPosition, bool biff8, std::unique_ptr<TXLSBlob>& record);

}  // namespace lx
