// The registry editor's photo buttons and the zoom window: loading (JPEG, bitmap, files that are not
// pictures), saving (with and without extension, failures), removing, full-screen view, a photo far
// larger than the screen, and the card's photo file written by Save after each change.
#include "ModalHelper.h"
#include "TestPlatform.h"
#include "app/Carvenna.h"
#include "registry/CardPhoto.h"
#include "registry/PhotoActions.h"
#include "registry/PhotoFiles.h"
#include "registry/Tiratori.h"
#include "registry/Zoom.h"
#include "storage/RegistryFile.h"
#include <QImageReader>
#include <QScreen>
#include <QtTest>
#include <memory>

namespace {
// A picture whose colour survives JPEG: a solid colour with a dark square in one corner.
QImage Picture(const QColor& colour, const QSize& size = QSize(400, 300)) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(colour);
    for (int y = 0; y < size.height() / 4; ++y)
        for (int x = 0; x < size.width() / 4; ++x)
            img.setPixel(x, y, qRgb(0, 0, 0));
    return img;
}
bool Near(const QColor& a, const QColor& b) {
    return qAbs(a.red() - b.red()) < 30 && qAbs(a.green() - b.green()) < 30 && qAbs(a.blue() - b.blue()) < 30;
}
} // namespace

class tst_photos : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void load_data();
    void load();
    void save_data();
    void save();
    void saveFailureIsReported();
    void zoomShowsThePhotoOnTheScreen();
    void hugePhoto();
    void removeShowsThePlaceholder();
    void saveWritesTheChangedPhotoWithTheCard_data();
    void saveWritesTheChangedPhotoWithTheCard();

private:
    std::unique_ptr<TestPlatform> m_tp;
    std::unique_ptr<Carvenna> m_app;
    std::unique_ptr<TfrmTiratori> m_editor;
};

void tst_photos::init() {
    m_tp = std::make_unique<TestPlatform>();
    m_app = std::make_unique<Carvenna>(m_tp->platform);
    m_editor = std::make_unique<TfrmTiratori>(*m_app);
    m_editor->show();
    m_editor->SetPhoto(Picture(Qt::blue));
    m_editor->MarkPhotoChanged(false);
}

void tst_photos::cleanup() {
    m_editor.reset();
    m_app.reset();
    m_tp.reset();
}

void tst_photos::load_data() {
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("format"); // empty: write these bytes instead of a picture
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("loaded");
    QTest::newRow("jpeg") << "foto.jpg" << QByteArray("jpg") << QByteArray() << true;
    QTest::newRow("jpeg, upper-case name") << "FOTO.JPEG" << QByteArray("jpg") << QByteArray() << true;
    QTest::newRow("bitmap") << "foto.bmp" << QByteArray("bmp") << QByteArray() << true;
    QTest::newRow("bitmap named .jpg") << "scambio.jpg" << QByteArray("bmp") << QByteArray() << true;
    QTest::newRow("text named .jpg") << "finto.jpg" << QByteArray() << QByteArray("non sono una foto") << false;
    QTest::newRow("cut JPEG") << "rotto.jpg" << QByteArray("cut") << QByteArray() << false;
    QTest::newRow("empty file") << "vuoto.bmp" << QByteArray() << QByteArray("") << false;
}

void tst_photos::load() {
    QFETCH(QString, fileName);
    QFETCH(QByteArray, format);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, loaded);
    const QString path = m_tp->Path(fileName);
    if (format == "cut") {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        Picture(Qt::red).save(&buffer, "jpg");
        bytes = buffer.data().left(40);
        format.clear();
    }
    if (format.isEmpty()) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    } else {
        QVERIFY(Picture(Qt::red).save(path, format.constData()));
    }
    m_tp->fileDialogs.answers.enqueue(path);
    m_editor->ui.btnCaricaFoto->click();
    QCOMPARE(m_editor->PhotoChanged(), loaded);

    QCOMPARE(m_tp->fileDialogs.asked.size(), 1);
    const auto& asked = m_tp->fileDialogs.asked[0];
    QCOMPARE(asked.title, QStringLiteral("Selezionare un file di immagine in formato Jpeg o Bitmap."));
    QCOMPARE(asked.filter, QStringLiteral("Immagine JPEG (*.jpg *.jpeg);;Immagine Bitmap (*.bmp)"));
    QVERIFY(!asked.save);
    QCOMPARE(asked.suffix, QStringLiteral("jpg"));

    const QImage shown = m_editor->Photo();
    QCOMPARE(shown.size(), QSize(400, 300));
    QVERIFY(m_editor->HasPhoto());
    if (loaded) {
        QVERIFY(m_tp->messages.shown.isEmpty());
        QVERIFY(Near(shown.pixelColor(300, 200), Qt::red));
    } else {
        // The card keeps the photo it showed; the user is told why.
        QCOMPARE(m_tp->messages.TakeTexts(), QStringList{PhotoUnreadableWarning()});
        QVERIFY(Near(shown.pixelColor(300, 200), Qt::blue));
    }
    // The box on screen shows the same picture, reduced.
    QVERIFY(Near(m_editor->ui.imgFoto->pixmap().toImage().pixelColor(300 * 307 / 400, 200 * 307 / 400),
                 loaded ? Qt::red : Qt::blue));
}

