// The bank statement: camt.053 (bare and in the CBI envelope) and two banks' CSV exports read into
// credits and returns, the refusals with their reasons, the matching table (id, tax code, child's
// name, payer's name, amount; duplicates; used movements) and the receipts issued all or nothing.
// The statements below were written by hand from the published camt.053.001.02 structure.
#include "../support/FaultyFileOps.h"
#include "payments/Mandates.h"
#include "payments/PaymentMatch.h"
#include "payments/SddFile.h"
#include "receipts/Cancellation.h"
#include "storage/ReceiptFile.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace payments;

namespace {
// One credit entry with its transaction details.
QByteArray Entry(const char* amount, const char* ind, const char* ref, const char* e2e, const char* payer,
                 const char* text, const char* family = "RCDT", const char* ccy = "EUR") {
    return QByteArray("<Ntry><NtryRef>") + ref + "</NtryRef><Amt Ccy=\"" + ccy + "\">" + amount +
           "</Amt><CdtDbtInd>" + ind + "</CdtDbtInd><Sts>BOOK</Sts><BookgDt><Dt>2026-12-14</Dt></BookgDt>"
           "<ValDt><Dt>2026-12-14</Dt></ValDt><AcctSvcrRef>" + ref + "</AcctSvcrRef><BkTxCd><Domn><Cd>PMNT</Cd>"
           "<Fmly><Cd>" + family + "</Cd><SubFmlyCd>ESCT</SubFmlyCd></Fmly></Domn></BkTxCd><NtryDtls><TxDtls>"
           "<Refs><EndToEndId>" + e2e + "</EndToEndId></Refs><RltdPties><Dbtr><Nm>" + payer +
           "</Nm></Dbtr></RltdPties><RmtInf><Ustrd>" + text + "</Ustrd></RmtInf></TxDtls></NtryDtls></Ntry>";
}

// The SDD collection credited as one entry of two transactions, and a returned debit.
QByteArray SddBatchAndReturn() {
    return "<Ntry><Amt Ccy=\"EUR\">450.00</Amt><CdtDbtInd>CRDT</CdtDbtInd><Sts>BOOK</Sts>"
           "<BookgDt><Dt>2026-12-14</Dt></BookgDt><ValDt><Dt>2026-12-14</Dt></ValDt><AcctSvcrRef>SDD77</AcctSvcrRef>"
           "<BkTxCd><Domn><Cd>PMNT</Cd><Fmly><Cd>RDDT</Cd><SubFmlyCd>ESDD</SubFmlyCd></Fmly></Domn></BkTxCd>"
           "<NtryDtls>"
           "<TxDtls><Refs><EndToEndId>RT202612C1-ROSSILUCA</EndToEndId></Refs><AmtDtls><TxAmt><Amt Ccy=\"EUR\">250.00"
           "</Amt></TxAmt></AmtDtls><RltdPties><Dbtr><Nm>Rossi Mario</Nm></Dbtr></RltdPties></TxDtls>"
           "<TxDtls><Refs><EndToEndId>RT202612C2-ROSSIANNA</EndToEndId></Refs><AmtDtls><TxAmt><Amt Ccy=\"EUR\">200.00"
           "</Amt></TxAmt></AmtDtls><RltdPties><Dbtr><Nm>Rossi Mario</Nm></Dbtr></RltdPties></TxDtls>"
           "</NtryDtls></Ntry>"
           "<Ntry><Amt Ccy=\"EUR\">250.00</Amt><CdtDbtInd>DBIT</CdtDbtInd><RvslInd>true</RvslInd><Sts>BOOK</Sts>"
           "<BookgDt><Dt>2026-12-18</Dt></BookgDt><NtryDtls><TxDtls><Refs><EndToEndId>RT202612C3-BIANCHIZOE"
           "</EndToEndId></Refs><RltdPties><Dbtr><Nm>Bianchi Lara</Nm></Dbtr></RltdPties><RtrInf><Rsn><Cd>AM04</Cd>"
           "</Rsn></RtrInf></TxDtls></NtryDtls></Ntry>";
}

QByteArray Statement(const QByteArray& entries, const char* ccy = "EUR") {
    return QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<Document xmlns=\"urn:iso:std:iso:20022:tech:xsd:camt.053.001.02\"><BkToCstmrStmt>"
                      "<GrpHdr><MsgId>EC-2026-12</MsgId><CreDtTm>2026-12-31T18:00:00</CreDtTm></GrpHdr>"
                      "<Stmt><Id>1</Id><CreDtTm>2026-12-31T18:00:00</CreDtTm><Acct><Id><IBAN>IT60X0542811101000000123456"
                      "</IBAN></Id><Ccy>") + ccy + "</Ccy></Acct>" + entries + "</Stmt></BkToCstmrStmt></Document>";
}

