#include "payments/AddebitiSdd.h"
#include "widgets/NamedControls.h"
#include "app/Guida.h"
#include "app/KeyboardReach.h"
#include "app/Carvenna.h"
#include "payments/Mandates.h"
#include "payments/PaymentSettings.h"
#include "app/Printing.h"
#include "report/ReportPainter.h"
#include "search/ListReport.h"
#include "storage/Dates.h"
#include "storage/Text.h"
#include "summary/Takings.h"
#include "validators/Iban.h"
#include "widgets/Calendario.h"
#include <QAbstractTableModel>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStringListModel>
#include <QTableView>
#include <QVBoxLayout>

// The debits of the plan: payer, child, IBAN masked, sequence, amount.
class SddPlanModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;
    void Set(const QVector<payments::SddCollection>* rows) {
        beginResetModel();
        m_rows = rows;
        endResetModel();
    }
    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() || !m_rows ? 0 : int(m_rows->size());
    }
    int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : 5; }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!m_rows || !index.isValid())
            return {};
        const payments::SddCollection& c = m_rows->at(index.row());
        if (role == Qt::TextAlignmentRole && index.column() == 4)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        if (role != Qt::DisplayRole)
            return {};
        switch (index.column()) {
        case 0: return c.payer;
        case 1: return c.child;
        case 2: return MaskIban(c.iban);
        case 3: return c.sequence == payments::Sequence::First ? QStringLiteral("FRST") : QStringLiteral("RCUR");
        default: return FormatTotal(c.amount);
        }
    }
    QVariant headerData(int section, Qt::Orientation o, int role) const override {
        if (o != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        static const char* names[] = {"Pagatore", "Minore", "IBAN", "Tipo", "Importo"};
        return QString::fromLatin1(names[section]);
    }

private:
    const QVector<payments::SddCollection>* m_rows = nullptr;
};

namespace {
} // namespace

TfrmAddebitiSdd::TfrmAddebitiSdd(Carvenna& app, const QVector<fees::FeeLine>& lines, const QVector<int>& ticked,
                                 const fees::FeeMonth& month, QWidget* parent)
    : QDialog(parent), m_app(app), m_lines(lines), m_ticked(ticked), m_month(month) {
    setObjectName(QStringLiteral("TfrmAddebitiSdd"));
    AttachGuide(app, this, GuideTopic::AddebitiSdd); // F1: this window's section of the guide
    setWindowTitle(QStringLiteral(" Addebiti SDD"));
    titAddebiti = new QLabel(QStringLiteral("Addebiti SDD - %1 %2").arg(month.Name()).arg(month.year), this);
    titAddebiti->setObjectName(QStringLiteral("titAddebiti"));
    QFont big = titAddebiti->font();
    big.setPointSize(big.pointSize() + 4);
    big.setBold(true);
    titAddebiti->setFont(big);
    txtScadenza = new QLineEdit(FormatDate(payments::EarliestDueDate(app.clock().Today())), this);
    txtScadenza->setObjectName(QStringLiteral("txtScadenza"));
    txtScadenza->setInputMask(QStringLiteral("99/99/9999;_"));
    txtScadenza->setMaximumWidth(110);
    const PaymentSettings settings = LoadPaymentSettings(app.SettingsPath());
    lblFormato = new QLabel(settings.formato == PaymentSettings::SddFormat::Iso
                                ? QStringLiteral("Formato: ISO 20022 pain.008.001.08")
                                : QStringLiteral("Formato: CBI (CBIBdySDDReq.00.01.01)"),
                            this);
    lblFormato->setObjectName(QStringLiteral("lblFormato"));
    grdAddebiti = new QTableView(this);
    grdAddebiti->setObjectName(QStringLiteral("grdAddebiti"));
    m_model = new SddPlanModel(this);
    grdAddebiti->setModel(m_model);
    grdAddebiti->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdAddebiti->verticalHeader()->hide();
    grdAddebiti->setWordWrap(false);
    grdAddebiti->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    grdAddebiti->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    grdAddebiti->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    lstEscluse = new QListView(this);
    lstEscluse->setObjectName(QStringLiteral("lstEscluse"));
    lstEscluse->setUniformItemSizes(true);
    lstEscluse->setMaximumHeight(120);
    m_leftOut = new QStringListModel(this);
    lstEscluse->setModel(m_leftOut);
    lblTotale = new QLabel(this);
    lblTotale->setObjectName(QStringLiteral("lblTotale"));
    btnScadenza = NamedButton(QStringLiteral("Calendario"), this, "btnScadenza");
    btnCrea = NamedButton(QStringLiteral("Crea file SDD"), this, "btnCrea");
    btnStampa = NamedButton(QStringLiteral("Stampa elenco"), this, "btnStampa");
    btnChiudi = NamedButton(QStringLiteral("Chiudi"), this, "btnChiudi");

    auto* top = new QHBoxLayout;
    auto* lblScadenza = new QLabel(QStringLiteral("Data di addebito:"), this);
    lblScadenza->setObjectName(QStringLiteral("lblScadenza"));
    top->addWidget(lblScadenza);
    top->addWidget(txtScadenza);
    top->addWidget(btnScadenza);
    top->addSpacing(24);
    top->addWidget(lblFormato);
    top->addStretch(1);
    auto* commands = new QHBoxLayout;
    commands->addWidget(btnCrea);
    commands->addWidget(btnStampa);
    commands->addStretch(1);
    commands->addWidget(btnChiudi);
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(16, 12, 16, 12);
    page->addWidget(titAddebiti);
    page->addLayout(top);
    page->addWidget(grdAddebiti, 1);
    page->addWidget(lblTotale);
    auto* lblEscluse = new QLabel(QStringLiteral("Righe escluse:"), this);
    lblEscluse->setObjectName(QStringLiteral("lblEscluse"));
    page->addWidget(lblEscluse);
    page->addWidget(lstEscluse);
    page->addLayout(commands);
    resize(900, 600);

    frxReport = LoadListTemplate();
    connect(btnScadenza, &QPushButton::clicked, this, &TfrmAddebitiSdd::btnScadenzaClick);
    connect(btnCrea, &QPushButton::clicked, this, &TfrmAddebitiSdd::btnCreaClick);
    connect(btnStampa, &QPushButton::clicked, this, &TfrmAddebitiSdd::btnStampaClick);
    connect(btnChiudi, &QPushButton::clicked, this, &QDialog::reject);
    Replan();
    TabLeavesViews(this); // Tab leaves the tables instead of walking their cells
}

