// Drawing records and shapes.
//
// A BIFF8 workbook keeps its drawn objects (comments, pictures, charts, form
// controls, autofilter arrows) in OfficeArt records: one drawing group per
// workbook, carried by MSODRAWINGGROUP records in the globals, and one drawing
// per worksheet, carried by MSODRAWING records interleaved with the OBJ, TXO
// and chart records of its shapes. This unit holds both:
//
// - TMSODrawingGroup (one per workbook): the shape-identifier clusters, the
//   picture store (TMSOPictureList: the pictures of the files read, decoded
//   and written back with their data as read), the default properties and
//   the split-menu colours.
// - TMsoDrawing (one per worksheet): the sheet's shapes, the parser that
//   turns MSODRAWING/OBJ/TXO/NOTE records and embedded chart substreams back
//   into shapes, and the writer of the sheet's drawing and NOTE records.
//
// Identifiers are handed out afresh at every BIFF8 save: the save driver
// resets the group's clusters, then each sheet drawing in order takes a
// drawing identifier and one shape identifier per shape. A sheet without
// shapes takes none and writes nothing.
//
// Shapes read from a file keep every record of their shape container and the
// data of their OBJ record as read, so kinds the engine does not make (form
// controls, lines, text boxes) are written back as they came. Only the shape
// identifier is renewed. Parsing is bounded: containers are tracked to a fixed
// depth (deeper ones are kept or skipped as bytes), every length is checked
// against its parent's, and nothing is allocated beyond the bytes read.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "lxBLOB.h"
#include "lxChart.h"

namespace lx {

// BIFF records of the drawing layer.
inline constexpr uint16_t kRecMsoDrawingGroup = 0x00EB;
inline constexpr uint16_t kRecMsoDrawing = 0x00EC;
inline constexpr uint16_t kRecObj = 0x005D;
inline constexpr uint16_t kRecTxo = 0x01B6;
inline constexpr uint16_t kRecNote = 0x001C;

// OfficeArt record types.
inline constexpr uint16_t kFbtDggContainer = 0xF000;
inline constexpr uint16_t kFbtBStoreContainer = 0xF001;
inline constexpr uint16_t kFbtDgContainer = 0xF002;
inline constexpr uint16_t kFbtSpgrContainer = 0xF003;
inline constexpr uint16_t kFbtSpContainer = 0xF004;
inline constexpr uint16_t kFbtDgg = 0xF006;
inline constexpr uint16_t kFbtDg = 0xF008;
inline constexpr uint16_t kFbtSpgr = 0xF009;
inline constexpr uint16_t kFbtSp = 0xF00A;
inline constexpr uint16_t kFbtOpt = 0xF00B;
inline constexpr uint16_t kFbtClientTextbox = 0xF00D;
inline constexpr uint16_t kFbtClientAnchor = 0xF010;
inline constexpr uint16_t kFbtClientData = 0xF011;
inline constexpr uint16_t kFbtSplitMenuColors = 0xF11E;

// The version field's value that marks a container.
inline constexpr uint8_t kMsoContainerVersion = 0xF;
// Bytes of an OfficeArt record header.
inline constexpr uint32_t kMsoHeaderSize = 8;
// Shape identifiers are handed out in clusters of this many.
inline constexpr uint32_t kShapeIdsPerCluster = 1024;

// Shape types and OBJ object types the engine tells apart.
inline constexpr uint16_t kShapeTypePictureFrame = 75;
inline constexpr uint16_t kShapeTypeHostControl = 201;
inline constexpr uint16_t kShapeTypeTextBox = 202;
inline constexpr uint16_t kObjTypeChart = 5;
inline constexpr uint16_t kObjTypeComboBox = 20;
inline constexpr uint16_t kObjTypeComment = 25;
// Shape atom flags of shapes the engine makes: has anchor, has shape type.
inline constexpr uint32_t kShapeFlagsNew = 0x0A00;
// Shape atom flags: a group, the sheet's top group shape.
inline constexpr uint32_t kShapeFlagGroup = 0x0001;
inline constexpr uint32_t kShapeFlagPatriarch = 0x0004;

// The property that holds a shape's hidden bit (bit 1).
inline constexpr uint16_t kPropGroupShapeFlags = 959;

// An OfficeArt record header: version (4 bits) and instance (12 bits), the
// record type, and the body length.
struct TMSOHeader {
  uint8_t Version = 0;
  uint16_t Instance = 0;
  uint16_t Type = 0;
  uint32_t Length = 0;

