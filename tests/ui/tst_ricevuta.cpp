// The receipt editor: browsing, New, Duplicate, Save with its checks and the file it writes,
// the behaviour of its fields, and the road of one receipt from the password to the year file.
#include "ModalHelper.h"
#include "TestPlatform.h"
#include "app/Avvio.h"
#include "app/Carvenna.h"
#include "app/Password.h"
#include "widgets/Calendario.h"
#include "receipts/MenuRicevute.h"
#include "receipts/Ricevuta.h"
#include "einvoice/FiscalData.h"
#include "receipts/ReceiptAmount.h"
#include "storage/IniFile.h"
#include "storage/ReceiptFile.h"
#include "storage/RecordFile.h"
#include "validators/CodFisc.h"
#include "validators/PartitaIva.h"
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QtTest>
#include <memory>

using Kind = Messages::Kind;

namespace {
const QString kAccess = QStringLiteral("Attenzione: il sistema non permette di accedere all'archivio.\n\r\n\r"
                                       "Accertarsi di possedere i privilegi di scrittura nella cartella di "
                                       "installazione del programma.");
const QString kEmpty = QStringLiteral("L'archivio non contiene nessuna ricevuta.");
const QString kInserted = QStringLiteral("La scheda corrente è stata inserita in archivio.");
const QString kUpdated = QStringLiteral("Le modifiche apportate alla scheda corrente sono state salvate in archivio.");
const QString kDupWarning = QStringLiteral(
    "Attenzione: questa funzione serve a duplicare una ricevuta che è già stata salvata in archivio.\n\r\n\r"
    "Visualizzare la ricevuta da duplicare e fare clic sul pulsante Duplica.");
const QString kDupDone =
    QStringLiteral("E' ora possibile apportare le proprie modifiche alla ricevuta corrente.\n\r\n\r"
                   "Al termine premere Salva per registrare i dati in archivio.");
const QString kWordsClick = QStringLiteral("Digitare l'importo in cifre nella casella del Totale.\n\r\n\r"
                                           "L'importo in lettere apparirà in automatico.");
const QString kSettingsWarning =
    QStringLiteral("Attenzione: impossibile salvare le impostazioni nella cartella del programma.");
const QString kToday = QStringLiteral("10/12/2026"); // the FixedClock's date

ReceiptRecord Sample(int i) {
    ReceiptRecord r;
    const QString n = QString::number(i);
    r.NumRic = QStringLiteral("R") + n;
    r.Data = QStringLiteral("0%1/03/2026").arg(i % 10);
    r.Importo = n + QStringLiteral("0");
    r.Cents = QStringLiteral("0") + n;
    r.ImpLettere = QStringLiteral("PAROLE ") + n; // deliberately not the words of Importo
    r.CentLettere = r.Cents;
    r.Intero = r.Importo + u',' + r.Cents;
    r.Ricevente01 = QStringLiteral("Scuola ") + n;
    r.Ricevente02 = QStringLiteral("Via Roma ") + n;
    r.Ricevente03 = QStringLiteral("Città ") + n;
    r.Ricevente04 = QStringLiteral("P.IVA ") + n;
    r.Pagatore = QStringLiteral("Pagatore ") + n;
    r.CodFisc = QStringLiteral("CODFISC") + n;
    r.Sport = QStringLiteral("Retta ") + n;
    r.Dal = QStringLiteral("01/0%1/2026").arg(i % 10);
    r.Al = QStringLiteral("28/0%1/2026").arg(i % 10);
    r.Praticante = QStringLiteral("Bimbo ") + n;
    r.LuogoNasc = QStringLiteral("Luogo ") + n;
    r.DataNasc = QStringLiteral("nato ") + n;
    r.Indirizzo = QStringLiteral("Contanti ") + n;
    return r;
}

QByteArray FileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The stored field at `offset`: its length byte and that many bytes after it.
QByteArray StoredField(const QByteArray& rec, int offset) {
    const int len = static_cast<unsigned char>(rec.at(offset));
    return rec.mid(offset + 1, len);
}
} // namespace

// One program with its editor on the 2026 file; Start() gives the real single instances, so the
// date picker finds the editor the way it does in the program.
QByteArray ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct Fixture {
    TestPlatform tp;
    Carvenna app{tp.platform};
    TfrmRicevuta* w = nullptr;
    QString file;

    Fixture() {
        app.Start();
        w = app.ricevuta();
        file = tp.Path(QStringLiteral("2026.ric"));
        w->ui.lblFile->setText(file);
        w->show();
    }

    void Store(int count) {
        ReceiptFile f;
        QVERIFY(f.OpenOrCreate(file));
        for (int i = 1; i <= count; ++i)
            QVERIFY(f.AppendRecord(Sample(i)));
        QVERIFY(f.Close());
    }
    void FillValid() {
        w->ui.txtNumRic->setText(QStringLiteral("7"));
        w->ui.txtData->setText(QStringLiteral("15/11/2026"));
        w->ui.txtPagatore->setText(QStringLiteral("Bianchi Anna"));
        w->ui.txtCodFisc->setText(QStringLiteral("BNCNNA80A41H501X"));
        w->ui.txtSport->setText(QStringLiteral("Retta di novembre"));
        w->ui.txtDal->setText(QStringLiteral("01/11/2026"));
        w->ui.txtAl->setText(QStringLiteral("30/11/2026"));
    }
    QVector<ReceiptRecord> Stored() {
        QVector<ReceiptRecord> all;
        ReceiptFile f;
        if (f.OpenOrCreate(file))
            f.ReadAll(all);
        f.Close();
        return all;
    }
    bool Activate() {
        w->activateWindow();
        return QTest::qWaitForWindowActive(w);
    }
};

// One message of this kind and text, and nothing else.
#define EXPECT_ONE_MESSAGE(fx, kindValue, textValue)                                                                   \
    do {                                                                                                               \
        const auto shown_ = (fx).tp.messages.Take();                                                                   \
        QCOMPARE(shown_.size(), 1);                                                                                    \
        QCOMPARE(int(shown_.first().kind), int(kindValue));                                                            \
        QCOMPARE(shown_.first().text, QString(textValue));                                                             \
    } while (0)

#define EXPECT_NO_MESSAGE(fx) QCOMPARE((fx).tp.messages.Take().size(), 0)

