#include "lxCodePage.h"

#include <iconv.h>

#include <array>
#include <bit>
#include <cerrno>
#include <memory>
#include <unordered_map>
#include <vector>

#include "lxText.h"

namespace lx {

namespace {

constexpr char16_t kUndefined = 0xFFFD;
constexpr char kUnmappable = '?';

struct TCodePageName {
  uint32_t codePage;
  const char* iconvName;  // nullptr: converted without iconv
  bool doubleByte;
};

constexpr TCodePageName kCodePages[] = {
    // Windows ("ANSI") pages.
    {874, "CP874", false},
    {932, "CP932", true},
    {936, "CP936", true},
    {949, "CP949", true},
    {950, "CP950", true},
    {1250, "CP1250", false},
    {1251, "CP1251", false},
    {1252, nullptr, false},
    {1253, "CP1253", false},
    {1254, "CP1254", false},
    {1255, "CP1255", false},
    {1256, "CP1256", false},
    {1257, "CP1257", false},
    {1258, "CP1258", false},
    {1361, "CP1361", true},
    // OEM (console) pages.
    {437, "CP437", false},
    {737, "CP737", false},
    {775, "CP775", false},
    {850, "CP850", false},
    {852, "CP852", false},
    {855, "CP855", false},
    {857, "CP857", false},
    {858, "CP858", false},
    {860, "CP860", false},
    {861, "CP861", false},
    {862, "CP862", false},
    {863, "CP863", false},
    {864, "CP864", false},
    {865, "CP865", false},
    {866, "CP866", false},
    {869, "CP869", false},
    // Macintosh pages.
    {10000, "MACINTOSH", false},
    {10007, "MS-MAC-CYRILLIC", false},
    {10017, "MACUKRAINIAN", false},
    {10029, "MAC-CENTRALEUROPE", false},
    {10079, "MAC-IS", false},
    // Other single-byte pages that turn up in files.
    {20127, "US-ASCII", false},
    {20866, "KOI8-R", false},
    {21866, "KOI8-U", false},
    {28591, "ISO-8859-1", false},
    {28592, "ISO-8859-2", false},
    {28593, "ISO-8859-3", false},
    {28594, "ISO-8859-4", false},
    {28595, "ISO-8859-5", false},
    {28596, "ISO-8859-6", false},
    {28597, "ISO-8859-7", false},
    {28598, "ISO-8859-8", false},
    {28599, "ISO-8859-9", false},
    {28603, "ISO-8859-13", false},
    {28605, "ISO-8859-15", false},
    {kCodePageUtf8, nullptr, false},
};

const TCodePageName* FindCodePage(uint32_t codePage) {
  for (const auto& entry : kCodePages) {
    if (entry.codePage == codePage) return &entry;
  }
  return nullptr;
}

// 0x80-0x9F of code page 1252; the rest of the page is Latin-1. The five
// bytes the page leaves undefined map to the C1 control of the same number,
// as the platform does, so that any byte string survives a round trip.
constexpr char16_t k1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

const char* NativeUtf16Name() { return std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE"; }

const iconv_t kNoDescriptor = reinterpret_cast<iconv_t>(-1);
constexpr size_t kIconvError = static_cast<size_t>(-1);

// One code page's converter: a byte table for single-byte pages, a pair of
// iconv descriptors for double-byte pages.
class TConverter {
 public:
  explicit TConverter(uint32_t codePage) : codePage_(codePage) {}
  TConverter(const TConverter&) = delete;
  TConverter& operator=(const TConverter&) = delete;
  ~TConverter() {
    if (toWide_ != kNoDescriptor) iconv_close(toWide_);
    if (fromWide_ != kNoDescriptor) iconv_close(fromWide_);
  }

  uint32_t CodePage() const { return codePage_; }

  void Build1252() {
    for (int b = 0; b < 256; ++b) {
      toWideTable_[b] = (b >= 0x80 && b < 0xA0) ? k1252High[b - 0x80] : static_cast<char16_t>(b);
    }
    FinishTable();
  }

  // Probes every byte value through iconv. Returns false when the C library
  // lacks the page.
  bool BuildSingleByte(const char* iconvName) {
    iconv_t cd = iconv_open(NativeUtf16Name(), iconvName);
    if (cd == kNoDescriptor) return false;
    for (int b = 0; b < 256; ++b) {
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      char byte = static_cast<char>(b);
      char* in = &byte;
      size_t inLeft = 1;
      char16_t units[4] = {};
      char* out = reinterpret_cast<char*>(units);
      size_t outLeft = sizeof(units);
      size_t r = iconv(cd, &in, &inLeft, &out, &outLeft);
      // Some pages (1258) hold a base letter back to combine it with what
      // follows; flushing releases it.
      if (r != kIconvError) r = iconv(cd, nullptr, nullptr, &out, &outLeft);
      const size_t produced = (sizeof(units) - outLeft) / sizeof(char16_t);
      toWideTable_[b] = (r != kIconvError && inLeft == 0 && produced == 1) ? units[0] : kUndefined;
    }
    iconv_close(cd);
    FinishTable();
    return true;
  }

  bool OpenDoubleByte(const char* iconvName) {
    toWide_ = iconv_open(NativeUtf16Name(), iconvName);
    fromWide_ = iconv_open(iconvName, NativeUtf16Name());
    return toWide_ != kNoDescriptor && fromWide_ != kNoDescriptor;
  }

  std::u16string ToWide(std::string_view text) const {
    if (toWide_ != kNoDescriptor) return IconvToWide(text);
    std::u16string out(text.size(), u'\0');
    for (size_t i = 0; i < text.size(); ++i) out[i] = toWideTable_[static_cast<unsigned char>(text[i])];
    return out;
  }

  std::string FromWide(std::u16string_view text) const {
    if (fromWide_ != kNoDescriptor) return IconvFromWide(text);
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
      const char16_t c = text[i];
      if (c < 0x80 && asciiIdentity_) {
        out.push_back(static_cast<char>(c));
        continue;
      }
      const auto it = fromWideTable_.find(c);
      if (it != fromWideTable_.end()) {
        out.push_back(it->second);
        continue;
      }
      out.push_back(kUnmappable);
      if (IsPairAt(text, i)) ++i;
    }
    return out;
  }

 private:
  static bool IsPairAt(std::u16string_view text, size_t i) {
    return text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
           text[i + 1] <= 0xDFFF;
  }

  void FinishTable() {
    asciiIdentity_ = true;
    for (int b = 0; b < 0x80; ++b) asciiIdentity_ = asciiIdentity_ && toWideTable_[b] == b;
    // Where two bytes give the same character, the lower byte wins.
    for (int b = 0; b < 256; ++b) {
      if (toWideTable_[b] != kUndefined) fromWideTable_.emplace(toWideTable_[b], static_cast<char>(b));
    }
  }

  std::u16string IconvToWide(std::string_view text) const {
    iconv(toWide_, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    // Every double-byte page gives at most one UTF-16 unit per byte.
    std::u16string out(text.size() + 4, u'\0');
    size_t used = 0;
    while (inLeft > 0) {
      char* outPtr = reinterpret_cast<char*>(out.data() + used);
      size_t outLeft = (out.size() - used) * sizeof(char16_t);
      const size_t r = iconv(toWide_, &in, &inLeft, &outPtr, &outLeft);
      used = out.size() - outLeft / sizeof(char16_t);
      if (r != kIconvError) break;
      const int error = errno;
      if (error == E2BIG || used == out.size()) {
        out.resize(out.size() * 2);
        if (error == E2BIG) continue;
      }
      out[used++] = kUndefined;
      // EINVAL: the text ends inside a sequence; anything else: skip the
      // byte that cannot start a character and carry on after it.
      if (error == EINVAL) break;
      ++in;
      --inLeft;
    }
    out.resize(used);
    return out;
  }

  std::string IconvFromWide(std::u16string_view text) const {
    iconv(fromWide_, nullptr, nullptr, nullptr, nullptr);
    char* const begin = reinterpret_cast<char*>(const_cast<char16_t*>(text.data()));
    char* in = begin;
    size_t inLeft = text.size() * sizeof(char16_t);
    std::string out(text.size() * 2 + 4, '\0');
    size_t used = 0;
    while (inLeft > 0) {
      char* outPtr = out.data() + used;
      size_t outLeft = out.size() - used;
      const size_t r = iconv(fromWide_, &in, &inLeft, &outPtr, &outLeft);
      used = out.size() - outLeft;
      if (r != kIconvError) break;
      const int error = errno;
      if (error == E2BIG || used == out.size()) {
        out.resize(out.size() * 2);
        if (error == E2BIG) continue;
      }
      out[used++] = kUnmappable;
      if (error == EINVAL) break;
      const size_t unit = static_cast<size_t>(in - begin) / sizeof(char16_t);
      const size_t skip = (unit < text.size() && IsPairAt(text, unit) ? 2 : 1) * sizeof(char16_t);
      if (skip > inLeft) break;
      in += skip;
      inLeft -= skip;
    }
    out.resize(used);
    return out;
  }

  uint32_t codePage_;
  std::array<char16_t, 256> toWideTable_{};
  std::unordered_map<char16_t, char> fromWideTable_;
  bool asciiIdentity_ = true;
  iconv_t toWide_ = kNoDescriptor;
  iconv_t fromWide_ = kNoDescriptor;
};

// Per-thread cache: each thread gets its own iconv descriptors, which are not
// safe to share.
class TConverterCache {
 public:
  const TConverter& Get(uint32_t codePage) {
    if (last_ != nullptr && last_->CodePage() == codePage) return *last_;
    for (const auto& converter : converters_) {
      if (converter->CodePage() == codePage) return *(last_ = converter.get());
    }
    auto converter = std::make_unique<TConverter>(codePage);
    const TCodePageName* name = FindCodePage(codePage);
    bool built = false;
    if (codePage == kSystemCodePage) {
      converter->Build1252();
      built = true;
    } else if (name != nullptr && name->iconvName != nullptr) {
      built =
          name->doubleByte ? converter->OpenDoubleByte(name->iconvName) : converter->BuildSingleByte(name->iconvName);
    }
    // A page the C library cannot provide falls back to the system page.
    if (!built) return Get(kSystemCodePage);
    converters_.push_back(std::move(converter));
    return *(last_ = converters_.back().get());
  }

 private:
  std::vector<std::unique_ptr<TConverter>> converters_;
  TConverter* last_ = nullptr;
};

TConverterCache& Cache() {
  thread_local TConverterCache cache;
  return cache;
}

}  // namespace

bool IsSupportedCodePage(uint32_t codePage) {
  return codePage <= kCodePageThreadAnsi || FindCodePage(codePage) != nullptr;
}

bool IsDoubleByteCodePage(uint32_t codePage) {
  const TCodePageName* name = FindCodePage(codePage);
  return name != nullptr && name->doubleByte;
}

uint32_t ResolveCodePage(uint32_t codePage) {
  switch (codePage) {
    case kCodePageAnsi:
    case kCodePageThreadAnsi:
      return kSystemCodePage;
    case kCodePageOem:
      return kOemCodePage;
    case kCodePageMac:
      return kMacCodePage;
    default:
      return FindCodePage(codePage) != nullptr ? codePage : kSystemCodePage;
  }
}

std::u16string AnsiToWide(std::string_view text, uint32_t codePage) {
  if (text.empty()) return {};
  codePage = ResolveCodePage(codePage);
  if (codePage == kCodePageUtf8) return Utf8ToUtf16(text);
  return Cache().Get(codePage).ToWide(text);
}

std::string WideToAnsi(std::u16string_view text, uint32_t codePage) {
  if (text.empty()) return {};
  codePage = ResolveCodePage(codePage);
  if (codePage == kCodePageUtf8) return Utf16ToUtf8(text);
  return Cache().Get(codePage).FromWide(text);
}

int SystemCodePageByte(char16_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return c;
  // 0x80-0x9F and the characters of that row of the page.
  for (int b = 0; b < 32; ++b)
    if (k1252High[b] == c) return 0x80 + b;
  return -1;
}

}  // namespace lx
