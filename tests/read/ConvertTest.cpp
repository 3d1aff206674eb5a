// lxconvert: converts by the output's extension, and says why when it
// cannot, with its exit codes.
#include <gtest/gtest.h>

#include <sstream>

#include "Convert.h"
#include "lxHandle.h"
#include "lxVersion.h"
#include "support/TempDir.h"

namespace lx {
namespace {

class Convert : public test::TTempDirTest {
 protected:
  void SetUp() override {
    TTempDirTest::SetUp();
    XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
    IXLSWorksheet* first = book->Worksheets()->Add();
    IXLSWorksheet* second = book->Worksheets()->Add();
    second->SetName(u"Preise");
    first->Cells()->Item(1, 1)->SetValue(TVariant(u"Straße"));
    first->Cells()->Item(1, 2)->SetValue(TVariant(1.5));
    // A character outside the basic plane: a surrogate pair in UTF-16.
    second->Cells()->Item(1, 1)->SetValue(TVariant(u"x y \U0001F600"));
    ASSERT_EQ(book->SaveAs(Path("in.xls"), kSaveBiff8), 1);
  }
  int Run(std::vector<std::string> arguments) {
    out_.str("");
    err_.str("");
    return convert::RunConvert(arguments, out_, err_);
  }
  std::string File(const char* name) const { return (dir_ / name).string(); }
  std::ostringstream out_, err_;
};

TEST_F(Convert, WritesByExtensionInTheChosenEncoding) {
  struct Case {
    std::vector<std::string> options;
    const char* output;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {{}, "a.csv", "Straße,1.5\r\n"},
      {{"--sheet", "Preise"}, "b.tsv", "\"x y \U0001F600\"\r\n"},
      {{"--sheet", "2"}, "c.csv", "\"x y \U0001F600\"\r\n"},
      {{"--encoding", "cp1252"},
       "d.csv",
       "Stra\xDF"
       "e,1.5\r\n"},
      {{"--encoding", "utf-16"},
       "e.csv",
       std::string("\xFF\xFE"
                   "S\0",
                   4)},
  };
  for (const Case& c : cases) {
    std::vector<std::string> arguments = c.options;
    arguments.push_back(File("in.xls"));
    arguments.push_back(File(c.output));
    EXPECT_EQ(Run(arguments), 0) << c.output << ": " << err_.str();
    // UTF-8 output is the whole text, without a byte-order mark.
    const std::string text = Read(c.output);
    EXPECT_EQ(c.options.empty() || c.options[0] == "--sheet" ? text : text.substr(0, c.expected.size()), c.expected)
        << c.output;
  }
  // A BIFF5 copy reads back, and converts again.
  EXPECT_EQ(Run({"--biff5", File("in.xls"), File("old.xls")}), 0);
  EXPECT_EQ(Run({File("old.xls"), File("old.csv")}), 0);
  EXPECT_EQ(Read("old.csv"), "Straße,1.5\r\n");
  EXPECT_EQ(Run({File("in.xls"), File("page.html")}), 0);
  EXPECT_NE(Read("page.files/Sheet001.htm").find("Stra"), std::string::npos);
}

TEST_F(Convert, FailuresNameTheFileAndTheReason) {
  struct Case {
    std::vector<std::string> arguments;
    int code;
    const char* message;
  };
  const std::vector<Case> cases = {
      {{File("none.xls"), File("a.csv")}, 1, "none.xls: no such file"},
      {{File("a.csv"), File("b.csv")}, 1, "a.csv: not an XLS file"},
      {{File("in.xls"), File("missing/dir/b.csv")}, 1, "b.csv: cannot write the file"},
      {{"--sheet", "Nope", File("in.xls"), File("b.csv")}, 1, "no sheet Nope"},
      {{File("in.xls"), File("b.doc")}, 2, "unknown output type"},
      {{"--encoding", "latin9", File("in.xls"), File("b.csv")}, 2, "unknown encoding latin9"},
      {{File("in.xls")}, 2, "Usage:"},
  };
  ASSERT_EQ(Run({File("in.xls"), File("a.csv")}), 0);
  for (const Case& c : cases) {
    EXPECT_EQ(Run(c.arguments), c.code) << c.message;
    EXPECT_NE(err_.str().find(c.message), std::string::npos) << err_.str();
  }
  EXPECT_EQ(Run({"--help"}), 0);
  EXPECT_NE(out_.str().find("--encoding"), std::string::npos);
  EXPECT_EQ(Run({"--version"}), 0);
  EXPECT_NE(out_.str().find(std::string("lxconvert ") + kVersion + "\n"), std::string::npos);
}

}  // namespace
}  // namespace lx
