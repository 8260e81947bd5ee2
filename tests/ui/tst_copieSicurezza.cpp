// The backups window: opened from the start menu, the days and their files, a restore after the
// question that names what is replaced and lost, a damaged copy and a locked archive refused, and
// the copy of the whole program folder with its progress bar.
#include "ModalHelper.h"
#include "TestFiles.h"
#include "TestPlatform.h"
#include "app/Avvio.h"
#include "app/Carvenna.h"
#include "app/Password.h"
#include "app/Style.h"
#include "backup/CopieSicurezza.h"
#include "storage/ReceiptFile.h"
#include "storage/RegistryFile.h"
#include <QDir>
#include <QFile>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QtTest>
#include <memory>

namespace {
using testfiles::Read;
using testfiles::Write;

QByteArray Records(int size, int count, char fill) {
    return QByteArray(size * count, fill);
}
} // namespace

class tst_copieSicurezza : public QObject {
    Q_OBJECT
    std::unique_ptr<TestPlatform> m_tp;
    std::unique_ptr<Carvenna> m_app;
    QString P(const QString& name) const { return m_tp->Path(name); }

    // Today is 10/12/2026 (the test clock); copies of the 8th and the 9th.
    void FillBackups() {
        Write(P("2026.ric"), Records(ReceiptRecord::Size, 7, 'n'));
        Write(P("Archivio_Iscritti.pro"), Records(RegistryRecord::Size, 5, 'n'));
        Write(P("Trelvani.ini"), "[Ricevente]\r\nRigo 1=Oggi\r\n");
        Write(P("Backup/2026-12-08/2026.ric"), Records(ReceiptRecord::Size, 2, 'o'));
        Write(P("Backup/2026-12-09/2026.ric"), Records(ReceiptRecord::Size, 4, 'o'));
        Write(P("Backup/2026-12-09/2025.ric"), Records(ReceiptRecord::Size, 1, 'o') + "xyz");
        Write(P("Backup/2026-12-09/Archivio_Iscritti.pro"), Records(RegistryRecord::Size, 3, 'o'));
        Write(P("Backup/2026-12-09/Trelvani.ini"), "[Ricevente]\r\nRigo 1=Ieri\r\n");
        Write(P("Backup/2026-12-09/unins000.dll"), "[Accesso]\r\n");
    }
    static QStringList Column(QTableView* grid, int column) {
        QStringList out;
        for (int r = 0; r < grid->model()->rowCount(); ++r)
            out << grid->model()->index(r, column).data().toString();
        return out;
    }

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

    void listsTheDaysAndTheirFiles() {
        FillBackups();
        TfrmCopieSicurezza w(*m_app);
        w.show();
        QCOMPARE(w.windowTitle(), QStringLiteral(" Copie di sicurezza"));
        QCOMPARE(qobject_cast<QStringListModel*>(w.lstGiorni->model())->stringList(),
                 (QStringList{"09/12/2026", "08/12/2026"}));
        QCOMPARE(Column(w.grdFile, 0),
                 (QStringList{"2025.ric", "2026.ric", "Archivio_Iscritti.pro", "Trelvani.ini", "unins000.dll"}));
        QCOMPARE(Column(w.grdFile, 1), (QStringList{"1,1 KB", "4,3 KB", "9,3 KB", "26 byte", "11 byte"}));
        QCOMPARE(Column(w.grdFile, 2), (QStringList{"danneggiato: 1102 byte non sono un multiplo di 1099", "4 ricevute",
                                                    "3 schede", "impostazioni", "password"}));
        w.Select(1);
        QCOMPARE(Column(w.grdFile, 2), QStringList{"2 ricevute"});
        w.Select(0, 1);
        if (!qEnvironmentVariableIsEmpty("CARVENNA_GRAB_DIR"))
            w.grab().save(qEnvironmentVariable("CARVENNA_GRAB_DIR") + "/TfrmCopieSicurezza.png");
        QVERIFY(m_tp->messages.shown.isEmpty());
    }