  bool IsContainer() const { return Version == kMsoContainerVersion; }
  void WriteTo(TXLSBlob& blob) const;
  // The header at bytes[at]; false when fewer than 8 bytes are left.
  static bool Read(std::span<const uint8_t> bytes, size_t at, TMSOHeader& header);
};

// Any OfficeArt record, kept as its header and body as read.
struct TMsoFbtUnknown {
  TMSOHeader Header;
  std::vector<uint8_t> Body;

  uint32_t Size() const { return kMsoHeaderSize + static_cast<uint32_t>(Body.size()); }
  void WriteTo(TXLSBlob& blob) const;
};

// One property of a property table.
struct TMsoFbtOptItem {
  // Property number in bits 0-13; bit 14 a picture index; bit 15 complex.
  uint16_t Id = 0;
  // The value, or for a complex property the length of its extra data.
  uint32_t Value = 0;
  std::vector<uint8_t> Extra;
};

// A property table, kept in ascending property order.
class TMsoFbtOpt {
 public:
  // The value of a property; 0 when absent.
  uint32_t Value(uint16_t number) const;
  // Sets a property, creating it (flags 0) when absent.
  void SetValue(uint16_t number, uint32_t value);
  bool Has(uint16_t number) const { return items_.count(number & 0x3FFF) != 0; }
  size_t Count() const { return items_.size(); }
  // Bytes of the record, header included.
  uint32_t Size() const;
  void WriteTo(TXLSBlob& blob) const;
  // Reads a record body of `count` properties (the header's instance); 1, or
  // -1 when the entries and their extra data do not fit the body.
  [[nodiscard]] int32_t Read(std::span<const uint8_t> body, uint16_t count);

 private:
  std::map<uint16_t, TMsoFbtOptItem> items_;
};

// A client anchor: the cells a shape spans, with offsets in 1/1024 of a
// column's width and 1/256 of a row's height.
struct TMsoFbtClientAnchor {
  uint16_t Flags = 0;
  uint16_t FirstColumn = 0, FirstColumnOffset = 0, FirstRow = 0, FirstRowOffset = 0;
  uint16_t LastColumn = 0, LastColumnOffset = 0, LastRow = 0, LastRowOffset = 0;

  static constexpr uint32_t kBodySize = 18;
  void WriteTo(TXLSBlob& blob) const;
  // 1, or -1 for a body other than 18 bytes.
  [[nodiscard]] int32_t Read(std::span<const uint8_t> body);
};

// A shape atom.
struct TMsoFbtSp {
  uint8_t Version = 2;
  uint16_t ShapeType = 0;
  uint32_t ShapeId = 0;
  uint32_t Flags = kShapeFlagsNew;

  void WriteTo(TXLSBlob& blob) const;
};

// One identifier cluster: the drawing that owns it and how many of its 1024
// identifiers are used.
struct TMsoFbtDGGItem {
  uint32_t DrawingId = 0;
  uint32_t Used = 0;
};

// The drawing-group atom: hands out drawing and shape identifiers.
class TMsoFbtDGG {
 public:
  uint32_t AllocateDrawingId() { return ++drawings_; }
  // The next shape identifier of drawing d (see lxDraw.h's notes on clusters).
  uint32_t AllocateShapeId(uint32_t drawingId);
  // Removes the first cluster of drawing d; 0 does nothing.
  void ReleaseDrawingId(uint32_t drawingId);

  uint32_t MaxShapeId() const { return maxShapeId_; }
  uint32_t ShapesSaved() const { return shapes_; }
  uint32_t DrawingsSaved() const { return drawings_; }
  const std::vector<TMsoFbtDGGItem>& Clusters() const { return clusters_; }
  // Bytes of the record; 0 without clusters (then it is not written).
  uint32_t Size() const;
  void WriteTo(TXLSBlob& blob) const;
  // 1, or -1 for a body shorter than 16 bytes.
  [[nodiscard]] int32_t Read(std::span<const uint8_t> body);

