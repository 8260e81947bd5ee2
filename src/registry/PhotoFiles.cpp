#include "registry/PhotoFiles.h"
#include "storage/SaveFile.h"
#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>

QImage ReadPicture(const QString& path, QString* error) {
    // Qt refuses pictures over 128 MB by default; a camera's 48-megapixel photo needs about 190 MB.
    if (QImageReader::allocationLimit() < 512)
        QImageReader::setAllocationLimit(512);
    QImageReader reader(path);
    reader.setAutoTransform(true);
    QImage image = reader.read();
    if (image.isNull() && error)
        *error = reader.errorString();
    return image;
}

bool WritePicture(const QImage& picture, const QString& path, QString* error) {
    auto fail = [error](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    if (picture.isNull())
        return fail(QStringLiteral("nessuna immagine"));
    const bool bitmap = QFileInfo(path).suffix().compare(QLatin1String("bmp"), Qt::CaseInsensitive) == 0;
    // Encoded in memory first, so that the file is replaced in one step through the file layer.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, bitmap ? "bmp" : "jpg");
    if (!bitmap)
        writer.setQuality(90);
    // JPEG has no alpha: flatten transparent pictures onto white rather than black.
    QImage out = picture;
    if (!bitmap && out.hasAlphaChannel()) {
        QImage flat(out.size(), QImage::Format_RGB32);
        flat.fill(Qt::white);
        QPainter(&flat).drawImage(0, 0, out);
        out = flat;
    }
    if (!writer.write(out))
        return fail(writer.errorString());
    QString saveError;
    if (!SaveWholeFile(path, bytes, &saveError))
        return fail(saveError);
    return true;
}

QString WithJpegExtension(const QString& path) {
    if (path.isEmpty() || !QFileInfo(path).suffix().isEmpty())
        return path;
    return path + QStringLiteral(".jpg");
}
