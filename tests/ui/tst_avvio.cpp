// The start menu: tiles lead to the work areas, the icons open the information, guide and
// copyright windows or the web site, and the exit and the title-bar close end the program.
#include "ModalHelper.h"
#include "TestPlatform.h"
#include "app/Avvio.h"
#include "app/Carvenna.h"
#include "app/Guida.h"
#include "app/Info.h"
#include "app/Password.h"
#include "app/Splash.h"
#include "app/Style.h"
#include <QApplication>
#include <QLocale>
#include <QtTest>
#include <memory>

namespace {

QWidget* TopLevel(const QString& objectName) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == objectName)
            return w;
    return nullptr;
}

int CountTopLevels(const char* className) {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->inherits(className))
            ++n;
    return n;
}

} // namespace

class TstAvvio : public QObject {
    Q_OBJECT

    std::unique_ptr<TestPlatform> m_tp;
    std::unique_ptr<Carvenna> m_app;

    TfrmAvvio& Avvio() { return *m_app->avvio(); }

private slots:
    void initTestCase() { ApplyCarvennaStyle(*qApp); }

    void init() {
        m_tp = std::make_unique<TestPlatform>();
        m_app = std::make_unique<Carvenna>(m_tp->platform);
        m_app->Start();
        QVERIFY(m_app->avvio());
        // As after the right password.
        m_app->Switch(m_app->avvio(), m_app->password());
        QVERIFY(Avvio().isVisible());
    }

    void cleanup() {
        if (m_tp)
            QVERIFY2(m_tp->messages.shown.isEmpty(), qPrintable(m_tp->messages.TakeTexts().join(" | ")));
        m_app.reset();
        m_tp.reset();
    }

    void builtHiddenAtStartAndMaximised() {
        TestPlatform tp;
        Carvenna app(tp.platform);
        app.Start();
        QVERIFY(app.avvio());
        QVERIFY(!app.avvio()->isVisible()); // only the password window shows at start
        QCOMPARE(app.avvio()->windowTitle(), QStringLiteral(" Carvenna"));
        QVERIFY(app.avvio()->windowState() & Qt::WindowMaximized);
    }

    void creatingItSetsTheCommaAsDecimalSeparator() {
        QLocale::setDefault(QLocale::c());
        QCOMPARE(QLocale().decimalPoint(), QStringLiteral("."));
        TfrmAvvio avvio(*m_app);
        QCOMPARE(QLocale().decimalPoint(), QStringLiteral(","));
        QCOMPARE(QLocale().toString(0.5, 'f', 2), QStringLiteral("0,50"));
    }

    void panelStaysCentred_data() {
        QTest::addColumn<QSize>("window");
        QTest::addColumn<QPoint>("panel");
        QTest::newRow("designed size") << QSize(1016, 713) << QPoint(0, 0);
        QTest::newRow("wide screen") << QSize(1920, 1040) << QPoint(452, 163);
        QTest::newRow("smaller than designed") << QSize(900, 600) << QPoint(0, 0);
    }
    void panelStaysCentred() {
        QFETCH(QSize, window);
        QFETCH(QPoint, panel);
        Avvio().setWindowState(Qt::WindowNoState);
        Avvio().resize(window);
        QCOMPARE(Avvio().ui.panMain->size(), QSize(1016, 713));
        QCOMPARE(Avvio().ui.panMain->pos(), panel);
    }

