// The webcam window through the camera double: live frames, capture, save and import into the card,
// no camera at all, a camera that breaks, and switching off on every way out.
#include "FakeCamera.h"
#include "ModalHelper.h"
#include "TestPlatform.h"
#include "app/Carvenna.h"
#include "registry/PhotoActions.h"
#include "registry/Tiratori.h"
#include "registry/WebCam.h"
#include <QtTest>
#include <memory>

class tst_webcam : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void startsWithItsPictures();
    void liveFramesCaptureAndImport();
    void importKeepsTheWindowOpenInAnotherContext();
    void cancelLeavesTheCardAndSwitchesOff_data();
    void cancelLeavesTheCardAndSwitchesOff();
    void beforeSwitchingOn();
    void noCamera_data();
    void noCamera();
    void cameraBreaksWhileRunning();
    void saveCapturedFrame();
    void editorButtonOpensTheWindow();

private:
    std::unique_ptr<TfrmWebCam> Open(const QString& context = QStringLiteral("euro_01"));

    std::unique_ptr<TestPlatform> m_tp;
    std::unique_ptr<FakeCamera> m_camera;
    std::unique_ptr<Carvenna> m_app;
    std::unique_ptr<TfrmTiratori> m_editor;
};

void tst_webcam::init() {
    m_tp = std::make_unique<TestPlatform>();
    m_camera = std::make_unique<FakeCamera>();
    m_tp->platform.camera = m_camera.get();
    m_app = std::make_unique<Carvenna>(m_tp->platform);
    m_editor = std::make_unique<TfrmTiratori>(*m_app);
}

void tst_webcam::cleanup() {
    m_editor.reset();
    m_app.reset();
    m_camera.reset();
    m_tp.reset();
}

std::unique_ptr<TfrmWebCam> tst_webcam::Open(const QString& context) {
    auto w = std::make_unique<TfrmWebCam>(*m_app, m_editor.get());
    w->ui.lblMemory->setText(context);
    w->show();
    return w;
}

void tst_webcam::startsWithItsPictures() {
    auto w = Open();
    QCOMPARE(w->windowTitle(), QStringLiteral(" Cattura foto con webcam"));
    const QList<QPair<const char*, QString>> buttons = {{"btnAccendi", "Accendi webcam"},
                                                        {"btnSpegni", "Spegni webcam"},
                                                        {"btnCattura", "Cattura foto"},
                                                        {"btnSalvaFotogramma", "Salva foto su disco"},
                                                        {"btnImportaFoto", "Importa foto in scheda"},
                                                        {"btnClose", "Annulla"}};
    for (const auto& [name, text] : buttons)
        QCOMPARE(w->findChild<QPushButton*>(name)->text(), text);
    QCOMPARE(w->ui.imgCamera->size(), QSize(366, 274));
    QCOMPARE(w->ui.imgTarget->size(), QSize(366, 274));
    QVERIFY(!w->ui.imgCamera->picture().isNull());
    QVERIFY(!w->ui.imgTarget->picture().isNull());
    QVERIFY(w->ui.imgCamera->picture() != w->ui.imgTarget->picture());
    QCOMPARE(w->ui.imgBianco->picture(), w->ui.imgCamera->picture());
    QVERIFY(w->ui.imgBianco->isHidden() && w->ui.lblMemory->isHidden());
    QVERIFY(!m_camera->IsActive());
    if (!qEnvironmentVariableIsEmpty("CARVENNA_GRAB_DIR")) {
        w->ui.btnAccendi->click();
        m_camera->Deliver(FakeCamera::Frame(QColor(250, 180, 40)));
        w->ui.btnCattura->click();
        m_camera->Deliver(FakeCamera::Frame(QColor(60, 140, 220)));
        w->grab().save(qEnvironmentVariable("CARVENNA_GRAB_DIR") + "/TfrmWebCam.png");
    }
}

void tst_webcam::liveFramesCaptureAndImport() {
    auto w = Open();
    w->ui.btnAccendi->click();
    QVERIFY(m_camera->IsActive());
    QVERIFY(m_tp->messages.shown.isEmpty());

    const QImage first = FakeCamera::Frame(Qt::red);
    const QImage second = FakeCamera::Frame(Qt::yellow, QSize(1280, 720));
    QVERIFY(m_camera->Deliver(first));
    QCOMPARE(w->ui.imgCamera->picture(), first);
    // Shown fitted to the live area.
    QVERIFY(w->ui.imgCamera->pixmap().width() <= 366 && w->ui.imgCamera->pixmap().height() <= 274);
    w->ui.btnCattura->click();
    QVERIFY(m_camera->Deliver(second));
    // The capture is the frame that was live when the button was pressed; later frames don't touch it.
    QCOMPARE(w->ui.imgTarget->picture(), first);
    QCOMPARE(w->ui.imgCamera->picture(), second);

    w->ui.btnImportaFoto->click();
    QVERIFY(!m_camera->IsActive());
    QVERIFY(!w->isVisible());
    QCOMPARE(w->result(), int(QDialog::Accepted));
    QCOMPARE(w->Imported(), first);
}

