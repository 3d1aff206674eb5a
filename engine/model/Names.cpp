// The defined-name store, its NAME records and the Names interface objects.
#include "lxNames.h"

#include <algorithm>

#include "lxRange.h"

namespace lx {

namespace {

constexpr uint16_t kNameOptionHiddenFlag = 0x0001;
constexpr uint8_t kNameTextUncompressed = 0x01;
// Bytes of a NAME record before its name text: options, shortcut, name
// length, formula size, two sheet fields, four text lengths; BIFF8 adds the
// string option byte.
constexpr uint32_t kNameHeadBiff8 = 15;
constexpr uint32_t kNameHeadBiff5 = 14;

bool IsForbiddenNameCharacter(char16_t c) {
  if (c < 0x20 || c == 0x7F) return true;
  static constexpr std::u16string_view kForbidden = u"$'\"`!@#%^&*()-+\\/.,;|:[]{}?><=~ ";
  return kForbidden.find(c) != std::u16string_view::npos;
}

bool EqualsAsciiNoCase(const WideString& text, std::u16string_view word) {
  if (text.size() != word.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    if (c != word[i]) return false;
  }
  return true;
}

}  // namespace

// ---------------------------------------------------------------- store

TXLSCustomNames::TXLSCustomNames(TXLSWorkbook* workbook, int32_t sheetIdentifier, TXLSCustomNames* parent)
    : workbook_(workbook), sheetIdentifier_(sheetIdentifier), parent_(parent) {}

TXLSCustomNames::~TXLSCustomNames() = default;

bool TXLSCustomNames::IsValidName(const WideString& text) {
  if (text.empty() || text.size() > kMaxNameLength) return false;
  if (text[0] >= u'0' && text[0] <= u'9') return false;
  if (std::any_of(text.begin(), text.end(), IsForbiddenNameCharacter)) return false;
  // Texts the parser takes for a cell address or a boolean would never
  // reach the name.
  int32_t row = 0, column = 0;
  if (ParseCellName(text, row, column)) return false;
  return !EqualsAsciiNoCase(text, u"TRUE") && !EqualsAsciiNoCase(text, u"FALSE");
}

TXLSCustomNames* TXLSCustomNames::Root() {
  TXLSCustomNames* store = this;
  while (store->parent_) store = store->parent_;
  return store;
}

const TXLSCustomNames* TXLSCustomNames::Root() const {
  const TXLSCustomNames* store = this;
  while (store->parent_) store = store->parent_;
  return store;
}

int32_t TXLSCustomNames::NextIdentifier() {
  TXLSCustomNames* root = Root();
  return ++root->highestIdentifier_;
}

TXLSCustomName* TXLSCustomNames::Item(int32_t position) const {
  if (position < 1 || position > Count()) return nullptr;
  return names_[static_cast<size_t>(position - 1)].get();
}

int32_t TXLSCustomNames::PositionOf(const WideString& text) const {
  const auto found = byText_.find(text);
  return found == byText_.end() ? 0 : found->second;
}

TXLSCustomName* TXLSCustomNames::Append(int32_t identifier, const WideString& text,
                                        std::shared_ptr<TXLSCompiledFormula> formula, bool hidden) {
  names_.push_back(std::make_unique<TXLSCustomName>(identifier, text, std::move(formula), hidden, this));
  TXLSCustomName* name = names_.back().get();
  byText_[text] = Count();
  Root()->byIdentifier_[identifier] = name;
  return name;
}

TXLSCustomName* TXLSCustomNames::Add(const WideString& text, const AnsiString& formula, bool hidden) {
  if (!workbook_ || !IsValidName(text) || PositionOf(text) > 0) return nullptr;
  std::shared_ptr<TXLSCompiledFormula> compiled = workbook_->CompileFormula(formula, sheetIdentifier_);
  if (!compiled) return nullptr;
  return Append(NextIdentifier(), text, std::move(compiled), hidden);
}

void TXLSCustomNames::ReindexFrom(int32_t position) {
  for (int32_t p = position; p <= Count(); ++p) byText_[names_[static_cast<size_t>(p - 1)]->text_] = p;
}

void TXLSCustomNames::Remove(int32_t position) {
  TXLSCustomName* name = Item(position);
  if (!name) return;
  byText_.erase(name->text_);
  Root()->byIdentifier_.erase(name->identifier_);
  names_.erase(names_.begin() + (position - 1));
  ReindexFrom(position);
}

bool TXLSCustomNames::Rename(int32_t position, const WideString& text) {
  TXLSCustomName* name = Item(position);
  if (!name || name->text_ == text || !IsValidName(text) || PositionOf(text) > 0) return false;
  byText_.erase(name->text_);
  name->text_ = text;
  byText_[text] = position;
  return true;
}

bool TXLSCustomNames::SetFormula(int32_t position, const AnsiString& formula) {
  TXLSCustomName* name = Item(position);
  if (!name || !workbook_) return false;
  std::shared_ptr<TXLSCompiledFormula> compiled = workbook_->CompileFormula(formula, sheetIdentifier_);
  if (!compiled) return false;
  name->formula_ = std::move(compiled);
  return true;
}

TXLSCustomNames* TXLSCustomNames::SheetStore(int32_t sheetIdentifier, bool create) {
  TXLSCustomNames* root = Root();
  if (sheetIdentifier == 0) return root;
  if (sheetIdentifier < 0) return nullptr;
  const auto found = root->sheetStores_.find(sheetIdentifier);
  if (found != root->sheetStores_.end()) return found->second.get();
  if (!create) return nullptr;
  auto store = std::make_unique<TXLSCustomNames>(workbook_, sheetIdentifier, root);
  TXLSCustomNames* made = store.get();
  root->sheetStores_.emplace(sheetIdentifier, std::move(store));
  return made;
}

TXLSCustomName* TXLSCustomNames::FindIdentifier(int32_t identifier) const {
  const TXLSCustomNames* root = Root();
  const auto found = root->byIdentifier_.find(identifier);
  return found == root->byIdentifier_.end() ? nullptr : found->second;
}

int32_t TXLSCustomNames::IdentifierOf(const WideString& text, int32_t sheetIdentifier) const {
  const TXLSCustomNames* root = Root();
  if (sheetIdentifier > 0 && sheetIdentifier != sheetIdentifier_ && !root->sheetStores_.empty()) {
    const auto found = root->sheetStores_.find(sheetIdentifier);
    if (found != root->sheetStores_.end()) return found->second->IdentifierOf(text, sheetIdentifier);
    return root->IdentifierOf(text, 0);
  }
  for (const TXLSCustomNames* store = this; store; store = store->parent_) {
    const int32_t position = store->PositionOf(text);
    if (position > 0) return store->Item(position)->identifier_;
  }
  return -1;
}

WideString TXLSCustomNames::TextOf(int32_t identifier) const {
  const TXLSCustomName* name = FindIdentifier(identifier);
  return name ? name->text_ : WideString();
}

int32_t TXLSCustomNames::SheetOf(int32_t identifier) const {
  const TXLSCustomName* name = FindIdentifier(identifier);
  return name ? name->store_->sheetIdentifier_ : -1;
}

int32_t TXLSCustomNames::WrittenIndexOf(int32_t identifier) const {
  const TXLSCustomName* name = FindIdentifier(identifier);
  return name ? name->writtenIndex_ : -1;
}

TXLSCustomName* TXLSCustomNames::AddFromFile(int32_t identifier, const WideString& text, int32_t sheetIdentifier,
                                             bool hidden, std::shared_ptr<TXLSCompiledFormula> formula) {
  if (identifier <= 0 || text.empty() || !formula || FindIdentifier(identifier)) return nullptr;
  TXLSCustomNames* store = SheetStore(sheetIdentifier, true);
  if (!store || store->PositionOf(text) > 0) return nullptr;
  TXLSCustomNames* root = Root();
  root->highestIdentifier_ = std::max(root->highestIdentifier_, identifier);
  return store->Append(identifier, text, std::move(formula), hidden);
}

std::unique_ptr<TXLSBlob> TXLSCustomNames::BuildNameRecord(const TXLSCustomName& name, const TXLSBlob& tokens,
                                                           const TXLSNameWriteContext& context) const {
  const int32_t position = sheetIdentifier_ > 0 && context.positionOf ? context.positionOf(sheetIdentifier_) : 0;
  const auto sheetField = static_cast<uint16_t>(position > 0 ? position : 0);
  const bool biff8 = context.biff8;
  const std::string ansi = biff8 ? std::string() : WideToAnsi(name.text_);
  const auto textLength = static_cast<uint32_t>(biff8 ? name.text_.size() : ansi.size());
  const uint32_t payload = (biff8 ? kNameHeadBiff8 + 2 * textLength : kNameHeadBiff5 + textLength) + tokens.Length();
  auto record = NewRecord(kRecName, payload);
  record->AddWord(name.hidden_ ? kNameOptionHiddenFlag : 0);
  record->AddByte(0);
  record->AddByte(static_cast<uint8_t>(textLength));
  record->AddWord(static_cast<uint16_t>(tokens.Length()));
  record->AddWord(biff8 ? 0 : sheetField);
  record->AddWord(sheetField);
  record->AddDWord(0);
  if (biff8) {
    record->AddByte(kNameTextUncompressed);
    record->AddWide(name.text_);
  } else {
    record->AddAnsi(ansi);
  }
  record->AddBytes(tokens.Data(), tokens.Length());
  return record;
}

int32_t TXLSCustomNames::WriteNames(const TXLSNameWriteContext& context,
                                    std::vector<std::unique_ptr<TXLSBlob>>& records, int32_t& written) {
  written = 0;
  TXLSCustomNames* root = Root();
  std::vector<TXLSCustomNames*> stores{root};
  for (const int32_t sheet : context.sheetOrder) {
    const auto found = root->sheetStores_.find(sheet);
    if (found != root->sheetStores_.end()) stores.push_back(found->second.get());
  }
  for (auto& [sheet, store] : root->sheetStores_)
    for (auto& name : store->names_) name->writtenIndex_ = -1;
  for (auto& name : root->names_) name->writtenIndex_ = -1;
  if (!context.encode) return kResultOk;
  // Every written index is known before any formula is encoded, so a name
  // may use a name that is written after it. Whether a formula encodes does
  // not depend on those indexes.
  TXLSBlob tokens;
  for (TXLSCustomNames* store : stores) {
    for (auto& name : store->names_) {
      tokens.Clear();
      if (!name->formula_ || context.encode(*name, tokens) != kResultOk) continue;
      // BIFF5 holds 8-bit texts: a name the code page cannot spell would
      // arrive as another text, or as no valid name at all.
      if (!context.biff8 && AnsiToWide(WideToAnsi(name->text_)) != name->text_) continue;
      name->writtenIndex_ = ++written;
    }
  }
  for (TXLSCustomNames* store : stores) {
    for (auto& name : store->names_) {
      if (name->writtenIndex_ < 0) continue;
      tokens.Clear();
      if (context.encode(*name, tokens) != kResultOk) return kResultFail;
      records.push_back(store->BuildNameRecord(*name, tokens, context));
    }
  }
  return kResultOk;
}

// ---------------------------------------------------------------- interface objects

TXLSName::TXLSName(TXLSWorkbook* workbook, int32_t identifier) : workbook_(workbook), identifier_(identifier) {}

TXLSCustomName* TXLSName::Find() const {
  return workbook_ ? workbook_->NameStore().FindIdentifier(identifier_) : nullptr;
}

WideString TXLSName::Name() {
  const TXLSCustomName* name = Find();
  return name ? name->Text() : WideString();
}

WideString TXLSName::RefersTo() {
  const TXLSCustomName* name = Find();
  if (!name || !name->Formula()) return {};
  return AnsiToWide(workbook_->FormulaText(name->Formula(), 0, name->Store()->SheetIdentifier(), 0));
}

XLSPtr<IXLSRange> TXLSName::RefersToRange() {
  const TXLSCustomName* name = Find();
  if (!name || !name->Formula()) return {};
  int32_t sheetIdentifier = name->Store()->SheetIdentifier();
  if (sheetIdentifier == 0) {
    const IXLSWorksheet* active = workbook_->ActiveSheet();
    sheetIdentifier = active ? active->Identifier() : 0;
  }
  TXLSNameArea area;
  if (!workbook_->ReferenceArea(*name->Formula(), sheetIdentifier, area)) return {};
  IXLSWorksheet* sheet = workbook_->Worksheets()->Item(workbook_->PositionOfSheetIdentifier(sheetIdentifier));
  if (!sheet) return {};
  return TXLSRange::Create(sheet, area.firstRow, area.firstColumn, area.lastRow, area.lastColumn);
}

void TXLSName::SetRefersTo(const WideString& formula) {
  TXLSCustomName* name = Find();
  if (!name || formula.empty() || formula[0] != u'=') return;
  TXLSCustomNames* store = name->Store();
  (void)store->SetFormula(store->PositionOf(name->Text()), WideToAnsi(formula.substr(1)));
}

void TXLSName::SetName(const WideString& text) {
  TXLSCustomName* name = Find();
  if (!name) return;
  TXLSCustomNames* store = name->Store();
  (void)store->Rename(store->PositionOf(name->Text()), text);
}

void TXLSName::Delete() {
  TXLSCustomName* name = Find();
  if (!name) return;
  TXLSCustomNames* store = name->Store();
  store->Remove(store->PositionOf(name->Text()));
}

bool TXLSName::Visible() {
  const TXLSCustomName* name = Find();
  return name && !name->Hidden();
}

TXLSNames::TXLSNames(TXLSWorkbook* workbook) : workbook_(workbook) {}

XLSPtr<IXLSName> TXLSNames::Item(const TVariant& index) {
  TXLSCustomNames& store = workbook_->NameStore();
  const TXLSCustomName* name = nullptr;
  if (index.IsInteger()) {
    name = store.Item(index.ToInt32());
  } else {
    const int32_t position = store.PositionOf(index.ToWide());
    name = position > 0 ? store.Item(position) : nullptr;
  }
  if (!name) return {};
  return XLSPtr<IXLSName>(new TXLSName(workbook_.Get(), name->Identifier()));
}

int32_t TXLSNames::Count() { return workbook_->NameStore().Count(); }

XLSPtr<IXLSName> TXLSNames::Add(const WideString& text, const WideString& refersTo, bool visible) {
  if (refersTo.size() < 2 || refersTo[0] != u'=') return {};
  const TXLSCustomName* name = workbook_->NameStore().Add(text, WideToAnsi(refersTo.substr(1)), !visible);
  if (!name) return {};
  return XLSPtr<IXLSName>(new TXLSName(workbook_.Get(), name->Identifier()));
}

XLSPtr<IXLSName> TXLSNames::Add(const WideString& text, const WideString& refersTo) {
  return Add(text, refersTo, true);
}

XLSPtr<IXLSName> TXLSNames::AddLocal(IXLSWorksheet* sheet, const WideString& text, const WideString& refersTo,
                                     bool visible) {
  if (!sheet || sheet->Workbook() != workbook_.Get() || refersTo.size() < 2 || refersTo[0] != u'=') return {};
  TXLSCustomNames* store = workbook_->NameStore().SheetStore(sheet->Identifier(), true);
  const TXLSCustomName* name = store ? store->Add(text, WideToAnsi(refersTo.substr(1)), !visible) : nullptr;
  if (!name) return {};
  return XLSPtr<IXLSName>(new TXLSName(workbook_.Get(), name->Identifier()));
}

}  // namespace lx