    void tileShowsItsWorkArea_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("workArea");
        QTest::newRow("left picture") << "imgApp01" << "TfrmTiratori";
        QTest::newRow("left button") << "btnApp01" << "TfrmTiratori";
        QTest::newRow("middle picture") << "imgApp02" << "TfrmMenuRicevute";
        QTest::newRow("middle button") << "btnApp02" << "TfrmMenuRicevute";
        QTest::newRow("right picture") << "imgApp03" << "TfrmMenuRiepCosti";
        QTest::newRow("right button") << "btnApp03" << "TfrmMenuRiepCosti";
    }
    void tileShowsItsWorkArea() {
        QFETCH(QString, control);
        QFETCH(QString, workArea);
        auto* button = Avvio().findChild<QAbstractButton*>(control);
        QVERIFY(button);
        QWidget* area = TopLevel(workArea);
        QVERIFY(area);
        button->click();
        QVERIFY(area->isVisible());
        QVERIFY(!Avvio().isVisible());
        QVERIFY(!m_app->password()->isVisible());
    }

    void yearWindowClosedReturnsToStartMenu() {
        QWidget* year = TopLevel(QStringLiteral("TfrmMenuRicevute"));
        QVERIFY(year);
        for (int round = 0; round < 2; ++round) {
            Avvio().ui.imgApp02->click();
            QVERIFY(year->isVisible());
            QVERIFY(!Avvio().isVisible());
            year->close();
            QVERIFY(Avvio().isVisible());
            QVERIFY(!year->isVisible());
            QVERIFY(!m_app->HasQuit());
        }
    }

    void exitEndsTheProgram_data() {
        QTest::addColumn<bool>("titleBar");
        QTest::newRow("exit icon") << false;
        QTest::newRow("title-bar close") << true;
    }
    void exitEndsTheProgram() {
        QFETCH(bool, titleBar);
        QVERIFY(!m_app->HasQuit());
        if (titleBar)
            QVERIFY(Avvio().close());
        else
            Avvio().ui.imgEsci->click();
        QVERIFY(m_app->HasQuit());
        for (QWidget* w : QApplication::topLevelWidgets())
            QVERIFY2(!w->isVisible(), qPrintable(w->objectName()));
    }

    void iconOpensModalWindow_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("windowClass");
        QTest::addColumn<QString>("caption");
        QTest::newRow("information") << "imgInfo" << "TfrmInfo" << " Informazioni su Carvenna";
        QTest::newRow("copyright") << "imgCopyright" << "TfrmSplash"
                                   << " Carvenna - \u00A9 2026 Carvenna Software. Tutti i diritti riservati.";
        QTest::newRow("guide") << "imgGuida" << "TfrmGuida" << " Guida all'utilizzo del software";
    }
    void iconOpensModalWindow() {
        QFETCH(QString, control);
        QFETCH(QString, windowClass);
        QFETCH(QString, caption);
        const QByteArray cls = windowClass.toLatin1();
        QString seenCaption;
        bool wasModal = false;
        bool ownedByMenu = false;
        ModalHelper helper([cls](QWidget* w) { return w->inherits(cls.constData()); },
                           [&](QWidget* w) {
                               seenCaption = w->windowTitle();
                               wasModal = w->isModal();
                               ownedByMenu = w->parentWidget() == &Avvio();
                               auto* close = w->findChild<QPushButton*>(QStringLiteral("btnChiudi"));
                               QVERIFY(close);
                               close->click();
                           });
        Avvio().findChild<QAbstractButton*>(control)->click();
        QVERIFY(helper.Handled());
        QVERIFY2(helper.Unexpected().isEmpty(), qPrintable(helper.Unexpected()));
        QCOMPARE(seenCaption, caption);
        QVERIFY(wasModal);
        QVERIFY(ownedByMenu);
        // Per-use window: destroyed once closed, the start menu still there.
        QCOMPARE(CountTopLevels(cls.constData()), 0);
        QVERIFY(Avvio().isVisible());
        QVERIFY(m_tp->shell.opened.isEmpty());
    }

    void guideIconShowsTheGeneralGuide() {
        QString title, text;
        auto* helper = ModalHelper::When<TfrmGuida>(
            [&](TfrmGuida* g) {
                title = g->ui.lblTitolo->text();
                text = g->ui.txtGuida->toPlainText();
                g->ui.btnChiudi->click();
            },
            this);
        Avvio().ui.imgGuida->click();
        QVERIFY(helper->Handled());
        QCOMPARE(title, QStringLiteral("Uno sguardo a Carvenna"));
        QString expected = Carvenna::GeneralGuide();
        expected.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        QCOMPARE(text, expected);
    }

    void siteIconHandsTheAddressToTheShell() {
        Avvio().ui.imgSito->click();
        QCOMPARE(m_tp->shell.opened, QStringList{QStringLiteral("https://www.carvenna.it")});
        QVERIFY(Avvio().isVisible());
    }
};

QTEST_MAIN(TstAvvio)
#include "tst_avvio.moc"
