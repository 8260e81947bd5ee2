#include "app/ProgramMain.h"
#include "app/Carvenna.h"
#include "app/DesktopPlatform.h"
#include "app/ProgramFolder.h"
#include "app/Style.h"
#include "printing/DesktopPrinting.h"
#include "registry/DesktopCamera.h"
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QLocale>
#include <QWidget>
#include <QXmlStreamReader>

namespace {

QByteArray Key(const char* context, const char* source, const char* comment) {
    return QByteArray(context) + '\x1f' + source + '\x1f' + (comment ? comment : "");
}

} // namespace

bool TsTranslator::LoadTs(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QXmlStreamReader xml(&file);
    QByteArray context, source, comment;
    QString translation;
    bool finished = false;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            const auto name = xml.name();
            if (name == QLatin1String("name"))
                context = xml.readElementText().toUtf8();
            else if (name == QLatin1String("message")) {
                source.clear();
                comment.clear();
                translation.clear();
                finished = false;
            } else if (name == QLatin1String("source"))
                source = xml.readElementText().toUtf8();
            else if (name == QLatin1String("comment"))
                comment = xml.readElementText().toUtf8();
            else if (name == QLatin1String("translation")) {
                finished = xml.attributes().value(QLatin1String("type")).isEmpty();
                translation = xml.readElementText();
            }
        } else if (token == QXmlStreamReader::EndElement && xml.name() == QLatin1String("message")) {
            if (finished && !translation.isEmpty())
                m_texts.insert(context + '\x1f' + source + '\x1f' + comment, translation);
        }
    }
    return !xml.hasError() && !m_texts.isEmpty();
}

QString TsTranslator::translate(const char* context, const char* sourceText, const char* disambiguation, int) const {
    if (!context || !sourceText)
        return QString();
    auto it = m_texts.constFind(Key(context, sourceText, disambiguation));
    if (it == m_texts.constEnd() && disambiguation && *disambiguation)
        it = m_texts.constFind(Key(context, sourceText, nullptr));
    return it == m_texts.constEnd() ? QString() : *it;
}

void InstallItalian(QApplication& qapp) {
    const QLocale italian(QLocale::Italian, QLocale::Italy);
    QLocale::setDefault(italian);
    auto* qt = new QTranslator(&qapp);
    if (qt->load(italian, QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        qapp.installTranslator(qt);
    // Installed last, so it is asked first: it only fills the gaps of Qt's own translation.
    auto* ours = new TsTranslator;
    ours->setParent(&qapp);
    if (ours->LoadTs(QStringLiteral(":/app/translations/carvenna_qt_it.ts")))
        qapp.installTranslator(ours);
}

int RunCarvenna(QApplication& qapp, const std::function<void()>& firstFrame) {
    qapp.setApplicationName(QStringLiteral("Carvenna"));
    // The program ends only through its own exits; hiding a window on the way never ends it.
    qapp.setQuitOnLastWindowClosed(false);
    if (firstFrame)
        OnFirstFrame(qapp, firstFrame);
    InstallItalian(qapp);
    ApplyCarvennaStyle(qapp);

    DialogMessages messages;
    const ProgramFolderChoice choice =
        ChooseProgramFolder(qapp.arguments().mid(1), qEnvironmentVariable("CARVENNA_CARTELLA"),
                            QCoreApplication::applicationDirPath(), QDir::homePath(), QDir::currentPath());
    QString error = choice.error;
    if (error.isEmpty())
        PrepareProgramFolder(choice.folder, &error);
    if (!error.isEmpty()) {
        messages.Error(error);
        return 1;
    }

    SystemClock clock;
    DesktopFileDialogs fileDialogs;
    DesktopShell shell;
    DesktopProgramRunner programs;
    DesktopPrinting printing(choice.folder);
    DesktopCamera camera;
    Platform platform;
    platform.programFolder = choice.folder;
    platform.clock = &clock;
    platform.messages = &messages;
    platform.fileDialogs = &fileDialogs;
    platform.shell = &shell;
    platform.programs = &programs;
    platform.printing = &printing;
    platform.camera = &camera;

    Carvenna app(platform);
    app.Start();
    return qapp.exec();
}
