#include "fees/BonusNido.h"
#include "app/Carvenna.h"
#include "app/Guida.h"
#include "app/KeyboardReach.h"
#include "app/Printing.h"
#include "printing/MailDocument.h"
#include "report/ReportPainter.h"
#include "storage/Text.h"
#include "widgets/NamedControls.h"
#include <QAbstractListModel>
#include <QApplication>
#include <QColor>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QVBoxLayout>

using namespace fees;

// The list's lines, a child without a right tax code in red.
class BonusChildModel : public QAbstractListModel {
public:
    BonusChildModel(QStringList lines, QVector<bool> red, QObject* parent)
        : QAbstractListModel(parent), m_lines(std::move(lines)), m_red(std::move(red)) {}
    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : m_lines.size(); }
    QVariant data(const QModelIndex& i, int role) const override {
        if (!i.isValid() || i.row() >= m_lines.size())
            return {};
        if (role == Qt::DisplayRole)
            return m_lines[i.row()];
        if (role == Qt::ForegroundRole && m_red.value(i.row()))
            return QColor(0xC0, 0x00, 0x00);
        return {};
    }

private:
    QStringList m_lines;
    QVector<bool> m_red;
};

namespace {
QListView* List(QAbstractItemModel* model, QWidget* parent, const char* name) {
    auto* v = new QListView(parent);
    v->setObjectName(QLatin1String(name));
    model->setParent(v);
    v->setModel(model);
    v->setUniformItemSizes(true);
    v->setEditTriggers(QAbstractItemView::NoEditTriggers);
    return v;
}

QLabel* Wrapped(const QString& text, QWidget* parent, const char* name) {
    QLabel* l = NamedLabel(text, parent, name);
    l->setWordWrap(true);
    return l;
}

QVector<int> AllOf(int n) {
    QVector<int> all;
    for (int i = 0; i < n; ++i)
        all << i;
    return all;
}

const QString kPrintFailed = QStringLiteral("Attenzione: la stampa delle attestazioni per il bonus nido non è andata a "
                                            "buon fine.\n\r\n\r");
} // namespace

