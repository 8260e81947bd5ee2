// A batch stopped between writing an invoice file and registering it (a crash, a killed process): the next
// writer sets the file aside in FatturaPA/Non_registrate/, so the folder holds what the register says,
// and its number is not given again.
#include "../support/InvoiceFixtures.h"
#include "einvoice/CreditNote.h"
#include "einvoice/InvoiceFiles.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TstInvoiceCrash : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString Folder() const { return m_dir.path() + QLatin1Char('/'); }
    QString Ini() const { return Folder() + QStringLiteral("Trelvani.ini"); }
    QString Inv() const { return InvoiceFolder(Folder()); }
    InvoiceJob Job(const char* number, qint64 position) const {
        return {InvoiceReceipt({number, "250", "ROSSI MARIO", "RSSMRA85T10A562S", "Retta marzo 2026"}), position,
                InvoiceRossi()};
    }
    QStringList Registered() {
        QVector<RegisterEntry> reg;
        ReadRegister(RegisterPath(Folder()), reg);
        QStringList files;
        for (const RegisterEntry& e : reg)
            files << e.file;
        return files;
    }

private slots:
    void init() {
        QDir(Folder()).removeRecursively();
        QVERIFY(QDir().mkpath(Folder()));
        QVERIFY(SaveFiscalData(Ini(), InvoiceSchool()));
        QVERIFY(WriteInvoices(Folder(), Ini(), "2026", {Job("1", 1)}, QDate(2026, 3, 6)).failure.isEmpty());
        // What a batch killed after its file and before its register line leaves.
        QVERIFY(QFile::copy(Inv() + "IT01234567897_00001.xml", Inv() + "IT01234567897_00002.xml"));
    }

    void nextWriterSetsTheFileAside_data() {
        QTest::addColumn<bool>("creditNote");
        QTest::newRow("invoice batch") << false;
        QTest::newRow("credit note") << true;
    }
    void nextWriterSetsTheFileAside() {
        QFETCH(bool, creditNote);
        QString written;
        if (creditNote) {
            QVector<RegisterEntry> reg;
            QVERIFY(ReadRegister(RegisterPath(Folder()), reg));
            CreditNoteWriter w(Folder(), Ini());
            QString error;
            QVERIFY2(w.Write(reg[0], QDate(2026, 3, 7), &error), qPrintable(error));
            written = w.Entry().file;
        } else {
            const InvoiceBatchResult r = WriteInvoices(Folder(), Ini(), "2026", {Job("2", 2)}, QDate(2026, 3, 7));
            QVERIFY(r.failure.isEmpty());
            written = r.files.value(0);
        }
        QCOMPARE(written, QStringLiteral("IT01234567897_00003.xml")); // the unregistered number stays taken
        QCOMPARE(QDir(Inv()).entryList({"*.xml"}, QDir::Files), Registered());
        QCOMPARE(QDir(UnregisteredFolder(Folder())).entryList({"*.xml"}, QDir::Files),
                 QStringList{"IT01234567897_00002.xml"});
    }

    // A file the office put there by hand under another name is not the program's: it stays.
    void otherFilesStay() {
        QFile f(Inv() + "promemoria.xml");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QVERIFY(WriteInvoices(Folder(), Ini(), "2026", {Job("2", 2)}, QDate(2026, 3, 7)).failure.isEmpty());
        QVERIFY(QFile::exists(Inv() + "promemoria.xml"));
    }
};

QTEST_GUILESS_MAIN(TstInvoiceCrash)
#include "tst_invoicecrash.moc"
