// The webcam's back end as the program loads it: the module built beside the program exports its
// entry point, and a back end from it answers on a machine without a camera as the webcam window
// expects (no camera, switching on refused with a reason, switching off harmless).
#include "registry/CameraBackend.h"
#include <QLibrary>
#include <QTest>
#include <memory>

class TestCameraModule : public QObject {
    Q_OBJECT
private slots:
    void moduleGivesABackEnd() {
#ifndef CARVENNA_CAMERA_MODULE_FILE
        QSKIP("this build links the back end into the program");
#else
        QLibrary module(QStringLiteral(CARVENNA_CAMERA_MODULE_FILE));
        auto create = reinterpret_cast<CreateCameraBackendFunction>(module.resolve(CARVENNA_CAMERA_ENTRY));
        QVERIFY2(create, qPrintable(module.errorString()));
        std::unique_ptr<CameraBackend> camera(create());
        QVERIFY(camera);
        QVERIFY(!camera->IsActive());
        camera->Deactivate();
        if (camera->Available())
            QSKIP("this machine has a camera: the refusal below cannot be seen");
        QString error;
        QVERIFY(!camera->Activate(&error));
        QCOMPARE(error, QStringLiteral("nessuna webcam"));
        QVERIFY(!camera->IsActive());
#endif
    }
};

QTEST_MAIN(TestCameraModule)
#include "tst_cameramodule.moc"
