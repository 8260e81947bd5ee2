// libzip opened the first time an upload package is made (libzip.so.4).
#include "einvoice/ZipApi.h"
#include <QLibrary>

const ZipApi* ZipFunctions(QString* error) {
    struct Opened {
        ZipApi api;
        QString error;
    };
    static const Opened opened = [] {
        Opened o;
        // Never unloaded: the table points into it for the life of the program.
        QLibrary library(QStringLiteral("zip"), 4);
#define CARVENNA_ZIP_RESOLVE(f)                                                                               \
    if (o.error.isEmpty() && !(o.api.f = reinterpret_cast<decltype(o.api.f)>(library.resolve(#f))))            \
        o.error = library.errorString();
        CARVENNA_ZIP_FUNCTIONS(CARVENNA_ZIP_RESOLVE)
#undef CARVENNA_ZIP_RESOLVE
        return o;
    }();
    if (!opened.error.isEmpty()) {
        if (error)
            *error = opened.error;
        return nullptr;
    }
    return &opened.api;
}
