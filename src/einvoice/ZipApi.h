#pragma once
// The functions of libzip that the invoices' upload packages call, reached through a table. Where the
// program opens the library on first use (ZipApiLoad.cpp), the library and the cryptography library it
// brings are not loaded at every start of the program but only when a package is made; where it links
// the library (ZipApiLinked.cpp), the table holds the linked functions. CMake chooses the file.
#include <QString>
#include <zip.h>

#define CARVENNA_ZIP_FUNCTIONS(X)                                                                               \
    X(zip_close)                                                                                               \
    X(zip_discard)                                                                                             \
    X(zip_error_init)                                                                                          \
    X(zip_error_strerror)                                                                                      \
    X(zip_file_add)                                                                                            \
    X(zip_open_from_source)                                                                                    \
    X(zip_set_file_compression)                                                                                \
    X(zip_source_buffer)                                                                                       \
    X(zip_source_buffer_create)                                                                                \
    X(zip_source_close)                                                                                        \
    X(zip_source_free)                                                                                         \
    X(zip_source_keep)                                                                                         \
    X(zip_source_open)                                                                                         \
    X(zip_source_read)                                                                                         \
    X(zip_source_seek)                                                                                         \
    X(zip_source_tell)                                                                                         \
    X(zip_strerror)

struct ZipApi {
#define CARVENNA_ZIP_FIELD(f) decltype(&::f) f = nullptr;
    CARVENNA_ZIP_FUNCTIONS(CARVENNA_ZIP_FIELD)
#undef CARVENNA_ZIP_FIELD
};

/// The table, or null with `error` when the library cannot be opened or lacks a function. The library is
/// opened by the first call only.
const ZipApi* ZipFunctions(QString* error = nullptr);
