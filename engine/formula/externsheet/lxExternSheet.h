// External sheet references: the workbook's table of sheet references.
//
// Formulas that name another sheet (Sheet2!A1, Sheet1:Sheet3!C5), sheet-scoped
// names and the built-in print and filter names do not store sheet names:
// they store an external-sheet index handed out by TlxExternSheetSheet (one
// per workbook). An entry remembers its first and last sheet by the sheets'
// permanent identifiers, so references survive renaming, inserting, removing
// and moving sheets; positions and names are looked up through the workbook
// whenever they are needed. Equal references share one entry: the table keeps
// a key text per entry ("3:5" for identifiers 3 to 5, "1!2:2" for sheet
// numbers of another supporting workbook).
//
// At a BIFF8 save the table numbers the entries that still resolve (their REF
// index, the 1-based place in the EXTERNSHEET record that formula tokens
// use) and writes the SUPBOOK records of its supporting-workbook list
// (TXLSSupBook) followed by EXTERNSHEET. BIFF5 has no SUPBOOK: it writes one
// EXTERNSHEET per sheet, and tokens refer to sheets by their positions.
//
// The table reaches the workbook and the defined names only through the
// std::function connections it is given; it works with fakes in tests and is
// wired to the real workbook when the workbook creates it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "lxBLOB.h"
#include "lxHash.h"

namespace lx {

// Record number of EXTERNCOUNT (BIFF5).
inline constexpr uint16_t kRecExternCount = 0x0016;
// Record number of EXTERNSHEET.
inline constexpr uint16_t kRecExternSheet = 0x0017;
// Record number of EXTERNNAME.
inline constexpr uint16_t kRecExternName = 0x0023;
// Record number of SUPBOOK (BIFF8).
inline constexpr uint16_t kRecSupBook = 0x01AE;

// Second word of a SUPBOOK record: the workbook itself, or an add-in.
inline constexpr uint16_t kSupBookInternalMark = 0x0401;
// SUPBOOK second word of an add-in.
inline constexpr uint16_t kSupBookAddInMark = 0x3A01;

// Type bytes of BIFF5 EXTERNSHEET records.
inline constexpr uint8_t kExternSheetOwnSheet = 0x02;
// BIFF5 EXTERNSHEET type: another sheet of this workbook.
inline constexpr uint8_t kExternSheetSheetOfThisBook = 0x03;
// BIFF5 EXTERNSHEET type: the workbook itself.
inline constexpr uint8_t kExternSheetThisBook = 0x04;

// One entry of the table.
struct TlxExternSheetSheetItem {
  // Sheet identifiers for the workbook itself; raw sheet numbers (itab + 1)
  // for another supporting workbook. first <= last.
  int32_t firstSheet = -1;
  // The last sheet, as firstSheet.
  int32_t lastSheet = -1;
  // Whether the entry is in use.
  bool used = true;
  // True for a reference into this workbook, whatever place the internal
  // SUPBOOK item holds in the list when the file is written.
  bool internal = true;
  // 1-based place in the EXTERNSHEET record being written; -1 when the entry
  // did not resolve at the last numbering.
  int32_t refIndex = -1;
  // Sheet positions found at the last numbering (first <= last), -1 when not.
  int32_t firstPosition = -1;
  // The last sheet's position at the last numbering, -1 when not found.
  int32_t lastPosition = -1;
  // 0-based place in the supporting-workbook list.
  int32_t supBook = 0;
};

// One supporting workbook: this workbook, an add-in, or another file.
struct TXLSSupBookItem {
  // Whether this is the workbook itself.
  bool internal = false;
  // The file of another workbook.
  std::u16string fileName;
  // The sheet names of another workbook.
  std::vector<std::u16string> sheetNames;
  // Whether this is an add-in.
  bool addIn = false;
  // The add-in's function name (from EXTERNNAME).
  std::u16string addInName;
};

// The supporting-workbook list behind the SUPBOOK records. A new workbook
// only ever has the internal reference; other items are carried over from a
// file that was read.
class TXLSSupBook {
 public:
  // Adds the internal reference unless there is one; returns its place.
  int32_t AddInternal();
  // Adds the item a BIFF8 SUPBOOK record describes (payload without the
  // record header); returns its place, or -1 when the payload is malformed
  // (nothing is added then).
  [[nodiscard]] int32_t AddFromRecord(const uint8_t* payload, uint32_t size);
  // Gives the last item the add-in function name of an EXTERNNAME record.
  // False when the list is empty.
  bool AttachAddInName(std::u16string_view name);

