// Keyed lists, the font list and the number-format list.
//
// Cell formatting is de-duplicated by value. Every font and every cell format
// is described by a key: a text that spells out all of its attributes as
// fixed-width upper-case hexadecimal fields. A TXLSKeyList maps each distinct
// key to one index, counts the users of each index and, before a save,
// renumbers the entries in use so that only those are written (OutputIndex).
// TXLSFontList is the keyed list of fonts and builds FONT records;
// TXLSNumFormatList holds the built-in and custom number formats, knows which
// ones are dates and builds FORMAT records. TXLSObjList (named entries) and
// TXLSStringList (texts by index) are the two small containers the style list
// and the number-format list are built from.
//
// All of these are owned by the workbook's cell-format list (lxFormat.h).
// Records are assembled in TXLSBlob buffers (lxBLOB.h) at their exact size.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "lxBLOB.h"
#include "lxHash.h"
#include "lxText.h"

namespace lx {

// Record number of FONT.
inline constexpr uint16_t kRecFont = 0x0031;
// FORMAT has carried this number since BIFF4, so BIFF5 and BIFF8 share it.
inline constexpr uint16_t kRecFormat = 0x041E;

// A growable array that adds room in blocks of a fixed number of slots.
// Elements never move once created, so appending to a long list costs no
// copying of what is already there.
template <typename T, int32_t kBlock = 50>
class TXLSSlotArray {
 public:
  // The number of slots in use.
  int32_t Size() const { return size_; }
  // The number of slots allocated.
  int32_t Capacity() const { return static_cast<int32_t>(blocks_.size()) * kBlock; }
  // Slot i (0..Size()-1).
  T& operator[](int32_t i) { return blocks_[i / kBlock][i % kBlock]; }
  // Slot i (0..Size()-1).
  const T& operator[](int32_t i) const { return blocks_[i / kBlock][i % kBlock]; }
  // Grows (value-initialised slots) or shrinks (slots past n reset) to n.
  void Resize(int32_t n) {
    while (Capacity() < n) blocks_.push_back(std::make_unique<T[]>(kBlock));
    for (int32_t i = n; i < size_; ++i) (*this)[i] = T();
    size_ = n;
  }
  // Frees every slot.
  void Clear() {
    blocks_.clear();
    size_ = 0;
  }

 private:
  std::vector<std::unique_ptr<T[]>> blocks_;
  int32_t size_ = 0;
};

// One entry of a keyed list.
struct TXLSKeyEntry {
  // The key that spells out the entry's attributes.
  WideString Key;
  // The users of the entry.
  int32_t RefCount = 0;
  // 1-based place in the output table of the last Renumber; 0 when not written.
  int32_t OutputIndex = 0;
  // The entry's position in the list at the last Renumber.
  int32_t Position = 0;
};

// A de-duplicating list of keys with reference counts and a dense output
// numbering. Index i names the entry at position i - BaseIndex(); entries are
// never removed or reordered before ClearAll, so an index stays valid.
// Entries at positions below DefaultCount() are always written and never
// counted.
class TXLSKeyList {
 public:
  TXLSKeyList();
  virtual ~TXLSKeyList();
  TXLSKeyList(const TXLSKeyList&) = delete;
  TXLSKeyList& operator=(const TXLSKeyList&) = delete;

  // The entry's key, or the fallback key for an index outside the list. The
  // reference stays valid until the list is cleared.
  const WideString& GetKey(int32_t index) const;
  // Stores a new entry at index (extending the list when needed) and maps the
  // key to it; a non-default entry stored this way holds one reference. Used to
  // lay down default entries and the entries of a file being read.
  void SetKeyAt(int32_t index, const WideString& key);
  // Only sets the key-to-index map.
  void MapKey(const WideString& key, int32_t index);
  // The one way to obtain an index: the index of the entry with this key,
  // appended when new, with one reference moved from `current` to the result.
  // Pass a default index as `current` when the caller owns no reference.
  int32_t Rekey(int32_t current, const WideString& key);
  // Drops one reference from oldIndex and adds one to newIndex; default
  // entries and indexes outside the list are not counted.
  // Inline, like the two below: every cell read or formatted moves one.
  void MoveReference(int32_t oldIndex, int32_t newIndex) {
    ReleaseReference(oldIndex);
    AddReference(newIndex);
  }
  // Adds a reference to an entry (defaults and indexes outside the list are not counted).
  void AddReference(int32_t index) {
    if (Contains(index)) Acquire(PositionOf(index));
  }
  // Drops a reference from an entry (defaults and indexes outside the list are not counted).
  void ReleaseReference(int32_t index) {
    if (Contains(index)) Release(PositionOf(index));
  }
  // Sets every reference count to 0.
  void ResetReferences();
  // Builds the output table: defaults and referenced entries, in list order.
  void Renumber();
  // 1-based output index of the last Renumber; 0 outside the list or for an
  // entry that is not written.
  virtual int32_t OutputIndex(int32_t index) const;
  // Frees all entries and starts an empty key map; the default count stays.
  void ClearAll();

