// List lines of the four result lists, the expiry rule and the scanning readers that build the lists.
#include "search/ListLines.h"
#include "storage/RecordFile.h"
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

ReceiptRecord Receipt(const QString& num, const QString& payer, const QString& cause, const QString& child = {}) {
    ReceiptRecord r;
    r.NumRic = num;
    r.Data = QStringLiteral("05/03/2024");
    r.Pagatore = payer;
    r.Sport = cause;
    r.Dal = QStringLiteral("01/03/2024");
    r.Al = QStringLiteral("31/03/2024");
    r.Intero = QStringLiteral("150,00");
    r.Praticante = child;
    return r;
}

RegistryRecord Card(const QString& parent, const QString& child, const QString& certificate = {},
                    const QString& enrolmentEnd = {}) {
    RegistryRecord r;
    r.Tiratore = parent;
    r.Armi = child;
    r.Cel = QStringLiteral("333 1234567");
    r.Studio = certificate;
    r.FineTes = enrolmentEnd;
    r.Quota = QStringLiteral("80,00");
    return r;
}

bool WriteReceipts(const QString& path, const QVector<ReceiptRecord>& recs) {
    ReceiptFile f;
    if (!f.OpenOrCreate(path))
        return false;
    for (const ReceiptRecord& r : recs)
        if (!f.AppendRecord(r))
            return false;
    return f.Close();
}

bool WriteCards(const QString& folder, const QVector<RegistryRecord>& recs) {
    RegistryFile f;
    if (!f.OpenOrCreate(folder))
        return false;
    for (const RegistryRecord& r : recs)
        if (!f.AppendRecord(r))
            return false;
    return f.Close();
}

} // namespace

Q_DECLARE_METATYPE(ReceiptRecord)
Q_DECLARE_METATYPE(RegistryRecord)
Q_DECLARE_METATYPE(ReceiptCriteria)

class TestListLines : public QObject {
    Q_OBJECT
private slots:
    void receiptLine_data();
    void receiptLine();
    void registryLines_data();
    void registryLines();
    void expired_data();
    void expired();

    void receiptSearch_data();
    void receiptSearch();
    void receiptSearchDamagedFile();
    void receiptSearchCreatesMissingFile();
    void cardSearchSortsAndKeepsPositions();
    void cardSearchEmptyRegistry();
    void expiredCards();
};

void TestListLines::receiptLine_data() {
    QTest::addColumn<ReceiptRecord>("rec");
    QTest::addColumn<QString>("line");
    ReceiptRecord plain = Receipt(QStringLiteral("12"), QStringLiteral("Rossi Mario"), QStringLiteral("Retta marzo"));
    QTest::newRow("padded") << plain
                            << QStringLiteral("Ric. n. 12            Data: 05/03/2024  Rossi Mario                 "
                                              "Causale: Retta marzo                   Dal 01/03/2024  Al 31/03/2024  "
                                              "Tot. € 150,00");
    ReceiptRecord longer =
        Receipt(QStringLiteral("1234567890123456"), QStringLiteral("Bartolomeo Castiglioni Alessandrini"),
                QStringLiteral("Retta mensile del mese di settembre"));
    longer.Dal = QStringLiteral("01/09/2024");
    longer.Al = QStringLiteral("30/09/2024");
    longer.Intero = QStringLiteral(" 1250,05 ");
    QTest::newRow("cut, amount trimmed")
        << longer
        << QStringLiteral("Ric. n. 123456789012  Data: 05/03/2024  Bartolomeo Castiglioni Ale  Causale: Retta mensile "
                          "del mese di se  Dal 01/09/2024  Al 30/09/2024  Tot. € 1250,05");
    ReceiptRecord blanks = plain;
    blanks.Pagatore = QStringLiteral("  Rossi Mario\t ");
    QTest::newRow("blanks around a field") << blanks
                                           << QStringLiteral("Ric. n. 12            Data: 05/03/2024  Rossi Mario      "
                                                             "           Causale: Retta marzo                   Dal "
                                                             "01/03/2024  Al 31/03/2024  Tot. € 150,00");
    QTest::newRow("empty record") << ReceiptRecord()
                                  << QStringLiteral("Ric. n.               Data:                                       "
                                                    "  Causale:                               Dal             Al      "
                                                    "       Tot. € ");
}

void TestListLines::receiptLine() {
    QFETCH(ReceiptRecord, rec);
    QFETCH(QString, line);
    const QString got = ReceiptListLine(rec);
    QCOMPARE(got, line);
    // The columns stand where the list's readers expect them, whatever the field lengths.
    QCOMPARE(got.indexOf(QStringLiteral("  Causale: ")), 66);
    QCOMPARE(got.indexOf(QStringLiteral("  Tot. € ")), 136);
}

