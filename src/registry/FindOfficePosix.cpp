#include "registry/SheetConvert.h"
#include <QStandardPaths>

QString FindOffice() {
    for (const char* name : {"soffice", "libreoffice"}) {
        const QString found = QStandardPaths::findExecutable(QLatin1String(name));
        if (!found.isEmpty())
            return found;
    }
    return QString();
}