QByteArray Cbi(const QByteArray& entries) {
    return QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<BODY:CBIBdyDlyStmtReq xmlns:BODY=\"urn:CBI:xsd:CBIBdyDlyStmtReq.00.01.02\" "
                      "xmlns:DLST=\"urn:CBI:xsd:CBIDlyStmtReqLogMsg.00.01.02\"><BODY:CBIEnvelDlyStmtReqLogMsg>"
                      "<BODY:CBIDlyStmtReqLogMsg><DLST:GrpHdr><DLST:MsgId>X</DLST:MsgId></DLST:GrpHdr><DLST:Stmt>"
                      "<DLST:Acct><DLST:Ccy>EUR</DLST:Ccy></DLST:Acct>") +
           QByteArray(entries).replace("<", "<DLST:").replace("<DLST:/", "</DLST:") +
           "</DLST:Stmt></BODY:CBIDlyStmtReqLogMsg></BODY:CBIEnvelDlyStmtReqLogMsg></BODY:CBIBdyDlyStmtReq>";
}

QByteArray AllEntries() {
    return SddBatchAndReturn() +
           Entry("250.00", "CRDT", "BON1", "NOTPROVIDED", "Neri Paolo", "retta dicembre Ugo cf NREPLA80A01H501X") +
           Entry("180.00", "CRDT", "BON2", "NOTPROVIDED", "Papa di Eva", "Pagamento retta Verdi Eva dicembre") +
           Entry("400.00", "CRDT", "BON3", "NOTPROVIDED", "Gialli Rita", "bonifico") +
           Entry("99.00", "CRDT", "BON4", "NOTPROVIDED", "Sconosciuto", "regalo") +
           Entry("42.00", "DBIT", "COMM", "NOTPROVIDED", "Banca", "commissioni");
}

DueCard Card(qint64 number, const char* parent, const char* code, const char* child, qint64 fee,
             QVector<int> months) {
    DueCard d;
    d.line.card = number;
    d.line.parent = QString::fromUtf8(parent);
    d.line.taxCode = QString::fromUtf8(code);
    d.line.child = QString::fromUtf8(child);
    d.line.fee = QString::number(fee / 10000) + QStringLiteral(",00");
    // The card itself: a receipt takes its payer from it.
    d.line.record.Tiratore = d.line.parent;
    d.line.record.CodFisc = d.line.taxCode;
    d.line.record.Armi = d.line.child;
    for (int m : months) {
        fees::MonthDue due;
        due.month = fees::FeeMonth{m > 12 ? 2026 : 2026, m > 12 ? m - 12 : m};
        due.due = fee;
        d.owed << due;
    }
    return d;
}

QVector<DueCard> School() {
    return {
        Card(1, "Rossi Mario", "RSSMRA85T10A562S", "Rossi Luca", 2500000, {11, 12}),
        Card(2, "Rossi Mario", "RSSMRA85T10A562S", "Rossi Anna", 2000000, {12}),
        Card(3, "Bianchi Lara", "BNCLRA90A41F205I", "Bianchi Zoe", 2500000, {12}),
        Card(4, "Neri Paolo", "NREPLA80A01H501X", "Neri Ugo", 2500000, {12}),
        Card(5, "Verdi Pino", "VRDGPP13A10B157J", "Verdi Eva", 1800000, {12}),
        Card(6, "Gialli Rita", "GLLRTI80A41H501Y", "Gialli Pio", 2500000, {10, 11, 12}),
    };
}
} // namespace

