// Delimited text: the values of a range as CSV or TSV.
//
// TXLSCSVSaver writes a value, or an array of one or two dimensions of
// values, as comma-separated text; TXLSTSVSaver, which differs only in its
// separator, as tab-separated text. Each writes 8-bit text in the system
// code page, or UTF-16 (little-endian, with a byte-order mark) when created
// wide. Lines end in CR LF. A field holding a space, a line break, the
// separator or a double quote is quoted, its quotes doubled.
//
// A range's SaveAs with the codes 5 to 8 comes here (SaveRangeAsText), and
// so does a workbook's SaveAs with those codes, for the used range of its
// active sheet. A file is written through a temporary file that replaces the
// target only when complete, so a failed save leaves the old file whole.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "lxHandle.h"
#include "lxMasks.h"
#include "lxStreams.h"
#include "lxVariant.h"

namespace lx {

class TXLSCSVSaver {
 public:
  explicit TXLSCSVSaver(bool wide) : wide_(wide) {}
  virtual ~TXLSCSVSaver() = default;

  // Writes the values to a new file (replacing an existing one). 1, or -1
  // when the file cannot be written.
  [[nodiscard]] int32_t SaveToFile(const std::u16string& fileName, const TVariant& values);
  // Writes the values at the stream's position. 1, or -1 when the stream
  // takes fewer bytes than given.
  [[nodiscard]] int32_t SaveToStream(TStream& stream, const TVariant& values);
  // The same for the cells of a range, as its Value would give them.
  [[nodiscard]] int32_t SaveRangeToFile(const std::u16string& fileName, IXLSRange& range);
  [[nodiscard]] int32_t SaveRangeToStream(TStream& stream, IXLSRange& range);

 protected:
  explicit TXLSCSVSaver(bool wide, char16_t separator) : separator_(separator), wide_(wide) {}

 private:
  using TFieldSource = std::function<const TVariant&(int32_t row, int32_t column)>;
  // Starts writing to a stream (the byte-order mark when wide); false when
  // the stream refuses it. Finish ends the writing with its result.
  [[nodiscard]] bool Begin(TStream& stream);
  [[nodiscard]] int32_t Finish(bool written);
  [[nodiscard]] int32_t SaveRows(TStream& stream, int32_t rows, int32_t columns, const TFieldSource& field);
  [[nodiscard]] int32_t SaveFile(const std::u16string& fileName, const std::function<int32_t(TStream&)>& write);
  void AddField(const TVariant& value);
  [[nodiscard]] bool EndLine();

  char16_t separator_ = u',';
  bool wide_;
  std::u16string line_;
  bool lineHasField_ = false;
  TStream* stream_ = nullptr;  // not owned; set while writing
  // Numbers in general format with the system decimal separator.
  TXLSFormater formater_;
};

class TXLSTSVSaver final : public TXLSCSVSaver {
 public:
  explicit TXLSTSVSaver(bool wide) : TXLSCSVSaver(wide, u'\t') {}
};

// A range's cells as delimited text: codes 5 (CSV), 6 (TSV), 7 (CSV, UTF-16)
// and 8 (TSV, UTF-16), to the stream when it is not null, else to the named
// file. Other codes give -1.
[[nodiscard]] int32_t SaveRangeAsText(IXLSRange& range, const std::u16string& fileName, TStream* stream,
                                      int32_t format);

}  // namespace lx
