// The nursery-bonus documents' content: which months get a page and what each says, straight from the
// month rule (partial payments, two receipts for a month, a period over several months, money carried
// from another receipt's period), the payment's kind, its date and references, the extras apart, the child's
// code or its absence; the families of a school, and the whole set read from a program folder.
#include "../support/FeeReceipts.h"
#include "../support/ReceiptYear.h"
#include "fees/NurseryBonus.h"
#include "registry/ChildTaxCodes.h"
#include "storage/RegistryFile.h"
#include <QTemporaryDir>
#include <QtTest>

using namespace fees;

namespace {
const QString kLuca = QStringLiteral("RSSLCU24C12H501K");
const QString kAnna = QStringLiteral("RSSNNA25A50H501E");
const QString kParent = QStringLiteral("RSSMRA80A01H501U");

RegistryRecord Card(const QString& payer, const QString& payerCode, const QString& child, const QString& fee) {
    RegistryRecord c;
    c.Tiratore = payer;
    c.CodFisc = payerCode;
    c.Armi = child;
    c.Quota = fee;
    c.Ente = QStringLiteral("Retta mensile");
    c.InizioPor = QStringLiteral("12/03/2024");
    c.Porto = QStringLiteral("Roma");
    return c;
}

// One typed receipt of the table: "number|date|cause|from|to|amount|payment text", stored in `year`.
struct Typed {
    int year;
    QString fields;
};

// The receipts of a table row as the month rule reads them, with their payment texts as details.
void Read(const QVector<Typed>& typed, QVector<ChildReceipt>& receipts, ReceiptDetails& details) {
    QHash<int, qint64> positions;
    for (const Typed& t : typed) {
        const QStringList f = t.fields.split(u'|');
        ReceiptRecord rec = TypedFeeReceipt(f[0], f[1], f[2], f[3], f[4], f[5], QStringLiteral("Rossi Luca"));
        const qint64 position = ++positions[t.year];
        receipts << ReceiptTerms(rec, t.year, position);
        details.Put(t.year, position, ReceiptDetail{QStringLiteral("Rossi Mario"), kParent, f.value(6)});
    }
}

QString KindLetter(PaymentKind k) {
    return k == PaymentKind::Cash        ? QStringLiteral("C")
           : k == PaymentKind::Traceable ? QStringLiteral("T")
                                         : QStringLiteral("N");
}

// "mm paid/due #number amount kind[ credito], ... +#extra amount" for each page, pages joined by " | ".
QString Pages(const BonusChild& c) {
    QStringList pages;
    for (const BonusMonth& m : c.months) {
        QStringList parts;
        for (const BonusPayment& p : m.payments)
            parts << QStringLiteral("#%1 %2 %3%4")
                         .arg(p.number, AmountText(p.amount), KindLetter(p.kind),
                              p.credit ? QStringLiteral(" credito") : QString());
        QString page = QStringLiteral("%1 %2/%3 %4")
                           .arg(m.month.TwoDigits(), AmountText(m.paid), AmountText(m.due), parts.join(", "));
        for (const BonusExtra& e : m.extras)
            page += QStringLiteral(" +#%1 %2").arg(e.number, AmountText(e.amount));
        pages << page;
    }
    return pages.join(QStringLiteral(" | "));
}
} // namespace

Q_DECLARE_METATYPE(QVector<Typed>)