  // The number of entries.
  int32_t Count() const { return entries_.Size(); }
  // The index of the first entry.
  uint16_t BaseIndex() const { return base_; }
  // Sets the index of the first entry.
  void SetBaseIndex(uint16_t base) { base_ = base; }
  // The number of default entries (always written, never counted).
  int32_t DefaultCount() const { return defaults_; }
  // Sets the number of default entries.
  void SetDefaultCount(int32_t count) { defaults_ = count; }
  // The key GetKey gives for an index outside the list.
  const WideString& FallbackKey() const { return fallback_; }
  // Sets the key GetKey gives for an index outside the list.
  void SetFallbackKey(const WideString& key) { fallback_ = key; }
  // Reference count of an entry (0 outside the list).
  int32_t RefCount(int32_t index) const;
  // Number of non-default entries with at least one reference.
  int32_t InUseCount() const { return inUse_; }
  // Number of entries written by the last Renumber.
  int32_t OutputCount() const { return static_cast<int32_t>(output_.size()); }
  // Index of the entry at an output position (0-based) of the last Renumber;
  // -1 outside the output table.
  int32_t OutputEntry(int32_t outputPosition) const;
  // Whether index names an entry of the list / a default entry.
  bool Contains(int32_t index) const {
    const int32_t position = PositionOf(index);
    return position >= 0 && position < Count();
  }
  // Whether index names a default entry.
  bool IsDefault(int32_t index) const;

 protected:
  // Told when the key at a position changes (SetKeyAt) or, with -1, when
  // every key goes (ClearAll), for lists that keep something derived from
  // their keys. Appending an entry changes no existing key.
  virtual void KeyChanged(int32_t position);

 private:
  int32_t PositionOf(int32_t index) const { return index - static_cast<int32_t>(base_); }
  // Reference counting of non-default entries by position.
  void Acquire(int32_t position) {
    if (position < defaults_) return;
    TXLSKeyEntry& entry = entries_[position];
    if (++entry.RefCount == 1) ++inUse_;
  }
  // A count never goes below 0: a surplus release must not leave an entry
  // that a later user takes with a count of 0, which would keep it out of
  // the file.
  void Release(int32_t position) {
    if (position < defaults_) return;
    TXLSKeyEntry& entry = entries_[position];
    if (entry.RefCount <= 0) return;
    if (--entry.RefCount == 0) --inUse_;
  }

  TXLSSlotArray<TXLSKeyEntry> entries_;
  THashInteger map_;
  WideString fallback_;
  uint16_t base_ = 1;
  int32_t defaults_ = 0;
  int32_t inUse_ = 0;
  // Positions of the entries written, in output order.
  std::vector<int32_t> output_;
};

// An entry of a TXLSObjList: something with a name.
class TXLSObjEntry {
 public:
  // An entry of a name.
  explicit TXLSObjEntry(WideString name) : name_(std::move(name)) {}
  virtual ~TXLSObjEntry() = default;
  // The entry's name.
  const WideString& Name() const { return name_; }

 private:
  WideString name_;
};

// A list of named entries, owned by the list, each reachable by index.
class TXLSObjList {
 public:
  // An empty list whose first index is base.
  explicit TXLSObjList(uint16_t base = 1);
  virtual ~TXLSObjList();
  TXLSObjList(const TXLSObjList&) = delete;
  TXLSObjList& operator=(const TXLSObjList&) = delete;

