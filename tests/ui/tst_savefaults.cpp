// Saving a receipt, a card and the receipt numbering while each open, write, flush, close or
// rename of the save fails in turn, as a full disk (ENOSPC) and as a failing network folder (EIO):
// the window shows its own failure message and never the success one, and the files keep their
// old records or hold the complete new one; a half-written record is never counted. An overwrite and
// its history entry never part: a record that changed has its entry (or the user was told the
// history could not be written), and an entry whose record did not change is not an applied one.
#include "CardChecks.h"
#include "FaultyFileOps.h"
#include "FolderState.h"
#include "MessageTexts.h"
#include "TestPlatform.h"
#include "app/Carvenna.h"
#include "app/CommonMessages.h"
#include "receipts/Numerazione.h"
#include "receipts/ReceiptSettings.h"
#include "receipts/Ricevuta.h"
#include "registry/Tiratori.h"
#include "editing/RecordEditor.h"
#include "storage/IniFile.h"
#include "storage/HistoryJournal.h"
#include "storage/ReceiptFile.h"
#include "storage/RegistryFile.h"
#include <QDir>
#include <QFile>
#include <QtTest>

using Kind = Messages::Kind;

namespace {
const QString kUpdated = QStringLiteral("Le modifiche apportate alla scheda corrente sono state salvate in archivio.");
const QString kPhotoNotSaved = QStringLiteral(
    "Attenzione: la scheda è stata salvata in archivio, ma non è stato possibile salvare la foto.\n\r\n\r"
    "Accertarsi di possedere i privilegi di scrittura nella cartella Anagrafica del programma.");

QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// Every record of `after` is the one of `before` at its place, or at `target` the new one; at
// most one whole record more, and only the complete new one.
QString MixedRecord(const QByteArray& before, const QByteArray& after, const QByteArray& fresh, int size,
                    qint64 target) {
    const qint64 old = before.size() / size, whole = after.size() / size;
    if (whole < old || whole > old + 1 || (whole == old + 1 && target != old))
        return QStringLiteral("%1 whole records instead of %2").arg(whole).arg(old);
    for (qint64 i = 0; i < whole; ++i) {
        const QByteArray rec = after.mid(i * size, size);
        if (rec != before.mid(i * size, size) && !(i == target && rec == fresh))
            return QStringLiteral("record %1 is neither the old nor the new one").arg(i + 1);
    }
    return QString();
}
} // namespace

