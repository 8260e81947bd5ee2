#pragma once
// Reading and writing photo files: JPEG or Windows bitmap, chosen by the file name's extension.
#include <QImage>
#include <QString>

/// The picture in `path` (JPEG or bitmap, whatever its name says), or a null image with `error` set.
QImage ReadPicture(const QString& path, QString* error = nullptr);

/// Writes `picture` to `path` as a bitmap when the name ends in ".bmp", as JPEG otherwise. The file
/// is written under a temporary name and renamed at the end, so a failure never leaves half a picture
/// under the chosen name. False, with `error`, on any failure.
bool WritePicture(const QImage& picture, const QString& path, QString* error = nullptr);

/// `path` with ".jpg" added when its file name has no extension.
QString WithJpegExtension(const QString& path);
