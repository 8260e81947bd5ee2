// The receipt settings windows: the year window that opens a yearly archive in the editor, the
// numbering start kept in Trelvani.ini, the logo kept in Logo.bmp and the date picker that
// writes into exactly one field of the editor.
#include "ModalHelper.h"
#include "TestPlatform.h"
#include "app/Avvio.h"
#include "app/Carvenna.h"
#include "app/Guida.h"
#include "app/Password.h"
#include "app/Style.h"
#include "widgets/Calendario.h"
#include "receipts/DefaultLogo.h"
#include "receipts/Logo.h"
#include "receipts/MenuRicevute.h"
#include "receipts/Numerazione.h"
#include "receipts/Ricevuta.h"
#include "registry/Tiratori.h"
#include "storage/IniFile.h"
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QAbstractItemView>
#include <QtTest>
#include <memory>

namespace {

const QString kSection = QStringLiteral("Numerazione Ricevute");
const QString kKey = QStringLiteral("Inizio");
const QString kFourDigits = QStringLiteral("Attenzione: indicare l'anno solare utilizzando quattro cifre.");
const QString kCannotSave =
    QStringLiteral("Attenzione: impossibile salvare le impostazioni nella cartella del programma.");

bool SamePixels(const QImage& a, const QImage& b) {
    return a.convertToFormat(QImage::Format_RGB32) == b.convertToFormat(QImage::Format_RGB32);
}

void Activate(QWidget* w) {
    w->show();
    QApplication::setActiveWindow(w);
    QVERIFY(QTest::qWaitForWindowActive(w));
}

} // namespace

class TstReceiptSettings : public QObject {
    Q_OBJECT

    std::unique_ptr<TestPlatform> m_tp;
    std::unique_ptr<Carvenna> m_app;

    TfrmMenuRicevute& Menu() { return *m_app->menuRicevute(); }
    TfrmRicevuta& Editor() { return *m_app->ricevuta(); }
    QString Ini() const { return m_app->SettingsPath(); }

    void OpenYearWindow() {
        // As the start menu's receipts tile does.
        m_app->Switch(m_app->menuRicevute(), m_app->avvio());
        QVERIFY(Menu().isVisible());
    }

private slots:
    void initTestCase() { ApplyCarvennaStyle(*qApp); }

    void init() {
        m_tp = std::make_unique<TestPlatform>();
        m_app = std::make_unique<Carvenna>(m_tp->platform);
        m_app->Start();
        m_app->Switch(m_app->avvio(), m_app->password());
        QVERIFY(m_app->menuRicevute());
        QVERIFY(m_app->ricevuta());
    }

    void cleanup() {
        if (m_tp)
            QVERIFY2(m_tp->messages.shown.isEmpty(), qPrintable(m_tp->messages.TakeTexts().join(" | ")));
        m_app.reset();
        m_tp.reset();
    }

    // ---- year window ----

    void yearWindowShowsTheCurrentYear_data() {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QString>("year");
        QTest::newRow("31 December") << QDate(2025, 12, 31) << "2025";
        QTest::newRow("1 January") << QDate(2026, 1, 1) << "2026";
    }

    void yearWindowShowsTheCurrentYear() {
        QFETCH(QDate, today);
        QFETCH(QString, year);
        m_tp->clock.now = QDateTime(today, QTime(23, 59));
        Menu().ui.txtAnnoPreventivi->setText(QStringLiteral("1999")); // left from an earlier visit
        Menu().ui.lblMemory->setText(QStringLiteral("ricevute"));
        OpenYearWindow();
        QCOMPARE(Menu().ui.txtAnnoPreventivi->text(), year);
        QCOMPARE(Menu().ui.lblMemory->text(), QStringLiteral("avvio"));
        QCOMPARE(Menu().focusWidget(), Menu().ui.txtAnnoPreventivi);
        QVERIFY(Menu().windowState() & Qt::WindowMaximized);
        QVERIFY(!m_app->avvio()->isVisible());
    }

