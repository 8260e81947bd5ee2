// Yearly payment statements: payment method classes, grouping per payer and child, exact sums,
// the year rule on the issue date and the receipts that are left out.
#include "../support/ReceiptYear.h"
#include "summary/Statements.h"
#include "summary/Takings.h"
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct R {
    QString num, data, payer, code, child, intero, method;
    QString place = {}, birth = {}, from = QStringLiteral("01/09/2025"), to = QStringLiteral("30/09/2025");
};

QString Write(const QTemporaryDir& dir, const QVector<R>& rows) {
    return WriteReceiptYear(dir.filePath(QStringLiteral("2025.ric")), rows, [](const R& r) {
        ReceiptRecord rec;
        rec.NumRic = r.num;
        rec.Data = r.data;
        rec.Pagatore = r.payer;
        rec.CodFisc = r.code;
        rec.Praticante = r.child;
        rec.Intero = r.intero;
        rec.Indirizzo = r.method;
        rec.Sport = QStringLiteral("Retta mensile");
        rec.Dal = r.from;
        rec.Al = r.to;
        rec.LuogoNasc = r.place;
        rec.DataNasc = r.birth;
        return rec;
    });
}

QStringList Numbers(const StatementGroup& g) {
    QStringList n;
    for (const StatementReceipt& r : g.receipts)
        n << r.number;
    return n;
}

} // namespace

class tst_statements : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void classifiesPaymentMethod_data();
    void classifiesPaymentMethod();
    void groupsByTaxCodeAndChild();
    void groupsReceiptsWithoutTaxCodeByPayer();
    void foldsOnlyLettersAToZ();
    void sumsExactlyPerMethod();
    void countsOnlyTheIssueYear();
    void reportsReceiptsLeftOut();
    void missingFileIsCreatedEmpty();
    void tableListsEachReceiptWithItsMethod();
    void groupTextsFromTheLatestReceiptThatHasThem();
    void manyDistinctMethodsAndPeriods();
};

void tst_statements::classifiesPaymentMethod_data() {
    QTest::addColumn<QString>("method");
    QTest::addColumn<int>("kind");
    QTest::newRow("cash") << "Contanti" << int(PaymentKind::Cash);
    QTest::newRow("cash upper, inside a phrase") << "pagato IN CONTANTI allo sportello" << int(PaymentKind::Cash);
    QTest::newRow("cash singular stem") << "contante" << int(PaymentKind::Cash);
    QTest::newRow("empty") << "" << int(PaymentKind::NotStated);
    QTest::newRow("blanks only") << "   " << int(PaymentKind::NotStated);
    QTest::newRow("bank transfer") << "Bonifico bancario" << int(PaymentKind::Traceable);
    QTest::newRow("card") << "POS - carta di debito" << int(PaymentKind::Traceable);
    QTest::newRow("cheque") << "Assegno n. 12345" << int(PaymentKind::Traceable);
    QTest::newRow("accented text") << "Modalità elettronica" << int(PaymentKind::Traceable);
}

void tst_statements::classifiesPaymentMethod() {
    QFETCH(QString, method);
    QFETCH(int, kind);
    QCOMPARE(int(ClassifyPayment(method)), kind);
}

void tst_statements::groupsByTaxCodeAndChild() {
    const QString path =
        Write(m_dir, {
                         {"1", "10/01/2025", "Rossi Mario", "RSSMRA80A01H501U", "Rossi Luca", "100,00", "Bonifico"},
                         // same code typed in lower case with blanks, child in other case
                         {"2", "10/02/2025", "ROSSI MARIO", " rssmra80a01h501u ", " ROSSI LUCA ", "100,00", "Bonifico"},
                         // same payer, a second child: a group of its own
                         {"3", "10/02/2025", "Rossi Mario", "RSSMRA80A01H501U", "Rossi Anna", "80,00", "Bonifico"},
                         // same child, the other parent paid: a group of its own
                         {"4", "10/03/2025", "Bianchi Sara", "BNCSRA82B41F205X", "Rossi Luca", "50,00", "Contanti"},
                     });
    const YearStatements s = BuildYearStatements(path, 2025);
    QVERIFY(s.complete);
    QVERIFY(s.excluded.isEmpty());
    QCOMPARE(s.groups.size(), 3);
    // Ordered by payer, then child.
    QCOMPARE(s.groups[0].payer, QStringLiteral("Bianchi Sara"));
    QCOMPARE(s.groups[1].child, QStringLiteral("Rossi Anna"));
    const StatementGroup& luca = s.groups[2];
    QCOMPARE(Numbers(luca), QStringList({"1", "2"}));
    QCOMPARE(luca.taxCode, QStringLiteral("RSSMRA80A01H501U"));
    // The latest receipt's texts stand for the group.
    QCOMPARE(luca.payer, QStringLiteral("ROSSI MARIO"));
    QCOMPARE(luca.child, QStringLiteral("ROSSI LUCA"));
    QCOMPARE(luca.total, qint64(2000000));
    QVERIFY(!luca.missingTaxCode);
}

