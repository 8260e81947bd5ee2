#include "payments/AddebitiSdd.h"
#include "widgets/NamedControls.h"
#include "app/Guida.h"
#include "app/KeyboardReach.h"
#include "app/Carvenna.h"
#include "payments/Mandates.h"
#include "payments/SddRegister.h"
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
#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStringListModel>
#include <QTableView>
#include <QVBoxLayout>
#include <iterator>

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
    lstFile = new QListView(this);
    lstFile->setObjectName(QStringLiteral("lstFile"));
    lstFile->setUniformItemSizes(true);
    lstFile->setMaximumHeight(80);
    lstFile->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_files = new QStringListModel(this);
    lstFile->setModel(m_files);
    btnRitira = NamedButton(QStringLiteral("Ritira file"), this, "btnRitira");
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
    auto* lblFileMese = new QLabel(QStringLiteral("File SDD del mese:"), this);
    lblFileMese->setObjectName(QStringLiteral("lblFileMese"));
    page->addWidget(lblFileMese);
    auto* files = new QHBoxLayout;
    files->addWidget(lstFile, 1);
    files->addWidget(btnRitira, 0, Qt::AlignTop);
    page->addLayout(files);
    page->addLayout(commands);
    resize(900, 600);

    frxReport = LoadListTemplate();
    connect(btnScadenza, &QPushButton::clicked, this, &TfrmAddebitiSdd::btnScadenzaClick);
    connect(btnCrea, &QPushButton::clicked, this, &TfrmAddebitiSdd::btnCreaClick);
    connect(btnStampa, &QPushButton::clicked, this, &TfrmAddebitiSdd::btnStampaClick);
    connect(btnRitira, &QPushButton::clicked, this, &TfrmAddebitiSdd::btnRitiraClick);
    connect(btnChiudi, &QPushButton::clicked, this, &QDialog::reject);
    Replan();
    // Tab in the order of the screen, top to bottom.
    QWidget* chain[] = {txtScadenza, btnScadenza, grdAddebiti, lstEscluse, lstFile, btnRitira, btnCrea, btnStampa, btnChiudi};
    for (size_t i = 1; i < std::size(chain); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
    TabLeavesViews(this); // Tab leaves the tables instead of walking their cells
}

TfrmAddebitiSdd::~TfrmAddebitiSdd() = default;

void TfrmAddebitiSdd::Replan() {
    payments::Mandates mandates;
    mandates.Load(m_app.Path(QLatin1String(payments::MandatesFileName)));
    // The month rule with the register as it is now: a file just written or withdrawn changes the lines.
    fees::DebitHolds holds;
    QString error;
    const bool registerRead = payments::LoadDebitHolds(m_app.ProgramFolder(), holds, &error);
    if (registerRead)
        fees::HoldLines(m_lines, holds, m_month);
    ShowFiles();
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
    btnCrea->setEnabled(!m_plan.collections.isEmpty() && registerRead);
    if (!registerRead)
        lblTotale->setText(QStringLiteral("Attenzione: ") + error + QStringLiteral(": nessun file può essere creato."));
}

void TfrmAddebitiSdd::ShowFiles() {
    payments::SddRegister reg;
    QStringList lines;
    m_fileNames.clear();
    if (reg.Load(m_app.ProgramFolder())) {
        for (const payments::SddRegisterFile& f : reg.FilesOf(m_month)) {
            const QVector<payments::SddRegisterDebit> debits = reg.DebitsOf(f.name);
            qint64 total = 0;
            QMap<QString, int> states;
            for (const payments::SddRegisterDebit& d : debits) {
                total += d.amount;
                ++states[payments::DebitStatusText(reg.StatusOf(d))];
            }
            QStringList state;
            if (f.withdrawn)
                state << QStringLiteral("ritirato il ") + FormatDate(f.withdrawnOn);
            else
                for (auto it = states.constBegin(); it != states.constEnd(); ++it)
                    state << QStringLiteral("%1 %2").arg(it.value()).arg(it.key());
            lines << QStringLiteral("%1   addebito il %2   %3 per € %4   %5")
                         .arg(f.name, FormatDate(f.due), Counted(debits.size(), QStringLiteral("addebito"),
                                                                 QStringLiteral("addebiti")))
                         .arg(FormatTotal(total), state.join(QStringLiteral(", ")));
            m_fileNames << f.name;
        }
    }
    m_files->setStringList(lines);
    btnRitira->setEnabled(!lines.isEmpty());
    if (!lines.isEmpty())
        lstFile->setCurrentIndex(m_files->index(int(lines.size()) - 1));
}

void TfrmAddebitiSdd::btnRitiraClick() {
    const int row = lstFile->currentIndex().row();
    if (row < 0 || row >= m_fileNames.size()) {
        m_app.messages().Warning(QStringLiteral("Selezionare il file da ritirare."), this);
        return;
    }
    const QString name = m_fileNames[row];
    payments::SddRegister reg;
    QString problem;
    if (!reg.Load(m_app.ProgramFolder(), &problem) ||
        !(problem = reg.WithdrawProblem(name, m_app.clock().Today())).isEmpty()) {
        m_app.messages().Warning(QStringLiteral("Attenzione: il file non può essere ritirato: ") + problem + u'.', this);
        return;
    }
    if (!m_app.messages().Ask(QStringLiteral("Ritirare il file %1?\n\r\n\rVa ritirato solo se non è ancora stato "
                                             "consegnato alla banca: i suoi mesi tornano da pagare e i mandati al "
                                             "primo addebito tornano FRST.")
                                  .arg(name),
                              this))
        return;
    QString error;
    if (!payments::WithdrawSddFile(m_app.ProgramFolder(), name, m_app.clock().Today(), &error)) {
        m_app.messages().Error(QStringLiteral("Attenzione: il file non è stato ritirato; nulla è cambiato.\n\r\n\r") +
                                   error,
                               this);
        return;
    }
    m_app.messages().Information(QStringLiteral("Il file %1 è stato ritirato: i suoi addebiti sono di nuovo da "
                                                "inviare.")
                                     .arg(name),
                                 this);
    Replan();
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
    const QString text =
        QStringLiteral("Creato il file %1 con %2 per € %3.\n\r\n\rIl file deve arrivare alla banca entro il %4, "
                       "almeno un giorno lavorativo prima della data di addebito del %5.")
            .arg(QDir::toNativeSeparators(QFileInfo(r.path).absoluteFilePath()),
                 Counted(count, QStringLiteral("addebito"), QStringLiteral("addebiti")), total,
                 FormatDate(payments::LatestDeliveryDate(due)), FormatDate(due));
    Replan(); // its lines are now in the file: a second press finds nothing left to send
    if (m_app.messages().Choose(text, {QStringLiteral("Apri cartella"), QStringLiteral("OK")}, 1, this) == 0)
        m_app.shell().Open(QDir::toNativeSeparators(QFileInfo(r.path).absolutePath()));
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