void tst_photos::save_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QByteArray>("format");
    QTest::newRow("with .jpg") << "scheda.jpg"
                               << "scheda.jpg" << QByteArray("jpeg");
    QTest::newRow("without extension") << "scheda"
                                       << "scheda.jpg" << QByteArray("jpeg");
    QTest::newRow("blanks and accents") << "foto di Lucìa"
                                        << "foto di Lucìa.jpg" << QByteArray("jpeg");
    QTest::newRow("bitmap by its extension") << "scheda.bmp"
                                             << "scheda.bmp" << QByteArray("bmp");
}

void tst_photos::save() {
    QFETCH(QString, typed);
    QFETCH(QString, written);
    QFETCH(QByteArray, format);
    m_tp->fileDialogs.answers.enqueue(m_tp->Path(typed));
    m_editor->ui.btnSalvaFoto->click();
    QVERIFY(m_tp->messages.shown.isEmpty());
    QVERIFY(!m_editor->PhotoChanged()); // saving a copy does not change the card

    const auto& asked = m_tp->fileDialogs.asked.value(0);
    QVERIFY(asked.save);
    QCOMPARE(asked.title, QStringLiteral("Selezionare la cartella in cui si desidera salvare il file Jpeg."));
    QCOMPARE(asked.filter, QStringLiteral("File Jpeg (*.jpg)"));
    QCOMPARE(QFileInfo(asked.path).fileName(), QStringLiteral("Foto.jpg"));
    QCOMPARE(asked.suffix, QStringLiteral("jpg"));

    QImageReader reader(m_tp->Path(written));
    QCOMPARE(reader.format(), format);
    const QImage back = reader.read();
    QCOMPARE(back.size(), QSize(400, 300));
    QVERIFY(Near(back.pixelColor(300, 200), Qt::blue));
    QVERIFY(Near(back.pixelColor(10, 10), Qt::black));
    // Only the file asked for, and no temporary left beside it.
    QCOMPARE(QDir(m_tp->dir.path()).entryList(QDir::Files), QStringList{written});
}

void tst_photos::saveFailureIsReported() {
    // A folder that does not exist cannot take the file.
    m_tp->fileDialogs.answers.enqueue(m_tp->Path("manca/scheda.jpg"));
    m_editor->ui.btnSalvaFoto->click();
    QCOMPARE(m_tp->messages.TakeTexts(), QStringList{PhotoUnwritableWarning()});
    QVERIFY(QDir(m_tp->dir.path()).entryList(QDir::Files).isEmpty());
    // The photo stays on the card.
    QVERIFY(m_editor->HasPhoto());
    QVERIFY(Near(m_editor->Photo().pixelColor(300, 200), Qt::blue));
    // Cancelling the dialog writes nothing and says nothing.
    m_editor->ui.btnSalvaFoto->click();
    QCOMPARE(m_tp->fileDialogs.asked.size(), 2);
    QVERIFY(m_tp->messages.shown.isEmpty());
}

void tst_photos::zoomShowsThePhotoOnTheScreen() {
    const QImage photo = Picture(Qt::red, QSize(3000, 2000));
    m_editor->SetPhoto(photo);
    bool seen = false;
    auto* helper = ModalHelper::When<TfrmZoom>(
        [&](TfrmZoom* zoom) {
            const QSize screen = zoom->screen()->size();
            QCOMPARE(zoom->windowTitle(), QStringLiteral(" Fai clic sulla foto per chiudere questa finestra"));
            QCOMPARE(zoom->ui.panContainer->size(), QSize(screen.width() - 60, screen.height() - 90));
            QCOMPARE(zoom->ui.imgFoto->size(), zoom->ui.panContainer->size());
            QCOMPARE(zoom->parentWidget(), m_editor.get());
            QCOMPARE(zoom->ui.imgFoto->picture(), photo); // the whole photo, not the editor's reduced copy
            // Fitted: as large as the area allows, proportions kept.
            const QSize shown = zoom->ui.imgFoto->pixmap().size();
            QVERIFY(shown.width() == zoom->ui.imgFoto->width() || shown.height() == zoom->ui.imgFoto->height());
            QVERIFY(qAbs(double(shown.width()) / shown.height() - 1.5) < 0.01);
            if (!qEnvironmentVariableIsEmpty("CARVENNA_GRAB_DIR"))
                zoom->grab().save(qEnvironmentVariable("CARVENNA_GRAB_DIR") + "/TfrmZoom.png");
            seen = true;
            QTest::mouseClick(zoom->ui.imgFoto, Qt::LeftButton);
        },
        this);
    m_editor->ui.btnZoomFoto->click();
    QVERIFY(helper->Handled());
    QVERIFY(seen);
    QVERIFY(helper->Unexpected().isEmpty());

    // A click on the panel around the picture closes it too.
    auto* panel = ModalHelper::When<TfrmZoom>(
        [](TfrmZoom* zoom) { QTest::mouseClick(zoom->ui.panContainer, Qt::LeftButton, {}, QPoint(1, 1)); }, this);
    m_editor->SetPhoto(Picture(Qt::red, QSize(50, 3000)));
    m_editor->ui.btnZoomFoto->click();
    QVERIFY(panel->Handled());
    QVERIFY(panel->Unexpected().isEmpty());
}

