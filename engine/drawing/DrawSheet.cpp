// A worksheet's drawing: reading its records into shapes and writing them.
#include <algorithm>
#include <cstring>

#include "lxCodePage.h"
#include "lxConstants.h"
#include "lxDraw.h"

namespace lx {
namespace {

// OBJ record fields.
constexpr uint16_t kFtCmo = 0x15;
constexpr uint16_t kFtCmoLength = 18;
constexpr uint16_t kFtSbs = 0x0C;
constexpr uint16_t kFtLbsData = 0x13;
constexpr uint16_t kFtLbsDataLength = 0x1FEE;
constexpr uint16_t kObjOptionsNew = 0x6011;
constexpr uint16_t kArrowObjOptions = 0x0121;
// OBJ option bit of a combo box that is an autofilter arrow.
constexpr uint16_t kObjOptionArrow = 0x0100;
// TXO options of a comment: left aligned, top aligned.
constexpr uint16_t kTxoOptions = 0x0012;
constexpr uint16_t kTxoLength = 18;
constexpr uint16_t kTxoRunsLength = 16;
// BIFF5 NOTE records carry at most this many characters.
constexpr size_t kBiff5NoteLimit = 2048;
// Shape atom flags of the sheet's top group shape.
constexpr uint32_t kGroupShapeFlags = kShapeFlagGroup | kShapeFlagPatriarch;
// A new comment box's size in points.
constexpr double kCommentWidth = 96;
constexpr double kCommentHeight = 55.5;
// Bytes of the drawing container up to the first shape: container, drawing
// atom, group container and the group shape's container.
constexpr uint32_t kDrawingHead = 80;

uint16_t Word(std::span<const uint8_t> b, size_t at) {
  return at + 2 <= b.size() ? static_cast<uint16_t>(b[at] | (b[at + 1] << 8)) : 0;
}

uint8_t RotateLeft(uint8_t value, int bits) { return static_cast<uint8_t>((value << bits) | (value >> (8 - bits))); }

std::unique_ptr<TXLSBlob> Record(uint16_t number, const TXLSBlob& payload) {
  auto record = NewRecord(number, payload.Length());
  if (payload.Length() > 0) record->AddBytes(payload.Data(), payload.Length());
  return record;
}

std::unique_ptr<TXLSBlob> Record(uint16_t number, std::span<const uint8_t> payload) {
  auto record = NewRecord(number, static_cast<uint32_t>(payload.size()));
  if (!payload.empty()) record->AddBytes(payload.data(), static_cast<uint32_t>(payload.size()));
  return record;
}

// Appends a record, split into CONTINUE records past maxRecordData.
void AddSplit(TXLSBlobList& list, std::unique_ptr<TXLSBlob> record, uint16_t maxRecordData) {
  SplitRecord(record, maxRecordData);
  list.AddRecord(std::move(record));
}

}  // namespace

// ---------------------------------------------------------------- shapes

void TMsoShapeContainer::SetVisible(bool visible) {
  const uint32_t flags = opt_.Value(kPropGroupShapeFlags);
  opt_.SetValue(kPropGroupShapeFlags, visible ? flags & ~uint32_t{2} : flags | 2);
}

void TMsoShapeContainer::SetText(std::u16string text) {
  text_ = std::move(text);
  txo_.clear();  // the text as read no longer applies
}

uint32_t TMsoShapeContainer::Size() const {
  uint32_t size = 16 + 16 + opt_.Size() + kMsoHeaderSize + TMsoFbtClientAnchor::kBodySize;
  for (const TMsoFbtUnknown& record : extra_) size += record.Size();
  if (hasTextBox_) size += kMsoHeaderSize;
  return size;
}

// ---------------------------------------------------------------- reading

TMsoDrawing::TParseState TMsoDrawing::State() const {
  if (open_.empty()) return psNone;
  switch (open_.back().Type) {
    case kFbtDgContainer:
      return psDrawing;
    case kFbtSpgrContainer:
      return psGroup;
    default:
      return psShape;
  }
}

void TMsoDrawing::Consume(uint32_t n) {
  for (TOpen& open : open_) open.Left -= n;
  while (!open_.empty() && open_.back().Left == 0) {
    if (open_.back().Type == kFbtSpContainer) openShape_ = nullptr;
    open_.pop_back();
  }
}

void TMsoDrawing::Fail() {
  failed_ = true;
  shapes_.clear();
  open_.clear();
  pending_.clear();
  skip_ = 0;
  reading_.reset();
  openShape_ = nullptr;
  lastObj_ = nullptr;
}

int32_t TMsoDrawing::ReadDrawingData(std::span<const uint8_t> data) {
  if (failed_) return kResultFail;
  pending_.insert(pending_.end(), data.begin(), data.end());
  size_t at = 0;
  while (true) {
    const size_t available = pending_.size() - at;
    if (skip_ > 0) {
      const uint32_t n = static_cast<uint32_t>(std::min<size_t>(skip_, available));
      if (n == 0) break;
      at += n;
      skip_ -= n;
      Consume(n);
      continue;
    }
    TMSOHeader header;
    if (!TMSOHeader::Read(pending_, at, header)) break;
    // A record must fit in what is left of its container.
    if (!open_.empty() && (open_.back().Left < kMsoHeaderSize || header.Length > open_.back().Left - kMsoHeaderSize)) {
      Fail();
      return kResultFail;
    }
    int32_t result = kResultOk;
    if (!ParseRecord(header, at, available, result)) break;
    if (result != kResultOk) {
      Fail();
      return result;
    }
    at += kMsoHeaderSize;  // ParseRecord has consumed the header and set what to do with the body
  }
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<ptrdiff_t>(at));
  return kResultOk;
}

