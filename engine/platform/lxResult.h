// Result codes shared by every subsystem.
//
// Engine operations report failures as integer results rather than exceptions:
// 1 is success and negative values are failures. Producers of records stop at
// the first result other than kResultOk and hand it on unchanged, so the codes
// below travel up from the record writers to the public save and open calls.
#pragma once

#include <cstdint>

namespace lx {

inline constexpr int32_t kResultOk = 1;
// General failure, also a bad or empty file name.
inline constexpr int32_t kResultFail = -1;
// Creating (or opening) the compound document file failed.
inline constexpr int32_t kResultCreateFileFailed = -2;
// Creating the in-memory compound document failed; on the read side, the
// workbook stream was not found.
inline constexpr int32_t kResultCreateMemoryFailed = -3;
// A plain save was asked for but there is nothing to save again.
inline constexpr int32_t kResultNothingToSave = -4;
// An export that the caller aborted.
inline constexpr int32_t kResultAborted = -100;
// Decryption failures of the record reader.
inline constexpr int32_t kResultDecryptFirst = -1001;
inline constexpr int32_t kResultDecryptLast = -1005;
// The record reader's end of stream.
inline constexpr int32_t kResultEndOfStream = 100;

inline constexpr bool Succeeded(int32_t result) { return result == kResultOk; }

}  // namespace lx
