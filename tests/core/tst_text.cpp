// Text rules, the field codec, dates and the list building blocks.
#include "storage/ColumnLine.h"
#include "storage/Dates.h"
#include "storage/FixedField.h"
#include "storage/Lists.h"
#include "storage/Text.h"
#include <QLocale>
#include <QTest>

class TestText : public QObject {
    Q_OBJECT
private slots:
    void trim_data() {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        QTest::newRow("blanks") << "  abc  "
                                << "abc";
        QTest::newRow("controls") << QString("\t\r\nabc\x01\x1f") << "abc";
        QTest::newRow("inner kept") << " a  b "
                                    << "a  b";
        QTest::newRow("only blanks") << " \t "
                                     << "";
        QTest::newRow("nbsp kept") << QStringLiteral("\u00A0x\u00A0") << QStringLiteral("\u00A0x\u00A0");
        QTest::newRow("empty") << ""
                               << "";
    }
    void trim() {
        QFETCH(QString, in);
        QFETCH(QString, out);
        QCOMPARE(TrimText(in), out);
    }

    void caseFolding_data() {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("upper");
        QTest::addColumn<QString>("lower");
        QTest::newRow("ascii") << "Rossi Mario"
                               << "ROSSI MARIO"
                               << "rossi mario";
        QTest::newRow("accents untouched")
            << QStringLiteral("àÈéÀ") << QStringLiteral("àÈéÀ") << QStringLiteral("àÈéÀ");
        QTest::newRow("digits and signs") << "a1-Z9"
                                          << "A1-Z9"
                                          << "a1-z9";
        // Long texts are folded several characters at a time: the neighbours of A-Z and a-z, characters
        // beyond Latin-1 (a fullwidth A, a Polish L) and a tail shorter than a block must be kept or folded
        // one by one all the same.
        QTest::newRow("block edges")
            << QStringLiteral("@AZ[`az{\u00C0\uFF21\u0141 Rossi MARIO Niccol\u00F2 XY")
            << QStringLiteral("@AZ[`AZ{\u00C0\uFF21\u0141 ROSSI MARIO NICCOL\u00F2 XY")
            << QStringLiteral("@az[`az{\u00C0\uFF21\u0141 rossi mario niccol\u00F2 xy");
        QTest::newRow("empty") << QString() << QString() << QString();
    }
    void caseFolding() {
        QFETCH(QString, in);
        QFETCH(QString, upper);
        QFETCH(QString, lower);
        QCOMPARE(UpperAZ(in), upper);
        QCOMPARE(LowerAZ(in), lower);
    }

    // How names and headings are compared when a payment or a statement column is matched.
    void matchFold_data() {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("folded");
        QTest::newRow("accents and apostrophe") << QStringLiteral("D'Angelo Nicolò") << "dangelonicolo";
        QTest::newRow("capitals and blanks") << "  ROSSI  MARIO " << "rossimario";
        QTest::newRow("digits kept, signs dropped") << "Data valuta (1)" << "datavaluta1";
        QTest::newRow("ligature and superscript") << QStringLiteral("ﬁ²") << "fi2";
        QTest::newRow("empty") << "" << "";
    }
    void matchFold() {
        QFETCH(QString, in);
        QFETCH(QString, folded);
        QCOMPARE(MatchFold(in), folded);
    }

