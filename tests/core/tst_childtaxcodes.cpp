// The child's tax code kept beside the registry: the check against the card's birth date, the file
// keyed by card number with the child's name as a guard, the card import's column saved under the
// registry's lock with the numbers the cards get (all or nothing at every failing file call), the daily
// backup; and the payment text with its date and references, written and read by one pair.
#include "../support/FaultyFileOps.h"
#include "einvoice/Invoice.h"
#include "receipts/PaymentText.h"
#include "registry/CardImport.h"
#include "registry/ChildTaxCodes.h"
#include "registry/ColumnGuess.h"
#include "storage/Backup.h"
#include "storage/RegistryFile.h"
#include "validators/TaxCode.h"
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QString kLuca = QStringLiteral("RSSLCU24C12H501K");    // male, born 12/03/2024
const QString kAnna = QStringLiteral("RSSNNA25A50H501E");    // female, born 10/01/2025
const QString kOmocode = QStringLiteral("RSSLCU24C1NH501Z"); // as kLuca, a day digit replaced by a letter
const QString kParent = QStringLiteral("RSSMRA80A01H501U");

QByteArray Bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

bool WriteBack(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

RegistryRecord Card(const QString& child) {
    RegistryRecord c;
    c.Tiratore = QStringLiteral("Rossi Mario");
    c.CodFisc = kParent;
    c.Armi = child;
    return c;
}

// An import row: the required fields, the child and its code and birth date.
QStringList Row(const QString& child, const QString& code, const QString& birth) {
    return {"Rossi Mario", kParent, "01/09/2027", "Retta", "12", "250", "31/08/2027", child, code, birth};
}
const QStringList kHeader = {"Genitore",
                             "Codice fiscale",
                             "Scadenza certificato medico",
                             "Causale",
                             "Numero iscrizione",
                             "Quota",
                             "Data scadenza",
                             "Minore",
                             "Codice fiscale minore",
                             "Data nascita minore"};
} // namespace