 private:
  uint32_t maxShapeId_ = 0;
  uint32_t shapes_ = 0;
  uint32_t drawings_ = 0;
  std::vector<TMsoFbtDGGItem> clusters_;
};

// Picture types of the picture store.
inline constexpr uint8_t kBlipNone = 0;
inline constexpr uint8_t kBlipEmf = 2;
inline constexpr uint8_t kBlipWmf = 3;
inline constexpr uint8_t kBlipPict = 4;
inline constexpr uint8_t kBlipJpeg = 5;
inline constexpr uint8_t kBlipPng = 6;
inline constexpr uint8_t kBlipDib = 7;
// OfficeArt record types of the picture store: an entry, and the first of
// the picture records (one per picture type, this plus the type).
inline constexpr uint16_t kFbtBse = 0xF007;
inline constexpr uint16_t kFbtBlipFirst = 0xF018;
// Bytes of a picture entry's header, of a picture identifier and of the
// metafile header that EMF, WMF and PICT pictures carry.
inline constexpr uint32_t kBseHeaderSize = 36;
inline constexpr uint32_t kBlipIdSize = 16;
inline constexpr uint32_t kMetafileHeaderSize = 34;

// The metafile header of an EMF, WMF or PICT picture.
struct TMSOMetafileHeader {
  uint32_t UncompressedSize = 0;
  int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
  uint32_t Width = 0, Height = 0;
  uint32_t SavedSize = 0;
  uint8_t Compression = 0;
  uint8_t Filter = 0;
};

// One picture-store entry: a picture's type, data and identifier, and the
// number of shapes that use it. Records of the store other than picture
// entries are kept as read in their places (IsKept), since shapes number
// the store's records by position.
class TMSOPicture {
 public:
  uint8_t PictureType() const { return type_; }
  uint32_t RefCount() const { return refCount_; }
  // Position in the store, from 0; a shape names it by this plus 1.
  uint32_t PictureNumber() const { return number_; }
  const std::u16string& Name() const { return name_; }
  // The identifier: the MD4 digest of the data for an entry with data.
  const std::array<uint8_t, kBlipIdSize>& Identifier() const { return id_; }
  // The identifier an EMF picture was stored with, written back in place
  // of the digest.
  const std::array<uint8_t, kBlipIdSize>& StoredIdentifier() const { return storedId_; }
  const TMSOMetafileHeader& Metafile() const { return metafile_; }
  const std::vector<uint8_t>& Data() const { return data_; }
  // A record of the store that is no picture entry, kept as read.
  bool IsKept() const { return kept_; }
  // Whether the picture carries a metafile header.
  bool IsMetafile() const { return type_ == kBlipEmf || type_ == kBlipWmf || type_ == kBlipPict; }

  // Bytes the entry adds to the store container.
  uint32_t Size() const;
  void WriteTo(TXLSBlob& blob) const;

 private:
  friend class TMSOPictureList;

  uint8_t type_ = kBlipNone;
  uint32_t refCount_ = 0;
  uint32_t number_ = 0;
  std::u16string name_;
  std::array<uint8_t, kBlipIdSize> id_{};
  std::array<uint8_t, kBlipIdSize> storedId_{};
  TMSOMetafileHeader metafile_;
  std::vector<uint8_t> data_;
  bool kept_ = false;
  TMsoFbtUnknown record_;
};

// The workbook's picture store: its entries in order, numbered from 0, and
// a lookup by identifier.
class TMSOPictureList {
 public:
  void Clear();
  size_t Count() const { return items_.size(); }
  // 0-based, in store order.
  const TMSOPicture& Item(size_t index) const { return items_[index]; }
  bool Empty() const { return items_.empty(); }
  // The first entry with that identifier, or null.
  const TMSOPicture* Find(const std::array<uint8_t, kBlipIdSize>& identifier) const;
  // Bytes of the store container; 0 when it holds nothing (not written).
  uint32_t Size() const;
  void WriteTo(TXLSBlob& blob) const;
  // Reads the store container's body. An entry that cannot be read is kept
  // as an entry without picture, so later entries keep their positions and
  // the shapes that name them still find them. 1, or -1 when a record's
  // length overruns the container (the store is then left empty).
  [[nodiscard]] int32_t Read(std::span<const uint8_t> body);
  // Reads one entry record's body into entry: 1, or -1 when it is no
  // readable picture entry.
  [[nodiscard]] static int32_t ReadEntry(const TMSOHeader& header, std::span<const uint8_t> body, TMSOPicture& entry);