bool TMsoDrawing::ParseRecord(const TMSOHeader& header, size_t at, size_t available, int32_t& result) {
  const TParseState state = State();
  const auto push = [&](uint16_t type) {
    Consume(kMsoHeaderSize);
    open_.push_back({type, header.Length});
    Consume(0);
  };
  const auto skipBody = [&] {
    Consume(kMsoHeaderSize);
    skip_ = header.Length;
  };
  if (state == psNone) {
    if (header.IsContainer() && header.Type == kFbtDgContainer)
      push(kFbtDgContainer);
    else
      skipBody();
    return true;
  }
  if (state == psDrawing) {
    if (header.IsContainer() && header.Type == kFbtSpgrContainer)
      push(kFbtSpgrContainer);
    else
      skipBody();
    return true;
  }
  if (state == psGroup) {
    if (header.IsContainer() && header.Type == kFbtSpContainer) {
      // Every shape's container is followed by its OBJ record before the
      // next shape begins.
      if (reading_) {
        result = kResultFail;
        return true;
      }
      reading_ = std::make_unique<TMsoShapeContainer>();
      openShape_ = reading_.get();
      push(kFbtSpContainer);
      if (open_.empty() || open_.back().Type != kFbtSpContainer) openShape_ = nullptr;
    } else {
      // Nested groups are not kept; their shapes' OBJ, TXO and chart records
      // find no shape.
      if (header.Type == kFbtSpgrContainer) {
        reading_.reset();
        lastObj_ = nullptr;
      }
      skipBody();
    }
    return true;
  }
  // Inside a shape container.
  if (!openShape_ || header.Type == kFbtClientData) {
    skipBody();
    return true;
  }
  if (header.Type == kFbtClientTextbox) {
    openShape_->hasTextBox_ = true;
    skipBody();
    return true;
  }
  if (header.Type == kFbtSpgr) {
    // The group shape at the head of the drawing: not a shape of the list.
    if (reading_.get() == openShape_) reading_.reset();
    openShape_ = nullptr;
    skipBody();
    return true;
  }
  // The remaining records are read whole.
  if (available - kMsoHeaderSize < header.Length) return false;
  const std::span<const uint8_t> body(pending_.data() + at + kMsoHeaderSize, header.Length);
  TMsoShapeContainer& shape = *openShape_;
  switch (header.Type) {
    case kFbtSp:
      if (header.Length < 8) {
        result = kResultFail;
        return true;
      }
      shape.sp_.Version = header.Version;
      shape.sp_.ShapeType = header.Instance;
      std::memcpy(&shape.sp_.ShapeId, body.data(), 4);
      std::memcpy(&shape.sp_.Flags, body.data() + 4, 4);
      if (shape.sp_.Flags & kGroupShapeFlags) {
        if (reading_.get() == openShape_) reading_.reset();
        openShape_ = nullptr;
      }
      break;
    case kFbtOpt:
      result = shape.opt_.Read(body, header.Instance);
      break;
    case kFbtClientAnchor:
      result = shape.anchor_.Read(body);
      break;
    default:
      shape.extra_.push_back({header, std::vector<uint8_t>(body.begin(), body.end())});
      break;
  }
  Consume(kMsoHeaderSize);
  skip_ = header.Length;
  return true;
}

