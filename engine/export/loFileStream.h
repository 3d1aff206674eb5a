// TWFileStream: a file stream opened by a wide file name, with the open
// modes of the exporters and the reader.
//
// The mode fmCreateFile creates the file anew (read and write); any other
// mode opens an existing file with the access of its low two bits (0 read,
// 1 write, 2 read and write; 3 is refused). The sharing bits 4 to 7 are
// accepted and mean nothing here: files are not locked against other
// processes. A file that cannot be created or opened raises EFileStreamError
// with the message "Cannot create file NAME" or "Cannot open file NAME".
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

#include "lxStreams.h"

namespace lx {

inline constexpr uint16_t fmCreateFile = 0xFFFF;
inline constexpr uint16_t fmOpenReadAccess = 0;
inline constexpr uint16_t fmOpenWriteAccess = 1;
inline constexpr uint16_t fmOpenReadWriteAccess = 2;

class EFileStreamError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TWFileStream final : public TStream {
 public:
  TWFileStream(const std::u16string& fileName, uint16_t mode);

  // Reading a stream opened for writing only gives -1, and so does writing
  // one opened for reading only.
  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override { return file_->Seek(offset, origin); }
  int64_t Size() override { return file_->Size(); }

 private:
  std::unique_ptr<TFileStream> file_;
  bool canRead_ = true;
  bool canWrite_ = true;
};

}  // namespace lx