class TestRicevuta : public QObject {
    Q_OBJECT
private slots:
    void showResetsScreenAndReadsReceiverLines();
    void browse_data();
    void browse();
    void browseShowsStoredRecordAsStored();
    void browsePartialTrailingRecord();
    void archiveFailure_data();
    void archiveFailure();
    void newNumbering_data();
    void newNumbering();
    void newBadStart_data();
    void newBadStart();
    void duplicate();
    void saveChecks_data();
    void saveChecks();
    void saveNormalisesAmount_data();
    void saveNormalisesAmount();
    void saveAppendsThenOverwrites();
    void overwriteMiddleKeepsOthers();
    void saveShortWriteIsReported();
    void closeSavesReceiverLines();
    void closeKeepsLinesOverABlankReceipt();
    void schoolShownWhenNoLinesAreKept();
    void closeReportsUnwritableSettings();
    void hoverTexts_data();
    void hoverTexts();
    void amountWordsWhileTyping();
    void digitsOnlyBoxes();
    void centsBehaviour();
    void pastedTextInAmount();
    void wordsClickPointsToAmount();
    void enterRunsRoundTheRing();
    void tabOrder();
    void dateFieldKeys_data();
    void dateFieldKeys();
    void dateFieldDeleteEmpties();
    void taxCodeUpperCase();
    void taxCodeCheckWindow_data();
    void taxCodeCheckWindow();
    void roadOfOneReceipt();
};

void TestRicevuta::showResetsScreenAndReadsReceiverLines() {
    Fixture f;
    for (int i = 1; i <= 4; ++i)
        QVERIFY(IniWrite(f.app.SettingsPath(), "Ricevente", QStringLiteral("Rigo %1").arg(i),
                         QStringLiteral("Riga %1").arg(i)));
    f.w->ShowRecord(Sample(2), 2);
    f.w->hide();
    f.w->show();
    QCOMPARE(f.w->ui.txtRicevente01->text(), QStringLiteral("Riga 1"));
    QCOMPARE(f.w->ui.txtRicevente04->text(), QStringLiteral("Riga 4"));
    QCOMPARE(f.w->ui.txtData->text(), kToday);
    QCOMPARE(f.w->ui.txtCents->text(), QStringLiteral("00"));
    QCOMPARE(f.w->ui.txtCentLettere->text(), QStringLiteral("00"));
    for (QWidget* e : {(QWidget*)f.w->ui.txtNumRic, (QWidget*)f.w->ui.txtImporto, (QWidget*)f.w->ui.txtPagatore,
                       (QWidget*)f.w->ui.txtIndirizzo})
        QVERIFY(static_cast<QLineEdit*>(e)->text().isEmpty());
    QVERIFY(f.w->ui.txtImpLettere->text().isEmpty());
    QVERIFY(f.w->ui.txtIntero->text().isEmpty());
    QVERIFY(f.w->ui.lblPosizione->text().isEmpty());
    QCOMPARE(f.w->focusWidget(), f.w->ui.txtPagatore);
    QVERIFY(f.w->ui.lblPosizione->isVisible());
    QVERIFY(!f.w->ui.lblFile->isVisible() && !f.w->ui.lblInizio->isVisible() && !f.w->ui.txtIntero->isVisible());
    EXPECT_NO_MESSAGE(f);
}

void TestRicevuta::browse_data() {
    QTest::addColumn<int>("stored");
    QTest::addColumn<QString>("from");   // lblPosizione before
    QTest::addColumn<QString>("action"); // cmd button
    QTest::addColumn<QString>("to");     // lblPosizione after
    QTest::addColumn<bool>("notice");    // the empty-archive notice
    QTest::newRow("empty first") << 0 << ""
                                 << "cmdPrimo"
                                 << "" << true;
    QTest::newRow("empty last") << 0 << ""
                                << "cmdUltimo"
                                << "" << true;
    QTest::newRow("empty next") << 0 << ""
                                << "cmdAvanti"
                                << "" << true;
    QTest::newRow("empty next clears a stale position") << 0 << "5"
                                                        << "cmdAvanti"
                                                        << "" << true;
    QTest::newRow("empty previous") << 0 << ""
                                    << "cmdIndietro"
                                    << "" << true;
    QTest::newRow("first") << 3 << "2"
                           << "cmdPrimo"
                           << "1" << false;
    QTest::newRow("last") << 3 << ""
                          << "cmdUltimo"
                          << "3" << false;
    QTest::newRow("next from none") << 3 << ""
                                    << "cmdAvanti"
                                    << "1" << false;
    QTest::newRow("next") << 3 << "1"
                          << "cmdAvanti"
                          << "2" << false;
    QTest::newRow("next on last does nothing") << 3 << "3"
                                               << "cmdAvanti"
                                               << "3" << false;
    QTest::newRow("previous from none") << 3 << ""
                                        << "cmdIndietro"
                                        << "1" << false;
    QTest::newRow("previous") << 3 << "3"
                              << "cmdIndietro"
                              << "2" << false;
    QTest::newRow("previous to first") << 3 << "2"
                                       << "cmdIndietro"
                                       << "1" << false;
    QTest::newRow("previous on first does nothing") << 3 << "1"
                                                    << "cmdIndietro"
                                                    << "1" << false;
}

void TestRicevuta::browse() {
    QFETCH(int, stored);
    QFETCH(QString, from);
    QFETCH(QString, action);
    QFETCH(QString, to);
    QFETCH(bool, notice);
    Fixture f;
    f.Store(stored);
    f.w->ui.lblPosizione->setText(from);
    f.w->ui.txtNumRic->setText(QStringLiteral("on screen"));
    QTest::mouseClick(f.w->findChild<QToolButton*>(action), Qt::LeftButton);
    if (notice)
        EXPECT_ONE_MESSAGE(f, Kind::Information, kEmpty);
    else
        EXPECT_NO_MESSAGE(f);
    QCOMPARE(f.w->ui.lblPosizione->text(), to);
    // A no-op leaves the screen alone; a move shows the record of the new position.
    const bool moved = !notice && to != from;
    QCOMPARE(f.w->ui.txtNumRic->text(), moved ? QStringLiteral("R") + to : QStringLiteral("on screen"));
    QVERIFY(QFile::exists(f.file)); // a year never opened gets its empty file
}

void TestRicevuta::browseShowsStoredRecordAsStored() {
    Fixture f;
    f.Store(2);
    QTest::mouseClick(f.w->ui.cmdUltimo, Qt::LeftButton);
    // Every field lands in its own control, the words as stored and not recomputed.
    QCOMPARE(f.w->RecordFromScreen(), Sample(2));
    QCOMPARE(f.w->ui.txtImpLettere->text(), QStringLiteral("PAROLE 2"));
}

