// PROVISIONAL stand-in for the sheet-objects base (replaced by main's).
#pragma once

#include <cstdint>

namespace lx {

class TXLSSheetObjects {
 public:
  virtual ~TXLSSheetObjects() = default;
  virtual void ClearArea(int32_t, int32_t, int32_t, int32_t) {}
  virtual void ShiftArea(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) {}
  virtual void AutoFilter(int32_t, int32_t, int32_t, int32_t) {}
};

}  // namespace lx
