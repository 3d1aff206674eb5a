// Compound-file throughput: a 64 MB stream written in 4,048-byte pieces (the
// chunk size of the record lists that the XLS writer hands over), committed,
// then opened and read back in pieces of the same size; through a file on disk
// and in memory. Reported rates are stream bytes per CPU second. And a walk of
// a storage with 20,000 streams, each opened by name, as the snapshot of a
// macro storage walks it.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "lxCompoundFile.h"
#include "lxText.h"

namespace {

using namespace lx;

constexpr int64_t kStreamSize = 64 * 1024 * 1024;
constexpr int64_t kPiece = 4048;

const std::vector<uint8_t>& Piece() {
  static const std::vector<uint8_t> piece = [] {
    std::vector<uint8_t> bytes(kPiece);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 31 + 7);
    return bytes;
  }();
  return piece;
}

void FillWriter(TCompoundFileWriter& writer) {
  TCompoundWriteStream* stream = writer.Root().CreateStream(u"Workbook");
  for (int64_t done = 0; done < kStreamSize; done += kPiece) {
    stream->Write(Piece().data(), std::min(kPiece, kStreamSize - done));
  }
}

int64_t ReadBack(TCompoundFileReader& reader) {
  auto stream = reader.Root().OpenStream(u"Workbook");
  std::vector<uint8_t> buffer(kPiece);
  int64_t total = 0;
  for (int64_t n; (n = stream->Read(buffer.data(), kPiece)) > 0;) total += n;
  return total;
}

std::u16string BenchFileName() {
  return Utf8ToUtf16((std::filesystem::temp_directory_path() / "lx_bench_compound.cfb").string());
}

// Fill the stream and commit into a new memory stream (which grows as it goes).
void BM_CompoundWrite64MB_ToMemory(benchmark::State& state) {
  for (auto _ : state) {
    TCompoundFileWriter writer;
    FillWriter(writer);
    TMemoryStream out;
    if (!writer.Commit(out)) state.SkipWithError("commit failed");
    benchmark::DoNotOptimize(out.Bytes().data());
  }
  state.SetBytesProcessed(state.iterations() * kStreamSize);
}
BENCHMARK(BM_CompoundWrite64MB_ToMemory)->Unit(benchmark::kMillisecond);

// The save path: fill, commit to a temporary file, rename it over the target.
void BM_CompoundWrite64MB_ToFile(benchmark::State& state) {
  const std::u16string name = BenchFileName();
  for (auto _ : state) {
    TCompoundFileWriter writer;
    FillWriter(writer);
    if (!writer.CommitToFile(name)) state.SkipWithError("commit failed");
  }
  DeleteFileName(name);
  state.SetBytesProcessed(state.iterations() * kStreamSize);
}
BENCHMARK(BM_CompoundWrite64MB_ToFile)->Unit(benchmark::kMillisecond);

// Open from a caller stream (the bytes are copied in) and read everything.
void BM_CompoundRead64MB_FromMemory(benchmark::State& state) {
  TCompoundFileWriter writer;
  FillWriter(writer);
  TMemoryStream file;
  writer.Commit(file);
  for (auto _ : state) {
    file.Seek(0, TSeekOrigin::soBeginning);
    TCompoundFileReader reader;
    if (!reader.OpenStream(file) || ReadBack(reader) != kStreamSize) state.SkipWithError("read failed");
  }
  state.SetBytesProcessed(state.iterations() * kStreamSize);
}
BENCHMARK(BM_CompoundRead64MB_FromMemory)->Unit(benchmark::kMillisecond);

// The open path: read the file, validate it, read the stream.
void BM_CompoundRead64MB_FromFile(benchmark::State& state) {
  const std::u16string name = BenchFileName();
  TCompoundFileWriter writer;
  FillWriter(writer);
  writer.CommitToFile(name);
  for (auto _ : state) {
    TCompoundFileReader reader;
    if (!reader.OpenFile(name) || ReadBack(reader) != kStreamSize) state.SkipWithError("read failed");
  }
  DeleteFileName(name);
  state.SetBytesProcessed(state.iterations() * kStreamSize);
}
BENCHMARK(BM_CompoundRead64MB_FromFile)->Unit(benchmark::kMillisecond);

// Open a 2.5 MB document whose one storage holds 20,000 small streams named
// alike but for their last six characters, list the storage and open and
// read every stream by name.
void BM_CompoundWalk20000Streams(benchmark::State& state) {
  constexpr uint32_t kStreams = 20000;
  TCompoundFileWriter writer;
  TCompoundWriteStorage* many = writer.Root().CreateStorage(u"Many");
  for (uint32_t i = 0; i < kStreams; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "Twenty thousand streams #%06u", static_cast<unsigned>(i));
    many->CreateStream(Utf8ToUtf16(name))->Write(&i, sizeof i);
  }
  TMemoryStream file;
  writer.Commit(file);
  for (auto _ : state) {
    TCompoundFileReader reader;
    if (!reader.Open(file.Bytes())) state.SkipWithError("open failed");
    const auto storage = reader.Root().OpenStorage(u"Many");
    uint32_t walked = 0;
    for (const TCompoundElement& element : storage->EnumElements()) {
      uint32_t value;
      const auto stream = storage->OpenStream(element.Name);
      if (stream && stream->Read(&value, sizeof value) == sizeof value) ++walked;
    }
    if (walked != kStreams) state.SkipWithError("walk failed");
  }
  state.SetItemsProcessed(state.iterations() * kStreams);
}
BENCHMARK(BM_CompoundWalk20000Streams)->Unit(benchmark::kMillisecond);

}  // namespace
