// The program built without Qt Multimedia (its Windows video backend was not available when the setup
// was made): there is no back end, and the webcam window says so.
#include "registry/CameraBackend.h"

CameraBackend* CreateCameraBackend(QString* error) {
    if (error)
        *error = QStringLiteral("built without Qt Multimedia");
    return nullptr;
}
