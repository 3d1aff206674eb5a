#include "loFileStream.h"

#include "lxCodePage.h"

namespace lx {

namespace {

constexpr uint16_t kAccessMask = 0x0003;

}  // namespace

TWFileStream::TWFileStream(const std::u16string& fileName, uint16_t mode) {
  if (mode == fmCreateFile) {
    file_ = std::make_unique<TFileStream>(fileName, TFileMode::fmCreate);
    if (!file_->IsOpen()) throw EFileStreamError("Cannot create file " + WideToAnsi(fileName));
    return;
  }
  const uint16_t access = mode & kAccessMask;
  canRead_ = access == fmOpenReadAccess || access == fmOpenReadWriteAccess;
  canWrite_ = access == fmOpenWriteAccess || access == fmOpenReadWriteAccess;
  if (canRead_ || canWrite_)
    file_ = std::make_unique<TFileStream>(fileName, canWrite_ ? TFileMode::fmOpenReadWrite : TFileMode::fmOpenRead);
  if (!file_ || !file_->IsOpen()) throw EFileStreamError("Cannot open file " + WideToAnsi(fileName));
}

int64_t TWFileStream::Read(void* buffer, int64_t count) { return canRead_ ? file_->Read(buffer, count) : -1; }

int64_t TWFileStream::Write(const void* buffer, int64_t count) { return canWrite_ ? file_->Write(buffer, count) : -1; }

}  // namespace lx
