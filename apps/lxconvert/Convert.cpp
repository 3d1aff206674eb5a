// lxconvert's work: the command line, the open, the save by extension.
#include "Convert.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "lxCSV.h"
#include "lxCodePage.h"
#include "lxConstants.h"
#include "lxDecryption.h"
#include "lxHandle.h"
#include "lxStreams.h"
#include "lxText.h"
#include "lxVersion.h"

namespace lx::convert {
namespace {

constexpr const char* kUsage =
    "Usage: lxconvert [--password P] [--sheet NAME|NUMBER] [--biff5] [--encoding utf-8|utf-16|cp1252] INPUT OUTPUT\n"
    "\n"
    "Opens INPUT, an XLS workbook (BIFF5 or BIFF8, also password-protected), and\n"
    "writes OUTPUT in the format its extension names:\n"
    "  .xls         the workbook (BIFF8; BIFF5 with --biff5)\n"
    "  .csv, .tsv   one sheet's values, comma- or tab-separated (the sheet given\n"
    "               by --sheet, a name or a 1-based number, else the active one),\n"
    "               in UTF-8 unless --encoding says utf-16 or cp1252\n"
    "  .html, .htm  the workbook as an HTML page\n"
    "  .rtf         the workbook as an RTF document\n"
    "\n"
    "Options:\n"
    "  --password P   the password of a protected workbook\n"
    "  --sheet S      the sheet written to CSV or TSV\n"
    "  --biff5        write .xls output in the older BIFF5 format\n"
    "  --encoding E   utf-8 (default), utf-16 or cp1252, for CSV and TSV\n"
    "  --help         this text\n"
    "  --version      the program's version\n"
    "\n"
    "Exit status: 0 on success; 1 when the file cannot be read or written (the\n"
    "reason is printed); 2 for a wrong command line.\n";

struct TOptions {
  std::string password;
  bool hasPassword = false;
  std::string sheet;
  bool biff5 = false;
  std::string encoding = "utf-8";
  std::string input;
  std::string output;
};

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The reason an open failed, as the user reads it.
std::string OpenFailure(int32_t result) {
  switch (result) {
    case kResultPasswordRequired:
      return "the workbook is protected with a password (give it with --password)";
    case kResultPasswordWrong:
      return "wrong password";
    case kResultPasswordTooLong:
      return "the password is too long";
    case kResultFilePassShort:
    case kResultFilePassUnknown:
      return "the workbook's protection is of an unknown kind";
    case kResultEndOfStream:
      return "the file ends before the workbook does";
    case kResultCreateFileFailed:
      return "cannot open the file";
    default:
      return "not an XLS file";
  }
}

IXLSWorksheet* ChosenSheet(TXLSWorkbook& book, const std::string& chosen) {
  IXLSWorkSheets& sheets = *book.Worksheets();
  if (chosen.empty()) return sheets.ActiveSheet() ? sheets.ActiveSheet() : sheets.Item(1);
  const std::u16string name = Utf8ToUtf16(chosen);
  for (int32_t i = 1; i <= sheets.Count(); ++i) {
    if (sheets.Item(i)->Name() == name) return sheets.Item(i);
  }
  if (!chosen.empty() && std::all_of(chosen.begin(), chosen.end(), [](char c) { return c >= '0' && c <= '9'; }) &&
      chosen.size() < 6) {
    return sheets.Item(std::stoi(chosen));
  }
  return nullptr;
}

// Hands the text savers' UTF-16 on to another stream as UTF-8, without the
// byte-order mark, a piece at a time: the whole text is never held.
class TUtf8Writer final : public TStream {
 public:
  explicit TUtf8Writer(TStream& target) : target_(target) {}

  int64_t Read(void*, int64_t) override { return -1; }
  int64_t Write(const void* buffer, int64_t count) override {
    if (count < 0 || failed_) return -1;
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    for (int64_t i = 0; i < count; ++i) {
      if (!oddByte_) {
        low_ = bytes[i];
        oddByte_ = true;
        continue;
      }
      oddByte_ = false;
      const auto unit = static_cast<char16_t>(low_ | (bytes[i] << 8));
      if (atStart_ && unit == 0xFEFF) {
        atStart_ = false;
        continue;
      }
      atStart_ = false;
      units_.push_back(unit);
    }
    // A high surrogate waits for its partner in the next piece.
    size_t complete = units_.size();
    if (complete > 0 && units_[complete - 1] >= 0xD800 && units_[complete - 1] <= 0xDBFF) --complete;
    const std::string text = Utf16ToUtf8(std::u16string_view(units_).substr(0, complete));
    units_.erase(0, complete);
    if (!target_.WriteAll(text.data(), static_cast<int64_t>(text.size()))) failed_ = true;
    written_ += count;
    return failed_ ? -1 : count;
  }
  int64_t Seek(int64_t offset, TSeekOrigin origin) override {
    return offset == 0 && origin != TSeekOrigin::soBeginning ? written_ : -1;
  }
  int64_t Size() override { return written_; }
  // Writes what is still held (an unpaired surrogate); false when a write failed.
  bool Finish() {
    if (!units_.empty()) {
      const std::string text = Utf16ToUtf8(units_);
      units_.clear();
      if (!target_.WriteAll(text.data(), static_cast<int64_t>(text.size()))) failed_ = true;
    }
    return !failed_ && !oddByte_;
  }

