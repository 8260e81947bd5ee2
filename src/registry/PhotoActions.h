#pragma once
// The registry editor's photo commands and the openers of its photo and attachment windows. Each works
// on the editor's controls by name (imgFoto, imgBianco, lblFile01...), so the editor calls them from its
// buttons and stays unaware of the windows' insides.
#include <QImage>
#include <QString>

class Carvenna;
class QWidget;

/// Messages of the photo commands.
QString PhotoUnreadableWarning();
QString PhotoUnwritableWarning();

/// Asks for a JPEG or bitmap file and shows it in `imgFoto`. Returns true when the picture changed;
/// an unreadable file keeps the picture shown and says so.
bool LoadPhotoFromFile(Carvenna& app, QWidget* window, QWidget* imgFoto);

/// Asks where to save `picture` as JPEG (proposed "Foto.jpg", ".jpg" added to a bare name) and writes it.
/// A failure is reported and changes nothing on screen. Returns true when a file was written.
bool SavePhotoToFile(Carvenna& app, QWidget* window, const QImage& picture);

/// Shows the editor's placeholder (`imgBianco`) in its `imgFoto`.
void ClearPhoto(QWidget* editor);

/// The zoom window on the editor's photo, modal.
void ShowZoom(QWidget* editor);

/// The webcam window for the editor, modal. Returns true when a captured picture was imported into
/// the editor's `imgFoto`.
bool ShowWebCam(Carvenna& app, QWidget* editor);

/// The attached documents window, filled from the editor's hidden labels and writing back into them on
/// "Applica e chiudi". Returns true when the window wrote back.
bool ShowAttachments(Carvenna& app, QWidget* editor);
