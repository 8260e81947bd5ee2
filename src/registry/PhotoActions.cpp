#include "registry/PhotoActions.h"
#include "app/Carvenna.h"
#include "registry/AllegaCartella.h"
#include "registry/PhotoFiles.h"
#include "registry/PhotoView.h"
#include "registry/WebCam.h"
#include "registry/Zoom.h"
#include "storage/Text.h"
#include <QLabel>
#include <memory>

QString PhotoUnreadableWarning() {
    return QStringLiteral("Attenzione: impossibile leggere l'immagine selezionata.");
}

QString PhotoUnwritableWarning() {
    return QStringLiteral("Attenzione: impossibile scrivere il file dell'immagine.\n\r\n\r"
                          "Accertarsi di possedere i privilegi di scrittura nella cartella scelta.");
}

QImage LoadPhotoFromFile(Carvenna& app, QWidget* window) {
    const QString path =
        app.fileDialogs().Open(window, QStringLiteral("Selezionare un file di immagine in formato Jpeg o Bitmap."),
                               QStringLiteral("Immagine JPEG (*.jpg *.jpeg);;Immagine Bitmap (*.bmp)"),
                               app.ProgramFolder(), QStringLiteral("jpg"));
    if (path.isEmpty())
        return QImage();
    const QImage picture = ReadPicture(path);
    if (picture.isNull())
        app.messages().Warning(PhotoUnreadableWarning(), window);
    return picture;
}

bool SavePhotoToFile(Carvenna& app, QWidget* window, const QImage& picture) {
    const QString chosen = app.fileDialogs().Save(
        window, QStringLiteral("Selezionare la cartella in cui si desidera salvare il file Jpeg."),
        QStringLiteral("File Jpeg (*.jpg)"), app.Path(QStringLiteral("Foto.jpg")), QStringLiteral("jpg"));
    if (chosen.isEmpty())
        return false;
    if (!WritePicture(picture, WithJpegExtension(chosen))) {
        app.messages().Warning(PhotoUnwritableWarning(), window);
        return false;
    }
    return true;
}

void ShowZoom(QWidget* editor, const QImage& picture) {
    auto zoom = std::make_unique<TfrmZoom>(editor);
    zoom->ui.imgFoto->setPicture(picture);
    zoom->exec();
}

std::optional<QImage> ShowWebCam(Carvenna& app, QWidget* editor) {
    auto cam = std::make_unique<TfrmWebCam>(app, editor);
    cam->ui.lblMemory->setText(QStringLiteral("euro_01"));
    if (cam->exec() != QDialog::Accepted)
        return std::nullopt;
    return cam->Imported();
}

bool ShowAttachments(Carvenna& app, QWidget* editor) {
    auto files = std::make_unique<TfrmAllegaCartella>(app, editor);
    files->ui.lblMemory->setText(QStringLiteral("tiratori"));
    files->LoadFrom(editor);
    return files->exec() == QDialog::Accepted;
}
