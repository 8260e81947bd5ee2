// Three months (October to December 2026) of a generated school of 80 through the real windows: each
// month's direct-debit file from "Rette del mese", the bank statement read in "Movimenti bancari" with the
// collections, a returned FRST debit, transfers naming their month and an overpayment, then the reminders
// at the end of the quarter. With CARVENNA_LOOK set, every window is saved there as a picture and the
// letters as a PDF.
#include "ModalHelper.h"
#include "MonthWindows.h"
#include "TestPlatform.h"
#include "TestPrinting.h"
#include "app/Avvio.h"
#include "app/Carvenna.h"
#include "app/Password.h"
#include "fees/FamilyAccount.h"
#include "fees/RetteMese.h"
#include "fees/RetteModel.h"
#include "fees/Solleciti.h"
#include "payments/AddebitiSdd.h"
#include "payments/Mandates.h"
#include "payments/MovimentiBancari.h"
#include "payments/PaymentSettings.h"
#include "payments/SddRegister.h"
#include "receipts/MenuRicevute.h"
#include "receipts/ReceiptSettings.h"
#include "storage/IniFile.h"
#include "storage/RegistryFile.h"
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScopeGuard>
#include <QTableView>
#include <QtTest>
#include <memory>

namespace {
const char* kSurnames[] = {"Rossi", "Bianchi", "Verdi", "Neri", "Gialli", "Romano", "Colombo", "Ricci", "Marino", "Greco"};
const char* kNames[] = {"Luca", "Anna", "Marco", "Sara", "Paolo", "Giulia", "Enea", "Marta"};

QString Child(int i) {
    return QStringLiteral("%1 %2%3").arg(kSurnames[i % 10], kNames[i % 8]).arg(i);
}
qint64 Fee(int i) {
    return i % 3 == 0 ? 2500000 : 2000000;
}
QByteArray Money(qint64 v) {
    return QByteArray::number(double(v) / 10000, 'f', 2);
}
QByteArray Day(int month, int day) {
    return QDate(2026, month, day).toString(Qt::ISODate).toUtf8();
}
// A credit transfer of `amount` from a family, with its remittance text.
QByteArray Transfer(int month, int day, const QByteArray& ref, qint64 amount, const QString& text) {
    return "<Ntry><Amt Ccy=\"EUR\">" + Money(amount) + "</Amt><CdtDbtInd>CRDT</CdtDbtInd><Sts>BOOK</Sts><BookgDt><Dt>" +
           Day(month, day) + "</Dt></BookgDt><ValDt><Dt>" + Day(month, day) + "</Dt></ValDt><AcctSvcrRef>" + ref +
           "</AcctSvcrRef><NtryDtls><TxDtls><RltdPties><Dbtr><Nm>Famiglia</Nm></Dbtr></RltdPties><RmtInf><Ustrd>" +
           text.toUtf8() + "</Ustrd></RmtInf></TxDtls></NtryDtls></Ntry>";
}
QByteArray Statement(const QByteArray& entries) {
    return "<?xml version=\"1.0\"?><Document xmlns=\"urn:iso:std:iso:20022:tech:xsd:camt.053.001.02\"><BkToCstmrStmt>"
           "<GrpHdr><MsgId>1</MsgId><CreDtTm>2026-12-20T08:00:00</CreDtTm></GrpHdr><Stmt><Id>1</Id><Acct><Id><IBAN>"
           "IT60X0542811101000000123456</IBAN></Id><Ccy>EUR</Ccy></Acct>" +
           entries + "</Stmt></BkToCstmrStmt></Document>";
}
} // namespace

class tst_tremesi : public QObject {
    Q_OBJECT
    std::unique_ptr<TestPlatform> m_tp;
    std::unique_ptr<TestPrinting> m_printing;
    std::unique_ptr<Carvenna> m_app;

    void Look(QWidget* w, const QString& name) {
        if (qEnvironmentVariableIsSet("CARVENNA_LOOK"))
            w->grab().save(qEnvironmentVariable("CARVENNA_LOOK") + QLatin1Char('/') + name);
    }
    void SetToday(int month, int day) { m_tp->clock.now = QDateTime(QDate(2026, month, day), QTime(9, 0)); }

    bool InRetteMese(const std::function<void(TfrmRetteMese*)>& act) {
        return ::InRetteMese(*m_app, this, act, QStringLiteral("2026"), 120000);
    }
    template <class T> bool From(QPushButton* button, const std::function<void(T*)>& act) {
        return FromButton<T>(this, button, act);
    }
    static QString StateOf(TfrmRetteMese* w, const QString& child) { return MonthStateOf(w, child); }
    static int Count(TfrmRetteMese* w, fees::LineState state) {
        int n = 0;
        for (const fees::FeeLine& l : w->Model().Lines())
            n += l.state == state;
        return n;
    }

