// Writes sample compound files for the interop checks, each with a mirror of
// its tree on disk (storages as folders, streams as files holding the bytes),
// so that another reader's view can be compared with what we meant to write.
//
// Usage: cfb_write OUTDIR          -> OUTDIR/<sample>.cfb and OUTDIR/<sample>.tree/
//        cfb_write --seeds OUTDIR  -> small files for the fuzz corpus (fuzz/corpus/compound)
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "lxCompoundFile.h"
#include "lxText.h"

namespace fs = std::filesystem;
using namespace lx;

namespace {

// Deterministic bytes that differ from stream to stream.
std::vector<uint8_t> Pattern(size_t size, uint32_t seed) {
  std::vector<uint8_t> bytes(size);
  uint32_t x = seed * 2654435761u + 1;
  for (size_t i = 0; i < size; ++i) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    bytes[i] = static_cast<uint8_t>(x);
  }
  return bytes;
}

class TSample {
 public:
  TSample(const fs::path& dir, const std::string& name, TCompoundVersion version = TCompoundVersion::cvVersion3)
      : writer_(version), file_(dir / (name + ".cfb")), tree_(dir / (name + ".tree")) {
    fs::create_directories(tree_);
  }
  ~TSample() {
    if (!mirror_) fs::remove_all(tree_);
  }
  void SetMirror(bool mirror) { mirror_ = mirror; }