 private:
  TStream& target_;
  std::u16string units_;
  int64_t written_ = 0;
  uint8_t low_ = 0;
  bool oddByte_ = false;
  bool atStart_ = true;
  bool failed_ = false;
};

// The used range of a sheet as delimited text in the chosen encoding, saved
// as every save is: a failed one leaves an existing file as it was.
int32_t SaveText(IXLSWorksheet& sheet, const std::string& fileName, bool tabs, const std::string& encoding) {
  XLSPtr<IXLSRange> used = sheet.UsedRange();
  if (!used) return kResultFail;
  const bool cp1252 = encoding == "cp1252";
  const int32_t format = tabs ? (cp1252 ? kSaveTSV : kSaveTSVUnicode) : (cp1252 ? kSaveCSV : kSaveCSVUnicode);
  const std::u16string name = Utf8ToUtf16(fileName);
  if (encoding != "utf-8") return SaveRangeAsText(*used, name, nullptr, format);
  TSaveFile file;
  if (!file.Open(name)) return kResultFail;
  TUtf8Writer utf8(file.Stream());
  if (SaveRangeAsText(*used, std::u16string(), &utf8, format) != kResultOk || !utf8.Finish()) return kResultFail;
  return file.Commit() ? kResultOk : kResultFail;
}

}  // namespace

int RunConvert(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
  TOptions options;
  std::vector<std::string> files;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    auto value = [&](std::string& into) {
      if (i + 1 >= arguments.size()) return false;
      into = arguments[++i];
      return true;
    };
    if (a == "--help" || a == "-h") {
      out << kUsage;
      return 0;
    } else if (a == "--version") {
      out << "lxconvert " << kVersion << "\n";
      return 0;
    } else if (a == "--password") {
      if (!value(options.password)) break;
      options.hasPassword = true;
    } else if (a == "--sheet") {
      if (!value(options.sheet)) break;
    } else if (a == "--biff5") {
      options.biff5 = true;
    } else if (a == "--encoding") {
      if (!value(options.encoding)) break;
      options.encoding = Lower(options.encoding);
      if (options.encoding != "utf-8" && options.encoding != "utf-16" && options.encoding != "cp1252") {
        err << "lxconvert: unknown encoding " << options.encoding << " (utf-8, utf-16 or cp1252)\n";
        return 2;
      }
    } else if (a.size() > 1 && a[0] == '-') {
      err << "lxconvert: unknown option " << a << "\n" << kUsage;
      return 2;
    } else {
      files.push_back(a);
    }
  }
  if (files.size() != 2) {
    err << kUsage;
    return 2;
  }
  options.input = files[0];
  options.output = files[1];

  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  const std::u16string input = Utf8ToUtf16(options.input);
  const int32_t opened =
      options.hasPassword ? book->Open(input, WideToAnsi(Utf8ToUtf16(options.password))) : book->Open(input);
  if (opened != kResultOk) {
    const bool missing = !std::filesystem::exists(std::filesystem::u8path(options.input));
    err << "lxconvert: " << options.input << ": " << (missing ? "no such file" : OpenFailure(opened)) << "\n";
    return 1;
  }

  const std::string extension = Lower(std::filesystem::u8path(options.output).extension().string());
  const std::u16string output = Utf8ToUtf16(options.output);
  int32_t written;
  if (extension == ".xls") {
    written = book->SaveAs(output, options.biff5 ? kSaveBiff5 : kSaveBiff8);
  } else if (extension == ".csv" || extension == ".tsv") {
    IXLSWorksheet* sheet = ChosenSheet(*book, options.sheet);
    if (!sheet) {
      err << "lxconvert: " << options.input << ": no sheet " << options.sheet << "\n";
      return 1;
    }
    written = SaveText(*sheet, options.output, extension == ".tsv", options.encoding);
  } else if (extension == ".html" || extension == ".htm") {
    written = book->SaveAs(output, kSaveHTML);
  } else if (extension == ".rtf") {
    written = book->SaveAs(output, kSaveRTF);
  } else {
    err << "lxconvert: " << options.output << ": unknown output type (.xls, .csv, .tsv, .html or .rtf)\n";
    return 2;
  }
  if (written != kResultOk) {
    err << "lxconvert: " << options.output << ": cannot write the file\n";
    return 1;
  }
  return 0;
}

}  // namespace lx::convert
