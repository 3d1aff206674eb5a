// Runs a fuzz target's entry function over files, without libFuzzer: the
// plain test build uses it to replay the kept seeds and the inputs of past
// findings (fuzz/corpus/<name>, fuzz/regressions/<name>) under its
// sanitizers. Arguments are files or folders (every file inside, in name
// order); a target that rejects an input stops the process, as under the
// fuzzer.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

int Replay(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    std::fprintf(stderr, "replay: cannot read %s\n", path.c_str());
    return 0;
  }
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::fprintf(stderr, "replay: %s (%zu bytes)\n", path.c_str(), bytes.size());
  // A copy of exactly the input's size, so that a read past its end shows.
  std::vector<uint8_t> input(bytes);
  LLVMFuzzerTestOneInput(input.data(), input.size());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  int replayed = 0;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path argument(argv[i]);
    if (!std::filesystem::is_directory(argument)) {
      if (!std::filesystem::exists(argument)) {
        std::fprintf(stderr, "replay: no such file or folder: %s\n", argv[i]);
        return 2;
      }
      replayed += Replay(argument);
      continue;
    }
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(argument)) {
      if (entry.is_regular_file()) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    for (const auto& file : files) replayed += Replay(file);
  }
  std::printf("replayed %d inputs\n", replayed);
  return replayed > 0 ? 0 : 2;
}