TfrmBonusNido::TfrmBonusNido(Carvenna& app, const BonusSet& set, QWidget* parent)
    : QDialog(parent), m_app(app), m_set(set), m_heading(BonusHeading(app.SettingsPath(), app.clock().Today())) {
    setObjectName(QStringLiteral("TfrmBonusNido"));
    AttachGuide(app, this, GuideTopic::BonusNido); // F1: this window's section of the guide
    setWindowTitle(QStringLiteral("Bonus nido"));
    titBonus =
        Wrapped(QStringLiteral("Attestazioni di pagamento per il bonus nido %1").arg(set.year), this, "titBonus");
    QFont title = titBonus->font();
    title.setPointSizeF(title.pointSizeF() * 1.5);
    title.setBold(true);
    titBonus->setFont(title);

    QStringList lines;
    QVector<bool> red;
    int pages = 0;
    for (const BonusFamily& f : set.families) {
        for (const BonusChild& c : f.children) {
            lines << BonusChildLine(c);
            red << c.taxCode.isEmpty();
            pages += c.months.size();
        }
    }
    const QVector<const BonusChild*> missing = set.MissingCodes();
    lblRiepilogo =
        Wrapped(set.families.isEmpty()
                    ? QStringLiteral("Nessun minore ha pagamenti di rette nel %1.").arg(set.year)
                    : QStringLiteral("%1 di %2, %3.")
                          .arg(Counted(set.Children(), QStringLiteral("minore"), QStringLiteral("minori")),
                               Counted(set.families.size(), QStringLiteral("famiglia"), QStringLiteral("famiglie")),
                               Counted(pages, QStringLiteral("pagina (un mese pagato)"),
                                       QStringLiteral("pagine, una per mese pagato"))),
                this, "lblRiepilogo");
    const QString problem = BonusHeadingProblem(m_heading);
    lblScuola = Wrapped(problem.isEmpty() ? QStringLiteral("Scuola: ") + m_heading.school.join(QStringLiteral(" - "))
                                          : QStringLiteral("Attenzione: ") + problem + u'.',
                        this, "lblScuola");
    if (!problem.isEmpty())
        lblScuola->setStyleSheet(QStringLiteral("color: #C00000;"));
    lstMinori = List(new BonusChildModel(lines, red, this), this, "lstMinori");

    QStringList missingLines;
    for (const BonusChild* c : missing)
        missingLines << QStringLiteral("Scheda n. %1 - %2: %3").arg(c->card).arg(c->child, c->codeProblem);
    lblMancanti =
        Wrapped(missing.isEmpty() ? QStringLiteral("Tutti i minori hanno il codice fiscale.")
                                  : QStringLiteral("Minori senza codice fiscale corretto (%1): completare la scheda "
                                                   "anagrafica e rifare l'attestazione.")
                                        .arg(missing.size()),
                this, "lblMancanti");
    if (!missing.isEmpty())
        lblMancanti->setStyleSheet(QStringLiteral("color: #C00000;"));
    lstMancanti =
        List(new BonusChildModel(missingLines, QVector<bool>(missingLines.size(), true), this), this, "lstMancanti");
    lstMancanti->setVisible(!missing.isEmpty());

    btnAnteprima = CommandButton(QStringLiteral("Anteprima"), this, "btnAnteprima");
    btnCreaPdf = CommandButton(QStringLiteral("Crea PDF"), this, "btnCreaPdf");
    btnStampa = CommandButton(QStringLiteral("Stampa"), this, "btnStampa");
    btnEmail = CommandButton(QStringLiteral("Invia per e-mail"), this, "btnEmail");
    btnChiudi = CommandButton(QStringLiteral("Chiudi"), this, "btnChiudi");
    for (QPushButton* b : {btnAnteprima, btnCreaPdf, btnStampa, btnEmail})
        b->setEnabled(!set.families.isEmpty());
    auto* commands = new QHBoxLayout;
    for (QPushButton* b : {btnAnteprima, btnCreaPdf, btnStampa, btnEmail})
        commands->addWidget(b);
    commands->addStretch(1);
    commands->addWidget(btnChiudi);
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(16, 12, 16, 12);
    page->addWidget(titBonus);
    page->addWidget(lblRiepilogo);
    page->addWidget(lblScuola);
    page->addWidget(lstMinori, 3);
    page->addWidget(lblMancanti);
    page->addWidget(lstMancanti, 1);
    page->addLayout(commands);
    resize(900, 600);

    connect(btnAnteprima, &QPushButton::clicked, this, &TfrmBonusNido::btnAnteprimaClick);
    connect(btnCreaPdf, &QPushButton::clicked, this, &TfrmBonusNido::btnCreaPdfClick);
    connect(btnStampa, &QPushButton::clicked, this, &TfrmBonusNido::btnStampaClick);
    connect(btnEmail, &QPushButton::clicked, this, &TfrmBonusNido::btnEmailClick);
    connect(btnChiudi, &QPushButton::clicked, this, &QDialog::reject);
    lstMinori->setFocus();
    TabLeavesViews(this); // Tab leaves the lists instead of walking their lines
}

TfrmBonusNido::~TfrmBonusNido() = default;

report::PreparedReport TfrmBonusNido::Documents() const {
    report::PreparedReport doc;
    doc.name = QStringLiteral("Attestazioni di pagamento per il bonus nido");
    doc.fileName = report::PdfFileName({QStringLiteral("Bonus_nido"), QString::number(m_set.year)});
    doc.preview.buttons = QStringList{QStringLiteral("print"), QStringLiteral("zoom"), QStringLiteral("close")};
    for (const BonusFamily& f : m_set.families)
        AppendBonusFamily(doc, f, m_set.year, m_heading);
    return doc;
}

QString TfrmBonusNido::PdfPath(int family) const {
    return BonusFolder(m_app.ProgramFolder(), m_set.year) + BonusPdfName(m_set.families[family], m_set.year);
}

void TfrmBonusNido::btnAnteprimaClick() {
    QString error;
    if (m_app.printing().Preview(Documents(), this, &error) == Printing::Result::Failed)
        m_app.messages().Error(kPrintFailed + error, this);
}

bool TfrmBonusNido::PrintFamilies(const QVector<int>& which) {
    report::PreparedReport doc = Documents();
    if (which.size() != m_set.families.size()) {
        doc.pages.clear();
        for (int i : which)
            AppendBonusFamily(doc, m_set.families[i], m_set.year, m_heading);
    }
    QString error;
    const Printing::Result r = m_app.printing().Print(doc, this, &error);
    if (r == Printing::Result::Failed)
        m_app.messages().Error(kPrintFailed + error, this);
    return r != Printing::Result::Failed && r != Printing::Result::Cancelled;
}

