// Array-constant data: the blocks that follow a formula's tokens, one per
// tArray token.
//
// Per constant: the column count as a byte and the row count as a word
// (BIFF8 stores each count less one; BIFF5 stores the counts, 256 columns as
// 0), then the elements row by row, each a type byte and eight bytes of
// value, or a text with its length.
#include <cstdint>
#include <cstring>
#include <string>

#include "lxCodePage.h"
#include "lxConstants.h"
#include "lxFormula.h"

namespace lx {
namespace {

constexpr int32_t kMaxColumns = 256;
constexpr int32_t kMaxRows = 65536;
// Every element takes at least its type byte and eight bytes of value
// (a text at least its type byte and its length field).
constexpr uint32_t kMinElementBytes = 2;

}  // namespace

int32_t EncodeArrayConstants(const TXLSFormulatArrays& arrays, bool biff5, TXLSBlob& out) {
  // Checked before anything is written, so a refusal leaves out unchanged.
  for (const TXLSFormulatArray& array : arrays) {
    if (array.rows < 1 || array.columns < 1 || array.rows > (biff5 ? 0xFFFF : kMaxRows) ||
        array.columns > kMaxColumns ||
        array.items.size() != static_cast<size_t>(array.rows) * static_cast<size_t>(array.columns)) {
      return kResultFail;
    }
    for (const TXLSFormulatArrayItem& item : array.items) {
      if (item.type != kArrayItemString) continue;
      const size_t chars = biff5 ? WideToAnsi(item.value.ToWide()).size() : item.value.ToWide().size();
      if (chars > (biff5 ? 0xFFu : 0xFFFFu)) return kResultFail;
    }
  }
  for (const TXLSFormulatArray& array : arrays) {
    if (biff5) {
      out.AddByte(static_cast<uint8_t>(array.columns & 0xFF));
      out.AddWord(static_cast<uint16_t>(array.rows));
    } else {
      out.AddByte(static_cast<uint8_t>(array.columns - 1));
      out.AddWord(static_cast<uint16_t>(array.rows - 1));
    }
    for (const TXLSFormulatArrayItem& item : array.items) {
      switch (item.type) {
        case kArrayItemNumber:
          out.AddByte(kArrayItemNumber);
          out.AddDouble(item.value.ToDouble());
          break;
        case kArrayItemString: {
          out.AddByte(kArrayItemString);
          const std::u16string text = item.value.ToWide();
          if (biff5) {
            const std::string bytes = WideToAnsi(text);
            out.AddByte(static_cast<uint8_t>(bytes.size()));
            out.AddAnsi(bytes);
          } else {
            out.AddWord(static_cast<uint16_t>(text.size()));
            out.AddByte(0x01);
            out.AddWide(text);
          }
          break;
        }
        case kArrayItemBoolean:
        case kArrayItemError: {
          out.AddByte(static_cast<uint8_t>(item.type));
          const int32_t value = item.type == kArrayItemError ? item.value.ErrorValue() : (item.value.ToBool() ? 1 : 0);
          out.AddByte(static_cast<uint8_t>(value));
          for (int i = 0; i < 7; ++i) out.AddByte(0);
          break;
        }
        default:
          out.AddByte(kArrayItemEmpty);
          for (int i = 0; i < 8; ++i) out.AddByte(0);
          break;
      }
    }
  }
  return kResultOk;
}

int32_t DecodeArrayConstants(const uint8_t* data, uint32_t size, bool biff8, TXLSFormulatArrays& arrays) {
  arrays.clear();
  uint32_t at = 0;
  auto fail = [&arrays] {
    arrays.clear();
    return kResultFail;
  };
  while (at < size) {
    if (size - at < 3) return fail();
    int32_t columns = data[at];
    int32_t rows = data[at + 1] | (data[at + 2] << 8);
    at += 3;
    if (biff8) {
      ++columns;
      ++rows;
    } else if (columns == 0) {
      columns = kMaxColumns;
    }
    if (rows < 1) return fail();
    const uint64_t count = static_cast<uint64_t>(rows) * static_cast<uint64_t>(columns);
    // A count the remaining bytes cannot hold is refused before anything is
    // allocated for it.
    if (count * kMinElementBytes > size - at) return fail();
    TXLSFormulatArray array;
    array.rows = rows;
    array.columns = columns;
    array.items.reserve(static_cast<size_t>(count));
    for (uint64_t i = 0; i < count; ++i) {
      if (at >= size) return fail();
      TXLSFormulatArrayItem item;
      item.type = data[at++];
      switch (item.type) {
        case kArrayItemEmpty:
        case kArrayItemNumber:
        case kArrayItemBoolean:
        case kArrayItemError: {
          if (size - at < 8) return fail();
          if (item.type == kArrayItemNumber) {
            double value = 0;
            std::memcpy(&value, data + at, 8);
            item.value = value;
          } else if (item.type == kArrayItemBoolean) {
            item.value = data[at] == 1;
          } else if (item.type == kArrayItemError) {
            item.value = TVariant::FromError(data[at]);
          }
          at += 8;
          break;
        }
        case kArrayItemString: {
          std::u16string text;
          if (biff8) {
            if (size - at < 3) return fail();
            const uint32_t chars = data[at] | (data[at + 1] << 8);
            const bool wide = (data[at + 2] & 0x01) != 0;
            at += 3;
            const uint32_t bytes = wide ? 2 * chars : chars;
            if (bytes > size - at) return fail();
            text.resize(chars);
            for (uint32_t c = 0; c < chars; ++c) {
              text[c] = wide ? static_cast<char16_t>(data[at + 2 * c] | (data[at + 2 * c + 1] << 8))
                             : static_cast<char16_t>(data[at + c]);
            }
            at += bytes;
          } else {
            if (size - at < 1) return fail();
            const uint32_t chars = data[at++];
            if (chars > size - at) return fail();
            text = AnsiToWide(std::string_view(reinterpret_cast<const char*>(data + at), chars));
            at += chars;
          }
          item.value = std::move(text);
          break;
        }
        default:
          return fail();
      }
      array.items.push_back(std::move(item));
    }
    arrays.push_back(std::move(array));
  }
  return kResultOk;
}

}  // namespace lx
