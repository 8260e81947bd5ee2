#include "registry/WebCam.h"
#include "app/Carvenna.h"
#include "app/Placement.h"
#include "registry/Camera.h"
#include "registry/PhotoActions.h"
#include "registry/PhotoView.h"
#include "storage/Text.h"
#include <QIcon>

namespace {
QImage Drawn(const QString& resource, const QSize& size) {
    return QIcon(resource).pixmap(size).toImage();
}
} // namespace

TfrmWebCam::TfrmWebCam(Carvenna& app, QWidget* parent) : QDialog(parent), m_app(app), camCamera(app.platform().camera) {
    ui.setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(size());
    // Before any frame: a webcam on the left, a camera on the right; the webcam is also the placeholder.
    const QImage webcam = Drawn(QStringLiteral(":/registry/art/cam_webcam.svg"), ui.imgCamera->size());
    ui.imgBianco->setPicture(webcam);
    ui.imgCamera->setPicture(webcam);
    ui.imgTarget->setPicture(Drawn(QStringLiteral(":/registry/art/cam_fotocamera.svg"), ui.imgTarget->size()));

    connect(ui.btnAccendi, &QPushButton::clicked, this, &TfrmWebCam::btnAccendiClick);
    connect(ui.btnSpegni, &QPushButton::clicked, this, &TfrmWebCam::btnSpegniClick);
    connect(ui.btnCattura, &QPushButton::clicked, this, &TfrmWebCam::btnCatturaClick);
    connect(ui.btnSalvaFotogramma, &QPushButton::clicked, this, &TfrmWebCam::btnSalvaFotogrammaClick);
    connect(ui.btnImportaFoto, &QPushButton::clicked, this, &TfrmWebCam::btnImportaFotoClick);
    connect(ui.btnClose, &QPushButton::clicked, this, &TfrmWebCam::btnCloseClick);
    if (camCamera) {
        connect(camCamera, &Camera::FrameReady, this, &TfrmWebCam::camCameraFrameReady);
        connect(camCamera, &Camera::Failed, this, &TfrmWebCam::camCameraFailed);
    }
}

TfrmWebCam::~TfrmWebCam() {
    btnSpegniClick();
}

QString TfrmWebCam::NoCameraMessage() {
    return QStringLiteral("Nessuna webcam disponibile: collegare una webcam e riprovare.");
}

QString TfrmWebCam::CameraFailedMessage() {
    return QStringLiteral("Attenzione: la webcam non funziona.\n\r\n\r"
                          "Accertarsi che sia collegata e che nessun altro programma la stia usando, poi riprovare.");
}

void TfrmWebCam::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    FormShow();
}

void TfrmWebCam::FormShow() {
    if (parentWidget() && parentWidget()->isVisible())
        move(parentWidget()->frameGeometry().center() - rect().center());
    else
        CentreOnScreen(this);
}

void TfrmWebCam::done(int r) {
    // However the window closes (buttons, Escape), the camera is switched off.
    btnSpegniClick();
    QDialog::done(r);
}

void TfrmWebCam::btnAccendiClick() {
    if (m_on)
        return;
    if (!camCamera || !camCamera->Available()) {
        const QString missing = camCamera ? camCamera->MissingSupport() : QString();
        m_app.messages().Plain(missing.isEmpty() ? NoCameraMessage() : missing, this);
        return;
    }
    if (!camCamera->Activate()) {
        m_app.messages().Warning(CameraFailedMessage(), this);
        return;
    }
    m_on = true;
}

void TfrmWebCam::btnSpegniClick() {
    if (!m_on)
        return;
    m_on = false;
    if (camCamera)
        camCamera->Deactivate();
}

void TfrmWebCam::camCameraFrameReady(const QImage& frame) {
    if (m_on)
        ui.imgCamera->setPicture(frame);
}

void TfrmWebCam::camCameraFailed(const QString&) {
    if (!m_on)
        return;
    m_on = false;
    m_app.messages().Warning(CameraFailedMessage(), this);
}

void TfrmWebCam::btnCatturaClick() {
    ui.imgTarget->setPicture(ui.imgCamera->picture());
}

void TfrmWebCam::btnSalvaFotogrammaClick() {
    SavePhotoToFile(m_app, this, ui.imgTarget->picture());
}

void TfrmWebCam::btnImportaFotoClick() {
    btnSpegniClick();
    if (TrimText(ui.lblMemory->text()) != QLatin1String("euro_01"))
        return;
    m_imported = ui.imgTarget->picture();
    accept();
}

void TfrmWebCam::btnCloseClick() {
    btnSpegniClick();
    reject();
}
