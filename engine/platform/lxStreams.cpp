#include "lxStreams.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>
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

// ---------------------------------------------------------------------------
// Opening and saving files by name

namespace {

// The longest name of one directory entry, in bytes.
constexpr size_t kMaxNameBytes = 255;
// Symbolic links followed before a name is given up as a loop.
constexpr int kMaxLinkHops = 40;

// Opens with O_NONBLOCK, so that a named pipe cannot hold the open up, and
// clears the flag again for the reads and writes that follow.
int OpenNonBlocking(const std::string& name, int flags) {
  const int fd = ::open(name.c_str(), flags | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return -1;
  const int status = ::fcntl(fd, F_GETFL);
  if (status < 0 || ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) < 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

std::unique_ptr<TFileStream> AdoptDescriptor(int fd, const char* how) {
  std::FILE* file = ::fdopen(fd, how);
  if (file == nullptr) {
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<TFileStream>(file);
}

// The name a chain of symbolic links ends at (the name itself when it is no
// link, or does not exist yet); empty when the chain loops or a link cannot
// be read.
std::string FollowLinks(std::string name) {
  for (int hops = 0; hops < kMaxLinkHops; ++hops) {
    struct stat st;
    if (::lstat(name.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return name;
    std::string link(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
    ssize_t n;
    while ((n = ::readlink(name.c_str(), link.data(), link.size())) >= static_cast<ssize_t>(link.size()))
      link.resize(link.size() * 2);
    if (n <= 0) return {};
    link.resize(static_cast<size_t>(n));
    // A relative link is relative to the directory that holds it.
    const size_t slash = name.rfind('/');
    name = link[0] == '/' || slash == std::string::npos ? link : name.substr(0, slash + 1) + link;
  }
  return {};
}

// A name beside target, unique to this process and call, whose last
// component is at most kMaxNameBytes long: target's name is shortened, at a
// character boundary, to leave room for the suffix.
std::string TemporaryNameBeside(const std::string& target) {
  static std::random_device random;
  const std::string suffix = ".~" + std::to_string(::getpid()) + "-" + std::to_string(random()) + ".tmp";
  const size_t slash = target.rfind('/');
  const size_t start = slash == std::string::npos ? 0 : slash + 1;
  std::string name = target.substr(start);
  if (name.size() + suffix.size() > kMaxNameBytes) {
    size_t keep = kMaxNameBytes - suffix.size();
    // Never cut a UTF-8 sequence in two: back up to the start of a character.
    while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80) --keep;
    name.resize(keep);
  }
  return target.substr(0, start) + name + suffix;
}

}  // namespace

std::unique_ptr<TFileStream> OpenRegularFile(const std::u16string& fileName) {
  const std::string native = FileNameToNative(fileName);
  if (native.empty()) return nullptr;
  const int fd = OpenNonBlocking(native, O_RDONLY);
  if (fd < 0) return nullptr;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return nullptr;
  }
  return AdoptDescriptor(fd, "rb");
}

TSaveFile::~TSaveFile() { Abandon(); }

bool TSaveFile::Open(const std::u16string& fileName) {
  Abandon();
  const std::string native = FileNameToNative(fileName);
  if (native.empty()) return false;
  // What the name stands for, as the system follows its links: that also
  // covers links whose text is no path, such as /dev/stdout.
  struct stat st;
  const bool exists = ::stat(native.c_str(), &st) == 0;
  if (!exists && errno != ENOENT) return false;  // a loop, a folder that is no folder, ...
  if (exists && (S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode))) {
    // Written in place: no O_CREAT, so a name that vanished meanwhile is not
    // made into a file here, and a pipe without a reader fails at once.
    const int fd = OpenNonBlocking(native, O_WRONLY);
    if (fd < 0) return false;
    struct stat opened;
    if (::fstat(fd, &opened) != 0 || !(S_ISCHR(opened.st_mode) || S_ISFIFO(opened.st_mode))) {
      ::close(fd);
      return false;
    }
    file_ = AdoptDescriptor(fd, "wb");
    return file_ != nullptr;
  }
  if (exists && !S_ISREG(st.st_mode)) return false;
  // The file to replace, or to create for a link that names none yet. A
  // link whose text leads elsewhere than the system went is refused.
  std::string target = FollowLinks(native);
  if (target.empty()) return false;
  struct stat found;
  if (exists && (::stat(target.c_str(), &found) != 0 || found.st_dev != st.st_dev || found.st_ino != st.st_ino))
    return false;

  // A file that replaces another is made private first and given the old
  // file's owner and mode before any byte is written to it.
  int fd = -1;
  std::string temporary;
  for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
    temporary = TemporaryNameBeside(target);
    fd = ::open(temporary.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, exists ? 0600 : 0666);
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;
  if (exists) {
    // Only root may give a file away; others may still keep the group when
    // they belong to it. Where neither is allowed the new file has this
    // process's owner and group, as any file it creates.
    const bool ownerKept = ::fchown(fd, st.st_uid, st.st_gid) == 0;
    [[maybe_unused]] const bool groupKept = ownerKept || ::fchown(fd, static_cast<uid_t>(-1), st.st_gid) == 0;
    if (::fchmod(fd, st.st_mode & 07777) != 0) {
      ::close(fd);
      ::unlink(temporary.c_str());
      return false;
    }
  }
  file_ = AdoptDescriptor(fd, "w+b");
  if (!file_) {
    ::unlink(temporary.c_str());
    return false;
  }
  target_ = std::move(target);
  temporary_ = std::move(temporary);
  return true;
}

bool TSaveFile::Commit() {
  if (!file_) return false;
  bool ok = file_->Close();
  file_.reset();
  if (!temporary_.empty()) {
    if (ok) ok = ::rename(temporary_.c_str(), target_.c_str()) == 0;
    if (!ok) ::unlink(temporary_.c_str());
  }
  target_.clear();
  temporary_.clear();
  return ok;
}

void TSaveFile::Abandon() {
  if (file_) {
    file_->Close();
    file_.reset();
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
  }
  target_.clear();
  temporary_.clear();
}

}  // namespace lx
