// The record reader: the records of a 10 MB BIFF8 workbook stream (W1's,
// its worksheet repeated) read one group at a time, from the compound document in
// memory and on disk, plain and RC4-protected. The protected copy is the same
// stream with a FILEPASS record after its first BOF, encrypted as the format
// publishes (the encoder of the record reader's tests).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "../tests/read/RecordStreams.h"
#include "W1Book.h"
#include "lxCompoundFile.h"
#include "lxConstants.h"
#include "lxStream.h"
#include "lxText.h"

using namespace lx;

namespace {

const std::u16string kPassword = u"bench password";
constexpr size_t kStreamSize = size_t{10} << 20;

struct TBenchFiles {
  uint64_t streamSize = 0;
  std::vector<uint8_t> plain;  // compound documents
  std::vector<uint8_t> encrypted;
};

std::vector<uint8_t> Document(const std::vector<uint8_t>& stream) {
  TCompoundFileWriter writer;
  writer.Root().CreateStream(kWorkbookStreamName)->WriteAll(stream.data(), static_cast<int64_t>(stream.size()));
  TMemoryStream out;
  writer.Commit(out);
  return out.Bytes();
}

const TBenchFiles& Files() {
  static const TBenchFiles files = [] {
    TBenchFiles f;
    TMemoryStream saved;
    if (bench::W1Book()->SaveAs(saved, kSaveBiff8) != kResultOk) std::abort();
    TCompoundFileReader reader;
    saved.Seek(0, TSeekOrigin::soBeginning);
    if (!reader.OpenStream(saved)) std::abort();
    auto stream = reader.Root().OpenStream(kWorkbookStreamName);
    std::vector<uint8_t> plain(static_cast<size_t>(stream->Size()));
    stream->ReadExact(plain.data(), static_cast<int64_t>(plain.size()));
    // W1's stream is about 8 MB: records of its worksheet substream (from
    // the second BOF) are appended again until the stream holds 10 MB.
    size_t sheet = 0;
    for (size_t at = 0, bofs = 0; at + 4 <= plain.size(); at += 4 + (plain[at + 2] | (plain[at + 3] << 8))) {
      if (plain[at] == 0x09 && plain[at + 1] == 0x08 && ++bofs == 2) {
        sheet = at;
        break;
      }
    }
    const std::vector<uint8_t> sheetRecords(plain.begin() + static_cast<std::ptrdiff_t>(sheet), plain.end());
    for (size_t at = 0; plain.size() < kStreamSize && at + 4 <= sheetRecords.size();) {
      const size_t next = at + 4 + (sheetRecords[at + 2] | (sheetRecords[at + 3] << 8));
      plain.insert(plain.end(), sheetRecords.begin() + static_cast<std::ptrdiff_t>(at),
                   sheetRecords.begin() + static_cast<std::ptrdiff_t>(next));
      at = next;
    }
    f.streamSize = plain.size();
    f.plain = Document(plain);
    // FILEPASS goes after the globals BOF.
    const size_t bofEnd = 4 + static_cast<size_t>(plain[2] | (plain[3] << 8));
    std::vector<uint8_t> protectedStream(plain.begin(), plain.begin() + static_cast<std::ptrdiff_t>(bofEnd));
    test::PutRecord(protectedStream, kRecFilePass, test::RC4FilePass(kPassword));
    protectedStream.insert(protectedStream.end(), plain.begin() + static_cast<std::ptrdiff_t>(bofEnd), plain.end());
    test::EncryptRC4(protectedStream, kPassword);
    f.encrypted = Document(protectedStream);
    return f;
  }();
  return files;
}

// Reads every record group; false when the read did not reach the end.
bool ReadRecords(TXLSReadStream& reader, uint64_t& groups) {
  TXLSRecordGroup group;
  int32_t result;
  while ((result = reader.ReadRecordGroup(group)) == kResultOk) {
    ++groups;
    benchmark::DoNotOptimize(group.Data().data());
    if (group.Number() == kRecFilePass && reader.StartDecryption(group.Data()) != kResultOk) return false;
  }
  return result == kResultEndOfStream;
}

void ReadFromMemory(benchmark::State& state, const std::vector<uint8_t>& document) {
  TMemoryStream source(document);
  uint64_t groups = 0;
  for (auto _ : state) {
    source.Seek(0, TSeekOrigin::soBeginning);
    TXLSReadStream reader(kPassword);
    if (reader.OpenSource(source) != kResultOk || !ReadRecords(reader, groups)) state.SkipWithError("read failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Files().streamSize));
  state.counters["records"] = static_cast<double>(groups) / static_cast<double>(state.iterations());
  state.counters["stream_bytes"] = static_cast<double>(Files().streamSize);
}

void ReadFromFile(benchmark::State& state, const std::vector<uint8_t>& document) {
  const std::u16string name = AsciiToWide("/tmp/lx_bench_read_" + std::to_string(getpid()) + ".xls");
  {
    TFileStream file(name, TFileMode::fmCreate);
    file.WriteAll(document.data(), static_cast<int64_t>(document.size()));
  }
  uint64_t groups = 0;
  for (auto _ : state) {
    TXLSReadStream reader(kPassword);
    if (reader.OpenSource(name) != kResultOk || !ReadRecords(reader, groups)) state.SkipWithError("read failed");
  }
  DeleteFileName(name);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Files().streamSize));
}

void BM_ReadRecords_Plain_Memory(benchmark::State& state) { ReadFromMemory(state, Files().plain); }
void BM_ReadRecords_RC4_Memory(benchmark::State& state) { ReadFromMemory(state, Files().encrypted); }
void BM_ReadRecords_Plain_File(benchmark::State& state) { ReadFromFile(state, Files().plain); }
void BM_ReadRecords_RC4_File(benchmark::State& state) { ReadFromFile(state, Files().encrypted); }
BENCHMARK(BM_ReadRecords_Plain_Memory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadRecords_RC4_Memory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadRecords_Plain_File)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadRecords_RC4_File)->Unit(benchmark::kMillisecond);

}  // namespace
