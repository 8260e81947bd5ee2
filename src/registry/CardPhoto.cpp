#include "registry/CardPhoto.h"
#include "storage/RegistryFile.h"
#include "storage/SaveFile.h"
#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>

namespace {
constexpr int kJpegQuality = 92;

bool MakeFolder(const QString& photoPath) {
    return QDir().mkpath(QFileInfo(photoPath).absolutePath());
}
} // namespace

QImage ReadCardPhoto(const QString& programFolder, qint64 cardNumber) {
    const QString path = CardPhotoPath(programFolder, cardNumber);
    if (!MakeFolder(path) || !QFileInfo(path).isFile())
        return QImage();
    QImageReader reader(path); // by content: a picture saved under another extension still shows
    reader.setDecideFormatFromContent(true);
    return reader.read();
}

bool WriteCardPhoto(const QString& programFolder, qint64 cardNumber, const QImage& photo, QString* error) {
    const QString path = CardPhotoPath(programFolder, cardNumber);
    auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (photo.isNull())
        return fail(QStringLiteral("no picture"));
    if (!MakeFolder(path))
        return fail(QStringLiteral("cannot create the folder of ") + path);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    if (!photo.convertToFormat(QImage::Format_RGB32).save(&buffer, "JPG", kJpegQuality))
        return fail(QStringLiteral("cannot encode the picture"));
    QString why;
    return SaveWholeFile(path, jpeg, &why) || fail(why);
}

bool CardPhotoExists(const QString& programFolder, qint64 cardNumber) {
    return QFileInfo(CardPhotoPath(programFolder, cardNumber)).isFile();
}
