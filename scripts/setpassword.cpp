// Install tool: writes the password file with a first password, scrambled by the program's
// own routine. Usage: carvenna_setpassword <path to unins000.dll> <password>
#include "app/Crypt.h"
#include "storage/IniFile.h"
#include "storage/Text.h"
#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: carvenna_setpassword <password file> <password>\n");
        return 2;
    }
    const QString value = TrimText(Encipher(TrimText(UpperAZ(args.at(2)))));
    QString error;
    if (!IniWrite(args.at(1), QStringLiteral("Accesso"), QStringLiteral("Valore"), value, &error)) {
        std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(args.at(1)), qPrintable(error));
        return 1;
    }
    return 0;
}
