// The life of an electronic invoice after it is written: the credit note that cancels it (checked by
// xmllint against the official schema and by Debian's a38tool), the upload package (opened by unzip and
// by Python's zipfile), the exchange system's notifications, the quarterly stamp duty, and faults at
// every file call of the credit note, the package and the register update.
#include "../support/FaultyFileOps.h"
#include "../support/InvoiceFixtures.h"
#include "einvoice/CreditNote.h"
#include "einvoice/FiscalData.h"
#include "einvoice/Invoice.h"
#include "einvoice/InvoiceFiles.h"
#include "einvoice/SdiNotice.h"
#include "einvoice/SdiPackage.h"
#include "einvoice/StampDuty.h"
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

namespace {
ReceiptRecord Receipt(const QString& number, const QString& date, const QString& euro) {
    ReceiptRecord r;
    r.NumRic = number;
    r.Data = date;
    r.Importo = euro;
    r.Cents = QStringLiteral("00");
    r.Intero = euro + QStringLiteral(",00");
    r.Pagatore = QStringLiteral("ROSSI MARIO");
    r.CodFisc = QStringLiteral("RSSMRA80A01H501U");
    r.Sport = QStringLiteral("Retta mensile");
    r.Praticante = QStringLiteral("ROSSI LUCA");
    r.Indirizzo = QStringLiteral("Bonifico bancario");
    return r;
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// Every element's text by its path below the root.
QMultiMap<QString, QString> Flatten(const QByteArray& xml) {
    QMultiMap<QString, QString> out;
    QXmlStreamReader r(xml);
    QStringList path;
    QString text;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement()) {
            path << r.name().toString();
            text.clear();
        } else if (r.isCharacters()) {
            text += r.text();
        } else if (r.isEndElement()) {
            if (path.size() > 1 && !text.trimmed().isEmpty())
                out.insert(path.mid(1).join(QLatin1Char('/')), text);
            text.clear();
            path.removeLast();
        }
    }
    return out;
}

// The files of a folder with their contents, to show that a failed step left everything as it was.
QMap<QString, QByteArray> Snapshot(const QString& folder) {
    QMap<QString, QByteArray> out;
    for (const QString& name : QDir(folder).entryList(QDir::Files))
        if (name != QLatin1String("registro.lock"))
            out.insert(name, ReadAll(folder + name));
    return out;
}

// A notification as the exchange system writes it (private-sector messages, version 1.0).
QByteArray Notice(const QString& root, const QString& invoiceFile, const QString& extra,
                  const QString& ns = QString::fromLatin1(SdiMessagesNamespace)) {
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<ns3:%1 xmlns:ns3=\"%2\" versione=\"1.0\">\n"
                          "  <IdentificativoSdI>4711</IdentificativoSdI>\n"
                          "  <NomeFile>%3</NomeFile>\n"
                          "  <Hash>2f1e0c5a9d3b7e6f4a8c1d2e3f4a5b6c7d8e9f0a1b2c3d4e5f6a7b8c9d0e1f2a</Hash>\n"
                          "  <DataOraRicezione>2026-03-06T10:15:00.000+01:00</DataOraRicezione>\n"
                          "%4"
                          "  <MessageId>123456</MessageId>\n"
                          "</ns3:%1>\n")
        .arg(root, ns, invoiceFile, extra)
        .toUtf8();
}
} // namespace

