// The information, splash and guide windows: their links and what they hand to the desktop,
// the guide window's per-use content, and the guide texts.
#include "ModalHelper.h"
#include "TestPlatform.h"
#include "app/Carvenna.h"
#include "app/Guida.h"
#include "app/Info.h"
#include "app/Link.h"
#include "app/Splash.h"
#include "app/Style.h"
#include "registry/Tiratori.h"
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>
#include <memory>

namespace {

QColor TextColour(QLabel* label) {
    label->ensurePolished();
    return label->palette().color(label->foregroundRole());
}

/// One window of each kind, created the way the start menu and the work areas create them.
std::unique_ptr<QDialog> MakeWindow(const QString& kind, Carvenna& app) {
    if (kind == QLatin1String("info"))
        return std::make_unique<TfrmInfo>(app);
    if (kind == QLatin1String("splash"))
        return std::make_unique<TfrmSplash>(app);
    return std::make_unique<TfrmGuida>(app);
}

} // namespace

class TstShellWindows : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ApplyCarvennaStyle(*qApp); }

    void windowsHaveTheirDesignedFace_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QSize>("client");
        QTest::addColumn<QStringList>("controls");
        QTest::newRow("info") << "info" << " Informazioni su Carvenna" << QSize(473, 579)
                              << QStringList{"imgLogo", "lnkWeb", "imgEmail", "btnChiudi"};
        QTest::newRow("splash") << "splash" << " Carvenna - \u00A9 2026 Carvenna Software. Tutti i diritti riservati."
                                << QSize(661, 467) << QStringList{"imgLogo", "lnkWeb", "imgWeb", "btnChiudi"};
        QTest::newRow("guide") << "guida" << " Guida all'utilizzo del software" << QSize(670, 572)
                               << QStringList{"imgLogo", "lblTitolo", "txtGuida", "lnkWeb", "imgPDF", "btnChiudi"};
    }
    void windowsHaveTheirDesignedFace() {
        QFETCH(QString, kind);
        QFETCH(QString, caption);
        QFETCH(QSize, client);
        QFETCH(QStringList, controls);
        TestPlatform tp;
        Carvenna app(tp.platform);
        auto w = MakeWindow(kind, app);
        w->show();
        QCOMPARE(w->windowTitle(), caption);
        QCOMPARE(w->size(), client);
        QCOMPARE(w->minimumSize(), w->maximumSize()); // fixed border
        // No title-bar buttons: the window closes only through its own button.
        QVERIFY(!(w->windowFlags() & Qt::WindowCloseButtonHint));
        QVERIFY(!(w->windowFlags() & Qt::WindowSystemMenuHint));
        for (const QString& name : controls) {
            QWidget* c = w->findChild<QWidget*>(name);
            QVERIFY2(c, qPrintable(name));
            QVERIFY2(c->isVisible(), qPrintable(name));
        }
        if (auto* pic = w->findChild<QLabel*>(QStringLiteral("imgLogo")))
            QVERIFY2(!pic->pixmap().isNull(), "logo picture missing from the resources");
    }

    void splashPictureHasItsSize() {
        TestPlatform tp;
        Carvenna app(tp.platform);
        TfrmSplash w(app);
        QCOMPARE(w.ui.imgLogo->size(), QSize(625, 380));
        QCOMPARE(w.ui.imgLogo->pixmap().size(), QSize(625, 380));
    }

    void linkOpensItsTarget_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("folder"); // program folder below the temporary one; "" = as given
        QTest::addColumn<QString>("target"); // %1 = program folder
        QTest::newRow("info text") << "info" << "lnkWeb" << "" << "\"mailto:info@carvenna.it\"";
        QTest::newRow("info envelope") << "info" << "imgEmail" << "" << "\"mailto:info@carvenna.it\"";
        QTest::newRow("splash text") << "splash" << "lnkWeb" << "" << "https://www.carvenna.it";
        QTest::newRow("splash globe") << "splash" << "imgWeb" << "" << "https://www.carvenna.it";
        QTest::newRow("guide text") << "guida" << "lnkWeb" << "" << "\"%1Guida.pdf\"";
        QTest::newRow("guide PDF icon") << "guida" << "imgPDF" << "" << "\"%1Guida.pdf\"";
        QTest::newRow("guide, folder with blanks") << "guida" << "lnkWeb" << "Programmi Scuola/Carvenna 2026"
                                                   << "\"%1Guida.pdf\"";
    }
    void linkOpensItsTarget() {
        QFETCH(QString, kind);
        QFETCH(QString, control);
        QFETCH(QString, folder);
        QFETCH(QString, target);
        TestPlatform tp;
        Platform platform = tp.platform;
        if (!folder.isEmpty()) {
            QVERIFY(QDir(tp.dir.path()).mkpath(folder));
            platform.programFolder = tp.dir.path() + u'/' + folder + u'/';
        }
        if (kind == QLatin1String("guida")) { // the guide opens the PDF that ships in the program folder
            QFile pdf(platform.programFolder + QStringLiteral("Guida.pdf"));
            QVERIFY(pdf.open(QIODevice::WriteOnly));
        }
        Carvenna app(platform);
        auto w = MakeWindow(kind, app);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        auto* link = w->findChild<QLabel*>(QStringLiteral("lnkWeb"));
        auto* clicked = w->findChild<QWidget*>(control);
        QVERIFY(link && clicked);

        QCOMPARE(TextColour(link), Link::RestColour());
        QCOMPARE(Link::RestColour().rgba(), 0xFF00008Bu);
        QTest::mousePress(clicked, Qt::LeftButton);
        QCOMPARE(TextColour(link), QColor::fromRgba(0xFFFFA500u));
        QVERIFY(tp.shell.opened.isEmpty()); // nothing opens while the button is held
        QTest::mouseRelease(clicked, Qt::LeftButton);
        QCOMPARE(TextColour(link), QColor::fromRgba(0xFF00008Bu));
        if (target.contains(QLatin1String("%1")))
            target = target.arg(platform.programFolder);
        QCOMPARE(tp.shell.opened, QStringList{target});
        QVERIFY(w->isVisible()); // the link does not close its window
        QVERIFY(tp.messages.shown.isEmpty()); // a missing mail program is never reported
    }

    void missingGuidePdfIsReported() {
        TestPlatform tp;
        Carvenna app(tp.platform);
        TfrmGuida w(app);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTest::mouseClick(w.ui.lnkWeb, Qt::LeftButton);
        QVERIFY(tp.shell.opened.isEmpty());
        const auto shown = tp.messages.Take();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].kind, Messages::Kind::Information);
        QVERIFY(shown[0].text.contains(QStringLiteral("Guida.pdf")));
        QVERIFY(shown[0].text.contains(QDir::toNativeSeparators(tp.platform.programFolder)));
    }

    void installedGuidePdfIsFoundBesideTheProgram() {
        // A packaged program works in ~/Carvenna while its guide lives in <prefix>/share/carvenna.
        QTemporaryDir prefix;
        QVERIFY(QDir(prefix.path()).mkpath(QStringLiteral("bin")));
        QVERIFY(QDir(prefix.path()).mkpath(QStringLiteral("share/carvenna")));
        QTemporaryDir data;
        const QString folder = data.path() + u'/';
        const QString bin = prefix.path() + QStringLiteral("/bin");
        QCOMPARE(FindGuidePdf(folder, bin), QString());
        QFile shared(prefix.path() + QStringLiteral("/share/carvenna/Guida.pdf"));
        QVERIFY(shared.open(QIODevice::WriteOnly));
        shared.close();
        QCOMPARE(FindGuidePdf(folder, bin), shared.fileName());
        // The program folder's own copy comes first.
        QFile own(folder + QStringLiteral("Guida.pdf"));
        QVERIFY(own.open(QIODevice::WriteOnly));
        QCOMPARE(FindGuidePdf(folder, bin), folder + QStringLiteral("Guida.pdf"));
    }

    void releaseAwayFromLinkOpensNothing() {
        TestPlatform tp;
        Carvenna app(tp.platform);
        TfrmInfo w(app);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTest::mousePress(w.ui.lnkWeb, Qt::LeftButton);
        QCOMPARE(TextColour(w.ui.lnkWeb), Link::PressedColour());
        // Dragged off the text before letting go: the colour returns, nothing is opened.
        QTest::mouseRelease(w.ui.lnkWeb, Qt::LeftButton, {}, QPoint(-20, -20));
        QCOMPARE(TextColour(w.ui.lnkWeb), Link::RestColour());
        QVERIFY(tp.shell.opened.isEmpty());
    }

    void closeButtonEndsTheModalCall_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("info") << "info";
        QTest::newRow("splash") << "splash";
        QTest::newRow("guide") << "guida";
    }
    void closeButtonEndsTheModalCall() {
        QFETCH(QString, kind);
        TestPlatform tp;
        Carvenna app(tp.platform);
        auto w = MakeWindow(kind, app);
        QTimer::singleShot(50, w.get(), [&w] { w->findChild<QPushButton*>(QStringLiteral("btnChiudi"))->click(); });
        QTimer guard;
        guard.setSingleShot(true);
        connect(&guard, &QTimer::timeout, w.get(), &QDialog::accept); // fails below instead of hanging
        guard.start(4000);
        const int result = w->exec();
        QVERIFY(guard.isActive());
        QCOMPARE(result, int(QDialog::Rejected));
        QVERIFY(!w->isVisible());
    }

    void guideWindowShowsOnlyItsOwnTitleAndText() {
        TestPlatform tp;
        Carvenna app(tp.platform);
        {
            TfrmGuida first(app);
            first.SetGuide(QStringLiteral("Uno sguardo a Carvenna"), Carvenna::GeneralGuide());
            QVERIFY(first.ui.txtGuida->toPlainText().contains(QStringLiteral("CARVENNA")));
        }
        TfrmGuida second(app);
        // A new use starts from the design values...
        QCOMPARE(second.ui.lblTitolo->text(), QStringLiteral("Argomento della guida"));
        QVERIFY(second.ui.txtGuida->toPlainText().isEmpty());
        QVERIFY(second.ui.txtGuida->isReadOnly());
        QVERIFY(second.ui.lblTitolo->font().bold());
        // ...and shows just the area's own guide.
        second.SetGuide(QStringLiteral("App Stampa Ricevute"), Carvenna::ReceiptsGuide());
        QCOMPARE(second.ui.lblTitolo->text(), QStringLiteral("App Stampa Ricevute"));
        const QString shown = second.ui.txtGuida->toPlainText();
        QVERIFY(!shown.contains(QStringLiteral("CARVENNA")));
        QVERIFY(!shown.contains(QStringLiteral("L'app Riepilogo Incassi")));
        QVERIFY(!shown.contains(u'\r'));
        // Each paragraph is a block, with one empty block between two paragraphs.
        const int paragraphs = Carvenna::ReceiptsGuide().split(QStringLiteral("\r\n\r\n")).size();
        QCOMPARE(second.ui.txtGuida->document()->blockCount(), 2 * paragraphs - 1);
        // The same instance given another guide replaces, never appends.
        second.SetGuide(QStringLiteral("Uno sguardo a Carvenna"), Carvenna::GeneralGuide());
        QCOMPARE(second.ui.txtGuida->toPlainText().count(QStringLiteral("L'app Stampa Ricevute serve")), 1);
    }

    void generalGuideCoversItsTopicsInOrder() {
        const QString guide = Carvenna::GeneralGuide();
        // One phrase per topic, in the order the guide must follow.
        const QStringList topics = {
            QStringLiteral("asili nido e delle scuole dell'infanzia"),
            QStringLiteral("L'app Stampa Ricevute"),
            QStringLiteral("duplice copia su un unico foglio A4"),
            QStringLiteral("archivi annuali"),
            QStringLiteral("freccia rossa posta accanto alla riga \"Riceviamo da\""),
            QStringLiteral("soltanto in cifre"),
            QStringLiteral("l'importo in lettere viene scritto automaticamente"),
            QStringLiteral("logo"),
            QStringLiteral("marca da bollo"),
            QStringLiteral("firma"),
            QStringLiteral("salvate automaticamente quando si esce dalla finestra"),
            QStringLiteral("la numerazione parte da 1"),
            QStringLiteral("pulsante N"),
            QStringLiteral("Per modificare una ricevuta"),
            QStringLiteral("Duplica"),
            QStringLiteral("Trova"),
            QStringLiteral("anteprima di stampa"),
            QStringLiteral("Microsoft Excel"),
            QStringLiteral("L'app Riepilogo Incassi"),
            QStringLiteral("L'app Archivio Anagrafico"),
            QStringLiteral("webcam"),
            QStringLiteral("certificati medici scaduti"),
            QStringLiteral("rete locale"),
            QStringLiteral("chiavetta USB"),
            QStringLiteral("copiare l'intera cartella"),
            QStringLiteral("cambiata a piacere"),
            QStringLiteral("la password da digitare è CARVENNA"),
            QStringLiteral("In sintesi"),
        };
        int from = 0;
        for (const QString& t : topics) {
            const int at = guide.indexOf(t, from);
            QVERIFY2(at >= 0, qPrintable(QStringLiteral("missing or out of order: ") + t));
            from = at + t.size();
        }
    }

    void guideParagraphsAreSeparatedByEmptyLines() {
        for (const QString& guide : {Carvenna::GeneralGuide(), Carvenna::ReceiptsGuide()}) {
            const QStringList paragraphs = guide.split(QStringLiteral("\r\n\r\n"));
            QVERIFY(paragraphs.size() > 5);
            for (const QString& p : paragraphs) {
                QVERIFY(!p.trimmed().isEmpty());
                QCOMPARE(p, p.trimmed());
                // A lone CR or LF would break the layout: breaks only come as the separator.
                QVERIFY2(!p.contains(u'\r') && !p.contains(u'\n'), qPrintable(p.left(60)));
            }
        }
    }

    void everyAddedWindowHasItsSectionAfterTheAreaText() {
        // The specified texts end where they always ended; the sections follow, each once, in order.
        struct Page {
            QString text, lastOwn;
            QList<GuideTopic> topics;
        };
        const QList<Page> pages = {
            {Carvenna::GeneralGuide(), QStringLiteral("facile da copiare e da proteggere."), AllTopics()},
            {Carvenna::ReceiptsGuide(), QStringLiteral("da aprire con qualsiasi programma di calcolo."),
             ReceiptAreaTopics()},
            {TfrmTiratori::Guide(), QStringLiteral("esportare in un file di foglio di calcolo."),
             RegistryAreaTopics()},
        };
        for (const Page& page : pages) {
            int from = page.text.indexOf(page.lastOwn + QStringLiteral("\r\n\r\n"));
            QVERIFY2(from > 0, qPrintable(page.lastOwn));
            for (GuideTopic t : page.topics) {
                const GuideSection& s = GuideSectionOf(t);
                const QString section = GuideHeading(s.title) + QStringLiteral("\r\n\r\n") + GuideSectionText(t);
                const int at = page.text.indexOf(section, from);
                QVERIFY2(at > from, qPrintable(s.title));
                from = at + section.size();
            }
            QCOMPARE(from, page.text.size());
        }
        // Every window named in the guide's brief has a section with its own title.
        QStringList titles;
        for (const GuideSection& s : GuideSections()) {
            QVERIFY(!s.paragraphs.isEmpty());
            titles << s.title;
        }
        for (const char* name : {"Rette del mese", "Dati fiscali", "Fattura elettronica", "Annulla ricevuta",
                                 "Storico", "Importa schede", "Copie di sicurezza", "Invio per e-mail",
                                 "Esporta come...", "Attestazioni annuali", "Estratto conto", "Solleciti",
                                 "Fatture elettroniche", "Mandato SDD", "Addebiti SDD", "Movimenti bancari",
                                 "Bonus nido", "Codice fiscale del minore"})
            QVERIFY2(titles.contains(QLatin1String(name)), name);
        QCOMPARE(GuideSectionOf(GuideTopic::CopieSicurezza).title, QStringLiteral("Copie di sicurezza"));
        QVERIFY(Carvenna::GeneralGuide().contains(QStringLiteral("il pulsante Copie del menu principale")) ||
                Carvenna::GeneralGuide().contains(QStringLiteral("Il pulsante Copie del menu principale")));
    }

    void f1OpensTheWindowsOwnSection() {
        TestPlatform tp;
        Carvenna app(tp.platform);
        QDialog window;
        auto* button = new QPushButton(QStringLiteral("Guida"), &window);
        AttachGuide(app, &window, GuideTopic::ImportaSchede, button);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        for (int way = 0; way < 2; ++way) {
            QString title, text;
            auto* helper = ModalHelper::When<TfrmGuida>(
                [&](TfrmGuida* g) {
                    title = g->ui.lblTitolo->text();
                    text = g->ui.txtGuida->toPlainText();
                    g->ui.btnChiudi->click();
                },
                this);
            if (way == 0)
                QTest::keyClick(&window, Qt::Key_F1);
            else
                button->click();
            QVERIFY(helper->Handled());
            QCOMPARE(title, QStringLiteral("Importa schede"));
            QVERIFY(text.startsWith(QStringLiteral("Il pulsante Importa schede")));
            QVERIFY(!text.contains(QStringLiteral("Rette del mese")));
        }
    }

    void receiptsGuideIsTheReceiptsPartOfTheGeneralGuide() {
        const QStringList all = Carvenna::GeneralGuide().split(QStringLiteral("\r\n\r\n"));
        QStringList receipts = Carvenna::ReceiptsGuide().split(QStringLiteral("\r\n\r\n"));
        // The receipts' own paragraphs, up to the sections of the windows added since.
        const int own = int(std::find_if(receipts.cbegin(), receipts.cend(),
                                         [](const QString& p) { return p.startsWith(QStringLiteral("— ")); }) -
                            receipts.cbegin());
        QVERIFY(own > 5 && own < receipts.size());
        receipts = receipts.mid(0, own);
        const int start = all.indexOf(receipts.first());
        QVERIFY(start > 0); // the general guide opens with the program's purpose
        QCOMPARE(all.mid(start, receipts.size()), receipts);
        QVERIFY(receipts.first().startsWith(QStringLiteral("L'app Stampa Ricevute")));
        const QString text = Carvenna::ReceiptsGuide();
        for (const char* other : {"L'app Archivio Anagrafico", "L'app Riepilogo Incassi", "rete locale",
                                  "password"})
            QVERIFY2(!text.contains(QLatin1String(other)), other);
    }
};

QTEST_MAIN(TstShellWindows)
#include "tst_shellwindows.moc"
