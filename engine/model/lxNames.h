// Defined names: the store behind a workbook's Names and the NAME records.
//
// A workbook keeps its user-defined names (Total for =Sheet1!$B$2:$B$9) in
// one TXLSCustomNames root, for the workbook level, with one child store per
// sheet that has names of its own. Each TXLSCustomName holds its text, its
// compiled formula (made by the formula engine through the workbook's
// compile link), a hidden flag and a permanent identifier. Formulas that use
// a name keep its identifier, never its text or its place, so renaming a
// name shows in every formula at once, and a name that is gone renders as
// "NAME!" and is written with name index 0.
//
// The formula parser, encoder and renderer reach the store through the
// external-sheet table's name links (lxExternSheet.h), which the workbook
// wires to the root. At save time the globals writer asks the root for the
// NAME records: the user names of the root and then of each sheet in sheet
// order, numbered 1, 2, 3, ... in that order (the written index that tName
// tokens carry), followed by the built-in print-area and print-titles names,
// so that one numbering covers every NAME record of the file. The model
// cannot encode formulas, so the writer hands the encoder in.
//
// TXLSNames and TXLSName are the interface objects (lxHandle.h) over the
// root store and over one name; they are made per call and keep the
// workbook alive, not the store, so they must not be used after a workbook
// Reset replaced the store.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "lxBLOB.h"
#include "lxHandle.h"
#include "lxPageSetup.h"

namespace lx {

// Longest name text a NAME record can hold (its length field is a byte).
inline constexpr size_t kMaxNameLength = 255;

class TXLSCustomNames;

class TXLSCustomName {
 public:
  TXLSCustomName(int32_t identifier, WideString text, std::shared_ptr<TXLSCompiledFormula> formula, bool hidden,
                 TXLSCustomNames* store)
      : identifier_(identifier), text_(std::move(text)), formula_(std::move(formula)), hidden_(hidden), store_(store) {}

  int32_t Identifier() const { return identifier_; }
  const WideString& Text() const { return text_; }
  const TXLSCompiledFormula* Formula() const { return formula_.get(); }
  bool Hidden() const { return hidden_; }
  // 1-based place of the name's NAME record in the file last written; -1
  // when it was not written.
  int32_t WrittenIndex() const { return writtenIndex_; }
  // Not owned: the store the name lives in.
  TXLSCustomNames* Store() const { return store_; }

 private:
  friend class TXLSCustomNames;

  int32_t identifier_;
  WideString text_;
  std::shared_ptr<TXLSCompiledFormula> formula_;
  bool hidden_;
  int32_t writtenIndex_ = -1;
  TXLSCustomNames* store_;
};

// What the globals writer supplies to turn the store into NAME records.
struct TXLSNameWriteContext {
  bool biff8 = true;
  // Token bytes of a name's formula as written in its NAME record (no length
  // prefix); 1, or a failure when the formula cannot be written.
  std::function<int32_t(const TXLSCustomName& name, TXLSBlob& tokens)> encode;
  // 1-based position of a sheet identifier; -1 when the sheet is gone.
  std::function<int32_t(int32_t sheetIdentifier)> positionOf;
  // Sheet identifiers in sheet order.
  std::vector<int32_t> sheetOrder;
};

class TXLSCustomNames {
 public:
  // workbook is not owned. The root has sheetIdentifier 0 and no parent.
  TXLSCustomNames(TXLSWorkbook* workbook, int32_t sheetIdentifier = 0, TXLSCustomNames* parent = nullptr);
  ~TXLSCustomNames();
  TXLSCustomNames(const TXLSCustomNames&) = delete;
  TXLSCustomNames& operator=(const TXLSCustomNames&) = delete;

  // A text fit to be a name: not empty, at most kMaxNameLength characters,
  // not starting with a digit, none of the characters that formulas use as
  // operators or punctuation, no control characters, and not a text the
  // formula parser reads as something else (a cell address such as A1 or
  // IV65536, TRUE, FALSE).
  static bool IsValidName(const WideString& text);

  int32_t SheetIdentifier() const { return sheetIdentifier_; }
  TXLSCustomNames* Parent() const { return parent_; }
  TXLSWorkbook* Workbook() const { return workbook_; }
  int32_t Count() const { return static_cast<int32_t>(names_.size()); }
  // 1-based; null outside 1..Count().
  TXLSCustomName* Item(int32_t position) const;
  // 1-based position of the exact text in this store; 0 when absent.
  int32_t PositionOf(const WideString& text) const;