    // The month's file from "Addebiti SDD", due on the first bank day from the 8th; its name.
    QString WriteMonthFile(TfrmRetteMese* w, int month) {
        QDate due(2026, month, 8);
        while (payments::IsBankHoliday(due))
            due = due.addDays(1);
        QString written;
        const bool shown = From<TfrmAddebitiSdd>(w->btnAddebitiSdd, [&](TfrmAddebitiSdd* d) {
            d->txtScadenza->setText(due.toString(QStringLiteral("dd/MM/yyyy")));
            Look(d, QStringLiteral("tremesi_%1_addebiti.png").arg(month));
            d->btnCrea->click();
            written = QFileInfo(d->WrittenFile()).fileName();
            Look(d, QStringLiteral("tremesi_%1_addebiti_dopo.png").arg(month));
        });
        return shown ? written : QString();
    }
    // Reads `xml` in "Movimenti bancari" and issues the receipts of what was matched.
    // The office accepts by hand the movements of the children in `accept` that are to check.
    void ReadStatement(TfrmRetteMese* w, int month, const QByteArray& xml, int* matched,
                       const QStringList& accept = {}) {
        const QString path = m_tp->Path(QStringLiteral("estratto_%1.xml").arg(month));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(xml);
        f.close();
        QVERIFY(From<TfrmMovimentiBancari>(w->btnMovimenti, [&](TfrmMovimentiBancari* d) {
            m_tp->fileDialogs.answers.enqueue(path);
            d->btnApri->click();
            QAbstractItemModel* m = d->grdMovimenti->model();
            *matched = 0;
            for (int r = 0; r < m->rowCount(); ++r) {
                *matched += m->index(r, 6).data().toString() == QStringLiteral("abbinato");
                const QString child = m->index(r, 5).data().toString().section(u':', 0, 0);
                if (accept.contains(child) && m->index(r, 6).data().toString() == QStringLiteral("da verificare"))
                    QVERIFY(m->setData(m->index(r, 0), Qt::Checked, Qt::CheckStateRole));
            }
            Look(d, QStringLiteral("tremesi_%1_movimenti.png").arg(month));
            m_tp->messages.answers.enqueue(true);
            d->btnEmetti->click();
        }));
    }
    // The statement of a month: the file's collections in one entry except those returned, then `more`.
    QByteArray MonthStatement(const QString& file, int month, const QVector<int>& returnedCards, const QByteArray& more) {
        payments::SddRegister reg;
        QString error;
        if (!reg.Load(m_tp->platform.programFolder, &error))
            qFatal("%s", qPrintable(error));
        const payments::SddRegisterFile* f = reg.File(file);
        QByteArray tx, returns;
        qint64 sum = 0;
        for (const payments::SddRegisterDebit& d : reg.DebitsOf(file)) {
            if (returnedCards.contains(int(d.card - 1))) {
                returns += "<Ntry><Amt Ccy=\"EUR\">" + Money(d.amount) + "</Amt><CdtDbtInd>DBIT</CdtDbtInd><Sts>BOOK"
                           "</Sts><BookgDt><Dt>" + f->due.addDays(4).toString(Qt::ISODate).toUtf8() + "</Dt></BookgDt>"
                           "<NtryDtls><TxDtls><Refs><EndToEndId>" + d.endToEnd.toUtf8() + "</EndToEndId></Refs>"
                           "<RltdPties><Dbtr><Nm>Famiglia</Nm></Dbtr></RltdPties><RtrInf><Rsn><Cd>AM04</Cd></Rsn>"
                           "</RtrInf></TxDtls></NtryDtls></Ntry>";
                continue;
            }
            sum += d.amount;
            tx += "<TxDtls><Refs><EndToEndId>" + d.endToEnd.toUtf8() + "</EndToEndId></Refs><AmtDtls><TxAmt><Amt "
                  "Ccy=\"EUR\">" + Money(d.amount) + "</Amt></TxAmt></AmtDtls><RltdPties><Dbtr><Nm>Famiglia</Nm>"
                  "</Dbtr></RltdPties></TxDtls>";
        }
        const QByteArray due = f->due.toString(Qt::ISODate).toUtf8();
        return Statement("<Ntry><Amt Ccy=\"EUR\">" + Money(sum) + "</Amt><CdtDbtInd>CRDT</CdtDbtInd><Sts>BOOK</Sts>"
                         "<BookgDt><Dt>" + due + "</Dt></BookgDt><ValDt><Dt>" + due + "</Dt></ValDt><AcctSvcrRef>SDD" +
                         QByteArray::number(month) + "</AcctSvcrRef><NtryDtls>" + tx + "</NtryDtls></Ntry>" + returns +
                         more);
    }

private slots:
    void init() {
        m_tp = std::make_unique<TestPlatform>();
        m_printing = std::make_unique<TestPrinting>(m_tp->dir.path());
        m_tp->platform.printing = m_printing.get();
        m_app = std::make_unique<Carvenna>(m_tp->platform);
        m_app->Start();
        m_app->Switch(m_app->avvio(), m_app->password());
    }
    void cleanup() {
        m_app.reset();
        m_printing.reset();
        m_tp.reset();
    }

