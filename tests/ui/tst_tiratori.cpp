// The registry editor: browsing, New, Save with its checks and the bytes it writes, Duplicate, the
// card photos, the field rules, the status-line hints, and two workstations adding cards at once.
#include "ModalHelper.h"
#include "TestPlatform.h"
#include "app/Carvenna.h"
#include "widgets/Calendario.h"
#include "receipts/Ricevuta.h"
#include "registry/CardPhoto.h"
#include "registry/Tiratori.h"
#include "storage/RegistryFile.h"
#include "validators/CodFisc.h"
#include "validators/PartitaIva.h"
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QtTest>
#include <memory>

namespace {
const QString kAccess = QStringLiteral("Attenzione: il sistema non permette di accedere all'archivio.\n\r\n\r"
                                       "Accertarsi di possedere i privilegi di scrittura nella cartella di "
                                       "installazione del programma.");
const QString kEmpty = QStringLiteral("L'archivio non contiene nessuna scheda.");
const QString kInserted = QStringLiteral("La scheda corrente è stata inserita in archivio.");
const QString kUpdated = QStringLiteral("Le modifiche apportate alla scheda corrente sono state salvate in archivio.");
const QString kDupWarning = QStringLiteral("Attenzione: la duplicazione di una scheda può avvenire soltanto dopo "
                                           "che questa è stata inserita in archivio.");
const QString kDupDone = QStringLiteral("E' ora possibile apportare le proprie modifiche alla scheda corrente.\n\r\n\r"
                                        "Al termine premere Salva per inserire la scheda in archivio.");
constexpr int kSize = RegistryRecord::Size;

RegistryRecord Sample(int i) {
    RegistryRecord r;
    const QVector<QString*> f = r.Fields();
    for (int k = 0; k < RegistryField::Count; ++k)
        *f[k] = QStringLiteral("c%1f%2").arg(i).arg(k);
    r.Sesso = QStringLiteral("F");
    r.Quota = QStringLiteral("%1,00").arg(i);
    return r;
}

QByteArray FileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The text stored at `offset` of record `index`: its length byte and that many bytes.
QByteArray Stored(const QByteArray& file, int index, int offset) {
    const QByteArray rec = file.mid(index * kSize, kSize);
    return rec.mid(offset + 1, static_cast<unsigned char>(rec.at(offset)));
}

QImage Solid(QColor c) {
    QImage img(120, 160, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

bool Near(QColor a, QColor b) {
    return qAbs(a.red() - b.red()) < 8 && qAbs(a.green() - b.green()) < 8 && qAbs(a.blue() - b.blue()) < 8;
}
} // namespace

struct Fixture {
    TestPlatform tp;
    Carvenna app{tp.platform};
    TfrmTiratori* w = nullptr;
    QString file;

    Fixture() {
        app.Start();
        w = app.tiratori();
        file = tp.Path(QString::fromLatin1(RegistryFileName));
        w->show();
        w->activateWindow();
        active = QTest::qWaitForWindowActive(w);
    }
    bool active = false;
    void Store(int count) {
        RegistryFile f;
        QVERIFY(f.OpenOrCreate(tp.platform.programFolder));
        for (int i = 1; i <= count; ++i)
            QVERIFY(f.AppendRecord(Sample(i)));
        QVERIFY(f.Close());
    }
    void FillRequired() {
        w->ui.txtTiratore->setText(QStringLiteral("Rossi Mario"));
        w->ui.txtCodFisc->setText(QStringLiteral("RSSMRA80A01H501U"));
        w->ui.txtStudio->setText(QStringLiteral("31/08/2027"));
        w->ui.txtEnte->setText(QStringLiteral("Retta mensile"));
        w->ui.txtTessera->setText(QStringLiteral("A-17"));
        w->ui.txtQuota->setText(QStringLiteral("150"));
        w->ui.txtFineTes->setText(QStringLiteral("30/06/2027"));
        w->ui.txtArmi->setText(QStringLiteral("Rossi Luca"));
    }
    QString PhotoPath(int n) const { return CardPhotoPath(tp.platform.programFolder, n); }
};

class TestTiratori : public QObject {
    Q_OBJECT
private slots:
    void browsingAnEmptyRegistry_data() {
        QTest::addColumn<QString>("button");
        for (const char* b : {"cmdPrimo", "cmdIndietro", "cmdAvanti", "cmdUltimo"})
            QTest::newRow(b) << b;
    }
    void browsingAnEmptyRegistry() {
        QFETCH(QString, button);
        Fixture f;
        QVERIFY(f.active);
        f.w->findChild<QAbstractButton*>(button)->click();
        QCOMPARE(f.tp.messages.TakeTexts(), QStringList{kEmpty});
        QVERIFY(f.w->ui.lblPosizione->text().isEmpty());
        QVERIFY(QFileInfo(f.file).exists());
        QCOMPARE(QFileInfo(f.file).size(), 0);
    }

    void browsingCards() {
        Fixture f;
        QVERIFY(f.active);
        f.Store(3);
        QVERIFY(WriteCardPhoto(f.tp.platform.programFolder, 2, Solid(Qt::red)));
        auto go = [&](QAbstractButton* b) {
            b->click();
            return f.w->ui.lblPosizione->text();
        };
        QCOMPARE(go(f.w->ui.cmdAvanti), QStringLiteral("1")); // a new card stands before card 1
        QCOMPARE(f.w->ui.txtTiratore->text(), QStringLiteral("c1f0"));
        QCOMPARE(go(f.w->ui.cmdIndietro), QStringLiteral("1")); // nothing before card 1
        QCOMPARE(go(f.w->ui.cmdAvanti), QStringLiteral("2"));
        QVERIFY(f.w->HasPhoto());
        QVERIFY(Near(f.w->Photo().pixel(10, 10), Qt::red));
        QCOMPARE(f.w->ui.lblDesc03->text(), QStringLiteral("c2f31"));
        QCOMPARE(f.w->ui.txtNote->text(), QStringLiteral("c2f25"));
        QCOMPARE(go(f.w->ui.cmdUltimo), QStringLiteral("3"));
        QVERIFY(!f.w->HasPhoto()); // card 3 has no photo file: the placeholder
        QCOMPARE(go(f.w->ui.cmdAvanti), QStringLiteral("3"));
        QCOMPARE(go(f.w->ui.cmdIndietro), QStringLiteral("2"));
        QCOMPARE(go(f.w->ui.cmdPrimo), QStringLiteral("1"));
        f.w->ui.cmdNuovo->click();
        QCOMPARE(go(f.w->ui.cmdIndietro), QStringLiteral("1"));
        QVERIFY(f.tp.messages.TakeTexts().isEmpty());
    }

    // A partial last card (a write cut short elsewhere) is not a card; the next one goes over it.
    void partialLastCard() {
        Fixture f;
        QVERIFY(f.active);
        f.Store(2);
        {
            QFile raw(f.file);
            QVERIFY(raw.open(QIODevice::Append));
            raw.write(QByteArray(100, '\xFF'));
        }
        f.w->ui.cmdUltimo->click();
        QCOMPARE(f.w->ui.lblPosizione->text(), QStringLiteral("2"));
        f.w->ui.cmdNuovo->click();
        f.FillRequired();
        f.w->ui.cmdSalva->click();
        QCOMPARE(f.w->ui.lblPosizione->text(), QStringLiteral("3"));
        QCOMPARE(QFileInfo(f.file).size(), 3 * kSize);
        QCOMPARE(Stored(FileBytes(f.file), 2, 0), QByteArray("Rossi Mario"));
    }

    // The office fills a card with the keyboard alone, saves it, and saves it again.
    void fillWithKeysSaveAndSaveAgain() {
        Fixture f;
        QVERIFY(f.active);
        f.Store(7);
        f.w->ui.cmdNuovo->click();
        QCOMPARE(QApplication::focusWidget(), f.w->ui.txtTiratore);
        std::unique_ptr<ModalHelper> pick;
        // Types into the field that has the focus, which must be `field`, and presses Enter.
        auto type = [&](QLineEdit* field, const QString& text) {
            QCOMPARE(QApplication::focusWidget(), field);
            QTest::keyClicks(field, text);
            QTest::keyClick(field, Qt::Key_Return);
        };
        auto pickDate = [&](QLineEdit* field, QDate day) {
            pick.reset(ModalHelper::When<TfrmCalendario>([day](TfrmCalendario* d) {
                d->ui.calAppuntamenti->setSelectedDate(day);
                d->ui.btnImportaData->click();
            }));
            QTest::keyClick(field, Qt::Key_Space);
            QVERIFY(pick->Handled());
            f.w->activateWindow(); // the window is active again once the picker has gone
            QVERIFY(QTest::qWaitForWindowActive(f.w));
            field->setFocus();
            QTest::keyClick(field, Qt::Key_Return);
        };
        type(f.w->ui.txtTiratore, QStringLiteral("Verdi Anna"));
        type(f.w->ui.txtSesso, QStringLiteral(" f"));
        type(f.w->ui.txtDataNasc, QStringLiteral("02/03/1985"));
        type(f.w->ui.txtCittadinanza, QStringLiteral("italiana"));
        type(f.w->ui.txtLuogoNasc, QStringLiteral("Torino"));
        type(f.w->ui.txtIndirizzo, QStringLiteral("Via Po 3"));
        type(f.w->ui.txtCitta, QStringLiteral("Torino"));
        type(f.w->ui.txtCap, QStringLiteral("10100"));
        type(f.w->ui.txtNazione, QStringLiteral("Italia"));
        type(f.w->ui.txtCodFisc, QStringLiteral("vrdnna85c42l219x "));
        type(f.w->ui.txtGruppo, QStringLiteral("Nonna Pia"));
        type(f.w->ui.txtProfessione, QStringLiteral("011 555"));
        pickDate(f.w->ui.txtStudio, QDate(2027, 9, 1)); // txtStudio
        type(f.w->ui.txtEnte, QStringLiteral("Retta"));
        type(f.w->ui.txtEmail, QStringLiteral(" anna@example.it "));
        type(f.w->ui.txtTel, QStringLiteral("011 1"));
        type(f.w->ui.txtCel, QStringLiteral("333 2"));
        type(f.w->ui.txtTessera, QStringLiteral("N-8"));
        f.w->ui.txtQuota->selectAll();
        type(f.w->ui.txtQuota, QStringLiteral("2,675"));
        pickDate(f.w->ui.txtInizioTes, QDate(2026, 9, 1));  // txtInizioTes
        pickDate(f.w->ui.txtFineTes, QDate(2027, 6, 30)); // txtFineTes
        type(f.w->ui.txtArmi, QStringLiteral("Verdi Leo"));
        type(f.w->ui.txtPorto, QStringLiteral("Torino"));
        type(f.w->ui.txtInizioPor, QStringLiteral("5/5/2021"));
        type(f.w->ui.txtCodFiscMinore, QString()); // the child's code, left blank
        type(f.w->ui.txtFinePor, QStringLiteral("Bonifico"));
        QCOMPARE(QApplication::focusWidget(), f.w->ui.txtNote);
        QTest::keyClicks(f.w->ui.txtNote, QStringLiteral("Allergico"));
        f.w->ui.cmdSalva->click();
        QCOMPARE(f.tp.messages.TakeTexts(), QStringList{kInserted});
        QCOMPARE(f.w->ui.lblPosizione->text(), QStringLiteral("8"));

        const QByteArray bytes = FileBytes(f.file);
        QCOMPARE(bytes.size(), 8 * kSize);
        const struct {
            int offset;
            QByteArray text;
        } expected[] = {{0, "Verdi Anna"},     {51, "F"},          {53, "02/03/1985"},   {64, "italiana"},
                        {400, "VRDNNA85C42L219X"}, {589, "01/09/2027"}, {710, "Retta"},      {831, "anna@example.it"},
                        {944, "N-8"},          {995, "2,67"},      {1046, "01/09/2026"}, {1057, "30/06/2027"},
                        {1068, "Verdi Leo"},   {1170, "5/5/2021"}, {1181, "Bonifico"},   {1432, "Allergico"},
                        {1683, ""}};
        for (const auto& e : expected)
            QCOMPARE(Stored(bytes, 7, e.offset), e.text);
        QCOMPARE(QImage(f.PhotoPath(8)).size(), QSize(307, 394)); // the placeholder as its photo

        // Saving again overwrites card 8 and leaves the untouched photo file alone.
        const QDateTime written = QFileInfo(f.PhotoPath(8)).lastModified();
        const QByteArray photoBytes = FileBytes(f.PhotoPath(8));
        QTest::qWait(20);
        f.w->ui.txtNote->setText(QStringLiteral("Nessuna allergia"));
        f.w->ui.cmdSalva->click();
        QCOMPARE(f.tp.messages.TakeTexts(), QStringList{kUpdated});
        QCOMPARE(f.w->ui.lblPosizione->text(), QStringLiteral("8"));
        QCOMPARE(QFileInfo(f.file).size(), 8 * kSize);
        QCOMPARE(Stored(FileBytes(f.file), 7, 1432), QByteArray("Nessuna allergia"));
        QCOMPARE(FileBytes(f.PhotoPath(8)), photoBytes);
        QCOMPARE(QFileInfo(f.PhotoPath(8)).lastModified(), written);
    }

    void requiredFields_data() {
        QTest::addColumn<QString>("emptied");
        QTest::addColumn<QString>("message");
        const char* rows[][2] = {
            {"txtTiratore", "cognome e nome del genitore."},
            {"txtCodFisc", "il codice fiscale del genitore."},
            {"txtStudio", "la data di scadenza del certificato medico."},
            {"txtEnte", "la causale di pagamento."},
            {"txtTessera", "il numero di iscrizione."},
            {"txtFineTes", "la data di scadenza dell'iscrizione."},
            {"txtArmi", "cognome e nome del minore."},
        };
        for (auto& r : rows)
            QTest::newRow(r[0]) << r[0]
                                << QStringLiteral("Attenzione: per salvare la scheda è necessario indicare ") +
                                       QString::fromUtf8(r[1]);
    }
    void requiredFields() {
        QFETCH(QString, emptied);
        QFETCH(QString, message);
        Fixture f;
        QVERIFY(f.active);
        f.FillRequired();
        auto* field = f.w->findChild<QLineEdit*>(emptied);
        field->setText(QStringLiteral("   "));
        f.w->ui.cmdSalva->click();
        QCOMPARE(f.tp.messages.TakeTexts(), QStringList{message});
        QCOMPARE(QApplication::focusWidget(), field);
        QCOMPARE(QFileInfo(f.file).size(), 0);
    }

    void checksStopAtTheFirstEmptyField() {
        Fixture f;
        QVERIFY(f.active);
        f.FillRequired();
        f.w->ui.txtTiratore->clear();
        f.w->ui.txtArmi->clear();
        f.w->ui.txtQuota->clear(); // an empty fee becomes 0,00 before the checks: never reported
        f.w->ui.cmdSalva->click();
        QCOMPARE(f.tp.messages.TakeTexts(),
                 QStringList{QStringLiteral(
                     "Attenzione: per salvare la scheda è necessario indicare cognome e nome del genitore.")});
        QCOMPARE(f.w->ui.txtQuota->text(), QStringLiteral("0,00"));
    }

    void duplicate() {
        Fixture f;
        QVERIFY(f.active);
        f.w->ui.cmdDuplica->click();
        QCOMPARE(f.tp.messages.TakeTexts(), QStringList{kDupWarning});
        f.Store(5);
        QVERIFY(WriteCardPhoto(f.tp.platform.programFolder, 5, Solid(Qt::blue)));
        f.w->ui.cmdUltimo->click();
        QVERIFY(f.w->HasPhoto());
        const QByteArray card5 = FileBytes(f.file).mid(4 * kSize, kSize);
        f.w->ui.cmdDuplica->click();
        QCOMPARE(f.tp.messages.TakeTexts(), QStringList{kDupDone});
        QVERIFY(f.w->ui.lblPosizione->text().isEmpty());
        QVERIFY(f.w->ui.lblFile01->text().isEmpty() && f.w->ui.lblDesc03->text().isEmpty());
        QVERIFY(!f.w->HasPhoto());
        QCOMPARE(f.w->ui.txtArmi->text(), QStringLiteral("c5f21"));
        QCOMPARE(QApplication::focusWidget(), f.w->ui.txtTiratore);
        f.w->ui.txtArmi->setText(QStringLiteral("Sorella"));
        f.w->ui.cmdSalva->click();
        QCOMPARE(f.tp.messages.TakeTexts(), QStringList{kInserted});
        QCOMPARE(f.w->ui.lblPosizione->text(), QStringLiteral("6"));
        const QByteArray bytes = FileBytes(f.file);
        QCOMPARE(bytes.mid(4 * kSize, kSize), card5);
        QCOMPARE(Stored(bytes, 5, 1068), QByteArray("Sorella"));
        QCOMPARE(Stored(bytes, 5, 0), QByteArray("c5f0"));
        QCOMPARE(Stored(bytes, 5, 1683), QByteArray());
        QVERIFY(Near(QImage(f.PhotoPath(5)).pixel(5, 5), Qt::blue)); // card 5 keeps its photo
        QCOMPARE(QImage(f.PhotoPath(6)).size(), QSize(307, 394));
    }

    void photoChangedIsWrittenOnOverwrite() {
        Fixture f;
        QVERIFY(f.active);
        f.Store(1);
        f.w->ui.cmdPrimo->click();
        f.w->SetPhoto(Solid(Qt::green));
        f.w->ui.cmdSalva->click();
        QCOMPARE(f.tp.messages.TakeTexts(), QStringList{kUpdated});
        QVERIFY(Near(QImage(f.PhotoPath(1)).pixel(5, 5), Qt::green));
        f.w->RemovePhoto();
        f.w->ui.cmdSalva->click();
        f.tp.messages.TakeTexts();
        QCOMPARE(QImage(f.PhotoPath(1)).size(), QSize(307, 394));
    }

    // A photo file that is not a picture shows the placeholder and is never replaced by it.
    void unreadablePhotoIsKept() {
        Fixture f;
        QVERIFY(f.active);
        f.Store(1);
        QVERIFY(QDir().mkpath(QFileInfo(f.PhotoPath(1)).absolutePath()));
        {
            QFile bad(f.PhotoPath(1));
            QVERIFY(bad.open(QIODevice::WriteOnly));
            bad.write("not a picture");
        }
        f.w->ui.cmdPrimo->click();
        QVERIFY(!f.w->HasPhoto());
        f.w->ui.cmdSalva->click();
        QCOMPARE(f.tp.messages.TakeTexts(), QStringList{kUpdated});
        QCOMPARE(FileBytes(f.PhotoPath(1)), QByteArray("not a picture"));
    }

    // A file named Anagrafica: the card is saved, the photo stays on screen, and the user is told.
    void photoFolderNotWritable() {
        Fixture f;
        QVERIFY(f.active);
        QFile blocker(f.tp.Path(QStringLiteral("Anagrafica")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        f.FillRequired();
        f.w->SetPhoto(Solid(Qt::yellow));
        f.w->ui.cmdSalva->click();
        const QStringList shown = f.tp.messages.TakeTexts();
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown.at(0), kInserted);
        QVERIFY(shown.at(1).contains(QStringLiteral("foto")));
        QCOMPARE(f.w->ui.lblPosizione->text(), QStringLiteral("1"));
        QCOMPARE(QFileInfo(f.file).size(), kSize);
        QVERIFY(f.w->HasPhoto());
    }

    // A folder in place of the registry file: the access error, and the screen as it was.
    void registryFileIsAFolder() {
        Fixture f;
        QVERIFY(f.active);
        QVERIFY(QDir().mkpath(f.file));
        f.FillRequired();
        f.w->ui.cmdSalva->click();
        QCOMPARE(f.tp.messages.TakeTexts(), QStringList{kAccess});
        QVERIFY(f.w->ui.lblPosizione->text().isEmpty());
        QCOMPARE(f.w->ui.txtTiratore->text(), QStringLiteral("Rossi Mario"));
        QVERIFY(!QFileInfo(f.PhotoPath(1)).exists());
        f.w->ui.cmdUltimo->click();
        QCOMPARE(f.tp.messages.TakeTexts(), QStringList{kAccess});
        QCOMPARE(f.w->ui.txtTiratore->text(), QStringLiteral("Rossi Mario"));
    }

    void feeKeys_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        QTest::newRow("point") << int(Qt::Key_Period) << ".";
        QTest::newRow("minus") << int(Qt::Key_Minus) << "-";
        QTest::newRow("letter") << int(Qt::Key_A) << "a";
        QTest::newRow("blank") << int(Qt::Key_Space) << " ";
        QTest::newRow("home") << int(Qt::Key_Home) << "";
        QTest::newRow("end") << int(Qt::Key_End) << "";
    }
    void feeKeys() {
        QFETCH(int, key);
        QFETCH(QString, text);
        Fixture f;
        QVERIFY(f.active);
        QLineEdit* fee = f.w->ui.txtQuota;
        fee->setFocus();
        fee->setText(QStringLiteral("12"));
        fee->setCursorPosition(1);
        QTest::sendKeyEvent(QTest::Click, fee, Qt::Key(key), text, Qt::NoModifier);
        QCOMPARE(fee->text(), QStringLiteral("12"));
        QCOMPARE(fee->cursorPosition(), 1);
        QTest::keyClicks(fee, QStringLiteral(",5"));
        QCOMPARE(fee->text(), QStringLiteral("1,52"));
        QTest::keyClick(fee, Qt::Key_Tab); // leaves and formats
        QCOMPARE(fee->text(), QStringLiteral("1,52"));
        QVERIFY(!fee->hasFocus());
    }

    void feePastedAndLeft() {
        Fixture f;
        QVERIFY(f.active);
        QLineEdit* fee = f.w->ui.txtQuota;
        fee->setFocus();
        fee->clear();
        fee->insert(QStringLiteral("dodici euro")); // a paste skips the key filter
        f.w->ui.txtInizioTes->setFocus();
        QCOMPARE(fee->text(), QStringLiteral("0,00"));
        fee->setFocus();
        fee->clear();
        fee->insert(QString(80, QLatin1Char('9')));
        QCOMPARE(fee->text().size(), 50); // cut to the field's limit
    }

    void dateFields() {
        Fixture f;
        QVERIFY(f.active);
        QLineEdit* end = f.w->ui.txtFineTes;
        end->setText(QStringLiteral("01/01/2027"));
        end->setFocus();
        QTest::keyClick(end, Qt::Key_Delete);
        QVERIFY(end->text().isEmpty());
        QTest::keyClick(end, Qt::Key_Tab); // Tab moves on without the picker
        QCOMPARE(QApplication::focusWidget(), f.w->ui.txtArmi);
        end->setFocus();
        QTest::keyClick(end, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), f.w->ui.txtArmi);
        QTest::keyClick(f.w->ui.txtNote, Qt::Key_Return);
        f.w->ui.txtNote->setFocus();
        QTest::keyClick(f.w->ui.txtNote, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), f.w->ui.txtTiratore);
    }