 private:
  void Add(TMSOPicture entry);

  std::vector<TMSOPicture> items_;
  uint32_t nextNumber_ = 0;
  std::map<std::array<uint8_t, kBlipIdSize>, size_t> byIdentifier_;
};

// The workbook's drawing group.
class TMSODrawingGroup {
 public:
  TMSODrawingGroup();

  // Empties the picture store, the identifiers and the default properties.
  void ClearDrawingGroup();
  // Forgets every identifier given out (at the start of a BIFF8 save).
  void ResetDrawingIds() { dgg_ = TMsoFbtDGG(); }
  uint32_t AllocateDrawingId() { return dgg_.AllocateDrawingId(); }
  uint32_t AllocateShapeId(uint32_t drawingId) { return dgg_.AllocateShapeId(drawingId); }
  void ReleaseDrawingId(uint32_t drawingId) { dgg_.ReleaseDrawingId(drawingId); }

  // Appends the MSODRAWINGGROUP record and its CONTINUE records, cut at
  // maxRecordData bytes of payload. Nothing when no drawing took an
  // identifier and the store is empty.
  void WriteDrawingGroup(TXLSBlobList& list, uint16_t maxRecordData) const;
  // Reads the joined data of an MSODRAWINGGROUP group: 1, or -1 (the group
  // is then left empty) when a length overruns its container.
  [[nodiscard]] int32_t ReadDrawingGroup(std::span<const uint8_t> data);

  const TMsoFbtDGG& Dgg() const { return dgg_; }
  TMsoFbtOpt& DefaultProperties() { return properties_; }
  // The picture store, as read.
  const TMSOPictureList& Pictures() const { return pictures_; }
  // Whether the drawing group must be written: some drawing took an
  // identifier, or the store has pictures.
  bool HasContent() const { return !dgg_.Clusters().empty() || !pictures_.Empty(); }

 private:
  TMsoFbtDGG dgg_;
  TMsoFbtOpt properties_;
  TMSOPictureList pictures_;
  TMsoFbtUnknown splitMenuColors_;
};

// The sheet's column widths and row heights in points (0 for a hidden
// column or row), through which anchors and shape sizes convert.
struct TSheetGeometry {
  std::function<double(int32_t column)> ColumnPoints;
  std::function<double(int32_t row)> RowPoints;
  bool Valid() const { return ColumnPoints && RowPoints; }
};

// The width and height in points that an anchor spans; 10 by 10 for an
// anchor whose cells or offsets are out of order or range.
void ShapeSizeFromAnchor(const TMsoFbtClientAnchor& anchor, const TSheetGeometry& geometry, double& width,
                         double& height);
// The last cell and offsets of an anchor whose first cell and offsets stay,
// for a shape of width by height points.
void AnchorFromShapeSize(TMsoFbtClientAnchor& anchor, double width, double height, const TSheetGeometry& geometry);
// The anchor of a comment box of width by height points shown next to its
// cell: right of the cell and a little above it where there is room, else
// left of it, below it or above it.
void PlaceCommentAnchor(TMsoFbtClientAnchor& anchor, uint16_t row, uint16_t column, double width, double height,
                        const TSheetGeometry& geometry);

// One shape of a sheet drawing.
class TMsoShapeContainer {
 public:
  TMsoFbtSp& Sp() { return sp_; }
  const TMsoFbtSp& Sp() const { return sp_; }
  TMsoFbtOpt& Opt() { return opt_; }
  const TMsoFbtOpt& Opt() const { return opt_; }
  TMsoFbtClientAnchor& Anchor() { return anchor_; }
  const TMsoFbtClientAnchor& Anchor() const { return anchor_; }

