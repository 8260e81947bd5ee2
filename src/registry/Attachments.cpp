#include "registry/Attachments.h"
#include "storage/SaveFile.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>

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
    // The copy goes to a new file that replaces the target only when complete; on any failure the
    // new file is dropped and the target stays as it was.
    SaveFile out(target);
    if (!out.Open())
        return fail(out.ErrorString());
    QByteArray block;
    while (!in.atEnd()) {
        block = in.read(1 << 20);
        if (block.isEmpty()) {
            if (in.error() == QFileDevice::NoError)
                break;
            return fail(in.errorString());
        }
        if (!out.Write(block))
            return fail(out.ErrorString());
    }
    if (!out.Commit())
        return fail(out.ErrorString());
    return true;
}

QString AttachmentShellPath(const QString& programFolder, const QString& name) {
    return QLatin1Char('"') + QDir::toNativeSeparators(AttachmentsFolder(programFolder) + u'/' + name) +
           QLatin1Char('"');
}
