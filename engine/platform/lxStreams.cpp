#include "lxStreams.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "lxText.h"

namespace lx {

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
  if (count < 0) return -1;
  const int64_t available = std::max<int64_t>(0, Size() - position_);
  const int64_t n = std::min(count, available);
  if (n > 0) std::memcpy(buffer, bytes_.data() + position_, static_cast<size_t>(n));
  position_ += n;
  return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
  if (count < 0) return -1;
  if (count == 0) return 0;
  const int64_t end = OffsetPosition(position_, count);
  if (end < 0) return -1;
  if (end > Size()) bytes_.resize(static_cast<size_t>(end));
  std::memcpy(bytes_.data() + position_, buffer, static_cast<size_t>(count));
  position_ = end;
  return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
  int64_t base = 0;
  if (origin == TSeekOrigin::soCurrent) base = position_;
  if (origin == TSeekOrigin::soEnd) base = Size();
  const int64_t target = OffsetPosition(base, offset);
  if (target < 0) return -1;
  position_ = target;
  return position_;
}

std::string FileNameToNative(const std::u16string& fileName) { return Utf16ToUtf8(fileName); }

TFileStream::TFileStream(const std::u16string& fileName, TFileMode mode) {
  const char* how = "rb";
  if (mode == TFileMode::fmOpenReadWrite) how = "r+b";
  if (mode == TFileMode::fmCreate) how = "w+b";
  const std::string native = FileNameToNative(fileName);
  if (!native.empty()) file_ = std::fopen(native.c_str(), how);
}

TFileStream::~TFileStream() { Close(); }

bool TFileStream::Close() {
  if (file_ == nullptr) return true;
  const bool ok = std::fclose(file_) == 0;
  file_ = nullptr;
  return ok;
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
  if (file_ == nullptr || count < 0) return -1;
  return static_cast<int64_t>(std::fread(buffer, 1, static_cast<size_t>(count), file_));
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
  if (file_ == nullptr || count < 0) return -1;
  return static_cast<int64_t>(std::fwrite(buffer, 1, static_cast<size_t>(count), file_));
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
  if (file_ == nullptr) return -1;
  int whence = SEEK_SET;
  if (origin == TSeekOrigin::soCurrent) whence = SEEK_CUR;
  if (origin == TSeekOrigin::soEnd) whence = SEEK_END;
  if (fseeko(file_, static_cast<off_t>(offset), whence) != 0) return -1;
  return static_cast<int64_t>(ftello(file_));
}

int64_t TFileStream::Size() {
  if (file_ == nullptr) return -1;
  const off_t here = ftello(file_);
  if (fseeko(file_, 0, SEEK_END) != 0) return -1;
  const off_t size = ftello(file_);
  fseeko(file_, here, SEEK_SET);
  return static_cast<int64_t>(size);
}

bool FileExists(const std::u16string& fileName) {
  std::error_code ec;
  return std::filesystem::is_regular_file(FileNameToNative(fileName), ec);
}

bool DirectoryExists(const std::u16string& directory) {
  std::error_code ec;
  return std::filesystem::is_directory(FileNameToNative(directory), ec);
}

bool CreateDirectoryPath(const std::u16string& directory) {
  std::error_code ec;
  std::filesystem::create_directories(FileNameToNative(directory), ec);
  return !ec && DirectoryExists(directory);
}

bool DeleteFileName(const std::u16string& fileName) {
  std::error_code ec;
  return std::filesystem::remove(FileNameToNative(fileName), ec) && !ec;
}

bool ReplaceFile(const std::u16string& source, const std::u16string& target) {
  std::error_code ec;
  std::filesystem::rename(FileNameToNative(source), FileNameToNative(target), ec);
  return !ec;
}

}  // namespace lx
