#pragma once
// The registry editor's photo commands and the openers of its photo and attachment windows. Pictures
// come back to the editor as results, so that the editor alone puts them on the card (and knows its photo
// changed); the attachments window writes the editor's hidden labels lblFile01.. and lblDesc01.. by name.
#include <QImage>
#include <QString>
#include <optional>

class Carvenna;
class QWidget;

/// Messages of the photo commands.
QString PhotoUnreadableWarning();
QString PhotoUnwritableWarning();

/// Asks for a JPEG or bitmap file and returns its picture; null when cancelled, or when the file cannot be
/// read, which is said (the card keeps the picture it shows).
QImage LoadPhotoFromFile(Carvenna& app, QWidget* window);

/// Asks where to save `picture` as JPEG (proposed "Foto.jpg", ".jpg" added to a bare name) and writes it.
/// A failure is reported and changes nothing on screen. Returns true when a file was written.
bool SavePhotoToFile(Carvenna& app, QWidget* window, const QImage& picture);

/// The zoom window on `picture`, modal, owned by `editor`.
void ShowZoom(QWidget* editor, const QImage& picture);

/// The webcam window for the editor (context "euro_01"), modal. Returns the picture imported into the
/// card, nothing when the window was closed without importing.
std::optional<QImage> ShowWebCam(Carvenna& app, QWidget* editor);

/// The attached documents window, filled from the editor's hidden labels and writing back into them on
/// "Applica e chiudi". Returns true when the window wrote back.
bool ShowAttachments(Carvenna& app, QWidget* editor);
