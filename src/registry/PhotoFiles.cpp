#include "registry/PhotoFiles.h"
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>

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
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    QImageWriter writer(&file, bitmap ? "bmp" : "jpg");
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
    if (!writer.write(out)) {
        file.cancelWriting();
        return fail(writer.errorString());
    }
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

QString WithJpegExtension(const QString& path) {
    if (path.isEmpty() || !QFileInfo(path).suffix().isEmpty())
        return path;
    return path + QStringLiteral(".jpg");
}
