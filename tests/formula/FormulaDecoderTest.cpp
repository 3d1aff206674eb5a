#include <gtest/gtest.h>

#include "support/FakeSheets.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "lxConstants.h"
#include "lxFormula.h"
#include "support/Hex.h"

namespace lx {
namespace {

constexpr int32_t kBiff8 = 0x0600;
constexpr int32_t kBiff5 = 0x0500;

// Names Total (identifier 7, written 3) on the workbook and Local (8,
// written 4) on My Sheet. A file read back knows names by written index.
TlxExternSheetNameLinks NameLinks() {
  TlxExternSheetNameLinks names;
  names.nameIdentifier = [](std::u16string_view name, int32_t sheet) {
    if (name == u"Total") return 7;
    return name == u"Local" && sheet == 2 ? 8 : -1;
  };
  // A reader installs names under their written indexes, so 3 and 4 are
  // identifiers as well.
  names.nameWrittenIndex = [](int32_t id) { return id == 7 || id == 3 ? 3 : id == 8 || id == 4 ? 4 : -1; };
  names.nameText = [](int32_t id) {
    return std::u16string(id == 3 || id == 7 ? u"Total" : id == 4 || id == 8 ? u"Local" : u"");
  };
  names.nameSheetIdentifier = [](int32_t id) { return id == 4 || id == 8 ? 2 : 0; };
  return names;
}

class FormulaDecoder : public ::testing::Test {
 protected:
  // Writes text as a file would hold it and reads it back through a second
  // table built the way a reader builds it from EXTERNSHEET; returns the
  // text of the tree read back, or what failed. The bytes of the tree read
  // back must equal those written.
  std::string RoundTrip(const std::string& text, bool biff5) {
    TlxExternSheetSheet written(test::FakeSheetLinks(&sheets_), NameLinks());
    TXLSFormula writer(&written);
    writer.SetBiff5(biff5);
    auto tree = writer.ParseFormula(text, 1);
    if (!tree) return "parse failed";
    written.PrepareForSave();
    TXLSBlob bytes;
    if (writer.EncodeFormula(*tree, kClassValue, 0, 0, bytes) != kResultOk) return "encode failed";

    TlxExternSheetSheet read(test::FakeSheetLinks(&sheets_), NameLinks());
    if (!biff5) {
      read.SupBook().AddInternal();
      for (int32_t ref = 1; ref <= written.XtiCount(); ++ref) {
        const TlxExternSheetSheetItem* item = written.Item(written.RefList()[static_cast<size_t>(ref - 1)]);
        if (read.AddFromFile(ref, 0, item->firstPosition, item->lastPosition) != ref) return "externsheet";
      }
    }
    TXLSFormula reader(&read);
    reader.SetBiff5(biff5);
    uint32_t offset = 0;
    auto decoded = reader.DecodeFormula(bytes, offset, biff5 ? kBiff5 : kBiff8);
    if (!decoded) return "decode failed";
    if (offset != bytes.Length()) return "offset";
    read.PrepareForSave();
    TXLSBlob again;
    if (reader.EncodeFormula(*decoded, kClassValue, 0, 0, again) != kResultOk ||
        test::ToHex(again.Data(), again.Length()) != test::ToHex(bytes.Data(), bytes.Length())) {
      return "bytes differ";
    }
    std::string rendered;
    if (reader.FormulaText(*decoded, 0, 0, rendered) != kResultOk) return "render failed";
    return rendered;
  }

  std::string Decode(std::string_view hex, int32_t version = kBiff8, int32_t baseRow = 0, int32_t baseColumn = 0) {
    TlxExternSheetSheet table(test::FakeSheetLinks(&sheets_), NameLinks());
    TXLSFormula formula(&table);
    const std::vector<uint8_t> bytes = test::Hex(hex);
    TXLSBlob buffer(static_cast<uint32_t>(bytes.size()));
    buffer.AddBytes(bytes.data(), static_cast<uint32_t>(bytes.size()));
    uint32_t offset = 0;
    auto tree = formula.DecodeFormula(buffer, offset, version);
    if (!tree) return offset == 0 ? "fail" : "fail, offset moved";
    std::string text;
    return formula.FormulaText(*tree, baseRow, baseColumn, text) == kResultOk ? text : "render failed";
  }

