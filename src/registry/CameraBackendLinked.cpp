// The capture back end built into the program (where no camera module is made).
#include "registry/CameraBackend.h"

extern "C" CameraBackend* CarvennaCreateCameraBackend();

CameraBackend* CreateCameraBackend(QString*) {
    return CarvennaCreateCameraBackend();
}
