// A month's fees: the enrolment rule, the receipts that count as paid, the issuing batch with its
// numbers, its behaviour when another workstation writes at the same time, and a failure at every
// file call of the batch.
#include "../support/FaultyFileOps.h"
#include "fees/MonthFees.h"
#include "payments/SddRegister.h"
#include "storage/Text.h"
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

using namespace fees;

namespace {

struct Card {
    QString parent, code, child, fee, start, end;
};

RegistryRecord MakeCard(const Card& c) {
    RegistryRecord r;
    r.Tiratore = c.parent;
    r.CodFisc = c.code;
    r.Armi = c.child;
    r.Quota = c.fee;
    r.InizioTes = c.start;
    r.FineTes = c.end;
    r.Ente = QStringLiteral("Retta mensile");
    r.FinePor = QStringLiteral("Bonifico bancario");
    r.Porto = QStringLiteral("Pavia");
    r.InizioPor = QStringLiteral("04/05/2021");
    r.Tel = QStringLiteral("0382 123456");
    return r;
}

bool WriteCards(const QString& folder, const QVector<Card>& cards) {
    QFile::remove(folder + RegistryFileName);
    RegistryFile f;
    if (!f.OpenOrCreate(folder))
        return false;
    for (const Card& c : cards)
        if (!f.AppendRecord(MakeCard(c)))
            return false;
    return f.Close();
}

ReceiptRecord Paid(const QString& number, const QString& child, const QString& from, const QString& to) {
    ReceiptRecord r;
    r.NumRic = number;
    r.Data = QStringLiteral("05/03/2026");
    r.Pagatore = QStringLiteral("Bianchi Anna");
    r.CodFisc = QStringLiteral("BNCNNA80A41F205X");
    r.Sport = QStringLiteral("Retta");
    r.Intero = QStringLiteral("251,00"); // enough for two months of the fees below
    r.Praticante = child;
    r.Dal = from;
    r.Al = to;
    return r;
}

bool WriteYear(const QString& path, const QVector<ReceiptRecord>& recs) {
    QFile::remove(path);
    ReceiptFile f;
    if (!f.OpenOrCreate(path))
        return false;
    for (const ReceiptRecord& r : recs)
        if (!f.AppendRecord(r))
            return false;
    return f.Close();
}

QVector<ReceiptRecord> ReadYear(const QString& path) {
    ReceiptFile f;
    QVector<ReceiptRecord> all;
    if (f.OpenOrCreate(path))
        f.ReadAll(all);
    f.Close();
    return all;
}

QByteArray Bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const FeeLine* LineOf(const MonthList& list, const QString& child) {
    for (const FeeLine& l : list.lines)
        if (l.child == child)
            return &l;
    return nullptr;
}

QVector<int> Ticked(const MonthList& list) {
    QVector<int> which;
    for (int i = 0; i < list.lines.size(); ++i)
        if (list.lines[i].ticked)
            which << i;
    return which;
}

IssueRequest Request(const FeeMonth& m, qint64 listed, qint64 start = 1) {
    IssueRequest req;
    req.month = m;
    req.issueDate = QDate(2026, m.month, 1);
    req.receiver = {QStringLiteral("Scuola dell'infanzia Il Girasole"), QStringLiteral("Via Roma 1"),
                    QStringLiteral("27100 Pavia"), QStringLiteral("P. IVA 01234567890")};
    req.numberingStart = start;
    req.listedCount = listed;
    return req;
}

// The child process of the concurrency test: issues the months it is given, one after the other.
int RunIssuer() {
    const QString folder = qEnvironmentVariable("CARVENNA_FEES_FOLDER");
    const QString year = folder + QStringLiteral("2026.ric");
    for (const QString& m : qEnvironmentVariable("CARVENNA_FEES_MONTHS").split(u',')) {
        const FeeMonth month{2026, m.toInt()};
        const MonthList list = BuildMonthList(folder, year, month);
        if (list.outcome != ListOutcome::Listed)
            return 2;
        const IssueResult r = IssueFees(year, list.lines, Ticked(list), Request(month, list.receipts));
        if (!r.ok)
            return 3;
    }
    return 0;
}

} // namespace

