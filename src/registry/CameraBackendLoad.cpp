// The capture back end from the module carvenna_camera, looked for beside the program and, for an
// installed package, in its library folder (bin/../lib/carvenna).
#include "registry/CameraBackend.h"
#include <QCoreApplication>
#include <QLibrary>

CameraBackend* CreateCameraBackend(QString* error) {
    const QString dir = QCoreApplication::applicationDirPath();
    QString why;
    for (const QString& path : {dir + QStringLiteral("/carvenna_camera"), dir + QStringLiteral("/../lib/carvenna/carvenna_camera")}) {
        QLibrary module(path);
        // Kept loaded for the life of the program: the back ends it makes live in it.
        if (auto create = reinterpret_cast<CreateCameraBackendFunction>(module.resolve(CARVENNA_CAMERA_ENTRY)))
            return create();
        if (why.isEmpty())
            why = module.errorString();
    }
    if (error)
        *error = why;
    return nullptr;
}