  // The number of supporting workbooks.
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  // The item at a 0-based place (owned by the list), or null.
  const TXLSSupBookItem* Item(int32_t index) const;
  // Whether the internal reference exists.
  bool HasInternal() const { return internalIndex_ >= 0; }
  // Place of the internal reference; 0 when there is none yet.
  int32_t InternalIndex() const { return internalIndex_ < 0 ? 0 : internalIndex_; }

  // One SUPBOOK record per item in list order (an add-in's buffer carries its
  // EXTERNNAME record as well). sheetCount goes into the internal reference.
  std::vector<std::unique_ptr<TXLSBlob>> BuildRecords(uint16_t sheetCount) const;

 private:
  std::vector<TXLSSupBookItem> items_;
  int32_t internalIndex_ = -1;
};

// Connections to the workbook. Positions are 1-based; a lookup that finds
// nothing gives -1 (identifiers, positions) or empty text (names).
struct TlxExternSheetWorkbookLinks {
  // The number of sheets plus one.
  std::function<int32_t()> sheetCountPlusOne;
  // The name of the sheet at a position.
  std::function<std::u16string(int32_t position)> sheetNameAt;
  // Exact, case-sensitive comparison of sheet names.
  std::function<int32_t(std::u16string_view name)> identifierOfSheetName;
  // The position of the sheet with an identifier.
  std::function<int32_t(int32_t identifier)> positionOfSheetIdentifier;
};

// Connections to the defined names, used by the formula parser, encoder and
// renderer through the table. sheetIdentifier 0 is the workbook level.
struct TlxExternSheetNameLinks {
  // The identifier of a defined name by its text and scope.
  std::function<int32_t(std::u16string_view text, int32_t sheetIdentifier)> nameIdentifier;
  // The 1-based index a name gets in the file.
  std::function<int32_t(int32_t nameIdentifier)> nameWrittenIndex;
  // The text of a name.
  std::function<std::u16string(int32_t nameIdentifier)> nameText;
  // The sheet a name is local to, 0 for the workbook level.
  std::function<int32_t(int32_t nameIdentifier)> nameSheetIdentifier;
};

// The external-sheet table: the sheet references that formulas and names use, each an entry naming a sheet range of
// this or another workbook, numbered for the EXTERNSHEET record on save. Owned by the workbook.
class TlxExternSheetSheet {
 public:
  // A table connected to the workbook and to its defined names.
  explicit TlxExternSheetSheet(TlxExternSheetWorkbookLinks workbook = {}, TlxExternSheetNameLinks names = {});
  TlxExternSheetSheet(const TlxExternSheetSheet&) = delete;
  TlxExternSheetSheet& operator=(const TlxExternSheetSheet&) = delete;

  // Replaces the connections to the workbook.
  void SetWorkbookLinks(TlxExternSheetWorkbookLinks links) { workbook_ = std::move(links); }
  // Replaces the connections to the defined names.
  void SetNameLinks(TlxExternSheetNameLinks links) { names_ = std::move(links); }

  // Entry of this workbook from the first sheet to the last, found or
  // created; -1 when a name is not a sheet of the workbook. explicitIndex > 0
  // makes a new entry take that index without looking for an equal one.
  [[nodiscard]] int32_t FindOrAddSheetNames(std::u16string_view firstName, std::u16string_view lastName,
                                            int32_t explicitIndex = -1);
  // Same by 1-based sheet positions.
  [[nodiscard]] int32_t FindOrAddSheetPositions(int32_t firstPosition, int32_t lastPosition,
                                                int32_t explicitIndex = -1);
  // Same by sheet identifiers (not checked against the workbook).
  [[nodiscard]] int32_t FindOrAddSheetIdentifiers(int32_t firstIdentifier, int32_t lastIdentifier,
                                                  int32_t explicitIndex = -1);
  // An entry read from a BIFF8 EXTERNSHEET: index is its 1-based XTI place,
  // first and last are sheet numbers (itab + 1). Returns the entry's index,
  // or -1 when it cannot be made.
  [[nodiscard]] int32_t AddFromFile(int32_t index, int32_t supBook, int32_t firstSheet, int32_t lastSheet);