    // Each date field opens the picker with its own context, and the picker writes back into it.
    void datePickerContexts_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("context");
        QTest::newRow("certificate") << "txtStudio" << "tiratori_studio";
        QTest::newRow("enrolment") << "txtInizioTes" << "tiratori_iniziotes";
        QTest::newRow("expiry") << "txtFineTes" << "tiratori_finetes";
    }
    void datePickerContexts() {
        QFETCH(QString, field);
        QFETCH(QString, context);
        Fixture f;
        QVERIFY(f.active);
        auto* edit = f.w->findChild<QLineEdit*>(field);
        QString seen;
        std::unique_ptr<ModalHelper> h(ModalHelper::When<TfrmCalendario>([&](TfrmCalendario* d) {
            seen = d->ui.lblMemory->text();
            d->ui.calAppuntamenti->setSelectedDate(QDate(2027, 2, 28));
            d->ui.btnImportaData->click();
        }));
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_7);
        QVERIFY(h->Handled());
        QCOMPARE(seen, context);
        QCOMPARE(edit->text(), QStringLiteral("28/02/2027"));
        // Cancelling keeps the date.
        h.reset(ModalHelper::When<TfrmCalendario>([](TfrmCalendario* d) { d->ui.btnAnnulla->click(); }));
        QTest::keyClick(edit, Qt::Key_X);
        QVERIFY(h->Handled());
        QCOMPARE(edit->text(), QStringLiteral("28/02/2027"));
    }

    void typingNormalisation_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("tax code") << "txtCodFisc" << " rssmra80 " << "RSSMRA80";
        QTest::newRow("sex") << "txtSesso" << " m" << "M";
        QTest::newRow("e-mail trimmed, case kept") << "txtEmail" << " Anna@Mail.it " << "Anna@Mail.it";
        QTest::newRow("other fields untouched") << "txtTiratore" << " rossi " << " rossi ";
    }
    void typingNormalisation() {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        Fixture f;
        QVERIFY(f.active);
        auto* edit = f.w->findChild<QLineEdit*>(field);
        edit->setFocus();
        QTest::keyClicks(edit, typed);
        QCOMPARE(edit->text(), shown);
    }

    void checkButtonChoosesTheWindow_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("vat");
        QTest::newRow("eleven digits") << "01234567897" << true;
        QTest::newRow("tax code") << "RSSMRA80A01H501U" << false;
        QTest::newRow("empty") << "" << false;
    }
    void checkButtonChoosesTheWindow() {
        QFETCH(QString, code);
        QFETCH(bool, vat);
        Fixture f;
        QVERIFY(f.active);
        f.w->ui.txtCodFisc->setText(code);
        QString got;
        std::unique_ptr<ModalHelper> h(new ModalHelper([](QWidget* w) { return qobject_cast<QDialog*>(w); },
                                                       [&](QWidget* w) {
                                                           if (auto* p = qobject_cast<TfrmPartitaIva*>(w))
                                                               got = QStringLiteral("vat:") + p->ui.txtPartitaIva->text();
                                                           else if (auto* c = qobject_cast<TfrmCodFisc*>(w))
                                                               got = QStringLiteral("cf:") + c->ui.txtCodFisc->text();
                                                           static_cast<QDialog*>(w)->reject();
                                                       }));
        f.w->ui.btnCodFisc->click();
        QCOMPARE(got, (vat ? QStringLiteral("vat:") : QStringLiteral("cf:")) + code);
    }

    void emailGoesToTheShell() {
        Fixture f;
        QVERIFY(f.active);
        f.w->ui.txtEmail->setText(QStringLiteral("  mamma@example.it "));
        f.w->ui.btnEmail->click();
        f.w->ui.txtEmail->clear();
        f.w->ui.btnEmail->click();
        QCOMPARE(f.tp.shell.opened,
                 (QStringList{QStringLiteral("\"mailto:mamma@example.it\""), QStringLiteral("\"mailto:\"")}));
    }

    // Real mouse moves: a control's hint while the mouse is on it, nothing over the background.
    void statusLineHints() {
        Fixture f;
        QVERIFY(f.active);
        QLabel* info = f.w->ui.panInfo;
        const struct {
            QWidget* over;
            QString hint;
        } moves[] = {
            {f.w->ui.cmdSalva, QStringLiteral("Salva la scheda in archivio.")},
            {f.w->ui.bkgCampi, QString()},
            {f.w->ui.cmdNuovo, QStringLiteral("Prepara la schermata per l'inserimento di una nuova scheda.")},
            {f.w->ui.shpComandi1, QString()},
            {f.w->ui.btnEmail, QStringLiteral("Invia una e-mail all'indirizzo indicato.")},
            {f.w->ui.imgFoto, QString()},
            {f.w->ui.btnZoomFoto, QStringLiteral("Visualizza la foto nelle sue dimensioni reali.")},
            {f.w->ui.panCentro, QString()},
        };
        for (const auto& m : moves) {
            // Two moves inside the control: the second must not wipe what the first showed.
            const QPoint inside = m.over == f.w->ui.panCentro ? QPoint(700, 5)
                                  : m.over == f.w->ui.shpComandi1 ? QPoint(m.over->width() - 2, 2)
                                  : m.over == f.w->ui.bkgCampi ? QPoint(3, 3)
                                                               : m.over->rect().center();
            QTest::mouseMove(m.over, inside);
            QTest::mouseMove(m.over, inside + QPoint(1, 1));
            QCOMPARE(info->text(), m.hint);
        }
        // The receipt editor uses the same hints.
        TfrmRicevuta* r = f.app.ricevuta();
        r->show();
        QVERIFY(QTest::qWaitForWindowExposed(r));
        QTest::mouseMove(r->ui.cmdSalva, r->ui.cmdSalva->rect().center());
        QTest::mouseMove(r->ui.cmdSalva, r->ui.cmdSalva->rect().center() + QPoint(2, 1));
        QCOMPARE(r->ui.panInfo->text(), r->ui.cmdSalva->statusTip());
    }

    // Two workstations add 200 cards each to one registry at the same moment.
    void twoWorkstationsAddCards() {
        QTemporaryDir shared;
        QVERIFY(shared.isValid());
        QList<QProcess*> children;
        for (int station = 1; station <= 2; ++station) {
            auto* p = new QProcess(this);
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("CARVENNA_ADD_CARDS"), shared.path() + QStringLiteral("/|%1|200").arg(station));
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
            p->setProcessEnvironment(env);
            p->start(QCoreApplication::applicationFilePath(), {});
            children << p;
        }
        for (QProcess* p : children) {
            QVERIFY(p->waitForFinished(240000));
            QCOMPARE(p->exitCode(), 0);
        }
        RegistryFile file;
        QVERIFY(file.OpenOrCreate(shared.path()));
        QVector<RegistryRecord> all;
        QVERIFY(file.ReadAll(all));
        file.Close();
        QCOMPARE(all.size(), 400);
        QSet<QString> names;
        for (int n = 1; n <= all.size(); ++n) {
            const QStringList parts = all[n - 1].Tiratore.split(u'-'); // "P<station>-<i>"
            QCOMPARE(parts.size(), 2);
            names.insert(all[n - 1].Tiratore);
            const QImage photo(CardPhotoPath(shared.path(), n));
            QVERIFY2(!photo.isNull(), qPrintable(QString::number(n)));
            const QColor want(parts[0].mid(1).toInt() * 100, parts[1].toInt() % 256, 60);
            QVERIFY2(Near(photo.pixel(20, 20), want), qPrintable(all[n - 1].Tiratore));
        }
        QCOMPARE(names.size(), 400);
    }
};