void tst_webcam::importKeepsTheWindowOpenInAnotherContext() {
    auto w = Open(QStringLiteral("altro"));
    w->ui.btnAccendi->click();
    m_camera->Deliver(FakeCamera::Frame(Qt::red));
    w->ui.btnCattura->click();
    w->ui.btnImportaFoto->click();
    QVERIFY(w->isVisible());
    QVERIFY(!m_camera->IsActive()); // the camera is off all the same
    QVERIFY(w->Imported().isNull());
}

void tst_webcam::cancelLeavesTheCardAndSwitchesOff_data() {
    QTest::addColumn<bool>("escape");
    QTest::newRow("Annulla") << false;
    QTest::newRow("Escape") << true;
}

void tst_webcam::cancelLeavesTheCardAndSwitchesOff() {
    QFETCH(bool, escape);
    auto w = Open();
    w->ui.btnAccendi->click();
    m_camera->Deliver(FakeCamera::Frame(Qt::red));
    w->ui.btnCattura->click();
    if (escape)
        QTest::keyClick(w.get(), Qt::Key_Escape);
    else
        w->ui.btnClose->click();
    QVERIFY(!w->isVisible());
    QCOMPARE(w->result(), int(QDialog::Rejected));
    QVERIFY(!m_camera->IsActive());
    QVERIFY(w->Imported().isNull());
}

void tst_webcam::beforeSwitchingOn() {
    auto w = Open();
    const QImage webcam = w->ui.imgBianco->picture();
    const QImage camera = w->ui.imgTarget->picture();
    // No frames reach a window whose camera is off.
    QVERIFY(!m_camera->Deliver(FakeCamera::Frame(Qt::red)));
    // Importing before any capture puts the built-in camera picture on the card...
    {
        auto first = Open();
        first->ui.btnImportaFoto->click();
        QCOMPARE(first->Imported(), camera);
    }
    // ...and capturing before switching on copies the built-in webcam picture.
    w->ui.btnCattura->click();
    QCOMPARE(w->ui.imgTarget->picture(), webcam);
    // Switched off: the last live frame stays, new ones are not shown.
    w->ui.btnAccendi->click();
    const QImage live = FakeCamera::Frame(Qt::green);
    m_camera->Deliver(live);
    w->ui.btnSpegni->click();
    QVERIFY(!m_camera->IsActive());
    QVERIFY(!m_camera->Deliver(FakeCamera::Frame(Qt::red)));
    QCOMPARE(w->ui.imgCamera->picture(), live);
    // On again: the camera is started again.
    w->ui.btnAccendi->click();
    QCOMPARE(m_camera->activations, 2);
}

void tst_webcam::noCamera_data() {
    QTest::addColumn<bool>("wired");
    QTest::addColumn<bool>("present");
    QTest::addColumn<bool>("refuses");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("kind");
    QTest::newRow("no camera plugged in")
        << true << false << false << TfrmWebCam::NoCameraMessage() << int(Messages::Kind::Plain);
    QTest::newRow("no camera service") << false << false << false << TfrmWebCam::NoCameraMessage()
                                       << int(Messages::Kind::Plain);
    QTest::newRow("camera refuses to start")
        << true << true << true << TfrmWebCam::CameraFailedMessage() << int(Messages::Kind::Warning);
}

void tst_webcam::noCamera() {
    QFETCH(bool, wired);
    QFETCH(bool, present);
    QFETCH(bool, refuses);
    QFETCH(QString, message);
    QFETCH(int, kind);
    m_camera->present = present;
    m_camera->refuseStart = refuses;
    if (!wired) {
        m_tp->platform.camera = nullptr;
        m_app = std::make_unique<Carvenna>(m_tp->platform);
    }
    auto w = Open();
    const QImage webcam = w->ui.imgCamera->picture();
    w->ui.btnAccendi->click();
    const auto shown = m_tp->messages.Take();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].text, message);
    QCOMPARE(int(shown[0].kind), kind);
    QVERIFY(!m_camera->IsActive());
    // The window stays usable: capture, import and cancel still work.
    w->ui.btnCattura->click();
    QCOMPARE(w->ui.imgTarget->picture(), webcam);
    w->ui.btnImportaFoto->click();
    QCOMPARE(w->Imported(), webcam);
    QVERIFY(m_tp->messages.shown.isEmpty());
}