void TestListLines::registryLines_data() {
    QTest::addColumn<int>("kind"); // 0 search, 1 certificates, 2 enrolments
    QTest::addColumn<RegistryRecord>("rec");
    QTest::addColumn<QString>("line");

    RegistryRecord a = Card(QStringLiteral("Bianchi Anna"), QStringLiteral("Bianchi Luca"));
    a.Gruppo = QStringLiteral("Nonna Lucia");
    QTest::newRow("search") << 0 << a
                            << QStringLiteral("Bianchi Anna                  Cel. 333 1234567       Delegato: Nonna "
                                              "Lucia                   Minore: Bianchi Luca                  Quota: € "
                                              "80,00");
    RegistryRecord b = Card(QStringLiteral("Ferraris Giovanni Battista Maria"), QStringLiteral("Ferraris Pietro"));
    b.Cel = QStringLiteral("3331234567890123456");
    b.Quota.clear();
    QTest::newRow("search, cut") << 0 << b
                                 << QStringLiteral("Ferraris Giovanni Battista M  Cel. 3331234567890123  Delegato:     "
                                                   "                          Minore: Ferraris Pietro               "
                                                   "Quota: € ");
    RegistryRecord c = Card(QStringLiteral("Verdi Carla"), QStringLiteral("Verdi Sofia"), QStringLiteral("09/12/2026"));
    c.Cel = QStringLiteral("347 7654321");
    c.CodFisc = QStringLiteral("VRDCRL80A41H501Z");
    QTest::newRow("certificate") << 1 << c
                                 << QStringLiteral("Verdi Carla                     Cel. 347 7654321           C.F. "
                                                   "VRDCRL80A41H501Z  Minore: Verdi Sofia                     Scad. "
                                                   "certificato: 09/12/2026");
    RegistryRecord d = Card(QStringLiteral("Sant'Ambrogio Maria Vittoria Elena"),
                            QStringLiteral("Sant'Ambrogio Benedetta Chiara"), QStringLiteral("01/01/2020"));
    d.Cel = QStringLiteral("347");
    d.CodFisc = QStringLiteral("VRDCRL80A41H501Z");
    QTest::newRow("certificate, cut") << 1 << d
                                      << QStringLiteral("Sant'Ambrogio Maria Vittoria E  Cel. 347                   "
                                                        "C.F. VRDCRL80A41H501Z  Minore: Sant'Ambrogio Benedetta "
                                                        "Chiara  Scad. certificato: 01/01/2020");
    RegistryRecord e =
        Card(QStringLiteral("Neri Paolo"), QStringLiteral("Neri Giulia"), {}, QStringLiteral("31/08/2026"));
    e.Cel = QStringLiteral("+39 340 1112223 44");
    e.Tessera = QStringLiteral("2024/017");
    e.Quota = QStringLiteral("120,00");
    QTest::newRow("enrolment, mobile cut") << 2 << e
                                           << QStringLiteral("Neri Paolo                    Cel. +39 340 111222  "
                                                             "Minore: Neri Giulia                   Isc. n. 2024/017   "
                                                             "           Scad. 31/08/2026  Quota: € 120,00");
}

void TestListLines::registryLines() {
    QFETCH(int, kind);
    QFETCH(RegistryRecord, rec);
    QFETCH(QString, line);
    const QString got = kind == 0 ? CardListLine(rec) : kind == 1 ? CertificateListLine(rec) : EnrolmentListLine(rec);
    QCOMPARE(got, line);
    // "  Cel. " follows the parent's column of each layout.
    QCOMPARE(got.indexOf(QStringLiteral("  Cel. ")), kind == 1 ? 30 : 28);
}

void TestListLines::expired_data() {
    QTest::addColumn<QString>("date");
    QTest::addColumn<bool>("expired");
    // Today is 10/12/2026.
    QTest::newRow("yesterday") << "09/12/2026" << true;
    QTest::newRow("today") << "10/12/2026" << false;
    QTest::newRow("tomorrow") << "11/12/2026" << false;
    QTest::newRow("earlier year, later day") << "31/12/2025" << true;
    QTest::newRow("later year, earlier day") << "01/01/2027" << false;
    QTest::newRow("blanks around") << " 09/12/2026 " << true;
    QTest::newRow("no such day") << "31/02/2024" << false;
    QTest::newRow("loose form") << "9/12/2026" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("text") << "scaduto" << false;
}