class TestSaveFaults : public QObject {
    Q_OBJECT
private slots:
    void receiptSave_data() {
        QTest::addColumn<bool>("overwrite");
        QTest::addColumn<int>("error");
        for (bool overwrite : {false, true})
            for (int error : {ENOSPC, EIO})
                QTest::addRow("%s, %s", overwrite ? "changed receipt" : "new receipt", ErrorName(error))
                    << overwrite << error;
    }
    void receiptSave() {
        QFETCH(bool, overwrite);
        QFETCH(int, error);
        TestPlatform tp;
        Carvenna app(tp.platform);
        app.Start();
        TfrmRicevuta* w = app.ricevuta();
        const QString file = tp.Path(QStringLiteral("2026.ric"));
        w->ui.lblFile->setText(file);
        w->show();
        {
            ReceiptFile f;
            QVERIFY(f.OpenOrCreate(file));
            for (int i = 1; i <= 3; ++i) {
                ReceiptRecord r;
                r.NumRic = QString::number(i);
                r.Pagatore = QStringLiteral("Pagatore %1").arg(i);
                QVERIFY(f.AppendRecord(r));
            }
            QVERIFY(f.Close());
        }
        const QByteArray before = Bytes(file);
        const QString position = overwrite ? QStringLiteral("2") : QString();
        auto save = [&] {
            QVERIFY(Put(file, before));
            w->ui.lblPosizione->setText(position);
            if (overwrite) // shown as browsing shows it: the save expects to find it unchanged
                w->ShowRecord(ReceiptRecord::Decode(before.constData() + ReceiptRecord::Size), 2);
            w->ui.txtNumRic->setText(QStringLiteral("7"));
            w->ui.txtData->setText(QStringLiteral("15/11/2026"));
            w->ui.txtPagatore->setText(QStringLiteral("Bianchi Anna"));
            w->ui.txtCodFisc->setText(QStringLiteral("BNCNNA80A41H501X"));
            w->ui.txtSport->setText(QStringLiteral("Retta di novembre"));
            w->ui.txtDal->setText(QStringLiteral("01/11/2026"));
            w->ui.txtAl->setText(QStringLiteral("30/11/2026"));
            w->ui.cmdSalva->click();
        };

        FaultyFileOps faults;
        save();
        const int calls = faults.calls;
        QCOMPARE(tp.messages.TakeTexts(), QStringList{overwrite ? kUpdated : kInserted});
        const qint64 target = overwrite ? 1 : 3;
        const QByteArray fresh = Bytes(file).mid(target * ReceiptRecord::Size, ReceiptRecord::Size);
        QCOMPARE(fresh.size(), ReceiptRecord::Size);
        QVERIFY2(calls >= 3, "the save does not go through the file calls");
        qInfo("%d file calls, each made to fail in turn", calls);

        // The history entries of receipt 2, applied or not, against the record the file holds.
        HistoryJournal journal(file, ReceiptRecord::Layout());
        auto entries = [&] {
            QVector<HistoryEntry> all;
            journal.Read(2, all, Bytes(file).mid(ReceiptRecord::Size, ReceiptRecord::Size));
            return all;
        };
        for (int n = 1; n <= calls; ++n) {
            const int entriesBefore = entries().size();
            faults.Arm(n, error);
            save();
            const QString failed = QStringLiteral("call %1 (%2)").arg(n).arg(QLatin1String(faults.failed));
            faults.Arm(0, 0);
            const auto shown = tp.messages.Take();
            const QVector<HistoryEntry> now = entries();
            const QVector<HistoryEntry> added = now.mid(0, now.size() - entriesBefore); // newest first
            int applied = 0;
            for (const HistoryEntry& e : added)
                applied += e.applied;
            const bool changed = Bytes(file).mid(target * ReceiptRecord::Size, ReceiptRecord::Size) == fresh;
            if (changed && shown.size() == 2) {
                // A journal that could not be opened lets an overwrite through, with its own warning.
                QVERIFY2(overwrite && applied == 0, qPrintable(failed));
                QCOMPARE(shown[0].text, RecordEditor::HistoryNotWritten());
                QCOMPARE(shown[1].text, kUpdated);
                continue;
            }
            if (changed && shown.size() == 1 && shown[0].text == kUpdated) {
                // A failing close of the flushed journal line: the entry and the record are both there.
                QVERIFY2(overwrite && applied == 1 && failed.endsWith(QLatin1String("(close)")),
                         qPrintable(failed));
                continue;
            }
            // A changed record has its entry (a failure after the write, when closing); an unchanged one
            // has none that counts.
            QVERIFY2(applied == (overwrite && changed ? 1 : 0),
                     qPrintable(failed + QStringLiteral(": %1 applied entries").arg(applied)));
            QVERIFY2(shown.size() == 1, qPrintable(failed));
            QCOMPARE(int(shown[0].kind), int(Kind::Warning));
            QCOMPARE(shown[0].text, ArchiveAccessError());
            QCOMPARE(w->ui.lblPosizione->text(), position); // a new receipt gets no position
            const QString mixed = MixedRecord(before, Bytes(file), fresh, ReceiptRecord::Size, target);
            QVERIFY2(mixed.isEmpty(), qPrintable(failed + ": " + mixed));
        }
    }