class TestMonthFees : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString Folder() const { return m_dir.path() + u'/'; }
    QString Year() const { return Folder() + QStringLiteral("2026.ric"); }

private slots:
    void enrolmentCoverage_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("expected");
        const int in = int(Coverage::Covered), out = int(Coverage::Outside);
        QTest::newRow("enrolled on the last day") << "31/03/2026" << "30/06/2026" << 3 << in;
        QTest::newRow("enrolled the day after") << "01/04/2026" << "30/06/2026" << 3 << out;
        QTest::newRow("expires on the first day") << "01/09/2025" << "01/03/2026" << 3 << in;
        QTest::newRow("expired the day before") << "01/09/2025" << "28/02/2026" << 3 << out;
        QTest::newRow("open start") << "" << "31/03/2026" << 3 << in;
        QTest::newRow("open end") << "15/03/2026" << "" << 3 << in;
        QTest::newRow("both open") << "" << "  " << 3 << in;
        QTest::newRow("open end, enrolled later") << "01/04/2026" << "" << 3 << out;
        QTest::newRow("leap day ends February") << "29/02/2028" << "30/06/2028" << 2 << in;
        QTest::newRow("start that does not exist") << "31/02/2026" << "30/06/2026" << 3
                                                   << int(Coverage::UnreadableStart);
        QTest::newRow("end typed loosely") << "01/09/2025" << "1/7/2026" << 3 << int(Coverage::UnreadableEnd);
    }
    void enrolmentCoverage() {
        QFETCH(QString, start);
        QFETCH(QString, end);
        QFETCH(int, month);
        QFETCH(int, expected);
        const int year = start.endsWith(QLatin1String("2028")) ? 2028 : 2026;
        QCOMPARE(int(EnrolmentCoverage(start, end, FeeMonth{year, month})), expected);
    }

    void monthAndCause() {
        QCOMPARE(FeeMonth({2028, 2}).Last(), QDate(2028, 2, 29));
        QCOMPARE(FeeMonth({2026, 12}).Last(), QDate(2026, 12, 31));
        QCOMPARE(MonthNumber(QStringLiteral(" marzo ")), 3);
        QCOMPARE(MonthNumber(QStringLiteral("DICEMBRE")), 12);
        QCOMPARE(MonthNumber(QStringLiteral("marz")), 0);
        QCOMPARE(DefaultCause(FeeMonth{2026, 3}), QStringLiteral("Retta marzo 2026"));
    }

    void feeAmount_data() {
        QTest::addColumn<QString>("fee");
        QTest::addColumn<QString>("euro");
        QTest::addColumn<QString>("cents");
        QTest::newRow("stored form") << "125,50" << "125" << "50";
        QTest::newRow("no cents") << "80" << "80" << "00";
        QTest::newRow("one cent digit") << "12,5" << "12" << "50";
        QTest::newRow("half a cent up") << "10,005" << "10" << "01";
        QTest::newRow("largest") << "99999999,99" << "99999999" << "99";
        QTest::newRow("nine digits") << "100000000,00" << "" << "";
        QTest::newRow("zero") << "0,00" << "" << "";
        QTest::newRow("negative") << "-5,00" << "" << "";
        QTest::newRow("dot") << "12.50" << "" << "";
        QTest::newRow("empty") << "" << "" << "";
    }
    void feeAmount() {
        QFETCH(QString, fee);
        QFETCH(QString, euro);
        QFETCH(QString, cents);
        const auto got = FeeEuroCents(fee);
        QCOMPARE(got.has_value(), !euro.isEmpty());
        if (got) {
            QCOMPARE(got->first, euro);
            QCOMPARE(got->second, cents);
        }
    }

    // Who is listed for March and in which state, from one registry and one year of receipts.
    void listStates() {
        QVERIFY(WriteCards(Folder(), {
                                         {"Rossi Mario", "RSSMRA80A01H501U", "Rossi Luca", "125,50", "01/09/2025", "30/06/2026"},
                                         {"Rossi Mario", "RSSMRA80A01H501U", "Rossi Anna", "100,00", "01/09/2025", "30/06/2026"},
                                         {"Verdi Gino", "", "Verdi Ada", "90,00", "", ""},
                                         {"Neri Carla", "NRECRL85B41F205Z", "Neri Ugo", "0,00", "", ""},
                                         {"Blu Ettore", "BLUTTR80A01H501X", "Blu Pia", "70,00", "xx/03/2026", ""},
                                         {"Gialli Rita", "GLLRTI80A41H501Y", "Gialli Ivo", "70,00", "01/04/2026", ""},
                                         {"Bruni Elsa", "12345678901", "Bruni Teo", "95,00", "", ""},
                                         {"Sala Olga", "SLALGO80A41H501K", "Sala Bice", "95,00", "", ""},
                                     }));
        QVERIFY(WriteYear(Year(), {
                                      // the period ends in March: paid, with the names typed differently
                                      Paid("7", "  ROSSI luca ", "15/02/2026", "15/03/2026"),
                                      // the sister's receipt does not pay Anna's month
                                      Paid("8", "Rossi Annalisa", "01/03/2026", "31/03/2026"),
                                      // ends the day before the month, for its fee exactly: not paid
                                      [] {
                                          ReceiptRecord r = Paid("9", "Sala Bice", "01/02/2026", "28/02/2026");
                                          r.Intero = QStringLiteral("95,00");
                                          return r;
                                      }(),
                                      // a period that cannot be read pays nothing
                                      Paid("10", "Sala Bice", "01/03/2026", "31/3/2026"),
                                      // a later receipt of the same month: the first one is shown
                                      Paid("11", "Rossi Luca", "01/03/2026", "31/03/2026"),
                                  }));
        const MonthList list = BuildMonthList(Folder(), Year(), FeeMonth{2026, 3});
        QCOMPARE(int(list.outcome), int(ListOutcome::Listed));
        QCOMPARE(list.receipts, 5);
        QCOMPARE(list.lines.size(), 7); // Gialli enrols in April
        struct Want {
            const char* child;
            LineState state;
            const char* reason;
            bool ticked;
        };
        const Want wants[] = {
            {"Rossi Luca", LineState::Paid, "", false},
            {"Rossi Anna", LineState::ToIssue, "", true},
            {"Verdi Ada", LineState::Blocked, "codice fiscale mancante", false},
            {"Neri Ugo", LineState::Blocked, "quota non valida", false},
            {"Blu Pia", LineState::Blocked, "data iscrizione non leggibile (xx/03/2026)", false},
            {"Bruni Teo", LineState::ToIssue, "", true},
            {"Sala Bice", LineState::ToIssue, "", true},
        };
        for (const Want& w : wants) {
            const FeeLine* l = LineOf(list, QString::fromUtf8(w.child));
            QVERIFY2(l, w.child);
            QVERIFY2(l->state == w.state, w.child);
            QCOMPARE(l->reason, QString::fromUtf8(w.reason));
            QCOMPARE(l->ticked, w.ticked);
        }
        QCOMPARE(LineOf(list, "Rossi Luca")->paidNumber, QStringLiteral("7"));
        QCOMPARE(LineOf(list, "Rossi Luca")->paidPosition, 1);
        // A VAT number that fails its check digit warns; a good tax code does not.
        QVERIFY(LineOf(list, "Bruni Teo")->taxCodeWarning);
        QVERIFY(!LineOf(list, "Rossi Anna")->taxCodeWarning);
        // Sorted by parent, then child.
        QCOMPARE(list.lines.first().parent, QStringLiteral("Blu Ettore"));
        QCOMPARE(list.lines[3].child, QStringLiteral("Rossi Anna"));
        QCOMPARE(list.lines[4].child, QStringLiteral("Rossi Luca"));
        QCOMPARE(list.lines.last().parent, QStringLiteral("Verdi Gino"));
    }

    // The month's states by amount, over the year's file and the year before: a cancelled receipt, a
    // partial one, one for another purpose, two for one month and one paid in December. Issuing the
    // partial line writes the rest, with the month's period.
    void statesByAmount() {
        QVERIFY(WriteCards(Folder(), {
                                         {"Alfa Rita", "RSSMRA80A01H501U", "Alfa Bea", "250,00", "", ""},
                                         {"Beta Rita", "RSSMRA80A01H501U", "Beta Ciro", "250,00", "", ""},
                                         {"Gamma Rita", "RSSMRA80A01H501U", "Gamma Dino", "250,00", "", ""},
                                         {"Delta Rita", "RSSMRA80A01H501U", "Delta Eva", "250,00", "", ""},
                                         {"Epsilon Rita", "RSSMRA80A01H501U", "Epsilon Ugo", "250,00", "", ""},
                                     }));
        const auto receipt = [](const QString& n, const QString& child, const QString& cause, const QString& amount,
                                const QString& from, const QString& to) {
            ReceiptRecord r = Paid(n, child, from, to);
            r.Sport = cause;
            r.Intero = amount;
            return r;
        };
        const QString jan1 = "01/01/2026", jan31 = "31/01/2026";
        QVERIFY(WriteYear(Folder() + "2025.ric",
                          {receipt("90", "Epsilon Ugo", "Retta gennaio 2026", "250,00", jan1, jan31)}));
        QVERIFY(WriteYear(Year(), {
                                      receipt("1", "Alfa Bea", "ANNULLATA: doppia", "0,00", jan1, jan31),
                                      receipt("2", "Beta Ciro", "Retta gennaio", "100,00", jan1, jan31),
                                      receipt("3", "Gamma Dino", "Iscrizione 2025/26", "300,00", "01/09/2025",
                                              "30/06/2026"),
                                      receipt("4", "Delta Eva", "Retta acconto", "100,00", jan1, jan31),
                                      receipt("5", "Delta Eva", "retta saldo", "150,00", jan1, jan31),
                                  }));
        const FeeMonth jan{2026, 1};
        const MonthList list = BuildMonthList(Folder(), Year(), jan);
        QCOMPARE(int(list.outcome), int(ListOutcome::Listed));
        QCOMPARE(list.receipts, 5); // the month's own year, for the batch's numbering
        struct Want {
            const char* child;
            LineState state;
            const char* text;
            bool ticked;
        };
        const Want wants[] = {
            {"Alfa Bea", LineState::ToIssue, "Da emettere", true},
            {"Beta Ciro", LineState::Partial, "Pagata in parte: 100,00 di 250,00", true},
            {"Gamma Dino", LineState::ToIssue, "Da emettere", true},
            {"Delta Eva", LineState::Paid, "Già pagata: ricevute n. 4, 5", false},
            {"Epsilon Ugo", LineState::Paid, "Già pagata: ricevuta n. 90", false},
        };
        for (const Want& w : wants) {
            const FeeLine* l = LineOf(list, QString::fromUtf8(w.child));
            QVERIFY2(l, w.child);
            QVERIFY2(l->state == w.state, w.child);
            QCOMPARE(l->stateText, QString::fromUtf8(w.text));
            QCOMPARE(l->ticked, w.ticked);
        }
        // Paid from the year before: nothing of this year's file to print for it.
        QVERIFY(LineOf(list, "Epsilon Ugo")->paidPositions.isEmpty());
        QCOMPARE(LineOf(list, "Delta Eva")->paidPositions, QVector<qint64>({4, 5}));
        QCOMPARE(OwedTotal(list.lines, UnpaidLines(list.lines)), qint64(650 * 10000));
        QVERIFY(UnpaidListLine(*LineOf(list, "Beta Ciro")).endsWith(QStringLiteral("€ 150,00")));

        const IssueResult r = IssueFees(Year(), list.lines, Ticked(list), Request(jan, list.receipts));
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(r.issued.size(), 3);
        const QVector<ReceiptRecord> all = ReadYear(Year());
        const ReceiptRecord* rest = nullptr;
        for (const ReceiptRecord& rec : all)
            if (rec.Praticante == QStringLiteral("Beta Ciro") && rec.NumRic != QStringLiteral("2"))
                rest = &rec;
        QVERIFY(rest);
        QCOMPARE(rest->Intero, QStringLiteral("150,00"));
        QCOMPARE(rest->ImpLettere, QStringLiteral("CENTOCINQUANTA"));
        QCOMPARE(rest->Dal, jan1);
        QCOMPARE(rest->Al, jan31);
        QCOMPARE(rest->Sport, QStringLiteral("Retta mensile"));

        QVector<FeeLine> lines = list.lines;
        ApplyIssued(lines, r);
        const MonthList again = BuildMonthList(Folder(), Year(), jan);
        for (int i = 0; i < again.lines.size(); ++i) {
            QVERIFY2(again.lines[i].state == LineState::Paid, qPrintable(again.lines[i].child));
            // The window's lines after the batch say what a new reading says.
            QCOMPARE(lines[i].state, again.lines[i].state);
            QCOMPARE(lines[i].stateText, again.lines[i].stateText);
        }
        QCOMPARE(LineOf(again, "Beta Ciro")->stateText, QStringLiteral("Già pagata: ricevute n. 2, %1").arg(rest->NumRic));
        QFile::remove(Folder() + "2025.ric");
    }

    void listFailures() {
        QTemporaryDir empty;
        const QString folder = empty.path() + u'/';
        // No registry: told so, and nothing is created.
        QCOMPARE(int(BuildMonthList(folder, folder + "2026.ric", FeeMonth{2026, 3}).outcome),
                 int(ListOutcome::RegistryMissing));
        QVERIFY(!QFile::exists(folder + RegistryFileName));
        // A year never opened is read as empty and not created.
        QVERIFY(WriteCards(folder, {{"Rossi Mario", "RSSMRA80A01H501U", "Rossi Luca", "125,50", "", ""}}));
        const MonthList list = BuildMonthList(folder, folder + "2026.ric", FeeMonth{2026, 3});
        QCOMPARE(int(list.outcome), int(ListOutcome::Listed));
        QCOMPARE(list.lines.size(), 1);
        QVERIFY(!QFile::exists(folder + "2026.ric"));
        // A year that cannot be opened.
        QVERIFY(QDir().mkpath(folder + "2027.ric"));
        QCOMPARE(int(BuildMonthList(folder, folder + "2027.ric", FeeMonth{2027, 3}).outcome),
                 int(ListOutcome::YearUnreadable));
    }

    // Numbers follow the start and the records stored; the receipts hold the card's data where the
    // payer import puts it, the month as the period and the cause by its rule. A second run issues nothing.
    void issueTwiceIssuesOnce() {
        QVERIFY(WriteCards(Folder(), {
                                         {"Rossi Mario", "RSSMRA80A01H501U", "Rossi Luca", "125,50", "", ""},
                                         {"Bianchi Anna", "BNCNNA80A41F205X", "Bianchi Ivo", "80", "", ""},
                                     }));
        QVERIFY(WriteYear(Year(), {Paid("1", "Altro", "01/01/2026", "31/01/2026"),
                                   Paid("2", "Altro", "01/02/2026", "28/02/2026")}));
        const FeeMonth march{2026, 3};
        MonthList list = BuildMonthList(Folder(), Year(), march);
        list.lines[0].cause.clear(); // Bianchi's card without a cause of its own
        IssueRequest req = Request(march, list.receipts, 100);
        req.issueDate = QDate(2026, 3, 2);
        const IssueResult r = IssueFees(Year(), list.lines, Ticked(list), req);
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(r.issued.size(), 2);
        QCOMPARE(r.firstNumber, 102);
        QCOMPARE(r.firstPosition, 3);
        const QVector<ReceiptRecord> all = ReadYear(Year());
        QCOMPARE(all.size(), 4);
        const ReceiptRecord& a = all[2];
        QCOMPARE(a.NumRic, QStringLiteral("102"));
        QCOMPARE(a.Data, QStringLiteral("02/03/2026"));
        QCOMPARE(a.Pagatore, QStringLiteral("Bianchi Anna"));
        QCOMPARE(a.Sport, QStringLiteral("Retta marzo 2026"));
        QCOMPARE(a.Importo, QStringLiteral("80"));
        QCOMPARE(a.Cents, QStringLiteral("00"));
        QCOMPARE(a.ImpLettere, QStringLiteral("OTTANTA"));
        QCOMPARE(a.Intero, QStringLiteral("80,00"));
        QCOMPARE(a.Dal, QStringLiteral("01/03/2026"));
        QCOMPARE(a.Al, QStringLiteral("31/03/2026"));
        QCOMPARE(a.Ricevente04, QStringLiteral("P. IVA 01234567890"));
        const ReceiptRecord& b = all[3];
        QCOMPARE(b.NumRic, QStringLiteral("103"));
        QCOMPARE(b.Sport, QStringLiteral("Retta mensile"));
        QCOMPARE(b.Intero, QStringLiteral("125,50"));
        QCOMPARE(b.ImpLettere, QStringLiteral("CENTOVENTICINQUE"));
        QCOMPARE(b.CentLettere, QStringLiteral("50"));
        QCOMPARE(b.Praticante, QStringLiteral("Rossi Luca"));
        QCOMPARE(b.LuogoNasc, QStringLiteral("Pavia"));
        QCOMPARE(b.DataNasc, QStringLiteral("04/05/2021"));
        QCOMPARE(b.Indirizzo, QStringLiteral("Bonifico bancario"));

        const MonthList again = BuildMonthList(Folder(), Year(), march);
        for (const FeeLine& l : again.lines)
            QVERIFY(l.state == LineState::Paid && !l.ticked);
        QCOMPARE(LineOf(again, "Rossi Luca")->paidNumber, QStringLiteral("103"));
        // The common cause wins over the card's.
        req.cause = QStringLiteral("  Retta e mensa marzo ");
        QCOMPARE(FeeReceipt(list.lines[1], req, 1).Sport, QStringLiteral("Retta e mensa marzo"));
    }

    // A receipt stored for the month by another workstation after the list was read drops that line
    // from the batch; the others are issued with the numbers that follow it.
    void paidMeanwhileIsSkipped() {
        QVERIFY(WriteCards(Folder(), {
                                         {"Rossi Mario", "RSSMRA80A01H501U", "Rossi Luca", "125,50", "", ""},
                                         {"Bianchi Anna", "BNCNNA80A41F205X", "Bianchi Ivo", "80", "", ""},
                                     }));
        QVERIFY(WriteYear(Year(), {}));
        const FeeMonth march{2026, 3};
        const MonthList list = BuildMonthList(Folder(), Year(), march);
        {
            ReceiptFile other;
            QVERIFY(other.OpenOrCreate(Year()));
            QVERIFY(other.AppendRecord(Paid("1", "rossi luca", "01/03/2026", "31/03/2026")));
            QVERIFY(other.Close());
        }
        const IssueResult r = IssueFees(Year(), list.lines, Ticked(list), Request(march, list.receipts));
        QVERIFY(r.ok);
        QCOMPARE(r.issued.size(), 1);
        QCOMPARE(r.paidMeanwhile.size(), 1);
        QCOMPARE(list.lines[r.paidMeanwhile[0]].child, QStringLiteral("Rossi Luca"));
        const QVector<ReceiptRecord> all = ReadYear(Year());
        QCOMPARE(all.size(), 2);
        QCOMPARE(all[1].NumRic, QStringLiteral("2"));
        QCOMPARE(all[1].Praticante, QStringLiteral("Bianchi Ivo"));
    }

    // A month another workstation put in a direct-debit file after the list was read is not issued as a
    // receipt too; a register that cannot be read stops both the list and the batch.
    void debitedMeanwhileIsSkipped() {
        QTemporaryDir dir;
        const QString folder = dir.path() + u'/', year = folder + QStringLiteral("2026.ric");
        QVERIFY(WriteCards(folder, {
                                       {"Rossi Mario", "RSSMRA80A01H501U", "Rossi Luca", "125,50", "", ""},
                                       {"Bianchi Anna", "BNCNNA80A41F205X", "Bianchi Ivo", "80", "", ""},
                                   }));
        QVERIFY(WriteYear(year, {}));
        const FeeMonth march{2026, 3};
        const MonthList list = BuildMonthList(folder, year, march);
        const int rossi = list.lines[0].child == QStringLiteral("Rossi Luca") ? 0 : 1;
        payments::SddPlan plan;
        payments::SddCollection c;
        c.card = list.lines[rossi].card;
        c.child = QStringLiteral("Rossi Luca");
        c.taxCode = QStringLiteral("RSSMRA80A01H501U");
        c.amount = list.lines[rossi].due;
        c.endToEnd = payments::EndToEndId(march, c.card, c.child);
        c.signedOn = QDate(2026, 1, 10);
        plan.collections << c;
        payments::SddHeader h;
        h.dueDate = QDate(2026, 3, 10);
        h.created = QDateTime(QDate(2026, 3, 2), QTime(9, 0));
        const payments::SddWriteResult w = payments::WriteSddFile(folder, h, plan, PaymentSettings::SddFormat::Iso);
        QVERIFY2(w.ok, qPrintable(w.error));
        const QByteArray registerBytes = [&] {
            QFile f(folder + QLatin1String(payments::SddRegisterName));
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();

        // The register damaged: nothing is issued, and the list is not shown on a guess.
        {
            QFile f(folder + QLatin1String(payments::SddRegisterName));
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(QByteArray(registerBytes).replace("Rossi Luca", "Rossi Lucas"));
        }
        const IssueResult refused = IssueFees(year, list.lines, Ticked(list), Request(march, list.receipts));
        QVERIFY(!refused.ok);
        QVERIFY2(refused.error.contains("riga 2"), qPrintable(refused.error));
        QCOMPARE(ReadYear(year).size(), 0);
        const MonthList unread = BuildMonthList(folder, year, march);
        QCOMPARE(unread.outcome, ListOutcome::DebitsUnreadable);
        QVERIFY(unread.error.contains("riga 2"));
        {
            QFile f(folder + QLatin1String(payments::SddRegisterName));
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(registerBytes);
        }

        QVector<FeeLine> lines = list.lines;
        const IssueResult r = IssueFees(year, lines, Ticked(list), Request(march, list.receipts));
        QVERIFY(r.ok);
        QCOMPARE(r.issued.size(), 1);
        QCOMPARE(r.heldMeanwhile, QVector<int>{rossi});
        QCOMPARE(r.heldBy, QStringList{"SDD_2026_03_1.xml"});
        QCOMPARE(ReadYear(year).size(), 1);
        QCOMPARE(ReadYear(year)[0].Praticante, QStringLiteral("Bianchi Ivo"));
        ApplyIssued(lines, r);
        QCOMPARE(lines[rossi].state, LineState::InDebit);
        QCOMPARE(lines[rossi].stateText, QStringLiteral("In addebito SDD: SDD_2026_03_1.xml"));
        // Read again, the list says the same.
        const MonthList after = BuildMonthList(folder, year, march);
        QCOMPARE(after.lines[rossi].state, LineState::InDebit);
        QCOMPARE(after.lines[rossi].stateText, QStringLiteral("In addebito SDD: SDD_2026_03_1.xml"));
        QVERIFY(!after.lines[rossi].ticked);
    }

    // Every file call of the batch made to fail in turn, with a full disk and a failing network folder:
    // a failed batch leaves the archive byte for byte as it was and no number used.
    void faultAtEveryCall() {
        QVector<Card> cards;
        for (int i = 0; i < 3; ++i)
            cards.push_back({QStringLiteral("Genitore %1").arg(i), "RSSMRA80A01H501U", QStringLiteral("Figlio %1").arg(i),
                             "110,00", "", ""});
        QVERIFY(WriteCards(Folder(), cards));
        QVERIFY(WriteYear(Year(), {Paid("1", "Altro", "01/01/2026", "31/01/2026")}));
        // A trailing partial record, which a batch writes over, must come back too.
        {
            QFile f(Year());
            QVERIFY(f.open(QIODevice::Append));
            QVERIFY(f.write(QByteArray(300, 'z')) == 300);
        }
        const QByteArray before = Bytes(Year());
        const FeeMonth march{2026, 3};
        const MonthList list = BuildMonthList(Folder(), Year(), march);
        QCOMPARE(Ticked(list).size(), 3);
        for (int err : {ENOSPC, EIO}) {
            int calls = 0;
            for (int n = 1;; ++n) {
                QFile::remove(Year());
                QFile f(Year());
                QVERIFY(f.open(QIODevice::WriteOnly));
                QVERIFY(f.write(before) == before.size());
                f.close();
                IssueResult r;
                {
                    FaultyFileOps faulty;
                    faulty.Arm(n, err);
                    r = IssueFees(Year(), list.lines, Ticked(list), Request(march, list.receipts));
                    calls = faulty.calls;
                    if (!faulty.failed)
                        break; // every call has had its turn
                }
                const QByteArray after = Bytes(Year());
                if (r.ok) {
                    // Only a close after the flushed batch can fail and leave it: the batch is whole.
                    QCOMPARE(after.size(), ReceiptRecord::Size * 4);
                    QCOMPARE(ReadYear(Year()).last().NumRic, QStringLiteral("4"));
                } else {
                    QVERIFY2(after == before, qPrintable(QStringLiteral("call %1, error %2").arg(n).arg(err)));
                    QVERIFY(r.issued.isEmpty());
                    QVERIFY(!r.error.isEmpty());
                }
            }
            QVERIFY(calls > 5); // the batch's writes came in several pieces, each one failed once
        }
    }

    // Two workstations issuing a month each, at the same time, into one year: every number is given
    // once, in the order of the records, and every child has its receipt for each month.
    void concurrentIssuersNumberWithoutGaps() {
        QVector<Card> cards;
        for (int i = 0; i < 40; ++i)
            cards.push_back({QStringLiteral("Genitore %1").arg(i), "RSSMRA80A01H501U", QStringLiteral("Figlio %1").arg(i),
                             "95,00", "01/01/2026", "31/12/2026"});
        QVERIFY(WriteCards(Folder(), cards));
        QFile::remove(Year());
        const QStringList months = {QStringLiteral("1,3,5,7,9,11"), QStringLiteral("2,4,6,8,10,12")};
        QList<QProcess*> procs;
        for (const QString& m : months) {
            auto* proc = new QProcess(this);
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("CARVENNA_FEES_ISSUER", "1");
            env.insert("CARVENNA_FEES_FOLDER", Folder());
            env.insert("CARVENNA_FEES_MONTHS", m);
            proc->setProcessEnvironment(env);
            proc->start(QCoreApplication::applicationFilePath(), {});
            procs << proc;
        }
        for (QProcess* proc : procs) {
            QVERIFY(proc->waitForFinished(60000));
            QCOMPARE(proc->exitCode(), 0);
        }
        const QVector<ReceiptRecord> all = ReadYear(Year());
        QCOMPARE(all.size(), 40 * 12);
        QSet<QString> childMonths;
        for (int i = 0; i < all.size(); ++i) {
            QCOMPARE(all[i].NumRic, QString::number(i + 1));
            childMonths.insert(all[i].Praticante + u'|' + all[i].Dal);
        }
        QCOMPARE(childMonths.size(), 40 * 12);
    }
};

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsSet("CARVENNA_FEES_ISSUER"))
        return RunIssuer();
    QCoreApplication app(argc, argv);
    TestMonthFees t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_monthfees.moc"