class TestNurseryBonus : public QObject {
    Q_OBJECT
private slots:
    void monthsFromTheRule_data() {
        QTest::addColumn<QVector<Typed>>("receipts");
        QTest::addColumn<QString>("pages");
        const QString transfer = QStringLiteral("Bonifico bancario del 03/10/2026, rif. A1");
        QTest::newRow("partial") << QVector<Typed>{{2026, "1|05/10/2026|Retta ottobre|01/10/2026|31/10/2026|100,00|" +
                                                              transfer}}
                                 << "10 100,00/250,00 #1 100,00 T";
        QTest::newRow("two receipts for a month")
            << QVector<Typed>{{2026, "1|02/10/2026|Retta ottobre|01/10/2026|31/10/2026|150,00|Contanti"},
                              {2026, "2|20/10/2026|Retta ottobre|01/10/2026|31/10/2026|100,00|" + transfer}}
            << "10 250,00/250,00 #1 150,00 C, #2 100,00 T";
        QTest::newRow("a period over three months, the last in part")
            << QVector<Typed>{{2026, "1|01/09/2026|Rette settembre-novembre|01/09/2026|30/11/2026|600,00|" + transfer}}
            << "09 250,00/250,00 #1 250,00 T | 10 250,00/250,00 #1 250,00 T | 11 100,00/250,00 #1 100,00 T";
        QTest::newRow("cash only") << QVector<Typed>{{2026, "1|05/10/2026|Retta|01/10/2026|31/10/2026|250,00|contanti"}}
                                   << "10 250,00/250,00 #1 250,00 C";
        QTest::newRow("no method on the receipt")
            << QVector<Typed>{{2026, "1|05/10/2026|Retta|01/10/2026|31/10/2026|250,00|"}}
            << "10 250,00/250,00 #1 250,00 N";
        QTest::newRow("a receipt without period pays the month of its date")
            << QVector<Typed>{{2026, "1|05/03/2026|Retta marzo|||250,00|Bancomat"}} << "03 250,00/250,00 #1 250,00 T";
        QTest::newRow("extras apart; an extra in a month without fee paid has no page")
            << QVector<Typed>{{2026, "1|05/10/2026|Retta ottobre|01/10/2026|31/10/2026|250,00|" + transfer},
                              {2026, "2|05/10/2026|Mensa ottobre|01/10/2026|31/10/2026|40,00|Contanti"},
                              {2026, "3|06/10/2026|Pre-scuola|||15,50|Bonifico"},
                              {2026, "4|05/11/2026|Mensa novembre|01/11/2026|30/11/2026|40,00|Contanti"}}
            << "10 250,00/250,00 #1 250,00 T +#2 40,00 +#3 15,50";
        QTest::newRow("money left from October pays November, as a credit of the receipt")
            << QVector<Typed>{{2026, "31|05/10/2026|Retta ottobre|01/10/2026|31/10/2026|300,00|Bonifico"},
                              {2026, "32|05/11/2026|Retta novembre|01/11/2026|30/11/2026|200,00|Contanti"}}
            << "10 250,00/250,00 #31 250,00 T | 11 250,00/250,00 #31 50,00 T credito, #32 200,00 C";
        QTest::newRow("a cancelled receipt pays nothing")
            << QVector<Typed>{{2026, "1|05/10/2026|ANNULLATA: Retta ottobre|01/10/2026|31/10/2026|250,00|Contanti"}}
            << "";
        QTest::newRow("other years' files: December paid in January is this year's, last December is not")
            << QVector<Typed>{{2025, "1|01/12/2025|Retta dicembre|01/12/2025|31/12/2025|250,00|Contanti"},
                              {2027, "1|08/01/2027|Retta dicembre|01/12/2026|31/12/2026|250,00|" + transfer}}
            << "12 250,00/250,00 #1 250,00 T";
        QTest::newRow("an amount that cannot be read pays nothing")
            << QVector<Typed>{{2026, "1|05/10/2026|Retta|01/10/2026|31/10/2026|duecento|Contanti"}} << "";
    }
    void monthsFromTheRule() {
        QFETCH(QVector<Typed>, receipts);
        QFETCH(QString, pages);
        QVector<ChildReceipt> read;
        ReceiptDetails details;
        Read(receipts, read, details);
        const BonusChild c = BuildBonusChild(Card("Rossi Mario", kParent, "Rossi Luca", "250,00"), 7, kLuca, read,
                                             details, 2026, DefaultFeeWords());
        QCOMPARE(Pages(c), pages);
        QCOMPARE(c.card, 7);
        QCOMPARE(c.taxCode, kLuca);
    }

