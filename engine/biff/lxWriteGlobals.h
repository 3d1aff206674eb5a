// The save driver and the workbook-globals writer.
//
// Every XLS save of a workbook ends in SaveWorkbook: it creates the compound
// document (lxOLE.h) on a file or a caller stream, has TXLSGlobalsWriter
// build all records in memory, writes them into the "Book" (BIFF5) or
// "Workbook" (BIFF8) stream and commits the document.
//
// TXLSGlobalsWriter produces the workbook-globals substream into two record
// lists: the first holds everything up to the shared string table and, last,
// the BOUNDSHEET records; the second the external references, the built-in
// NAME records and EOF. The sheet writers (lxWriteSheet.h) produce each
// worksheet's records. No offset is patched afterwards: the BOUNDSHEET records
// carry the positions of the sheets, which are known once the globals are
// complete, because each sheet's records are produced whole before the next
// sheet's position is taken.
//
// This unit reads the workbook through its plain accessors only. The
// workbook's save operations reach SaveWorkbook through the save link that
// lxengine installs (lxLinks.h) and keep the file name and the format it
// reports in TXLSSaveNotes.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "lxBLOB.h"
#include "lxLinks.h"
#include "lxWriteSheet.h"

namespace lx {

class TStream;
class TXLSWorkbook;
class IXLSWorksheet;

inline constexpr uint16_t kRecCodePage = 0x0042;
inline constexpr uint16_t kRecDSF = 0x0161;
inline constexpr uint16_t kRecWindow1 = 0x003D;
inline constexpr uint16_t kRecBackup = 0x0040;
inline constexpr uint16_t kRecDateMode = 0x0022;
inline constexpr uint16_t kRecPrecision = 0x000E;
inline constexpr uint16_t kRecFnGroupCount = 0x009C;
inline constexpr uint16_t kRecBookBool = 0x00DA;
inline constexpr uint16_t kRecCountry = 0x008C;
inline constexpr uint16_t kRecRecalcId = 0x01C1;
inline constexpr uint16_t kRecBoundSheet = 0x0085;

// CODEPAGE of a BIFF8 file: UTF-16.
inline constexpr uint16_t kCodePageUtf16 = 1200;

// The save dispatcher. Codes 1 (BIFF5) and 2 (BIFF8) write an XLS file. The
// text and HTML codes 3 to 8 belong to the exporters and give -1 here, as does
// any unknown code; then nothing is written and nothing is remembered. stream,
// when not null, receives the document at its current position and the file
// name is not used. Results: 1; -1 for an unknown code, an empty name without
// a stream or a failed write; -2 / -3 when the document cannot be created on
// disk / in memory.
[[nodiscard]] int32_t SaveWorkbook(TXLSWorkbook& book, const std::u16string& fileName, TStream* stream,
                                   int32_t formatCode, TXLSSaveNotes* notes = nullptr);

// Creates the document, calls produce to build the record lists (which must
// stay alive until this returns), writes them into the workbook stream and
// commits the document; a failed save leaves an existing file untouched.
// created tells that the document could be created.
using TXLSListProducer = std::function<int32_t(std::vector<const TXLSBlobList*>& lists)>;
[[nodiscard]] int32_t WriteXLSContainer(const std::u16string& fileName, TStream* stream, int32_t fileFormat,
                                        const TXLSListProducer& produce, bool& created);

class TXLSGlobalsWriter {
 public:
  // Where the writer finds each sheet's options; SheetPartsOf when empty.
  using TSheetPartsSource = std::function<TXLSSheetParts(IXLSWorksheet& sheet)>;

  // fileFormat: 1 BIFF5, 2 BIFF8.
  TXLSGlobalsWriter(TXLSWorkbook& book, int32_t fileFormat, TSheetPartsSource partsSource = {});
  ~TXLSGlobalsWriter();
  TXLSGlobalsWriter(const TXLSGlobalsWriter&) = delete;
  TXLSGlobalsWriter& operator=(const TXLSGlobalsWriter&) = delete;

  // Builds the globals and every worksheet's records. Adds a worksheet to a
  // workbook without one. Result 1 or the first failure.
  [[nodiscard]] int32_t WriteWorkbook();

  // Every record list in stream order: the two globals lists, then each
  // sheet's five lists.
  std::vector<const TXLSBlobList*> Lists() const;
  const TXLSBlobList& FirstList() const { return first_; }
  const TXLSBlobList& SecondList() const { return second_; }
  int32_t SheetCount() const { return static_cast<int32_t>(sheets_.size()); }
  // The sheet writer of a 1-based sheet position (null outside).
  const TXLSSheetWriter* Sheet(int32_t position) const;
  // Absolute stream offset of a sheet's BOF (0 outside).
  uint32_t SheetPosition(int32_t position) const;
  // The whole workbook stream, concatenated (tests and small workbooks).
  std::vector<uint8_t> Bytes() const;

  // Record-adding operation of every globals record: splits an overlong
  // record into CONTINUE records and counts its size.
  void AddGlobalRecord(TXLSBlobList& list, std::unique_ptr<TXLSBlob> record);

 private:
  struct TSheetEntry;

  // Resets the drawing identifiers and hands them to each sheet's drawing.
  void PrepareDrawingIds();
  [[nodiscard]] int32_t WriteFirstGlobals();
  [[nodiscard]] int32_t WriteSecondGlobals();
  // Every NAME record: the user names of the name store, then the built-in
  // print-area and print-titles names, numbered as one sequence.
  [[nodiscard]] int32_t WriteNames(TXLSBlobList& list);
  [[nodiscard]] int32_t WriteBuiltInNames(TXLSBlobList& list);
  [[nodiscard]] int32_t WriteSheets();
  std::unique_ptr<TXLSBlob> BuildBoundSheet(const TSheetEntry& entry, uint32_t position) const;

  TXLSWorkbook& book_;
  TSheetPartsSource partsSource_;
  TXLSWriteContext context_;
  TXLSBlobList first_;
  TXLSBlobList second_;
  uint32_t globalsOffset_ = 0;
  uint16_t selectedCount_ = 0;
  std::vector<std::unique_ptr<TSheetEntry>> sheets_;
  // The workbook's external-sheet table (not owned): the sheets' own entries
  // for the built-in names, the SUPBOOK and EXTERNSHEET records.
  TlxExternSheetSheet* externSheets_;
};

}  // namespace lx
