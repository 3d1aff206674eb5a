#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>

#include "lxCompoundFile.h"
#include "lxStreams.h"
#include "lxText.h"

namespace lx {
namespace {

TEST(MemoryStream, WritePastEndGrowsAndSeekBeyondEndReadsNothing) {
  TMemoryStream s;
  EXPECT_EQ(s.Write("abc", 3), 3);
  EXPECT_EQ(s.Seek(5, TSeekOrigin::soBeginning), 5);
  EXPECT_EQ(s.Write("z", 1), 1);
  EXPECT_EQ(s.Size(), 6);
  EXPECT_EQ(s.Bytes()[3], 0);
  EXPECT_EQ(s.Bytes()[5], 'z');
  char buf[4];
  EXPECT_EQ(s.Read(buf, 4), 0);
  EXPECT_EQ(s.Seek(-1, TSeekOrigin::soBeginning), -1);
  EXPECT_EQ(s.Seek(-2, TSeekOrigin::soEnd), 4);
  EXPECT_EQ(s.Read(buf, 4), 2);
}

// Positions near the ends of the 64-bit range: every stream checks the sum
// before forming it, fails the seek and keeps its position.
TEST(Streams, SeeksFarOutFailWithoutOverflow) {
  TCompoundFileWriter writer;
  TCompoundWriteStream* written = writer.Root().CreateStream(u"s");
  ASSERT_EQ(written->Write("abc", 3), 3);
  TMemoryStream document;
  ASSERT_TRUE(writer.Commit(document));
  TCompoundFileReader reader;
  ASSERT_TRUE(reader.Open(document.Bytes()));
  const std::unique_ptr<TCompoundReadStream> read = reader.Root().OpenStream(u"s");
  ASSERT_NE(read, nullptr);
  TMemoryStream memory(std::vector<uint8_t>{'a', 'b', 'c'});
  for (TStream* s : std::initializer_list<TStream*>{&memory, written, read.get()}) {
    EXPECT_EQ(s->Seek(1, TSeekOrigin::soBeginning), 1);
    EXPECT_EQ(s->Seek(INT64_MAX, TSeekOrigin::soCurrent), -1);
    EXPECT_EQ(s->Seek(INT64_MAX, TSeekOrigin::soEnd), -1);
    EXPECT_EQ(s->Seek(INT64_MIN, TSeekOrigin::soCurrent), -1);
    EXPECT_EQ(s->Seek(INT64_MIN, TSeekOrigin::soBeginning), -1);
    EXPECT_EQ(s->Position(), 1);
    EXPECT_EQ(s->Seek(INT64_MAX, TSeekOrigin::soBeginning), INT64_MAX);
    EXPECT_EQ(s->Seek(1, TSeekOrigin::soCurrent), -1);
    char c;
    EXPECT_EQ(s->Read(&c, 1), 0);
    EXPECT_EQ(s->Write("z", 1), -1) << "no byte fits after the last position";
    EXPECT_EQ(s->Size(), 3);
  }
}

TEST(FileStream, WideNameRoundTrip) {
  const auto dir = std::filesystem::temp_directory_path() / "lx_streams_test";
  std::filesystem::create_directories(dir);
  const std::u16string name = Utf8ToUtf16((dir / "Книга.bin").string());
  {
    TFileStream out(name, TFileMode::fmCreate);
    ASSERT_TRUE(out.IsOpen());
    EXPECT_EQ(out.Write("hello", 5), 5);
    EXPECT_TRUE(out.Close());
  }
  EXPECT_TRUE(FileExists(name));
  TFileStream in(name, TFileMode::fmOpenRead);
  ASSERT_TRUE(in.IsOpen());
  EXPECT_EQ(in.Size(), 5);
  char buf[8] = {};
  EXPECT_EQ(in.Read(buf, 8), 5);
  EXPECT_STREQ(buf, "hello");
  TFileStream missing(Utf8ToUtf16((dir / "missing.bin").string()), TFileMode::fmOpenRead);
  EXPECT_FALSE(missing.IsOpen());
  std::filesystem::remove_all(dir);
}

TEST(Utf, SurrogatePairsAndMalformedInput) {
  const std::u16string clef = u"\U0001D11E";
  EXPECT_EQ(Utf16ToUtf8(clef), "\xF0\x9D\x84\x9E");
  EXPECT_EQ(Utf8ToUtf16("\xF0\x9D\x84\x9E"), clef);
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD");
  EXPECT_EQ(Utf8ToUtf16("a\xC0\x80"
                        "b"),
            u"a\uFFFDb");                         // overlong NUL
  EXPECT_EQ(Utf8ToUtf16("\xE2\x82"), u"\uFFFD");  // truncated
}

TEST(Utf, LoneSurrogatesBecomeReplacementCharacters) {
  const struct {
    std::u16string text, sound;
  } cases[] = {
      {u"plain", u"plain"},
      {u"\U0001D11E", u"\U0001D11E"},  // a pair stays
      {std::u16string{u'a', 0xD800, u'b'}, u"a\uFFFDb"},
      {std::u16string{u'a', 0xDC00}, u"a\uFFFD"},
      {std::u16string{0xDC00, 0xD800}, u"\uFFFD\uFFFD"},  // the wrong order is no pair
      {std::u16string{0xD800, 0xD800, 0xDC00}, u"\uFFFD\U00010000"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReplaceLoneSurrogates(c.text), c.sound);
    EXPECT_EQ(HasLoneSurrogate(c.text), c.text != c.sound);
  }
}

}  // namespace
}  // namespace lx
