// The compound document container of an XLS file.
//
// An XLS file is a compound file whose "Workbook" stream (BIFF8) or "Book"
// stream (BIFF5) holds the BIFF records. TXLSContainer is what the save driver
// and the record reader use to get at it: the save side creates a document on
// a file or a caller stream, writes the record lists into the workbook stream
// padded to a multiple of 512 bytes, and commits the document; the read side
// opens a document and hands out the workbook stream to read sequentially.
// The compound file itself is platform/lxCompoundFile.h.
//
// A file save never destroys the file it replaces when it fails: the document
// goes to a temporary file beside the target, which is renamed over the target
// only when everything was written (TSaveFile in platform/lxStreams.h, which
// also says how links, devices and pipes are saved to).
//
// Two kinds of foreign content travel from a file that was read to the next
// save in the same format: the macro project storage and the "Ctls" stream.
// TXLSFileStorage and TXLSFileStream are snapshots of them: names and bytes
// only, never interpreted.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "lxBLOB.h"
#include "lxCompoundFile.h"
#include "lxStreams.h"

namespace lx {

inline constexpr char16_t kWorkbookStreamName[] = u"Workbook";
inline constexpr char16_t kBookStreamName[] = u"Book";
inline constexpr char16_t kVbaProjectStorageBiff8[] = u"_VBA_PROJECT_CUR";
inline constexpr char16_t kVbaProjectStorageBiff5[] = u"_VBA_PROJECT";
inline constexpr char16_t kControlsStreamName[] = u"Ctls";
// The workbook stream's length is padded with zeros to a multiple of this.
inline constexpr int64_t kWorkbookStreamPadding = 512;
// Snapshots of storages nested deeper than this are refused, so that a
// hostile file cannot exhaust the stack.
inline constexpr uint32_t kMaxSnapshotDepth = 64;

// A snapshot of a storage or stream, by element name.
class TXLSFileItem {
 public:
  explicit TXLSFileItem(std::u16string name) : name_(std::move(name)) {}
  virtual ~TXLSFileItem() = default;
  TXLSFileItem(const TXLSFileItem&) = delete;
  TXLSFileItem& operator=(const TXLSFileItem&) = delete;

  const std::u16string& Name() const { return name_; }
  // Reads the element of this name from parent; 1, or -1 on failure.
  [[nodiscard]] virtual int32_t LoadFrom(const TCompoundReadStorage& parent) = 0;
  // Creates the element of this name in parent and writes it; 1, or -1.
  [[nodiscard]] virtual int32_t SaveTo(TCompoundWriteStorage& parent) const = 0;

 private:
  std::u16string name_;
};

class TXLSFileStream final : public TXLSFileItem {
 public:
  // A stream whose size is found when it is loaded.
  explicit TXLSFileStream(std::u16string name) : TXLSFileItem(std::move(name)) {}
  // A stream whose size enumeration reported.
  TXLSFileStream(std::u16string name, int32_t size) : TXLSFileItem(std::move(name)), size_(size), sizeKnown_(true) {}

  int32_t Size() const { return size_; }
  bool SizeKnown() const { return sizeKnown_; }
  const TXLSBlob& Content() const { return content_; }

  [[nodiscard]] int32_t LoadFrom(const TCompoundReadStorage& parent) override;
  [[nodiscard]] int32_t SaveTo(TCompoundWriteStorage& parent) const override;

 private:
  int32_t size_ = 0;
  bool sizeKnown_ = false;
  TXLSBlob content_;
};

class TXLSFileStorage final : public TXLSFileItem {
 public:
  // depth is 0 for a storage taken from the root.
  explicit TXLSFileStorage(std::u16string name, uint32_t depth = 0) : TXLSFileItem(std::move(name)), depth_(depth) {}

  // The children in the order the storage enumerated them; owned.
  const std::vector<std::unique_ptr<TXLSFileItem>>& Items() const { return items_; }

