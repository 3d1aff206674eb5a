// Hyperlinks of a worksheet and their HLINK records.
//
// A worksheet gets a TXLSCustomHyperlinks the first time a hyperlink is added
// or read. Each TXLSCustomHyperlink is anchored on a rectangle of cells and
// points to a web or mail address, a network path, a file, or only to a place
// in the workbook (its sub-address). Adding one writes its display text into
// the anchor's top-left cell and gives the anchor cells the link look (blue,
// single underline); deleting one gives them the plain look again and leaves
// the text. The worksheet writer asks the collection for one HLINK record per
// hyperlink (BIFF8 only), followed by an HLINKTOOLTIP record when it has a
// screen tip; ReadHyperlinkRecord and ReadHyperlinkTooltip take those records
// back without touching any cell.
//
// TXLSHyperLink and TXLSHyperLinks (IXLSHyperlink, IXLSHyperlinks in
// lxHandle.h) are made per call. A TXLSHyperLink finds its hyperlink by a
// serial number that is never reused, so one kept after its hyperlink was
// deleted does nothing instead of reaching freed memory. A TXLSHyperLinks
// made by a range sees only the hyperlinks whose rectangle meets the range.
// Like ranges, both must not outlive their workbook.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "lxBLOB.h"
#include "lxHandle.h"

namespace lx {

inline constexpr uint16_t kRecHLink = 0x01B8;
inline constexpr uint16_t kRecHLinkTooltip = 0x0800;

// Kinds of target.
inline constexpr uint8_t kHyperlinkUrl = 0;
inline constexpr uint8_t kHyperlinkNetworkPath = 1;
inline constexpr uint8_t kHyperlinkFile = 2;
inline constexpr uint8_t kHyperlinkPlace = 3;

// Option bits of an HLINK record.
inline constexpr uint32_t kHLinkHasMoniker = 0x0001;
inline constexpr uint32_t kHLinkAbsolute = 0x0002;
inline constexpr uint32_t kHLinkHasTextMark = 0x0008;
inline constexpr uint32_t kHLinkHasDescription = 0x0014;
inline constexpr uint32_t kHLinkHasFrame = 0x0080;
inline constexpr uint32_t kHLinkUncPath = 0x0100;

// The kind of an address: web and mail addresses (and anything with a "/")
// 0, "\\server" paths 1, other non-empty texts 2 (files), empty 3.
uint8_t ClassifyAddress(const WideString& address);

class TXLSCustomHyperlinks;

struct TXLSCustomHyperlink {
  // The anchor rectangle, 0-based and ordered.
  int32_t firstRow = 0;
  int32_t lastRow = 0;
  int32_t firstColumn = 0;
  int32_t lastColumn = 0;
  uint8_t kind = kHyperlinkPlace;
  WideString screenTip;
  WideString textToDisplay;
  WideString targetFrame;
  WideString address;
  WideString subAddress;
  // 1-based place in the collection.
  int32_t index = 0;
  // Unique within the collection and never reused.
  uint32_t serial = 0;

  bool Intersects(int32_t row1, int32_t column1, int32_t row2, int32_t column2) const;
};

class TXLSCustomHyperlinks {
 public:
  // worksheet is the owner (not owned; may be null in tests of the records).
  explicit TXLSCustomHyperlinks(IXLSWorksheet* worksheet) : worksheet_(worksheet) {}
  TXLSCustomHyperlinks(const TXLSCustomHyperlinks&) = delete;
  TXLSCustomHyperlinks& operator=(const TXLSCustomHyperlinks&) = delete;

  IXLSWorksheet* Worksheet() const { return worksheet_; }
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  // 1-based; null outside 1..Count().
  TXLSCustomHyperlink* Item(int32_t index) const;
  TXLSCustomHyperlink* FindSerial(uint32_t serial) const;

