// The on-disk layout of compound files, shared by the writer and the reader
// of lxCompoundFile.h, and the parsed form the reader keeps of an opened file.
// Not part of the engine's interface: only the two implementation files
// include it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "lxStreams.h"

namespace lx::cfb {

inline constexpr uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

// Special sector numbers; real sectors are numbered below kMaxRegSect.
inline constexpr uint32_t kMaxRegSect = 0xFFFFFFFA;
inline constexpr uint32_t kDifSect = 0xFFFFFFFC;
inline constexpr uint32_t kFatSect = 0xFFFFFFFD;
inline constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
inline constexpr uint32_t kFreeSect = 0xFFFFFFFF;
inline constexpr uint32_t kNoStream = 0xFFFFFFFF;

// Header (the first 512 bytes; version 4 pads its header sector to 4,096).
inline constexpr uint32_t kHeaderSize = 512;
inline constexpr uint32_t kHdrSignature = 0;
inline constexpr uint32_t kHdrMinorVersion = 24;
inline constexpr uint32_t kHdrMajorVersion = 26;
inline constexpr uint32_t kHdrByteOrder = 28;
inline constexpr uint32_t kHdrSectorShift = 30;
inline constexpr uint32_t kHdrMiniSectorShift = 32;
inline constexpr uint32_t kHdrDirSectorCount = 40;
inline constexpr uint32_t kHdrFatSectorCount = 44;
inline constexpr uint32_t kHdrFirstDirSector = 48;
inline constexpr uint32_t kHdrMiniStreamCutoff = 56;
inline constexpr uint32_t kHdrFirstMiniFatSector = 60;
inline constexpr uint32_t kHdrMiniFatSectorCount = 64;
inline constexpr uint32_t kHdrFirstDifatSector = 68;
inline constexpr uint32_t kHdrDifatSectorCount = 72;
inline constexpr uint32_t kHdrDifat = 76;
inline constexpr uint32_t kHeaderDifatSlots = 109;

inline constexpr uint16_t kMinorVersion = 0x003E;
inline constexpr uint16_t kByteOrderMark = 0xFFFE;
inline constexpr uint16_t kSectorShiftV3 = 9;
inline constexpr uint16_t kSectorShiftV4 = 12;
inline constexpr uint16_t kMiniSectorShift = 6;
inline constexpr uint32_t kMiniSectorSize = 1u << kMiniSectorShift;

// Directory entries, 128 bytes each.
inline constexpr uint32_t kDirEntrySize = 128;
inline constexpr uint32_t kDirName = 0;
inline constexpr uint32_t kDirNameBytes = 64;
inline constexpr uint32_t kDirNameLength = 64;
inline constexpr uint32_t kDirType = 66;
inline constexpr uint32_t kDirColor = 67;
inline constexpr uint32_t kDirLeft = 68;
inline constexpr uint32_t kDirRight = 72;
inline constexpr uint32_t kDirChild = 76;
inline constexpr uint32_t kDirStart = 116;
inline constexpr uint32_t kDirSize = 120;

inline constexpr uint8_t kTypeEmpty = 0;
inline constexpr uint8_t kTypeStorage = 1;
inline constexpr uint8_t kTypeStream = 2;
inline constexpr uint8_t kTypeRoot = 5;
inline constexpr uint8_t kColorRed = 0;
inline constexpr uint8_t kColorBlack = 1;

inline constexpr char16_t kRootName[] = u"Root Entry";

inline uint16_t Load16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t Load32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}
inline uint64_t Load64(const uint8_t* p) {
  return static_cast<uint64_t>(Load32(p)) | (static_cast<uint64_t>(Load32(p + 4)) << 32);
}
inline void Store16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void Store32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void Store64(uint8_t* p, uint64_t v) {
  Store32(p, static_cast<uint32_t>(v));
  Store32(p + 4, static_cast<uint32_t>(v >> 32));
}

}  // namespace lx::cfb

namespace lx::detail {

// A contiguous piece of a stream inside the file's bytes.
struct TCompoundRun {
  uint64_t streamOffset;
  uint64_t fileOffset;
  uint64_t length;
};

// A storage or stream reached from the root; node 0 is the root storage.
struct TCompoundNode {
  std::u16string name;
  uint8_t type = 0;
  uint64_t size = 0;
  // The stream's runs: runs[firstRun .. firstRun + runCount) of the image.
  uint32_t firstRun = 0;
  uint32_t runCount = 0;
  // A storage's children (node indexes) in sibling order.
  std::vector<uint32_t> children;
  // The same children ordered by name as CompareCompoundNames orders them,
  // children of equal names in sibling order, for lookups by name. A sound
  // file's sibling order already is this order; a damaged one's need not be.
  std::vector<uint32_t> byName;
};

// Everything the reader keeps of an opened file. Every run lies inside the
// file (its last sector padded with zeros) and no two streams share a
// sector, so the streams together never hold more bytes than the file.
//
// The file's bytes are either held whole (bytes) or read on demand from a
// source, where the file starts at base: then only the tables parsed at the
// open stay in memory, however large the file.
struct TCompoundImage {
  std::vector<uint8_t> bytes;  // padded to whole sectors; empty with a source
  std::unique_ptr<TStream> ownedSource;
  TStream* source = nullptr;  // the owned source or the caller's
  int64_t base = 0;
  uint64_t fileSize = 0;  // of a source, from base to its end
  uint16_t version = 0;
  std::vector<TCompoundNode> nodes;
  std::vector<TCompoundRun> runs;

  // Copies count bytes from offset of the file; bytes past the file's end
  // read as zeros. False when the source fails.
  bool ReadAt(uint64_t offset, uint8_t* out, uint64_t count) const;
};

}  // namespace lx::detail