void tst_statements::foldsOnlyLettersAToZ() {
    // Names are grouped with A-Z folded and nothing else: an accented capital is another letter.
    const QString path = Write(m_dir, {
                                          {"1", "10/01/2025", "Rossi Mario", "", "Noè", "10,00", ""},
                                          {"2", "10/02/2025", "ROSSI MARIO", "", "NOè", "20,00", ""},
                                          {"3", "10/03/2025", "Rossi Mario", "", "NOÈ", "30,00", ""},
                                          {"4", "10/04/2025", "Rossi Mario", "rssmra80a01h501u", "NOÈ", "40,00", ""},
                                          {"5", "10/05/2025", "Rossi Mario", "RSSMRA80A01H501U", "noÈ", "50,00", ""},
                                      });
    const YearStatements s = BuildYearStatements(path, 2025);
    QCOMPARE(s.groups.size(), 3);
    QStringList groups;
    for (const StatementGroup& g : s.groups)
        groups << g.TaxCodeText() + u'/' + g.child + u'/' + Numbers(g).join(u',');
    groups.sort();
    QCOMPARE(groups, QStringList({"RSSMRA80A01H501U/noÈ/4,5", "codice fiscale mancante/NOÈ/3",
                                  "codice fiscale mancante/NOè/1,2"}));
}

void tst_statements::groupsReceiptsWithoutTaxCodeByPayer() {
    const QString path =
        Write(m_dir, {
                         {"1", "10/01/2025", "Verdi Paola", "", "Verdi Marco", "10,00", ""},
                         {"2", "10/02/2025", "VERDI PAOLA ", "  ", "verdi marco", "20,00", ""},
                         {"3", "10/02/2025", "Neri Carlo", "", "Verdi Marco", "30,00", ""},
                         // with a code the same payer and child form another group
                         {"4", "10/03/2025", "Verdi Paola", "VRDPLA85C41L219K", "Verdi Marco", "40,00", ""},
                     });
    const YearStatements s = BuildYearStatements(path, 2025);
    QCOMPARE(s.groups.size(), 3);
    QCOMPARE(s.groups[0].payer, QStringLiteral("Neri Carlo"));
    QVERIFY(s.groups[0].missingTaxCode);
    QCOMPARE(s.groups[0].TaxCodeText(), QStringLiteral("codice fiscale mancante"));
    const StatementGroup& blank = s.groups[1].missingTaxCode ? s.groups[1] : s.groups[2];
    const StatementGroup& coded = s.groups[1].missingTaxCode ? s.groups[2] : s.groups[1];
    QCOMPARE(Numbers(blank), QStringList({"1", "2"}));
    QVERIFY(StatementLine(blank).contains(QStringLiteral("codice fiscale mancante")));
    QCOMPARE(Numbers(coded), QStringList({"4"}));
    QCOMPARE(coded.TaxCodeText(), QStringLiteral("VRDPLA85C41L219K"));
}

