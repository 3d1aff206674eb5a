// Pictures over a sheet drawing.
//
// A picture is a picture-frame shape of the sheet's drawing (lxDraw.h) whose
// blip property names an entry of the workbook's picture store
// (TMSOPictureList). Pictures only come from files that were read and are
// written back as read; TXLSShapes lists a sheet's pictures once its drawing
// has been read, and the sheet's objects (lxDrawingObjects.h) hold it beside
// the comments.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lx {

class TMsoDrawing;
class TMsoShapeContainer;
class TXLSShapes;

// The property of a picture frame that names its picture-store entry,
// counted from 1.
inline constexpr uint16_t kPropBlip = 260;

// An item of a shape collection: the shape it wraps, which the sheet
// drawing owns, and the collection that lists it.
class TXLSShape {
 public:
  TXLSShape(TMsoShapeContainer& shape, TXLSShapes& owner) : shape_(&shape), owner_(&owner) {}

  TMsoShapeContainer& Shape() const { return *shape_; }
  TXLSShapes& Owner() const { return *owner_; }

 private:
  TMsoShapeContainer* shape_;  // not owned
  TXLSShapes* owner_;          // not owned
};

// A picture: a picture-frame shape.
class TXLSPicture final : public TXLSShape {
 public:
  using TXLSShape::TXLSShape;

  // The picture-store entry the frame shows, counted from 1; 0 for none.
  uint32_t PictureIndex() const;
  // The anchor's first cell.
  int32_t Row() const;
  int32_t Column() const;
};

// The pictures of one sheet drawing, in drawing order.
class TXLSShapes {
 public:
  // drawing is not owned; it outlives the collection.
  explicit TXLSShapes(TMsoDrawing& drawing) : drawing_(drawing) {}
  TXLSShapes(const TXLSShapes&) = delete;
  TXLSShapes& operator=(const TXLSShapes&) = delete;

  // Lists the drawing's picture frames anew (once its reading is finished).
  void Build();
  size_t Count() const { return items_.size(); }
  // 1-based, in drawing order.
  TXLSPicture& Item(size_t index) { return items_.at(index - 1); }

 private:
  TMsoDrawing& drawing_;
  std::vector<TXLSPicture> items_;
};

}  // namespace lx
