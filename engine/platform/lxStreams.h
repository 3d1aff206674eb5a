// Caller streams: the byte streams a caller hands the engine to save into or
// open from, with a file and an in-memory implementation.
//
// The engine only ever reads, writes, seeks and asks the size; the compound
// document container (biff/lxOLE.h) and the exporters sit on this interface.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace lx {

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

// The position offset bytes from base, or -1 when that would be negative or
// beyond the largest position a stream can hold (the sum is checked before it
// is formed, so no offset a caller passes can overflow it).
inline int64_t OffsetPosition(int64_t base, int64_t offset) {
  if (offset > 0 && base > INT64_MAX - offset) return -1;
  if (offset < 0 && base < INT64_MIN - offset) return -1;
  const int64_t target = base + offset;
  return target < 0 ? -1 : target;
}

class TStream {
 public:
  virtual ~TStream() = default;
  // Reads up to count bytes; returns the number read (0 at the end, -1 on error).
  virtual int64_t Read(void* buffer, int64_t count) = 0;
  // Writes count bytes; returns the number written (-1 on error).
  virtual int64_t Write(const void* buffer, int64_t count) = 0;
  // Moves the position; returns the new position, or -1 when it would be negative.
  virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
  virtual int64_t Size() = 0;
  int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
  // Reads exactly count bytes or fails.
  bool ReadExact(void* buffer, int64_t count) { return Read(buffer, count) == count; }
  bool WriteAll(const void* buffer, int64_t count) { return Write(buffer, count) == count; }
};

// A growable stream held in memory.
class TMemoryStream final : public TStream {
 public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return static_cast<int64_t>(bytes_.size()); }

  const std::vector<uint8_t>& Bytes() const { return bytes_; }
  std::vector<uint8_t>& Bytes() { return bytes_; }
  void Clear() {
    bytes_.clear();
    position_ = 0;
  }

 private:
  std::vector<uint8_t> bytes_;
  int64_t position_ = 0;
};

enum class TFileMode {
  fmOpenRead,       // existing file, read only
  fmOpenReadWrite,  // existing file, read and write
  fmCreate,         // create or truncate, read and write
};

// A stream over a file on disk; the name is wide text.
class TFileStream final : public TStream {
 public:
  TFileStream(const std::u16string& fileName, TFileMode mode);
  // Takes over a file the caller opened (nullptr gives a closed stream).
  explicit TFileStream(std::FILE* file) : file_(file) {}
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  // False when the file could not be opened or created.
  bool IsOpen() const { return file_ != nullptr; }

  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override;
  // Flushes and closes; false when buffered bytes could not be written.
  bool Close();

 private:
  std::FILE* file_ = nullptr;
};

// File-system helpers for the writers; names are wide text.
std::string FileNameToNative(const std::u16string& fileName);
bool FileExists(const std::u16string& fileName);
bool DirectoryExists(const std::u16string& directory);
bool CreateDirectoryPath(const std::u16string& directory);
bool DeleteFileName(const std::u16string& fileName);
// Replaces target by source (an atomic rename on the same file system).
bool ReplaceFile(const std::u16string& source, const std::u16string& target);

// Opens an existing regular file for reading; nullptr when the name is
// missing or names anything else. A directory or a device cannot hold a
// document, and opening a named pipe that has no writer would wait forever,
// so they are refused before a byte is read.
std::unique_ptr<TFileStream> OpenRegularFile(const std::u16string& fileName);

// The file a save writes. Open decides where the bytes go:
// - a name that does not exist yet, or names a regular file: a temporary file
//   beside it, renamed over it by Commit, so a failed save leaves the old file
//   as it was. The new file takes the old one's permission bits, and its
//   owner and group where the process may give them; a new name gets the
//   usual mode for new files. The temporary name stays within the 255-byte
//   limit of a file name however long the target's is.
// - a symbolic link: the file it names (links are followed to their end),
//   saved as above; the link itself stays.
// - a character device or a named pipe (/dev/null, a pipe to a reader): the
//   file itself, written in place; there is nothing there to replace. A pipe
//   that has no reader is refused rather than waited on.
// - anything else (a directory, a block device, a socket) is refused.
class TSaveFile {
 public:
  TSaveFile() = default;
  // Abandons a save that was not committed.
  ~TSaveFile();
  TSaveFile(const TSaveFile&) = delete;
  TSaveFile& operator=(const TSaveFile&) = delete;

  // False when the target is refused or the file cannot be created.
  bool Open(const std::u16string& fileName);
  bool IsOpen() const { return file_ != nullptr; }
  // Where the bytes go; only valid while IsOpen().
  TStream& Stream() { return *file_; }
  // Completes the file: closes it and, for a temporary file, renames it over
  // the target. False when the bytes could not all be written or the rename
  // failed; the temporary file is then removed and the target is untouched.
  bool Commit();
  // Ends the save without touching the target; a temporary file is removed.
  void Abandon();

 private:
  std::unique_ptr<TFileStream> file_;
  std::string target_;     // the native name the save replaces
  std::string temporary_;  // the temporary file's native name; empty in place
};

}  // namespace lx
