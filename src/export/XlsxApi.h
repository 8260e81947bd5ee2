#pragma once
// The functions of libxlsxwriter that the spreadsheet export calls, reached through a table. Where the
// program opens the library on first use (XlsxApiLoad.cpp), the library and the cryptography library it
// brings are not loaded at every start of the program but only when a spreadsheet is written; where it
// links the library (XlsxApiLinked.cpp), the table holds the linked functions. CMake chooses the file.
#include <QString>
#include <xlsxwriter.h>

#define CARVENNA_XLSX_FUNCTIONS(X)                                                                              \
    X(format_set_align)                                                                                        \
    X(format_set_bold)                                                                                         \
    X(format_set_num_format)                                                                                   \
    X(lxw_strerror)                                                                                            \
    X(workbook_add_format)                                                                                     \
    X(workbook_add_worksheet)                                                                                  \
    X(workbook_close)                                                                                          \
    X(workbook_new_opt)                                                                                        \
    X(worksheet_freeze_panes)                                                                                  \
    X(worksheet_set_column)                                                                                    \
    X(worksheet_write_datetime)                                                                                \
    X(worksheet_write_number)                                                                                  \
    X(worksheet_write_string)

struct XlsxApi {
#define CARVENNA_XLSX_FIELD(f) decltype(&::f) f = nullptr;
    CARVENNA_XLSX_FUNCTIONS(CARVENNA_XLSX_FIELD)
#undef CARVENNA_XLSX_FIELD
};

/// The table, or null with `error` when the library cannot be opened or lacks a function. The library is
/// opened by the first call only.
const XlsxApi* XlsxFunctions(QString* error = nullptr);
