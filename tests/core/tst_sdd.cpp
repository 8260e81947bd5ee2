// The month's direct-debit file: which lines go in and with what sequence, the ids the statement
// brings back, the due date, the XML of both formats checked by a schema validator, and the write
// that sets the first-collection flags only with the file, under a failure at every file call.
#include "../support/FaultyFileOps.h"
#include "payments/SddFile.h"
#include "payments/SddRegister.h"
#include "storage/IniFile.h"
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <QtTest>

using namespace payments;

namespace {
const fees::FeeMonth kOct{2026, 10};

fees::FeeLine Line(qint64 card, const QString& parent, const QString& code, const QString& child, qint64 due,
                   qint64 paid = 0, fees::LineState state = fees::LineState::ToIssue) {
    fees::FeeLine l;
    l.card = card;
    l.parent = parent;
    l.taxCode = code;
    l.child = child;
    l.fee = QString::number(due / 10000);
    l.due = due;
    l.paid = paid;
    l.state = paid > 0 && state == fees::LineState::ToIssue ? fees::LineState::Partial : state;
    l.ticked = true;
    return l;
}

Mandate M(const QString& code, const QString& iban, const QString& id, bool firstDone) {
    return Mandate{code, iban, id, QDate(2026, 9, 1), firstDone};
}

PaymentSettings Creditor() {
    PaymentSettings s;
    s.iban = QStringLiteral("IT60X0542811101000000123456");
    s.intestatario = QStringLiteral("Asilo Nido Il Girasole");
    s.creditorId = QStringLiteral("IT91ZZZ01234567897");
    s.cuc = QStringLiteral("1234567A");
    return s;
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The logical message of the CBI file moved into the ISO namespace inside an ISO Document, element by
// element: it must then be a valid pain.008.001.08 message, since the CBI message restricts it.
QByteArray CbiLogicalAsIso(const QByteArray& cbi) {
    const QString iso = QStringLiteral("urn:iso:std:iso:20022:tech:xsd:pain.008.001.08");
    const QString log = QStringLiteral("urn:CBI:xsd:CBISDDReqLogMsg.00.01.01");
    QXmlStreamReader r(cbi);
    QByteArray out;
    QXmlStreamWriter w(&out);
    w.writeStartDocument();
    w.writeDefaultNamespace(iso);
    w.writeStartElement(iso, QStringLiteral("Document"));
    w.writeStartElement(iso, QStringLiteral("CstmrDrctDbtInitn"));
    int depth = 0;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement() && (depth > 0 || r.namespaceUri() == log)) {
            if (r.namespaceUri() != log)
                return QByteArray("element outside the logical message's namespace");
            ++depth;
            w.writeStartElement(iso, r.name().toString());
            for (const auto& a : r.attributes())
                w.writeAttribute(a.name().toString(), a.value().toString());
        } else if (r.isEndElement() && depth > 0) {
            --depth;
            w.writeEndElement();
        } else if (r.isCharacters() && depth > 0 && !r.isWhitespace()) {
            w.writeCharacters(r.text().toString());
        }
    }
    if (r.hasError())
        return QByteArray("not well formed");
    w.writeEndDocument();
    return out;
}
} // namespace

