#pragma once
// Taking a registry card's photo with the webcam: live picture on the left, captured picture on the
// right, saved to disk or imported into the registry editor's photo.
#include "ui_WebCam.h"
#include <QDialog>

class Carvenna;
class Camera;

class TfrmWebCam : public QDialog {
    Q_OBJECT
public:
    /// `parent` is the window that opened it; with the context "euro_01" in lblMemory it is the registry
    /// editor, which takes the imported picture for its card when the window closes accepted.
    explicit TfrmWebCam(Carvenna& app, QWidget* parent = nullptr);
    ~TfrmWebCam() override;
    Ui::TfrmWebCam ui;

    /// The picture "Importa foto in scheda" took for the card (null before).
    const QImage& Imported() const { return m_imported; }

    /// Messages of the camera.
    static QString NoCameraMessage();
    static QString CameraFailedMessage();

protected:
    void showEvent(QShowEvent* e) override;
    void done(int r) override;

private:
    void FormShow();
    void btnAccendiClick();
    void btnSpegniClick();
    void btnCatturaClick();
    void btnSalvaFotogrammaClick();
    void btnImportaFotoClick();
    void btnCloseClick();
    void camCameraFrameReady(const QImage& frame);
    void camCameraFailed(const QString& error);

    Carvenna& m_app;
    Camera* camCamera;
    bool m_on = false;
    QImage m_imported;
};