  // An entry with the same name as an existing one takes its slot and index;
  // otherwise it is appended at index base + position.
  int32_t AddOrReplace(std::unique_ptr<TXLSObjEntry> entry);
  // The entry at index, or nullptr.
  TXLSObjEntry* ItemAt(int32_t index) const;
  // The index of the entry with this name, or -1.
  int32_t IndexOf(const WideString& name) const;
  // The number of entries.
  int32_t Count() const { return entries_.Size(); }
  // The index of the first entry.
  uint16_t BaseIndex() const { return base_; }
  // Frees every entry.
  void ClearAll();

 private:
  TXLSSlotArray<std::unique_ptr<TXLSObjEntry>> entries_;
  // Name to position + 1, so that 0 (absent) never collides with position 0.
  THashInteger map_;
  uint16_t base_;
};

// Texts by index (from 0), with a map from text to index.
class TXLSStringList {
 public:
  TXLSStringList();
  virtual ~TXLSStringList();
  TXLSStringList(const TXLSStringList&) = delete;
  TXLSStringList& operator=(const TXLSStringList&) = delete;

  // Stores the text at index (growing the list) and maps the text to it; a
  // negative index is ignored.
  virtual void SetAt(int32_t index, const WideString& text);
  // The text at index, or the empty text outside the slots in use.
  virtual const WideString& GetAt(int32_t index) const;
  // The index of the text when present, else it is appended at the next slot.
  virtual int32_t AddOrFind(const WideString& text);
  // The index of the text; 0 when absent.
  int32_t Find(const WideString& text) const;
  // Whether the text is stored.
  bool Contains(const WideString& text) const;
  // Slots in use: the highest index stored + 1.
  int32_t SlotCount() const { return texts_.Size(); }
  // Back to the state of a new list.
  virtual void Clear();

 protected:
  // Reserves the slots below count without storing texts there.
  void SetSlotCount(int32_t count) { texts_.Resize(count); }

 private:
  TXLSSlotArray<WideString> texts_;
  // Text to index + 1, so that a text at index 0 is found too.
  THashInteger map_;
};

// Attributes of a font, as spelled out in a font key.
struct TXLSFontFields {
  uint16_t Height = 200;    // twips
  uint16_t Color = 0x7FFF;  // palette index; 0x7FFF automatic
  // Bold.
  bool Bold = false;
  // Italic.
  bool Italic = false;
  // Struck through.
  bool Strikeout = false;
  // Outlined glyphs.
  bool Outline = false;
  // Shadowed.
  bool Shadow = false;
  // The underline kind as the FONT record stores it.
  uint8_t Underline = 0;
  // Subscript.
  bool Subscript = false;
  // Superscript.
  bool Superscript = false;
  // The font family.
  uint8_t Family = 0;
  // The character set.
  uint8_t Charset = 0;
  // The font's name.
  WideString Name = u"Arial";

  // The fields as a font key.
  WideString Key() const;
  // Fields that are missing or not hexadecimal read as 0.
  static TXLSFontFields Parse(const WideString& key);
};

// The workbook's fonts (base index 0, four default entries of Arial 10).
// FONT record number 4 is never referenced, as a spreadsheet reader numbers
// FONT records 0, 1, 2, 3, 5, 6, ...; OutputIndex accounts for that.
class TXLSFontList : public TXLSKeyList {
 public:
  // The default fonts of a new list.
  static constexpr int32_t kDefaultFonts = 4;
  // The stored colour of the automatic font colour.
  static constexpr int32_t kAutomaticColor = 0x7FFF;
  // The key of Arial 10 with the automatic colour and no other attribute.
  static const WideString& DefaultKey();

  TXLSFontList();

  // o - 1 for output indexes 1..4, o from 5 on, 0 for fonts not written.
  int32_t OutputIndex(int32_t index) const override;