    void threeDigitYearWarnsAndStays() {
        OpenYearWindow();
        Editor().ui.lblFile->setText(QStringLiteral("before"));
        Menu().ui.txtAnnoPreventivi->setText(QStringLiteral("202"));
        Menu().ui.btnApriPreventivi->click();
        QCOMPARE(m_tp->messages.TakeTexts(), QStringList{kFourDigits});
        QVERIFY(Menu().isVisible());
        QVERIFY(!Editor().isVisible());
        QCOMPARE(Menu().focusWidget(), Menu().ui.txtAnnoPreventivi);
        QCOMPARE(Menu().ui.lblMemory->text(), QStringLiteral("avvio"));
        QCOMPARE(Editor().ui.lblFile->text(), QStringLiteral("before"));
    }

    void openingAYearHandsItToTheEditor() {
        OpenYearWindow(); // the clock says 2026: the year typed decides
        Menu().ui.txtAnnoPreventivi->setText(QStringLiteral("2023"));
        Menu().ui.btnApriPreventivi->click();
        QCOMPARE(Editor().ui.lblFile->text(), m_tp->Path(QStringLiteral("2023.ric")));
        QCOMPARE(Editor().windowTitle(), QStringLiteral(" Carvenna - Archivio ricevute anno 2023"));
        QCOMPARE(Menu().ui.lblMemory->text(), QStringLiteral("ricevute"));
        QVERIFY(!Menu().isVisible());
        QVERIFY(Editor().isVisible());
        QVERIFY(!m_app->avvio()->isVisible());
        QVERIFY(!QFile::exists(m_tp->Path(QStringLiteral("2023.ric")))); // created by the editor's first action

        // Closing the editor lands on the start menu; the tile shows the current year again.
        Editor().close();
        QVERIFY(m_app->avvio()->isVisible());
        OpenYearWindow();
        QCOMPARE(Menu().ui.txtAnnoPreventivi->text(), QStringLiteral("2026"));
    }

    void closingWithoutAYearReturnsToTheStartMenu_data() {
        QTest::addColumn<bool>("exitButton");
        QTest::newRow("exit button") << true;
        QTest::newRow("title bar") << false;
    }

    void closingWithoutAYearReturnsToTheStartMenu() {
        QFETCH(bool, exitButton);
        OpenYearWindow();
        if (exitButton)
            Menu().ui.imgEsci->click();
        else
            Menu().close();
        QVERIFY(!Menu().isVisible());
        QVERIFY(m_app->avvio()->isVisible());
        QVERIFY(!Editor().isVisible());
    }

    void yearKeysAreDigitsOnly() {
        OpenYearWindow();
        QLineEdit* f = Menu().ui.txtAnnoPreventivi;
        f->clear();
        QTest::keyClicks(f, QStringLiteral("2a0 -2,5"));
        QCOMPARE(f->text(), QStringLiteral("2025"));
        QTest::keyClicks(f, QStringLiteral("7")); // four characters at most
        QCOMPARE(f->text(), QStringLiteral("2025"));
        // Enter moves to "Apri" and does not open the year.
        QTest::keyClick(f, Qt::Key_Return);
        QCOMPARE(Menu().focusWidget(), Menu().ui.btnApriPreventivi);
        QVERIFY(Menu().isVisible());
        QVERIFY(!Editor().isVisible());
    }

    void yearGuide() {
        OpenYearWindow();
        QString title, text;
        auto* h = ModalHelper::When<TfrmGuida>(
            [&](TfrmGuida* g) {
                title = g->ui.lblTitolo->text();
                text = g->ui.txtGuida->toPlainText();
                g->reject();
            },
            this);
        Menu().ui.imgGuida->click();
        QVERIFY(h->Handled());
        QCOMPARE(title, QStringLiteral("App Stampa Ricevute"));
        QString expected = Carvenna::ReceiptsGuide();
        expected.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        QVERIFY(!expected.isEmpty());
        QCOMPARE(text, expected);
        QVERIFY(Menu().isVisible());
    }

    // ---- numbering start ----