  uint16_t ObjectId() const { return objectId_; }
  uint16_t ObjectType() const { return objectType_; }
  uint16_t ObjOptions() const { return objOptions_; }
  bool IsTextBox() const { return sp_.ShapeType == kShapeTypeTextBox; }
  bool IsComment() const { return IsTextBox() && objectType_ == kObjTypeComment; }
  bool IsPictureFrame() const { return sp_.ShapeType == kShapeTypePictureFrame; }
  bool IsChart() const { return objectType_ == kObjTypeChart; }
  // Visible when bit 1 of property 959 is clear.
  bool IsVisible() const { return (opt_.Value(kPropGroupShapeFlags) & 2) == 0; }
  void SetVisible(bool visible);

  // Text of a shape with a text box (comment text, control label).
  const std::u16string& Text() const { return text_; }
  void SetText(std::u16string text);
  bool HasTextBox() const { return hasTextBox_; }
  // The cell and author of a comment.
  uint16_t Row() const { return row_; }
  uint16_t Column() const { return column_; }
  uint16_t NoteFlags() const { return noteFlags_; }
  const std::u16string& Author() const { return author_; }
  void SetCell(uint16_t row, uint16_t column) { row_ = row, column_ = column; }
  void SetAuthor(std::u16string author) { author_ = std::move(author); }
  const TXLSCustomChart* Chart() const { return chart_.get(); }
  // An autofilter drop-down arrow and its cell.
  bool IsAutoFilterArrow() const { return arrow_; }

  // The size in points of a comment box the engine made (96 by 55.5); 0
  // for shapes read, whose anchors are kept as read (ShapeSizeFromAnchor
  // measures them).
  double Width() const { return width_; }
  double Height() const { return height_; }

  // Bytes the shape adds to the sheet's drawing container.
  uint32_t Size() const;

 private:
  friend class TMsoDrawing;

  TMsoFbtSp sp_;
  TMsoFbtOpt opt_;
  TMsoFbtClientAnchor anchor_;
  // Other records of the shape container, as read, written after the anchor.
  std::vector<TMsoFbtUnknown> extra_;
  uint16_t objectId_ = 0;
  uint16_t objectType_ = 0;
  uint16_t objOptions_ = 0;
  // The OBJ record's data as read; empty for shapes the engine made.
  std::vector<uint8_t> obj_;
  bool hasTextBox_ = false;
  std::u16string text_;
  // The TXO record and its CONTINUE pieces as read, written back while the
  // text is unchanged.
  std::vector<std::vector<uint8_t>> txo_;
  bool txoRead_ = false;
  uint16_t row_ = 0, column_ = 0, noteFlags_ = 0;
  std::u16string author_;
  std::unique_ptr<TXLSCustomChart> chart_;
  bool arrow_ = false;
  double width_ = 0;
  double height_ = 0;
};

// A worksheet's drawing: its shapes, their reading and their writing.
class TMsoDrawing {
 public:
  // Tells the sheet's autofilter that a drop-down arrow was read.
  using TArrowFound = std::function<void(uint16_t row, uint16_t column, TMsoShapeContainer& arrow)>;

  TMsoDrawing() = default;
  TMsoDrawing(const TMsoDrawing&) = delete;
  TMsoDrawing& operator=(const TMsoDrawing&) = delete;

  // ---- reading (the workbook reader calls these in file order)
  // Bytes of an MSODRAWING group. 1, or -1 when the drawing is malformed:
  // then every shape of this drawing is dropped and later records of it are
  // ignored.
  [[nodiscard]] int32_t ReadDrawingData(std::span<const uint8_t> data);
  // An OBJ record: the shape whose container was just read takes its
  // identifiers and joins the list. 1, or -1 when there is no such shape or
  // the record cannot be read (the shape is dropped).
  [[nodiscard]] int32_t ReadObjRecord(std::span<const uint8_t> data);
  // A TXO group (the record and its CONTINUE pieces): the text of the shape
  // that read the last OBJ. 1, or -1 when no shape takes text.
  [[nodiscard]] int32_t ReadTxoRecord(const std::vector<std::span<const uint8_t>>& pieces, bool scrambled);
  // A BIFF8 NOTE: joins the comment to its text box. 1, or -1 when no text
  // box has that object identifier.
  [[nodiscard]] int32_t ReadNoteRecord(uint16_t row, uint16_t column, uint16_t flags, uint16_t objectId,
                                       std::u16string author);
  // Gives an embedded chart, read whole, to the chart shape that read the
  // last OBJ: 1, or -1 (the chart is dropped) when that is not a chart shape.
  [[nodiscard]] int32_t AttachChart(std::unique_ptr<TXLSCustomChart> chart);
  // Ends the reading of the sheet; a drawing whose containers claimed more
  // bytes than the sheet's records held is dropped.
  void FinishDrawingRead();
  // Whether the drawing was dropped for malformed data.
  bool ReadFailed() const { return failed_; }

