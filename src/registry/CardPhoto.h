#pragma once
// Photo files of the registry cards: Anagrafica/Scheda_Iscritto_<n>.jpg in the program folder.
#include <QImage>
#include <QString>

/// Reads the photo of card `cardNumber`; a null image when the folder cannot be made or the file
/// is missing or is not a picture. The folder Anagrafica is created, with its parents, on the way.
QImage ReadCardPhoto(const QString& programFolder, qint64 cardNumber);
/// Writes `photo` as the JPEG of card `cardNumber`, replacing the old file only once the new one is
/// complete. False, with `error` set, when the folder or the file cannot be written.
bool WriteCardPhoto(const QString& programFolder, qint64 cardNumber, const QImage& photo, QString* error = nullptr);
/// True when card `cardNumber` has a photo file (readable or not).
bool CardPhotoExists(const QString& programFolder, qint64 cardNumber);