int32_t TMsoDrawing::ReadObjRecord(std::span<const uint8_t> data) {
  if (failed_) return kResultFail;
  if (!reading_) {
    lastObj_ = nullptr;  // the object of a shape not kept
    return kResultFail;
  }
  if (Word(data, 0) != kFtCmo || Word(data, 2) < kFtCmoLength || data.size() < 4 + size_t{kFtCmoLength}) {
    if (openShape_ == reading_.get()) openShape_ = nullptr;
    reading_.reset();
    lastObj_ = nullptr;
    return kResultFail;
  }
  TMsoShapeContainer& shape = *reading_;
  shape.objectType_ = Word(data, 4);
  shape.objectId_ = Word(data, 6);
  shape.objOptions_ = Word(data, 8);
  shape.obj_.assign(data.begin(), data.end());
  lastObjectId_ = std::max<uint32_t>(lastObjectId_, shape.objectId_);
  if (shape.objectType_ == kObjTypeComboBox && (shape.objOptions_ & kObjOptionArrow)) {
    shape.arrow_ = true;
    shape.row_ = shape.anchor_.FirstRow;
    shape.column_ = shape.anchor_.FirstColumn;
    if (arrowFound_) arrowFound_(shape.row_, shape.column_, shape);
  }
  lastObj_ = reading_.get();
  Append(std::move(reading_));
  return kResultOk;
}

int32_t TMsoDrawing::ReadTxoRecord(const std::vector<std::span<const uint8_t>>& pieces, bool scrambled) {
  if (failed_ || !lastObj_ || lastObj_->txoRead_ || pieces.empty()) return kResultFail;
  TMsoShapeContainer& shape = *lastObj_;
  shape.txoRead_ = true;
  for (const auto& piece : pieces) shape.txo_.emplace_back(piece.begin(), piece.end());
  // The characters follow in the CONTINUE pieces, each starting with an
  // option byte (bit 0: UTF-16).
  size_t left = Word(pieces[0], 10);
  std::u16string text;
  for (size_t p = 1; p < pieces.size() && left > 0; ++p) {
    std::vector<uint8_t> bytes(pieces[p].begin(), pieces[p].end());
    if (scrambled)
      for (uint8_t& byte : bytes) byte = RotateLeft(byte, 3);
    if (bytes.empty()) continue;
    const bool wide = bytes[0] & 1;
    size_t at = 1;
    while (left > 0 && at + (wide ? 2 : 1) <= bytes.size()) {
      text.push_back(wide ? static_cast<char16_t>(bytes[at] | (bytes[at + 1] << 8)) : static_cast<char16_t>(bytes[at]));
      at += wide ? 2 : 1;
      --left;
    }
  }
  shape.text_ = std::move(text);
  return kResultOk;
}

int32_t TMsoDrawing::ReadNoteRecord(uint16_t row, uint16_t column, uint16_t flags, uint16_t objectId,
                                    std::u16string author) {
  TMsoShapeContainer* shape = FindObject(objectId);
  if (!shape || !shape->IsTextBox()) return kResultFail;
  shape->row_ = row;
  shape->column_ = column;
  shape->noteFlags_ = flags;
  shape->author_ = std::move(author);
  return kResultOk;
}