  // Supporting workbook and first and last sheet of an entry: positions for
  // this workbook (both must still exist), raw sheet numbers for another
  // workbook. 1, or -1 for an unknown or unresolvable index.
  int32_t Resolve(int32_t index, int32_t& supBook, int32_t& firstSheet, int32_t& lastSheet) const;
  // REF index from the last numbering; -1 when unknown.
  int32_t RefIndex(int32_t index) const;
  // Identifier of the entry's first sheet (this workbook only); -1 when none.
  int32_t FirstSheetIdentifier(int32_t index) const;
  // 'First' or 'First':'Last' for formula text; empty on failure.
  std::u16string SheetText(int32_t index) const;

  // The entry at an index (owned by the table), or null.
  const TlxExternSheetSheetItem* Item(int32_t index) const { return items_.Get(index); }
  // The number of entries.
  uint32_t Count() const { return items_.Count(); }
  // The highest entry index given out.
  int32_t HighestIndex() const { return highest_; }

  // Before a BIFF8 save: makes sure the internal reference exists and gives
  // every entry that resolves its REF index, in the table's enumeration order.
  void PrepareForSave();
  // Entries numbered by the last PrepareForSave.
  int32_t XtiCount() const { return static_cast<int32_t>(refList_.size()); }
  // The entry indexes in REF order, from the last PrepareForSave.
  const std::vector<int32_t>& RefList() const { return refList_; }

  // The supporting-workbook list (owned by the table).
  TXLSSupBook& SupBook() { return supBook_; }
  // The supporting-workbook list.
  const TXLSSupBook& SupBook() const { return supBook_; }

  // BIFF8: SUPBOOK records then EXTERNSHEET, from the last PrepareForSave.
  std::vector<std::unique_ptr<TXLSBlob>> BuildSupBookRecords();
  // The BIFF8 EXTERNSHEET record.
  std::unique_ptr<TXLSBlob> BuildExternSheetBiff8() const;
  // BIFF5: EXTERNCOUNT, one EXTERNSHEET per sheet in position order, and one
  // for the workbook itself. ownPosition is the position of the sheet whose
  // substream gets the records (its own record is the short self reference),
  // 0 for the workbook globals.
  std::vector<std::unique_ptr<TXLSBlob>> BuildExternSheetsBiff5(int32_t ownPosition = 0) const;

  // Pass-throughs to the defined names; -1 or empty when not connected.
  int32_t NameIdentifier(std::u16string_view text, int32_t sheetIdentifier) const;
  // See TlxExternSheetNameLinks.
  int32_t NameWrittenIndex(int32_t nameIdentifier) const;
  // See TlxExternSheetNameLinks.
  std::u16string NameText(int32_t nameIdentifier) const;
  // See TlxExternSheetNameLinks.
  int32_t NameSheetIdentifier(int32_t nameIdentifier) const;

  // Workbook lookups through the connections (-1 / empty when unset).
  int32_t SheetCount() const;
  // See TlxExternSheetWorkbookLinks.
  std::u16string SheetNameAt(int32_t position) const;
  // See TlxExternSheetWorkbookLinks.
  int32_t IdentifierOfSheetName(std::u16string_view name) const;
  // See TlxExternSheetWorkbookLinks.
  int32_t PositionOfSheetIdentifier(int32_t identifier) const;

 private:
  // Finds the key or makes an entry under it; explicitIndex > 0 skips the
  // lookup and takes that index.
  int32_t FindOrAdd(const std::u16string& key, int32_t first, int32_t last, bool internal, int32_t supBook,
                    int32_t explicitIndex);

  TObjectArrayOf<TlxExternSheetSheetItem> items_;
  THashTable<int32_t> keys_;
  int32_t highest_ = 0;
  std::vector<int32_t> refList_;
  TXLSSupBook supBook_;
  TlxExternSheetWorkbookLinks workbook_;
  TlxExternSheetNameLinks names_;
};

}  // namespace lx