  // A new hyperlink over the 0-based rectangle: link look on the anchor, the
  // display text (the address, address#sub-address or the sub-address when
  // none is given) in its top-left cell.
  TXLSCustomHyperlink* Add(int32_t row1, int32_t column1, int32_t row2, int32_t column2, const WideString& address,
                           const WideString& textToDisplay, const WideString& screenTip, const WideString& subAddress);
  // Plain look on the anchor, then removal; later hyperlinks move forward.
  void Delete(int32_t index);
  void SetAddress(TXLSCustomHyperlink& link, const WideString& address);
  void SetSubAddress(TXLSCustomHyperlink& link, const WideString& subAddress);
  // Stores the text and writes it into the anchor's top-left cell.
  void SetTextToDisplay(TXLSCustomHyperlink& link, const WideString& text);
  // Moves the anchor: plain look on the old cells, link look on the new.
  void SetAnchor(TXLSCustomHyperlink& link, int32_t row1, int32_t column1, int32_t row2, int32_t column2);

  // HLINK (and HLINKTOOLTIP) records of every hyperlink in order. A
  // hyperlink whose record would be longer than maxRecordData is left out:
  // peers do not read HLINK records continued in CONTINUE records.
  std::vector<std::unique_ptr<TXLSBlob>> BuildRecords(uint32_t maxRecordData) const;
  // The HLINK record of one hyperlink, whole.
  static std::unique_ptr<TXLSBlob> BuildHLinkRecord(const TXLSCustomHyperlink& link);
  static std::unique_ptr<TXLSBlob> BuildTooltipRecord(const TXLSCustomHyperlink& link);

  // Appends the hyperlink an HLINK payload describes, without touching any
  // cell; false (nothing added) when the payload is malformed.
  bool ReadHyperlinkRecord(const uint8_t* payload, uint32_t size);
  // Gives the last hyperlink read the tip of an HLINKTOOLTIP payload when it
  // has none and the anchors agree.
  void ReadHyperlinkTooltip(const uint8_t* payload, uint32_t size);

 private:
  void ApplyLook(const TXLSCustomHyperlink& link, bool linkLook);
  TXLSCustomHyperlink& Append();

  IXLSWorksheet* worksheet_;  // not owned
  std::vector<std::unique_ptr<TXLSCustomHyperlink>> items_;
  uint32_t nextSerial_ = 1;
};

class TXLSHyperLink final : public TXLSInterfaced<IXLSHyperlink> {
 public:
  // An empty wrapper when links is null.
  TXLSHyperLink(TXLSCustomHyperlinks* links, uint32_t serial) : links_(links), serial_(serial) {}
  void Delete() override;
  WideString Address() override;
  void SetAddress(const WideString& value) override;
  WideString SubAddress() override;
  void SetSubAddress(const WideString& value) override;
  WideString ScreenTip() override;
  void SetScreenTip(const WideString& value) override;
  WideString TextToDisplay() override;
  void SetTextToDisplay(const WideString& value) override;
  XLSPtr<IXLSRange> Range() override;
  void SetRange(IXLSRange* range) override;

 private:
  TXLSCustomHyperlink* Find() const { return links_ ? links_->FindSerial(serial_) : nullptr; }

  TXLSCustomHyperlinks* links_;  // not owned
  uint32_t serial_;
};

class TXLSHyperLinks final : public TXLSInterfaced<IXLSHyperlinks> {
 public:
  // Unbound: every hyperlink of the sheet.
  explicit TXLSHyperLinks(IXLSWorksheet* sheet) : sheet_(sheet) {}
  // Bound to a 0-based rectangle of rangeSheet.
  TXLSHyperLinks(IXLSWorksheet* sheet, IXLSWorksheet* rangeSheet, int32_t row1, int32_t column1, int32_t row2,
                 int32_t column2);
  int32_t Count() override;
  XLSPtr<IXLSHyperlink> Item(int32_t n) override;
  void Delete() override;
  XLSPtr<IXLSHyperlink> Add(IXLSRange* anchor, const WideString& address, const WideString& textToDisplay,
                            const WideString& screenTip, const WideString& subAddress) override;

 private:
  bool Sees(const TXLSCustomHyperlink& link) const;

  IXLSWorksheet* sheet_;  // not owned
  bool bound_ = false;
  IXLSWorksheet* rangeSheet_ = nullptr;
  int32_t row1_ = 0, column1_ = 0, row2_ = 0, column2_ = 0;
};

}  // namespace lx
