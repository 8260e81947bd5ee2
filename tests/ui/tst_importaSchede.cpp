// The import window: a school's sheet of 300 rows with some bad ones, the summary and the reasons,
// a column mapped by hand, the same file twice, a file that is not a sheet, a write that fails.
#include "ModalHelper.h"
#include "TestPlatform.h"
#include "app/Carvenna.h"
#include "app/CommonMessages.h"
#include "app/Style.h"
#include "registry/ImportaSchede.h"
#include "registry/Tiratori.h"
#include "storage/FileOps.h"
#include "storage/RegistryFile.h"
#include "storage/Text.h"
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QUrl>
#include <QStringListModel>
#include <QTableView>
#include <QtTest>
#include <cerrno>
#include <memory>

namespace {
const char kCode[] = "RSSMRA85T10A562S";

QByteArray Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A sheet as Excel saves it for Italy: semicolons, Windows-1252, CRLF. Every 25th row lacks its tax
// code, every 40th has a certificate date that does not exist; row 7 has a 51-character name.
QByteArray SchoolSheet(int rows, QStringList* rejected) {
    QString csv =
        QStringLiteral("Cognome e nome;Codice fiscale;Sesso;Città;Scadenza certificato medico;Causale;"
                       "N. iscrizione;Quota;Data iscrizione;Data scadenza;Minore;Data di nascita minore;Note\r\n");
    for (int i = 1; i <= rows; ++i) {
        const int sheetRow = i + 1;
        QString parent = QStringLiteral("Genitore Numero %1").arg(i);
        if (i == 6)
            parent = QString(51, u'P');
        const bool noCode = i % 25 == 0;
        const bool badDate = i % 40 == 0;
        if (noCode || badDate)
            *rejected << QString::number(sheetRow);
        csv += QStringLiteral("%1;%2;f;Forlì;%3;Retta %4;%4;\"1.%5,50\";2026-09-01;31/8/2027;Bambino Numero %4;"
                              "1/3/2022;\"nota; con punto e virgola\"\r\n")
                   .arg(parent, noCode ? QString() : QString::fromLatin1(kCode),
                        badDate ? QStringLiteral("31/02/2027") : QStringLiteral("01/09/2027"))
                   .arg(i)
                   .arg(100 + i % 900, 3, 10, QLatin1Char('0'));
    }
    return ToWin1252(csv);
}
// A disk that is full: every write fails, everything else works.
class FullDisk : public FileOps {
public:
    FullDisk() : m_previous(FileOps::Install(this)) {}
    ~FullDisk() override { FileOps::Install(m_previous); }
    ssize_t Pwrite(int, const void*, size_t, off_t) override {
        ++writes;
        errno = ENOSPC;
        return -1;
    }
    int writes = 0;

private:
    FileOps* m_previous;
};
} // namespace

class tst_importaSchede : public QObject {
    Q_OBJECT
    std::unique_ptr<TestPlatform> m_tp;
    std::unique_ptr<Carvenna> m_app;

    QString WriteFile(const QString& name, const QByteArray& bytes) {
        const QString path = m_tp->dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            return QString();
        return path;
    }
    std::unique_ptr<TfrmImportaSchede> Open(const QString& path) {
        auto w = std::make_unique<TfrmImportaSchede>(*m_app);
        if (!path.isEmpty())
            w->LoadFile(path);
        w->show();
        return w;
    }
    static QStringList Outcome(TfrmImportaSchede* w) {
        return qobject_cast<QStringListModel*>(w->lstEsito->model())->stringList();
    }
    qint64 Cards() const { return Read(m_tp->Path(RegistryFileName)).size() / RegistryRecord::Size; }

private slots:
    void initTestCase() { ApplyCarvennaStyle(*qApp); }
    void init() {
        m_tp = std::make_unique<TestPlatform>();
        m_app = std::make_unique<Carvenna>(m_tp->platform);
    }
    void cleanup() {
        m_app.reset();
        m_tp.reset();
    }

