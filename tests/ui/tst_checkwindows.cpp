// The tax code and VAT number check windows: opened pre-filled by the editors or typed into,
// they tell the result word for word, close after a result and stay open on a wrong length.
#include "ModalHelper.h"
#include "TestPlatform.h"
#include "app/Carvenna.h"
#include "app/Style.h"
#include "validators/CodFisc.h"
#include "validators/PartitaIva.h"
#include <QApplication>
#include <QClipboard>
#include <QtTest>
#include <memory>

Q_DECLARE_METATYPE(Messages::Kind)

namespace {

const QString kCfLength =
    QStringLiteral("Attenzione: il codice fiscale deve essere composto da 16 caratteri alfanumerici.");
const QString kCfValid = QString::fromUtf8("Il codice fiscale digitato è VALIDO.");
const QString kCfWrong = QString::fromUtf8("Attenzione: il codice fiscale digitato è ERRATO.");
const QString kIvaLength = QStringLiteral("Attenzione: la partita IVA deve essere composta da 11 caratteri numerici.");
const QString kIvaValid = QStringLiteral("Il numero di partita IVA digitato risulta VALIDO.\r\n\r\n"
                                         "E' stato rilasciato dall'Ufficio IVA del Comune di ");
const QString kIvaWrong =
    QString::fromUtf8("Attenzione: il numero di partita IVA digitato risulta ERRATO!\r\n\r\n"
                      "Non è quindi possibile fornire informazioni relative all'Ufficio IVA che lo ha rilasciato.");

// What one use of a check window did, answered from inside its exec().
struct Outcome {
    QString fieldOnShow; // the field as the window showed it
    bool focusOnField = false;
    bool stayedOpen = false;       // still shown after "Controlla"
    bool focusBackOnField = false; // ... with the focus in the field
};

} // namespace

class TstCheckWindows : public QObject {
    Q_OBJECT

    std::unique_ptr<TestPlatform> m_tp;
    std::unique_ptr<Carvenna> m_app;

    // Opens `W` as the editors do: pre-filled, exec()'d, destroyed; presses "Controlla" once and
    // closes it with "Chiudi" if it is still open.
    template <class W, class Field> Outcome RunPrefilled(const QString& prefill, Field field) {
        Outcome out;
        W dlg(*m_app);
        (dlg.ui.*field)->setText(prefill);
        ModalHelper::When<W>(
            [&](W* w) {
                out.fieldOnShow = (w->ui.*field)->text();
                out.focusOnField = w->focusWidget() == (w->ui.*field);
                w->ui.btnControlla->click();
                out.stayedOpen = w->isVisible();
                if (out.stayedOpen) {
                    out.focusBackOnField = w->focusWidget() == (w->ui.*field);
                    w->ui.btnChiudi->click();
                }
            },
            this);
        dlg.exec();
        return out;
    }

    // What a check window pre-filled by an editor showed, said and did when "Controlla" was pressed.
    void CheckOutcome(const Outcome& out, const QString& shown, Messages::Kind kind, const QString& message,
                      bool stays) {
        QCOMPARE(out.fieldOnShow, shown);
        QVERIFY(out.focusOnField);
        const auto msgs = m_tp->messages.Take();
        QCOMPARE(msgs.size(), 1);
        QCOMPARE(msgs[0].kind, kind);
        QCOMPARE(msgs[0].text, message);
        QCOMPARE(out.stayedOpen, stays);
        if (stays)
            QVERIFY(out.focusBackOnField);
    }

private slots:
    void initTestCase() { ApplyCarvennaStyle(*qApp); }

    void init() {
        m_tp = std::make_unique<TestPlatform>();
        m_app = std::make_unique<Carvenna>(m_tp->platform);
    }

    void cleanup() {
        m_app.reset();
        m_tp.reset();
    }

