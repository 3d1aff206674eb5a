// 8-bit text in Windows code pages.
//
// The engine keeps wide text as UTF-16 (lxText.h) and meets 8-bit text at a few
// borders: BIFF5 records, formula texts, passwords, the exporters' output and
// texts handed over by the component framework with a font character set. This
// unit converts between the two in a given Windows code page number, so that
// callers can pass the numbers found in files and character sets unchanged.
//
// The system default code page is 1252 (a Western European desktop); its OEM
// page is 437 and its Macintosh page 10000. The pseudo code pages 0 (system
// default), 1 (OEM), 2 (Macintosh) and 3 (thread default) resolve to those.
//
// Conversion never fails: a character the code page cannot hold becomes '?',
// a byte sequence the code page does not define becomes U+FFFD. A code page
// this unit does not know is treated as the system code page, so that text is
// never lost for want of a table.
//
// Code page 1252 is converted by our own table (it is on every hot path); the
// other pages go through the C library's iconv. Single-byte pages are turned
// into lookup tables on first use; double-byte pages (932, 936, 949, 950, 1361)
// keep an open iconv descriptor. Both are cached per thread, so conversions
// need no locks and the engine stays free of shared mutable state.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace lx {

// The code page of the system's 8-bit text: Windows-1252.
inline constexpr uint32_t kSystemCodePage = 1252;
// The OEM code page: 437.
inline constexpr uint32_t kOemCodePage = 437;
// The Macintosh code page: Mac Roman.
inline constexpr uint32_t kMacCodePage = 10000;

// Pseudo code pages that name the system's choice rather than a table.
inline constexpr uint32_t kCodePageAnsi = 0;
// The OEM code page (kOemCodePage).
inline constexpr uint32_t kCodePageOem = 1;
// The Macintosh code page (kMacCodePage).
inline constexpr uint32_t kCodePageMac = 2;
// The thread's 8-bit code page (kSystemCodePage).
inline constexpr uint32_t kCodePageThreadAnsi = 3;
// UTF-8.
inline constexpr uint32_t kCodePageUtf8 = 65001;

// True for the code pages this unit converts with their own table: the
// Windows pages 874, 932, 936, 949, 950, 1250-1258 and 1361, the OEM pages,
// the Macintosh pages, ISO 8859, KOI8, US-ASCII (20127), UTF-8 (65001) and
// the pseudo pages 0 to 3.
bool IsSupportedCodePage(uint32_t codePage);

// True for the double-byte pages 932, 936, 949, 950 and 1361.
bool IsDoubleByteCodePage(uint32_t codePage);

// The concrete code page a number stands for: the pseudo pages 0 to 3 become
// 1252, 437, 10000 and 1252; an unsupported number becomes 1252.
uint32_t ResolveCodePage(uint32_t codePage);

// 8-bit text to UTF-16. Undefined bytes and broken double-byte sequences
// become U+FFFD.
std::u16string AnsiToWide(std::string_view text, uint32_t codePage = kSystemCodePage);

// UTF-16 to 8-bit text. Characters the code page lacks (unpaired surrogates
// included) become '?'; a surrogate pair counts as one character.
std::string WideToAnsi(std::u16string_view text, uint32_t codePage = kSystemCodePage);

// The byte of one UTF-16 unit in the system code page, or -1 when the page
// has none for it (surrogates included); agrees with WideToAnsi. Writers that
// can spell a missing character another way (RTF's Unicode escapes) ask
// character by character.
int SystemCodePageByte(char16_t c);

}  // namespace lx