  // ---- saving
  // Hands out the drawing identifier and the shape identifiers (BIFF8 save).
  void PrepareDrawingIds(TMSODrawingGroup& group);
  // Appends the sheet's MSODRAWING, OBJ, TXO and chart records; nothing for a
  // sheet without shapes. scrambled: the workbook is protected with a
  // password, so text-box texts are scrambled.
  void WriteDrawing(TXLSBlobList& list, uint16_t maxRecordData, bool scrambled);
  // Appends the NOTE records of the comments. BIFF5 notes carry the text in
  // the code page given.
  void WriteNotes(TXLSBlobList& list, bool biff8, uint32_t codePage) const;

  // ---- shapes
  // A new hidden comment box for a cell, appended to the list.
  TMsoShapeContainer& AddCommentBox(uint16_t row, uint16_t column);
  // A new autofilter drop-down arrow for a header cell.
  TMsoShapeContainer& AddAutoFilterArrow(uint16_t row, uint16_t column);
  // Takes the shape out of the list and frees it.
  void RemoveShape(const TMsoShapeContainer* shape);
  // The shape with an object identifier, or null.
  TMsoShapeContainer* FindObject(uint16_t objectId) const;

  size_t Count() const { return shapes_.size(); }
  TMsoShapeContainer& Item(size_t index) const { return *shapes_[index]; }
  bool HasShapes() const { return !shapes_.empty(); }
  uint32_t DrawingId() const { return drawingId_; }
  uint32_t FirstShapeId() const { return firstShapeId_; }
  uint32_t LastShapeId() const { return lastShapeId_; }

  // The sheet's geometry: comment boxes the engine made are placed next to
  // their cells with it when written.
  void SetGeometry(TSheetGeometry geometry) { geometry_ = std::move(geometry); }
  void SetArrowFound(TArrowFound found) { arrowFound_ = std::move(found); }

 private:
  // An open container of the parser: its type and the body bytes not yet
  // consumed.
  struct TOpen {
    uint16_t Type;
    uint32_t Left;
  };
  // The parser's state, from the containers open.
  enum TParseState { psNone, psDrawing, psGroup, psShape };

  TParseState State() const;
  // Consumes n bytes inside every open container and closes the ones used up.
  void Consume(uint32_t n);
  // Handles the record whose header is at pending_[at]; false when its body
  // has not all arrived yet.
  bool ParseRecord(const TMSOHeader& header, size_t at, size_t available, int32_t& result);
  void Fail();
  uint16_t NewObjectId() { return static_cast<uint16_t>(++lastObjectId_); }
  void Append(std::unique_ptr<TMsoShapeContainer> shape);
  void WriteShapeContainer(const TMsoShapeContainer& shape, TXLSBlob& blob) const;
  void WriteText(const TMsoShapeContainer& shape, TXLSBlobList& list, uint16_t maxRecordData, bool scrambled) const;

  std::vector<std::unique_ptr<TMsoShapeContainer>> shapes_;
  uint32_t drawingId_ = 0;
  uint32_t firstShapeId_ = 0;
  uint32_t lastShapeId_ = 0;
  uint32_t lastObjectId_ = 0;
  TSheetGeometry geometry_;
  TArrowFound arrowFound_;

  // Reading.
  std::vector<TOpen> open_;
  std::vector<uint8_t> pending_;
  uint32_t skip_ = 0;
  // The shape whose container is being read, until its OBJ record.
  std::unique_ptr<TMsoShapeContainer> reading_;
  // The shape whose container is open (reading_, or a listed one whose
  // container goes on after its OBJ with its text box).
  TMsoShapeContainer* openShape_ = nullptr;
  // The shape that read the last OBJ: its TXO and chart follow.
  TMsoShapeContainer* lastObj_ = nullptr;
  bool failed_ = false;
};

}  // namespace lx