    void cardSave_data() {
        QTest::addColumn<int>("error");
        for (int error : {ENOSPC, EIO})
            QTest::addRow("%s", ErrorName(error)) << error;
    }
    // A new card and its photo: a failure before the card is written gives the archive error
    // alone; a failure on the photo keeps the card and says that the photo was not saved.
    void cardSave() {
        QFETCH(int, error);
        TestPlatform tp;
        Carvenna app(tp.platform);
        app.Start();
        TfrmTiratori* w = app.tiratori();
        w->show();
        const QString file = tp.Path(QString::fromLatin1(RegistryFileName));
        QVERIFY(AppendPlainCards(tp.platform.programFolder, 2));
        const QByteArray before = Bytes(file);
        const QString photo = CardPhotoPath(tp.platform.programFolder, 3);
        const QString photoFolder = QFileInfo(photo).absolutePath();
        auto save = [&] {
            QVERIFY(Put(file, before));
            QFile::remove(photo);
            w->ui.lblPosizione->setText(QString());
            w->ui.txtTiratore->setText(QStringLiteral("Rossi Mario"));
            w->ui.txtCodFisc->setText(QStringLiteral("RSSMRA80A01H501U"));
            w->ui.txtStudio->setText(QStringLiteral("31/08/2027"));
            w->ui.txtEnte->setText(QStringLiteral("Retta mensile"));
            w->ui.txtTessera->setText(QStringLiteral("A-17"));
            w->ui.txtQuota->setText(QStringLiteral("150"));
            w->ui.txtFineTes->setText(QStringLiteral("30/06/2027"));
            w->ui.txtArmi->setText(QStringLiteral("Rossi Luca"));
            w->ui.cmdSalva->click();
        };

        FaultyFileOps faults;
        save();
        const int calls = faults.calls;
        QCOMPARE(tp.messages.TakeTexts(), QStringList{kInserted});
        QVERIFY(QFileInfo(photo).isFile());
        const QByteArray fresh = Bytes(file).mid(2 * RegistryRecord::Size, RegistryRecord::Size);
        QCOMPARE(fresh.size(), RegistryRecord::Size);
        QVERIFY2(calls >= 8, "the card and its photo do not go through the file calls");
        qInfo("%d file calls, each made to fail in turn", calls);

        int photoFailures = 0;
        for (int n = 1; n <= calls; ++n) {
            faults.Arm(n, error);
            save();
            const QString failed = QStringLiteral("call %1 (%2)").arg(n).arg(QLatin1String(faults.failed));
            faults.Arm(0, 0);
            const QByteArray after = Bytes(file);
            const QString mixed = MixedRecord(before, after, fresh, RegistryRecord::Size, 2);
            QVERIFY2(mixed.isEmpty(), qPrintable(failed + ": " + mixed));
            QVERIFY2(!QFileInfo::exists(photo), qPrintable(failed)); // no half photo either
            QCOMPARE(Entries(photoFolder), QStringList());
            const QStringList texts = tp.messages.TakeTexts();
            if (texts == QStringList{kInserted, kPhotoNotSaved}) {
                ++photoFailures;
                QCOMPARE(after, before + fresh); // the card is there, whole
                QCOMPARE(w->ui.lblPosizione->text(), QStringLiteral("3"));
            } else {
                QVERIFY2(texts == QStringList{ArchiveAccessError()}, qPrintable(failed + ": " + texts.join('|')));
            }
        }
        QVERIFY(photoFailures >= 5); // open, the photo's pieces, flush, close, rename
    }

    void numberingSave_data() {
        QTest::addColumn<int>("error");
        for (int error : {ENOSPC, EIO})
            QTest::addRow("%s", ErrorName(error)) << error;
    }
    void numberingSave() {
        QFETCH(int, error);
        TestPlatform tp;
        Carvenna app(tp.platform);
        app.Start();
        const QString ini = app.SettingsPath();
        QVERIFY(IniWrite(ini, ReceiptSettings::NumberingSection(), ReceiptSettings::NumberingStartKey(),
                         QStringLiteral("41")));
        QVERIFY(IniWrite(ini, QStringLiteral("Ricevente"), QStringLiteral("Riga1"), QString(600, u'x')));
        const QByteArray before = Bytes(ini);
        const QStringList entries = Entries(tp.platform.programFolder);
        auto apply = [&] {
            QVERIFY(Put(ini, before));
            TfrmNumerazione dlg(app);
            dlg.ui.lblMemory->setText(QStringLiteral("ricevute"));
            dlg.show();
            dlg.ui.txtInizio->setText(QStringLiteral("42"));
            dlg.ui.btnApplica->click();
        };

        FaultyFileOps faults;
        apply();
        const int calls = faults.calls;
        QCOMPARE(tp.messages.TakeTexts(), QStringList());
        QCOMPARE(IniRead(ini, ReceiptSettings::NumberingSection(), ReceiptSettings::NumberingStartKey()),
                 QStringLiteral("42"));
        QVERIFY2(calls >= 5, "the settings do not go through the file calls");
        qInfo("%d file calls, each made to fail in turn", calls);

        for (int n = 1; n <= calls; ++n) {
            faults.Arm(n, error);
            apply();
            const QString failed = QStringLiteral("call %1 (%2)").arg(n).arg(QLatin1String(faults.failed));
            faults.Arm(0, 0);
            QVERIFY2(tp.messages.TakeTexts() == QStringList{SettingsNotSaved()}, qPrintable(failed));
            QVERIFY2(Bytes(ini) == before, qPrintable(failed));
            QCOMPARE(Entries(tp.platform.programFolder), entries);
        }
    }
};

QTEST_MAIN(TestSaveFaults)
#include "tst_savefaults.moc"