    void importsThreeHundredRows() {
        // Two cards already there: the imported ones follow them.
        {
            RegistryFile f;
            QVERIFY(f.OpenOrCreate(m_tp->platform.programFolder));
            RegistryRecord r;
            r.Tiratore = "Già presente";
            r.Quota = "0,00";
            QVERIFY(f.AppendRecord(r) && f.AppendRecord(r) && f.Close());
        }
        QStringList rejected;
        const QString path = WriteFile("iscritti.csv", SchoolSheet(300, &rejected));
        QCOMPARE(rejected.size(), 18); // 12 without a tax code, 7 with a bad date, one of them both
        auto w = Open(path);
        QVERIFY(m_tp->messages.shown.isEmpty());
        QCOMPARE(w->Mapping(0), int(RegistryField::Tiratore));
        QCOMPARE(w->Mapping(3), int(RegistryField::Citta));
        QCOMPARE(w->Mapping(6), int(RegistryField::Tessera));
        QCOMPARE(w->Mapping(10), int(RegistryField::Armi));
        QCOMPARE(w->Mapping(11), int(RegistryField::InizioPor));
        QCOMPARE(w->grdAnteprima->model()->rowCount(), 8);
        QCOMPARE(w->grdAnteprima->model()->data(w->grdAnteprima->model()->index(0, 3)).toString(),
                 QString::fromUtf8("Forlì"));
        QCOMPARE(w->lblRiepilogo->text(), QStringLiteral("282 schede da importare, 18 con errori"));
        const QStringList outcome = Outcome(w.get());
        QStringList errorRows;
        for (const QString& line : outcome)
            if (!line.contains("(avviso)"))
                errorRows << line.section(u' ', 1, 1).chopped(1);
        QCOMPARE(errorRows, rejected);
        QVERIFY(outcome.contains("Riga 26: manca codice fiscale del genitore"));
        QVERIFY(outcome.contains("Riga 41: Scadenza certificato medico \"31/02/2027\": la data non esiste"));
        QVERIFY(outcome.contains("Riga 7 (avviso): Genitore (cognome e nome) tagliato a 50 caratteri"));
        if (!qEnvironmentVariableIsEmpty("CARVENNA_GRAB_DIR"))
            w->grab().save(qEnvironmentVariable("CARVENNA_GRAB_DIR") + "/TfrmImportaSchede-300.png");

        QVERIFY(w->btnImporta->isEnabled());
        w->btnImporta->click();
        const auto shown = m_tp->messages.Take();
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown[0].kind, Messages::Kind::Confirmation);
        QCOMPARE(shown[0].text,
                 QStringLiteral("Inserire in archivio 282 schede?\n\r\n\rLe righe con errori non saranno importate."));
        QCOMPARE(shown[1].text,
                 QStringLiteral("Sono state inserite in archivio 282 schede (dalla numero 3 alla 284)."));
        QCOMPARE(w->result(), int(QDialog::Accepted));
        QCOMPARE(w->Imported(), 282);
        QCOMPARE(w->FirstImported(), 3);
        QCOMPARE(Cards(), 284);

        RegistryFile f;
        QVERIFY(f.OpenOrCreate(m_tp->platform.programFolder));
        RegistryRecord card;
        QVERIFY(f.ReadRecord(2, card)); // sheet row 2
        QCOMPARE(card.Tiratore, "Genitore Numero 1");
        QCOMPARE(card.Sesso, "F");
        QCOMPARE(card.Citta, QString::fromUtf8("Forlì"));
        QCOMPARE(card.Quota, "1101,50");
        QCOMPARE(card.InizioTes, "01/09/2026");
        QCOMPARE(card.FineTes, "31/08/2027");
        QCOMPARE(card.InizioPor, "01/03/2022");
        QCOMPARE(card.Note, "nota; con punto e virgola");
        QVERIFY(f.ReadRecord(7, card)); // sheet row 7, the long name
        QCOMPARE(card.Tiratore, QString(50, u'P'));
        f.Close();