void TestRicevuta::browsePartialTrailingRecord() {
    Fixture f;
    f.Store(2);
    {
        QFile raw(f.file);
        QVERIFY(raw.open(QIODevice::Append));
        raw.write(QByteArray(500, 'x'));
    }
    QTest::mouseClick(f.w->ui.cmdUltimo, Qt::LeftButton);
    QCOMPARE(f.w->ui.lblPosizione->text(), QStringLiteral("2"));
    QCOMPARE(f.w->ui.txtNumRic->text(), QStringLiteral("R2"));
    QTest::mouseClick(f.w->ui.cmdAvanti, Qt::LeftButton);
    QCOMPARE(f.w->ui.lblPosizione->text(), QStringLiteral("2"));
    QTest::mouseClick(f.w->ui.cmdNuovo, Qt::LeftButton);
    QCOMPARE(f.w->ui.txtNumRic->text(), QStringLiteral("3"));
    f.FillValid();
    QTest::mouseClick(f.w->ui.cmdSalva, Qt::LeftButton);
    EXPECT_ONE_MESSAGE(f, Kind::Information, kInserted);
    QCOMPARE(f.w->ui.lblPosizione->text(), QStringLiteral("3"));
    QCOMPARE(QFileInfo(f.file).size(), qint64(3 * ReceiptRecord::Size));
    QCOMPARE(f.Stored().value(2).Pagatore, QStringLiteral("Bianchi Anna"));
}

void TestRicevuta::archiveFailure_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("kind");
    QTest::newRow("first") << "cmdPrimo" << int(Kind::Warning);
    QTest::newRow("previous") << "cmdIndietro" << int(Kind::Error);
    QTest::newRow("next") << "cmdAvanti" << int(Kind::Error);
    QTest::newRow("last") << "cmdUltimo" << int(Kind::Error);
    QTest::newRow("new") << "cmdNuovo" << int(Kind::Error);
    QTest::newRow("duplicate") << "cmdDuplica" << int(Kind::Error);
    QTest::newRow("save") << "cmdSalva" << int(Kind::Warning);
}

void TestRicevuta::archiveFailure() {
    QFETCH(QString, action);
    QFETCH(int, kind);
    Fixture f;
    QVERIFY(QDir().mkpath(f.file)); // a folder where the year file should be
    f.FillValid();
    f.w->ui.lblPosizione->setText(action == QLatin1String("cmdDuplica") ? QStringLiteral("2") : QString());
    QTest::mouseClick(f.w->findChild<QToolButton*>(action), Qt::LeftButton);
    EXPECT_ONE_MESSAGE(f, kind, kAccess);
    if (action == QLatin1String("cmdSalva") || action == QLatin1String("cmdNuovo"))
        QVERIFY(f.w->ui.lblPosizione->text().isEmpty());
    if (action == QLatin1String("cmdNuovo"))
        QCOMPARE(f.w->ui.txtNumRic->text(), QStringLiteral("7")); // no number proposed
}

void TestRicevuta::newNumbering_data() {
    QTest::addColumn<QString>("start"); // "-" for no settings file
    QTest::addColumn<int>("stored");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("inizio");
    QTest::newRow("new year") << "-" << 0 << "1"
                              << "1";
    QTest::newRow("default start") << "-" << 2 << "3"
                                   << "1";
    QTest::newRow("empty key") << "" << 2 << "3"
                               << "1";
    QTest::newRow("start 100, 5 stored") << "100" << 5 << "105"
                                         << "100";
    QTest::newRow("start 50, 3 stored") << "50" << 3 << "53"
                                        << "50";
    QTest::newRow("start 0") << "0" << 0 << "0"
                             << "0";
    QTest::newRow("leading zeros") << "007" << 1 << "8"
                                   << "007";
}

void TestRicevuta::newNumbering() {
    QFETCH(QString, start);
    QFETCH(int, stored);
    QFETCH(QString, number);
    QFETCH(QString, inizio);
    Fixture f;
    if (start != QLatin1String("-"))
        QVERIFY(IniWrite(f.app.SettingsPath(), "Numerazione Ricevute", "Inizio", start));
    f.Store(stored);
    f.w->ShowRecord(Sample(1), 1);
    QTest::mouseClick(f.w->ui.cmdNuovo, Qt::LeftButton);
    EXPECT_NO_MESSAGE(f);
    QCOMPARE(f.w->ui.txtNumRic->text(), number);
    QCOMPARE(f.w->ui.lblInizio->text(), inizio);
    QVERIFY(f.w->ui.lblPosizione->text().isEmpty());
    QCOMPARE(f.w->ui.txtData->text(), kToday);
    QCOMPARE(f.w->ui.txtIntero->text(), QStringLiteral("0,00"));
    QCOMPARE(f.w->ui.txtCents->text(), QStringLiteral("00"));
    QVERIFY(f.w->ui.txtPagatore->text().isEmpty() && f.w->ui.txtImpLettere->text().isEmpty());
    QCOMPARE(f.w->ui.txtRicevente01->text(), QStringLiteral("Scuola 1")); // receiver lines stay
    QCOMPARE(f.w->focusWidget(), f.w->ui.txtPagatore);
    QCOMPARE(QFileInfo(f.file).size(), qint64(stored) * ReceiptRecord::Size); // nothing written
}

void TestRicevuta::newBadStart_data() {
    QTest::addColumn<QString>("start");
    QTest::newRow("letters") << "abc";
    QTest::newRow("decimal") << "1,5";
    QTest::newRow("too large") << "99999999999";
}

void TestRicevuta::newBadStart() {
    QFETCH(QString, start);
    Fixture f;
    QVERIFY(IniWrite(f.app.SettingsPath(), "Numerazione Ricevute", "Inizio", start));
    f.w->ui.txtNumRic->setText(QStringLiteral("12"));
    QTest::mouseClick(f.w->ui.cmdNuovo, Qt::LeftButton);
    EXPECT_ONE_MESSAGE(f, Kind::Error, kAccess);
    QCOMPARE(f.w->ui.txtNumRic->text(), QStringLiteral("12"));
}

void TestRicevuta::duplicate() {
    Fixture f;
    f.Store(3);
    // Nothing stored on screen: the warning, and nothing changes.
    f.w->ui.txtNumRic->setText(QStringLiteral("44"));
    QTest::mouseClick(f.w->ui.cmdDuplica, Qt::LeftButton);
    EXPECT_ONE_MESSAGE(f, Kind::Warning, kDupWarning);
    QCOMPARE(f.w->ui.txtNumRic->text(), QStringLiteral("44"));

    QTest::mouseClick(f.w->ui.cmdUltimo, Qt::LeftButton);
    QTest::mouseClick(f.w->ui.cmdDuplica, Qt::LeftButton);
    EXPECT_ONE_MESSAGE(f, Kind::Information, kDupDone);
    QVERIFY(f.w->ui.lblPosizione->text().isEmpty());
    QVERIFY(f.w->ui.txtNumRic->text().isEmpty());
    QCOMPARE(f.w->ui.txtData->text(), kToday);
    QCOMPARE(f.w->ui.txtPagatore->text(), QStringLiteral("Pagatore 3"));
    QCOMPARE(f.w->focusWidget(), f.w->ui.txtNumRic);
    QCOMPARE(QFileInfo(f.file).size(), qint64(3 * ReceiptRecord::Size));

    // Saving the duplicate appends a fourth receipt and leaves the third as it was.
    QTest::keyClicks(f.w->ui.txtNumRic, "4");
    QTest::mouseClick(f.w->ui.cmdSalva, Qt::LeftButton);
    EXPECT_ONE_MESSAGE(f, Kind::Information, kInserted);
    QCOMPARE(f.w->ui.lblPosizione->text(), QStringLiteral("4"));
    const auto all = f.Stored();
    QCOMPARE(all.size(), 4);
    QCOMPARE(all[2], Sample(3));
    QCOMPARE(all[3].Pagatore, QStringLiteral("Pagatore 3"));
    QCOMPARE(all[3].NumRic, QStringLiteral("4"));
}

