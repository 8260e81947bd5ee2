// A receipt cancelled at one workstation while another writes its invoice: the two meet at the invoice
// register's lock, so a cancelled receipt never keeps an invoice without its credit note.
#include "../support/InvoiceFixtures.h"
#include "einvoice/CreditNote.h"
#include "einvoice/InvoiceFiles.h"
#include "receipts/Cancellation.h"
#include "storage/ReceiptFile.h"
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QDate kToday(2026, 3, 6);
}

class TstInvoiceCancel : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString Folder() const { return m_dir.path() + QLatin1Char('/'); }
    QString Ini() const { return Folder() + QStringLiteral("Trelvani.ini"); }
    QString Year() const { return Folder() + QStringLiteral("2026.ric"); }

    ReceiptRecord Receipt() const {
        return InvoiceReceipt({"1", "250", "ROSSI MARIO", "RSSMRA85T10A562S", "Retta marzo 2026"});
    }
    QVector<InvoiceJob> Job() const { return {InvoiceJob{Receipt(), 1, InvoiceRossi()}}; }
    QVector<RegisterEntry> Register() {
        QVector<RegisterEntry> reg;
        ReadRegister(RegisterPath(Folder()), reg);
        return reg;
    }
    void CancelStored() {
        ReceiptFile f;
        QVERIFY(f.OpenOrCreate(Year()));
        QVERIFY(f.OverwriteRecord(0, CancelledReceipt(Receipt(), QStringLiteral("errore"))));
        QVERIFY(f.Close());
    }

private slots:
    void init() {
        QDir(Folder()).removeRecursively();
        QVERIFY(QDir().mkpath(Folder()));
        QVERIFY(SaveFiscalData(Ini(), InvoiceSchool()));
        ReceiptFile f;
        QVERIFY(f.OpenOrCreate(Year()));
        QVERIFY(f.AppendRecord(Receipt()));
        QVERIFY(f.Close());
    }

    // The batch was planned before the cancellation: it waits for the cancellation's lock, then finds
    // the receipt cancelled and leaves it out.
    void batchAfterCancellationLeavesTheReceiptOut() {
        QString error;
        {
            CreditNoteWriter cancelling(Folder(), Ini());
            QVERIFY2(cancelling.WriteForCancellation("2026", 1, std::nullopt, kToday, &error), qPrintable(error));
            QVERIFY(!cancelling.Written()); // no invoice: no credit note
            const InvoiceBatchResult busy = WriteInvoices(Folder(), Ini(), "2026", Job(), kToday, 100);
            QCOMPARE(busy.failure, RegisterBusyMessage());
            QVERIFY(busy.files.isEmpty());
            CancelStored();
        }
        const InvoiceBatchResult r = WriteInvoices(Folder(), Ini(), "2026", Job(), kToday);
        QVERIFY(r.files.isEmpty());
        QCOMPARE(r.refused.size(), 1);
        QVERIFY2(r.refused[0].startsWith("Ricevuta n. 1: annullata nel frattempo"), qPrintable(r.refused[0]));
        QVERIFY(Register().isEmpty());
        QVERIFY(QDir(InvoiceFolder(Folder())).entryList({"*.xml"}).isEmpty());
    }

    // The office was told of no invoice, but one was written since: nothing is cancelled nor credited,
    // and the office asks again.
    void invoiceWrittenSinceTheQuestionStopsTheCancellation() {
        const InvoiceBatchResult r = WriteInvoices(Folder(), Ini(), "2026", Job(), kToday);
        QCOMPARE(r.files.size(), 1);
        QString error;
        CreditNoteWriter cancelling(Folder(), Ini());
        QVERIFY(!cancelling.WriteForCancellation("2026", 1, std::nullopt, kToday, &error));
        QVERIFY2(error.contains(r.files[0]) && error.contains("Ripetere"), qPrintable(error));
        QCOMPARE(Register().size(), 1);
        // Asked again with that invoice: its credit note is written.
        const std::optional<RegisterEntry> invoice = InvoiceToCredit(Register(), "2026", 1);
        QVERIFY(cancelling.WriteForCancellation("2026", 1, invoice, kToday, &error));
        QVERIFY(cancelling.Written());
        QCOMPARE(Register().size(), 2);
        QCOMPARE(Register().last().collegata, r.files[0]);
    }

    // The cancelled receipt could not be saved: its credit note goes, unless the receipt is stored
    // cancelled all the same.
    void creditNoteFollowsWhatIsStored_data() {
        QTest::addColumn<bool>("storedCancelled");
        QTest::newRow("save failed") << false;
        QTest::newRow("save reached the file") << true;
    }
    void creditNoteFollowsWhatIsStored() {
        QFETCH(bool, storedCancelled);
        QVERIFY(WriteInvoices(Folder(), Ini(), "2026", Job(), kToday).failure.isEmpty());
        const std::optional<RegisterEntry> invoice = InvoiceToCredit(Register(), "2026", 1);
        QVERIFY(invoice);
        CreditNoteWriter cancelling(Folder(), Ini());
        QString error;
        QVERIFY2(cancelling.WriteForCancellation("2026", 1, invoice, kToday, &error), qPrintable(error));
        if (storedCancelled)
            CancelStored();
        QVERIFY(cancelling.UndoUnlessCancelled(Year(), 1, &error));
        QCOMPARE(cancelling.Written(), storedCancelled);
        QCOMPARE(Register().size(), storedCancelled ? 2 : 1);
        QCOMPARE(bool(InvoiceToCredit(Register(), "2026", 1)), !storedCancelled);
    }
};

QTEST_GUILESS_MAIN(TstInvoiceCancel)
#include "tst_invoicecancel.moc"