class TestEInvoiceLife : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_cache, m_schemaSkip;
    QByteArray m_schoolIni;
    QString Folder() const { return m_dir.path() + QLatin1Char('/'); }
    QString Ini() const { return Folder() + QStringLiteral("Trelvani.ini"); }
    QString Inv() const { return InvoiceFolder(Folder()); }

    // An invoice folder with three invoices: receipt 27 of March (150 euro, virtual stamp), 28 of March
    // (50 euro, none) and 40 of May (200 euro, stamp).
    QStringList Reset() {
        QDir(Inv()).removeRecursively();
        if (m_schoolIni.isEmpty()) {
            QFile::remove(Ini());
            SaveFiscalData(Ini(), InvoiceCompanySchool());
            m_schoolIni = ReadAll(Ini());
        }
        WriteAll(Ini(), m_schoolIni);
        const QVector<InvoiceJob> jobs = {{Receipt("27", "05/03/2026", "150"), 3, InvoiceRossi()},
                                          {Receipt("28", "06/03/2026", "50"), 4, InvoiceRossi()},
                                          {Receipt("40", "04/05/2026", "200"), 9, InvoiceRossi()}};
        const InvoiceBatchResult r = WriteInvoices(Folder(), Ini(), "2026", jobs, QDate(2026, 5, 4));
        if (!r.failure.isEmpty() || r.files.size() != 3)
            qFatal("invoices not written: %s", qPrintable(r.failure + r.refused.join(' ')));
        return r.files;
    }
    QVector<RegisterEntry> Register() {
        QVector<RegisterEntry> reg;
        if (!ReadRegister(RegisterPath(Folder()), reg))
            qFatal("register not readable");
        return reg;
    }
    void SchemaValid(const QString& file) {
        if (!m_schemaSkip.isEmpty())
            return;
        QProcess p;
        p.start(QStringLiteral("xmllint"), {"--noout", "--nonet", "--schema", m_cache + "/Schema_local.xsd", file});
        QVERIFY(p.waitForFinished(30000));
        QVERIFY2(p.exitCode() == 0, qPrintable(QString::fromUtf8(p.readAllStandardError())));
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_cache = QCoreApplication::applicationDirPath() + QStringLiteral("/fatturapa-cache/package-1");
        QProcess fetch;
        fetch.start(QStringLiteral("sh"), {QStringLiteral(CARVENNA_TEST_HELPERS "/fatturapa-schema.sh"), m_cache});
        if (!fetch.waitForFinished(300000) || fetch.exitCode() != 0)
            m_schemaSkip = QStringLiteral("schema FatturaPA non disponibile: ") +
                           QString::fromUtf8(fetch.readAllStandardOutput()).trimmed();
        else if (QProcess::execute(QStringLiteral("xmllint"), {QStringLiteral("--version")}) != 0)
            m_schemaSkip = QStringLiteral("xmllint non installato (libxml2-utils)");
    }

    void registerKeepsOldLines() {
        // A register written before the added columns still reads, its lines as invoices.
        QDir().mkpath(Inv());
        QVERIFY(WriteAll(RegisterPath(Folder()), "File;Anno;Numero;Posizione;Pagatore;Totale;Data\r\n"
                                                 "IT01234567897_00001.xml;2026;5;2;ROSSI MARIO;150,00;07/01/2026\r\n"));
        QVector<RegisterEntry> reg = Register();
        QCOMPARE(reg.size(), 1);
        QCOMPARE(reg[0].tipo, QStringLiteral("TD01"));
        QCOMPARE(reg[0].Number(), QStringLiteral("5"));
        QCOMPARE(reg[0].Date(), QDate(2026, 1, 7));
        // Saved whole, a state with the separator and a line break survives the round trip.
        reg[0].stato = QStringLiteral("Scartata: 00305 a;b\nc");
        QVERIFY(SaveRegister(RegisterPath(Folder()), reg));
        QCOMPARE(Register()[0].stato, QStringLiteral("Scartata: 00305 a;b c"));
        QCOMPARE(Register()[0].file, reg[0].file);
    }

    void creditNoteCancelsItsInvoice() {
        const QStringList files = Reset();
        QVector<RegisterEntry> reg = Register();
        QCOMPARE(reg[0].bollo, QStringLiteral("SI"));
        QCOMPARE(reg[1].bollo, QStringLiteral("NO"));
        const std::optional<RegisterEntry> invoice = InvoiceToCredit(reg, "2026", 3);
        QVERIFY(invoice);
        QCOMPARE(invoice->file, files[0]);

        QString error;
        RegisterEntry note;
        {
            CreditNoteWriter writer(Folder(), Ini()); // holds the register until it goes
            QVERIFY2(writer.Write(*invoice, QDate(2026, 6, 10), &error), qPrintable(error));
            note = writer.Entry();
        }
        QCOMPARE(note.file, QStringLiteral("IT01234567897_00004.xml")); // next in the transmission numbering
        QCOMPARE(note.tipo, QStringLiteral("TD04"));
        QCOMPARE(note.documento, QStringLiteral("NC1/2026"));
        QCOMPARE(note.collegata, files[0]);
        QCOMPARE(note.bollo, QStringLiteral("SI"));
        QCOMPARE(Register().size(), 4);
        QCOMPARE(Register().last().collegata, files[0]);

        const QByteArray xml = ReadAll(Inv() + note.file);
        const QMultiMap<QString, QString> cn = Flatten(xml);
        const QMultiMap<QString, QString> in = Flatten(ReadAll(Inv() + files[0]));
        const QString doc = "FatturaElettronicaBody/DatiGenerali/DatiGeneraliDocumento/";
        const QString linked = "FatturaElettronicaBody/DatiGenerali/DatiFattureCollegate/";
        QCOMPARE(cn.value(doc + "TipoDocumento"), QStringLiteral("TD04"));
        QCOMPARE(cn.value(doc + "Numero"), QStringLiteral("NC1/2026"));
        QCOMPARE(cn.value(doc + "Data"), QStringLiteral("2026-06-10"));
        QCOMPARE(cn.value(linked + "IdDocumento"), QStringLiteral("27"));
        QCOMPARE(cn.value(linked + "Data"), QStringLiteral("2026-03-05"));
        QCOMPARE(cn.value("FatturaElettronicaHeader/DatiTrasmissione/ProgressivoInvio"), QStringLiteral("00004"));
        // Payer, lines, natures, amounts and stamp exactly as in the invoice.
        for (const QString& path : in.uniqueKeys()) {
            if (path.endsWith("ProgressivoInvio") || path == doc + "TipoDocumento" || path == doc + "Numero" ||
                path == doc + "Data")
                continue;
            QCOMPARE(cn.values(path), in.values(path));
        }
        QCOMPARE(cn.value(doc + "DatiBollo/BolloVirtuale"), QStringLiteral("SI"));
        SchemaValid(Inv() + note.file);

        // Never credited twice: the invoice no longer stands, a second writer is refused.
        QVERIFY(!InvoiceToCredit(Register(), "2026", 3));
        {
            CreditNoteWriter again(Folder(), Ini());
            QVERIFY(!again.Write(*invoice, QDate(2026, 6, 11), &error));
            QVERIFY2(error.contains("già stornata"), qPrintable(error));
        }
        QCOMPARE(Register().size(), 4);
        // The next credit note of the year takes the next number.
        CreditNoteWriter second(Folder(), Ini());
        QVERIFY(second.Write(*InvoiceToCredit(Register(), "2026", 9), QDate(2026, 6, 11), &error));
        QCOMPARE(second.Entry().documento, QStringLiteral("NC2/2026"));
        QCOMPARE(second.Entry().bollo, QStringLiteral("SI"));
    }

    void creditNoteRefusesWhatIsNotAnInvoice_data() {
        QTest::addColumn<QByteArray>("xml");
        QTest::newRow("damaged") << QByteArray("<p:FatturaElettronica><Numero>1</Nu");
        QTest::newRow("a credit note")
            << QByteArray("<?xml version=\"1.0\"?><FatturaElettronica><FatturaElettronicaBody><DatiGenerali>"
                          "<DatiGeneraliDocumento><TipoDocumento>TD04</TipoDocumento><Data>2026-01-01</Data>"
                          "<Numero>1</Numero></DatiGeneraliDocumento></DatiGenerali></FatturaElettronicaBody>"
                          "</FatturaElettronica>");
        QTest::newRow("not an invoice") << QByteArray("<?xml version=\"1.0\"?><note>x</note>");
    }
    void creditNoteRefusesWhatIsNotAnInvoice() {
        QFETCH(QByteArray, xml);
        QString error;
        QVERIFY(!CreditNoteXml(xml, "00009", "NC1/2026", QDate(2026, 6, 1), &error));
        QVERIFY(!error.isEmpty());
    }

    // A rejected credit note never took effect: its invoice stands again and a new credit note, with the
    // next number, cancels it; once written, the rejected one offers nothing more.
    void rejectedCreditNoteIssuedAgain() {
        Reset();
        {
            CreditNoteWriter first(Folder(), Ini());
            QString error;
            QVERIFY2(first.Write(*InvoiceToCredit(Register(), "2026", 3), QDate(2026, 6, 10), &error), qPrintable(error));
        }
        QVector<RegisterEntry> reg = Register();
        const RegisterEntry invoice = reg[0];
        RegisterEntry& note = reg.last();
        QVERIFY(note.IsCreditNote());
        QVERIFY(!InvoiceToCredit(reg, "2026", 3));
        QVERIFY(!InvoiceOfRejectedCreditNote(reg, note)); // not rejected: nothing to issue again
        note.stato = QStringLiteral("Scartata: 00460 Importo totale documento non coerente");
        QVERIFY(SaveRegister(RegisterPath(Folder()), reg));
        reg = Register();
        QCOMPARE(InvoiceToCredit(reg, "2026", 3)->file, invoice.file);
        const std::optional<RegisterEntry> again = InvoiceOfRejectedCreditNote(reg, reg.last());
        QVERIFY(again);
        QCOMPARE(again->file, invoice.file);
        QVERIFY(!InvoiceOfRejectedCreditNote(reg, reg[1])); // an invoice is not a credit note
        {
            CreditNoteWriter second(Folder(), Ini());
            QString error;
            QVERIFY2(second.Write(*again, QDate(2026, 6, 20), &error), qPrintable(error));
            QCOMPARE(second.Entry().documento, QStringLiteral("NC2/2026"));
            QVERIFY(second.Entry().file != reg.last().file);
            QCOMPARE(second.Entry().collegata, invoice.file);
        }
        reg = Register();
        QVERIFY(!InvoiceToCredit(reg, "2026", 3));
        QVERIFY(!InvoiceOfRejectedCreditNote(reg, reg[reg.size() - 2]));
        SchemaValid(Inv() + reg.last().file);
        // Pressed twice: the invoice is already cancelled, no third credit note.
        CreditNoteWriter third(Folder(), Ini());
        QString error;
        QVERIFY(!third.Write(invoice, QDate(2026, 6, 21), &error));
        QVERIFY2(error.contains("già stornata"), qPrintable(error));
        QCOMPARE(Register().size(), reg.size());
    }

    void rejectedOrOldInvoices() {
        Reset();
        QVector<RegisterEntry> reg = Register();
        // A rejected invoice never took effect: nothing to credit.
        reg[0].stato = QStringLiteral("Scartata: 00305 IdFiscale non valido");
        QVERIFY(!InvoiceToCredit(reg, "2026", 3));
        // Written again after the rejection, the new invoice is linked to the rejected one.
        QVERIFY(SaveRegister(RegisterPath(Folder()), reg));
        const InvoiceBatchResult r =
            WriteInvoices(Folder(), Ini(), "2026", {{Receipt("27", "05/03/2026", "150"), 3, InvoiceRossi()}}, QDate(2026, 5, 6));
        QCOMPARE(r.files.size(), 1);
        reg = Register();
        QCOMPARE(reg.last().collegata, reg[0].file);
        QCOMPARE(InvoiceToCredit(reg, "2026", 3)->file, r.files.first());
        // An invoice written before UnitaMisura was written gets it in its credit note.
        QByteArray old = ReadAll(Inv() + reg[1].file);
        old.replace("<UnitaMisura>servizio</UnitaMisura>", "");
        QVERIFY(!old.contains("UnitaMisura"));
        const std::optional<QByteArray> cn = CreditNoteXml(old, "00010", "NC1/2026", QDate(2026, 6, 1));
        QVERIFY(cn);
        QVERIFY(cn->contains("<Quantita>1.00</Quantita>\n        <UnitaMisura>servizio</UnitaMisura>"));
        WriteAll(Folder() + "old-cn.xml", *cn);
        SchemaValid(Folder() + "old-cn.xml");
    }

    // Debian's python3-a38 reads and validates invoices and credit notes.
    void a38Validates() {
        QProcess probe;
        probe.start("a38tool", {"--help"});
        if (!probe.waitForFinished(30000) || probe.exitCode() != 0)
            QSKIP("a38tool non installato (python3-a38)");
        const QStringList files = Reset();
        CreditNoteWriter writer(Folder(), Ini());
        QVERIFY(writer.Write(*InvoiceToCredit(Register(), "2026", 3), QDate(2026, 6, 10), nullptr));
        for (const QString& f : files + QStringList{writer.Entry().file}) {
            QProcess p;
            p.start("a38tool", {"validate", Inv() + f});
            QVERIFY(p.waitForFinished(60000));
            const QString out = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
            // Only the PEC rule stays: the exchange system accepts 0000000 without PEC for consumers.
            QStringList other;
            for (const QString& line : out.split('\n', Qt::SkipEmptyParts))
                if (!line.contains("pec_destinatario") && !line.contains("PECDestinatario"))
                    other << line;
            QVERIFY2(other.isEmpty(), qPrintable(f + ": " + out));
            QVERIFY2(!out.contains("unita_misura"), qPrintable(out));
        }
        // Its reading of the credit note: the type and the invoice it cancels.
        QProcess json;
        json.start("a38tool", {"json", Inv() + writer.Entry().file});
        QVERIFY(json.waitForFinished(60000));
        const QByteArray text = json.readAllStandardOutput();
        QVERIFY2(text.contains("\"tipo_documento\": \"TD04\""), text.constData());
        QVERIFY2(text.contains("\"id_documento\": \"27\"") && text.contains("\"data\": \"2026-03-05\""),
                 text.constData());
    }

    void creditNoteFaults_data() {
        QTest::addColumn<int>("error");
        QTest::newRow("disk full") << ENOSPC;
        QTest::newRow("network folder") << EIO;
    }
    // Every file call of the credit note can fail: either the note is written with its register line,
    // or nothing changed. Then taking it back can fail at every call: the register and the files stay
    // in step either way.
    void creditNoteFaults() {
        QFETCH(int, error);
        for (int n = 1;; ++n) {
            Reset();
            const QMap<QString, QByteArray> before = Snapshot(Inv());
            const RegisterEntry invoice = *InvoiceToCredit(Register(), "2026", 3);
            bool ok;
            int calls;
            QString why;
            CreditNoteWriter writer(Folder(), Ini());
            {
                FaultyFileOps faults;
                faults.Arm(n, error);
                ok = writer.Write(invoice, QDate(2026, 6, 10), &why);
                calls = faults.calls;
            }
            const QVector<RegisterEntry> reg = Register();
            if (!ok) {
                QVERIFY2(!why.isEmpty(), qPrintable(QString::number(n)));
                QCOMPARE(Snapshot(Inv()), before);
            } else {
                QCOMPARE(reg.size(), 4);
                QVERIFY(QFile::exists(Inv() + reg.last().file));
            }
            if (n > calls) {
                QVERIFY(ok);
                break;
            }
        }
        for (int n = 1;; ++n) {
            Reset();
            const QMap<QString, QByteArray> before = Snapshot(Inv());
            CreditNoteWriter writer(Folder(), Ini());
            QVERIFY(writer.Write(*InvoiceToCredit(Register(), "2026", 3), QDate(2026, 6, 10), nullptr));
            bool undone;
            int calls;
            {
                FaultyFileOps faults;
                faults.Arm(n, error);
                undone = writer.Undo();
                calls = faults.calls;
            }
            if (undone) {
                QCOMPARE(Snapshot(Inv()), before);
            } else {
                // The register keeps the note and its file is there: the next cancellation completes it.
                QCOMPARE(Register().last().file, writer.Entry().file);
                QVERIFY(QFile::exists(Inv() + writer.Entry().file));
                QVERIFY(!InvoiceToCredit(Register(), "2026", 3));
            }
            if (n > calls) {
                QVERIFY(undone);
                break;
            }
        }
    }

    void packageHoldsTheChosenFiles() {
        const QStringList files = Reset();
        QCOMPARE(UnsentFiles(Register(), 2026, 3), (QStringList{files[0], files[1]}));
        const PackageResult r = WritePackages(Folder(), Ini(), {files[0], files[2]});
        QVERIFY2(r.failure.isEmpty(), qPrintable(r.failure));
        QCOMPARE(r.packages, QStringList{"IT01234567897_00004.zip"});
        const QString zip = Inv() + r.packages.first();
        QProcess unzip;
        unzip.start("unzip", {"-t", zip});
        QVERIFY(unzip.waitForFinished(30000));
        QVERIFY2(unzip.exitCode() == 0, unzip.readAllStandardOutput().constData());
        // Python's zipfile: exactly the chosen names, each byte for byte.
        QProcess py;
        py.start("python3", {"-c", "import sys,zipfile,hashlib\n"
                                   "z=zipfile.ZipFile(sys.argv[1])\n"
                                   "assert z.testzip() is None\n"
                                   "for n in z.namelist(): print(n, hashlib.sha256(z.read(n)).hexdigest())",
                             zip});
        QVERIFY(py.waitForFinished(30000));
        QVERIFY2(py.exitCode() == 0, py.readAllStandardError().constData());
        QStringList expected;
        for (const QString& f : {files[0], files[2]})
            expected << f + " " +
                            QCryptographicHash::hash(ReadAll(Inv() + f), QCryptographicHash::Sha256).toHex();
        QCOMPARE(QString::fromUtf8(py.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts), expected);
        const QVector<RegisterEntry> reg = Register();
        QCOMPARE(reg[0].stato, QStringLiteral("Nel pacchetto IT01234567897_00004.zip (da caricare)"));
        QCOMPARE(reg[1].stato, QString());
        QCOMPARE(reg[2].stato, reg[0].stato);
        QCOMPARE(UnsentFiles(reg, 2026, 3), QStringList{files[1]});
        // The package took a transmission number: the next invoice skips it.
        const InvoiceBatchResult next =
            WriteInvoices(Folder(), Ini(), "2026", {{Receipt("41", "05/05/2026", "90"), 10, InvoiceRossi()}}, QDate(2026, 5, 6));
        QCOMPARE(next.files, QStringList{"IT01234567897_00005.xml"});
    }

    // A package is waiting until the office says it was uploaded, or the exchange system answers; an
    // answer already read is never turned back into "Inviata".
    void uploadedAfterThePackage() {
        const QStringList files = Reset();
        const PackageResult r = WritePackages(Folder(), Ini(), {files[0], files[1]});
        QVERIFY2(r.failure.isEmpty(), qPrintable(r.failure));
        const QString zip = r.packages.first();
        QCOMPARE(PackagedFiles(Register(), 2026, 0), (QStringList{files[0], files[1]}));
        QCOMPARE(PackagedFiles(Register(), 2026, 5), QStringList{});
        // The exchange system answers for the second before the office marks the package.
        const QString notice = Folder() + files[1].chopped(4) + "_RC_001.xml";
        QVERIFY(WriteAll(notice, Notice("RicevutaConsegna", files[1], "")));
        QVERIFY(ApplySdiNotices(Folder(), {notice}).failure.isEmpty());
        QFile::remove(notice);
        const UploadResult up = MarkUploaded(Folder(), {files[0], files[1], files[2]});
        QVERIFY2(up.failure.isEmpty(), qPrintable(up.failure));
        QCOMPARE(up.marked, QStringList{files[0]});
        const QVector<RegisterEntry> reg = Register();
        QCOMPARE(reg[0].stato, QStringLiteral("Inviata (pacchetto %1)").arg(zip));
        QCOMPARE(reg[1].stato, QStringLiteral("Consegnata il 06/03/2026"));
        QCOMPARE(reg[2].stato, QString()); // never packaged: still to send
        // Pressed twice: nothing left to mark, the register unchanged.
        const QByteArray after = ReadAll(RegisterPath(Folder()));
        QVERIFY(MarkUploaded(Folder(), {files[0]}).marked.isEmpty());
        QCOMPARE(ReadAll(RegisterPath(Folder())), after);
    }

    void packagedStates_data() {
        QTest::addColumn<QString>("stato");
        QTest::addColumn<bool>("packaged");
        QTest::addColumn<QString>("uploaded");
        QTest::newRow("waiting") << "Nel pacchetto IT01234567897_00005.zip (da caricare)" << true
                                 << "Inviata (pacchetto IT01234567897_00005.zip)";
        QTest::newRow("already sent") << "Inviata (pacchetto IT01234567897_00005.zip)" << false
                                      << "Inviata (pacchetto IT01234567897_00005.zip)";
        QTest::newRow("rejected") << "Scartata: 00305 IdCodice" << false << "Scartata: 00305 IdCodice";
        QTest::newRow("to send") << "" << false << "";
    }
    void packagedStates() {
        QFETCH(QString, stato);
        QFETCH(bool, packaged);
        QFETCH(QString, uploaded);
        QCOMPARE(IsPackagedState(stato), packaged);
        QCOMPARE(UploadedState(stato), uploaded);
    }

    void packageSplitsAtTheLimit() {
        const QStringList files = Reset();
        const qint64 one = ReadAll(Inv() + files[0]).size();
        const PackageResult r = WritePackages(Folder(), Ini(), files, 15000, one * 2 + 10);
        QVERIFY2(r.failure.isEmpty(), qPrintable(r.failure));
        QCOMPARE(r.packages.size(), 2);
        for (const QString& p : r.packages)
            QVERIFY(QFileInfo(Inv() + p).size() <= one * 2 + 10);
        const QVector<RegisterEntry> reg = Register();
        QVERIFY(reg[1].stato.contains(r.packages[0]));
        QVERIFY(reg[2].stato.contains(r.packages[1]));
        // A file not in the register refuses the whole package.
        const PackageResult bad = WritePackages(Folder(), Ini(), {files[0], "IT01234567897_09999.xml"});
        QVERIFY(bad.failure.contains("IT01234567897_09999.xml"));
        QVERIFY(bad.packages.isEmpty());
    }

    void packageFaults_data() { creditNoteFaults_data(); }
    void packageFaults() {
        QFETCH(int, error);
        for (int n = 1;; ++n) {
            const QStringList files = Reset();
            const QMap<QString, QByteArray> before = Snapshot(Inv());
            const qint64 one = ReadAll(Inv() + files[0]).size();
            PackageResult r;
            int calls;
            {
                FaultyFileOps faults;
                faults.Arm(n, error);
                r = WritePackages(Folder(), Ini(), files, 15000, one * 2 + 10);
                calls = faults.calls;
            }
            if (!r.failure.isEmpty()) {
                QCOMPARE(Snapshot(Inv()), before); // no package, register untouched
            } else {
                QCOMPARE(r.packages.size(), 2);
                for (const RegisterEntry& e : Register())
                    QVERIFY(IsPackagedState(e.stato));
            }
            if (n > calls) {
                QVERIFY(r.failure.isEmpty());
                break;
            }
        }
    }

    void notices_data() {
        QTest::addColumn<QString>("name");    // file name; %1 the invoice file's stem
        QTest::addColumn<QByteArray>("xml");  // %1 the invoice file name
        QTest::addColumn<QString>("outcome"); // the state, or "!" and part of the reason
        const QString ns = QString::fromLatin1(SdiMessagesNamespace);
        auto n = [](const QString& root, const QString& extra, const QString& nsUri = QString::fromLatin1(
                                                                    SdiMessagesNamespace)) {
            return Notice(root, "%1", extra, nsUri);
        };
        QTest::newRow("delivered")
            << "%1_RC_001.xml"
            << n("RicevutaConsegna", "  <DataOraConsegna>2026-03-07T08:00:00.000+01:00</DataOraConsegna>\n"
                                     "  <Destinatario><Codice>0000000</Codice></Destinatario>\n")
            << "Consegnata il 07/03/2026";
        QTest::newRow("rejected with two errors")
            << "%1_NS_001.xml"
            << n("RicevutaScarto", "  <ListaErrori>\n"
                                   "    <Errore><Codice>00305</Codice><Descrizione>1.4.1.1.2 IdCodice non valido"
                                   "</Descrizione></Errore>\n"
                                   "    <Errore><Codice>00404</Codice><Descrizione>Fattura duplicata</Descrizione>"
                                   "<Suggerimento>Verificare</Suggerimento></Errore>\n"
                                   "  </ListaErrori>\n")
            << "Scartata: 00305 1.4.1.1.2 IdCodice non valido | 00404 Fattura duplicata";
        QTest::newRow("not deliverable")
            << "%1_MC_001.xml" << n("RicevutaImpossibilitaRecapito", "  <Descrizione>Casella piena</Descrizione>\n")
            << "Non recapitata (copia di cortesia alla famiglia)";
        QTest::newRow("damaged") << "%1_RC_002.xml" << QByteArray("<ns3:RicevutaConsegna xmlns:ns3=\"") + ns.toUtf8() +
                                                           "\"><IdentificativoSdI>1</Ident"
                                 << "!danneggiato";
        QTest::newRow("another namespace")
            << "%1_RC_003.xml" << n("RicevutaConsegna", "", "http://example.org/x") << "!non è un messaggio";
        QTest::newRow("kind not as named") << "%1_NS_004.xml" << n("RicevutaConsegna", "") << "!il nome dice NS";
        QTest::newRow("rejection without errors") << "%1_NS_005.xml" << n("RicevutaScarto", "") << "!alcun errore";
        QTest::newRow("not a notification name") << "ricevuta.xml" << n("RicevutaConsegna", "") << "!il nome";
        QTest::newRow("other root") << "%1_RC_006.xml" << n("NotificaEsito", "") << "!non è una ricevuta";
        QTest::newRow("unknown invoice")
            << "IT01234567897_09999_RC_001.xml"
            << Notice("RicevutaConsegna", "IT01234567897_09999.xml", "") << "!non è nel registro";
    }
    void notices() {
        QFETCH(QString, name);
        QFETCH(QByteArray, xml);
        QFETCH(QString, outcome);
        const QStringList files = Reset();
        const QString stem = files[1].chopped(4);
        const QString path = Folder() + "in/" + QString(name).replace("%1", stem);
        QDir().mkpath(Folder() + "in");
        QVERIFY(WriteAll(path, QString::fromUtf8(xml).replace("%1", files[1]).toUtf8()));
        const QByteArray before = ReadAll(RegisterPath(Folder()));
        NoticeResult r = ApplySdiNotices(Folder(), {path});
        QVERIFY(r.failure.isEmpty());
        if (outcome.startsWith('!')) {
            QCOMPARE(r.refused.size(), 1);
            QVERIFY2(r.refused[0].startsWith(QFileInfo(path).fileName()) && r.refused[0].contains(outcome.mid(1)),
                     qPrintable(r.refused[0]));
            QCOMPARE(ReadAll(RegisterPath(Folder())), before);
        } else {
            QCOMPARE(r.applied.size(), 1);
            QCOMPARE(Register()[1].stato, outcome);
            QCOMPARE(Register()[0].stato, QString());
            // Read twice: nothing changes.
            const QByteArray after = ReadAll(RegisterPath(Folder()));
            r = ApplySdiNotices(Folder(), {path});
            QVERIFY(r.applied.isEmpty());
            QCOMPARE(r.unchanged.size(), 1);
            QCOMPARE(ReadAll(RegisterPath(Folder())), after);
        }
        QDir(Folder() + "in").removeRecursively();
    }

    void noticeFaults() {
        // A register that cannot be saved: the notices change nothing and say so.
        for (int n = 1;; ++n) {
            const QStringList files = Reset();
            const QString path = Folder() + files[0].chopped(4) + "_RC_001.xml";
            QVERIFY(WriteAll(path, Notice("RicevutaConsegna", files[0], "")));
            const QByteArray before = ReadAll(RegisterPath(Folder()));
            NoticeResult r;
            int calls;
            {
                FaultyFileOps faults;
                faults.Arm(n, EIO);
                r = ApplySdiNotices(Folder(), {path});
                calls = faults.calls;
            }
            if (!r.failure.isEmpty()) {
                QVERIFY(r.applied.isEmpty());
                QCOMPARE(ReadAll(RegisterPath(Folder())), before);
            } else {
                QCOMPARE(Register()[0].stato, QStringLiteral("Consegnata il 06/03/2026"));
            }
            QFile::remove(path);
            if (n > calls)
                break;
        }
    }

    void stampDuty() {
        QCOMPARE(StampDeadline(2026, 1), QDate(2026, 5, 31));
        QCOMPARE(StampDeadline(2026, 2), QDate(2026, 9, 30));
        QCOMPARE(StampDeadline(2026, 3), QDate(2026, 11, 30));
        QCOMPARE(StampDeadline(2026, 4), QDate(2027, 2, 28));
        QCOMPARE(StampDeadline(2027, 4), QDate(2028, 2, 29));
        QCOMPARE(StampTaxCode(1), QStringLiteral("2521"));
        QCOMPARE(StampTaxCode(4), QStringLiteral("2524"));

        const QStringList files = Reset();
        CreditNoteWriter writer(Folder(), Ini());
        QVERIFY(writer.Write(*InvoiceToCredit(Register(), "2026", 9), QDate(2026, 10, 2), nullptr));
        QVector<RegisterEntry> reg = Register();
        // A line written before the stamp column: its file says.
        reg[0].bollo.clear();
        QVector<StampQuarter> q = StampDutyQuarters(reg, 2026, Inv());
        QCOMPARE(q[0].documents.size(), 1); // receipt 27 (150); 28 is below the threshold
        QCOMPARE(q[0].documents[0].file, files[0]);
        QCOMPARE(q[0].dueCents, 200);
        QCOMPARE(q[1].documents.size(), 1); // receipt 40 of May
        QCOMPARE(q[2].documents.size(), 0);
        QCOMPARE(q[3].documents.size(), 1); // its credit note of October
        QVERIFY(q[3].documents[0].IsCreditNote());
        // A rejected invoice owes nothing; another year has none.
        reg[2].stato = QStringLiteral("Scartata: 00404 Fattura duplicata");
        q = StampDutyQuarters(reg, 2026, Inv());
        QCOMPARE(q[1].documents.size(), 0);
        QCOMPARE(q[1].dueCents, 0);
        for (const StampQuarter& s : StampDutyQuarters(reg, 2025, Inv()))
            QCOMPARE(s.documents.size(), 0);
    }
};

QTEST_GUILESS_MAIN(TestEInvoiceLife)
#include "tst_einvoicelife.moc"