  test::TFakeSheets sheets_{{1, u"Sheet1"}, {2, u"My Sheet"}, {3, u"Sheet3"}};
};

// Formulas in the form the renderer writes, so text -> bytes -> tree ->
// text is the identity.
std::vector<std::string> Corpus() {
  std::vector<std::string> corpus = {
      "1+2*3",
      "(1+2)*3",
      "1-2-3",
      "1-(2-3)",
      "8/4/2",
      "2^3^2",
      "2^(3^2)",
      "-2^2",
      "-(2^2)",
      "+A1",
      "--A1",
      "A1%",
      "-A1%",
      "50%%",
      "1&2+3",
      "1+2&3",
      "1<2=TRUE",
      "(1<2)=TRUE",
      "1<>2",
      "1>=2",
      "1<=2",
      "1>2",
      "1<2",
      "\"\"",
      "\"a\"\"b\"",
      "\"x;y\"&\"'\"",
      "TRUE",
      "FALSE",
      "0.5",
      "1.25",
      "1234567.125",
      "0.001",
      "100000",
      "A1",
      "$A$1",
      "A$1",
      "$A1",
      "IU16384",
      "$IU$16384",
      "Z26+AA27+AZ1+BA1",
      "A1:B2",
      "$A$1:$B$2",
      "A$1:$B2",
      "1:3",
      "$1:$3",
      "1:$3",
      "A:C",
      "$A:$C",
      "A:$C",
      "'Sheet1'!A1",
      "'My Sheet'!$B$3",
      "'Sheet3'!A1:C5",
      "'Sheet1':'Sheet3'!A1",
      "'Sheet1':'Sheet3'!$A$1:B2",
      "'My Sheet'!1:2",
      "'My Sheet'!A1+'Sheet3'!B2",
      "Total",
      "Total*2",
      "'My Sheet'!Local",
      "SUM(A1:B2;C3)",
      "IF(A1>0;\"p\";-1)",
      "IF(AND(A1;B1);1;0)",
      "SUM(A1;SUM(B1;SUM(C1)))",
      "ROUND(A1/3;2)",
      "INDEX(A1:C3;2;2)+MATCH(5;A1:A9;0)",
      "VLOOKUP(\"k\";'Sheet3'!A1:B9;2;FALSE)",
      "SUMIF(A1:A5;\">2\";B1:B5)",
      "PI()*2",
      "NOW()-TODAY()",
      "TRUE()",
      "NA()",
      "ERROR.TYPE(A1)",
      "CONCATENATE(\"a\";B1;\"c\")",
      "OFFSET(A1;1;1)",
      "-SUM(1:1)%",
  };
  // Every function of the table, with as many arguments as it takes.
  const TXLSFormula formula;
  const char* const arguments[] = {"A1", "B2:C3", "1.5", "\"x\"", "TRUE", "-D4"};
  for (int32_t index = 0; index < 400; ++index) {
    const THashFuncEntry* entry = formula.Functions().FindIndex(index);
    if (entry == nullptr) continue;
    const int32_t count = entry->argumentCount >= 0 ? entry->argumentCount : 1 + index % 4;
    std::string text = entry->name + "(";
    for (int32_t i = 0; i < count; ++i) text += (i ? ";" : "") + std::string(arguments[(index + i) % 6]);
    corpus.push_back(text + ")");
  }
  return corpus;
}

TEST_F(FormulaDecoder, EncodedFormulasReadBackToTheSameText) {
  const std::vector<std::string> corpus = Corpus();
  EXPECT_GT(corpus.size(), 300u);
  // Functions BIFF8 added do not encode in BIFF5.
  const TXLSFormula formula;
  auto biff8Only = [&formula](const std::string& text) {
    for (int32_t index = kFirstBiff8Function; index < 400; ++index) {
      const THashFuncEntry* entry = formula.Functions().FindIndex(index);
      if (entry && text.find(entry->name + "(") == 0) return true;
    }
    return false;
  };
  int32_t refused = 0;
  for (const std::string& text : corpus) {
    EXPECT_EQ(RoundTrip(text, false), text) << "BIFF8";
    refused += biff8Only(text);
    EXPECT_EQ(RoundTrip(text, true), biff8Only(text) ? "encode failed" : text) << "BIFF5";
  }
  EXPECT_EQ(refused, 9);  // HYPERLINK, PHONETIC, AVERAGEA to VARA
}

struct TCase {
  const char* hex;
  const char* text;
};

// Tokens other programs write, relative forms, and bytes that must fail.
TEST_F(FormulaDecoder, TokensFromOtherWritersAndBadBytes) {
  const TCase cases[] = {
      {"0D 00 25 00 00 02 00 00 C0 00 C0 19 10 00 00", "SUM(A1:A3)"},
      {"0A 00 19 40 00 01 1D 01 42 01 04 00", "SUM(TRUE)"},
      {"0A 00 19 04 01 00 00 00 00 00 1D 01", "TRUE"},
      {"03 00 1E 05 00", "5"},
      {"06 00 17 03 00 61 62 63", "\"abc\""},
      {"12 00 1F 00 00 00 00 00 00 34 44 1F 00 00 00 00 00 00 00 00", "fail"},
      {"09 00 1F 40 8C B5 78 1D AF 15 44", "1E+20"},
      {"09 00 1F 00 00 00 00 00 00 F0 7F", "render failed"},
      {"05 00 4A 00 00 00 00", "#REF!"},
      {"07 00 5C 00 00 00 00 00 00", "#REF!"},
      {"07 00 5A 00 00 00 00 00 C0", "render failed"},  // sheet entry unknown to this table
      {"05 00 16 42 01 04 00", "fail"},                 // an empty argument
      {"01 00 03", "fail"},
      {"04 00 1D 01 1D 00", "fail"},
      {"04 00 42 00 FF 7F", "fail"},
      {"03 00 41 04 00", "fail"},  // SUM takes a variable count
      {"05 00 44 00 00", "fail"},
      {"03 00 44 00 00", "fail"},
      {"05 00 01 00 00 00 00", "fail"},
      {"01 00 FF", "fail"},
      {"01 00 0F", "fail"},
      {"04 00 19 04 FF FF", "fail"},
      {"04 00 29 05 00 1D", "fail"},
      {"00 00", "fail"},
      {"01", "fail"},
      {"", "fail"},
  };
  for (const TCase& c : cases) EXPECT_EQ(Decode(c.hex), c.text) << c.hex;
  // Offsets from the formula's cell, in both versions.
  EXPECT_EQ(Decode("05 00 4C FF FF 01 C0", kBiff8, 5, 5), "G5");
  EXPECT_EQ(Decode("04 00 4C FF FF 01", kBiff5, 5, 5), "G5");
  EXPECT_EQ(Decode("05 00 4C FF FF 01 C0", kBiff8, 0, 0), "#REF!");
  // BIFF5 rows end at 16384: a whole column reads back as such.
  EXPECT_EQ(Decode("07 00 45 00 40 FF 7F 00 02", kBiff5), "A:C");
  // Deep nesting of operators fails instead of building a tree too deep to
  // walk.
  std::string deep = "1D 01";
  for (int i = 0; i < 2000; ++i) deep += " 15";
  const uint32_t length = 2 + 2000;
  char prefix[8];
  std::snprintf(prefix, sizeof prefix, "%02X %02X ", length & 0xFF, length >> 8);
  EXPECT_EQ(Decode(prefix + deep), "fail");
}

}  // namespace
}  // namespace lx