void TestListLines::expired() {
    QFETCH(QString, date);
    QFETCH(bool, expired);
    QCOMPARE(IsExpired(date, QDate(2026, 12, 10)), expired);
}

void TestListLines::receiptSearch_data() {
    QTest::addColumn<ReceiptCriteria>("criteria");
    QTest::addColumn<QVector<qint64>>("positions");
    // Fixture (positions 1-4): see receiptSearch.
    ReceiptCriteria none;
    QTest::newRow("no criterion: all, file order") << none << QVector<qint64>{1, 2, 3, 4};
    ReceiptCriteria capitals;
    capitals.Pagatore = QStringLiteral("ROSSI");
    QTest::newRow("capitals find small letters") << capitals << QVector<qint64>{1, 3};
    ReceiptCriteria middle;
    middle.Pagatore = QStringLiteral("SS");
    QTest::newRow("inside the field") << middle << QVector<qint64>{1, 3};
    ReceiptCriteria lead;
    lead.Pagatore = QStringLiteral(" rossi");
    QTest::newRow("leading blank not at the start") << lead << QVector<qint64>{3};
    ReceiptCriteria two;
    two.Pagatore = QStringLiteral("rossi");
    two.Sport = QStringLiteral("aprile");
    QTest::newRow("two criteria, both needed") << two << QVector<qint64>{3};
    ReceiptCriteria accent;
    accent.Praticante = QStringLiteral("è");
    QTest::newRow("accented small letter is not folded") << accent << QVector<qint64>{2};
    ReceiptCriteria outside;
    outside.Pagatore = QStringLiteral("Rossi ł");
    QTest::newRow("character outside the code page") << outside << QVector<qint64>{};
    ReceiptCriteria blank;
    blank.Pagatore = QStringLiteral("   ");
    QTest::newRow("blank criterion is not counted") << blank << QVector<qint64>{1, 2, 3, 4};
    ReceiptCriteria date;
    date.Data = QStringLiteral("03/2024");
    QTest::newRow("dates are text") << date << QVector<qint64>{1, 2, 3, 4};
    ReceiptCriteria nothing;
    nothing.NumRic = QStringLiteral("99");
    QTest::newRow("nothing matches") << nothing << QVector<qint64>{};
}

void TestListLines::receiptSearch() {
    QFETCH(ReceiptCriteria, criteria);
    QFETCH(QVector<qint64>, positions);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("2024.ric"));
    const QVector<ReceiptRecord> recs = {
        Receipt(QStringLiteral("1"), QStringLiteral("Rossi Mario"), QStringLiteral("Retta marzo"),
                QStringLiteral("Luca")),
        Receipt(QStringLiteral("2"), QStringLiteral("Bianchi Anna"), QStringLiteral("Retta marzo"),
                QStringLiteral("Noè")),
        Receipt(QStringLiteral("3"), QStringLiteral("De Rossi Pia"), QStringLiteral("Retta aprile"),
                QStringLiteral("NOÈ")),
        Receipt(QStringLiteral("4"), QStringLiteral("Verdi Carlo"), QStringLiteral("Iscrizione – “quota” € 5"),
                QStringLiteral("Ada")),
    };
    // The lines are built from the stored bytes: the characters stored as bytes 0x80-0x9F (dash,
    // quotes, euro sign) come back as themselves.
    QVERIFY(WriteReceipts(path, recs));
    RecordList list;
    QString error;
    QVERIFY2(SearchReceipts(path, criteria, list, &error), qPrintable(error));
    QCOMPARE(list.positions, positions);
    QCOMPARE(list.lines.size(), positions.size());
    for (int i = 0; i < positions.size(); ++i)
        QCOMPARE(list.lines[i], ReceiptListLine(recs[int(positions[i]) - 1]));
}

void TestListLines::receiptSearchDamagedFile() {
    // A length byte beyond its field and a partial last record: whole records are listed, nothing fails.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("2024.ric"));
    QVERIFY(WriteReceipts(path, {Receipt(QStringLiteral("1"), QStringLiteral("Rossi Mario"), QStringLiteral("Retta")),
                                 Receipt(QStringLiteral("2"), QStringLiteral("Neri Ugo"), QStringLiteral("Retta"))}));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    const int payer = ReceiptRecord::Layout()[ReceiptField::Pagatore].offset;
    f.seek(ReceiptRecord::Size + payer);
    f.write(QByteArray(1, char(255)));
    f.seek(f.size());
    f.write(QByteArray(300, 'x'));
    f.close();
    ReceiptCriteria c;
    c.Pagatore = QStringLiteral("neri");
    RecordList list;
    QVERIFY(SearchReceipts(path, c, list));
    QCOMPARE(list.positions, (QVector<qint64>{2}));
    QVERIFY(list.lines[0].startsWith(QStringLiteral("Ric. n. 2 ")));
    QVERIFY(SearchReceipts(path, ReceiptCriteria(), list));
    QCOMPARE(list.positions, (QVector<qint64>{1, 2}));
    // The damaged field is shown as a full read of the record shows it: clamped to its width.
    ReceiptFile file;
    ReceiptRecord damaged;
    QVERIFY(file.OpenOrCreate(path) && file.ReadRecord(1, damaged));
    QCOMPARE(list.lines[1], ReceiptListLine(damaged));
}

void TestListLines::receiptSearchCreatesMissingFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("2031.ric"));
    RecordList list;
    list.lines << QStringLiteral("stale");
    list.positions << 9;
    QVERIFY(SearchReceipts(path, ReceiptCriteria(), list));
    QVERIFY(list.lines.isEmpty());
    QVERIFY(list.positions.isEmpty());
    QVERIFY(QFile::exists(path));
    QString error;
    QVERIFY(!SearchReceipts(dir.filePath(QStringLiteral("missing/2031.ric")), ReceiptCriteria(), list, &error));
    QVERIFY(!error.isEmpty());
}

void TestListLines::cardSearchSortsAndKeepsPositions() {
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    QVERIFY(WriteCards(folder, {Card(QStringLiteral("rossi Mario"), QStringLiteral("Luca")),
                                Card(QStringLiteral("Bianchi Anna"), QStringLiteral("Sara")),
                                Card(QStringLiteral("Rossi Aldo"), QStringLiteral("Ugo")),
                                Card(QStringLiteral("bianchi Anna"), QStringLiteral("Ada"))}));
    RecordList list;
    QVERIFY(SearchCards(folder, CardCriteria(), list));
    QStringList parents;
    for (const QString& l : list.lines)
        parents << l.left(28).trimmed();
    // Case of A-Z ignored; the child's column breaks the tie between the two Bianchi Anna.
    QCOMPARE(parents, (QStringList{"bianchi Anna", "Bianchi Anna", "Rossi Aldo", "rossi Mario"}));
    QCOMPARE(list.positions, (QVector<qint64>{4, 2, 3, 1}));

    CardCriteria c;
    c.Armi = QStringLiteral("U");
    QVERIFY(SearchCards(folder, c, list));
    QCOMPARE(list.positions, (QVector<qint64>{3, 1}));
}

void TestListLines::cardSearchEmptyRegistry() {
    QTemporaryDir dir;
    RecordList list;
    QVERIFY(SearchCards(dir.path() + QLatin1Char('/'), CardCriteria(), list));
    QVERIFY(list.lines.isEmpty());
    QVERIFY(ExpiredCards(dir.path() + QLatin1Char('/'), ExpiryKind::Enrolment, QDate(2026, 12, 10), list));
    QVERIFY(list.lines.isEmpty());
}

void TestListLines::expiredCards() {
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    // Today is 10/12/2026.
    QVERIFY(WriteCards(folder, {
                                   Card("Zanetti Rita", "Ivo", "09/12/2026", "31/12/2026"), // certificate only
                                   Card("Alberti Gino", "Eva", "10/12/2026", "01/12/2026"), // enrolment only
                                   Card("Moro Elsa", "Tea", "31/02/2026", "damaged"),       // invalid: skipped
                                   Card("bassi Leo", "Ian", "01/01/2020", "01/01/2020"),    // both
                                   Card("Conti Dora", "Bea", "", ""),                       // none
                               }));
    RecordList certs, enrolments;
    QVERIFY(ExpiredCards(folder, ExpiryKind::Certificate, QDate(2026, 12, 10), certs));
    QVERIFY(ExpiredCards(folder, ExpiryKind::Enrolment, QDate(2026, 12, 10), enrolments));
    QCOMPARE(certs.positions, (QVector<qint64>{4, 1}));
    QCOMPARE(enrolments.positions, (QVector<qint64>{2, 4}));
    QVERIFY(certs.lines[1].startsWith(QStringLiteral("Zanetti Rita ")));
    QVERIFY(certs.lines[1].endsWith(QStringLiteral("Scad. certificato: 09/12/2026")));
    QVERIFY(enrolments.lines[0].contains(QStringLiteral("Scad. 01/12/2026")));
}

QTEST_APPLESS_MAIN(TestListLines)
#include "tst_listlines.moc"
