// The keyboard in the windows added to the three areas: Tab from the first control reaches every button
// and leaves tables and lists instead of walking their cells; F1 opens the window's guide; after a
// warning about a missing field the cursor is back in that field.
#include "einvoice/FattureElettroniche.h"
#include "fees/EstrattoConto.h"
#include "fees/Solleciti.h"
#include "payments/AddebitiSdd.h"
#include "payments/MandatoSdd.h"
#include "payments/MovimentiBancari.h"
#include "ModalHelper.h"
#include "TestPlatform.h"
#include "app/Carvenna.h"
#include "app/Guida.h"
#include "backup/CopieSicurezza.h"
#include "editing/AnnullaRicevuta.h"
#include "editing/Storico.h"
#include "einvoice/DatiCliente.h"
#include "einvoice/DatiFiscali.h"
#include "fees/RetteMese.h"
#include "registry/ImportaSchede.h"
#include "summary/Attestazioni.h"
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <functional>
#include <memory>

namespace {

// The controls Tab reaches, in order, starting from the first control of the chain, until the focus
// comes back to where it started (or after `limit` presses).
QList<QWidget*> TabWalk(QWidget* window, int limit = 300) {
    QWidget* first = window;
    do
        first = first->nextInFocusChain();
    while (first != window && !(first->isVisible() && first->isEnabled() && (first->focusPolicy() & Qt::TabFocus)));
    first->setFocus(Qt::TabFocusReason);
    QList<QWidget*> reached{QApplication::focusWidget()};
    for (int i = 0; i < limit; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* now = QApplication::focusWidget();
        if (!now || now == reached.first())
            break;
        reached << now;
    }
    return reached;
}

} // namespace

class TstKeyboard : public QObject {
    Q_OBJECT
    std::unique_ptr<TestPlatform> m_tp;
    std::unique_ptr<Carvenna> m_app;

    using Maker = std::function<QDialog*(Carvenna&, TestPlatform&)>;

private slots:
    void init() {
        m_tp = std::make_unique<TestPlatform>();
        m_app = std::make_unique<Carvenna>(m_tp->platform);
    }
    void cleanup() {
        m_app.reset();
        m_tp.reset();
    }

    void tabReachesEveryButton_data() {
        QTest::addColumn<Maker>("make");
        QTest::newRow("Rette del mese") << Maker([](Carvenna& app, TestPlatform&) -> QDialog* {
            return new TfrmRetteMese(app, QStringLiteral("2026"), nullptr);
        });
        QTest::newRow("Dati fiscali") << Maker([](Carvenna& app, TestPlatform&) -> QDialog* {
            return new TfrmDatiFiscali(app);
        });
        QTest::newRow("Dati del pagatore") << Maker([](Carvenna& app, TestPlatform&) -> QDialog* {
            return new TfrmDatiCliente(app, QStringLiteral("RSSMRA80A01H501U"), QStringLiteral("Manca l'indirizzo."),
                                       InvoicePayer());
        });
        QTest::newRow("Annulla ricevuta") << Maker([](Carvenna& app, TestPlatform&) -> QDialog* {
            return new TfrmAnnullaRicevuta(app);
        });
        QTest::newRow("Storico") << Maker([](Carvenna& app, TestPlatform&) -> QDialog* {
            auto* w = new TfrmStorico(app);
            HistoryEntry e;
            e.stamp.when = QDateTime(QDate(2026, 12, 9), QTime(9, 0));
            e.kind = QStringLiteral("modifica");
            e.changes.append({QStringLiteral("Pagatore"), QStringLiteral("Rossi"), QStringLiteral("Bianchi")});
            w->SetEntries({e, e}, 3);
            return w;
        });
        QTest::newRow("Attestazioni annuali") << Maker([](Carvenna& app, TestPlatform&) -> QDialog* {
            return new TfrmAttestazioni(app, 2026, nullptr);
        });
        QTest::newRow("Importa schede") << Maker([](Carvenna& app, TestPlatform& tp) -> QDialog* {
            QFile csv(tp.Path(QStringLiteral("iscritti.csv")));
            if (!csv.open(QIODevice::WriteOnly))
                return nullptr;
            csv.write("Cognome e nome;Codice fiscale;Minore\r\nRossi Mario;RSSMRA80A01H501U;Rossi Luca\r\n");
            csv.close();
            auto* w = new TfrmImportaSchede(app);
            w->LoadFile(csv.fileName());
            return w;
        });
        QTest::newRow("Copie di sicurezza") << Maker([](Carvenna& app, TestPlatform& tp) -> QDialog* {
            QDir().mkpath(tp.Path(QStringLiteral("Backup/2026-12-09")));
            QFile ini(tp.Path(QStringLiteral("Backup/2026-12-09/Trelvani.ini")));
            if (!ini.open(QIODevice::WriteOnly))
                return nullptr;
            ini.write("[Ricevente]\r\n");
            ini.close();
            return new TfrmCopieSicurezza(app);
        });
        QTest::newRow("Fatture elettroniche") << Maker([](Carvenna& app, TestPlatform&) -> QDialog* {
            return new TfrmFattureElettroniche(app, QStringLiteral("2026"), nullptr);
        });
        QTest::newRow("Estratto conto") << Maker([](Carvenna& app, TestPlatform&) -> QDialog* {
            fees::FamilyAccount account;
            return new TfrmEstrattoConto(app, account, nullptr);
        });
        QTest::newRow("Solleciti") << Maker([](Carvenna& app, TestPlatform&) -> QDialog* {
            fees::ReminderSet set;
            set.upTo = fees::FeeMonth{2026, 12};
            fees::ReminderLetter letter;
            letter.payer = QStringLiteral("Rossi Mario");
            letter.taxCode = QStringLiteral("RSSMRA80A01H501U");
            set.letters << letter;
            return new TfrmSolleciti(app, set, PaymentSettings(), nullptr);
        });
        QTest::newRow("Mandato SDD") << Maker([](Carvenna& app, TestPlatform&) -> QDialog* {
            return new TfrmMandatoSdd(app, QStringLiteral("RSSMRA80A01H501U"), QStringLiteral("Rossi Mario"));
        });
        QTest::newRow("Addebiti SDD") << Maker([](Carvenna& app, TestPlatform&) -> QDialog* {
            return new TfrmAddebitiSdd(app, {}, {}, fees::FeeMonth{2026, 12}, nullptr);
        });
        QTest::newRow("Movimenti bancari") << Maker([](Carvenna& app, TestPlatform&) -> QDialog* {
            return new TfrmMovimentiBancari(app, 2026, fees::FeeMonth{2026, 12});
        });
    }

