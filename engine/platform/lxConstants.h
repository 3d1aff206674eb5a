// The named constants of the engine's programming interface.
//
// Every automation code a caller passes or gets back lives here once: none
// and automatic, alignments, shift directions, line styles and weights,
// border edges, underline kinds, fill patterns, copy flags, save-format codes
// and result codes. lxHandle.h re-exports this header; the engine's own
// units include it instead of spelling the numbers again. Codes that only
// appear inside a file (BIFF line codes, FONT option bits) stay with the
// records that hold them.
#pragma once

#include <cstdint>

namespace lx {

// ---------------------------------------------------------------- none and automatic

// No line, colour, fill or underline; also "not set" where a setting is optional.
inline constexpr int32_t xlNone = -4142;
// The automatic colour or setting, chosen by the application.
inline constexpr int32_t xlAutomatic = -4105;

// ---------------------------------------------------------------- alignments

// Horizontal alignments of a cell's contents (General: text left, numbers right).
inline constexpr int32_t xlHAlignGeneral = 1;
inline constexpr int32_t xlHAlignLeft = -4131;               // Left.
inline constexpr int32_t xlHAlignCenter = -4108;             // Centred.
inline constexpr int32_t xlHAlignRight = -4152;              // Right.
inline constexpr int32_t xlHAlignFill = 5;                   // Repeated to fill the cell.
inline constexpr int32_t xlHAlignJustify = -4130;            // Justified.
inline constexpr int32_t xlHAlignCenterAcrossSelection = 7;  // Centred across the selected cells.
inline constexpr int32_t xlHAlignDistributed = -4117;        // Distributed.

// Vertical alignments of a cell's contents.
inline constexpr int32_t xlVAlignTop = -4160;
inline constexpr int32_t xlVAlignCenter = -4108;       // Centred.
inline constexpr int32_t xlVAlignBottom = -4107;       // Bottom.
inline constexpr int32_t xlVAlignJustify = -4130;      // Justified.
inline constexpr int32_t xlVAlignDistributed = -4117;  // Distributed.

// ---------------------------------------------------------------- shifts of Insert and Delete

// How Delete (up, left) and Insert (down, right) move the neighbouring cells.
inline constexpr int32_t xlShiftUp = -4162;
inline constexpr int32_t xlShiftToLeft = -4159;   // Delete: cells to the right move left.
inline constexpr int32_t xlShiftDown = -4121;     // Insert: cells below move down.
inline constexpr int32_t xlShiftToRight = -4161;  // Insert: cells to the right move right.

// ---------------------------------------------------------------- borders

// Line styles.
inline constexpr int32_t xlContinuous = 1;
inline constexpr int32_t xlDash = -4115;       // Dashed.
inline constexpr int32_t xlDot = -4118;        // Dotted.
inline constexpr int32_t xlDouble = -4119;     // Double.
inline constexpr int32_t xlDashDot = 4;        // Dash-dot.
inline constexpr int32_t xlDashDotDot = 5;     // Dash-dot-dot.
inline constexpr int32_t xlSlantDashDot = 13;  // Slanted dash-dot.
// Weights.
inline constexpr int32_t xlHairline = 1;
inline constexpr int32_t xlThin = 2;        // Thin.
inline constexpr int32_t xlMedium = -4138;  // Medium.
inline constexpr int32_t xlThick = 4;       // Thick.

// Edges of Item of the borders object.
inline constexpr int32_t xlDiagonalDown = 5;
inline constexpr int32_t xlDiagonalUp = 6;         // The diagonal from bottom left to top right.
inline constexpr int32_t xlEdgeLeft = 7;           // The left edge.
inline constexpr int32_t xlEdgeTop = 8;            // The top edge.
inline constexpr int32_t xlEdgeBottom = 9;         // The bottom edge.
inline constexpr int32_t xlEdgeRight = 10;         // The right edge.
inline constexpr int32_t xlInsideVertical = 11;    // The vertical lines between cells.
inline constexpr int32_t xlInsideHorizontal = 12;  // The horizontal lines between cells.
// Writing: the four outside edges, the two inside edges. Reading: 13 is the
// top edge and 14 the inside vertical edge.
inline constexpr int32_t xlAround = 13;
inline constexpr int32_t xlInside = 14;  // Both inside edges.

// ---------------------------------------------------------------- fonts and fills

// Underline kinds (xlNone for none).
inline constexpr int32_t xlUnderlineStyleSingle = 2;
inline constexpr int32_t xlUnderlineStyleDouble = -4119;        // Double.
inline constexpr int32_t xlUnderlineStyleSingleAccounting = 4;  // Single, accounting style.
inline constexpr int32_t xlUnderlineStyleDoubleAccounting = 5;  // Double, accounting style.

// Fill patterns named by constants (xlNone for no fill); patterns 9 to 18
// are passed as their numbers.
inline constexpr int32_t xlSolid = 1;
inline constexpr int32_t xlGray50 = -4125;      // 50% grey.
inline constexpr int32_t xlGray75 = -4126;      // 75% grey.
inline constexpr int32_t xlGray25 = -4124;      // 25% grey.
inline constexpr int32_t xlHorizontal = -4128;  // Horizontal stripes.
inline constexpr int32_t xlVertical = -4166;    // Vertical stripes.
inline constexpr int32_t xlDown = -4121;        // Diagonal stripes, down.
inline constexpr int32_t xlUp = -4162;          // Diagonal stripes, up.

// ---------------------------------------------------------------- copy flags

// What CopyFrom, Copy and Cut carry over.
inline constexpr int32_t kCopyFormats = 1;
inline constexpr int32_t kCopyValues = 2;        // Values and formulas.
inline constexpr int32_t kCopyColumnWidths = 4;  // Column widths.
inline constexpr int32_t kCopyNumberFormat = 8;  // Number formats.
inline constexpr int32_t kCopyComments = 16;     // Comments.
inline constexpr int32_t kCopyAll = 23;          // Formats, values, column widths and comments.

// ---------------------------------------------------------------- save formats

// Format codes of the save and open operations. The two XLS codes are also
// the file format every record builder takes.
inline constexpr int32_t kSaveBiff5 = 1;
inline constexpr int32_t kSaveBiff8 = 2;       // Excel 97-2003 workbook (BIFF8).
inline constexpr int32_t kSaveHTML = 3;        // HTML.
inline constexpr int32_t kSaveRTF = 4;         // RTF.
inline constexpr int32_t kSaveCSV = 5;         // CSV of the active sheet, 8-bit text.
inline constexpr int32_t kSaveTSV = 6;         // Tab-separated text of the active sheet, 8-bit.
inline constexpr int32_t kSaveCSVUnicode = 7;  // CSV of the active sheet, UTF-16.
inline constexpr int32_t kSaveTSVUnicode = 8;  // Tab-separated text of the active sheet, UTF-16.

// ---------------------------------------------------------------- results
//
// Engine operations report failures as integer results rather than
// exceptions: 1 is success and negative values are failures. Producers of
// records stop at the first result other than kResultOk and hand it on
// unchanged, so the codes travel up from the record writers to the public
// save and open calls.

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
inline constexpr int32_t kResultDecryptLast = -1005;  // The last decryption failure code.
// The record reader's end of stream.
inline constexpr int32_t kResultEndOfStream = 100;

// Whether a result code means success.
inline constexpr bool Succeeded(int32_t result) { return result == kResultOk; }

}  // namespace lx