void tst_statements::sumsExactlyPerMethod() {
    // Fifteen receipts of 0,10 and fifteen of 0,20 sum to exactly 4,50 (binary fractions would not),
    // and the largest amount a receipt holds is added without loss.
    QVector<R> rows;
    for (int i = 0; i < 30; ++i)
        rows.append({QString::number(i + 1), "15/06/2025", "Galli Ugo", "GLLGUO70A01A001A", "Galli Ivo",
                     i % 2 ? "0,20" : "0,10", i % 3 == 0 ? "contanti" : (i % 3 == 1 ? "bonifico" : "")});
    rows.append({"99", "31/12/2025", "Galli Ugo", "GLLGUO70A01A001A", "Galli Ivo", "99999999,99", "Carta"});
    const YearStatements s = BuildYearStatements(Write(m_dir, rows), 2025);
    QCOMPARE(s.groups.size(), 1);
    const StatementGroup& g = s.groups[0];
    QCOMPARE(g.receipts.size(), 31);
    QCOMPARE(FormatTotal(g.total), QStringLiteral("100000004,49"));
    QCOMPARE(g.cash + g.traceable + g.notStated, g.total);
    // Each method takes ten of the thirty: five of 0,10 and five of 0,20.
    QCOMPARE(FormatTotal(g.cash), QStringLiteral("1,50"));
    QCOMPARE(FormatTotal(g.notStated), QStringLiteral("1,50"));
    QCOMPARE(FormatTotal(g.traceable), QStringLiteral("100000001,49"));
}

void tst_statements::countsOnlyTheIssueYear() {
    const QString path = Write(m_dir, {
                                          {"1", "31/12/2024", "A", "AAA", "X", "1,00", ""},
                                          {"2", "01/01/2025", "A", "AAA", "X", "2,00", ""},
                                          {"3", "31/12/2025", "A", "AAA", "X", "4,00", ""},
                                          {"4", "01/01/2026", "A", "AAA", "X", "8,00", ""},
                                      });
    const YearStatements s = BuildYearStatements(path, 2025);
    QCOMPARE(s.groups.size(), 1);
    QCOMPARE(Numbers(s.groups[0]), QStringList({"2", "3"}));
    QCOMPARE(s.groups[0].total, qint64(60000));
    // Receipts of other years are not "left out": they belong to another statement.
    QVERIFY(s.excluded.isEmpty());
}

void tst_statements::reportsReceiptsLeftOut() {
    const QString path = Write(m_dir, {
                                          {"1", "10/01/2025", "A", "AAA", "X", "1,00", ""},
                                          {"2", "31/02/2025", "A", "AAA", "X", "2,00", ""},
                                          {"3", "1/3/2025", "A", "AAA", "X", "4,00", ""},
                                          {"4", "", "A", "AAA", "X", "8,00", ""},
                                          {"5", "10/04/2025", "A", "AAA", "X", "dieci", ""},
                                          {"6", "10/05/2025", "A", "AAA", "X", "16,00", ""},
                                      });
    const YearStatements s = BuildYearStatements(path, 2025);
    QVERIFY(s.complete);
    QCOMPARE(s.groups.size(), 1);
    QCOMPARE(Numbers(s.groups[0]), QStringList({"1", "6"}));
    QCOMPARE(s.excluded.size(), 4);
    QStringList numbers;
    for (const ExcludedReceipt& e : s.excluded)
        numbers << e.number + u':' + QString::number(e.position) +
                       (e.reason == ExcludedReceipt::Reason::InvalidDate ? QStringLiteral("d") : QStringLiteral("a"));
    QCOMPARE(numbers, QStringList({"2:2d", "3:3d", "4:4d", "5:5a"}));
}

void tst_statements::missingFileIsCreatedEmpty() {
    const QString path = m_dir.filePath(QStringLiteral("1999.ric"));
    const YearStatements s = BuildYearStatements(path, 1999);
    QVERIFY(s.fileOpened);
    QVERIFY(s.complete);
    QVERIFY(s.groups.isEmpty());
    QVERIFY(QFile::exists(path));

    const YearStatements bad = BuildYearStatements(m_dir.filePath(QStringLiteral("no/such/folder/2025.ric")), 2025);
    QVERIFY(!bad.fileOpened);
    QVERIFY(!bad.complete);
}

void tst_statements::tableListsEachReceiptWithItsMethod() {
    StatementGroup g;
    g.receipts.append({"12", "05/02/2025", "01/02/2025", "28/02/2025", "Bonifico su conto della scuola e altro testo",
                       PaymentKind::Traceable, 1505000, 1});
    g.receipts.append({"13", "05/03/2025", "01/03/2025", "31/03/2025", "", PaymentKind::NotStated, 3000, 2});
    const QStringList t = StatementTable(g);
    QCOMPARE(t.size(), 3);
    // Every line has the same width, so the columns line up in a fixed-pitch font.
    QCOMPARE(t[1].size(), t[0].size());
    QCOMPARE(t[2].size(), t[0].size());
    QVERIFY(
        t[1].startsWith(QStringLiteral("12          05/02/2025  01/02/2025 - 28/02/2025  Bonifico su conto della s")));
    QVERIFY(t[1].contains(QStringLiteral("tracciabile")));
    QVERIFY(t[1].endsWith(QStringLiteral("150,50")));
    QVERIFY(t[2].contains(QStringLiteral("non indicato")));
    QVERIFY(t[2].endsWith(QStringLiteral("  0,30")));
}