    // What the page says of each payment: its payer, the payment's own date and reference; cash as cash.
    void paymentFactsAndWords() {
        QVector<ChildReceipt> read;
        ReceiptDetails details;
        Read({{2026, "31|11/12/2026|Retta novembre|01/11/2026|30/11/2026|250,00|Addebito SDD del 05/11/2026, "
                     "mandato NIDO-0001"},
              {2026, "32|11/12/2026|Retta dicembre|01/12/2026|31/12/2026|250,00|Contanti"}},
             read, details);
        const BonusChild c = BuildBonusChild(Card("Rossi Mario", kParent, "Rossi Luca", "250"), 1, kLuca, read, details,
                                             2026, DefaultFeeWords());
        QCOMPARE(c.months.size(), 2);
        const BonusPayment& sdd = c.months[0].payments.first();
        QCOMPARE(sdd.payer, QStringLiteral("Rossi Mario"));
        QCOMPARE(sdd.payerTaxCode, kParent);
        QCOMPARE(sdd.date, QDate(2026, 12, 11)); // the receipt's date; the payment's own is in its text
        QCOMPARE(sdd.payment.date, QDate(2026, 11, 5));
        QCOMPARE(BonusPaymentText(sdd.payment, sdd.kind),
                 QStringLiteral("Addebito SDD del 05/11/2026, mandato NIDO-0001"));
        QVERIFY(!c.months[0].AnyCash());
        const BonusPayment& cash = c.months[1].payments.first();
        QCOMPARE(BonusPaymentText(cash.payment, cash.kind), QStringLiteral("Contanti (non tracciabile)"));
        QVERIFY(c.months[1].CashOnly());
        QCOMPARE(BonusPaymentText(PaymentFacts{}, PaymentKind::NotStated),
                 QStringLiteral("Modalità non indicata sulla ricevuta"));
    }

    void childCode_data() {
        QTest::addColumn<QString>("kept");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("problem");
        QTest::newRow("right") << kLuca << kLuca << "";
        QTest::newRow("none") << ""
                              << ""
                              << "codice fiscale del minore mancante";
        QTest::newRow("wrong") << "RSSLCU24C12H501X"
                               << ""
                               << "codice fiscale del minore mancante: \"RSSLCU24C12H501X\" non è corretto";
    }
    void childCode() {
        QFETCH(QString, kept);
        QFETCH(QString, code);
        QFETCH(QString, problem);
        QVector<ChildReceipt> read;
        ReceiptDetails details;
        Read({{2026, "1|05/10/2026|Retta|01/10/2026|31/10/2026|250,00|Contanti"}}, read, details);
        const BonusChild c = BuildBonusChild(Card("Rossi Mario", kParent, "Rossi Luca", "250"), 1, kept, read, details,
                                             2026, DefaultFeeWords());
        QCOMPARE(c.taxCode, code);
        QCOMPARE(c.codeProblem, problem);
        QCOMPARE(c.months.size(), 1); // the document is made all the same
        QVERIFY(BonusChildLine(c).contains(code.isEmpty() ? problem : "C.F. " + code));
    }

    // One family per payer (siblings together), a card without the payer's code on its own, a child on
    // two cards once (from the card with its code), nobody without payments; the children without a
    // right code listed.
    void familiesOfASchool() {
        const QVector<RegistryRecord> cards{
            Card("Rossi Mario", kParent, "Rossi Luca", "250"),              // 1
            Card("Bianchi Sara", "BNCSRA82B41F205O", "Bianchi Leo", "200"), // 2: pays nothing
            Card("Rossi Mario", kParent, "Rossi Anna", "150"),              // 3
            Card("Verdi Ugo", "", "Verdi Ada", "250"),                      // 4
            Card("Verdi Ugo", "", "Verdi Bruno", "250"),                    // 5: no payer code, a family of its own
            Card("rossi mario", kParent.toLower(), "ROSSI LUCA", "250"),    // 6: Luca again, without a code
        };
        ChildReceipts receipts;
        ReceiptDetails details;
        qint64 pos = 0;
        for (const auto& [child, amount] : QVector<QPair<QString, QString>>{{"Rossi Luca", "250,00"},
                                                                            {"Rossi Anna", "150,00"},
                                                                            {"Verdi Ada", "250,00"},
                                                                            {"Verdi Bruno", "250,00"}}) {
            ReceiptRecord r = TypedFeeReceipt(QString::number(++pos), "05/10/2026", "Retta", "01/10/2026", "31/10/2026",
                                              amount, child);
            receipts.Add(ReceiptTerms(r, 2026, pos));
            details.Put(2026, pos, ReceiptDetail{"", "", "Contanti"});
        }
        ChildTaxCodes codes;
        codes.Put({1, "Rossi Luca", kLuca});
        codes.Put({3, "Rossi Anna", "RSSNNA25A50H501X"}); // wrong check letter
        const BonusSet set = BuildBonusSet(cards, {}, codes, receipts, details, 2026, DefaultFeeWords());
        QCOMPARE(set.families.size(), 3);
        QCOMPARE(set.families[0].payerTaxCode, kParent);
        QCOMPARE(set.families[0].children.size(), 2);
        QCOMPARE(set.families[0].children[0].card, 1); // the card with the code, not card 6
        QCOMPARE(set.families[0].children[0].taxCode, kLuca);
        QCOMPARE(set.families[0].children[1].child, QStringLiteral("Rossi Anna"));
        QCOMPARE(set.families[1].children.size(), 1);
        QCOMPARE(set.families[1].children[0].child, QStringLiteral("Verdi Ada"));
        QCOMPARE(set.families[2].children[0].child, QStringLiteral("Verdi Bruno"));
        QCOMPARE(set.Children(), 4);
        QStringList missing;
        for (const BonusChild* c : set.MissingCodes())
            missing << QString::number(c->card);
        QCOMPARE(missing, (QStringList{"3", "4", "5"}));
        // One family asked for: only its cards.
        const BonusSet one = BuildBonusSet(cards, {0, 2, 5}, codes, receipts, details, 2026, DefaultFeeWords());
        QCOMPARE(one.families.size(), 1);
        QCOMPARE(one.Children(), 2);
    }