int32_t TMsoDrawing::AttachChart(std::unique_ptr<TXLSCustomChart> chart) {
  if (failed_ || !lastObj_ || !lastObj_->IsChart() || lastObj_->chart_) return kResultFail;
  lastObj_->chart_ = std::move(chart);
  return kResultOk;
}

void TMsoDrawing::FinishDrawingRead() {
  // A container whose bytes never all came claimed more than the sheet had.
  if (!open_.empty() || skip_ > 0) Fail();
  open_.clear();
  pending_.clear();
  pending_.shrink_to_fit();
  skip_ = 0;
  reading_.reset();
  openShape_ = nullptr;
  lastObj_ = nullptr;
}

// ---------------------------------------------------------------- shapes

void TMsoDrawing::Append(std::unique_ptr<TMsoShapeContainer> shape) { shapes_.push_back(std::move(shape)); }

TMsoShapeContainer* TMsoDrawing::FindObject(uint16_t objectId) const {
  // Searched from the end: comments are joined to their NOTE records in
  // order, and the latest shape wins when a file repeats an identifier.
  for (size_t i = shapes_.size(); i-- > 0;)
    if (shapes_[i]->objectId_ == objectId) return shapes_[i].get();
  return nullptr;
}

void TMsoDrawing::RemoveShape(const TMsoShapeContainer* shape) {
  const auto found =
      std::find_if(shapes_.begin(), shapes_.end(), [shape](const auto& item) { return item.get() == shape; });
  if (found == shapes_.end()) return;
  if (lastObj_ == shape) lastObj_ = nullptr;
  if (openShape_ == shape) openShape_ = nullptr;
  shapes_.erase(found);
}

TMsoShapeContainer& TMsoDrawing::AddCommentBox(uint16_t row, uint16_t column) {
  auto shape = std::make_unique<TMsoShapeContainer>();
  shape->sp_ = {2, kShapeTypeTextBox, 0, kShapeFlagsNew};
  shape->objectId_ = NewObjectId();
  shape->objectType_ = kObjTypeComment;
  shape->objOptions_ = kObjOptionsNew;
  shape->hasTextBox_ = true;
  shape->width_ = kCommentWidth;
  shape->height_ = kCommentHeight;
  shape->row_ = row;
  shape->column_ = column;
  static constexpr std::pair<uint16_t, uint32_t> kProperties[] = {
      {128, 0x00BF0000}, {139, 2},          {191, 0x00080008},
      {385, 0x08000050}, {387, 0x08000050}, {447, 0x00100010},
      {513, 0},          {575, 0x00030003}, {kPropGroupShapeFlags, 0x00020002}};
  for (const auto& [number, value] : kProperties) shape->opt_.SetValue(number, value);
  TMsoShapeContainer& added = *shape;
  Append(std::move(shape));
  return added;
}

TMsoShapeContainer& TMsoDrawing::AddAutoFilterArrow(uint16_t row, uint16_t column) {
  auto shape = std::make_unique<TMsoShapeContainer>();
  shape->sp_ = {2, kShapeTypeHostControl, 0, kShapeFlagsNew};
  shape->objectId_ = NewObjectId();
  shape->objectType_ = kObjTypeComboBox;
  shape->objOptions_ = kArrowObjOptions;
  shape->arrow_ = true;
  shape->row_ = row;
  shape->column_ = column;
  static constexpr std::pair<uint16_t, uint32_t> kProperties[] = {
      {127, 0x01040104}, {191, 0x00080008}, {511, 0x00080000}, {kPropGroupShapeFlags, 0x00020000}};
  for (const auto& [number, value] : kProperties) shape->opt_.SetValue(number, value);
  TMsoShapeContainer& added = *shape;
  Append(std::move(shape));
  return added;
}

// ---------------------------------------------------------------- writing

