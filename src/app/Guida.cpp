#include "app/Guida.h"
#include "app/Carvenna.h"
#include "app/Link.h"
#include "app/OpenURL.h"
#include <QAbstractButton>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QShortcut>

TfrmGuida::TfrmGuida(Carvenna& app, QWidget* parent) : QDialog(parent), m_app(app) {
    ui.setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(670, 572);
    m_link = new Link(ui.lnkWeb, ui.imgPDF, [this] { lnkWebClick(); });
    connect(ui.btnChiudi, &QPushButton::clicked, this, &TfrmGuida::btnChiudiClick);
}

void TfrmGuida::SetGuide(const QString& title, const QString& text) {
    ui.lblTitolo->setText(title);
    // The stored text keeps its CR LF pairs; the box wants plain line breaks.
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    ui.txtGuida->setPlainText(shown);
    ui.txtGuida->moveCursor(QTextCursor::Start);
}

QString FindGuidePdf(const QString& programFolder, const QString& executableFolder) {
    const QString name = QStringLiteral("Guida.pdf");
    const QStringList candidates = {
        programFolder + name,
        QDir(executableFolder).filePath(name),
        QDir(executableFolder).filePath(QStringLiteral("../share/carvenna/") + name),
    };
    for (const QString& c : candidates)
        if (QFileInfo(c).isFile())
            return c == candidates.first() ? c : QDir::cleanPath(c);
    return {};
}

void TfrmGuida::lnkWebClick() {
    const QString pdf = FindGuidePdf(m_app.ProgramFolder(), QCoreApplication::applicationDirPath());
    if (pdf.isEmpty()) {
        m_app.messages().Information(
            QStringLiteral("La guida in formato PDF (Guida.pdf) non si trova nella cartella del programma:\n\r\n\r%1")
                .arg(QDir::toNativeSeparators(m_app.ProgramFolder())),
            this);
        return;
    }
    // Quoted: the program folder may contain blanks.
    TMisc::Open(m_app, u'"' + pdf + u'"');
}

void TfrmGuida::btnChiudiClick() {
    reject();
}

void ShowGuide(Carvenna& app, QWidget* parent, GuideTopic topic) {
    TfrmGuida dlg(app, parent);
    dlg.SetGuide(GuideSectionOf(topic).title, GuideSectionText(topic));
    dlg.exec();
}

void AttachGuide(Carvenna& app, QWidget* window, GuideTopic topic, QAbstractButton* button) {
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), window);
    f1->setContext(Qt::WindowShortcut);
    QObject::connect(f1, &QShortcut::activated, window, [&app, window, topic] { ShowGuide(app, window, topic); });
    if (button)
        QObject::connect(button, &QAbstractButton::clicked, window,
                         [&app, window, topic] { ShowGuide(app, window, topic); });
}

QPushButton* NewGuideButton(QWidget* window) {
    auto* b = new QPushButton(QStringLiteral("Guida"), window);
    b->setObjectName(QStringLiteral("btnGuida"));
    b->setAutoDefault(false);
    b->setToolTip(QStringLiteral("Apre la guida di questa finestra (F1)."));
    return b;
}