    void codFiscPrefilled_data() {
        QTest::addColumn<QString>("prefill");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<Messages::Kind>("kind");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("stays");

        QTest::newRow("empty field") << ""
                                     << "" << Messages::Kind::Warning << kCfLength << true;
        QTest::newRow("valid") << "RSSMRA85T10A562S"
                               << "RSSMRA85T10A562S" << Messages::Kind::Information << kCfValid << false;
        QTest::newRow("lower case from an editor")
            << "rssmra85t10a562s"
            << "RSSMRA85T10A562S" << Messages::Kind::Information << kCfValid << false;
        QTest::newRow("wrong check letter") << "RSSMRA85T10A562T"
                                            << "RSSMRA85T10A562T" << Messages::Kind::Warning << kCfWrong << false;
        QTest::newRow("15 characters") << "RSSMRA85T10A562"
                                       << "RSSMRA85T10A562" << Messages::Kind::Warning << kCfLength << true;
        QTest::newRow("17 characters from a caller")
            << "RSSMRA85T10A562SX"
            << "RSSMRA85T10A562SX" << Messages::Kind::Warning << kCfLength << true;
        QTest::newRow("hyphen inside") << "RSSMRA-5T10A562S"
                                       << "RSSMRA-5T10A562S" << Messages::Kind::Warning << kCfWrong << false;
        QTest::newRow("blank inside") << "RSSMRA 5T10A562S"
                                      << "RSSMRA 5T10A562S" << Messages::Kind::Warning << kCfWrong << false;
    }

    void codFiscPrefilled() {
        QFETCH(QString, prefill);
        QFETCH(QString, shown);
        QFETCH(Messages::Kind, kind);
        QFETCH(QString, message);
        QFETCH(bool, stays);

        CheckOutcome(RunPrefilled<TfrmCodFisc>(prefill, &Ui::TfrmCodFisc::txtCodFisc), shown, kind, message, stays);
    }

    void codFiscTyping() {
        TfrmCodFisc dlg(*m_app);
        dlg.show();
        QLineEdit* f = dlg.ui.txtCodFisc;
        // Blanks around the code disappear as they are typed, letters turn upper case at once.
        QTest::keyClicks(f, QStringLiteral(" rss"));
        QCOMPARE(f->text(), QStringLiteral("RSS"));
        QTest::keyClicks(f, QStringLiteral("mra85t10a562s "));
        QCOMPARE(f->text(), QStringLiteral("RSSMRA85T10A562S"));
        QTest::keyClicks(f, QStringLiteral("X")); // the 17th character does not fit
        QCOMPARE(f->text(), QStringLiteral("RSSMRA85T10A562S"));

        // Enter moves to "Controlla" and does not press it.
        QTest::keyClick(f, Qt::Key_Return);
        QCOMPARE(dlg.focusWidget(), dlg.ui.btnControlla);
        QVERIFY(dlg.isVisible());
        QVERIFY(m_tp->messages.shown.isEmpty());

        dlg.ui.btnControlla->click();
        QCOMPARE(m_tp->messages.TakeTexts(), QStringList{kCfValid});
        QVERIFY(!dlg.isVisible());
    }

    void pastingKeepsWhatFits() {
        TfrmCodFisc cf(*m_app);
        TfrmPartitaIva iva(*m_app);
        cf.show();
        iva.show();
        QApplication::clipboard()->setText(QStringLiteral("rssmra85t10a562sxyz"));
        cf.ui.txtCodFisc->paste();
        QCOMPARE(cf.ui.txtCodFisc->text(), QStringLiteral("RSSMRA85T10A562S"));
        QApplication::clipboard()->setText(QStringLiteral("0123456058799"));
        iva.ui.txtPartitaIva->paste();
        QCOMPARE(iva.ui.txtPartitaIva->text(), QStringLiteral("01234560587"));
        // Typing into a full field with a selection replaces it.
        iva.ui.txtPartitaIva->setSelection(10, 1);
        QTest::keyClicks(iva.ui.txtPartitaIva, QStringLiteral("8"));
        QCOMPARE(iva.ui.txtPartitaIva->text(), QStringLiteral("01234560588"));
    }

    void codFiscTypingInTheMiddleKeepsTheCursor() {
        TfrmCodFisc dlg(*m_app);
        dlg.show();
        QLineEdit* f = dlg.ui.txtCodFisc;
        f->setText(QStringLiteral("RSSMRA"));
        f->setCursorPosition(3);
        QTest::keyClicks(f, QStringLiteral("x"));
        QCOMPARE(f->text(), QStringLiteral("RSSXMRA"));
        QCOMPARE(f->cursorPosition(), 4);
    }