class TestChildTaxCodes : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        for (const QString& c : {kLuca, kAnna, kOmocode, kParent})
            QCOMPARE(CheckTaxCode(c), TaxCodeResult::Valid);
    }

    void checkAgainstTheCard_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("birth");
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("warning"); // a piece of the warning; empty: none
        QTest::newRow("blank") << ""
                               << "12/03/2024" << int(ChildCodeCheck::Missing) << "";
        QTest::newRow("matches") << kLuca << "12/03/2024" << int(ChildCodeCheck::Valid) << "";
        QTest::newRow("girl: day plus 40") << kAnna << "10/01/2025" << int(ChildCodeCheck::Valid) << "";
        QTest::newRow("letter for a digit") << kOmocode << "12/03/2024" << int(ChildCodeCheck::Valid) << "";
        QTest::newRow("birth date blank: not compared") << kLuca << "" << int(ChildCodeCheck::Valid) << "";
        QTest::newRow("birth date free text: not compared")
            << kLuca << "marzo 2024" << int(ChildCodeCheck::Valid) << "";
        QTest::newRow("other day") << kLuca << "13/03/2024" << int(ChildCodeCheck::Valid)
                                   << "nascita il 12/03/..24 (maschio), mentre la scheda indica il 13/03/2024";
        QTest::newRow("other month") << kAnna << "10/02/2025" << int(ChildCodeCheck::Valid) << "(femmina)";
        QTest::newRow("other year") << kLuca << "12/03/2023" << int(ChildCodeCheck::Valid) << "12/03/2023";
        QTest::newRow("wrong check letter") << "RSSLCU24C12H501X"
                                            << "12/03/2024" << int(ChildCodeCheck::Wrong) << "";
        QTest::newRow("short") << "RSSLCU24C12"
                               << "" << int(ChildCodeCheck::Wrong) << "";
    }
    void checkAgainstTheCard() {
        QFETCH(QString, code);
        QFETCH(QString, birth);
        QFETCH(int, state);
        QFETCH(QString, warning);
        const ChildCodeCheck c = CheckChildTaxCode(code, birth);
        QCOMPARE(int(c.state), state);
        QCOMPARE(c.problem.isEmpty(), state != ChildCodeCheck::Wrong);
        if (warning.isEmpty())
            QVERIFY2(c.warning.isEmpty(), qPrintable(c.warning));
        else
            QVERIFY2(c.warning.contains(warning), qPrintable(c.warning));
    }

    void normalisedAsTyped() { QCOMPARE(NormaliseChildTaxCode(QStringLiteral(" rss lcu24c12h501k ")), kLuca); }

    // The code follows the card number; the child's name guards against a number reused for another child.
    void keptByCardWithTheChildAsGuard() {
        QTemporaryDir dir;
        const QString path = ChildTaxCodesPath(dir.path());
        { // a file with lines of another kind, kept as they are
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("; scritto a mano\r\n[Altro]\r\nChiave=valore\r\n");
        }
        QString error;
        QVERIFY2(SaveChildTaxCodes(path, {{3, "Rossi Luca", kLuca}, {4, "Rossi Anna", kAnna}}, &error),
                 qPrintable(error));
        QVERIFY(SaveChildTaxCodes(path, {{3, "Rossi Luca Maria", kLuca}})); // the child's name corrected
        ChildTaxCodes codes;
        QVERIFY(codes.Load(path));
        QCOMPARE(codes.Of(3, "rossi luca maria"), kLuca);
        QCOMPARE(codes.Of(3, "Rossi Luca"), QString()); // the name it no longer has
        QCOMPARE(codes.Of(4, "Rossi Anna"), kAnna);
        QCOMPARE(codes.Of(5, "Rossi Anna"), QString());
        QVERIFY(Bytes(path).startsWith("; scritto a mano\r\n[Altro]\r\nChiave=valore\r\n"));
        ChildTaxCodes none;
        QVERIFY(none.Load(dir.filePath("assente.ini")));
        QCOMPARE(none.Count(), 0);
    }

    // A failure at any file call leaves the file as it was, never half written.
    void savedWholeOrNotAtAll() {
        QTemporaryDir dir;
        const QString path = ChildTaxCodesPath(dir.path());
        QVERIFY(SaveChildTaxCodes(path, {{1, "Rossi Luca", kLuca}}));
        const QByteArray before = Bytes(path);
        int failures = 0;
        for (int n = 1;; ++n) {
            FaultyFileOps faults;
            faults.Arm(n, EIO);
            const bool ok = SaveChildTaxCodes(path, {{2, "Rossi Anna", kAnna}});
            faults.Arm(0, 0);
            if (ok) {
                QVERIFY(n > 1);
                break;
            }
            ++failures;
            QCOMPARE(Bytes(path), before);
        }
        QVERIFY(failures >= 3); // open, write, flush, rename at least
    }

    void importColumn_data() {
        QTest::addColumn<QString>("header");
        QTest::newRow("the editor's caption") << "Codice fiscale minore";
        QTest::newRow("with the article") << "Codice fiscale del minore";
        QTest::newRow("C.F. bambino") << "C.F. bambino";
        QTest::newRow("cf alunna") << "CF alunna";
    }
    void importColumn() {
        QFETCH(QString, header);
        const QVector<int> mapping = GuessMapping({"Genitore", "Minore", header, "Codice fiscale"});
        QCOMPARE(mapping, (QVector<int>{RegistryField::Tiratore, RegistryField::Armi, kChildTaxCodeColumn,
                                        RegistryField::CodFisc}));
    }

    void importRowChecksTheCode_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("birth");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<QString>("warning"); // a piece of the only warning; empty: none
        QTest::newRow("right") << "rsslcu24c12h501k"
                               << "12/03/2024" << kLuca << "";
        QTest::newRow("blank") << ""
                               << "12/03/2024"
                               << ""
                               << "";
        QTest::newRow("another birth date: kept, told") << kLuca << "2024-03-13" << kLuca << "13/03/2024";
        QTest::newRow("wrong: left out, told") << "RSSLCU24C12H501X"
                                               << "12/03/2024"
                                               << ""
                                               << "non è corretto: non importato";
    }
    void importRowChecksTheCode() {
        QFETCH(QString, code);
        QFETCH(QString, birth);
        QFETCH(QString, kept);
        QFETCH(QString, warning);
        const ImportRow r = CheckImportRow(Row("Rossi Luca", code, birth), GuessMapping(kHeader), 2);
        QVERIFY2(r.Good(), qPrintable(r.errors.join("; ")));
        QCOMPARE(r.childTaxCode, kept);
        if (warning.isEmpty()) {
            QVERIFY2(r.warnings.isEmpty(), qPrintable(r.warnings.join("; ")));
        } else {
            QCOMPARE(r.warnings.size(), 1);
            QVERIFY2(r.warnings.first().contains(warning), qPrintable(r.warnings.first()));
        }
    }

    // The codes are keyed by the numbers the cards get: after the cards already there, skipping the rows
    // left out. At any failing file call neither the registry nor the codes change.
    void importSavesCodesWithTheCards() {
        QTemporaryDir dir;
        const QString folder = dir.path() + u'/';
        {
            RegistryFile registry;
            QVERIFY(registry.OpenOrCreate(folder));
            QVERIFY(registry.AppendRecord(Card("Verdi Ada")));
            QVERIFY(registry.AppendRecord(Card("Rossi Anna"))); // the import's third row is this card
            QVERIFY(registry.Close());
        }
        QVERIFY(SaveChildTaxCodes(ChildTaxCodesPath(folder), {{1, "Verdi Ada", "VRDADA24E55L219L"}}));
        const QVector<int> mapping = GuessMapping(kHeader);
        QVector<ImportRow> rows{CheckImportRow(Row("Rossi Luca", kLuca, ""), mapping, 2),
                                CheckImportRow(Row("Rossi Anna", kAnna, ""), mapping, 3),
                                CheckImportRow(Row("Rossi Pia", "", ""), mapping, 4),
                                CheckImportRow(Row("Rossi Ugo", kOmocode, ""), mapping, 5)};
        const QByteArray registryBefore = Bytes(folder + RegistryFileName);
        const QByteArray codesBefore = Bytes(ChildTaxCodesPath(folder));
        int failures = 0;
        ImportOutcome out;
        for (int n = 1;; ++n) {
            const char* failed = nullptr;
            {
                FaultyFileOps faults;
                faults.Arm(n, n % 2 ? ENOSPC : EIO);
                out = AppendImportedCards(folder, rows, true);
                failed = faults.failed;
            }
            if (!failed)
                break;
            QVERIFY(!out.ok);
            ++failures;
            // A close that fails after the flushed batch cannot take the cards back: cards and codes are
            // then both there.
            const bool closedLate =
                QByteArray(failed) == "close" && Bytes(folder + RegistryFileName).size() == 5 * RegistryRecord::Size;
            if (closedLate) {
                ChildTaxCodes codes;
                QVERIFY(codes.Load(ChildTaxCodesPath(folder)));
                QCOMPARE(codes.Of(5, "Rossi Ugo"), kOmocode);
                QVERIFY(WriteBack(folder + RegistryFileName, registryBefore));
                QVERIFY(WriteBack(ChildTaxCodesPath(folder), codesBefore));
                continue;
            }
            QVERIFY2(Bytes(folder + RegistryFileName) == registryBefore, failed);
            QVERIFY2(Bytes(ChildTaxCodesPath(folder)) == codesBefore, failed);
        }
        QVERIFY2(out.ok, qPrintable(out.error));
        QVERIFY(failures >= 4);
        QCOMPARE(out.appended, 3);
        QCOMPARE(out.skipped, 1);
        QCOMPARE(out.first, 3);
        ChildTaxCodes codes;
        QVERIFY(codes.Load(ChildTaxCodesPath(folder)));
        QCOMPARE(codes.Of(1, "Verdi Ada"), QStringLiteral("VRDADA24E55L219L"));
        QCOMPARE(codes.Of(2, "Rossi Anna"), QString()); // the card already there keeps what it had
        QCOMPARE(codes.Of(3, "Rossi Luca"), kLuca);
        QCOMPARE(codes.Of(4, "Rossi Pia"), QString());
        QCOMPARE(codes.Of(5, "Rossi Ugo"), kOmocode);
        // The card records are the registry's own layout, nothing added.
        QCOMPARE(Bytes(folder + RegistryFileName).size(), 5 * RegistryRecord::Size);
    }

    void backupCopiesTheCodes() {
        QTemporaryDir dir;
        const QString folder = dir.path() + u'/';
        QVERIFY(SaveChildTaxCodes(ChildTaxCodesPath(folder), {{1, "Rossi Luca", kLuca}}));
        const BackupResult r = RunDailyBackup(folder, QDate(2026, 12, 11));
        QCOMPARE(int(r.outcome), int(BackupResult::Copied));
        QVERIFY(r.copied.contains(QLatin1String(ChildTaxCodesFileName)));
        QCOMPARE(Bytes(BackupDayFolder(folder, QDate(2026, 12, 11)) + u'/' + ChildTaxCodesFileName),
                 Bytes(ChildTaxCodesPath(folder)));
    }

    // The fee line of an invoice: the service, the months and year, the child and the child's code.
    void invoiceLine_data() {
        QTest::addColumn<QString>("cause");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("line");
        QTest::newRow("a month, the code known")
            << "Retta asilo nido"
            << "01/10/2026"
            << "31/10/2026" << kLuca << "Retta asilo nido ottobre 2026 - Rossi Luca, C.F. " + kLuca;
        QTest::newRow("the cause names month and year") << "Retta ottobre 2026"
                                                        << "01/10/2026"
                                                        << "31/10/2026"
                                                        << ""
                                                        << "Retta ottobre 2026 - Rossi Luca";
        QTest::newRow("the cause names the month, not the year") << "Retta di Ottobre"
                                                                 << "01/10/2026"
                                                                 << "31/10/2026"
                                                                 << ""
                                                                 << "Retta di Ottobre 2026 - Rossi Luca";
        QTest::newRow("three months") << "Rette"
                                      << "01/09/2026"
                                      << "30/11/2026"
                                      << ""
                                      << "Rette settembre-novembre 2026 - Rossi Luca";
        QTest::newRow("across the new year") << "Rette"
                                             << "01/12/2026"
                                             << "31/01/2027"
                                             << ""
                                             << "Rette dicembre 2026-gennaio 2027 - Rossi Luca";
        QTest::newRow("no period") << "Iscrizione"
                                   << ""
                                   << "" << kLuca << "Iscrizione - Rossi Luca, C.F. " + kLuca;
        QTest::newRow("a period typed wrong stays as typed") << "Retta"
                                                             << "01/13/2026"
                                                             << "31/10/2026"
                                                             << ""
                                                             << "Retta - Rossi Luca dal 01/13/2026 al 31/10/2026";
    }
    void invoiceLine() {
        QFETCH(QString, cause);
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, code);
        QFETCH(QString, line);
        ReceiptRecord r;
        r.Sport = cause;
        r.Dal = from;
        r.Al = to;
        r.Praticante = QStringLiteral("Rossi Luca");
        QCOMPARE(InvoiceLineText(r, code), line);
    }

    // Documents made from a receipt find the code by the receipt's payer and child; only a right code.
    void codesByPayerAndChild() {
        QTemporaryDir dir;
        const QString folder = dir.path() + u'/';
        ChildCodeIndex empty;
        QVERIFY(empty.Load(folder)); // neither registry nor codes: no code, no error
        QCOMPARE(empty.Of(kParent, "Rossi Luca"), QString());
        RegistryFile registry;
        QVERIFY(registry.OpenOrCreate(folder));
        QVERIFY(registry.AppendRecord(Card("Rossi Luca")));
        QVERIFY(registry.AppendRecord(Card("Rossi Anna")));
        QVERIFY(registry.AppendRecord(Card("Rossi Luca"))); // Luca enrolled again, no code on this card
        QVERIFY(registry.Close());
        QVERIFY(SaveChildTaxCodes(ChildTaxCodesPath(folder),
                                  {{1, "Rossi Luca", kLuca}, {2, "Rossi Anna", "RSSNNA25A50H501X"}}));
        ChildCodeIndex index;
        QVERIFY(index.Load(folder));
        QCOMPARE(index.Of(" rssmra80a01h501u", "ROSSI LUCA "), kLuca);
        QCOMPARE(index.Of(kParent, "Rossi Anna"), QString());            // wrong check letter
        QCOMPARE(index.Of("BNCSRA82B41F205O", "Rossi Luca"), QString()); // another payer's child
    }

    void paymentText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("method");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("reference");
        QTest::addColumn<QString>("mandate");
        QTest::addColumn<QString>("written"); // PaymentText of what was read
        QTest::newRow("transfer") << "Bonifico bancario del 07/12/2026, rif. 0012345"
                                  << "Bonifico bancario" << QDate(2026, 12, 7) << "0012345"
                                  << ""
                                  << "Bonifico bancario del 07/12/2026, rif. 0012345";
        QTest::newRow("direct debit") << "Addebito SDD del 05/11/2026, mandato NIDO-0001"
                                      << "Addebito SDD" << QDate(2026, 11, 5) << ""
                                      << "NIDO-0001"
                                      << "Addebito SDD del 05/11/2026, mandato NIDO-0001";
        QTest::newRow("both references, letter case") << "addebito SDD DEL 05/11/2026, Mandato M1, RIF. E2E-9"
                                                      << "addebito SDD" << QDate(2026, 11, 5) << "E2E-9"
                                                      << "M1"
                                                      << "addebito SDD del 05/11/2026, rif. E2E-9, mandato M1";
        QTest::newRow("date only") << "Bonifico del 01/10/2026"
                                   << "Bonifico" << QDate(2026, 10, 1) << ""
                                   << ""
                                   << "Bonifico del 01/10/2026";
        QTest::newRow("as typed on the card") << "Bonifico bancario"
                                              << "Bonifico bancario" << QDate() << ""
                                              << ""
                                              << "Bonifico bancario";
        QTest::newRow("cash") << "Contanti"
                              << "Contanti" << QDate() << ""
                              << ""
                              << "Contanti";
        QTest::newRow("not a date") << "Bonifico del 31/02/2026"
                                    << "Bonifico del 31/02/2026" << QDate() << ""
                                    << ""
                                    << "Bonifico del 31/02/2026";
        QTest::newRow("blank") << "  "
                               << "" << QDate() << ""
                               << ""
                               << "";
    }
    void paymentText() {
        QFETCH(QString, text);
        QFETCH(QString, method);
        QFETCH(QDate, date);
        QFETCH(QString, reference);
        QFETCH(QString, mandate);
        QFETCH(QString, written);
        const PaymentFacts f = ReadPaymentText(text);
        QCOMPARE(f.method, method);
        QCOMPARE(f.date, date);
        QCOMPARE(f.reference, reference);
        QCOMPARE(f.mandate, mandate);
        QCOMPARE(PaymentText(f), written);
    }
};

QTEST_GUILESS_MAIN(TestChildTaxCodes)
#include "tst_childtaxcodes.moc"