  double GetFontSize(int32_t index) const;    // points
  int32_t GetFontColor(int32_t index) const;  // -4105 for automatic
  // Whether the font is bold.
  bool GetFontBold(int32_t index) const;
  // Whether the font is italic.
  bool GetFontItalic(int32_t index) const;
  // Whether the font is struck through.
  bool GetFontStrikethrough(int32_t index) const;
  // Whether the font is outlined.
  bool GetFontOutline(int32_t index) const;
  // Whether the font is shadowed.
  bool GetFontShadow(int32_t index) const;
  // Whether the font is subscript.
  bool GetFontSubscript(int32_t index) const;
  // Whether the font is superscript.
  bool GetFontSuperscript(int32_t index) const;
  // The underline kind.
  int32_t GetFontUnderline(int32_t index) const;
  // The font family.
  int32_t GetFontFamily(int32_t index) const;
  // The character set.
  int32_t GetFontCharset(int32_t index) const;
  // The font's name.
  WideString GetFontName(int32_t index) const;

  // Each write returns the index of the font that equals the font at `index`
  // with one attribute changed; one reference moves from `index` to it.
  int32_t SetFontSize(int32_t index, double points);
  // A palette index; -4105 (automatic) is stored as 0x7FFF, -4142 (none) as 0.
  int32_t SetFontColor(int32_t index, int32_t color);
  // The font like index but bold or not (see the writes above).
  int32_t SetFontBold(int32_t index, bool value);
  // The font like index but italic or not.
  int32_t SetFontItalic(int32_t index, bool value);
  // The font like index but struck through or not.
  int32_t SetFontStrikethrough(int32_t index, bool value);
  // The font like index but outlined or not.
  int32_t SetFontOutline(int32_t index, bool value);
  // The font like index but shadowed or not.
  int32_t SetFontShadow(int32_t index, bool value);
  // The font like index but subscript or not.
  int32_t SetFontSubscript(int32_t index, bool value);
  // The font like index but superscript or not.
  int32_t SetFontSuperscript(int32_t index, bool value);
  // The font like index with another underline kind.
  int32_t SetFontUnderline(int32_t index, int32_t value);
  // The font like index with another family.
  int32_t SetFontFamily(int32_t index, int32_t value);
  // The font like index with another character set.
  int32_t SetFontCharset(int32_t index, int32_t value);
  // The font like index with another name.
  int32_t SetFontName(int32_t index, const WideString& name);

  // The FONT record of the entry at an output position of the last Renumber;
  // nullptr outside the output table.
  std::unique_ptr<TXLSBlob> BuildFontRecord(int32_t outputPosition, int32_t fileFormat) const;
  // The FONT record of a font key.
  static std::unique_ptr<TXLSBlob> BuildFontRecordFromKey(const WideString& key, int32_t fileFormat);

 private:
  // Replaces `width` characters at 0-based offset `at` of the key at index.
  int32_t SetField(int32_t index, size_t at, size_t width, uint32_t value);
};

// Number formats: a built-in table (indexes 0..49, texts fixed) and custom
// formats from index 164 on, with a date flag per index.
class TXLSNumFormatList : public TXLSStringList {
 public:
  // The first index of a custom number format.
  static constexpr int32_t kFirstCustomFormat = 164;

  TXLSNumFormatList();

  // Stores a custom format at exactly this index (formats read from a file
  // keep their indexes) and sets its date flag from the text.
  void SetAt(int32_t index, const WideString& text) override;
  // The custom text at index; below 164, the built-in text when there is none.
  const WideString& GetAt(int32_t index) const override;
  // The custom index of a custom text, else the built-in index of a built-in
  // text, else the text is added at the next custom index.
  int32_t AddOrFind(const WideString& text) override;
  // Whether the format at index shows dates or times.
  bool IsDateFormat(int32_t index) const;
  // Drops every custom format: the list is as new (the object stays, so
  // references to it stay valid).
  void Clear() override;
  // Whether a custom text is stored at index (those are the formats written).
  bool IsCustomFormat(int32_t index) const;
  // The built-in formats.
  const TXLSStringList& BuiltIn() const { return builtIn_; }

  // The FORMAT record of a custom format; nullptr for built-in or empty ones.
  std::unique_ptr<TXLSBlob> BuildFormatRecord(int32_t index, int32_t fileFormat) const;

  // Upper-cased, the text contains DD or MM, or else YY, HH or SS.
  static bool LooksLikeDate(const WideString& text);

 private:
  // Date flags of a new list: the built-in date and time formats.
  void FlagBuiltInDates();

  TXLSStringList builtIn_;
  TBoolArray dates_;
};

}  // namespace lx
