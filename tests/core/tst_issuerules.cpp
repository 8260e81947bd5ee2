// The rules every document and batch of receipts shares: the school's lines (kept receiver lines, else
// "Dati fiscali"), what closing the receipt editor may keep, the payment text of a bank payment, the
// date of a batch against the last stored receipt, and what "Dati fiscali" keeps of what was typed.
#include "einvoice/FiscalData.h"
#include "receipts/BatchDate.h"
#include "receipts/SchoolLines.h"
#include "storage/IniFile.h"
#include "storage/ReceiptFile.h"
#include <QTemporaryDir>
#include <QtTest>

namespace {
FiscalData School() {
    FiscalData d;
    d.denominazione = QStringLiteral("Asilo Nido Il Girasole");
    d.partitaIva = QStringLiteral("01234567897");
    d.codiceFiscale = QStringLiteral("90012340403");
    d.indirizzo = QStringLiteral("Via Roma 1");
    d.cap = QStringLiteral("27100");
    d.comune = QStringLiteral("Pavia");
    d.provincia = QStringLiteral("PV");
    return d;
}

const QStringList kSchoolLines{"Asilo Nido Il Girasole", "Via Roma 1", "27100 Pavia (PV)",
                               "C.F. 90012340403 - P. IVA 01234567897"};

ReceiptRecord Stored(const QString& number, const QString& date) {
    ReceiptRecord r;
    r.NumRic = number;
    r.Data = date;
    r.Pagatore = QStringLiteral("Rossi Mario");
    return r;
}
} // namespace