void TestRicevuta::saveChecks_data() {
    QTest::addColumn<int>("failing"); // index in the order of the checks
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");
    QTest::newRow("number")
        << 0 << " "
        << "Attenzione: per salvare la scheda è necessario indicare il numero progressivo della ricevuta."
        << "txtNumRic";
    QTest::newRow("date empty")
        << 1 << ""
        << "Attenzione: per salvare la scheda è necessario indicare la data di emissione della ricevuta."
        << "txtData";
    QTest::newRow("date not a day") << 2 << "31/02/2026"
                                    << "Attenzione: la data indicata non esiste.\n\r\n\rPer poter salvare la scheda è "
                                       "necessario indicare una data valida nel formato gg/mm/anno."
                                    << "txtData";
    QTest::newRow("date loose form") << 2 << "1/2/2026"
                                     << "Attenzione: la data indicata non esiste.\n\r\n\rPer poter salvare la scheda è "
                                        "necessario indicare una data valida nel formato gg/mm/anno."
                                     << "txtData";
    QTest::newRow("payer") << 3 << ""
                           << "Attenzione: per salvare la scheda è necessario indicare il nome del pagatore."
                           << "txtPagatore";
    QTest::newRow("tax code")
        << 4 << "  "
        << "Attenzione: per salvare la scheda è necessario indicare il codice fiscale del pagatore."
        << "txtCodFisc";
    QTest::newRow("cause") << 5 << ""
                           << "Attenzione: per salvare la scheda è necessario indicare la causale di pagamento."
                           << "txtSport";
    QTest::newRow("period start") << 6 << ""
                                  << "Attenzione: per salvare la scheda è necessario indicare la data di inizio del "
                                     "periodo a cui il pagamento si riferisce."
                                  << "txtDal";
    QTest::newRow("period end") << 7 << ""
                                << "Attenzione: per salvare la scheda è necessario indicare la data di scadenza del "
                                   "periodo a cui il pagamento si riferisce."
                                << "txtAl";
}

void TestRicevuta::saveChecks() {
    QFETCH(int, failing);
    QFETCH(QString, value);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    Fixture f;
    f.FillValid();
    // The failing field and every field checked after it are wrong: the first check wins.
    QLineEdit* const order[] = {f.w->ui.txtNumRic,  f.w->ui.txtData,  f.w->ui.txtData, f.w->ui.txtPagatore,
                                f.w->ui.txtCodFisc, f.w->ui.txtSport, f.w->ui.txtDal,  f.w->ui.txtAl};
    for (int i = failing + 1; i < 8; ++i)
        if (order[i] != order[failing])
            order[i]->clear();
    order[failing]->setText(value);
    QTest::mouseClick(f.w->ui.cmdSalva, Qt::LeftButton);
    EXPECT_ONE_MESSAGE(f, Kind::Warning, message);
    QCOMPARE(f.w->focusWidget()->objectName(), focus);
    QVERIFY(!QFile::exists(f.file)); // nothing opened, nothing written
    QVERIFY(f.w->ui.lblPosizione->text().isEmpty());
}

void TestRicevuta::saveNormalisesAmount_data() {
    QTest::addColumn<QString>("importo");
    QTest::addColumn<QString>("cents");
    QTest::addColumn<QString>("storedImporto");
    QTest::addColumn<QString>("storedCents");
    QTest::addColumn<QString>("intero");
    QTest::newRow("nothing typed") << ""
                                   << ""
                                   << "0"
                                   << "00"
                                   << "0,00";
    QTest::newRow("blank amount") << "  "
                                  << "00"
                                  << "0"
                                  << "00"
                                  << "0,00";
    QTest::newRow("cents cleared") << "3"
                                   << ""
                                   << "3"
                                   << "00"
                                   << "3,00";
    QTest::newRow("one cent digit") << "12"
                                    << "7"
                                    << "12"
                                    << "70"
                                    << "12,70";
    QTest::newRow("euro and cents") << "1250"
                                    << "05"
                                    << "1250"
                                    << "05"
                                    << "1250,05";
    QTest::newRow("zero euro") << "0"
                               << "00"
                               << "0"
                               << "00"
                               << "0,00";
}

void TestRicevuta::saveNormalisesAmount() {
    QFETCH(QString, importo);
    QFETCH(QString, cents);
    QFETCH(QString, storedImporto);
    QFETCH(QString, storedCents);
    QFETCH(QString, intero);
    Fixture f;
    f.FillValid();
    f.w->ui.txtImporto->setText(importo);
    f.w->ui.txtCents->clear();
    QTest::keyClicks(f.w->ui.txtCents, cents);
    QTest::mouseClick(f.w->ui.cmdSalva, Qt::LeftButton);
    EXPECT_ONE_MESSAGE(f, Kind::Information, kInserted);
    QCOMPARE(f.w->ui.txtCents->text(), storedCents);
    QCOMPARE(f.w->ui.txtCentLettere->text(), storedCents);
    QCOMPARE(f.w->ui.txtIntero->text(), intero);
    const auto all = f.Stored();
    QCOMPARE(all.size(), 1);
    QCOMPARE(all[0].Importo, storedImporto);
    QCOMPARE(all[0].Cents, storedCents);
    QCOMPARE(all[0].CentLettere, storedCents);
    QCOMPARE(all[0].Intero, intero);
}

void TestRicevuta::saveAppendsThenOverwrites() {
    Fixture f;
    f.Store(1);
    QTest::mouseClick(f.w->ui.cmdNuovo, Qt::LeftButton);
    f.FillValid();
    f.w->ui.txtNumRic->setText(QStringLiteral("  2  "));
    QTest::mouseClick(f.w->ui.cmdSalva, Qt::LeftButton);
    EXPECT_ONE_MESSAGE(f, Kind::Information, kInserted);
    QCOMPARE(f.w->ui.lblPosizione->text(), QStringLiteral("2"));
    QByteArray bytes = FileBytes(f.file);
    QCOMPARE(bytes.size(), 2 * ReceiptRecord::Size);
    QCOMPARE(StoredField(bytes.mid(ReceiptRecord::Size), 0), QByteArray("2")); // trimmed

    // Saving again overwrites the same record in place.
    f.w->ui.txtPagatore->setText(QStringLiteral("Verdi Luca"));
    QTest::mouseClick(f.w->ui.cmdSalva, Qt::LeftButton);
    EXPECT_ONE_MESSAGE(f, Kind::Information, kUpdated);
    QCOMPARE(f.w->ui.lblPosizione->text(), QStringLiteral("2"));
    bytes = FileBytes(f.file);
    QCOMPARE(bytes.size(), 2 * ReceiptRecord::Size);
    QCOMPARE(StoredField(bytes.mid(ReceiptRecord::Size), 524), QByteArray("Verdi Luca"));
    QCOMPARE(f.Stored().value(0), Sample(1));
}

