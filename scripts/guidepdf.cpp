// Build and install tool: writes Guida.pdf, the guide window's pages as one document.
// Usage: carvenna_guida <path of Guida.pdf>
#include "app/GuidePdf.h"
#include <QGuiApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: carvenna_guida <Guida.pdf>\n");
        return 2;
    }
    QString error;
    if (!WriteGuidePdf(args.at(1), &error)) {
        std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(args.at(1)), qPrintable(error));
        return 1;
    }
    return 0;
}
