// Test helper: walks a BIFF record stream into its records.
#pragma once

#include <cstdint>
#include <vector>

namespace lx::test {

struct TRecord {
  uint16_t number;
  uint32_t offset;  // of the record header in the stream
  std::vector<uint8_t> payload;
};

// Splits bytes into records; stops at a header whose payload runs past the end.
inline std::vector<TRecord> WalkRecords(const std::vector<uint8_t>& bytes) {
  std::vector<TRecord> records;
  size_t at = 0;
  while (at + 4 <= bytes.size()) {
    const auto number = static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
    const auto size = static_cast<uint16_t>(bytes[at + 2] | bytes[at + 3] << 8);
    if (at + 4 + size > bytes.size()) break;
    records.push_back({number, static_cast<uint32_t>(at),
                       std::vector<uint8_t>(bytes.begin() + at + 4, bytes.begin() + at + 4 + size)});
    at += 4 + size;
  }
  return records;
}

}  // namespace lx::test