void TestRicevuta::overwriteMiddleKeepsOthers() {
    Fixture f;
    f.Store(5);
    const QByteArray before = FileBytes(f.file);
    QTest::mouseClick(f.w->ui.cmdUltimo, Qt::LeftButton);
    QTest::mouseClick(f.w->ui.cmdIndietro, Qt::LeftButton);
    QTest::mouseClick(f.w->ui.cmdIndietro, Qt::LeftButton);
    QCOMPARE(f.w->ui.lblPosizione->text(), QStringLiteral("3"));
    f.w->ui.txtPagatore->setText(QStringLiteral("Neri Carla"));
    QTest::mouseClick(f.w->ui.cmdSalva, Qt::LeftButton);
    EXPECT_ONE_MESSAGE(f, Kind::Information, kUpdated);
    const QByteArray after = FileBytes(f.file);
    QCOMPARE(after.size(), before.size());
    const int size = ReceiptRecord::Size;
    for (int i : {0, 1, 3, 4})
        QVERIFY2(after.mid(i * size, size) == before.mid(i * size, size), qPrintable(QString::number(i + 1)));
    QCOMPARE(StoredField(after.mid(2 * size, size), 524), QByteArray("Neri Carla"));
}

void TestRicevuta::saveShortWriteIsReported() {
    Fixture f;
    f.FillValid();
    RecordFile::InjectShortWrite(100);
    QTest::mouseClick(f.w->ui.cmdSalva, Qt::LeftButton);
    RecordFile::InjectShortWrite(-1);
    EXPECT_ONE_MESSAGE(f, Kind::Warning, kAccess); // never the success message
    QVERIFY(f.w->ui.lblPosizione->text().isEmpty());
}

void TestRicevuta::closeSavesReceiverLines() {
    Fixture f;
    f.Store(2);
    QTest::mouseClick(f.w->ui.cmdPrimo, Qt::LeftButton);
    f.w->ui.txtRicevente02->setText(QStringLiteral("  Via Verdi 3 "));
    QTest::mouseClick(f.w->ui.cmdEsci, Qt::LeftButton);
    EXPECT_NO_MESSAGE(f);
    QVERIFY(!f.w->isVisible());
    QVERIFY(f.app.avvio()->isVisible());
    QCOMPARE(IniRead(f.app.SettingsPath(), "Ricevente", "Rigo 1"), QStringLiteral("Scuola 1"));
    QCOMPARE(IniRead(f.app.SettingsPath(), "Ricevente", "Rigo 2"), QStringLiteral("Via Verdi 3"));
    QCOMPARE(IniRead(f.app.SettingsPath(), "Ricevente", "Rigo 4"), QStringLiteral("P.IVA 1"));
}

// A receipt stored without receiver lines (a batch before they had them) is browsed, then the editor is
// closed: the kept lines stay, so the next batch still has the school.
void TestRicevuta::closeKeepsLinesOverABlankReceipt() {
    Fixture f;
    for (int i = 1; i <= 4; ++i)
        QVERIFY(IniWrite(f.app.SettingsPath(), "Ricevente", QStringLiteral("Rigo %1").arg(i),
                         QStringLiteral("Riga %1").arg(i)));
    ReceiptRecord blank = Sample(1);
    blank.Ricevente01 = blank.Ricevente02 = blank.Ricevente03 = blank.Ricevente04 = QString();
    ReceiptFile file;
    QVERIFY(file.OpenOrCreate(f.file));
    QVERIFY(file.AppendRecord(blank));
    QVERIFY(file.Close());
    f.w->hide();
    f.w->show();
    QTest::mouseClick(f.w->ui.cmdPrimo, Qt::LeftButton);
    QVERIFY(f.w->ui.txtRicevente01->text().isEmpty());
    const QByteArray before = ReadFile(f.app.SettingsPath());
    QTest::mouseClick(f.w->ui.cmdEsci, Qt::LeftButton);
    EXPECT_NO_MESSAGE(f);
    QCOMPARE(ReadFile(f.app.SettingsPath()), before);
    QCOMPARE(ReadReceiverLines(f.app.SettingsPath()), (QStringList{"Riga 1", "Riga 2", "Riga 3", "Riga 4"}));
}

// No receiver lines kept: a new receipt shows the school from "Dati fiscali", and closing does not copy
// them into the settings, so that a change of the fiscal data reaches the next receipts.
void TestRicevuta::schoolShownWhenNoLinesAreKept() {
    Fixture f;
    FiscalData school;
    school.denominazione = QStringLiteral("Asilo Nido Il Girasole");
    school.partitaIva = QStringLiteral("01234567897");
    school.indirizzo = QStringLiteral("Via Roma 12");
    school.cap = QStringLiteral("20121");
    school.comune = QStringLiteral("Milano");
    QVERIFY(SaveFiscalData(f.app.SettingsPath(), school));
    f.w->hide();
    f.w->show();
    QCOMPARE(f.w->ui.txtRicevente01->text(), QStringLiteral("Asilo Nido Il Girasole"));
    QCOMPARE(f.w->ui.txtRicevente02->text(), QStringLiteral("Via Roma 12"));
    QCOMPARE(f.w->ui.txtRicevente03->text(), QStringLiteral("20121 Milano"));
    QCOMPARE(f.w->ui.txtRicevente04->text(), QStringLiteral("P. IVA 01234567897"));
    QTest::mouseClick(f.w->ui.cmdEsci, Qt::LeftButton);
    EXPECT_NO_MESSAGE(f);
    QCOMPARE(ReadReceiverLines(f.app.SettingsPath()), (QStringList{"", "", "", ""}));
    // Typed over, they are the office's own lines and are kept.
    f.w->show();
    f.w->ui.txtRicevente01->setText(QStringLiteral("Nido Girasole"));
    QTest::mouseClick(f.w->ui.cmdEsci, Qt::LeftButton);
    EXPECT_NO_MESSAGE(f);
    QCOMPARE(ReadReceiverLines(f.app.SettingsPath()).value(0), QStringLiteral("Nido Girasole"));
}