void tst_photos::hugePhoto() {
    // A camera's 48-megapixel picture: loaded, shown fitted in the photo area, saved again.
    const QString path = m_tp->Path("grande.jpg");
    QVERIFY(Picture(Qt::red, QSize(8000, 6000)).save(path, "jpg"));
    m_tp->fileDialogs.answers.enqueue(path);
    m_editor->ui.btnCaricaFoto->click();
    QCOMPARE(m_editor->Photo().size(), QSize(8000, 6000));
    const QSize shown = m_editor->ui.imgFoto->pixmap().size();
    QVERIFY(shown.width() <= 307 && shown.height() <= 394);
    QCOMPARE(shown.width(), 307);

    m_tp->fileDialogs.answers.enqueue(m_tp->Path("copia"));
    m_editor->ui.btnSalvaFoto->click();
    QCOMPARE(QImageReader(m_tp->Path("copia.jpg")).size(), QSize(8000, 6000));
    QVERIFY(m_tp->messages.shown.isEmpty());
}

void tst_photos::removeShowsThePlaceholder() {
    m_editor->ui.btnCancFoto->click();
    QVERIFY(!m_editor->HasPhoto());
    QVERIFY(m_editor->PhotoChanged());
    QCOMPARE(m_editor->Photo(), TfrmTiratori::Placeholder());
    QCOMPARE(m_editor->ui.imgFoto->pixmap().toImage().convertToFormat(QImage::Format_ARGB32),
             TfrmTiratori::Placeholder().convertToFormat(QImage::Format_ARGB32));
    QVERIFY(m_tp->messages.shown.isEmpty());
}

void tst_photos::saveWritesTheChangedPhotoWithTheCard_data() {
    QTest::addColumn<QString>("command");
    QTest::newRow("loaded from a file") << "load";
    QTest::newRow("removed") << "remove";
}

void tst_photos::saveWritesTheChangedPhotoWithTheCard() {
    QFETCH(QString, command);
    // Card 1 is stored with a blue photo.
    RegistryRecord rec;
    for (QString* f : rec.Fields())
        *f = QStringLiteral("x");
    rec.Quota = QStringLiteral("10,00");
    RegistryFile file;
    QVERIFY(file.OpenOrCreate(m_app->ProgramFolder()));
    QVERIFY(file.AppendRecord(rec));
    QVERIFY(file.Close());
    QVERIFY(WriteCardPhoto(m_app->ProgramFolder(), 1, Picture(Qt::blue)));
    m_editor->ui.cmdPrimo->click();
    QCOMPARE(m_editor->ui.lblPosizione->text(), QStringLiteral("1"));
    QVERIFY(Near(m_editor->Photo().pixelColor(300, 200), Qt::blue));

    if (command == "load") {
        const QString path = m_tp->Path("nuova.bmp");
        QVERIFY(Picture(Qt::red).save(path, "bmp"));
        m_tp->fileDialogs.answers.enqueue(path);
        m_editor->ui.btnCaricaFoto->click();
    } else {
        m_editor->ui.btnCancFoto->click();
    }
    m_editor->ui.cmdSalva->click();
    QCOMPARE(m_tp->messages.TakeTexts(),
             QStringList{"Le modifiche apportate alla scheda corrente sono state salvate in archivio."});
    QVERIFY(!m_editor->PhotoChanged());
    const QImage stored = ReadCardPhoto(m_app->ProgramFolder(), 1);
    if (command == "load") {
        QCOMPARE(stored.size(), QSize(400, 300));
        QVERIFY(Near(stored.pixelColor(300, 200), Qt::red));
    } else {
        // The placeholder takes the photo's place in the file.
        QCOMPARE(stored.size(), TfrmTiratori::Placeholder().size());
        QVERIFY(!Near(stored.pixelColor(stored.width() / 2, stored.height() * 3 / 4), Qt::blue));
    }
}

QTEST_MAIN(tst_photos)
#include "tst_photos.moc"