class TestStatement : public QObject {
    Q_OBJECT
private slots:
    void camt053_data() {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<QString>("format");
        QTest::newRow("bare") << Statement(AllEntries()) << "camt.053";
        QTest::newRow("CBI envelope") << Cbi(AllEntries()) << "camt.053 (CBI)";
    }
    void camt053() {
        QFETCH(QByteArray, xml);
        QFETCH(QString, format);
        const StatementData s = ReadCamt053(xml);
        QCOMPARE(s.error, QString());
        QCOMPARE(s.format, format);
        QCOMPARE(s.credits.size(), 6);
        QCOMPARE(s.credits[0].amount, qint64(2500000));
        QCOMPARE(s.credits[0].endToEnd, QString("RT202612C1-ROSSILUCA"));
        QVERIFY(s.credits[0].directDebit);
        QCOMPARE(s.credits[1].amount, qint64(2000000));
        QCOMPARE(s.credits[0].bankRef, QString("SDD77/1"));
        QCOMPARE(s.credits[1].bankRef, QString("SDD77/2"));
        QCOMPARE(s.credits[2].payer, QString("Neri Paolo"));
        QCOMPARE(s.credits[2].remittance, QString("retta dicembre Ugo cf NREPLA80A01H501X"));
        QCOMPARE(s.credits[2].endToEnd, QString());
        QVERIFY(!s.credits[2].directDebit);
        QCOMPARE(s.credits[2].value, QDate(2026, 12, 14));
        QCOMPARE(s.returns.size(), 1);
        QCOMPARE(s.returns[0].endToEnd, QString("RT202612C3-BIANCHIZOE"));
        QCOMPARE(s.returns[0].reason, QString("fondi insufficienti"));
        QCOMPARE(s.debits, 1);
    }

    void refused_data() {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<QString>("reason");
        QTest::newRow("not XML at all") << QByteArray("<<ciao") << "danneggiato";
        QTest::newRow("cut short") << Statement(AllEntries()).left(900) << "danneggiato";
        QTest::newRow("another message") << QByteArray("<Document><CstmrDrctDbtInitn/></Document>")
                                         << "non è un estratto conto";
        QTest::newRow("account in dollars") << Statement(AllEntries(), "USD") << "valuta (USD)";
        QTest::newRow("an entry in pounds")
            << Statement(Entry("10.00", "CRDT", "X", "NOTPROVIDED", "A", "b", "RCDT", "GBP")) << "valuta (GBP)";
        QTest::newRow("debits only") << Statement(Entry("42.00", "DBIT", "COMM", "NOTPROVIDED", "Banca", "x"))
                                     << "solo addebiti";
        QTest::newRow("amount unreadable") << Statement(Entry("12,50", "CRDT", "X", "NOTPROVIDED", "A", "b"))
                                           << "importo";
    }
    void refused() {
        QFETCH(QByteArray, xml);
        QFETCH(QString, reason);
        const StatementData s = ReadCamt053(xml);
        QVERIFY2(s.error.contains(reason), qPrintable(s.error));
    }