void TestRicevuta::closeReportsUnwritableSettings() {
    Fixture f;
    QVERIFY(QDir().mkpath(f.app.SettingsPath())); // a folder in place of Trelvani.ini
    f.w->ui.txtRicevente01->setText(QStringLiteral("Scuola"));
    f.w->close();
    EXPECT_ONE_MESSAGE(f, Kind::Warning, kSettingsWarning);
    QVERIFY(!f.w->isVisible());
    QVERIFY(f.app.avvio()->isVisible());
}

void TestRicevuta::hoverTexts_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("text");
    QTest::newRow("cmdNuovo") << "cmdNuovo"
                              << "Prepara la schermata per l'emissione di una nuova ricevuta.";
    QTest::newRow("cmdDuplica")
        << "cmdDuplica"
        << "Prepara la schermata per l'emissione di una nuova ricevuta duplicando i dati correnti.";
    QTest::newRow("cmdSalva") << "cmdSalva"
                              << "Salva o aggiorna la ricevuta corrente.";
    QTest::newRow("cmdTrova") << "cmdTrova"
                              << "Trova una ricevuta in archivio.";
    QTest::newRow("cmdAnteprima") << "cmdAnteprima"
                                  << "Visualizza l'anteprima di stampa della ricevuta corrente.";
    QTest::newRow("cmdStampa") << "cmdStampa"
                               << "Stampa la ricevuta corrente.";
    QTest::newRow("cmdPrimo") << "cmdPrimo"
                              << "Visualizza la prima ricevuta in archivio.";
    QTest::newRow("cmdIndietro") << "cmdIndietro"
                                 << "Visualizza la ricevuta precedente in archivio.";
    QTest::newRow("cmdAvanti") << "cmdAvanti"
                               << "Visualizza la ricevuta successiva in archivio.";
    QTest::newRow("cmdUltimo") << "cmdUltimo"
                               << "Visualizza l'ultima ricevuta in archivio.";
    QTest::newRow("cmdEsporta")
        << "cmdEsporta"
        << "Esporta l'archivio annuale delle ricevute in un foglio di lavoro di Microsoft Excel.";
    QTest::newRow("cmdNumerazione") << "cmdNumerazione"
                                    << "Imposta il numero iniziale per la numerazione automatica delle ricevute.";
    QTest::newRow("cmdGuida") << "cmdGuida"
                              << "Visualizza la guida in linea sensibile al contesto.";
    QTest::newRow("cmdEsci") << "cmdEsci"
                             << "Esci da questo ambiente di lavoro.";
    QTest::newRow("cmdLogo") << "cmdLogo"
                             << "Carica il logo.";
    QTest::newRow("impPagatore") << "impPagatore"
                                 << "Importa i dati dall'archivio anagrafico.";
    QTest::newRow("btnCodFisc") << "btnCodFisc"
                                << "Controlla il codice fiscale.";
}

void TestRicevuta::hoverTexts() {
    QFETCH(QString, control);
    QFETCH(QString, text);
    Fixture f;
    QCOMPARE(f.w->ui.panInfo->text(), QStringLiteral("Pronto per archiviare una nuova ricevuta..."));
    auto* button = f.w->findChild<QAbstractButton*>(control);
    QVERIFY(button && button->isVisible());
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(button, &enter);
    QCOMPARE(f.w->ui.panInfo->text(), text);
    QTest::mouseMove(f.w->ui.panRicevuta, QPoint(5, 5));
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(f.w->ui.panRicevuta, &move);
    QVERIFY(f.w->ui.panInfo->text().isEmpty());
}

void TestRicevuta::amountWordsWhileTyping() {
    Fixture f;
    QLineEdit* amount = f.w->ui.txtImporto;
    const char* const expected[] = {"UNO", "DODICI", "CENTOVENTI"};
    const char typed[] = {'1', '2', '0'};
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(amount, typed[i]);
        QCOMPARE(f.w->ui.txtImpLettere->text(), QString::fromLatin1(expected[i]));
    }
    QTest::keyClick(amount, Qt::Key_Backspace);
    QCOMPARE(f.w->ui.txtImpLettere->text(), QStringLiteral("DODICI"));
    QTest::keyClick(amount, Qt::Key_Backspace);
    QTest::keyClick(amount, Qt::Key_Backspace);
    QVERIFY(amount->text().isEmpty());
    QVERIFY(f.w->ui.txtImpLettere->text().isEmpty());
    QTest::keyClicks(amount, "99999999");
    QCOMPARE(f.w->ui.txtImpLettere->text(),
             QStringLiteral("NOVANTANOVEMILIONINOVECENTONOVANTANOVEMILANOVECENTONOVANTANOVE"));
    QTest::keyClick(amount, '9'); // the ninth digit does not fit
    QCOMPARE(amount->text(), QStringLiteral("99999999"));
}

void TestRicevuta::digitsOnlyBoxes() {
    Fixture f;
    for (QLineEdit* box : {f.w->ui.txtImporto, f.w->ui.txtCents}) {
        box->clear();
        QTest::keyClicks(box, "a,.- ");
        QVERIFY2(box->text().isEmpty(), qPrintable(box->objectName()));
        QTest::keyClicks(box, "4x2");
        QCOMPARE(box->text(), QStringLiteral("42"));
        QTest::keyClick(box, Qt::Key_Left);
        QTest::keyClick(box, Qt::Key_Delete);
        QCOMPARE(box->text(), QStringLiteral("4"));
    }
    QCOMPARE(f.w->ui.txtImpLettere->text(), QStringLiteral("QUATTRO"));
}

void TestRicevuta::centsBehaviour() {
    Fixture f;
    QVERIFY(f.Activate());
    QLineEdit* cents = f.w->ui.txtCents;
    cents->setFocus();
    cents->clear();
    QTest::keyClick(cents, '5');
    QCOMPARE(f.w->ui.txtCentLettere->text(), QStringLiteral("5"));
    f.w->ui.txtPagatore->setFocus(); // leaving the cents
    QCOMPARE(cents->text(), QStringLiteral("50"));
    QCOMPARE(f.w->ui.txtCentLettere->text(), QStringLiteral("50"));

    cents->setFocus();
    cents->selectAll();
    QTest::keyClick(cents, Qt::Key_Backspace);
    QVERIFY(f.w->ui.txtCentLettere->text().isEmpty());
    f.w->ui.txtPagatore->setFocus();
    QCOMPARE(cents->text(), QStringLiteral("00"));
    QCOMPARE(f.w->ui.txtCentLettere->text(), QStringLiteral("00"));
}

