// Carvenna: receipts and registry for the office of a nursery school.
#include "app/Carvenna.h"
#include "app/DesktopPlatform.h"
#include "app/Style.h"
#include "printing/DesktopPrinting.h"
#include "registry/DesktopCamera.h"
#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    qapp.setApplicationName(QStringLiteral("Carvenna"));
    // The program ends only through its own exits; hiding a window on the way never ends it.
    qapp.setQuitOnLastWindowClosed(false);

    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    QTranslator qtItalian;
    if (qtItalian.load(QLocale(QLocale::Italian, QLocale::Italy), QStringLiteral("qtbase"), QStringLiteral("_"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        qapp.installTranslator(&qtItalian);
    ApplyCarvennaStyle(qapp);

    SystemClock clock;
    DialogMessages messages;
    DesktopFileDialogs fileDialogs;
    DesktopShell shell;
    DesktopPrinting printing;
    DesktopCamera camera;
    Platform platform;
    platform.programFolder = QDir(QCoreApplication::applicationDirPath()).absolutePath() + u'/';
    platform.clock = &clock;
    platform.messages = &messages;
    platform.fileDialogs = &fileDialogs;
    platform.shell = &shell;
    platform.printing = &printing;
    platform.camera = &camera;

    Carvenna app(platform);
    app.Start();
    return qapp.exec();
}
