#include "registry/Attachments.h"
#include "storage/SaveFile.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>

QString AttachmentsFolder(const QString& programFolder) {
    return programFolder + QStringLiteral("Documenti_Allegati");
}

bool CopyAttachment(const QString& source, const QString& folder, QString* error) {
    const QFileInfo from(source);
    const QString target = QDir(folder).filePath(from.fileName());
    if (QFileInfo::exists(target) && from.canonicalFilePath() == QFileInfo(target).canonicalFilePath())
        return true;
    // The copy goes to a new file that replaces the target only when complete; on any failure the
    // new file is dropped and the target stays as it was.
    return CopyWholeFile(source, target, error);
}

QString AttachmentShellPath(const QString& programFolder, const QString& name) {
    return QLatin1Char('"') + QDir::toNativeSeparators(AttachmentsFolder(programFolder) + u'/' + name) +
           QLatin1Char('"');
}