void tst_webcam::cameraBreaksWhileRunning() {
    auto w = Open();
    w->ui.btnAccendi->click();
    const QImage last = FakeCamera::Frame(Qt::red);
    m_camera->Deliver(last);
    m_camera->Break();
    QCOMPARE(m_tp->messages.TakeTexts(), QStringList{TfrmWebCam::CameraFailedMessage()});
    QCOMPARE(w->ui.imgCamera->picture(), last);
    // The last frame can still be captured, and the camera can be tried again.
    w->ui.btnCattura->click();
    QCOMPARE(w->ui.imgTarget->picture(), last);
    w->ui.btnAccendi->click();
    QVERIFY(m_camera->IsActive());
    // Switching off afterwards says nothing more.
    w->ui.btnSpegni->click();
    QVERIFY(m_tp->messages.shown.isEmpty());
}

void tst_webcam::saveCapturedFrame() {
    auto w = Open();
    w->ui.btnAccendi->click();
    m_camera->Deliver(FakeCamera::Frame(Qt::red));
    w->ui.btnCattura->click();
    m_tp->fileDialogs.answers.enqueue(m_tp->Path("fotogramma"));
    w->ui.btnSalvaFotogramma->click();
    const QImage saved(m_tp->Path("fotogramma.jpg"));
    QCOMPARE(saved.size(), QSize(640, 480));
    QVERIFY(qRed(saved.pixel(600, 400)) > 220 && qGreen(saved.pixel(600, 400)) < 40);
    QCOMPARE(m_tp->fileDialogs.asked.value(0).title,
             QStringLiteral("Selezionare la cartella in cui si desidera salvare il file Jpeg."));
    QCOMPARE(QFileInfo(m_tp->fileDialogs.asked.value(0).path).fileName(), QStringLiteral("Foto.jpg"));

    // A file that cannot be written is reported and the capture stays.
    const QImage captured = w->ui.imgTarget->picture();
    m_tp->fileDialogs.answers.enqueue(m_tp->Path("manca/fotogramma.jpg"));
    w->ui.btnSalvaFotogramma->click();
    QCOMPARE(m_tp->messages.TakeTexts(), QStringList{PhotoUnwritableWarning()});
    QCOMPARE(w->ui.imgTarget->picture(), captured);
    QVERIFY(w->isVisible());
}

void tst_webcam::editorButtonOpensTheWindow() {
    m_editor->show();
    const QImage frame = FakeCamera::Frame(Qt::magenta);
    auto* helper = ModalHelper::When<TfrmWebCam>(
        [&](TfrmWebCam* w) {
            QCOMPARE(w->ui.lblMemory->text(), QStringLiteral("euro_01"));
            QCOMPARE(w->parentWidget(), m_editor.get());
            w->ui.btnAccendi->click();
            m_camera->Deliver(frame);
            w->ui.btnCattura->click();
            w->ui.btnImportaFoto->click();
        },
        this);
    m_editor->ui.btnWebcam->click();
    QVERIFY(helper->Handled());
    QVERIFY(!m_camera->IsActive());
    // The captured frame is the card's photo, whole, and the next Save writes it.
    QCOMPARE(m_editor->Photo(), frame);
    QVERIFY(m_editor->PhotoChanged());
    const QImage onScreen = m_editor->ui.imgFoto->pixmap().toImage();
    QVERIFY(!onScreen.isNull() && onScreen.width() <= 307 && onScreen.height() <= 394);
    QCOMPARE(onScreen.pixelColor(onScreen.width() / 2, onScreen.height() / 2), QColor(frame.pixelColor(320, 240)));

    // Closed without importing: the card keeps its photo.
    m_editor->MarkPhotoChanged(false);
    auto* cancel = ModalHelper::When<TfrmWebCam>(
        [&](TfrmWebCam* w) {
            w->ui.btnAccendi->click();
            m_camera->Deliver(FakeCamera::Frame(Qt::green));
            w->ui.btnCattura->click();
            w->ui.btnClose->click();
        },
        this);
    m_editor->ui.btnWebcam->click();
    QVERIFY(cancel->Handled());
    QCOMPARE(m_editor->Photo(), frame);
    QVERIFY(!m_editor->PhotoChanged());
}

QTEST_MAIN(tst_webcam)
#include "tst_webcam.moc"