  // A new name in this store from a formula text without its "=" compiled
  // for the store's sheet; null (nothing changed) on an invalid or taken
  // text or a formula that does not compile.
  TXLSCustomName* Add(const WideString& text, const AnsiString& formula, bool hidden);
  // Removes the name at a position; later names move one place down.
  void Remove(int32_t position);
  // Gives the name at a position a new text; false (nothing changed) when
  // the text equals the current one, is invalid or is taken in this store.
  bool Rename(int32_t position, const WideString& text);
  // Compiles a formula text (without "=") for the store's sheet and gives it
  // to the name at a position; false (nothing changed) when it does not
  // compile.
  bool SetFormula(int32_t position, const AnsiString& formula);

  // Root only: the store of a sheet, made on first use when create is set;
  // the root itself for sheet 0.
  TXLSCustomNames* SheetStore(int32_t sheetIdentifier, bool create);
  // Root only: any name of the workbook by identifier; null when unknown.
  TXLSCustomName* FindIdentifier(int32_t identifier) const;
  // The name a formula on sheetIdentifier means by text: a sheet's own name
  // hides a workbook-level name of the same text. -1 when none.
  int32_t IdentifierOf(const WideString& text, int32_t sheetIdentifier) const;
  // Lookups of the formula engine by identifier: empty text, -1 when
  // unknown.
  WideString TextOf(int32_t identifier) const;
  int32_t SheetOf(int32_t identifier) const;
  int32_t WrittenIndexOf(int32_t identifier) const;
  // A name read from a file keeps its record number as identifier; null
  // when the text is empty or the identifier or the text is taken.
  TXLSCustomName* AddFromFile(int32_t identifier, const WideString& text, int32_t sheetIdentifier, bool hidden,
                              std::shared_ptr<TXLSCompiledFormula> formula);

  // Root only: numbers every name that can be written (workbook level first,
  // then each sheet's names in sheet order) and appends their NAME records
  // to records. The count of records made is returned through written; 1,
  // or the encoder's failure for none (a name it cannot encode is left out
  // with written index -1).
  [[nodiscard]] int32_t WriteNames(const TXLSNameWriteContext& context, std::vector<std::unique_ptr<TXLSBlob>>& records,
                                   int32_t& written);

 private:
  TXLSCustomNames* Root();
  const TXLSCustomNames* Root() const;
  int32_t NextIdentifier();
  TXLSCustomName* Append(int32_t identifier, const WideString& text, std::shared_ptr<TXLSCompiledFormula> formula,
                         bool hidden);
  void ReindexFrom(int32_t position);
  std::unique_ptr<TXLSBlob> BuildNameRecord(const TXLSCustomName& name, const TXLSBlob& tokens,
                                            const TXLSNameWriteContext& context) const;

  TXLSWorkbook* workbook_;  // not owned
  int32_t sheetIdentifier_;
  TXLSCustomNames* parent_;  // not owned
  std::vector<std::unique_ptr<TXLSCustomName>> names_;
  std::unordered_map<WideString, int32_t> byText_;  // text -> 1-based position
  // Root only.
  std::map<int32_t, std::unique_ptr<TXLSCustomNames>> sheetStores_;
  std::unordered_map<int32_t, TXLSCustomName*> byIdentifier_;
  int32_t highestIdentifier_ = 0;
};

// The interface objects. Both hold the workbook.
class TXLSName final : public TXLSInterfaced<IXLSName> {
 public:
  TXLSName(TXLSWorkbook* workbook, int32_t identifier);
  WideString Name() override;
  WideString RefersTo() override;
  XLSPtr<IXLSRange> RefersToRange() override;
  void SetRefersTo(const WideString& formula) override;
  void SetName(const WideString& name) override;
  // Removes the name from its store; formulas that use it then show NAME!.
  void Delete() override;
  bool Visible() override;

 private:
  TXLSCustomName* Find() const;

  XLSPtr<TXLSWorkbook> workbook_;
  int32_t identifier_;
};

class TXLSNames final : public TXLSInterfaced<IXLSNames> {
 public:
  explicit TXLSNames(TXLSWorkbook* workbook);
  XLSPtr<IXLSName> Item(const TVariant& index) override;
  int32_t Count() override;
  XLSPtr<IXLSName> Add(const WideString& name, const WideString& refersTo, bool visible) override;
  XLSPtr<IXLSName> Add(const WideString& name, const WideString& refersTo) override;
  XLSPtr<IXLSName> AddLocal(IXLSWorksheet* sheet, const WideString& name, const WideString& refersTo,
                            bool visible) override;

 private:
  XLSPtr<TXLSWorkbook> workbook_;
};

}  // namespace lx
