#include "registry/DesktopCamera.h"

// The program built without Qt Multimedia (its Windows video backend was not available when the
// setup was made): there is no camera, and the webcam window says why.
struct DesktopCamera::Capture {};

DesktopCamera::DesktopCamera(QObject* parent) : Camera(parent) {}

DesktopCamera::~DesktopCamera() = default;

bool DesktopCamera::Available() const {
    return false;
}

bool DesktopCamera::Activate(QString* error) {
    if (error)
        *error = MissingSupport();
    return false;
}

void DesktopCamera::Deactivate() {}

bool DesktopCamera::IsActive() const {
    return false;
}

QString DesktopCamera::MissingSupport() const {
    return QStringLiteral("La webcam non è disponibile in questa installazione di Carvenna: la foto si può "
                          "caricare da un file.");
}

void DesktopCamera::OnFrame(const QVideoFrame&) {}