  [[nodiscard]] int32_t LoadFrom(const TCompoundReadStorage& parent) override;
  [[nodiscard]] int32_t SaveTo(TCompoundWriteStorage& parent) const override;

 private:
  uint32_t depth_;
  std::vector<std::unique_ptr<TXLSFileItem>> items_;
};

class TXLSContainer {
 public:
  TXLSContainer() = default;
  // Discards a save that was not finished; the target file stays as it was.
  ~TXLSContainer();
  TXLSContainer(const TXLSContainer&) = delete;
  TXLSContainer& operator=(const TXLSContainer&) = delete;

  // --- Save side, in this order.

  // Starts a document for a caller stream (when one is given) or for the
  // file. -1 when the name, trimmed of spaces, is empty and there is no
  // stream; -2 when the target is refused (a directory, say) or the
  // temporary file beside it cannot be created;
  // -3 when the in-memory document cannot be created.
  [[nodiscard]] int32_t CreateContainer(const std::u16string& fileName, TStream* stream);
  // Writes the lists, in order, into the "Book" (BIFF5) or "Workbook" (BIFF8)
  // stream, then pads the stream with zeros to a multiple of 512 bytes
  // whatever the result. -1 when the stream cannot be created or a write is
  // short; writing stops at the first failure.
  [[nodiscard]] int32_t WriteWorkbookStream(int32_t fileFormat, std::span<const TXLSBlobList* const> lists);
  // Writes the kept snapshots into the root storage when this save's format
  // is the one the workbook was read in; otherwise they are dropped. Failures
  // are ignored, as the carried content is not ours.
  void WriteCarriedContent(int32_t saveFormat, int32_t readFormat, const TXLSFileStorage* storage,
                           const TXLSFileStream* stream);
  // Commits the document: appends it to the caller stream at its current
  // position, or completes the temporary file and renames it over the
  // target. 1; -1 when the caller stream took fewer bytes; -2 when the file
  // could not be completed or replaced (the old file is then untouched).
  [[nodiscard]] int32_t FinishContainer();
  // Ends a failed save without touching the target file.
  void AbandonContainer();
  // The document being written; nullptr outside a save.
  TCompoundWriteStorage* WriteRoot();
  // The target file name of the last file save.
  const std::u16string& FileName() const { return fileName_; }

  // --- Read side.

  // Opens a document from the caller stream (when one is given; the document
  // starts at its current position, and the stream is then set back to
  // position 0) or from the file. Either is read as it is needed, never held
  // whole; a caller stream must stay alive until CloseContainer. -2 when it
  // cannot be opened, or when there is neither name nor stream.
  [[nodiscard]] int32_t OpenContainer(const std::u16string& fileName, TStream* stream);
  // Opens the "workbook" stream, else the "book" stream; -3 when neither exists.
  [[nodiscard]] int32_t OpenWorkbookStream();
  // The open workbook stream, read from position 0; nullptr when none is open.
  TStream* WorkbookStream() { return workbookStream_.get(); }
  // The storage snapshot ("_VBA_PROJECT_CUR" for BIFF8, "_VBA_PROJECT" for
  // BIFF5) and the "Ctls" stream snapshot of the open document; each is null
  // when it is missing or cannot be read.
  void TakeSnapshots(int32_t fileFormat, std::unique_ptr<TXLSFileStorage>& storage,
                     std::unique_ptr<TXLSFileStream>& stream) const;
  void CloseWorkbookStream() { workbookStream_.reset(); }
  // Releases the workbook stream, then the document.
  void CloseContainer();
  // The root of the open document; empty when none is open.
  std::optional<TCompoundReadStorage> ReadRoot() const;

 private:
  // Save side.
  std::unique_ptr<TCompoundFileWriter> writer_;
  TStream* target_ = nullptr;
  std::unique_ptr<TSaveFile> file_;
  std::u16string fileName_;
  // Read side.
  TCompoundFileReader reader_;
  std::unique_ptr<TCompoundReadStream> workbookStream_;
};

}  // namespace lx