class TestSdd : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_xsd; // pain.008.001.08.xsd taken from the Debian package's jar

    QString Folder() const { return m_dir.path() + QLatin1Char('/'); }
    SddPlan SamplePlan() const {
        Mandates ms;
        ms.Put(M("RSSMRA85T10A562S", "IT60X0542811101000000123456", "MAND-001", false));
        ms.Put(M("BNCLRA90A41F205I", "DE89370400440532013000", "MAND-002", true));
        const QVector<fees::FeeLine> lines = {
            Line(1, QString::fromUtf8("Rossi Màrio"), "RSSMRA85T10A562S", "Rossi Luca", 2500000),
            Line(2, "Bianchi Lara", "BNCLRA90A41F205I", QString::fromUtf8("Bianchi Zoë & Anna"), 2500000, 1000000),
        };
        return PlanCollections(lines, {0, 1}, ms, kOct);
    }
    SddHeader Header() const {
        SddHeader h;
        h.creditor = Creditor();
        h.creditorName = h.creditor.intestatario;
        h.dueDate = QDate(2026, 10, 5);
        h.created = QDateTime(QDate(2026, 10, 1), QTime(9, 30, 0));
        h.messageId = QStringLiteral("SDD-2026-10-1");
        return h;
    }
    // Runs xmllint --schema; empty when valid, else its complaint.
    QString Validate(const QByteArray& xml, const QString& name) {
        const QString path = m_dir.path() + QLatin1Char('/') + name;
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return QStringLiteral("cannot write %1").arg(path);
        f.write(xml);
        f.close();
        QProcess p;
        p.start(QStringLiteral("xmllint"), {QStringLiteral("--noout"), QStringLiteral("--schema"), m_xsd, path});
        p.waitForFinished(30000);
        return p.exitCode() == 0 ? QString() : QString::fromUtf8(p.readAllStandardError());
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        const QString jar = QStringLiteral("/usr/share/java/hbci4j-core.jar");
        if (!QFile::exists(jar) || QStandardPaths::findExecutable(QStringLiteral("xmllint")).isEmpty())
            return; // the schema tests skip, saying why
        QProcess unzip;
        unzip.start(QStringLiteral("unzip"), {QStringLiteral("-o"), QStringLiteral("-q"), jar,
                                              QStringLiteral("pain.008.001.08.xsd"), QStringLiteral("-d"), m_dir.path()});
        QVERIFY(unzip.waitForFinished(30000));
        m_xsd = m_dir.path() + QStringLiteral("/pain.008.001.08.xsd");
        QVERIFY(QFile::exists(m_xsd));
    }

    // Which ticked lines go in, with what sequence and amount; the rest is listed with the reason.
    void plan() {
        Mandates ms;
        ms.Put(M("RSSMRA85T10A562S", "IT60X0542811101000000123456", "MAND-001", false)); // first collection
        ms.Put(M("BNCLRA90A41F205I", "DE89370400440532013000", "MAND-002", true));       // already collected
        ms.Put(M("VRDGPP13A10B157J", "IT61X0542811101000000123456", "MAND-003", true));  // wrong IBAN
        const QVector<fees::FeeLine> lines = {
            Line(1, "Rossi Mario", "RSSMRA85T10A562S", "Rossi Luca", 2500000),
            Line(2, "Rossi Mario", "rssmra85t10a562s", "Rossi Anna", 2500000), // sibling, same mandate
            Line(3, "Bianchi Lara", "BNCLRA90A41F205I", "Bianchi Zoe", 2500000, 1000000), // paid in part
            Line(4, "Neri Paolo", "NREPLA80A01H501X", "Neri Ugo", 2500000),               // no mandate
            Line(5, "Bianchi Lara", "BNCLRA90A41F205I", "Bianchi Eva", 2500000, 2500000, fees::LineState::Paid),
            Line(6, "Gialli Rita", "", "Gialli Bea", 2500000, 0, fees::LineState::Blocked),
            Line(7, "Verdi Pino", "VRDGPP13A10B157J", "Verdi Ada", 2500000),
            Line(8, "Verdi Pino", "VRDGPP13A10B157J", "Verdi Teo", 0), // fee not readable
        };
        const SddPlan p = PlanCollections(lines, {0, 1, 2, 3, 4, 5, 6, 7}, ms, kOct);
        QCOMPARE(p.collections.size(), 3);
        QCOMPARE(p.collections[0].sequence, Sequence::First);
        QCOMPARE(p.collections[1].sequence, Sequence::First);
        QCOMPARE(p.collections[1].mandateId, QString("MAND-001"));
        QCOMPARE(p.collections[2].sequence, Sequence::Recurring);
        QCOMPARE(p.collections[2].amount, qint64(1500000)); // the rest of the month, as the month rule says
        QCOMPARE(p.collections[2].iban, QString("DE89370400440532013000"));
        QCOMPARE(p.Total(), qint64(6500000));
        QVector<int> left;
        for (const SddLeftOut& l : p.leftOut)
            left << l.line;
        QCOMPARE(left, (QVector<int>{3, 4, 5, 6, 7}));
        QVERIFY(p.leftOut[0].reason.contains("nessun mandato"));
        QVERIFY(p.leftOut[1].reason.contains(QString::fromUtf8("già pagata")));
        QVERIFY(p.leftOut[3].reason.contains("IBAN"));
        QVERIFY(p.leftOut[4].reason.contains("importo"));
    }

    void endToEnd_data() {
        QTest::addColumn<qint64>("card");
        QTest::addColumn<QString>("child");
        QTest::addColumn<QString>("id");
        QTest::newRow("plain") << qint64(42) << "Rossi Luca" << "RT202610C42-ROSSILUCA";
        QTest::newRow("accents and apostrophe") << qint64(7) << QString::fromUtf8("D'Amico Zoë") << "RT202610C7-DAMICOZOE";
        QTest::newRow("long name cut at 35") << qint64(123456) << "Abbondanzieri Bartolomeo Massimiliano"
                                             << "RT202610C123456-ABBONDANZIERIBARTOL";
    }
    void endToEnd() {
        QFETCH(qint64, card);
        QFETCH(QString, child);
        QFETCH(QString, id);
        QCOMPARE(EndToEndId(kOct, card, child), id);
        QVERIFY(id.size() <= 35);
        const auto back = ParseEndToEndId(id);
        QVERIFY(back);
        QCOMPARE(back->card, card);
        QCOMPARE(back->month.year, 2026);
        QCOMPARE(back->month.month, 10);
    }
    void endToEndOfOthers() {
        for (const char* other : {"NOTPROVIDED", "RT202613C4-X", "RT2026C4", "RT202610C0-X", "XRT202610C4-A", ""})
            QVERIFY2(!ParseEndToEndId(QString::fromLatin1(other)), other);
        QCOMPARE(RemittanceText(kOct, QString::fromUtf8("Rossi Zoë"), "rssmra85t10a562s"),
                 QString("Retta ottobre 2026 ROSSI ZOE CF RSSMRA85T10A562S"));
    }

    void dueDate_data() {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QDate>("earliest");
        QTest::newRow("Thursday") << QDate(2026, 10, 1) << QDate(2026, 10, 2);
        QTest::newRow("Friday to Monday") << QDate(2026, 10, 2) << QDate(2026, 10, 5);
        QTest::newRow("Christmas Eve 2026 (Thursday)") << QDate(2026, 12, 24) << QDate(2026, 12, 28);
        QTest::newRow("New Year's Eve") << QDate(2026, 12, 31) << QDate(2027, 1, 4);
        QTest::newRow("Thursday before Easter 2027") << QDate(2027, 3, 25) << QDate(2027, 3, 30);
        QTest::newRow("30 April 2027 (Friday)") << QDate(2027, 4, 30) << QDate(2027, 5, 3);
    }
    void dueDate() {
        QFETCH(QDate, today);
        QFETCH(QDate, earliest);
        QCOMPARE(EarliestDueDate(today), earliest);
    }

    void sepaText() {
        QCOMPARE(SepaText(QString::fromUtf8("Società «Il Nido» & C. — n°1"), 70), QString("Societa Il Nido + C. n 1"));
        QCOMPARE(SepaText(QString(100, QLatin1Char('x')), 70).size(), 70);
    }

    // The bare ISO file passes the ISO schema; payment blocks by sequence, FRST first.
    void isoFileIsValid() {
        if (m_xsd.isEmpty())
            QSKIP("xmllint or the jar of libhbci4j-core-java is missing (scripts/install-deps.sh test)");
        const QByteArray xml = BuildSddXml(Header(), SamplePlan(), PaymentSettings::SddFormat::Iso);
        QCOMPARE(Validate(xml, "iso.xml"), QString());
        const QString text = QString::fromUtf8(xml);
        QVERIFY(text.indexOf("<SeqTp>FRST</SeqTp>") < text.indexOf("<SeqTp>RCUR</SeqTp>"));
        QVERIFY(text.contains("<CtrlSum>400.00</CtrlSum>"));
        QVERIFY(text.contains("<InstdAmt Ccy=\"EUR\">150.00</InstdAmt>"));
        QVERIFY(text.contains("<Nm>Rossi Mario</Nm>"));
        QVERIFY(text.contains("<Ustrd>Retta ottobre 2026 BIANCHI ZOE + ANNA CF BNCLRA90A41F205I</Ustrd>"));
        QVERIFY(text.contains("<ReqdColltnDt>2026-10-05</ReqdColltnDt>"));
        QVERIFY(text.contains("<Id>IT91ZZZ01234567897</Id>"));
    }

    // The CBI file: the physical message around one logical message, which is a valid ISO message once
    // moved into the ISO namespace.
    void cbiFileRestrictsIso() {
        const QByteArray xml = BuildSddXml(Header(), SamplePlan(), PaymentSettings::SddFormat::Cbi);
        const QString text = QString::fromUtf8(xml);
        QVERIFY(text.contains("urn:CBI:xsd:CBIBdySDDReq.00.01.01"));
        QVERIFY(text.contains("<BODY:PhyMsgTpCd>INC-SDDC-01</BODY:PhyMsgTpCd>"));
        QVERIFY(text.contains("<BODY:NbOfLogMsg>1</BODY:NbOfLogMsg>"));
        QVERIFY(text.contains("<PMRQ:MmbId>05428</PMRQ:MmbId>")); // the school's bank by its ABI
        QVERIFY(text.contains("<PMRQ:Issr>CBI</PMRQ:Issr>"));
        if (m_xsd.isEmpty())
            QSKIP("xmllint or the jar of libhbci4j-core-java is missing (scripts/install-deps.sh test)");
        const QByteArray iso = CbiLogicalAsIso(xml);
        QVERIFY2(iso.startsWith("<?xml"), iso.constData());
        QCOMPARE(Validate(iso, "cbi-logical.xml"), QString());
    }

    // The validator does catch a broken file, so the passes above mean something.
    void validatorRejectsABrokenFile() {
        if (m_xsd.isEmpty())
            QSKIP("xmllint or the jar of libhbci4j-core-java is missing (scripts/install-deps.sh test)");
        QByteArray xml = BuildSddXml(Header(), SamplePlan(), PaymentSettings::SddFormat::Iso);
        xml.replace("<SeqTp>RCUR</SeqTp>", "<SeqTp>OOFF1</SeqTp>");
        QVERIFY(!Validate(xml, "broken.xml").isEmpty());
    }

    // A month's file gets _1 and marks the FRST payers in the mandates, keeping the others; the same lines
    // are never written to a second file; a file already on the disk keeps its number.
    void writeNumbersAndMarks() {
        QTemporaryDir dir;
        const QString folder = dir.path() + QLatin1Char('/');
        const QString mandates = folder + MandatesFileName;
        QVERIFY(SaveMandate(mandates, M("RSSMRA85T10A562S", "IT60X0542811101000000123456", "MAND-001", false)));
        QVERIFY(SaveMandate(mandates, M("BNCLRA90A41F205I", "DE89370400440532013000", "MAND-002", true)));
        const SddWriteResult a = WriteSddFile(folder, Header(), SamplePlan(), PaymentSettings::SddFormat::Cbi);
        QVERIFY2(a.ok, qPrintable(a.error));
        QCOMPARE(a.path, folder + "SDD/SDD_2026_10_1.xml");
        Mandates back;
        QVERIFY(back.Load(mandates));
        QVERIFY(back.Of("RSSMRA85T10A562S")->firstDone);
        QVERIFY(back.Of("BNCLRA90A41F205I")->firstDone);
        QCOMPARE(IniRead(mandates, "RSSMRA85T10A562S", "Primo addebito"), QString("SI"));
        const SddWriteResult b = WriteSddFile(folder, Header(), SamplePlan(), PaymentSettings::SddFormat::Iso);
        QVERIFY(!b.ok);
        QVERIFY(b.path.isEmpty());
        // A file put in the folder by hand is not overwritten: the next month's file of the same number is
        // written beside it under the next one.
        QVERIFY(QFile::copy(a.path, folder + "SDD/SDD_2026_10_2.xml"));
        QFile::remove(folder + QLatin1String(SddRegisterName));
        const SddWriteResult c = WriteSddFile(folder, Header(), SamplePlan(), PaymentSettings::SddFormat::Iso);
        QVERIFY2(c.ok, qPrintable(c.error));
        QCOMPARE(c.path, folder + "SDD/SDD_2026_10_3.xml");
    }

    // A failure at any file call: either the file and its flags, or neither.
    void faultAtEveryCall() {
        for (int err : {ENOSPC, EIO}) {
            for (int n = 1;; ++n) {
                QTemporaryDir dir;
                const QString folder = dir.path() + QLatin1Char('/');
                const QString mandates = folder + MandatesFileName;
                QVERIFY(SaveMandate(mandates, M("RSSMRA85T10A562S", "IT60X0542811101000000123456", "MAND-001", false)));
                const QByteArray before = ReadAll(mandates);
                SddWriteResult r;
                bool hit = false;
                {
                    FaultyFileOps faults;
                    faults.Arm(n, err);
                    r = WriteSddFile(folder, Header(), SamplePlan(), PaymentSettings::SddFormat::Cbi);
                    hit = faults.failed != nullptr;
                }
                const QStringList files = QDir(folder + "SDD").entryList({"*.xml", ".*"}, QDir::Files | QDir::Hidden);
                if (r.ok) {
                    QCOMPARE(files, QStringList{"SDD_2026_10_1.xml"});
                    Mandates back;
                    QVERIFY(back.Load(mandates));
                    QVERIFY(back.Of("RSSMRA85T10A562S")->firstDone);
                } else {
                    QVERIFY2(hit, "failed without a fault");
                    QVERIFY2(files.isEmpty(), qPrintable(files.join(',')));
                    QCOMPARE(ReadAll(mandates), before);
                    QVERIFY(!r.error.isEmpty());
                }
                if (!hit)
                    break;
                QVERIFY(n < 100);
            }
        }
    }

    void mandates() {
        QTemporaryDir dir;
        const QString path = dir.path() + "/Mandati_SDD.ini";
        Mandates all;
        all.Put(M("BNCLRA90A41F205I", "DE89370400440532013000", "MAND-002", true));
        const QDate today(2026, 10, 1);
        Mandate m = M("RSSMRA85T10A562S", "IT60X0542811101000000123456", "MAND-001", false);
        QCOMPARE(CheckMandate(m, all, today), QString());
        Mandate bad = m;
        bad.iban = "IT61X0542811101000000123456";
        QVERIFY(CheckMandate(bad, all, today).startsWith("L'IBAN del pagatore ha le cifre di controllo sbagliate"));
        bad = m;
        bad.id = "mand-002";
        QVERIFY(CheckMandate(bad, all, today).contains("BNCLRA90A41F205I"));
        bad.taxCode = "BNCLRA90A41F205I"; // its own id again is fine
        QCOMPARE(CheckMandate(bad, all, today), QString());
        bad = m;
        bad.id = "MAND/001 *";
        QVERIFY(CheckMandate(bad, all, today).contains("35 caratteri"));
        bad = m;
        bad.signedOn = QDate(2026, 10, 2);
        QVERIFY(CheckMandate(bad, all, today).contains("posteriore"));
        QVERIFY(IsValidMandateId(QString(35, 'A')));
        QVERIFY(!IsValidMandateId(QString(36, 'A')));
        QVERIFY(!IsValidMandateId("/A"));
        QVERIFY(!IsValidMandateId("A//B"));

        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("; mandati\r\n[rssmra85t10a562s]\r\niban=IT60 X054 2811 1010 0000 0123 456\r\nMandato=M1\r\n"
                "Data firma=01/09/2026\r\nPrimo addebito=no\r\n");
        f.close();
        QVERIFY(SaveMandate(path, M("BNCLRA90A41F205I", "DE89370400440532013000", "M2", true)));
        Mandates back;
        QVERIFY(back.Load(path));
        QCOMPARE(back.Count(), 2);
        QCOMPARE(back.Of("RSSMRA85T10A562S")->iban, QString("IT60X0542811101000000123456"));
        QCOMPARE(back.Of("RSSMRA85T10A562S")->signedOn, QDate(2026, 9, 1));
        QVERIFY(!back.Of("RSSMRA85T10A562S")->firstDone);
        QVERIFY(back.Of("BNCLRA90A41F205I")->firstDone);
        QVERIFY(!back.Of("NREPLA80A01H501X"));
        QVERIFY(ReadAll(path).startsWith("; mandati\r\n[rssmra85t10a562s]\r\niban=IT60 X054"));
    }
};

QTEST_GUILESS_MAIN(TestSdd)
#include "tst_sdd.moc"