TfrmAddebitiSdd::~TfrmAddebitiSdd() = default;

void TfrmAddebitiSdd::Replan() {
    payments::Mandates mandates;
    mandates.Load(m_app.Path(QLatin1String(payments::MandatesFileName)));
    m_model->Set(nullptr);
    m_plan = payments::PlanCollections(m_lines, m_ticked, mandates, m_month);
    m_model->Set(&m_plan.collections);
    QStringList left;
    for (const payments::SddLeftOut& l : m_plan.leftOut)
        left << QStringLiteral("%1 - %2: %3").arg(l.payer, l.child, l.reason);
    m_leftOut->setStringList(left);
    lblTotale->setText(QStringLiteral("Addebiti: %1   Totale: € %2   Righe escluse: %3")
                           .arg(m_plan.collections.size())
                           .arg(FormatTotal(m_plan.Total()))
                           .arg(m_plan.leftOut.size()));
    btnCrea->setEnabled(!m_plan.collections.isEmpty());
}

void TfrmAddebitiSdd::btnScadenzaClick() {
    if (const std::optional<QDate> day =
            TfrmCalendario::PickDate(m_app, this, QStringLiteral("addebiti"), ParseDate(txtScadenza->text())))
        txtScadenza->setText(FormatDate(*day));
    txtScadenza->setFocus();
}

void TfrmAddebitiSdd::btnCreaClick() {
    if (m_plan.collections.isEmpty()) {
        m_app.messages().Warning(QStringLiteral("Attenzione: nessuna riga spuntata ha un mandato SDD."), this);
        return;
    }
    const PaymentSettings settings = LoadPaymentSettings(m_app.SettingsPath());
    if (const QString problem = CheckSddCreditor(settings); !problem.isEmpty()) {
        m_app.messages().Warning(QStringLiteral("Attenzione: ") + problem +
                                     QStringLiteral("\n\r\n\rCorreggere i dati in \"Dati fiscali\"; nessun file è "
                                                    "stato creato."),
                                 this);
        return;
    }
    const QDate due = ParseDate(txtScadenza->text());
    const QDate earliest = payments::EarliestDueDate(m_app.clock().Today());
    if (!due.isValid() || due < earliest || payments::IsBankHoliday(due)) {
        m_app.messages().Warning(
            QStringLiteral("Attenzione: la data di addebito deve essere un giorno lavorativo bancario dal %1 in poi.")
                .arg(FormatDate(earliest)),
            this);
        txtScadenza->setFocus();
        return;
    }
    payments::SddHeader h;
    h.creditor = settings;
    h.creditorName = settings.intestatario;
    h.dueDate = due;
    h.created = m_app.clock().Now();
    h.messageId = QStringLiteral("SDD-%1-%2").arg(h.created.toString(QStringLiteral("yyyyMMddHHmmss")),
                                                  QString::number(m_plan.collections.size()));
    const payments::SddWriteResult r = payments::WriteSddFile(m_app.ProgramFolder(), h, m_plan, settings.formato);
    if (!r.ok) {
        m_app.messages().Error(QStringLiteral("Attenzione: il file SDD non è stato creato; nessun mandato è stato "
                                              "modificato.\n\r\n\r") +
                                   r.error,
                               this);
        return;
    }
    m_written = r.path;
    const QString total = FormatTotal(m_plan.Total());
    const int count = int(m_plan.collections.size());
    m_app.messages().Information(QStringLiteral("Creato il file %1 con %2 addebiti per € %3, da consegnare alla "
                                                "banca entro la data di addebito.")
                                     .arg(QStringLiteral("SDD/") + QFileInfo(r.path).fileName())
                                     .arg(count)
                                     .arg(total),
                                 this);
    Replan(); // the first collections are now made: the next file is RCUR
    btnCrea->setEnabled(false);
}

void TfrmAddebitiSdd::btnStampaClick() {
    QString error = QStringLiteral("Modello di stampa non disponibile.");
    if (frxReport &&
        FillListReport(*frxReport, QStringLiteral("Addebiti SDD - %1 %2").arg(m_month.Name()).arg(m_month.year),
                       ListPrintStamp(m_app.clock().Now()), payments::SddListLines(m_plan), &error)) {
        frxReport->fileName =
            report::PdfFileName({QStringLiteral("Addebiti_SDD"), QString::number(m_month.year), m_month.TwoDigits()});
        if (frxReport->Prepare(&error) &&
            m_app.printing().Print(frxReport->Prepared(), this, &error) != Printing::Result::Failed)
            return;
    }
    m_app.messages().Warning(QStringLiteral("Attenzione: la stampa non è andata a buon fine.\n\r\n\r") + error, this);
}