    // The set read from a program folder: the registry, the codes beside it, three years' files, the
    // payer and payment text of each paying receipt as stored.
    void readFromTheProgramFolder() {
        QTemporaryDir dir;
        const QString folder = dir.path() + u'/';
        RegistryFile registry;
        QVERIFY(registry.OpenOrCreate(folder));
        QVERIFY(registry.AppendRecord(Card("Rossi Mario", kParent, "Rossi Luca", "250")));
        QVERIFY(registry.AppendRecord(Card("Rossi Mario", kParent, "Rossi Anna", "250")));
        QVERIFY(registry.Close());
        QVERIFY(SaveChildTaxCodes(ChildTaxCodesPath(folder), {{1, "Rossi Luca", kLuca}, {2, "Rossi Anna", kAnna}}));
        const auto receipt = [](const QString& n, const QString& date, const QString& from, const QString& to,
                                const QString& child, const QString& method) {
            ReceiptRecord r = TypedFeeReceipt(n, date, "Retta", from, to, "250,00", child);
            r.Pagatore = QStringLiteral("Rossi Mario");
            r.CodFisc = kParent;
            r.Indirizzo = method;
            return r;
        };
        const auto same = [](const ReceiptRecord& r) { return r; };
        QVERIFY(
            !WriteReceiptYear(folder + "2026.ric",
                              QVector<ReceiptRecord>{
                                  receipt("1", "05/10/2026", "01/10/2026", "31/10/2026", "Rossi Luca",
                                          "Bonifico bancario del 03/10/2026, rif. X1"),
                                  receipt("2", "05/10/2026", "01/10/2026", "31/10/2026", "Rossi Anna", "Contanti"),
                                  receipt("3", "05/11/2026", "01/11/2026", "30/11/2026", "Altro Bimbo", "Contanti")},
                              same)
                 .isEmpty());
        QVERIFY(!WriteReceiptYear(folder + "2027.ric",
                                  QVector<ReceiptRecord>{receipt("1", "10/01/2027", "01/12/2026", "31/12/2026",
                                                                 "Rossi Luca", "Bonifico bancario del 09/01/2027")},
                                  same)
                     .isEmpty());
        BonusSet set;
        QString error;
        QVERIFY2(LoadBonusSet(folder, 2026, {}, set, &error), qPrintable(error));
        QCOMPARE(set.families.size(), 1);
        const BonusChild& luca = set.families[0].children[0];
        QCOMPARE(Pages(luca), QStringLiteral("10 250,00/250,00 #1 250,00 T | 12 250,00/250,00 #1 250,00 T"));
        QCOMPARE(luca.months[0].payments[0].payment.reference, QStringLiteral("X1"));
        QCOMPARE(luca.months[1].payments[0].payment.date, QDate(2027, 1, 9));
        QCOMPARE(set.families[0].children[1].taxCode, kAnna);
        QVERIFY(set.families[0].children[1].months[0].CashOnly());
        // A card number outside the registry is an error, not an empty set.
        QVERIFY(!LoadBonusSet(folder, 2026, {9}, set, &error));
        QVERIFY(error.contains("n. 9"));
    }
};

QTEST_GUILESS_MAIN(TestNurseryBonus)
#include "tst_nurserybonus.moc"