void TMsoDrawing::PrepareDrawingIds(TMSODrawingGroup& group) {
  drawingId_ = 0;
  firstShapeId_ = lastShapeId_ = 0;
  if (shapes_.empty()) return;
  drawingId_ = group.AllocateDrawingId();
  firstShapeId_ = lastShapeId_ = group.AllocateShapeId(drawingId_);
  for (auto& shape : shapes_) lastShapeId_ = shape->sp_.ShapeId = group.AllocateShapeId(drawingId_);
}

void TMsoDrawing::WriteShapeContainer(const TMsoShapeContainer& shape, TXLSBlob& blob) const {
  TMSOHeader{kMsoContainerVersion, 0, kFbtSpContainer, shape.Size() - kMsoHeaderSize}.WriteTo(blob);
  shape.sp_.WriteTo(blob);
  shape.opt_.WriteTo(blob);
  for (const TMsoFbtUnknown& record : shape.extra_) record.WriteTo(blob);
  shape.anchor_.WriteTo(blob);
  TMSOHeader{0, 0, kFbtClientData, 0}.WriteTo(blob);
}

void TMsoDrawing::WriteDrawing(TXLSBlobList& list, uint16_t maxRecordData, bool scrambled) {
  if (shapes_.empty()) return;
  uint32_t total = kDrawingHead;
  for (const auto& shape : shapes_) total += shape->Size();
  TXLSBlob drawing(256);
  TMSOHeader{kMsoContainerVersion, 0, kFbtDgContainer, total - kMsoHeaderSize}.WriteTo(drawing);
  TMSOHeader{0, static_cast<uint16_t>(drawingId_), kFbtDg, 8}.WriteTo(drawing);
  drawing.AddDWord(static_cast<uint32_t>(shapes_.size()) + 1);
  drawing.AddDWord(lastShapeId_);
  TMSOHeader{kMsoContainerVersion, 0, kFbtSpgrContainer, total - 32}.WriteTo(drawing);
  TMSOHeader{kMsoContainerVersion, 0, kFbtSpContainer, 40}.WriteTo(drawing);
  TMSOHeader{1, 0, kFbtSpgr, 16}.WriteTo(drawing);
  for (int i = 0; i < 4; ++i) drawing.AddDWord(0);
  TMsoFbtSp{2, 0, firstShapeId_, kGroupShapeFlags}.WriteTo(drawing);

  // Shapes the engine made take their place from the sheet now.
  for (auto& shape : shapes_) {
    if (!shape->obj_.empty()) continue;
    if (shape->arrow_) {
      TMsoFbtClientAnchor& anchor = shape->anchor_;
      anchor.FirstColumn = shape->column_;
      anchor.FirstRow = shape->row_;
      anchor.LastColumn = static_cast<uint16_t>(shape->column_ + 1);
      anchor.LastRow = static_cast<uint16_t>(shape->row_ + 1);
      anchor.FirstColumnOffset = anchor.FirstRowOffset = anchor.LastColumnOffset = anchor.LastRowOffset = 0;
    } else if (shape->IsTextBox() && geometry_.Valid()) {
      PlaceCommentAnchor(shape->anchor_, shape->row_, shape->column_, shape->width_, shape->height_, geometry_);
    }
  }

  for (const auto& shape : shapes_) {
    WriteShapeContainer(*shape, drawing);
    AddSplit(list, Record(kRecMsoDrawing, drawing), maxRecordData);
    drawing.Clear();
    if (!shape->obj_.empty()) {
      AddSplit(list, Record(kRecObj, shape->obj_), maxRecordData);
    } else {
      TXLSBlob obj(70);
      obj.AddWord(kFtCmo);
      obj.AddWord(kFtCmoLength);
      obj.AddWord(shape->objectType_);
      obj.AddWord(shape->objectId_);
      obj.AddWord(shape->objOptions_);
      for (int i = 0; i < 6; ++i) obj.AddWord(0);
      if (shape->arrow_) {
        obj.AddWord(kFtSbs);
        obj.AddWord(20);
        for (uint16_t value : {0, 0, 0, 0, 100, 1, 10, 0, 16, 1}) obj.AddWord(value);
        obj.AddWord(kFtLbsData);
        obj.AddWord(kFtLbsDataLength);
        for (uint16_t value : {0, 0, 4, 0x0301, 0, 2, 8, 0x00A2, 0, 0}) obj.AddWord(value);
      } else {
        obj.AddDWord(0);  // the end field
      }
      list.AddRecord(Record(kRecObj, obj));
    }
    if (shape->hasTextBox_) {
      TMSOHeader{0, 0, kFbtClientTextbox, 0}.WriteTo(drawing);
      list.AddRecord(Record(kRecMsoDrawing, drawing));
      drawing.Clear();
      WriteText(*shape, list, maxRecordData, scrambled);
    }
    if (shape->chart_) (void)shape->chart_->WriteChart(list);
  }
}

