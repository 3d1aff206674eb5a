# The headers a user of the installed package includes, relative to the
# repository root: the handle header, the constants, the string table (for
# the record-level tour example), the component headers, and every header
# they include in turn. They are installed side by side into include/lx, so
# their quoted includes find each other there. The API reference (scripts/
# docs.sh) documents exactly this list; the engine's configure step fails if
# one of them includes a project header missing from it.
#
# Run as a script (cmake -P) it prints the list, one path a line.
set(LX_PUBLIC_HEADERS
  # what users include
  engine/model/lxHandle.h
  engine/platform/lxConstants.h
  engine/format/lxStringTable.h
  components/lxCellStyle.h
  components/lxClasses.h
  components/lxDB.h
  components/lxDBGrids.h
  components/lxDataToXLS.h
  components/lxExportBase.h
  components/lxGraphics.h
  components/lxGridToXLS.h
  components/lxGroup.h
  components/lxSQLiteDataSet.h
  components/lxSysUtils.h
  # what those include
  engine/biff/records/lxBLOB.h
  engine/format/lxFormat.h
  engine/format/lxList.h
  engine/formula/externsheet/lxExternSheet.h
  engine/model/lxCellHeap.h
  engine/model/lxLinks.h
  engine/model/lxOutline.h
  engine/model/lxPageBreaks.h
  engine/model/lxPageSetup.h
  engine/model/lxPanes.h
  engine/model/lxProtect.h
  engine/model/lxRange.h
  engine/model/lxRangeWalk.h
  engine/model/lxSheetObjects.h
  engine/model/lxStyle.h
  engine/platform/lxCodePage.h
  engine/platform/lxHash.h
  engine/platform/lxLargePages.h
  engine/platform/lxLocale.h
  engine/platform/lxObject.h
  engine/platform/lxText.h
  engine/platform/lxVariant.h)

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  foreach(header IN LISTS LX_PUBLIC_HEADERS)
    message(NOTICE "${header}")
  endforeach()
endif()
