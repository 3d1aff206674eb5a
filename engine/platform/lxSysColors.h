// System colours of the desktop.
//
// A few places need the desktop's colours rather than a palette entry: the
// palette answers the automatic colour with the window-text colour and index
// 80 with the tooltip background, and the framework layer turns its system
// colour constants into RGB. The engine runs without a desktop, so this unit
// answers with the colours of a default desktop theme. Colours are laid out
// 0x00BBGGRR (red in the low byte), like every colour in the engine.
//
// The numbering follows the desktop's own system-colour indexes, so that the
// framework can pass its index straight through.
#pragma once

#include <cstdint>

namespace lx {

enum class TSysColor : int32_t {
  scScrollBar = 0,
  scBackground = 1,
  scActiveCaption = 2,
  scInactiveCaption = 3,
  scMenu = 4,
  scWindow = 5,
  scWindowFrame = 6,
  scMenuText = 7,
  scWindowText = 8,
  scCaptionText = 9,
  scActiveBorder = 10,
  scInactiveBorder = 11,
  scAppWorkSpace = 12,
  scHighlight = 13,
  scHighlightText = 14,
  scBtnFace = 15,
  scBtnShadow = 16,
  scGrayText = 17,
  scBtnText = 18,
  scInactiveCaptionText = 19,
  scBtnHighlight = 20,
  sc3DDkShadow = 21,
  sc3DLight = 22,
  scInfoText = 23,
  scInfoBk = 24,
  scHotLight = 26,
  scGradientActiveCaption = 27,
  scGradientInactiveCaption = 28,
  scMenuHilight = 29,
  scMenuBar = 30,
};

// The colour of a system element, 0x00BBGGRR; an index without a colour
// (25, or outside 0..30) gives black.
uint32_t GetSysColor(TSysColor element);

}  // namespace lx