    void win1252_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("ascii") << "Abc" << QByteArray("Abc");
        QTest::newRow("euro") << QStringLiteral("€") << QByteArray("\x80");
        QTest::newRow("latin1") << QStringLiteral("àèìòù") << QByteArray("\xe0\xe8\xec\xf2\xf9");
        QTest::newRow("quotes and dash") << QStringLiteral("\u201c\u201d\u2013") << QByteArray("\x93\x94\x96");
        QTest::newRow("polish l lost") << QStringLiteral("ł") << QByteArray("?");
    }
    void win1252() {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(ToWin1252(text), bytes);
        if (text != QStringLiteral("ł"))
            QCOMPARE(FromWin1252(bytes), text);
    }
    void win1252EveryByteRoundTrips() {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        QCOMPARE(ToWin1252(FromWin1252(all)), all);
    }
    // Runs of text are converted several bytes at a time: every byte must still get its own character
    // wherever it stands, in runs of every length around the block sizes, and the rest of the run too.
    void win1252EveryByteEveryPlace() {
        for (int len = 1; len <= 40; ++len)
            for (int b = 0; b < 256; ++b)
                for (int at = 0; at < len; ++at) {
                    QByteArray bytes(len, 'a');
                    bytes[at] = char(b);
                    QString expected(len, u'a');
                    expected[at] = FromWin1252(bytes.constData() + at, 1).at(0);
                    QString out(len, u'#');
                    FromWin1252Into(bytes.constData(), len, out.data());
                    if (out != expected)
                        QFAIL(qPrintable(QStringLiteral("byte %1 at %2 of %3: %4").arg(b).arg(at).arg(len).arg(out)));
                    QCOMPARE(FromWin1252(bytes), expected);
                }
    }

    void fieldEncode_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("expected"); // length byte + text
        QTest::newRow("fits") << 10 << "abc"
                              << QByteArray("\x03"
                                            "abc");
        QTest::newRow("trimmed") << 10 << "  abc \t"
                                 << QByteArray("\x03"
                                               "abc");
        QTest::newRow("exact width") << 3 << "abc"
                                     << QByteArray("\x03"
                                                   "abc");
        QTest::newRow("cut") << 3 << "abcd"
                             << QByteArray("\x03"
                                           "abc");
        QTest::newRow("empty") << 5 << "   " << QByteArray("\x00", 1);
        QTest::newRow("euro one byte") << 4 << QStringLiteral("5 €")
                                       << QByteArray("\x03"
                                                     "5 \x80");
    }
    void fieldEncode() {
        QFETCH(int, width);
        QFETCH(QString, value);
        QFETCH(QByteArray, expected);
        QByteArray buf(width + 1, '#');
        EncodeField(buf.data(), width, value);
        QCOMPARE(buf.left(expected.size()), expected);
        // Bytes after the text keep whatever the buffer held.
        QCOMPARE(buf.mid(expected.size()), QByteArray(width + 1 - expected.size(), '#'));
        QCOMPARE(DecodeField(buf.constData(), width), TrimText(value).left(width));
    }
    void damagedLengthByteIsClamped() {
        // Length 200 in a 5-wide field followed by the next field's bytes: only the field is read.
        QByteArray buf("\xc8"
                       "abcde"
                       "NEXTFIELD");
        QCOMPARE(DecodeField(buf.constData(), 5), QString("abcde"));
    }

    void columnLineFromBytes_data() {
        // Three fields of width 10; the middle column shows its text whole (width 0), so the third
        // column's place depends on it. Each field is given as its stored bytes (length byte first).
        QTest::addColumn<QByteArray>("a");
        QTest::addColumn<QByteArray>("b");
        QTest::addColumn<QByteArray>("c");
        QTest::addColumn<QString>("line");
        QTest::newRow("fit and padded") << QByteArray("\x02"
                                                      "ab")
                                        << QByteArray("\x03"
                                                      "xyz")
                                        << QByteArray("\x01"
                                                      "q")
                                        << "A:ab    B:xyz C:q   ";
        QTest::newRow("cut to the column") << QByteArray("\x08"
                                                         "abcdefgh")
                                           << QByteArray("\x02"
                                                         "xy")
                                           << QByteArray("\x06"
                                                         "123456")
                                           << "A:abcde B:xy C:1234";
        QTest::newRow("blank free column") << QByteArray("\x02"
                                                         "ab")
                                           << QByteArray("\x00", 1)
                                           << QByteArray("\x01"
                                                         "q")
                                           << "A:ab    B: C:q   ";
        QTest::newRow("windows-1252 bytes")
            << QByteArray("\x03"
                          "5 \x80")
            << QByteArray("\x02"
                          "\xe0\x9c")
            << QByteArray("\x00", 1) << QStringLiteral("A:5 \u20AC   B:\u00E0\u0153 C:    ");
        QTest::newRow("controls trimmed") << QByteArray("\x05"
                                                        "\tab\r ")
                                          << QByteArray("\x04"
                                                        " x  ")
                                          << QByteArray("\x03"
                                                        "\x01q\x1f")
                                          << "A:ab    B:x C:q   ";
        QTest::newRow("damaged length byte") << QByteArray("\xc8"
                                                           "abcdefghij")
                                             << QByteArray("\xff"
                                                           "0123456789")
                                             << QByteArray("\x02"
                                                           "zz")
                                             << "A:abcde B:0123456789 C:zz  ";
    }
    void columnLineFromBytes() {
        QFETCH(QByteArray, a);
        QFETCH(QByteArray, b);
        QFETCH(QByteArray, c);
        QFETCH(QString, line);
        const QVector<FieldSpec> layout = BuildLayout({{"a", 10}, {"b", 10}, {"c", 10}});
        static constexpr LineColumn columns[] = {{u"A:", 0, 5}, {u" B:", 1, 0}, {u" C:", 2, 4}};
        // A record of the three fields, the bytes after each text left as '#'.
        QByteArray record(33, '#');
        for (int i = 0; i < 3; ++i) {
            const QByteArray& f = i == 0 ? a : i == 1 ? b : c;
            record.replace(layout[i].offset, f.size(), f);
        }
        const ColumnLineBuilder builder(columns, 3, layout);
        QCOMPARE(builder.Line(record.constData()), line);
        QCOMPARE(ColumnLineFromBytes(columns, 3, layout, record.constData()), line);
        // The same line as built from the decoded texts.
        const QString texts[3] = {DecodeField(record.constData() + layout[0].offset, 10),
                                  DecodeField(record.constData() + layout[1].offset, 10),
                                  DecodeField(record.constData() + layout[2].offset, 10)};
        const QString* fields[3] = {&texts[0], &texts[1], &texts[2]};
        QCOMPARE(ColumnLine(columns, 3, fields), line);
        // Built twice from one builder: nothing of the first line stays in the second.
        QByteArray other(33, ' ');
        other[0] = other[11] = other[22] = '\0';
        QCOMPARE(builder.Line(other.constData()), QStringLiteral("A:      B: C:    "));
    }

    void dates_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("plain") << "10/12/2026" << true;
        QTest::newRow("leap 2024") << "29/02/2024" << true;
        QTest::newRow("leap 2000") << "29/02/2000" << true;
        QTest::newRow("not leap 1900") << "29/02/1900" << false;
        QTest::newRow("not leap 2023") << "29/02/2023" << false;
        QTest::newRow("31 april") << "31/04/2026" << false;
        QTest::newRow("31 december") << "31/12/2026" << true;
        QTest::newRow("month 13") << "01/13/2026" << false;
        QTest::newRow("day 0") << "00/01/2026" << false;
        QTest::newRow("one-digit day") << "1/01/2026" << false;
        QTest::newRow("two-digit year") << "01/01/26" << false;
        QTest::newRow("dashes") << "01-01-2026" << false;
        QTest::newRow("blank inside") << "01/ 1/2026" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("year 0") << "01/01/0000" << false;
    }
    void dates() {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QCOMPARE(IsValidDate(text), valid);
        if (valid)
            QCOMPARE(FormatDate(ParseDate(text)), text);
    }
    // The one list of month names, checked against the Italian locale's own names.
    void monthNames() {
        QCOMPARE(ItalianMonthNames().size(), 12);
        const QLocale it(QLocale::Italian, QLocale::Italy);
        for (int m = 1; m <= 12; ++m) {
            const QString name = ItalianMonthName(m);
            QCOMPARE(name.toLower(), it.standaloneMonthName(m, QLocale::LongFormat).toLower());
            QVERIFY2(name.at(0).isUpper(), qPrintable(name));
        }
        QVERIFY(ItalianMonthName(0).isEmpty());
        QVERIFY(ItalianMonthName(13).isEmpty());
    }
    void formatDatePadsDayMonth() { QCOMPARE(FormatDate(QDate(2026, 3, 5)), QString("05/03/2026")); }

    void fixedColumn_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("out");
        QTest::newRow("padded") << "ab" << 5 << "ab   ";
        QTest::newRow("cut") << "abcdef" << 3 << "abc";
        QTest::newRow("trimmed first") << "  ab  " << 3 << "ab ";
        QTest::newRow("empty") << "" << 2 << "  ";
    }
    void fixedColumn() {
        QFETCH(QString, text);
        QFETCH(int, width);
        QFETCH(QString, out);
        QCOMPARE(FixedColumn(text, width), out);
    }

    void criteria_data() {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QStringList>("criteria");
        QTest::addColumn<bool>("match");
        QTest::newRow("none filled lists all") << QStringList{"Rossi", "x"} << QStringList{"", "  "} << true;
        QTest::newRow("capitals find small") << QStringList{"mario rossi"} << QStringList{"ROSSI"} << true;
        QTest::newRow("middle") << QStringList{"Bianchi Rossi Verdi"} << QStringList{"rossi"} << true;
        QTest::newRow("accent not folded")
            << QStringList{QStringLiteral("NICOLÒ")} << QStringList{QStringLiteral("nicolò")} << false;
        QTest::newRow("leading blank kept") << QStringList{"Rossi Mario"} << QStringList{" Rossi"} << false;
        QTest::newRow("leading blank inside") << QStringList{"De Rossi"} << QStringList{" rossi"} << true;
        QTest::newRow("character no file can hold")
            << QStringList{"Rossi"} << QStringList{QStringLiteral("ł")} << false;
        QTest::newRow("both needed") << QStringList{"Rossi", "03/2024"} << QStringList{"rossi", "04/2024"} << false;
        QTest::newRow("both found") << QStringList{"Rossi", "10/03/2024"} << QStringList{"rossi", "03/2024"} << true;
    }
    void criteria() {
        QFETCH(QStringList, fields);
        QFETCH(QStringList, criteria);
        QFETCH(bool, match);
        const QVector<QString> f(fields.begin(), fields.end()), c(criteria.begin(), criteria.end());
        QCOMPARE(MatchesCriteria(f, c), match);
        // The same fields stored in a record (40 wide each, leftover bytes 'Q' after the text)
        // give the same answer when matched raw.
        QVector<FieldSpec> specs;
        QByteArray rec(int(f.size()) * 41, 'Q');
        for (int i = 0; i < f.size(); ++i) {
            specs.append({"f", 40, i * 41});
            EncodeField(rec.data() + i * 41, 40, f[i]);
        }
        QCOMPARE(RecordMatcher(specs, c).Matches(rec.constData()), match);
    }

    void findInList() {
        const QStringList lines{"Rossi Mario", "Bianchi Anna", "rossi luca", "Verdi"};
        ListFinder f;
        QCOMPARE(f.Find(lines, -1, "ROSSI"), 0); // new key: from the top, first line tested
        QCOMPARE(f.Find(lines, 0, "ROSSI"), 2);  // same key: moves on
        QCOMPARE(f.Find(lines, 2, "ROSSI"), 0);  // wraps round
        QCOMPARE(f.Find(lines, 0, "verdi"), 3);  // a new key starts again from the top
        QCOMPARE(f.Find(lines, 3, "nessuno"), -1);
        QCOMPARE(f.Find(lines, 3, ""), -1); // an empty key never matches
        QCOMPARE(f.Find({}, -1, "x"), -1);
        f.Reset();
        QCOMPARE(f.Find(lines, 2, "rossi"), 0); // forgotten key: from the top again
    }
    void findSingleMatchStaysOnIt() {
        ListFinder f;
        const QStringList lines{"a", "bx", "c"};
        QCOMPARE(f.Find(lines, 0, "x"), 1);
        QCOMPARE(f.Find(lines, 1, "x"), 1); // the start line is tested again last
    }
};

QTEST_GUILESS_MAIN(TestText)
#include "tst_text.moc"