    void restoresAfterTheQuestion() {
        FillBackups();
        TfrmCopieSicurezza w(*m_app);
        w.show();
        w.Select(0, 1); // 2026.ric of the 9th
        m_tp->messages.answers.enqueue(false);
        w.btnRipristina->click();
        auto shown = m_tp->messages.Take();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].kind, Messages::Kind::Question); // losing work: No is the default
        QCOMPARE(shown[0].defaultButton, QStringLiteral("No"));
        QCOMPARE(
            shown[0].text,
            QStringLiteral("Ripristinare il file 2026.ric dalla copia del 09/12/2026?\n\r\n\rIl file attuale (7 "
                           "ricevute) sarà sostituito dalla copia (4 ricevute): andranno perse le 3 ricevute "
                           "inserite dopo la copia e ogni modifica fatta da allora alle altre.\n\r\n\rIl file "
                           "attuale sarà prima copiato nella cartella ") +
                QDir::toNativeSeparators(QStringLiteral("Backup/2026-12-10-prima-del-ripristino.")));
        QCOMPARE(Read(P("2026.ric")), Records(ReceiptRecord::Size, 7, 'n')); // "No" changed nothing

        m_tp->messages.answers.enqueue(true);
        w.btnRipristina->click();
        shown = m_tp->messages.Take();
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown[1].kind, Messages::Kind::Information);
        QCOMPARE(shown[1].text,
                 QStringLiteral("Il file 2026.ric è stato ripristinato dalla copia del 09/12/2026.\n\r\n\r"
                                "Il file sostituito è stato salvato nella cartella "
                                "%1.")
                     .arg(QDir::toNativeSeparators(QStringLiteral("Backup/2026-12-10-prima-del-ripristino"))));
        QCOMPARE(shown[1].buttons, QStringList{QStringLiteral("OK")});
        QCOMPARE(Read(P("2026.ric")), Records(ReceiptRecord::Size, 4, 'o'));
        QCOMPARE(Read(P("Backup/2026-12-10-prima-del-ripristino/2026.ric")), Records(ReceiptRecord::Size, 7, 'n'));
        // The list now shows the folder kept aside, and the day restored from stays selected.
        QCOMPARE(qobject_cast<QStringListModel*>(w.lstGiorni->model())->stringList(),
                 (QStringList{"10/12/2026, prima del ripristino", "09/12/2026", "08/12/2026"}));
        QCOMPARE(w.lstGiorni->currentIndex().row(), 1);

        // The registry: the question names cards and photos.
        w.Select(1, 2);
        m_tp->messages.answers.enqueue(false);
        w.btnRipristina->click();
        QVERIFY(m_tp->messages.TakeTexts().value(0).contains(
            "Il file attuale (5 schede) sarà sostituito dalla copia (3 schede): andranno perse le 2 schede inserite "
            "dopo la copia e ogni modifica fatta da allora alle altre. Le foto delle schede che la copia non contiene "
            "saranno spostate nella stessa cartella."));
    }

    // This morning's copy and one receipt written after it: the question names the copy's time and the
    // one receipt, not "le 1 ricevute inserite dopo il" a day that is today.
    void sameDayCopyIsNamedByItsTime() {
        Write(P("2026.ric"), Records(ReceiptRecord::Size, 5, 'n'));
        Write(P("Backup/2026-12-10/2026.ric"), Records(ReceiptRecord::Size, 4, 'o'));
        {
            QFile copy(P("Backup/2026-12-10/2026.ric"));
            QVERIFY(copy.open(QIODevice::ReadWrite));
            QVERIFY(copy.setFileTime(QDateTime(QDate(2026, 12, 10), QTime(8, 15)), QFileDevice::FileModificationTime));
        }
        TfrmCopieSicurezza w(*m_app);
        w.show();
        w.Select(0, 0);
        w.btnRipristina->click(); // unanswered: the default, No
        const auto shown = m_tp->messages.Take();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text,
                 QStringLiteral("Ripristinare il file 2026.ric dalla copia del 10/12/2026 alle 08:15?\n\r\n\rIl file "
                                "attuale (5 ricevute) sarà sostituito dalla copia (4 ricevute): andrà persa 1 ricevuta "
                                "inserita dopo la copia e ogni modifica fatta da allora alle altre.\n\r\n\rIl file "
                                "attuale sarà prima copiato nella cartella ") +
                     QDir::toNativeSeparators(QStringLiteral("Backup/2026-12-10-prima-del-ripristino.")));
        QCOMPARE(Read(P("2026.ric")), Records(ReceiptRecord::Size, 5, 'n'));
    }

    void damagedCopyIsRefusedWithoutAQuestion() {
        FillBackups();
        Write(P("2025.ric"), Records(ReceiptRecord::Size, 9, 'n'));
        TfrmCopieSicurezza w(*m_app);
        w.show();
        w.Select(0, 0);
        w.btnRipristina->click();
        const auto shown = m_tp->messages.Take();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].kind, Messages::Kind::Warning);
        QCOMPARE(shown[0].text,
                 QStringLiteral("Il file 2025.ric della copia è danneggiato: la sua lunghezza (1102 byte) "
                                "non è un multiplo di 1099 byte, la lunghezza di un record."));
        QCOMPARE(Read(P("2025.ric")), Records(ReceiptRecord::Size, 9, 'n'));
        QVERIFY(!QFileInfo::exists(P("Backup/2026-12-10-prima-del-ripristino")));
    }

    void noFileChosen() {
        TfrmCopieSicurezza w(*m_app);
        w.show();
        QCOMPARE(w.lblStato->text(), QStringLiteral("La cartella Backup non contiene nessuna copia."));
        QVERIFY(!w.btnRipristina->isEnabled());
        FillBackups();
        w.Refresh();
        w.btnRipristina->click();
        QCOMPARE(m_tp->messages.TakeTexts(), QStringList{"Attenzione: scegliere il giorno e il file da ripristinare."});
    }

    void copiesTheProgramFolderWithProgress() {
        FillBackups();
        Write(P("Anagrafica/Scheda_Iscritto_1.jpg"), "photo");
        Write(P("Documenti_Allegati/iscrizione.pdf"), QByteArray(200000, 'd'));
        QTemporaryDir stick;
        const QString target = stick.filePath("Carvenna 2026-12-10");
        m_tp->fileDialogs.answers.enqueue(stick.path());
        TfrmCopieSicurezza w(*m_app);
        w.show();
        QVector<int> values;
        connect(w.prgCopia, &QProgressBar::valueChanged, this, [&](int v) { values << v; });
        w.btnCopiaSu->click();
        QCOMPARE(m_tp->fileDialogs.asked.size(), 1);
        QVERIFY(!m_tp->fileDialogs.asked[0].save);
        QVERIFY(m_tp->fileDialogs.asked[0].filter.isEmpty()); // a folder, not a file
        const QStringList texts = m_tp->messages.TakeTexts();
        QCOMPARE(texts.size(), 1);
        QVERIFY2(
            texts[0].startsWith("La cartella del programma, con le foto e i documenti allegati, è stata copiata in"),
            qPrintable(texts[0]));
        QCOMPARE(Read(target + "/Documenti_Allegati/iscrizione.pdf"), QByteArray(200000, 'd'));
        QCOMPARE(Read(target + "/Backup/2026-12-09/Trelvani.ini"), Read(P("Backup/2026-12-09/Trelvani.ini")));
        QVERIFY(values.size() > 2);
        QCOMPARE(values.last(), 1000);
        QVERIFY(w.btnChiudi->isEnabled());
        if (!qEnvironmentVariableIsEmpty("CARVENNA_GRAB_DIR"))
            w.grab().save(qEnvironmentVariable("CARVENNA_GRAB_DIR") + "/TfrmCopieSicurezza-copia.png");

        // A second copy on the same day and stick goes beside the first, which stays as it was.
        Write(P("Anagrafica/Scheda_Iscritto_1.jpg"), "new photo");
        m_tp->fileDialogs.answers.enqueue(stick.path());
        w.btnCopiaSu->click();
        QCOMPARE(m_tp->messages.Take().size(), 1);
        QCOMPARE(Read(target + "/Anagrafica/Scheda_Iscritto_1.jpg"), QByteArray("photo"));
        QCOMPARE(Read(stick.filePath("Carvenna 2026-12-10 (2)/Anagrafica/Scheda_Iscritto_1.jpg")),
                 QByteArray("new photo"));
    }

    void openedFromTheStartMenu() {
        m_app->Start();
        m_app->Switch(m_app->avvio(), m_app->password());
        auto* avvio = m_app->avvio();
        QCOMPARE(avvio->ui.imgCopie->text(), QStringLiteral("Copie"));
        QVERIFY(!avvio->ui.imgCopie->icon().isNull());
        if (!qEnvironmentVariableIsEmpty("CARVENNA_GRAB_DIR"))
            avvio->ui.panMain->grab().save(qEnvironmentVariable("CARVENNA_GRAB_DIR") + "/TfrmAvvio.png");
        bool seen = false;
        ModalHelper::When<TfrmCopieSicurezza>(
            [&](TfrmCopieSicurezza* w) {
                seen = w->isModal();
                w->btnChiudi->click();
            },
            this);
        avvio->ui.imgCopie->click();
        QVERIFY(seen);
        QVERIFY(avvio->isVisible());
    }
};

QTEST_MAIN(tst_copieSicurezza)
#include "tst_copieSicurezza.moc"