    void amounts_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("value"); // -1: refused
        QTest::newRow("Italian") << "1.234,56" << qint64(12345600);
        QTest::newRow("negative") << "-50,00" << qint64(-500000);
        QTest::newRow("dot decimals") << "1234.56" << qint64(12345600);
        QTest::newRow("English thousands") << "1,234.56" << qint64(12345600);
        QTest::newRow("euro sign and plus") << QString::fromUtf8("+ € 250,00") << qint64(2500000);
        QTest::newRow("parentheses") << "(50,00)" << qint64(-500000);
        QTest::newRow("trailing minus") << "50,00-" << qint64(-500000);
        QTest::newRow("whole euros") << "250" << qint64(2500000);
        QTest::newRow("letters") << "abc" << qint64(-1);
        QTest::newRow("empty") << "" << qint64(-1);
        QTest::newRow("two commas") << "1,2,3" << qint64(-1);
    }
    void amounts() {
        QFETCH(QString, text);
        QFETCH(qint64, value);
        const auto v = ParseBankAmount(text);
        QCOMPARE(v.has_value(), value != -1);
        if (v)
            QCOMPARE(*v, value);
    }

    // Two banks' exports: a signed amount with ';' and Italian numbers, and separate debit and credit
    // columns with ',' and dot decimals.
    void csv_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("credits");
        QTest::addColumn<qint64>("first");
        QTest::newRow("signed amount") << QByteArray("Data contabile;Data valuta;Descrizione operazione;Importo;Divisa\r\n"
                                                     "14/12/2026;15/12/2026;BONIFICO DA NERI PAOLO retta Ugo;250,00;EUR\r\n"
                                                     "14/12/2026;14/12/2026;COMMISSIONI;-2,50;EUR\r\n"
                                                     "15/12/2026;15/12/2026;\"BONIFICO; VERDI\";1.180,00;EUR\r\n")
                                       << 2 << qint64(2500000);
        QTest::newRow("debit and credit") << QByteArray("Data operazione,Data valuta,Causale,Dare,Avere,Ordinante\n"
                                                        "2026-12-14,2026-12-15,Retta dicembre Neri Ugo,,250.00,Neri Paolo\n"
                                                        "2026-12-14,2026-12-14,Canone,5.00,,\n"
                                                        "totale,,,,,\n")
                                          << 1 << qint64(2500000);
    }
    void csv() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, credits);
        QFETCH(qint64, first);
        const CsvSheet sheet = ParseCsv(bytes);
        const QVector<CsvRole> roles = GuessCsvRoles(sheet.rows.first());
        QVERIFY(roles.contains(CsvRole::Date));
        QVERIFY(roles.contains(CsvRole::ValueDate));
        int skipped = 0;
        const StatementData s = ReadBankCsv(sheet, roles, &skipped);
        QCOMPARE(s.error, QString());
        QCOMPARE(s.credits.size(), credits);
        QCOMPARE(s.credits[0].amount, first);
        QCOMPARE(s.credits[0].value, QDate(2026, 12, 15));
        QCOMPARE(s.debits, 1);
        QVERIFY(s.credits[0].remittance.contains("Ugo"));
    }
    void csvRefused() {
        CsvSheet sheet = ParseCsv("Data;Importo;Divisa\r\n14/12/2026;10,00;USD\r\n");
        QVERIFY(ReadBankCsv(sheet, GuessCsvRoles(sheet.rows.first())).error.contains("USD"));
        sheet = ParseCsv("Data;Importo\r\n14/12/2026;-10,00\r\n");
        QVERIFY(ReadBankCsv(sheet, GuessCsvRoles(sheet.rows.first())).error.contains("solo addebiti"));
        sheet = ParseCsv("Nome;Cognome\r\nA;B\r\n");
        QVERIFY(ReadBankCsv(sheet, GuessCsvRoles(sheet.rows.first())).error.contains("colonne"));
    }

    // The table of matches: by id, tax code, child's name, payer's name and amount; what cannot be told.
    void matching() {
        const StatementData s = ReadCamt053(Statement(AllEntries()));
        const QVector<DueCard> cards = School();
        const QVector<Proposal> p = MatchMovements(s.credits, cards, {});
        QCOMPARE(p.size(), 6);
        struct Expect {
            MatchState state;
            int card;
            int months;
            const char* how;
        } expected[] = {
            {MatchState::Matched, 0, 1, "addebito SDD"},
            {MatchState::Matched, 1, 1, "addebito SDD"},
            {MatchState::Matched, 3, 1, "codice fiscale"},
            {MatchState::Matched, 4, 1, "nome del minore"},
            {MatchState::ToCheck, 5, 2, "nome del pagatore"}, // 400 of 3 months owed: not whole months
            {MatchState::Unmatched, -1, 0, ""},
        };
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(p[i].state, expected[i].state);
            QCOMPARE(p[i].card, expected[i].card);
            QCOMPARE(p[i].months.size(), expected[i].months);
            QCOMPARE(p[i].how, QString::fromUtf8(expected[i].how));
            QCOMPARE(p[i].accepted, expected[i].state == MatchState::Matched);
        }
        QCOMPARE(p[4].months[0].month, 10);
        QCOMPARE(p[0].months[0].month, 12); // the collection pays the month its id names, not the oldest
        QCOMPARE(MatchStateText(p[4].state), QString("da verificare"));
    }

    void matchingAmountsAndRepeats() {
        QVector<DueCard> cards = School();
        Movement a;
        a.value = a.booked = QDate(2026, 12, 14);
        a.amount = 2500000;
        a.payer = "Gialli Rita";
        a.remittance = "Retta Gialli Pio";
        Movement b = a;
        b.remittance = "Retta Gialli Pio novembre"; // another transfer: takes the next month
        Movement c = a;                             // the same movement twice in the statement
        const QVector<Proposal> p = MatchMovements({a, b, c}, cards, {});
        QCOMPARE(p[0].state, MatchState::Matched);
        QCOMPARE(p[0].months[0].month, 10);
        QCOMPARE(p[1].state, MatchState::Matched);
        QCOMPARE(p[1].months[0].month, 11);
        QCOMPARE(p[2].state, MatchState::AlreadyRecorded);
        // Used before: never again.
        const QVector<Proposal> q = MatchMovements({a}, cards, {MovementKey(a)});
        QCOMPARE(q[0].state, MatchState::AlreadyRecorded);
        // A bank reference is the key when there is one; otherwise date, amount and text.
        Movement r = a;
        r.bankRef = "REF1";
        QCOMPARE(MovementKey(r), QString("R:REF1"));
        QVERIFY(MovementKey(a) != MovementKey(b));
        // Siblings on one tax code without a name: the amount picks the one it pays whole, to be checked.
        Movement d = a;
        d.payer = "X";
        d.remittance = "cf RSSMRA85T10A562S";
        d.amount = 2000000;
        const QVector<Proposal> s = MatchMovements({d}, cards, {});
        QCOMPARE(s[0].card, 1);
        QCOMPARE(s[0].state, MatchState::ToCheck);
        Proposal hand;
        AssignCard(hand, d, cards, 0);
        QCOMPARE(hand.card, 0);
        QCOMPARE(hand.state, MatchState::Matched);
        QVERIFY(hand.accepted);
    }

    // The months a payer writes in the remittance text.
    void monthsNamed_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("paid");
        QTest::addColumn<QStringList>("months"); // mm/yyyy
        const QDate dec3(2026, 12, 3);
        QTest::newRow("name") << "RETTA NOVEMBRE LOMBARDI PIETRO" << dec3 << QStringList{"11/2026"};
        QTest::newRow("abbreviation and year") << "ott 2026" << dec3 << QStringList{"10/2026"};
        QTest::newRow("figures") << "retta 10/2026" << dec3 << QStringList{"10/2026"};
        QTest::newRow("two names") << "settembre e ottobre" << dec3 << QStringList{"09/2026", "10/2026"};
        QTest::newRow("abbreviation with a point") << "Retta Sett. 2026 Luca" << dec3 << QStringList{"09/2026"};
        QTest::newRow("figures with dashes") << "rette 09-2026 e 10-2026" << dec3 << QStringList{"09/2026", "10/2026"};
        QTest::newRow("January paid in December") << "RETTA GENNAIO" << QDate(2026, 12, 20) << QStringList{"01/2027"};
        QTest::newRow("December paid in January") << "retta dicembre" << QDate(2027, 1, 10) << QStringList{"12/2026"};
        QTest::newRow("a full date names no month") << "Bonifico del 07/12/2026" << dec3 << QStringList{};
        QTest::newRow("a name that begins like a month") << "MARCO SETTIMI" << dec3 << QStringList{};
        QTest::newRow("no month") << "Retta Lombardi Pietro" << dec3 << QStringList{};
        QTest::newRow("accents and letter case") << QString::fromUtf8("RETTA DI NOVEMBRE, già") << dec3
                                                 << QStringList{"11/2026"};
    }
    void monthsNamed() {
        QFETCH(QString, text);
        QFETCH(QDate, paid);
        QFETCH(QStringList, months);
        QStringList got;
        for (const fees::FeeMonth& m : MonthsNamed(text, paid))
            got << m.TwoDigits() + u'/' + QString::number(m.year);
        QCOMPARE(got, months);
    }

    // Which months a transfer pays: those its text names first, the oldest owed only when it names none;
    // a month in a pending direct debit only for its own collection, a transfer naming it is to check.
    void monthsATransferPays_data() {
        QTest::addColumn<int>("card");
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("amount");
        QTest::addColumn<bool>("collection");
        QTest::addColumn<QVector<int>>("months");
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QString>("note");
        // Gialli Pio owes October, November and December; Lombardi Pietro owes November (in the file
        // SDD_2026_11_1.xml) and December.
        QTest::newRow("the case seen: named November, not the oldest")
            << 5 << "RETTA NOVEMBRE GIALLI PIO" << qint64(2500000) << false << QVector<int>{11}
            << int(MatchState::Matched) << "mesi nella causale" << "";
        QTest::newRow("no month named: the oldest") << 5 << "bonifico Gialli Pio" << qint64(2500000) << false
                                                     << QVector<int>{10} << int(MatchState::Matched)
                                                     << "mesi più vecchi da pagare" << "";
        QTest::newRow("two months named") << 5 << "Gialli Pio ottobre e dicembre" << qint64(5000000) << false
                                          << QVector<int>{10, 12} << int(MatchState::Matched) << "mesi nella causale"
                                          << "";
        QTest::newRow("named month and more money: then the oldest") << 5 << "Gialli Pio 12/2026" << qint64(5000000)
                                                                     << false << QVector<int>{10, 12}
                                                                     << int(MatchState::Matched)
                                                                     << "mesi nella causale" << "";
        QTest::newRow("a named month not owed") << 5 << "Gialli Pio retta settembre" << qint64(2500000) << false
                                                << QVector<int>{10} << int(MatchState::ToCheck)
                                                << "mesi della causale non dovuti: i più vecchi da pagare"
                                                << "settembre 2026";
        QTest::newRow("a transfer naming a month in debit") << 6 << "retta novembre Lombardi Pietro"
                                                            << qint64(2500000) << false << QVector<int>{11}
                                                            << int(MatchState::ToCheck) << "mesi nella causale"
                                                            << "SDD_2026_11_1.xml";
        QTest::newRow("a transfer naming none skips it") << 6 << "retta Lombardi Pietro" << qint64(2500000) << false
                                                         << QVector<int>{12} << int(MatchState::Matched)
                                                         << "mesi più vecchi da pagare" << "";
        QTest::newRow("its own collection pays it") << 6 << "" << qint64(2500000) << true << QVector<int>{11}
                                                    << int(MatchState::Matched) << "mese dell'addebito SDD" << "";
    }
    void monthsATransferPays() {
        QFETCH(int, card);
        QFETCH(QString, text);
        QFETCH(qint64, amount);
        QFETCH(bool, collection);
        QFETCH(QVector<int>, months);
        QFETCH(int, state);
        QFETCH(QString, rule);
        QFETCH(QString, note);
        QVector<DueCard> cards = School();
        cards << Card(7, "Lombardi Anna", "LMBNNA80A41H501U", "Lombardi Pietro", 2500000, {11, 12});
        cards[6].owed[0].held = 2500000;
        cards[6].owed[0].heldBy = "SDD_2026_11_1.xml";
        Movement m;
        m.value = m.booked = QDate(2026, 12, 10);
        m.amount = amount;
        m.payer = "Qualcuno";
        m.remittance = text;
        if (collection) {
            m.endToEnd = EndToEndId(fees::FeeMonth{2026, 11}, 7, "Lombardi Pietro");
            m.directDebit = true;
        }
        const Proposal p = MatchMovements({m}, cards, {}).value(0);
        QCOMPARE(p.card, card);
        QVector<int> got;
        for (const fees::FeeMonth& f : p.months)
            got << f.month;
        QCOMPARE(got, months);
        QCOMPARE(int(p.state), state);
        QCOMPARE(p.monthsBy, rule);
        QVERIFY2(note.isEmpty() ? p.note.isEmpty() : p.note.contains(note), qPrintable(p.note));
    }

    // Receipts issued as the month batch fills them; the movements noted; a second statement finds them used.
    void issue() {
        QTemporaryDir dir;
        const QString folder = dir.path() + QLatin1Char('/');
        const StatementData s = ReadCamt053(Statement(AllEntries()));
        const QVector<DueCard> cards = School();
        QVector<Proposal> p = MatchMovements(s.credits, cards, {});
        p[4].accepted = true; // the office accepts the partial one
        const QStringList receiver{"Asilo", "Via Roma 1", "27100 Pavia", ""};
        Mandate rossi;
        rossi.taxCode = "RSSMRA85T10A562S", rossi.iban = "IT60X0542811101000000123456", rossi.id = "M-ROSSI-01";
        rossi.signedOn = QDate(2026, 9, 1);
        QVERIFY(SaveMandate(folder + MandatesFileName, rossi));
        // Issued the day after the statement's payments: the receipts carry that day, the payments' own.
        const PaymentIssue r = IssuePayments(folder, QDate(2026, 12, 15), s.credits, p, cards, receiver, 100);
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(r.issued, (QVector<int>{0, 1, 2, 3, 4}));
        QCOMPARE(r.firstNumber, qint64(100));
        ReceiptFile f;
        QVERIFY(f.OpenOrCreate(folder + "2026.ric"));
        QVector<ReceiptRecord> all;
        QVERIFY(f.ReadAll(all));
        f.Close();
        QCOMPARE(all.size(), 5);
        QCOMPARE(all[0].NumRic, QString("100"));
        QCOMPARE(all[0].Indirizzo, QString("Addebito SDD del 14/12/2026, rif. RT202612C1-ROSSILUCA, mandato M-ROSSI-01"));
        QCOMPARE(all[2].Indirizzo, QString("Bonifico bancario del 14/12/2026, rif. BON1"));
        for (const ReceiptRecord& rec : all)
            QCOMPARE(rec.Data, QString("15/12/2026"));
        QCOMPARE(all[0].Ricevente01, QString("Asilo"));
        QCOMPARE(all[0].Importo.trimmed(), QString("250"));
        QCOMPARE(all[0].Praticante, QString("Rossi Luca"));
        QCOMPARE(all[0].Dal, QString("01/12/2026"));
        QCOMPARE(all[4].NumRic, QString("104"));
        QCOMPARE(all[4].Dal, QString("01/10/2026"));
        QCOMPARE(all[4].Al, QString("30/11/2026"));
        QCOMPARE(all[4].Importo.trimmed(), QString("400"));
        QVERIFY(all[4].Sport.startsWith("Rette da ottobre 2026 a novembre 2026"));
        const QSet<QString> used = UsedMovements(folder, 2026);
        QCOMPARE(used.size(), 5);
        const QVector<Proposal> again = MatchMovements(s.credits, cards, used);
        for (int i = 0; i < 5; ++i)
            QCOMPARE(again[i].state, MatchState::AlreadyRecorded);
        QCOMPARE(again[5].state, MatchState::Unmatched);
        // A cancelled receipt gives its movement back.
        ReceiptRecord cancelled = all[2];
        cancelled.Importo = "0";
        cancelled.Sport = "ANNULLATA: errore";
        QVERIFY(IsCancelled(cancelled));
        QVERIFY(f.OpenOrCreate(folder + "2026.ric"));
        QVERIFY(f.Raw().OverwriteRaw(2, [&] { QByteArray b; cancelled.Encode(b); return b; }()));
        f.Close();
        QCOMPARE(UsedMovements(folder, 2026).size(), 4);
    }

    // No receipt dated before the last one stored in its year; a payment of December turned into a
    // receipt in January goes to January's year, its payment day in its text.
    void issueDate() {
        QTemporaryDir dir;
        const QString folder = dir.path() + QLatin1Char('/');
        const StatementData s = ReadCamt053(Statement(AllEntries()));
        const QVector<DueCard> cards = School();
        const QVector<Proposal> p = MatchMovements(s.credits, cards, {});
        ReceiptRecord last;
        last.NumRic = "49", last.Data = "16/12/2026", last.Pagatore = "Altro", last.CodFisc = "X";
        ReceiptFile f;
        QVERIFY(f.OpenOrCreate(folder + "2026.ric"));
        QVERIFY(f.AppendRecord(last));
        f.Close();
        const QByteArray before = [&] {
            QFile b(folder + "2026.ric");
            return b.open(QIODevice::ReadOnly) ? b.readAll() : QByteArray();
        }();
        const PaymentIssue early = IssuePayments(folder, QDate(2026, 12, 15), s.credits, p, cards, {}, 1);
        QVERIFY(!early.ok);
        QVERIFY2(early.dateProblem.contains("n. 49 del 16/12/2026"), qPrintable(early.dateProblem));
        QFile after(folder + "2026.ric");
        QVERIFY(after.open(QIODevice::ReadOnly));
        QCOMPARE(after.readAll(), before);
        after.close();
        QVERIFY(UsedMovements(folder, 2026).isEmpty());

        const PaymentIssue sameDay = IssuePayments(folder, QDate(2026, 12, 16), s.credits, p, cards, {}, 1);
        QVERIFY2(sameDay.ok, qPrintable(sameDay.error));
        QCOMPARE(sameDay.firstNumber, qint64(2));

        QTemporaryDir dir2;
        const QString next = dir2.path() + QLatin1Char('/');
        const PaymentIssue january = IssuePayments(next, QDate(2027, 1, 4), s.credits, p, cards, {}, 1);
        QVERIFY2(january.ok, qPrintable(january.error));
        QVERIFY(!QFile::exists(next + "2026.ric"));
        QVector<ReceiptRecord> all;
        QVERIFY(f.OpenOrCreate(next + "2027.ric"));
        QVERIFY(f.ReadAll(all));
        f.Close();
        QCOMPARE(all.size(), january.issued.size());
        QCOMPARE(all[0].Data, QString("04/01/2027"));
        QCOMPARE(all[0].Dal, QString("01/12/2026"));
        QVERIFY(all[0].Indirizzo.contains("del 14/12/2026"));
        QCOMPARE(UsedMovements(next, 2027).size(), january.issued.size());
    }

    // A failure at any file call: the receipts and their notes, or neither.
    void issueFaults() {
        const StatementData s = ReadCamt053(Statement(AllEntries()));
        const QVector<DueCard> cards = School();
        const QVector<Proposal> p = MatchMovements(s.credits, cards, {});
        for (int err : {ENOSPC, EIO}) {
            for (int n = 1;; ++n) {
                QTemporaryDir dir;
                const QString folder = dir.path() + QLatin1Char('/');
                PaymentIssue r;
                bool hit = false;
                {
                    FaultyFileOps faults;
                    faults.Arm(n, err);
                    r = IssuePayments(folder, QDate(2026, 12, 15), s.credits, p, cards, {}, 1);
                    hit = faults.failed != nullptr;
                }
                ReceiptFile f;
                QVector<ReceiptRecord> all;
                if (QFile::exists(folder + "2026.ric")) {
                    QVERIFY(f.OpenOrCreate(folder + "2026.ric"));
                    QVERIFY(f.ReadAll(all));
                    f.Close();
                }
                const QSet<QString> used = UsedMovements(folder, 2026);
                if (r.ok) {
                    QCOMPARE(all.size(), 4);
                    QCOMPARE(used.size(), 4);
                } else {
                    QVERIFY2(hit, qPrintable(r.error));
                    QCOMPARE(all.size(), 0);
                    QCOMPARE(used.size(), 0);
                }
                if (!hit)
                    break;
                QVERIFY(n < 200);
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestStatement)
#include "tst_statement.moc"
