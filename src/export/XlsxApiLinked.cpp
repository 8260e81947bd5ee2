// libxlsxwriter linked into the program: the table holds its functions.
#include "export/XlsxApi.h"

const XlsxApi* XlsxFunctions(QString*) {
    static const XlsxApi api = [] {
        XlsxApi a;
#define CARVENNA_XLSX_TAKE(f) a.f = &::f;
        CARVENNA_XLSX_FUNCTIONS(CARVENNA_XLSX_TAKE)
#undef CARVENNA_XLSX_TAKE
        return a;
    }();
    return &api;
}