void TestRicevuta::pastedTextInAmount() {
    Fixture f;
    f.FillValid();
    QLineEdit* amount = f.w->ui.txtImporto;
    QTest::keyClicks(amount, "12");
    QCOMPARE(f.w->ui.txtImpLettere->text(), QStringLiteral("DODICI"));
    QApplication::clipboard()->setText(QStringLiteral("dodici euro"));
    amount->selectAll();
    amount->paste();                                      // the context menu's paste: the key filter never sees it
    QCOMPARE(amount->text(), QStringLiteral("dodici e")); // cut to the box's 8 characters
    QTest::keyClick(amount, Qt::Key_Right);
    QVERIFY(f.w->ui.txtImpLettere->text().isEmpty()); // no words for what is not a number
    QTest::mouseClick(f.w->ui.cmdSalva, Qt::LeftButton);
    EXPECT_ONE_MESSAGE(f, Kind::Information, kInserted);
    const auto all = f.Stored();
    QCOMPARE(all.size(), 1);
    QCOMPARE(all[0].Importo, QStringLiteral("dodici e"));
    QCOMPARE(all[0].Intero, QStringLiteral("dodici e,00"));
    QVERIFY(all[0].ImpLettere.isEmpty());
}

void TestRicevuta::wordsClickPointsToAmount() {
    Fixture f;
    for (QWidget* target : {(QWidget*)f.w->ui.txtImpLettere, (QWidget*)f.w->ui.bkgLettere}) {
        f.w->ui.txtPagatore->setFocus();
        QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(2, 2));
        EXPECT_ONE_MESSAGE(f, Kind::Information, kWordsClick);
        QCOMPARE(f.w->focusWidget(), f.w->ui.txtImporto);
    }
}

static QStringList Ring() {
    return {"txtRicevente01", "txtRicevente02", "txtRicevente03", "txtRicevente04", "txtNumRic", "txtData",
            "txtPagatore",    "txtCodFisc",     "txtSport",       "txtDal",         "txtAl",     "txtPraticante",
            "txtLuogoNasc",   "txtDataNasc",    "txtIndirizzo",   "txtImporto",     "txtCents"};
}

void TestRicevuta::enterRunsRoundTheRing() {
    Fixture f;
    QVERIFY(f.Activate());
    f.FillValid();
    const QStringList ring = Ring();
    f.w->findChild<QLineEdit*>(ring.first())->setFocus();
    for (int i = 0; i < ring.size(); ++i) {
        QWidget* current = QApplication::focusWidget();
        QCOMPARE(current->objectName(), ring[i]);
        QTest::keyClick(current, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget()->objectName(), ring[(i + 1) % ring.size()]);
    }
    // Enter never saved or opened anything on the way (the date fields included).
    EXPECT_NO_MESSAGE(f);
    QVERIFY(!QFile::exists(f.file));
    QCOMPARE(f.w->ui.txtData->text(), QStringLiteral("15/11/2026"));
}

void TestRicevuta::tabOrder() {
    Fixture f;
    QVERIFY(f.Activate());
    const QStringList ring = Ring();
    f.w->findChild<QLineEdit*>(ring.first())->setFocus();
    for (int i = 1; i < ring.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), ring[i]);
    }
}

void TestRicevuta::dateFieldKeys_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("context");
    QTest::newRow("issue date") << "txtData"
                                << "data";
    QTest::newRow("period start") << "txtDal"
                                  << "dal";
    QTest::newRow("period end") << "txtAl"
                                << "Al";
}

void TestRicevuta::dateFieldKeys() {
    QFETCH(QString, field);
    QFETCH(QString, context);
    Fixture f;
    auto* box = f.w->findChild<QLineEdit*>(field);
    QVERIFY(box->isReadOnly());
    box->setText(QStringLiteral("05/05/2026"));

    // Space opens a picker with the field's context; "Importa" writes the chosen day.
    QString seen;
    std::unique_ptr<ModalHelper> pick(ModalHelper::When<TfrmCalendario>([&](TfrmCalendario* d) {
        seen = d->ui.lblMemory->text();
        d->ui.calAppuntamenti->setSelectedDate(QDate(2026, 9, 1));
        d->ui.btnImportaData->click();
    }));
    QTest::keyClick(box, Qt::Key_Space);
    QVERIFY(pick->Handled());
    QCOMPARE(seen, context);
    QCOMPARE(box->text(), QStringLiteral("01/09/2026"));

    // A letter opens it as well; cancelling leaves the field as it was.
    std::unique_ptr<ModalHelper> cancel(
        ModalHelper::When<TfrmCalendario>([](TfrmCalendario* d) { d->ui.btnAnnulla->click(); }));
    QTest::keyClick(box, Qt::Key_A);
    QVERIFY(cancel->Handled());
    QCOMPARE(box->text(), QStringLiteral("01/09/2026"));
    EXPECT_NO_MESSAGE(f);
}

void TestRicevuta::dateFieldDeleteEmpties() {
    Fixture f;
    // Any modal here would be a fault: record it and close it at once.
    ModalHelper none([](QWidget*) { return true; },
                     [](QWidget* w) {
                         if (auto* d = qobject_cast<QDialog*>(w))
                             d->reject();
                     });
    for (auto key : {Qt::Key_Delete, Qt::Key_Backspace}) {
        f.w->ui.txtDal->setText(QStringLiteral("01/10/2026"));
        QTest::keyClick(f.w->ui.txtDal, key);
        QVERIFY(f.w->ui.txtDal->text().isEmpty());
    }
    QTest::keyClick(f.w->ui.txtDal, Qt::Key_Shift); // a modifier on its own (Shift+Tab) opens nothing
    QTest::qWait(50);
    QVERIFY(!none.Handled());
}

void TestRicevuta::taxCodeUpperCase() {
    Fixture f;
    QLineEdit* code = f.w->ui.txtCodFisc;
    QTest::keyClicks(code, "rss");
    QCOMPARE(code->text(), QStringLiteral("RSS"));
    QTest::keyClick(code, ' ');
    QCOMPARE(code->text(), QStringLiteral("RSS")); // a blank at the end goes at once
    QTest::keyClicks(code, "mra80");
    QCOMPARE(code->text(), QStringLiteral("RSSMRA80"));
    // Typing in the middle keeps the cursor where the user is writing.
    code->setCursorPosition(3);
    QTest::keyClick(code, 'x');
    QCOMPARE(code->text(), QStringLiteral("RSSXMRA80"));
    QCOMPARE(code->cursorPosition(), 4);
}

void TestRicevuta::taxCodeCheckWindow_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("passed");
    QTest::newRow("VAT number") << " 12345678901 "
                                << "TfrmPartitaIva"
                                << "12345678901";
    QTest::newRow("tax code") << "RSSMRA80A01H501U"
                              << "TfrmCodFisc"
                              << "RSSMRA80A01H501U";
    QTest::newRow("digits and a letter") << "1234567890X"
                                         << "TfrmCodFisc"
                                         << "1234567890X";
    QTest::newRow("empty") << ""
                           << "TfrmCodFisc"
                           << "";
}

