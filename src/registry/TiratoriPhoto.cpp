// The registry editor's photo tools, attached documents, card print and preview.
#include "app/Carvenna.h"
#include "printing/AnteprimaTiratori.h"
#include "printing/StampaTiratori.h"
#include "registry/PhotoActions.h"
#include "registry/Tiratori.h"

void TfrmTiratori::ConnectPhotoCommands() {
    connect(ui.btnCaricaFoto, &QToolButton::clicked, this, &TfrmTiratori::btnCaricaFotoClick);
    connect(ui.btnSalvaFoto, &QToolButton::clicked, this, &TfrmTiratori::btnSalvaFotoClick);
    connect(ui.btnCancFoto, &QToolButton::clicked, this, &TfrmTiratori::btnCancFotoClick);
    connect(ui.btnZoomFoto, &QToolButton::clicked, this, &TfrmTiratori::btnZoomFotoClick);
    connect(ui.btnWebcam, &QToolButton::clicked, this, &TfrmTiratori::btnWebcamClick);
    connect(ui.cmdFile, &QToolButton::clicked, this, &TfrmTiratori::cmdFileClick);
    connect(ui.cmdStampa, &QToolButton::clicked, this, &TfrmTiratori::cmdStampaClick);
    connect(ui.cmdAnteprima, &QToolButton::clicked, this, &TfrmTiratori::cmdAnteprimaClick);
}

void TfrmTiratori::btnCaricaFotoClick() {
    // A file that cannot be read was reported already; the card keeps its picture.
    const QImage picture = LoadPhotoFromFile(m_app, this);
    if (!picture.isNull())
        SetPhoto(picture);
}

void TfrmTiratori::btnSalvaFotoClick() {
    SavePhotoToFile(m_app, this, Photo());
}

void TfrmTiratori::btnCancFotoClick() {
    RemovePhoto();
}

void TfrmTiratori::btnZoomFotoClick() {
    ShowZoom(this, Photo());
}

void TfrmTiratori::btnWebcamClick() {
    if (const std::optional<QImage> imported = ShowWebCam(m_app, this); imported && !imported->isNull())
        SetPhoto(*imported);
}

void TfrmTiratori::cmdFileClick() {
    ShowAttachments(m_app, this);
}

void TfrmTiratori::cmdStampaClick() {
    TfrmStampaTiratori dlg(m_app, this);
    dlg.exec();
}

void TfrmTiratori::cmdAnteprimaClick() {
    TfrmAnteprimaTiratori dlg(m_app, this);
    dlg.exec();
}