void tst_statements::groupTextsFromTheLatestReceiptThatHasThem() {
    // One group: the payer, code and child come from its last receipt, the birth place and date from
    // the last receipt that has them, even when a later one (or one of another group between) lacks them.
    const QString path = Write(
        m_dir, {
                   {"1", "10/01/2025", "Neri Ada", "nrodaa80a41h501z", "Neri Bice", "1,00", "", "Pavia", "01/01/2022"},
                   {"2", "10/02/2025", "Neri Ada Maria", "NRODAA80A41H501Z", "NERI BICE", "1,00", "", "Milano", ""},
                   {"3", "10/02/2025", "Verdi Pio", "VRDPIO70A01H501X", "Verdi Ugo", "1,00", "", "Lodi", "02/02/2021"},
                   {"4", "10/03/2025", "Neri Ada M.", " nrodaa80a41h501z ", "Neri Bice", "1,00", "", "", ""},
               });
    const YearStatements s = BuildYearStatements(path, 2025);
    QCOMPARE(s.groups.size(), 2);
    const StatementGroup& neri = s.groups[0];
    QCOMPARE(Numbers(neri), QStringList({"1", "2", "4"}));
    QCOMPARE(neri.payer, QStringLiteral("Neri Ada M."));
    QCOMPARE(neri.taxCode, QStringLiteral("NRODAA80A41H501Z"));
    QCOMPARE(neri.child, QStringLiteral("Neri Bice"));
    QCOMPARE(neri.birthPlace, QStringLiteral("Milano"));
    QCOMPARE(neri.birthDate, QStringLiteral("01/01/2022"));
    const StatementGroup& verdi = s.groups[1];
    QCOMPARE(verdi.birthPlace, QStringLiteral("Lodi"));
    QCOMPARE(verdi.birthDate, QStringLiteral("02/02/2021"));
}

void tst_statements::manyDistinctMethodsAndPeriods() {
    // More distinct payment methods and periods than a year usually holds: each receipt keeps its own
    // texts, and each method its kind, whichever texts came before it.
    QVector<R> rows;
    for (int i = 0; i < 150; ++i) {
        const QString method = i % 3 == 0   ? QStringLiteral("Contanti %1").arg(i)
                               : i % 3 == 1 ? QStringLiteral("Bonifico %1").arg(i)
                                            : QString();
        R r{QString::number(i + 1),
            QStringLiteral("%1/%2/2025").arg(i % 28 + 1, 2, 10, QChar('0')).arg(i % 12 + 1, 2, 10, QChar('0')),
            "Bruni Eva",
            "BRNEVA80A41H501Z",
            "Bruni Leo",
            "1,00",
            method};
        r.from = QStringLiteral("Dal %1").arg(i);
        r.to = QStringLiteral("Al %1").arg(i % 70);
        rows.append(r);
    }
    const YearStatements s = BuildYearStatements(Write(m_dir, rows), 2025);
    QCOMPARE(s.groups.size(), 1);
    const StatementGroup& g = s.groups[0];
    QCOMPARE(g.receipts.size(), 150);
    for (int i = 0; i < 150; ++i) {
        const StatementReceipt& r = g.receipts[i];
        QCOMPARE(r.number, QString::number(i + 1));
        QCOMPARE(r.date, rows[i].data);
        QCOMPARE(r.method, rows[i].method);
        QCOMPARE(r.kind, ClassifyPayment(rows[i].method));
        QCOMPARE(r.from, rows[i].from);
        QCOMPARE(r.to, rows[i].to);
    }
    QCOMPARE(g.cash, qint64(50 * 10000));
    QCOMPARE(g.traceable, qint64(50 * 10000));
    QCOMPARE(g.notStated, qint64(50 * 10000));
}

QTEST_GUILESS_MAIN(tst_statements)
#include "tst_statements.moc"