    void tabReachesEveryButton() {
        QFETCH(Maker, make);
        std::unique_ptr<QDialog> w(make(*m_app, *m_tp));
        QVERIFY(w);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QApplication::setActiveWindow(w.get());
        const QList<QWidget*> reached = TabWalk(w.get());
        QStringList missed;
        int buttons = 0;
        for (QAbstractButton* b : w->findChildren<QAbstractButton*>()) {
            if (!b->isVisible() || !b->isEnabled() || !(b->focusPolicy() & Qt::TabFocus))
                continue;
            ++buttons;
            if (!reached.contains(b))
                missed << (b->objectName().isEmpty() ? b->text() : b->objectName());
        }
        QVERIFY2(missed.isEmpty(), qPrintable(QStringLiteral("not reached by Tab: ") + missed.join(u',')));
        QVERIFY(buttons >= 2);
        // Tab went through each table or list once: it did not walk the cells.
        for (QAbstractItemView* v : w->findChildren<QAbstractItemView*>()) {
            if (!v->isVisible())
                continue;
            QVERIFY2(!v->tabKeyNavigation(), qPrintable(v->objectName()));
            QVERIFY2(reached.count(v) <= 1, qPrintable(v->objectName()));
        }
        // Every added window has its own guide on F1.
        QString title;
        auto* helper = ModalHelper::When<TfrmGuida>(
            [&](TfrmGuida* g) {
                title = g->ui.lblTitolo->text();
                g->ui.btnChiudi->click();
            },
            this);
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : w.get(), Qt::Key_F1);
        QVERIFY(helper->Handled());
        QVERIFY(!title.isEmpty());
        QVERIFY(title != QStringLiteral("Argomento della guida"));
    }

    void warningBringsTheCursorBackToTheEmptyField() {
        {
            TfrmDatiCliente w(*m_app, QStringLiteral("RSSMRA80A01H501U"), QStringLiteral("Manca l'indirizzo."),
                              InvoicePayer());
            w.show();
            QApplication::setActiveWindow(&w);
            w.txtCognome->setText(QStringLiteral("Rossi"));
            w.txtNome->setText(QStringLiteral("Mario"));
            w.btnConferma->setFocus();
            w.btnConferma->click();
            QCOMPARE(m_tp->messages.TakeTexts(), QStringList{QStringLiteral("Attenzione: indicare l'indirizzo del pagatore.")});
            QCOMPARE(QApplication::focusWidget(), w.txtIndirizzo);
        }
        {
            TfrmDatiFiscali w(*m_app);
            w.show();
            QApplication::setActiveWindow(&w);
            w.txtDenominazione->setText(QStringLiteral("Scuola Girotondo"));
            w.txtPartitaIva->setText(QStringLiteral("12345678901")); // fails its check digit
            w.btnApplica->setFocus();
            w.btnApplica->click();
            const QStringList said = m_tp->messages.TakeTexts();
            QCOMPARE(said.size(), 1);
            QVERIFY2(said[0].contains(QStringLiteral("partita IVA")), qPrintable(said[0]));
            QCOMPARE(QApplication::focusWidget(), w.txtPartitaIva);
        }
    }
};

QTEST_MAIN(TstKeyboard)
#include "tst_keyboard.moc"