class TestIssueRules : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void schoolLines_data() {
        QTest::addColumn<QStringList>("kept");
        QTest::addColumn<bool>("fiscal");
        QTest::addColumn<QStringList>("expected");
        const QStringList own{"Scuola Girotondo", " Via Verdi 3 ", "", "P. IVA 01234567897"};
        QTest::newRow("kept lines win") << own << true
                                        << QStringList{"Scuola Girotondo", "Via Verdi 3", "", "P. IVA 01234567897"};
        QTest::newRow("one kept line is enough") << QStringList{"", "", "Scuola", ""} << true
                                                 << QStringList{"", "", "Scuola", ""};
        QTest::newRow("none kept: the school's fiscal data") << QStringList{"", " ", "", ""} << true << kSchoolLines;
        QTest::newRow("no settings file at all") << QStringList{} << true << kSchoolLines;
        QTest::newRow("neither: four blank lines") << QStringList{"", "", "", ""} << false
                                                   << QStringList{"", "", "", ""};
    }
    void schoolLines() {
        QFETCH(QStringList, kept);
        QFETCH(bool, fiscal);
        QFETCH(QStringList, expected);
        QCOMPARE(SchoolLines(kept, fiscal ? School() : FiscalData()), expected);
        // The same through the settings file the documents read.
        const QString ini = m_dir.path() + QStringLiteral("/school.ini");
        QFile::remove(ini);
        for (int i = 0; i < kept.size(); ++i)
            QVERIFY(IniWrite(ini, "Ricevente", QStringLiteral("Rigo %1").arg(i + 1), kept[i].trimmed()));
        if (fiscal)
            QVERIFY(SaveFiscalData(ini, School()));
        QCOMPARE(SchoolLines(ini), expected);
    }

    void schoolLinesOneCodeWhenTheyAreTheSame() {
        FiscalData d = School();
        d.codiceFiscale = d.partitaIva;
        QCOMPARE(SchoolLines(QStringList{}, d).value(3), QStringLiteral("P. IVA 01234567897"));
    }

    // Closing the receipt editor: blank boxes never wipe kept lines; the school's data shown in place of
    // none are not frozen into the settings; anything else typed or browsed is kept.
    void keepShownLines_data() {
        QTest::addColumn<QStringList>("kept");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<bool>("write");
        const QStringList own{"Scuola Girotondo", "Via Verdi 3", "", ""};
        const QStringList blank{"", "", "", ""};
        QTest::newRow("a batch receipt without lines browsed") << own << blank << false;
        QTest::newRow("blanks only") << own << QStringList{" ", "", "  ", ""} << false;
        QTest::newRow("the school's data shown for none kept") << blank << kSchoolLines << false;
        QTest::newRow("lines typed where none were kept") << blank << own << true;
        QTest::newRow("an older receipt's lines browsed") << own << QStringList{"Scuola", "Via Roma", "", ""} << true;
        QTest::newRow("the school's data chosen over kept lines") << own << kSchoolLines << true;
        QTest::newRow("kept lines unchanged") << own << own << true;
    }
    void keepShownLines() {
        QFETCH(QStringList, kept);
        QFETCH(QStringList, shown);
        QFETCH(bool, write);
        QCOMPARE(KeepShownReceiverLines(kept, shown, School()), write);
    }

    void batchDate_data() {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<int>("year");
        QTest::addColumn<QDate>("last"); // invalid: the file holds no dated receipt
        QTest::addColumn<QString>("problem");
        const QDate dec11(2026, 12, 11);
        QTest::newRow("a bank's booking date before the last receipt")
            << QDate(2026, 12, 7) << 2026 << dec11 << "07/12/2026 è precedente";
        QTest::newRow("the same day") << dec11 << 2026 << dec11 << "";
        QTest::newRow("a later day") << QDate(2026, 12, 12) << 2026 << dec11 << "";
        QTest::newRow("an empty file") << QDate(2026, 1, 2) << 2026 << QDate() << "";
        QTest::newRow("a day of the next year") << QDate(2027, 1, 4) << 2026 << dec11 << "di un altro anno";
        QTest::newRow("a day of the year before") << QDate(2025, 12, 31) << 2026 << QDate() << "di un altro anno";
        QTest::newRow("a file named otherwise: no year check") << QDate(2027, 1, 4) << 0 << dec11 << "";
        QTest::newRow("no date") << QDate() << 2026 << dec11 << "data di emissione valida";
    }
    void batchDate() {
        QFETCH(QDate, date);
        QFETCH(int, year);
        QFETCH(QDate, last);
        QFETCH(QString, problem);
        const std::optional<LastReceipt> stored =
            last.isValid() ? std::optional<LastReceipt>(LastReceipt{QStringLiteral("49"), last, 49}) : std::nullopt;
        const QString p = BatchDateProblem(date, year, stored);
        QVERIFY2(problem.isEmpty() ? p.isEmpty() : p.contains(problem), qPrintable(p));
    }

    // The last receipt with a readable date, found from the end of the file; the file's year by its name.
    void lastDatedReceipt() {
        const QString path = m_dir.path() + QStringLiteral("/2026.ric");
        ReceiptFile f;
        QVERIFY(f.OpenOrCreate(path));
        std::optional<LastReceipt> last;
        QVERIFY(FindLastDatedReceipt(f.Raw(), f.RecordCount(), &last));
        QVERIFY(!last);
        QVERIFY(f.AppendRecord(Stored("48", "10/12/2026")));
        QVERIFY(f.AppendRecord(Stored("49", "11/12/2026")));
        QVERIFY(f.AppendRecord(Stored("50", "11/13/2026"))); // damaged: passed over
        QVERIFY(FindLastDatedReceipt(f.Raw(), f.RecordCount(), &last));
        f.Close();
        QVERIFY(last);
        QCOMPARE(last->number, QStringLiteral("49"));
        QCOMPARE(last->date, QDate(2026, 12, 11));
        QCOMPARE(last->position, qint64(2));
        QCOMPARE(ArchiveYear(path), 2026);
        QCOMPARE(ArchiveYear(m_dir.path() + QStringLiteral("/prova.ric")), 0);
        QVERIFY(ArchiveDateProblem(path, QDate(2026, 12, 10)).contains(QStringLiteral("n. 49 del 11/12/2026")));
        QVERIFY(ArchiveDateProblem(path, QDate(2026, 12, 11)).isEmpty());
    }

    // "Dati fiscali": each field typed wrongly keeps its stored value; every right one, blank ones too,
    // is kept as typed.
    void fiscalFieldsKept_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("wrong");
        QTest::newRow("VAT number failing its check") << "partitaIva" << "12345678901" << true;
        QTest::newRow("tax code failing its check") << "codiceFiscale" << "RSSMRA85T10A562T" << true;
        QTest::newRow("CAP of four digits") << "cap" << "2710" << true;
        QTest::newRow("province in full") << "provincia" << "Pavia" << true;
        QTest::newRow("name with a character the invoice refuses") << "denominazione" << QString::fromUtf8("Asilo ★")
                                                                   << true;
        QTest::newRow("blank CAP is not wrong") << "cap" << "" << false;
        QTest::newRow("blank VAT number is not wrong") << "partitaIva" << "" << false;
        QTest::newRow("a right tax code of 11 digits") << "codiceFiscale" << "01234567897" << false;
    }
    void fiscalFieldsKept() {
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(bool, wrong);
        FiscalData stored = School();
        stored.cap = QStringLiteral("20100");
        FiscalData typed = School();
        typed.comune = QStringLiteral("Milano"); // a right change beside the field under test
        QString* member = field == "partitaIva"      ? &typed.partitaIva
                          : field == "codiceFiscale" ? &typed.codiceFiscale
                          : field == "cap"           ? &typed.cap
                          : field == "provincia"     ? &typed.provincia
                                                     : &typed.denominazione;
        *member = value;
        const QVector<FieldProblem> problems = FiscalFieldProblems(typed);
        QCOMPARE(HasProblem(problems, field), wrong);
        QCOMPARE(problems.size(), wrong ? 1 : 0);
        const FiscalData kept = KeepRightFields(typed, stored, problems);
        QCOMPARE(kept.comune, QStringLiteral("Milano"));
        const QString keptValue = field == "partitaIva"      ? kept.partitaIva
                                  : field == "codiceFiscale" ? kept.codiceFiscale
                                  : field == "cap"           ? kept.cap
                                  : field == "provincia"     ? kept.provincia
                                                             : kept.denominazione;
        const QString storedValue = field == "partitaIva"      ? stored.partitaIva
                                    : field == "codiceFiscale" ? stored.codiceFiscale
                                    : field == "cap"           ? stored.cap
                                    : field == "provincia"     ? stored.provincia
                                                               : stored.denominazione;
        QCOMPARE(keptValue, wrong ? storedValue : value);
    }
};

QTEST_APPLESS_MAIN(TestIssueRules)
#include "tst_issuerules.moc"