  TCompoundWriteStorage* Storage(TCompoundWriteStorage& parent, const fs::path& parentPath,
                                 const std::u16string& name) {
    fs::create_directories(tree_ / parentPath / Utf16ToUtf8(name));
    return parent.CreateStorage(name);
  }
  void Stream(TCompoundWriteStorage& parent, const fs::path& parentPath, const std::u16string& name, size_t size) {
    const std::vector<uint8_t> bytes = Pattern(size, seed_++);
    parent.CreateStream(name)->Write(bytes.data(), static_cast<int64_t>(bytes.size()));
    std::ofstream out(tree_ / parentPath / Utf16ToUtf8(name), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  TCompoundWriteStorage& Root() { return writer_.Root(); }
  bool Save() { return writer_.CommitToFile(Utf8ToUtf16(file_.string())); }

 private:
  TCompoundFileWriter writer_;
  fs::path file_;
  fs::path tree_;
  uint32_t seed_ = 1;
  bool mirror_ = true;
};

// Small files that reach every part of the reader, as fuzzing seeds.
bool WriteSeeds(const fs::path& dir) {
  bool ok = true;
  {
    TSample s(dir, "empty");
    s.SetMirror(false);
    ok = s.Save() && ok;
  }
  {  // Like an XLS file with a macro project: mini stream, nested storages.
    TSample s(dir, "small_xls");
    s.SetMirror(false);
    s.Stream(s.Root(), "", u"Workbook", 600);
    s.Stream(s.Root(), "", u"Ctls", 40);
    TCompoundWriteStorage* vba = s.Storage(s.Root(), "", u"_VBA_PROJECT_CUR");
    s.Stream(*vba, "_VBA_PROJECT_CUR", u"PROJECT", 70);
    TCompoundWriteStorage* inner = s.Storage(*vba, "_VBA_PROJECT_CUR", u"VBA");
    s.Stream(*inner, "_VBA_PROJECT_CUR/VBA", u"dir", 130);
    s.Storage(*inner, "_VBA_PROJECT_CUR/VBA", u"Empty");
    ok = s.Save() && ok;
  }
  {  // A stream in regular sectors next to small ones.
    TSample s(dir, "large_stream");
    s.SetMirror(false);
    s.Stream(s.Root(), "", u"Book", 4700);
    s.Stream(s.Root(), "", u"A", 1);
    s.Stream(s.Root(), "", u"B", 0);
    ok = s.Save() && ok;
  }
  {
    TSample s(dir, "version4", TCompoundVersion::cvVersion4);
    s.SetMirror(false);
    s.Stream(s.Root(), "", u"Workbook", 300);
    ok = s.Save() && ok;
  }
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--seeds") {
    fs::create_directories(argv[2]);
    const bool ok = WriteSeeds(argv[2]);
    std::printf("cfb_write: %s\n", ok ? "seeds written" : "a seed could not be written");
    return ok ? 0 : 1;
  }
  if (argc != 2) {
    std::fprintf(stderr, "usage: cfb_write [--seeds] OUTDIR\n");
    return 2;
  }
  const fs::path dir = argv[1];
  fs::create_directories(dir);
  bool ok = true;

  {  // The root alone.
    TSample s(dir, "empty");
    ok = s.Save() && ok;
  }
  {  // Empty storages, nested.
    TSample s(dir, "storages");
    s.Storage(s.Root(), "", u"Empty");
    TCompoundWriteStorage* a = s.Storage(s.Root(), "", u"A");
    TCompoundWriteStorage* b = s.Storage(*a, "A", u"B");
    s.Storage(*b, "A/B", u"C");
    ok = s.Save() && ok;
  }
  {  // Storages and streams on three levels, names in several scripts.
    TSample s(dir, "nested");
    s.Stream(s.Root(), "", u"Workbook", 5000);
    s.Stream(s.Root(), "", u"\x05SummaryInformation", 300);
    TCompoundWriteStorage* vba = s.Storage(s.Root(), "", u"_VBA_PROJECT_CUR");
    s.Stream(*vba, "_VBA_PROJECT_CUR", u"PROJECT", 450);
    s.Stream(*vba, "_VBA_PROJECT_CUR", u"PROJECTwm", 0);
    TCompoundWriteStorage* inner = s.Storage(*vba, "_VBA_PROJECT_CUR", u"VBA");
    s.Stream(*inner, "_VBA_PROJECT_CUR/VBA", u"dir", 1200);
    s.Stream(*inner, "_VBA_PROJECT_CUR/VBA", u"Книга1", 7000);
    s.Stream(*inner, "_VBA_PROJECT_CUR/VBA", u"Überblick", 64);
    s.Stream(*inner, "_VBA_PROJECT_CUR/VBA", u"ThisWorkbook", 4096);
    ok = s.Save() && ok;
  }
  {  // Many small streams: a mini stream and mini FAT of several sectors.
    TSample s(dir, "many_small");
    for (int i = 0; i < 600; ++i) {
      char name[16];
      std::snprintf(name, sizeof name, "s%04d", i);
      s.Stream(s.Root(), "", AsciiToWide(name), static_cast<size_t>(i * 37) % 4096);
    }
    ok = s.Save() && ok;
  }
  {  // Sizes on sector and mini-sector boundaries.
    TSample s(dir, "boundaries");
    for (size_t size : {0, 1, 63, 64, 65, 127, 128, 511, 512, 513, 4031, 4032, 4095, 4096, 4097, 8191, 8192, 8193}) {
      s.Stream(s.Root(), "", AsciiToWide("size_" + std::to_string(size)), size);
    }
    ok = s.Save() && ok;
  }
  {  // One stream past 8 MB: more FAT sectors than the header's 109 slots.
    TSample s(dir, "big");
    s.Stream(s.Root(), "", u"Workbook", 9 * 1024 * 1024 + 77);
    s.Stream(s.Root(), "", u"Ctls", 100);
    ok = s.Save() && ok;
  }
  {  // Version 4 (4,096-byte sectors).
    TSample s(dir, "version4", TCompoundVersion::cvVersion4);
    s.Stream(s.Root(), "", u"Workbook", 20000);
    s.Stream(s.Root(), "", u"Small", 100);
    TCompoundWriteStorage* st = s.Storage(s.Root(), "", u"Storage");
    s.Stream(*st, "Storage", u"Inner", 4096);
    ok = s.Save() && ok;
  }
  std::printf("cfb_write: %s\n", ok ? "all samples written" : "a sample could not be written");
  return ok ? 0 : 1;
}
