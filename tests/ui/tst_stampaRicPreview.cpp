// The desktop printing service's preview window: modal, maximised, at 100 % zoom, showing every
// prepared page, with exactly the tool buttons its template names.
#include "ModalHelper.h"
#include "printing/DesktopPrinting.h"
#include "report/PreparedReport.h"
#include "report/ReportTemplate.h"
#include <QAction>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QToolBar>
#include <QtTest>

namespace {

QPrintPreviewWidget* PreviewPages(QWidget* w) {
    return w ? w->findChild<QPrintPreviewWidget*>() : nullptr;
}

QStringList ToolNames(QWidget* w) {
    QStringList names;
    for (QToolBar* bar : w->findChildren<QToolBar*>())
        for (QAction* a : bar->actions())
            if (a->isVisible() && !a->isSeparator())
                names << a->objectName();
    return names;
}

QAction* Tool(QWidget* w, const QString& name) {
    for (QToolBar* bar : w->findChildren<QToolBar*>())
        for (QAction* a : bar->actions())
            if (a->objectName() == name)
                return a;
    return nullptr;
}

} // namespace

class tst_stampaRicPreview : public QObject {
    Q_OBJECT

private slots:
    void previewIsModalMaximisedAtFullSize_data();
    void previewIsModalMaximisedAtFullSize();
    void toolButtonsAreTheTemplates_data();
    void toolButtonsAreTheTemplates();
    void fullScreenAndCloseButtons();
};

void tst_stampaRicPreview::previewIsModalMaximisedAtFullSize_data() {
    QTest::addColumn<QString>("templatePath");
    QTest::addColumn<int>("lines");
    QTest::newRow("receipt") << ":/printing/templates/receipt.json" << 0;
    QTest::newRow("list over three pages") << ":/printing/templates/list.json" << 150;
}

void tst_stampaRicPreview::previewIsModalMaximisedAtFullSize() {
    QFETCH(QString, templatePath);
    QFETCH(int, lines);
    report::ReportTemplate t = *report::ReportTemplate::Load(templatePath);
    if (lines > 0) {
        for (int i = 0; i < lines; ++i)
            QVERIFY(t.AddLine("txtRiepilogo", QStringLiteral("riga %1").arg(i)));
        QVERIFY(t.SetHeight("txtRiepilogo", lines * 12.822));
        QVERIFY(t.SetHeight("MasterData", lines * 12.822 + 10));
    }
    QVERIFY(t.Prepare());

    bool maximised = false, modal = false;
    double zoom = 0;
    int pages = -1;
    ModalHelper helper([](QWidget* w) { return PreviewPages(w) != nullptr; },
                       [&](QWidget* w) {
                           auto* view = PreviewPages(w);
                           maximised = w->windowState().testFlag(Qt::WindowMaximized);
                           modal = w->isModal();
                           zoom = view->zoomFactor();
                           pages = view->pageCount();
                           if (!qEnvironmentVariableIsEmpty("CARVENNA_GRAB_DIR"))
                               w->grab().save(qEnvironmentVariable("CARVENNA_GRAB_DIR") + "/preview.png");
                           qobject_cast<QDialog*>(w)->reject();
                       });
    DesktopPrinting printing;
    QString error;
    QCOMPARE(int(printing.Preview(t.Prepared(), nullptr, &error)), int(Printing::Result::Done));
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QVERIFY(helper.Handled());
    QVERIFY(modal);
    QVERIFY(maximised);
    QCOMPARE(zoom, 1.0);
    QCOMPARE(pages, t.Prepared().PageCount());
}

void tst_stampaRicPreview::toolButtonsAreTheTemplates_data() {
    QTest::addColumn<QStringList>("buttons"); // as a template names them
    QTest::addColumn<QStringList>("tools");   // the tool bar that must show, in order
    const QStringList zoom = {"zoomOut", "zoomIn", "fitWidth", "fitPage"};
    QTest::newRow("receipt template") << QStringList()
                                      << (QStringList{"print"} + zoom + QStringList{"fullScreen", "close"});
    QTest::newRow("print and close only") << QStringList{"print", "close"} << QStringList{"print", "close"};
    QTest::newRow("zoom only") << QStringList{"zoom"} << zoom;
    QTest::newRow("none") << QStringList{"-"} << QStringList();
}

void tst_stampaRicPreview::toolButtonsAreTheTemplates() {
    QFETCH(QStringList, buttons);
    QFETCH(QStringList, tools);
    report::ReportTemplate t = *report::ReportTemplate::Load(QStringLiteral(":/printing/templates/receipt.json"));
    if (!buttons.isEmpty())
        t.preview.buttons = buttons == QStringList{"-"} ? QStringList() : buttons;
    else
        QCOMPARE(t.preview.buttons, (QStringList{"print", "zoom", "fullScreen", "close"}));
    QVERIFY(t.Prepare());
    QStringList shown;
    ModalHelper helper([](QWidget* w) { return PreviewPages(w) != nullptr; },
                       [&](QWidget* w) {
                           shown = ToolNames(w);
                           qobject_cast<QDialog*>(w)->reject();
                       });
    DesktopPrinting printing;
    QCOMPARE(int(printing.Preview(t.Prepared(), nullptr)), int(Printing::Result::Done));
    QVERIFY(helper.Handled());
    // Nothing else: no page set-up or orientation buttons that would change the paper of the layout.
    QCOMPARE(shown, tools);
}

void tst_stampaRicPreview::fullScreenAndCloseButtons() {
    report::ReportTemplate t = *report::ReportTemplate::Load(QStringLiteral(":/printing/templates/receipt.json"));
    QVERIFY(t.Prepare());
    bool fullScreen = false, maximisedAgain = false, askedPrinter = false;
    ModalHelper helper([](QWidget* w) { return PreviewPages(w) != nullptr; },
                       [&](QWidget* w) {
                           QAction* full = Tool(w, "fullScreen");
                           full->trigger();
                           fullScreen = w->windowState().testFlag(Qt::WindowFullScreen);
                           full->trigger();
                           maximisedAgain = w->windowState().testFlag(Qt::WindowMaximized) &&
                                            !w->windowState().testFlag(Qt::WindowFullScreen);
                           // Print asks for the printer first; cancelling it leaves the preview open.
                           ModalHelper* ask = ModalHelper::When<QPrintDialog>(
                               [&](QPrintDialog* d) {
                                   askedPrinter = true;
                                   d->reject();
                               },
                               w);
                           Tool(w, "print")->trigger();
                           QVERIFY(ask->Handled());
                           QVERIFY(w->isVisible());
                           Tool(w, "close")->trigger();
                       });
    DesktopPrinting printing;
    QCOMPARE(int(printing.Preview(t.Prepared(), nullptr)), int(Printing::Result::Done));
    QVERIFY(helper.Handled());
    QVERIFY2(helper.Unexpected().isEmpty(), qPrintable(helper.Unexpected()));
    QVERIFY(fullScreen);
    QVERIFY(maximisedAgain);
    QVERIFY(askedPrinter);
}

QTEST_MAIN(tst_stampaRicPreview)
#include "tst_stampaRicPreview.moc"