// One workstation for twoWorkstationsAddCards: adds cards through the real editor.
static int AddCards(const QString& request) {
    const QStringList parts = request.split(u'|');
    TestPlatform tp;
    tp.platform.programFolder = parts[0];
    Carvenna app(tp.platform);
    app.Start();
    TfrmTiratori* w = app.tiratori();
    w->show();
    const int station = parts[1].toInt();
    for (int i = 1; i <= parts[2].toInt(); ++i) {
        w->ui.cmdNuovo->click();
        w->ui.txtTiratore->setText(QStringLiteral("P%1-%2").arg(station).arg(i));
        w->ui.txtCodFisc->setText(QStringLiteral("X"));
        w->ui.txtStudio->setText(QStringLiteral("01/01/2027"));
        w->ui.txtEnte->setText(QStringLiteral("Retta"));
        w->ui.txtTessera->setText(QString::number(i));
        w->ui.txtFineTes->setText(QStringLiteral("01/01/2027"));
        w->ui.txtArmi->setText(QStringLiteral("Figlio"));
        w->SetPhoto(Solid(QColor(station * 100, i % 256, 60)));
        w->ui.cmdSalva->click();
        const QStringList shown = tp.messages.TakeTexts();
        if (shown != QStringList{kInserted})
            return 1;
    }
    return 0;
}

int main(int argc, char** argv) {
    QApplication a(argc, argv);
    const QString request = qEnvironmentVariable("CARVENNA_ADD_CARDS");
    if (!request.isEmpty())
        return AddCards(request);
    TestTiratori t;
    return QTest::qExec(&t, argc, argv);
}
#include "tst_tiratori.moc"