void TMsoDrawing::WriteText(const TMsoShapeContainer& shape, TXLSBlobList& list, uint16_t maxRecordData,
                            bool scrambled) const {
  if (!shape.txo_.empty()) {
    // Unchanged since it was read: the records go back as they came.
    for (size_t i = 0; i < shape.txo_.size(); ++i)
      list.AddRecord(Record(i == 0 ? kRecTxo : kRecContinue, shape.txo_[i]));
    return;
  }
  const std::u16string& text = shape.text_;
  const uint16_t length = static_cast<uint16_t>(std::min<size_t>(text.size(), 0xFFFF));
  TXLSBlob txo(kTxoLength);
  txo.AddWord(kTxoOptions);
  for (int i = 0; i < 4; ++i) txo.AddWord(0);
  txo.AddWord(length);
  txo.AddWord(length > 0 ? kTxoRunsLength : 0);
  txo.AddDWord(0);
  list.AddRecord(Record(kRecTxo, txo));
  if (length == 0) return;
  // The characters, each CONTINUE starting with its own option byte.
  const size_t perRecord = (maxRecordData - 1u) / 2;
  for (size_t at = 0; at < length; at += perRecord) {
    const size_t count = std::min<size_t>(perRecord, length - at);
    auto record = NewRecord(kRecContinue, static_cast<uint32_t>(1 + 2 * count));
    record->AddByte(1);
    record->AddWide(std::u16string_view(text).substr(at, count));
    if (scrambled)
      for (uint32_t i = kRecordHeaderSize; i < record->Length(); ++i)
        record->PutByte(i, RotateLeft(record->GetByte(i), 5));
    list.AddRecord(std::move(record));
  }
  TXLSBlob runs(kTxoRunsLength);
  runs.AddWord(0);
  runs.AddWord(0);
  runs.AddDWord(0);
  runs.AddWord(length);
  runs.AddWord(0);
  runs.AddDWord(0);
  list.AddRecord(Record(kRecContinue, runs));
}

void TMsoDrawing::WriteNotes(TXLSBlobList& list, bool biff8, uint32_t codePage) const {
  for (const auto& shape : shapes_) {
    if (!shape->IsComment()) continue;
    TXLSBlob note(64);
    note.AddWord(shape->row_);
    note.AddWord(shape->column_);
    if (biff8) {
      note.AddWord(shape->noteFlags_);
      note.AddWord(shape->objectId_);
      const std::u16string& author = shape->author_;
      const bool wide = std::any_of(author.begin(), author.end(), [](char16_t c) { return c > 0xFF; });
      note.AddWord(static_cast<uint16_t>(author.size()));
      note.AddByte(wide ? 1 : 0);
      for (char16_t c : author) wide ? note.AddWord(c) : note.AddByte(static_cast<uint8_t>(c));
      note.AddByte(0);
    } else {
      if (shape->text_.size() >= kBiff5NoteLimit) continue;
      const std::string text = WideToAnsi(shape->text_, codePage);
      note.AddWord(static_cast<uint16_t>(text.size()));
      note.AddAnsi(text);
    }
    list.AddRecord(Record(kRecNote, note));
  }
}

}  // namespace lx
