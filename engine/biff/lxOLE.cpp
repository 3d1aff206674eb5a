#include "lxOLE.h"

#include <exception>

#include "lxConstants.h"

namespace lx {

namespace {

bool IsBlank(const std::u16string& text) {
  for (char16_t c : text) {
    if (c != u' ') return false;
  }
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------
// Snapshots

int32_t TXLSFileStream::LoadFrom(const TCompoundReadStorage& parent) {
  std::unique_ptr<TCompoundReadStream> stream = parent.OpenStream(Name());
  if (!stream) return kResultFail;
  if (!sizeKnown_) {
    const int64_t end = stream->Seek(0, TSeekOrigin::soEnd);
    if (end < 0 || end > INT32_MAX) return kResultFail;
    size_ = static_cast<int32_t>(end);
    stream->Seek(0, TSeekOrigin::soBeginning);
  }
  if (size_ < 0) return kResultFail;
  content_ = TXLSBlob(static_cast<uint32_t>(size_));
  if (size_ > 0 && content_.Capacity() == 0) return kResultFail;  // no memory
  const int64_t got = stream->Read(content_.Data(), size_);
  content_.SetLength(got > 0 ? static_cast<uint32_t>(got) : 0);
  return kResultOk;
}

int32_t TXLSFileStream::SaveTo(TCompoundWriteStorage& parent) const {
  TCompoundWriteStream* stream = parent.CreateStream(Name());
  if (stream == nullptr) return kResultFail;
  return content_.WriteToStream(*stream);
}

int32_t TXLSFileStorage::LoadFrom(const TCompoundReadStorage& parent) {
  if (depth_ > kMaxSnapshotDepth) return kResultFail;
  const std::optional<TCompoundReadStorage> storage = parent.OpenStorage(Name());
  if (!storage) return kResultFail;
  for (const TCompoundElement& element : storage->EnumElements()) {
    std::unique_ptr<TXLSFileItem> child;
    if (element.Type == TCompoundElementType::ceStorage) {
      child = std::make_unique<TXLSFileStorage>(element.Name, depth_ + 1);
    } else {
      // Enumeration reports the low 32 bits of the size.
      child = std::make_unique<TXLSFileStream>(element.Name, static_cast<int32_t>(element.Size & 0xFFFFFFFFu));
    }
    items_.push_back(std::move(child));
    const int32_t result = items_.back()->LoadFrom(*storage);
    if (result != kResultOk) return result;
  }
  return kResultOk;
}

int32_t TXLSFileStorage::SaveTo(TCompoundWriteStorage& parent) const {
  TCompoundWriteStorage* storage = parent.CreateStorage(Name());
  if (storage == nullptr) return kResultFail;
  for (const auto& item : items_) {
    const int32_t result = item->SaveTo(*storage);
    if (result != kResultOk) return result;
  }
  return kResultOk;
}

// ---------------------------------------------------------------------------
// Save side

TXLSContainer::~TXLSContainer() { AbandonContainer(); }

int32_t TXLSContainer::CreateContainer(const std::u16string& fileName, TStream* stream) {
  AbandonContainer();
  if (stream == nullptr && IsBlank(fileName)) return kResultFail;
  try {
    writer_ = std::make_unique<TCompoundFileWriter>();
  } catch (const std::exception&) {
    return stream ? kResultCreateMemoryFailed : kResultCreateFileFailed;
  }
  if (stream != nullptr) {
    target_ = stream;
    return kResultOk;
  }
  // The document goes to a temporary file beside the target (or, for a
  // device or a pipe, to the target itself), held open for the whole save
  // like an exclusively locked document file.
  file_ = std::make_unique<TSaveFile>();
  if (!file_->Open(fileName)) {
    file_.reset();
    writer_.reset();
    return kResultCreateFileFailed;
  }
  fileName_ = fileName;
  return kResultOk;
}

int32_t TXLSContainer::WriteWorkbookStream(int32_t fileFormat, std::span<const TXLSBlobList* const> lists) {
  if (!writer_) return kResultFail;
  const char16_t* name = fileFormat == kSaveBiff5 ? kBookStreamName : kWorkbookStreamName;
  TCompoundWriteStream* stream = writer_->Root().CreateStream(name);
  if (stream == nullptr) return kResultFail;
  // A large workbook stream goes from the record lists straight into the
  // file at the commit instead of being copied into the container first; the
  // lists live until then (the save driver holds them).
  uint64_t total = 0;
  for (const TXLSBlobList* list : lists)
    if (list != nullptr) total += list->Total();
  const uint64_t tailPadding = (kWorkbookStreamPadding - total % kWorkbookStreamPadding) % kWorkbookStreamPadding;
  std::vector<const TXLSBlobList*> kept(lists.begin(), lists.end());
  const bool direct = stream->SetSource(
      static_cast<int64_t>(total + tailPadding), [kept = std::move(kept), tailPadding](TStream& target) {
        for (const TXLSBlobList* list : kept)
          if (list != nullptr && list->WriteToStream(target) != kResultOk) return false;
        const std::vector<uint8_t> zeros(static_cast<size_t>(tailPadding), 0);
        return tailPadding == 0 || target.WriteAll(zeros.data(), static_cast<int64_t>(tailPadding));
      });
  if (direct) return kResultOk;
  int32_t result = kResultOk;
  for (const TXLSBlobList* list : lists) {
    if (list == nullptr) continue;
    result = list->WriteToStream(*stream);
    if (result != kResultOk) break;
  }
  const int64_t position = stream->Seek(0, TSeekOrigin::soCurrent);
  const int64_t padding = (kWorkbookStreamPadding - position % kWorkbookStreamPadding) % kWorkbookStreamPadding;
  if (padding > 0) {
    const std::vector<uint8_t> zeros(static_cast<size_t>(padding), 0);
    if (!stream->WriteAll(zeros.data(), padding) && result == kResultOk) result = kResultFail;
  }
  return result;
}

void TXLSContainer::WriteCarriedContent(int32_t saveFormat, int32_t readFormat, const TXLSFileStorage* storage,
                                        const TXLSFileStream* stream) {
  if (!writer_ || saveFormat != readFormat) return;
  // Carried content is kept where it can be: a part that cannot be written
  // again does not fail the save of the workbook itself.
  if (storage != nullptr) static_cast<void>(storage->SaveTo(writer_->Root()));
  if (stream != nullptr) static_cast<void>(stream->SaveTo(writer_->Root()));
}

TCompoundWriteStorage* TXLSContainer::WriteRoot() { return writer_ ? &writer_->Root() : nullptr; }

int32_t TXLSContainer::FinishContainer() {
  if (!writer_) return kResultFail;
  int32_t result = kResultOk;
  if (target_ != nullptr) {
    if (!writer_->Commit(*target_)) result = kResultFail;
    target_ = nullptr;
    writer_.reset();
    return result;
  }
  bool ok = writer_->Commit(file_->Stream());
  writer_.reset();
  if (ok) {
    ok = file_->Commit();
  } else {
    file_->Abandon();
  }
  file_.reset();
  return ok ? kResultOk : kResultCreateFileFailed;
}

void TXLSContainer::AbandonContainer() {
  file_.reset();  // removes a temporary file
  target_ = nullptr;
  writer_.reset();
}

// ---------------------------------------------------------------------------
// Read side

int32_t TXLSContainer::OpenContainer(const std::u16string& fileName, TStream* stream) {
  CloseContainer();
  bool ok = false;
  if (stream != nullptr) {
    // The document is read from the caller's stream as it is needed, so a
    // large file is never held whole.
    ok = reader_.OpenSource(*stream);
    stream->Seek(0, TSeekOrigin::soBeginning);
  } else if (!IsBlank(fileName)) {
    ok = reader_.OpenFile(fileName);
  }
  return ok ? kResultOk : kResultCreateFileFailed;
}

int32_t TXLSContainer::OpenWorkbookStream() {
  workbookStream_.reset();
  if (!reader_.IsOpen()) return kResultCreateMemoryFailed;
  const TCompoundReadStorage root = reader_.Root();
  workbookStream_ = root.OpenStream(u"workbook");
  if (!workbookStream_) workbookStream_ = root.OpenStream(u"book");
  return workbookStream_ ? kResultOk : kResultCreateMemoryFailed;
}

void TXLSContainer::TakeSnapshots(int32_t fileFormat, std::unique_ptr<TXLSFileStorage>& storage,
                                  std::unique_ptr<TXLSFileStream>& stream) const {
  storage.reset();
  stream.reset();
  if (!reader_.IsOpen()) return;
  const TCompoundReadStorage root = reader_.Root();
  // A snapshot that cannot be read whole is dropped without a word.
  try {
    auto project =
        std::make_unique<TXLSFileStorage>(fileFormat == kSaveBiff5 ? kVbaProjectStorageBiff5 : kVbaProjectStorageBiff8);
    if (project->LoadFrom(root) == kResultOk) storage = std::move(project);
  } catch (const std::exception&) {
  }
  try {
    auto controls = std::make_unique<TXLSFileStream>(kControlsStreamName);
    if (controls->LoadFrom(root) == kResultOk) stream = std::move(controls);
  } catch (const std::exception&) {
  }
}

void TXLSContainer::CloseContainer() {
  workbookStream_.reset();
  reader_.Close();
}

std::optional<TCompoundReadStorage> TXLSContainer::ReadRoot() const {
  if (!reader_.IsOpen()) return std::nullopt;
  return reader_.Root();
}

}  // namespace lx
