// libzip linked into the program: the table holds its functions.
#include "einvoice/ZipApi.h"

const ZipApi* ZipFunctions(QString*) {
    static const ZipApi api = [] {
        ZipApi a;
#define CARVENNA_ZIP_TAKE(f) a.f = &::f;
        CARVENNA_ZIP_FUNCTIONS(CARVENNA_ZIP_TAKE)
#undef CARVENNA_ZIP_TAKE
        return a;
    }();
    return &api;
}