    void threeMonthsOfASchoolOf80() {
        // The school: 80 children enrolled from October, half the payers (even cards) with a mandate.
        RegistryFile reg;
        QVERIFY(reg.OpenOrCreate(m_tp->platform.programFolder));
        for (int i = 0; i < 80; ++i) {
            RegistryRecord r;
            r.Tiratore = QStringLiteral("%1 Genitore%2").arg(kSurnames[i % 10]).arg(i);
            r.CodFisc = QStringLiteral("RSSMRA80A01H%1U").arg(i, 3, 10, QLatin1Char('0'));
            r.Armi = Child(i);
            r.Quota = i % 3 == 0 ? QStringLiteral("250,00") : QStringLiteral("200,00");
            r.InizioTes = QStringLiteral("01/10/2026");
            r.FinePor = i % 2 == 0 ? QStringLiteral("Addebito SDD") : QStringLiteral("Bonifico bancario");
            QVERIFY(reg.AppendRecord(r));
            if (i % 2 == 0)
                QVERIFY(payments::SaveMandate(m_tp->Path(QLatin1String(payments::MandatesFileName)),
                                              {r.CodFisc.toUpper(), "IT60X0542811101000000123456",
                                               QStringLiteral("M-%1").arg(i), QDate(2026, 9, 1), false}));
        }
        QVERIFY(reg.Close());
        PaymentSettings s;
        s.iban = QStringLiteral("IT60X0542811101000000123456");
        s.intestatario = QStringLiteral("Asilo Nido Il Girasole");
        s.creditorId = QStringLiteral("IT91ZZZ01234567897");
        s.cuc = QStringLiteral("1234567A");
        QVERIFY(SavePaymentSettings(m_app->SettingsPath(), s));
        QVERIFY(IniWrite(m_app->SettingsPath(), ReceiptSettings::NumberingSection(), ReceiptSettings::NumberingStartKey(),
                         QStringLiteral("1")));

        // Families without a mandate pay by transfer naming the month; card 3 never pays; card 1 pays 300,00
        // of 200,00 in October, then the 100,00 left of November; card 0's October debit comes back and the
        // family pays October by transfer in November.
        const auto transfers = [&](int month) {
            QByteArray out;
            const QString name = fees::FeeMonth{2026, month}.Name().toUpper();
            for (int i = 1; i < 80; i += 2) {
                if (i == 3)
                    continue;
                qint64 amount = Fee(i);
                QString text = QStringLiteral("RETTA %1 %2").arg(name, Child(i).toUpper());
                if (i == 1 && month == 10)
                    amount = 3000000;
                if (i == 1 && month == 11) {
                    amount = 1000000;
                    text = QStringLiteral("saldo retta novembre ") + Child(i);
                }
                out += Transfer(month, 15, "BON" + QByteArray::number(month * 100 + i), amount, text);
            }
            if (month == 11)
                out += Transfer(11, 16, "BONOTT0", Fee(0), QStringLiteral("RETTA OTTOBRE ") + Child(0).toUpper());
            return out;
        };

        for (int month : {10, 11, 12}) {
            SetToday(month, 1);
            QString file;
            QVERIFY(InRetteMese([&](TfrmRetteMese* w) {
                Look(w, QStringLiteral("tremesi_%1_rette_inizio.png").arg(month));
                if (month == 11)
                    QCOMPARE(StateOf(w, Child(1)), QStringLiteral("Pagata in parte: 100,00 di 200,00 (credito ricevuta "
                                                                  "n. 40)"));
                file = WriteMonthFile(w, month);
                QCOMPARE(Count(w, fees::LineState::InDebit), 40);
                QCOMPARE(StateOf(w, Child(0)), QStringLiteral("In addebito SDD: ") + file);
                Look(w, QStringLiteral("tremesi_%1_rette_in_addebito.png").arg(month));
            }));
            QCOMPARE(file, QStringLiteral("SDD_2026_%1_1.xml").arg(month));
            m_tp->messages.TakeTexts();
            payments::SddRegister reg;
            QVERIFY(reg.Load(m_tp->platform.programFolder));
            // Card 0's first collection came back in October: November's file asks it FRST again.
            const QVector<payments::SddRegisterDebit> debits = reg.DebitsOf(file);
            QCOMPARE(debits.size(), 40);
            const auto sequenceOf = [&](qint64 card) {
                for (const payments::SddRegisterDebit& d : debits)
                    if (d.card == card)
                        return d.sequence == payments::Sequence::First ? QStringLiteral("FRST") : QStringLiteral("RCUR");
                return QStringLiteral("(assente)");
            };
            QCOMPARE(sequenceOf(1), month == 12 ? QStringLiteral("RCUR") : QStringLiteral("FRST"));
            QCOMPARE(sequenceOf(3), month == 10 ? QStringLiteral("FRST") : QStringLiteral("RCUR"));

            SetToday(month, 20);
            QVERIFY(InRetteMese([&](TfrmRetteMese* w) {
                int matched = 0;
                ReadStatement(w, month, MonthStatement(file, month, month == 10 ? QVector<int>{0} : QVector<int>{},
                                                       transfers(month)),
                              &matched, {Child(1)});
                // Every collection and every transfer is matched but October's overpayment, which the office
                // accepts after a look.
                QCOMPARE(matched, month == 10 ? 39 + 39 - 1 : month == 11 ? 40 + 39 + 1 : 40 + 39);
                Look(w, QStringLiteral("tremesi_%1_rette_fine.png").arg(month));
                QCOMPARE(Count(w, fees::LineState::Paid), month == 10 ? 78 : 79);
                QCOMPARE(StateOf(w, Child(3)), QStringLiteral("Da emettere"));
                if (month == 10)
                    QCOMPARE(StateOf(w, Child(0)), QStringLiteral("Da emettere"));
            }));
            const QStringList texts = m_tp->messages.TakeTexts();
            QVERIFY2(texts.last().startsWith("Emesse "), qPrintable(texts.join(" | ")));
            qInfo("%s", qPrintable(QStringLiteral("%1: %2; %3").arg(file, texts.value(0), texts.last())));
        }

        // October was paid by the transfer that named it, not November.
        fees::FamilyAccount account;
        QString error;
        QVERIFY(fees::LoadFamilyAccount(m_tp->platform.programFolder, 1, fees::FeeMonth{2026, 12}, account, &error));
        QCOMPARE(account.TotalToAsk(), qint64(0));
        QVERIFY(fees::LoadFamilyAccount(m_tp->platform.programFolder, 2, fees::FeeMonth{2026, 12}, account, &error));
        QCOMPARE(account.TotalToAsk(), qint64(0));
        QCOMPARE(account.TotalCredit(), qint64(0));

        // The quarter's reminders: only the family that never paid, for its three months.
        QVERIFY(InRetteMese([&](TfrmRetteMese* w) {
            QVERIFY(From<TfrmSolleciti>(w->findChild<QPushButton*>(QStringLiteral("btnSolleciti")), [&](TfrmSolleciti* d) {
                QCOMPARE(d->Set().letters.size(), 1);
                QCOMPARE(d->Set().letters[0].payer, QStringLiteral("Neri Genitore3"));
                QCOMPARE(d->Set().letters[0].Total(), 3 * Fee(3));
                Look(d, QStringLiteral("tremesi_solleciti.png"));
                d->btnStampa->click();
            }));
        }));
        m_tp->messages.TakeTexts();
        QVERIFY(!m_printing->LastPdf().isEmpty());
        if (qEnvironmentVariableIsSet("CARVENNA_LOOK"))
            QFile::copy(m_printing->LastPdf(), qEnvironmentVariable("CARVENNA_LOOK") + "/tremesi_solleciti.pdf");

        // The register at the end: every file and what became of its debits.
        payments::SddRegister book;
        QVERIFY(book.Load(m_tp->platform.programFolder));
        QCOMPARE(book.files.size(), 3);
        for (const payments::SddRegisterFile& f : book.files) {
            QMap<QString, int> states;
            for (const payments::SddRegisterDebit& d : book.DebitsOf(f.name))
                ++states[payments::DebitStatusText(book.StatusOf(d))];
            QStringList parts;
            for (auto it = states.constBegin(); it != states.constEnd(); ++it)
                parts << QStringLiteral("%1 %2").arg(it.value()).arg(it.key());
            qInfo("%s", qPrintable(f.name + QStringLiteral(": ") + parts.join(QStringLiteral(", "))));
        }
        for (const payments::SddRegisterDebit& d : book.DebitsOf("SDD_2026_10_1.xml"))
            QCOMPARE(book.StatusOf(d), d.card == 1 ? payments::DebitStatus::Returned : payments::DebitStatus::Collected);
    }
};

QTEST_MAIN(tst_tremesi)
#include "tst_tremesi.moc"