    void partitaIvaPrefilled_data() {
        QTest::addColumn<QString>("prefill");
        QTest::addColumn<Messages::Kind>("kind");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("stays");

        QTest::newRow("empty field") << "" << Messages::Kind::Warning << kIvaLength << true;
        QTest::newRow("10 digits") << "0123456058" << Messages::Kind::Warning << kIvaLength << true;
        // Never cut to eleven: "01234560587" would pass.
        QTest::newRow("12 digits from a caller") << "012345605871" << Messages::Kind::Warning << kIvaLength << true;
        QTest::newRow("16 digits from a caller") << "0123456058712345" << Messages::Kind::Warning << kIvaLength << true;
        QTest::newRow("Roma 1") << "01234560587" << Messages::Kind::Information << kIvaValid + "Roma 1." << false;
        QTest::newRow("first office") << "01234560017" << Messages::Kind::Information << kIvaValid + "Torino." << false;
        QTest::newRow("120") << "01234561205" << Messages::Kind::Information << kIvaValid + "Bologna 2." << false;
        QTest::newRow("121") << "01234561213" << Messages::Kind::Information << kIvaValid + "Napoli 2." << false;
        QTest::newRow("accented office") << "12345670405" << Messages::Kind::Information
                                         << kIvaValid + QString::fromUtf8("Forlì.") << false;
        QTest::newRow("office without a row")
            << "01234561106" << Messages::Kind::Information << kIvaValid + "." << false;
        QTest::newRow("wrong check digit") << "01234560588" << Messages::Kind::Warning << kIvaWrong << false;
        QTest::newRow("letter, 11 characters") << "0123456A587" << Messages::Kind::Warning << kIvaWrong << false;
    }

    void partitaIvaPrefilled() {
        QFETCH(QString, prefill);
        QFETCH(Messages::Kind, kind);
        QFETCH(QString, message);
        QFETCH(bool, stays);

        CheckOutcome(RunPrefilled<TfrmPartitaIva>(prefill, &Ui::TfrmPartitaIva::txtPartitaIva), prefill, kind, message,
                     stays);
    }

    void partitaIvaTyping() {
        TfrmPartitaIva dlg(*m_app);
        dlg.show();
        QLineEdit* f = dlg.ui.txtPartitaIva;
        // Only digits get in; letters, blanks, signs and separators are stopped.
        QTest::keyClicks(f, QStringLiteral("01a2-3 4.5,6B0 5/8+7"));
        QCOMPARE(f->text(), QStringLiteral("01234560587"));
        QTest::keyClicks(f, QStringLiteral("9")); // the 12th digit does not fit
        QCOMPARE(f->text(), QStringLiteral("01234560587"));
        QTest::keyClick(f, Qt::Key_Backspace);
        QCOMPARE(f->text(), QStringLiteral("0123456058"));
        QTest::keyClick(f, Qt::Key_Left);
        QTest::keyClick(f, Qt::Key_Delete);
        QCOMPARE(f->text(), QStringLiteral("012345605"));
        QTest::keyClicks(f, QStringLiteral("87"));
        QCOMPARE(f->text(), QStringLiteral("01234560587"));

        QTest::keyClick(f, Qt::Key_Enter);
        QCOMPARE(dlg.focusWidget(), dlg.ui.btnControlla);
        QVERIFY(dlg.isVisible());
        QVERIFY(m_tp->messages.shown.isEmpty());

        dlg.ui.btnControlla->click();
        QCOMPARE(m_tp->messages.TakeTexts(), QStringList{kIvaValid + "Roma 1."});
        QVERIFY(!dlg.isVisible());
    }

    void fixedDialogsWithTheirCaptions() {
        TfrmCodFisc cf(*m_app);
        TfrmPartitaIva iva(*m_app);
        QCOMPARE(cf.windowTitle(), QStringLiteral(" Controllo codice fiscale"));
        QCOMPARE(iva.windowTitle(), QStringLiteral(" Controllo partita IVA"));
        for (QDialog* d : {static_cast<QDialog*>(&cf), static_cast<QDialog*>(&iva)}) {
            QVERIFY(!(d->windowFlags() & Qt::WindowCloseButtonHint));
            QCOMPARE(d->minimumSize(), d->maximumSize());
        }
    }
};

QTEST_MAIN(TstCheckWindows)
#include "tst_checkwindows.moc"
