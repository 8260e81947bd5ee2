// libxlsxwriter opened the first time a spreadsheet is written (libxlsxwriter.so.4).
#include "export/XlsxApi.h"
#include <QLibrary>

const XlsxApi* XlsxFunctions(QString* error) {
    struct Opened {
        XlsxApi api;
        QString error;
    };
    static const Opened opened = [] {
        Opened o;
        // Never unloaded: the table points into it for the life of the program.
        QLibrary library(QStringLiteral("xlsxwriter"), 4);
#define CARVENNA_XLSX_RESOLVE(f)                                                                               \
    if (o.error.isEmpty() && !(o.api.f = reinterpret_cast<decltype(o.api.f)>(library.resolve(#f))))            \
        o.error = library.errorString();
        CARVENNA_XLSX_FUNCTIONS(CARVENNA_XLSX_RESOLVE)
#undef CARVENNA_XLSX_RESOLVE
        return o;
    }();
    if (!opened.error.isEmpty()) {
        if (error)
            *error = opened.error;
        return nullptr;
    }
    return &opened.api;
}
