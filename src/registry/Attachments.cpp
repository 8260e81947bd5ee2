#include "registry/Attachments.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

QString AttachmentsFolder(const QString& programFolder) {
    return programFolder + QStringLiteral("Documenti_Allegati");
}

bool CopyAttachment(const QString& source, const QString& folder, QString* error) {
    auto fail = [error](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    const QFileInfo from(source);
    const QString target = QDir(folder).filePath(from.fileName());
    if (QFileInfo::exists(target) && from.canonicalFilePath() == QFileInfo(target).canonicalFilePath())
        return true;
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return fail(in.errorString());
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        return fail(out.errorString());
    QByteArray block;
    while (!in.atEnd()) {
        block = in.read(1 << 20);
        if (block.isEmpty()) {
            if (in.error() == QFileDevice::NoError)
                break;
            out.cancelWriting();
            return fail(in.errorString());
        }
        if (out.write(block) != block.size()) {
            out.cancelWriting();
            return fail(out.errorString());
        }
    }
    if (!out.commit())
        return fail(out.errorString());
    return true;
}

QString AttachmentShellPath(const QString& programFolder, const QString& name) {
    return QLatin1Char('"') + QDir::toNativeSeparators(AttachmentsFolder(programFolder) + u'/' + name) +
           QLatin1Char('"');
}
