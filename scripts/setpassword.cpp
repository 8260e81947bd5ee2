// Install tool: writes the password file with a first password, scrambled by the program's
// own routine. Usage: carvenna_setpassword <path to unins000.dll> <password>
#include "app/ProgramFolder.h"
#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: carvenna_setpassword <password file> <password>\n");
        return 2;
    }
    QString error;
    if (!WritePasswordFile(args.at(1), args.at(2), &error)) {
        std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(args.at(1)), qPrintable(error));
        return 1;
    }
    return 0;
}