        // The same file again: every good row is a card already there, and none is imported.
        auto again = Open(path);
        QCOMPARE(again->lblRiepilogo->text(),
                 QStringLiteral("0 schede da importare, 18 con errori, 282 già presenti in archivio"));
        QVERIFY(!again->btnImporta->isEnabled());
        QVERIFY(
            Outcome(again.get())
                .contains("Riga 2 (non importata): scheda già presente in archivio (stesso codice fiscale e minore)"));
        again->chkSaltaPresenti->click();
        QCOMPARE(again->lblRiepilogo->text(),
                 QStringLiteral("282 schede da importare, 18 con errori, 282 già presenti in archivio"));
        m_tp->messages.answers.enqueue(false); // "No" to the confirmation: nothing is written
        again->btnImporta->click();
        QCOMPARE(m_tp->messages.Take().size(), 1);
        QCOMPARE(Cards(), 284);
    }

    void aColumnMappedByHand() {
        const QString path = WriteFile("a.csv", QByteArray("Genitore,CF,Scadenza certificato medico,Causale,Numero "
                                                           "iscrizione,Quota,Data scadenza,Minore\n"
                                                           "Rossi Mario,RSSMRA85T10A562S,01/09/2027,Retta,1,150,"
                                                           "31/08/2027,Rossi Luca\n"));
        auto w = Open(path);
        QCOMPARE(w->lblRiepilogo->text(), QStringLiteral("1 scheda da importare, 0 con errori"));
        auto* combo = w->findChild<QComboBox*>("cboCampo02");
        QVERIFY(combo);
        QCOMPARE(combo->currentText(), QStringLiteral("Codice fiscale"));
        combo->setCurrentIndex(0); // "(non importare)"
        QCOMPARE(w->lblRiepilogo->text(), QStringLiteral("0 schede da importare, 1 con errori"));
        QCOMPARE(Outcome(w.get()), QStringList{"Riga 2: manca codice fiscale del genitore"});
        QVERIFY(!w->btnImporta->isEnabled());
        // Into the notes: the code is still missing.
        w->SetMapping(1, RegistryField::Note);
        QCOMPARE(combo->currentText(), QStringLiteral("Note"));
        QCOMPARE(w->lblRiepilogo->text(), QStringLiteral("0 schede da importare, 1 con errori"));
        w->SetMapping(1, RegistryField::CodFisc);
        QCOMPARE(w->lblRiepilogo->text(), QStringLiteral("1 scheda da importare, 0 con errori"));
        // Without a header the first row is a card too, and a bad one; the columns keep their fields.
        w->chkIntestazione->click();
        QCOMPARE(w->Mapping(0), int(RegistryField::Tiratore));
        QCOMPARE(w->Rows().size(), 2);
        QCOMPARE(w->lblRiepilogo->text(), QStringLiteral("1 scheda da importare, 1 con errori"));
        QCOMPARE(w->Rows()[0].row, 1);
    }

    // A card that stands twice in the sheet is not one already in the archive: the summary tells them
    // apart, and only its first row is imported.
    void cardRepeatedInTheSheet() {
        QStringList rejected;
        QByteArray sheet = SchoolSheet(2, &rejected);
        sheet += sheet.mid(sheet.indexOf("\r\n") + 2); // the two rows again
        auto w = Open(WriteFile("ripetute.csv", sheet));
        QCOMPARE(w->lblRiepilogo->text(), QStringLiteral("2 schede da importare, 0 con errori, 2 ripetute nel file"));
        QVERIFY(Outcome(w.get()).contains("Riga 4 (non importata): stessa scheda della riga 2"));
        w->btnImporta->click();
        QCOMPARE(m_tp->messages.Take().size(), 2);
        QCOMPARE(Cards(), 2);
    }

    // A path typed or pasted (as a file manager copies it) is read on Enter; a tax code with a wrong
    // check letter is a warning on its row and the import asks first, No by default; counts agree.
    void typedPathAndWrongTaxCode() {
        QStringList rejected;
        QByteArray sheet = SchoolSheet(2, &rejected);
        sheet.replace(QByteArray("2;") + kCode, QByteArray("2;RSSMRA85T10A562X")); // row 3: wrong check letter
        const QString path = WriteFile("da incollare.csv", sheet);
        auto w = Open(QString());
        QVERIFY(!w->txtFile->isReadOnly());
        w->txtFile->setText(QUrl::fromLocalFile(path).toString());
        QTest::keyClick(w->txtFile, Qt::Key_Return);
        QCOMPARE(w->txtFile->text(), QDir::toNativeSeparators(path));
        QCOMPARE(w->lblRiepilogo->text(), QStringLiteral("2 schede da importare, 0 con errori"));
        QVERIFY(Outcome(w.get()).contains("Riga 3 (avviso): codice fiscale \"RSSMRA85T10A562X\" errato"));
        QVERIFY(w->lstEsito->wordWrap());
        // Each field drop-down is as wide as its longest caption.
        for (QComboBox* c : w->findChildren<QComboBox*>())
            QVERIFY2(c->width() >= c->sizeHint().width(), qPrintable(c->objectName()));

        w->btnImporta->click(); // the question's default is No
        auto shown = m_tp->messages.Take();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].kind, Messages::Kind::Question);
        QCOMPARE(shown[0].defaultButton, QStringLiteral("No"));
        QCOMPARE(shown[0].text,
                 QStringLiteral("Inserire in archivio 2 schede?\n\r\n\rLa riga 3 ha un codice fiscale o una partita "
                                "IVA non corretti: la scheda sarà inserita così com'è.\n\r\n\rLe righe con errori "
                                "non saranno importate."));
        QCOMPARE(Cards(), 0);
        m_tp->messages.answers.enqueue(true);
        w->btnImporta->click();
        shown = m_tp->messages.Take();
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown[1].text, QStringLiteral("Sono state inserite in archivio 2 schede (dalla numero 1 alla 2)."));
        QCOMPARE(shown[1].buttons, QStringList{QStringLiteral("OK")});
        QCOMPARE(Cards(), 2);

        // One card: the noun agrees. A path that does not exist is told, and the cursor stays in the box.
        auto one = Open(QString());
        one->txtFile->setText(QStringLiteral("\"%1\"").arg(WriteFile("una.csv", SchoolSheet(1, &rejected)
                                                                                   .replace(kCode, "BNCLRA90A41F205X"))));
        QTest::keyClick(one->txtFile, Qt::Key_Return);
        QCOMPARE(one->lblRiepilogo->text(), QStringLiteral("1 scheda da importare, 0 con errori"));
        m_tp->messages.answers.enqueue(true);
        one->btnImporta->click();
        shown = m_tp->messages.Take();
        QCOMPARE(shown.size(), 2);
        QVERIFY(shown[0].text.startsWith(QStringLiteral("Inserire in archivio 1 scheda?")));
        QCOMPARE(shown[1].text, QStringLiteral("È stata inserita in archivio 1 scheda (numero 3)."));
        one->txtFile->setText(QStringLiteral("/non/esiste.csv"));
        QTest::keyClick(one->txtFile, Qt::Key_Return);
        QCOMPARE(m_tp->messages.TakeTexts(),
                 QStringList{QStringLiteral("Attenzione: il file %1 non esiste.")
                                 .arg(QDir::toNativeSeparators(QStringLiteral("/non/esiste.csv")))});
    }

    // The registry editor's "Importa schede" opens the window, which asks for the file at once; the
    // card on screen is left alone.
    void openedFromTheRegistryEditor() {
        m_app->Start();
        const QString path = WriteFile("c.csv", "Genitore;Minore\nRossi;Luca\n");
        m_tp->fileDialogs.answers.enqueue(path);
        TfrmTiratori* editor = m_app->tiratori();
        editor->show();
        const QString position = editor->ui.lblPosizione->text();
        int rows = -1;
        auto* helper = ModalHelper::When<TfrmImportaSchede>(
            [&](TfrmImportaSchede* w) {
                QTRY_COMPARE(w->txtFile->text(), QDir::toNativeSeparators(path));
                rows = int(w->Rows().size());
                w->reject();
            },
            this);
        QTest::mouseClick(editor->ui.cmdImporta, Qt::LeftButton);
        QVERIFY(helper->Handled());
        QCOMPARE(rows, 1);
        QCOMPARE(editor->ui.lblPosizione->text(), position);
        QCOMPARE(Cards(), 0);
    }

    void fileChosenWhenTheWindowOpens() {
        const QString path = WriteFile("b.csv", "Genitore;Minore\nRossi;Luca\n");
        m_tp->fileDialogs.answers.enqueue(path);
        auto w = Open(QString());
        QTRY_COMPARE(w->txtFile->text(), QDir::toNativeSeparators(path));
        QCOMPARE(m_tp->fileDialogs.asked.size(), 1);
        QVERIFY(m_tp->fileDialogs.asked[0].filter.contains("*.ods"));
        QCOMPARE(w->Rows().size(), 1);
    }

    void unreadableFilesAreTold_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << "vuoto.csv" << QByteArray() << "Il file è vuoto.";
        QTest::newRow("a picture named .csv")
            << "foto.csv" << QByteArray("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00", 11) << "Il file non è un file CSV.";
    }
    void unreadableFilesAreTold() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        auto w = std::make_unique<TfrmImportaSchede>(*m_app);
        QVERIFY(!w->LoadFile(WriteFile(name, bytes)));
        const auto shown = m_tp->messages.Take();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].kind, Messages::Kind::Warning);
        QVERIFY2(shown[0].text.startsWith(message), qPrintable(shown[0].text));
        QVERIFY(w->txtFile->text().isEmpty());
        QVERIFY(!w->btnImporta->isEnabled());
    }

    void spreadsheetWithoutLibreOffice() {
        auto w = std::make_unique<TfrmImportaSchede>(*m_app);
        w->SetOffice(QString());
        QVERIFY(!w->LoadFile(WriteFile("iscritti.ods", "PK\x03\x04")));
        const QStringList texts = m_tp->messages.TakeTexts();
        QCOMPARE(texts.size(), 1);
        QVERIFY(texts[0].contains("LibreOffice") && texts[0].contains("formato CSV"));
    }

    void failedWriteLeavesTheRegistryAndTheWindow() {
        QStringList rejected;
        const QString path = WriteFile("c.csv", SchoolSheet(30, &rejected));
        auto w = Open(path);
        QCOMPARE(w->lblRiepilogo->text(), QStringLiteral("29 schede da importare, 1 con errori"));
        {
            FullDisk full; // the open goes through, the batch's write fails
            w->btnImporta->click();
            QVERIFY(full.writes > 0);
        }
        const auto shown = m_tp->messages.Take();
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown[1].kind, Messages::Kind::Error);
        QCOMPARE(shown[1].text, ArchiveAccessError());
        QCOMPARE(Cards(), 0);
        QVERIFY(w->isVisible());
        QCOMPARE(w->Imported(), 0);
    }
};

QTEST_MAIN(tst_importaSchede)
#include "tst_importaSchede.moc"
