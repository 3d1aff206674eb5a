#include "lxCSV.h"

#include <bit>

#include "lxCodePage.h"
#include "lxRange.h"

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
  const size_t start = line_.size();
  formater_.AppendValue(value, u"", false, line_);
  const std::u16string_view text = std::u16string_view(line_).substr(start);
  if (!NeedsQuotes(text, separator_)) return;
  std::u16string quoted;
  quoted.reserve(text.size() + 2);
  quoted += u'"';
  for (const char16_t c : text) {
    if (c == u'"') quoted += u'"';
    quoted += c;
  }
  quoted += u'"';
  line_.resize(start);
  line_ += quoted;
}

bool TXLSCSVSaver::EndLine() {
  line_ += u"\r\n";
  bool written;
  if (wide_ && std::endian::native == std::endian::little) {
    written = stream_->WriteAll(line_.data(), static_cast<int64_t>(line_.size() * sizeof(char16_t)));
  } else if (wide_) {
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
  switch (values.IsArray() ? values.ArrayDims() : 0) {
    case 0:
      return SaveRows(stream, 1, 1, [&](int32_t, int32_t) -> const TVariant& { return values; });
    case 1: {
      const int32_t low = values.ArrayLowBound(1);
      return SaveRows(stream, 1, values.ArrayHighBound(1) - low + 1,
                      [&](int32_t, int32_t j) -> const TVariant& { return values.ArrayItem(low + j); });
    }
    case 2: {
      const int32_t low1 = values.ArrayLowBound(1);
      const int32_t low2 = values.ArrayLowBound(2);
      return SaveRows(stream, values.ArrayHighBound(1) - low1 + 1, values.ArrayHighBound(2) - low2 + 1,
                      [&](int32_t i, int32_t j) -> const TVariant& { return values.ArrayItem(low1 + i, low2 + j); });
    }
    default:
      // More dimensions than rows and fields: nothing to write.
      return Finish(Begin(stream));
  }
}

bool TXLSCSVSaver::Begin(TStream& stream) {
  stream_ = &stream;
  line_.clear();
  lineHasField_ = false;
  return !wide_ || stream.WriteAll(kByteOrderMark, sizeof kByteOrderMark);
}

int32_t TXLSCSVSaver::Finish(bool written) {
  stream_ = nullptr;
  return written ? kResultOk : kResultFail;
}

int32_t TXLSCSVSaver::SaveRows(TStream& stream, int32_t rows, int32_t columns, const TFieldSource& field) {
  bool ok = Begin(stream);
  for (int32_t i = 0; ok && i < rows; ++i) {
    for (int32_t j = 0; j < columns; ++j) AddField(field(i, j));
    ok = EndLine();
  }
  return Finish(ok);
}

int32_t TXLSCSVSaver::SaveRangeToStream(TStream& stream, IXLSRange& range) {
  // A range of this engine is read cell by cell, without Value's array.
  const auto* cells = dynamic_cast<const TXLSRange*>(&range);
  if (!cells) return SaveToStream(stream, range.Value());
  const int32_t lastColumn = cells->ColumnCount() - 1;
  bool ok = Begin(stream);
  if (ok) {
    cells->ForEachValue([&](int32_t, int32_t column, const TVariant& value) {
      AddField(value);
      if (column == lastColumn && ok) ok = EndLine();
    });
  }
  return Finish(ok);
}

int32_t TXLSCSVSaver::SaveToFile(const std::u16string& fileName, const TVariant& values) {
  return SaveFile(fileName, [&](TStream& stream) { return SaveToStream(stream, values); });
}

int32_t TXLSCSVSaver::SaveRangeToFile(const std::u16string& fileName, IXLSRange& range) {
  return SaveFile(fileName, [&](TStream& stream) { return SaveRangeToStream(stream, range); });
}

int32_t TXLSCSVSaver::SaveFile(const std::u16string& fileName, const std::function<int32_t(TStream&)>& write) {
  TSaveFile file;
  if (!file.Open(fileName)) return kResultFail;
  if (write(file.Stream()) != kResultOk) return kResultFail;  // the old file stays
  return file.Commit() ? kResultOk : kResultFail;
}

int32_t SaveRangeAsText(IXLSRange& range, const std::u16string& fileName, TStream* stream, int32_t format) {
  if (format < kSaveCSV || format > kSaveTSVUnicode) return kResultFail;
  const bool wide = format == kSaveCSVUnicode || format == kSaveTSVUnicode;
  const bool tabs = format == kSaveTSV || format == kSaveTSVUnicode;
  auto save = [&](TXLSCSVSaver& saver) {
    return stream ? saver.SaveRangeToStream(*stream, range) : saver.SaveRangeToFile(fileName, range);
  };
  // One saver only: each reads the locale's names and separators when made.
  if (tabs) {
    TXLSTSVSaver saver(wide);
    return save(saver);
  }
  TXLSCSVSaver saver(wide);
  return save(saver);
}

}  // namespace lx
