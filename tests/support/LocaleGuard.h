// Test helper: fixes the process-wide locale values for the
// lifetime of the guard and puts the previous ones back afterwards.
#pragma once

#include "lxLocale.h"

namespace lx::test {

class TLocaleGuard {
 public:
  explicit TLocaleGuard(const TFormatSettings& settings) : saved_(FormatSettings()) { SetFormatSettings(settings); }
  ~TLocaleGuard() { SetFormatSettings(saved_); }
  TLocaleGuard(const TLocaleGuard&) = delete;
  TLocaleGuard& operator=(const TLocaleGuard&) = delete;

 private:
  TFormatSettings saved_;
};

}  // namespace lx::test