void TestRicevuta::taxCodeCheckWindow() {
    QFETCH(QString, code);
    QFETCH(QString, window);
    QFETCH(QString, passed);
    Fixture f;
    f.w->ui.txtCodFisc->setText(code);
    QString opened, field;
    ModalHelper helper([](QWidget* w) { return qobject_cast<TfrmCodFisc*>(w) || qobject_cast<TfrmPartitaIva*>(w); },
                       [&](QWidget* w) {
                           opened = QString::fromLatin1(w->metaObject()->className());
                           if (auto* v = qobject_cast<TfrmPartitaIva*>(w))
                               field = v->ui.txtPartitaIva->text();
                           else
                               field = qobject_cast<TfrmCodFisc*>(w)->ui.txtCodFisc->text();
                           qobject_cast<QDialog*>(w)->reject();
                       });
    QTest::mouseClick(f.w->ui.btnCodFisc, Qt::LeftButton);
    QVERIFY(helper.Handled());
    QCOMPARE(opened, window);
    QCOMPARE(field, passed);
    QCOMPARE(f.w->ui.txtCodFisc->text(), code); // the check windows only inform
    f.tp.messages.Take();                       // whatever the check window said is its own business
}

void TestRicevuta::roadOfOneReceipt() {
    TestPlatform tp;
    tp.WritePassword(QStringLiteral("CARVENNA"));
    Carvenna app(tp.platform);
    app.Start();

    // Password, start menu, receipts tile, year window.
    TfrmPassword* password = app.password();
    QVERIFY(password->isVisible());
    QTest::keyClicks(password->ui.txtPassword, "CARVENNA");
    QTest::mouseClick(password->ui.cmdOK, Qt::LeftButton);
    QVERIFY(app.avvio()->isVisible());
    QTest::mouseClick(app.avvio()->ui.btnApp02, Qt::LeftButton);
    TfrmMenuRicevute* year = app.menuRicevute();
    QVERIFY(year->isVisible());
    year->ui.txtAnnoPreventivi->clear();
    QTest::keyClicks(year->ui.txtAnnoPreventivi, "2026");
    QTest::mouseClick(year->ui.btnApriPreventivi, Qt::LeftButton);
    TfrmRicevuta* w = app.ricevuta();
    QVERIFY(w->isVisible());
    QVERIFY(!year->isVisible());
    QCOMPARE(w->windowTitle(), QStringLiteral(" Carvenna - Archivio ricevute anno 2026"));
    QCOMPARE(w->ui.lblFile->text(), tp.Path(QStringLiteral("2026.ric")));

    // New, then every field typed.
    QTest::mouseClick(w->ui.cmdNuovo, Qt::LeftButton);
    QCOMPARE(w->ui.txtNumRic->text(), QStringLiteral("1"));
    QTest::keyClicks(w->ui.txtRicevente01, "Asilo Nido Girotondo");
    QTest::keyClicks(w->ui.txtRicevente02, "Via dei Mille 12");
    QTest::keyClicks(w->ui.txtRicevente03, "00100 Roma");
    QTest::keyClicks(w->ui.txtRicevente04, "P. IVA 01234567890");
    QTest::keyClicks(w->ui.txtPagatore, "Rossi Niccol");
    QTest::sendKeyEvent(QTest::Click, w->ui.txtPagatore, Qt::Key_Ograve, QStringLiteral("ò"), Qt::NoModifier);
    QTest::keyClicks(w->ui.txtCodFisc, "rssncc80a01h501u");
    QTest::keyClicks(w->ui.txtSport, "Retta mensile settembre");
    QTest::keyClicks(w->ui.txtPraticante, "Rossi Giulia");
    QTest::keyClicks(w->ui.txtLuogoNasc, "Roma");
    QTest::keyClicks(w->ui.txtDataNasc, "14/02/2023");
    QTest::keyClicks(w->ui.txtIndirizzo, "Bonifico bancario");
    QTest::keyClicks(w->ui.txtImporto, "125");
    QCOMPARE(w->ui.txtImpLettere->text(), QStringLiteral("CENTOVENTICINQUE"));
    w->ui.txtCents->clear();
    QTest::keyClicks(w->ui.txtCents, "5");
    // Dates through the picker.
    auto pickDate = [&](QLineEdit* box, const QDate& day) {
        std::unique_ptr<ModalHelper> h(ModalHelper::When<TfrmCalendario>([day](TfrmCalendario* d) {
            d->ui.calAppuntamenti->setSelectedDate(day);
            d->ui.btnImportaData->click();
        }));
        QTest::keyClick(box, Qt::Key_Space);
        return h->Handled();
    };
    QVERIFY(pickDate(w->ui.txtDal, QDate(2026, 9, 1)));
    QVERIFY(pickDate(w->ui.txtAl, QDate(2026, 9, 30)));
    QVERIFY(pickDate(w->ui.txtData, QDate(2026, 9, 3)));

    QTest::mouseClick(w->ui.cmdSalva, Qt::LeftButton);
    const auto shown = tp.messages.Take();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].text, kInserted);
    QCOMPARE(w->ui.lblPosizione->text(), QStringLiteral("1"));

    // The year file, byte by byte at the record's offsets (Windows-1252 written out by hand).
    const QByteArray rec = FileBytes(tp.Path(QStringLiteral("2026.ric")));
    QCOMPARE(rec.size(), 1099);
    const QVector<QPair<int, QByteArray>> expected = {
        {0, "1"},
        {31, "03/09/2026"},
        {42, "125"},
        {51, "50"},
        {54, "CENTOVENTICINQUE"},
        {305, "50"},
        {308, "125,50"},
        {320, "Asilo Nido Girotondo"},
        {371, "Via dei Mille 12"},
        {422, "00100 Roma"},
        {473, "P. IVA 01234567890"},
        {524, "Rossi Niccol\xF2"},
        {575, "RSSNCC80A01H501U"},
        {592, "Retta mensile settembre"},
        {713, "01/09/2026"},
        {724, "30/09/2026"},
        {735, "Rossi Giulia"},
        {786, "Roma"},
        {837, "14/02/2023"},
        {848, "Bonifico bancario"},
    };
    for (const auto& [offset, text] : expected)
        QVERIFY2(StoredField(rec, offset) == text,
                 qPrintable(QStringLiteral("offset %1: %2")
                                .arg(offset)
                                .arg(QString::fromLatin1(StoredField(rec, offset).toHex()))));

    // Leaving the editor lands on the start menu and keeps the receiver lines.
    QTest::mouseClick(w->ui.cmdEsci, Qt::LeftButton);
    QVERIFY(app.avvio()->isVisible());
    QCOMPARE(IniRead(app.SettingsPath(), "Ricevente", "Rigo 1"), QStringLiteral("Asilo Nido Girotondo"));
}

QTEST_MAIN(TestRicevuta)
#include "tst_ricevuta.moc"