    void numberingLoads_data() {
        QTest::addColumn<QString>("memory");
        QTest::addColumn<bool>("writeFile");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("stored start") << "ricevute" << true << "250"
                                      << "250";
        QTest::newRow("context trimmed") << " ricevute " << true << "250"
                                         << "250";
        QTest::newRow("other context reads nothing") << "Ricevute" << true << "250"
                                                     << "1";
        QTest::newRow("empty key") << "ricevute" << true << ""
                                   << "1";
        QTest::newRow("blank key") << "ricevute" << true << "   "
                                   << "1";
        QTest::newRow("no settings file") << "ricevute" << false << ""
                                          << "1";
    }

    void numberingLoads() {
        QFETCH(QString, memory);
        QFETCH(bool, writeFile);
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        if (writeFile)
            QVERIFY(IniWrite(Ini(), kSection, kKey, stored));
        TfrmNumerazione dlg(*m_app);
        dlg.ui.lblMemory->setText(memory);
        Activate(&dlg);
        QCOMPARE(dlg.ui.txtInizio->text(), shown);
        QCOMPARE(dlg.focusWidget(), dlg.ui.txtInizio);
        QVERIFY(dlg.ui.effInizio->isVisible());
    }

    void numberingNormalisedOnLeaving_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::newRow("empty") << ""
                               << "1";
        QTest::newRow("blanks") << "   "
                                << "1";
        QTest::newRow("leading zeros") << "007"
                                       << "7";
        QTest::newRow("zero") << "0"
                              << "0";
        QTest::newRow("five digits") << "99999"
                                     << "99999";
        QTest::newRow("blanks around") << " 42 "
                                       << "42";
        QTest::newRow("lone comma") << ","
                                    << "1";
        QTest::newRow("leading comma") << ",5"
                                       << "1";
        QTest::newRow("trailing comma") << "5,"
                                        << "1";
        QTest::newRow("decimal rounded down") << "2,4"
                                              << "2";
        QTest::newRow("decimal rounded up") << "2,6"
                                            << "3";
        QTest::newRow("not a number") << "abc"
                                      << "1";
        QTest::newRow("point is no decimal") << "1.5"
                                             << "1";
        QTest::newRow("too large for a count") << "9e99"
                                               << "1";
    }

    void numberingNormalisedOnLeaving() {
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        TfrmNumerazione dlg(*m_app);
        dlg.ui.lblMemory->setText(QStringLiteral("ricevute"));
        Activate(&dlg);
        dlg.ui.txtInizio->setText(typed);
        dlg.ui.btnAnnulla->setFocus(); // leaving the field
        QCOMPARE(dlg.ui.txtInizio->text(), kept);
        QVERIFY(!dlg.ui.effInizio->isVisible());
        QCOMPARE(TfrmNumerazione::NormalizeStart(typed), kept);
    }

    void numberingKeys() {
        TfrmNumerazione dlg(*m_app);
        dlg.ui.lblMemory->setText(QStringLiteral("ricevute"));
        Activate(&dlg);
        QLineEdit* f = dlg.ui.txtInizio;
        f->clear();
        QTest::keyClicks(f, QStringLiteral("1,2a 3-45"));
        QCOMPARE(f->text(), QStringLiteral("12345"));
        QTest::keyClicks(f, QStringLiteral("6"));
        QCOMPARE(f->text(), QStringLiteral("12345"));
        QTest::keyClick(f, Qt::Key_Return); // moves on, does not apply
        QCOMPARE(dlg.focusWidget(), dlg.ui.btnApplica);
        QVERIFY(dlg.isVisible());
        QVERIFY(!QFile::exists(Ini()));
    }

    void numberingApplyWritesAndNewUsesIt() {
        QVERIFY(IniWrite(Ini(), kSection, kKey, QStringLiteral("250")));
        TfrmNumerazione dlg(*m_app);
        dlg.ui.lblMemory->setText(QStringLiteral("ricevute"));
        auto* h = ModalHelper::When<TfrmNumerazione>(
            [](TfrmNumerazione* w) {
                QTest::keyClick(w->ui.txtInizio, Qt::Key_Backspace); // the loaded text is selected
                QTest::keyClicks(w->ui.txtInizio, QStringLiteral("0"));
                w->ui.btnApplica->click();
            },
            this);
        QCOMPARE(dlg.exec(), int(QDialog::Accepted));
        QVERIFY(h->Handled());
        QCOMPARE(IniRead(Ini(), kSection, kKey), QStringLiteral("0"));

        // The start 0 on an empty year makes the first receipt number 0.
        Editor().ui.lblFile->setText(m_tp->Path(QStringLiteral("2026.ric")));
        Editor().ui.cmdNuovo->click();
        QCOMPARE(Editor().ui.txtNumRic->text(), QStringLiteral("0"));
    }

    void numberingApplyNormalisesBeforeWriting() {
        TfrmNumerazione dlg(*m_app);
        dlg.ui.lblMemory->setText(QStringLiteral("ricevute"));
        dlg.show();
        dlg.ui.txtInizio->setText(QStringLiteral("007"));
        dlg.ui.btnApplica->click(); // pressed without the field losing the focus first
        QCOMPARE(IniRead(Ini(), kSection, kKey), QStringLiteral("7"));
        QVERIFY(!dlg.isVisible());
    }

    void numberingCancelDoesNotWrite() {
        QVERIFY(IniWrite(Ini(), kSection, kKey, QStringLiteral("250")));
        TfrmNumerazione dlg(*m_app);
        dlg.ui.lblMemory->setText(QStringLiteral("ricevute"));
        dlg.show();
        dlg.ui.txtInizio->setText(QStringLiteral("99"));
        dlg.ui.btnAnnulla->click();
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QCOMPARE(IniRead(Ini(), kSection, kKey), QStringLiteral("250"));
    }

    void numberingWithoutContextDoesNotWrite() {
        TfrmNumerazione dlg(*m_app);
        dlg.show();
        dlg.ui.txtInizio->setText(QStringLiteral("40"));
        dlg.ui.btnApplica->click();
        QVERIFY(!dlg.isVisible());
        QVERIFY(!QFile::exists(Ini()));
    }

    void numberingUnwritableSettingsWarns() {
        // A folder where the settings file should be: nothing can be written there.
        QVERIFY(QDir(m_tp->dir.path()).mkdir(QStringLiteral("Trelvani.ini")));
        TfrmNumerazione dlg(*m_app);
        dlg.ui.lblMemory->setText(QStringLiteral("ricevute"));
        dlg.show();
        dlg.ui.txtInizio->setText(QStringLiteral("12"));
        dlg.ui.btnApplica->click();
        QCOMPARE(m_tp->messages.TakeTexts(), QStringList{kCannotSave});
        QVERIFY(!dlg.isVisible());
        QVERIFY(QFileInfo(Ini()).isDir());
    }

    // ---- logo ----

    void logoApplyStoresWhatIsShown_data() {
        QTest::addColumn<bool>("blank");
        QTest::newRow("no logo") << true;
        QTest::newRow("default logo") << false;
    }

    void logoApplyStoresWhatIsShown() {
        QFETCH(bool, blank);
        QImage red(40, 30, QImage::Format_RGB32);
        red.fill(Qt::red);
        QVERIFY(red.save(m_tp->Path(QStringLiteral("Logo.bmp")), "BMP"));

        TfrmLogo dlg(*m_app);
        dlg.show();
        QVERIFY(SamePixels(dlg.Picture(), red));
        (blank ? dlg.ui.btnCancLogo : dlg.ui.imgEuro)->click();
        dlg.ui.btnApplica->click();
        QVERIFY(!dlg.isVisible());

        QFile f(m_tp->Path(QStringLiteral("Logo.bmp")));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.read(2), QByteArray("BM")); // a Windows bitmap whatever the picture
        f.close();
        const QImage stored(m_tp->Path(QStringLiteral("Logo.bmp")));
        if (blank) {
            QCOMPARE(stored.size(), QSize(2, 2));
            for (int y = 0; y < 2; ++y)
                for (int x = 0; x < 2; ++x)
                    QCOMPARE(stored.pixel(x, y), qRgb(255, 255, 255));
        } else {
            QCOMPARE(stored.size(), QSize(297, 184));
            QVERIFY(SamePixels(stored, DefaultLogo()));
        }
    }

    void logoShownFromFileOrDefault_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("expectDefault");
        QTest::newRow("missing") << QByteArray() << true;
        QTest::newRow("not a picture") << QByteArray("BM this is not a bitmap") << true;
        QTest::newRow("empty file") << QByteArray("") << true;
        QTest::newRow("a bitmap") << QByteArray("bitmap") << false;
    }

    void logoShownFromFileOrDefault() {
        QFETCH(QByteArray, content);
        QFETCH(bool, expectDefault);
        const QString path = m_tp->Path(QStringLiteral("Logo.bmp"));
        QImage green(20, 10, QImage::Format_RGB32);
        green.fill(Qt::green);
        if (content == "bitmap")
            QVERIFY(green.save(path, "BMP"));
        else if (!content.isNull()) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        TfrmLogo dlg(*m_app);
        dlg.show();
        QVERIFY(SamePixels(dlg.Picture(), expectDefault ? DefaultLogo() : green));
        QVERIFY(!dlg.ui.imgLogo->pixmap().isNull());
        dlg.ui.btnAnnulla->click();
        QVERIFY(!dlg.isVisible());
        // Cancelling leaves the file as it was (or absent).
        QCOMPARE(QFile::exists(path), !content.isNull());
        if (!content.isNull() && content != "bitmap") {
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), content);
        }
    }

    void logoBrowse() {
        const QString jpeg = m_tp->Path(QStringLiteral("ditta.jpg"));
        QImage blue(64, 32, QImage::Format_RGB32);
        blue.fill(QColor(0, 0, 255));
        QVERIFY(blue.save(jpeg, "JPG", 100));
        const QString junk = m_tp->Path(QStringLiteral("rotto.jpg"));
        {
            QFile f(junk);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("not a jpeg");
        }

        TfrmLogo dlg(*m_app);
        dlg.show();
        m_tp->fileDialogs.answers << jpeg;
        dlg.ui.btnSfoglia->click();
        QCOMPARE(m_tp->fileDialogs.asked.size(), 1);
        QCOMPARE(m_tp->fileDialogs.asked[0].title,
                 QStringLiteral("Selezionare il logo della Ditta in formato Jpeg o Bitmap."));
        QCOMPARE(m_tp->fileDialogs.asked[0].filter,
                 QStringLiteral("Immagine JPEG (*.jpg *.jpeg);;Immagine Bitmap (*.bmp)"));
        QVERIFY(!m_tp->fileDialogs.asked[0].save);
        QCOMPARE(dlg.Picture().size(), QSize(64, 32));

        dlg.ui.btnSfoglia->click(); // cancelled: nothing changes
        QCOMPARE(dlg.Picture().size(), QSize(64, 32));

        m_tp->fileDialogs.answers << junk;
        dlg.ui.btnSfoglia->click(); // unreadable: the default logo, no message
        QVERIFY(SamePixels(dlg.Picture(), DefaultLogo()));

        m_tp->fileDialogs.answers << jpeg;
        dlg.ui.btnSfoglia->click();
        dlg.ui.btnApplica->click();
        const QImage stored(m_tp->Path(QStringLiteral("Logo.bmp")), "BMP");
        QCOMPARE(stored.size(), QSize(64, 32));
    }

    void logoUnwritableFallsBackSilently() {
        QVERIFY(QDir(m_tp->dir.path()).mkdir(QStringLiteral("Logo.bmp")));
        TfrmLogo dlg(*m_app);
        dlg.show();
        dlg.ui.btnCancLogo->click();
        dlg.ui.btnApplica->click();
        QVERIFY(!dlg.isVisible());
        QVERIFY(SamePixels(dlg.Picture(), DefaultLogo()));
        QVERIFY(QFileInfo(m_tp->Path(QStringLiteral("Logo.bmp"))).isDir());
        // cleanup() checks that no message was shown
    }

    void defaultLogoIsABlueEuroOnWhite() {
        const QImage logo = DefaultLogo();
        QCOMPARE(logo.size(), QSize(297, 184));
        QCOMPARE(logo.pixel(0, 0), qRgb(255, 255, 255));
        int blue = 0;
        for (int y = 0; y < logo.height(); ++y)
            for (int x = 0; x < logo.width(); ++x) {
                const QColor c = logo.pixelColor(x, y);
                if (c.blue() > 120 && c.red() < 100)
                    ++blue;
            }
        QVERIFY2(blue > 5000, qPrintable(QString::number(blue))); // a large sign, not a speck
        QCOMPARE(DefaultLogo(), logo);
    }

    // ---- date picker ----

    // The picker hands the day back whatever its context; it writes into no window itself.
    void datePickerReturnsTheDay_data() {
        QTest::addColumn<QString>("context");
        QTest::newRow("data") << "data";
        QTest::newRow("Al") << "Al";
        QTest::newRow("registry editor") << "tiratori_studio";
        QTest::newRow("unknown") << "al ";
        QTest::newRow("empty") << "";
    }

    void datePickerReturnsTheDay() {
        QFETCH(QString, context);
        QLineEdit* fields[] = {Editor().ui.txtData, Editor().ui.txtDal, Editor().ui.txtAl,
                               m_app->tiratori()->ui.txtStudio};
        const QStringList before = {QStringLiteral("01/01/2020"), QStringLiteral("02/02/2020"),
                                    QStringLiteral("03/03/2020"), QStringLiteral("04/04/2020")};
        for (int i = 0; i < 4; ++i)
            fields[i]->setText(before[i]);

        TfrmCalendario dlg(*m_app);
        QCOMPARE(dlg.ui.calAppuntamenti->selectedDate(), m_tp->clock.Today());
        QVERIFY(!dlg.Chosen());
        dlg.ui.lblMemory->setText(context);
        dlg.show();
        dlg.ui.calAppuntamenti->setSelectedDate(QDate(2025, 3, 7));
        dlg.ui.btnImportaData->click();

        QCOMPARE(dlg.Chosen(), std::optional<QDate>(QDate(2025, 3, 7)));
        QVERIFY(!dlg.isVisible());
        for (int i = 0; i < 4; ++i)
            QCOMPARE(fields[i]->text(), before[i]);
    }

    void datePickerModal() {
        for (bool import : {false, true}) {
            auto* h = ModalHelper::When<TfrmCalendario>(
                [import](TfrmCalendario* w) {
                    QCOMPARE(w->ui.lblMemory->text(), QStringLiteral("Al"));
                    (import ? w->ui.btnImportaData : w->ui.btnAnnulla)->click();
                },
                this);
            const std::optional<QDate> day = TfrmCalendario::PickDate(*m_app, &Editor(), QStringLiteral("Al"));
            QVERIFY(h->Handled());
            // Cancelling gives nothing; importing gives today's date from the program's clock.
            QCOMPARE(day, import ? std::optional<QDate>(QDate(2026, 12, 10)) : std::nullopt);
        }
        // A valid date given is the one the picker opens on.
        auto* h = ModalHelper::When<TfrmCalendario>([](TfrmCalendario* w) { w->ui.btnImportaData->click(); }, this);
        QCOMPARE(TfrmCalendario::PickDate(*m_app, &Editor(), QStringLiteral("rette"), QDate(2024, 2, 29)),
                 std::optional<QDate>(QDate(2024, 2, 29)));
        QVERIFY(h->Handled());
    }

    void datePickerByKeyboard() {
        // Arrow keys move the day, Enter imports it: no mouse needed.
        TfrmCalendario dlg(*m_app, &Editor());
        dlg.ui.lblMemory->setText(QStringLiteral("dal"));
        dlg.show();
        QWidget* view = dlg.ui.calAppuntamenti->focusProxy() ? dlg.ui.calAppuntamenti->focusProxy()
                                                               : dlg.ui.calAppuntamenti->findChild<QAbstractItemView*>();
        QVERIFY(view);
        QTest::keyClick(view, Qt::Key_Right);
        QTest::keyClick(view, Qt::Key_Down);
        QTest::keyClick(view, Qt::Key_Return);
        QCOMPARE(dlg.Chosen(), std::optional<QDate>(QDate(2026, 12, 18)));
        QVERIFY(!dlg.isVisible());
    }
};

QTEST_MAIN(TstReceiptSettings)
#include "tst_receiptsettings.moc"
