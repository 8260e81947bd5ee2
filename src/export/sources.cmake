# Spreadsheet export: the document writer, the grid model and the two tables in core; the
# receipt and registry export windows.
list(APPEND CORE_SOURCES
    ${CUR}/ByteWriter.h
    ${CUR}/ExportDocument.h ${CUR}/ExportDocument.cpp
    ${CUR}/ExportGrid.h ${CUR}/ExportGrid.cpp
    ${CUR}/ExportTables.h ${CUR}/ExportTables.cpp
    ${CUR}/XlsxDocument.h ${CUR}/XlsxDocument.cpp ${CUR}/XlsxApi.h)
# libxlsxwriter opened on first use or linked (the top CMakeLists.txt chooses, CARVENNA_LIBS_ON_USE).
set(XLSX_LOAD_SOURCES ${CUR}/XlsxApiLoad.cpp)
set(XLSX_LINKED_SOURCES ${CUR}/XlsxApiLinked.cpp)
list(APPEND UI_SOURCES
    ${CUR}/ExportWindow.h ${CUR}/ExportWindow.cpp
    ${CUR}/ExpRic.h ${CUR}/ExpRic.cpp ${CUR}/ExpRic.ui
    ${CUR}/ExpTiratori.h ${CUR}/ExpTiratori.cpp ${CUR}/ExpTiratori.ui)
list(APPEND UI_RESOURCE_FILES export/art/excel.svg)