void TfrmBonusNido::btnStampaClick() {
    PrintFamilies(AllOf(m_set.families.size()));
}

bool TfrmBonusNido::WritePdfs(const QVector<int>& which) {
    for (int i : which) {
        QString error;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const bool written =
            WriteDocumentPdf(PrepareBonusFamily(m_set.families[i], m_set.year, m_heading), PdfPath(i), &error);
        QApplication::restoreOverrideCursor();
        if (!written) {
            m_app.messages().Warning(QStringLiteral("Attenzione: non è stato possibile salvare l'attestazione di %1 "
                                                    "nel file %2.\n\r\n\r%3")
                                         .arg(m_set.families[i].payer, QDir::toNativeSeparators(PdfPath(i)), error),
                                     this);
            return false;
        }
    }
    return true;
}

void TfrmBonusNido::btnCreaPdfClick() {
    if (!WritePdfs(AllOf(m_set.families.size())))
        return;
    m_app.messages().Information(
        QStringLiteral("%1 nella cartella %2.")
            .arg(Counted(m_set.families.size(), QStringLiteral("file PDF salvato"), QStringLiteral("file PDF salvati")),
                 QDir::toNativeSeparators(BonusFolder(m_app.ProgramFolder(), m_set.year))),
        this);
}

void TfrmBonusNido::btnEmailClick() {
    const QString school = TrimText(m_heading.school.value(0));
    QVector<int> sent, noAddress;
    QString failure;
    for (int i = 0; i < m_set.families.size(); ++i) {
        const BonusFamily& f = m_set.families[i];
        const QString to = RegistryEmail(m_app.ProgramFolder(), f.payerTaxCode);
        if (!PlausibleEmail(to)) {
            noAddress << i;
            continue;
        }
        if (!WritePdfs({i}))
            return;
        QStringList children;
        for (const BonusChild& c : f.children)
            children << c.child;
        QString body =
            QStringLiteral("Gentile %1,\n\nin allegato l'attestazione di pagamento delle rette del %2 per la "
                           "domanda del bonus asilo nido all'INPS (%3), una pagina per ogni mese pagato.\n\n"
                           "Cordiali saluti")
                .arg(f.payer)
                .arg(m_set.year)
                .arg(children.join(QStringLiteral(", ")));
        if (!school.isEmpty())
            body += QStringLiteral("\n") + school;
        QString error;
        if (!m_app.shell().Compose({to,
                                    QStringLiteral("Attestazione di pagamento per il bonus nido %1").arg(m_set.year),
                                    body, PdfPath(i)},
                                   &error)) {
            failure =
                QStringLiteral("Attenzione: non è stato possibile aprire il programma di posta elettronica.\n\r\n\r"
                               "%1\n\r\n\rL'attestazione di %2 è stata salvata nel file %3.")
                    .arg(error, f.payer, QDir::toNativeSeparators(PdfPath(i)));
            break;
        }
        sent << i;
    }
    if (!failure.isEmpty()) {
        m_app.messages().Warning(failure, this);
        return;
    }
    if (noAddress.isEmpty()) {
        m_app.messages().Information(QStringLiteral("Messaggi preparati: %1.").arg(sent.size()), this);
        return;
    }
    QStringList names;
    for (int i : noAddress)
        names << m_set.families[i].payer;
    m_app.messages().Information(
        QStringLiteral("Messaggi preparati: %1.\n\r\n\rPagatori senza indirizzo e-mail, le cui "
                       "attestazioni vengono ora stampate:\n\r%2")
            .arg(sent.size())
            .arg(names.join(QStringLiteral("\n\r"))),
        this);
    PrintFamilies(noAddress);
}

void ShowNurseryBonus(Carvenna& app, QWidget* parent, int year, const QVector<qint64>& cards) {
    BonusSet set;
    QString error;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool ok = LoadBonusSet(app.ProgramFolder(), year, cards, set, &error);
    QApplication::restoreOverrideCursor();
    if (!ok) {
        app.messages().Warning(QStringLiteral("Attestazioni per il bonus nido non disponibili.\n\r\n\r") + error,
                               parent);
        return;
    }
    TfrmBonusNido window(app, set, parent);
    window.exec();
}
