#include "lxDraw.h"
#include "lxPictures.h"

namespace lx {

uint32_t TXLSPicture::PictureIndex() const { return Shape().Opt().Value(kPropBlip); }

int32_t TXLSPicture::Row() const { return Shape().Anchor().FirstRow; }

int32_t TXLSPicture::Column() const { return Shape().Anchor().FirstColumn; }

void TXLSShapes::Build() {
  items_.clear();
  for (size_t i = 0; i < drawing_.Count(); ++i)
    if (drawing_.Item(i).IsPictureFrame()) items_.emplace_back(drawing_.Item(i), *this);
}

}  // namespace lx
