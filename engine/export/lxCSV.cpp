#include "lxCSV.h"

#include "lxCodePage.h"

namespace lx {

namespace {

constexpr uint8_t kByteOrderMark[] = {0xFF, 0xFE};

bool NeedsQuotes(std::u16string_view text, char16_t separator) {
  for (const char16_t c : text)
    if (c == u' ' || c == u'\n' || c == u'\r' || c == u'"' || c == separator) return true;
  return false;
}

}  // namespace

void TXLSCSVSaver::AddField(const TVariant& value) {
  if (lineHasField_) line_ += separator_;
  lineHasField_ = true;
  // Booleans read True and False; everything else is its plain text, and a
  // value without one (an error, an interface) an empty field.
  const std::u16string text = formater_.FormatValue(value, u"");
  if (!NeedsQuotes(text, separator_)) {
    line_ += text;
    return;
  }
  line_ += u'"';
  for (const char16_t c : text) {
    if (c == u'"') line_ += u'"';
    line_ += c;
  }
  line_ += u'"';
}

bool TXLSCSVSaver::EndLine() {
  line_ += u"\r\n";
  bool written;
  if (wide_) {
    // UTF-16LE: the code units as they are on a little-endian host, byte by
    // byte otherwise.
    std::string bytes;
    bytes.reserve(line_.size() * 2);
    for (const char16_t c : line_) {
      bytes += static_cast<char>(c & 0xFF);
      bytes += static_cast<char>(c >> 8);
    }
    written = stream_->WriteAll(bytes.data(), static_cast<int64_t>(bytes.size()));
  } else {
    const std::string bytes = WideToAnsi(line_);
    written = stream_->WriteAll(bytes.data(), static_cast<int64_t>(bytes.size()));
  }
  line_.clear();
  lineHasField_ = false;
  return written;
}

int32_t TXLSCSVSaver::SaveToStream(TStream& stream, const TVariant& values) {
  stream_ = &stream;
  line_.clear();
  lineHasField_ = false;
  bool ok = !wide_ || stream.WriteAll(kByteOrderMark, sizeof kByteOrderMark);
  if (ok) {
    switch (values.IsArray() ? values.ArrayDims() : 0) {
      case 0:
        AddField(values);
        ok = EndLine();
        break;
      case 1:
        for (int32_t i = values.ArrayLowBound(1); i <= values.ArrayHighBound(1); ++i) AddField(values.ArrayItem(i));
        ok = EndLine();
        break;
      case 2:
        for (int32_t i = values.ArrayLowBound(1); ok && i <= values.ArrayHighBound(1); ++i) {
          for (int32_t j = values.ArrayLowBound(2); j <= values.ArrayHighBound(2); ++j)
            AddField(values.ArrayItem(i, j));
          ok = EndLine();
        }
        break;
      default:
        break;  // more dimensions than rows and fields: nothing to write
    }
  }
  stream_ = nullptr;
  return ok ? kResultOk : kResultFail;
}

int32_t TXLSCSVSaver::SaveToFile(const std::u16string& fileName, const TVariant& values) {
  TSaveFile file;
  if (!file.Open(fileName)) return kResultFail;
  if (SaveToStream(file.Stream(), values) != kResultOk) return kResultFail;  // the old file stays
  return file.Commit() ? kResultOk : kResultFail;
}

int32_t SaveRangeAsText(IXLSRange& range, const std::u16string& fileName, TStream* stream, int32_t format) {
  if (format < kSaveCSV || format > kSaveTSVUnicode) return kResultFail;
  const bool wide = format == kSaveCSVUnicode || format == kSaveTSVUnicode;
  const bool tabs = format == kSaveTSV || format == kSaveTSVUnicode;
  TXLSCSVSaver csv(wide);
  TXLSTSVSaver tsv(wide);
  TXLSCSVSaver& saver = tabs ? static_cast<TXLSCSVSaver&>(tsv) : csv;
  const TVariant values = range.Value();
  return stream ? saver.SaveToStream(*stream, values) : saver.SaveToFile(fileName, values);
}

}  // namespace lx
