#include "payments/MovimentiBancari.h"
#include "payments/SddRegister.h"
#include "widgets/NamedControls.h"
#include "app/Guida.h"
#include "app/KeyboardReach.h"
#include "app/Carvenna.h"
#include "app/CommonMessages.h"
#include "receipts/ReceiptAmount.h"
#include "receipts/ReceiptSettings.h"
#include "registry/SheetConvert.h"
#include "storage/Dates.h"
#include "storage/IniFile.h"
#include "storage/Text.h"
#include "summary/Takings.h"
#include <QAbstractTableModel>
#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QStringListModel>
#include <QTableView>
#include <QVBoxLayout>

using namespace payments;

// The statement's credits with their proposals; the first column ticks what "Emetti ricevute" issues.
class MovementsModel : public QAbstractTableModel {
public:
    enum Column { ColTick, ColDate, ColAmount, ColPayer, ColText, ColMatch, ColState, ColRule, ColCount };
    MovementsModel(const QVector<Movement>& credits, const QVector<DueCard>& cards, QObject* parent)
        : QAbstractTableModel(parent), m_credits(credits), m_cards(cards) {}
    QVector<Proposal> proposals;
    void Reset() {
        beginResetModel();
        endResetModel();
    }
    void RowChanged(int row) { emit dataChanged(index(row, 0), index(row, ColCount - 1)); }
    int rowCount(const QModelIndex& p) const override { return p.isValid() ? 0 : int(proposals.size()); }
    int columnCount(const QModelIndex& p) const override { return p.isValid() ? 0 : ColCount; }
    Qt::ItemFlags flags(const QModelIndex& i) const override {
        Qt::ItemFlags f = QAbstractTableModel::flags(i);
        const Proposal& p = proposals[i.row()];
        if (i.column() == ColTick && p.card >= 0 && !p.months.isEmpty() && p.state != MatchState::AlreadyRecorded)
            f |= Qt::ItemIsUserCheckable;
        return f;
    }
    QVariant data(const QModelIndex& i, int role) const override {
        if (!i.isValid())
            return {};
        const Proposal& p = proposals[i.row()];
        const Movement& m = m_credits[i.row()];
        if (role == Qt::CheckStateRole && i.column() == ColTick)
            return p.accepted ? Qt::Checked : Qt::Unchecked;
        if (role == Qt::TextAlignmentRole && i.column() == ColAmount)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        if (role == Qt::ForegroundRole && i.column() == ColState)
            return p.state == MatchState::Matched    ? QColor(0, 120, 0)
                   : p.state == MatchState::ToCheck  ? QColor(180, 100, 0)
                   : p.state == MatchState::Unmatched ? QColor(Qt::red)
                                                      : QColor(Qt::gray);
        if (role == Qt::ToolTipRole)
            return p.note.isEmpty() ? p.how : p.note;
        if (role != Qt::DisplayRole)
            return {};
        switch (i.column()) {
        case ColDate: return FormatDate(m.value);
        case ColAmount: return FormatTotal(m.amount);
        case ColPayer: return m.payer;
        case ColText: return m.remittance;
        case ColMatch: {
            if (p.card < 0)
                return QString();
            QStringList months;
            for (const fees::FeeMonth& f : p.months)
                months << QStringLiteral("%1/%2").arg(f.TwoDigits()).arg(f.year);
            return m_cards[p.card].line.child + QStringLiteral(": ") + months.join(QStringLiteral(", "));
        }
        case ColState: return MatchStateText(p.state);
        case ColRule: // what found the card, and which rule chose the months
            return p.card < 0 ? QString() : p.how + QStringLiteral("; ") + p.monthsBy;
        default: return QString();
        }
    }
    bool setData(const QModelIndex& i, const QVariant& v, int role) override {
        if (role != Qt::CheckStateRole || i.column() != ColTick || !(flags(i) & Qt::ItemIsUserCheckable))
            return false;
        proposals[i.row()].accepted = v.toInt() == Qt::Checked;
        emit dataChanged(i, i);
        return true;
    }
    QVariant headerData(int s, Qt::Orientation o, int role) const override {
        if (o != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        static const char* names[] = {"",      "Data",          "Importo", "Chi ha pagato", "Causale", "Minore e mesi",
                                      "Stato", "Abbinato per"};
        return QString::fromUtf8(names[s]);
    }

private:
    const QVector<Movement>& m_credits;
    const QVector<DueCard>& m_cards;
};

namespace {
} // namespace

TfrmMovimentiBancari::TfrmMovimentiBancari(Carvenna& app, int year, const fees::FeeMonth& month, QWidget* parent)
    : QDialog(parent), m_app(app), m_year(year), m_month(month) {
    setObjectName(QStringLiteral("TfrmMovimentiBancari"));
    AttachGuide(app, this, GuideTopic::MovimentiBancari); // F1: this window's section of the guide
    setWindowTitle(QStringLiteral(" Movimenti bancari"));
    titMovimenti = new QLabel(QStringLiteral("Movimenti bancari - ricevute %1").arg(year), this);
    titMovimenti->setObjectName(QStringLiteral("titMovimenti"));
    QFont big = titMovimenti->font();
    big.setPointSize(big.pointSize() + 4);
    big.setBold(true);
    titMovimenti->setFont(big);
    btnApri = NamedButton(QStringLiteral("Apri estratto conto..."), this, "btnApri");
    lblFile = new QLabel(this);
    lblFile->setObjectName(QStringLiteral("lblFile"));
    cmbColonna = new QComboBox(this);
    cmbColonna->setObjectName(QStringLiteral("cmbColonna"));
    cmbRuolo = new QComboBox(this);
    cmbRuolo->setObjectName(QStringLiteral("cmbRuolo"));
    for (CsvRole r : {CsvRole::None, CsvRole::Date, CsvRole::ValueDate, CsvRole::Description, CsvRole::Amount,
                      CsvRole::Credit, CsvRole::Debit, CsvRole::Payer, CsvRole::Currency})
        cmbRuolo->addItem(CsvRoleName(r), int(r));
    btnColonna = NamedButton(QStringLiteral("Cambia colonna"), this, "btnColonna");
    QString dueError;
    m_cards = LoadDueCards(app.ProgramFolder(), month, &dueError);
    if (!dueError.isEmpty())
        app.messages().Warning(QStringLiteral("Attenzione: %1\n\r\n\rNessun movimento può essere abbinato finché "
                                              "l'archivio non si legge.")
                                   .arg(dueError),
                               parent);
    m_model = new MovementsModel(m_data.credits, m_cards, this);
    grdMovimenti = new QTableView(this);
    grdMovimenti->setObjectName(QStringLiteral("grdMovimenti"));
    grdMovimenti->setModel(m_model);
    grdMovimenti->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdMovimenti->setSelectionMode(QAbstractItemView::SingleSelection);
    grdMovimenti->verticalHeader()->hide();
    grdMovimenti->setWordWrap(false);
    grdMovimenti->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    grdMovimenti->horizontalHeader()->setSectionResizeMode(MovementsModel::ColText, QHeaderView::Stretch);
    cmbScheda = new QComboBox(this);
    cmbScheda->setObjectName(QStringLiteral("cmbScheda"));
    cmbScheda->setEditable(true); // typing a name finds the card
    cmbScheda->setInsertPolicy(QComboBox::NoInsert);
    for (int i = 0; i < m_cards.size(); ++i)
        if (!m_cards[i].line.child.isEmpty())
            cmbScheda->addItem(m_cards[i].line.child + QStringLiteral(" (") + m_cards[i].line.parent +
                                   QStringLiteral(")"),
                               i);
    cmbScheda->setMinimumWidth(320);
    btnAbbina = NamedButton(QStringLiteral("Abbina alla scheda"), this, "btnAbbina");
    lstResi = new QListView(this);
    lstResi->setObjectName(QStringLiteral("lstResi"));
    lstResi->setUniformItemSizes(true);
    lstResi->setMaximumHeight(90);
    m_returns = new QStringListModel(this);
    lstResi->setModel(m_returns);
    lblConteggio = new QLabel(this);
    lblConteggio->setObjectName(QStringLiteral("lblConteggio"));
    btnEmetti = NamedButton(QStringLiteral("Emetti ricevute"), this, "btnEmetti");
    btnChiudi = NamedButton(QStringLiteral("Chiudi"), this, "btnChiudi");

    auto* top = new QHBoxLayout;
    top->addWidget(btnApri);
    top->addWidget(lblFile, 1);
    auto* columns = new QHBoxLayout;
    auto* lblColonna = new QLabel(QStringLiteral("Colonna del file:"), this);
    lblColonna->setObjectName(QStringLiteral("lblColonna"));
    columns->addWidget(lblColonna);
    columns->addWidget(cmbColonna, 1);
    columns->addWidget(cmbRuolo, 1);
    columns->addWidget(btnColonna);
    auto* match = new QHBoxLayout;
    auto* lblScheda = new QLabel(QStringLiteral("Movimento selezionato:"), this);
    lblScheda->setObjectName(QStringLiteral("lblScheda"));
    match->addWidget(lblScheda);
    match->addWidget(cmbScheda, 1);
    match->addWidget(btnAbbina);
    auto* commands = new QHBoxLayout;
    commands->addWidget(btnEmetti);
    commands->addWidget(lblConteggio, 1);
    commands->addWidget(btnChiudi);
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(16, 12, 16, 12);
    page->addWidget(titMovimenti);
    page->addLayout(top);
    page->addLayout(columns);
    page->addWidget(grdMovimenti, 1);
    page->addLayout(match);
    auto* lblResi = new QLabel(QStringLiteral("Addebiti SDD respinti o stornati (i loro mesi restano da pagare):"), this);
    lblResi->setObjectName(QStringLiteral("lblResi"));
    page->addWidget(lblResi);
    page->addWidget(lstResi);
    page->addLayout(commands);
    resize(1100, 650);

    connect(btnApri, &QPushButton::clicked, this, &TfrmMovimentiBancari::btnApriClick);
    connect(btnColonna, &QPushButton::clicked, this, &TfrmMovimentiBancari::btnColonnaClick);
    connect(btnAbbina, &QPushButton::clicked, this, &TfrmMovimentiBancari::btnAbbinaClick);
    connect(btnEmetti, &QPushButton::clicked, this, &TfrmMovimentiBancari::btnEmettiClick);
    connect(btnChiudi, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_model, &QAbstractItemModel::dataChanged, this, &TfrmMovimentiBancari::UpdateCount);
    connect(grdMovimenti->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &TfrmMovimentiBancari::grdMovimentiRowChanged);
    for (QWidget* w : std::initializer_list<QWidget*>{cmbColonna, cmbRuolo, btnColonna})
        w->setEnabled(false);
    Show(StatementData{});
    TabLeavesViews(this); // Tab leaves the tables instead of walking their cells
}

TfrmMovimentiBancari::~TfrmMovimentiBancari() = default;

const QVector<Proposal>& TfrmMovimentiBancari::Proposals() const {
    return m_model->proposals;
}

void TfrmMovimentiBancari::btnApriClick() {
    const QString path = m_app.fileDialogs().Open(
        this, QStringLiteral("Apri l'estratto conto"),
        QStringLiteral("Estratti conto (*.xml *.csv *.txt *.xlsx *.xls *.ods);;Tutti i file (*)"), m_app.ProgramFolder());
    if (!path.isEmpty())
        LoadStatement(path);
}

bool TfrmMovimentiBancari::LoadStatement(const QString& path) {
    m_sheet = CsvSheet{};
    m_roles.clear();
    const StatementData data = ReadStatementFile(path, FindOffice(), m_app.programs(), &m_sheet, &m_roles);
    m_path = path;
    lblFile->setText(QFileInfo(path).fileName() + (data.format.isEmpty() ? QString() : QStringLiteral(" (") + data.format + u')'));
    cmbColonna->clear();
    if (!m_sheet.rows.isEmpty())
        for (int c = 0; c < m_sheet.rows.first().size(); ++c)
            cmbColonna->addItem(m_sheet.rows.first()[c] + QStringLiteral(": ") + CsvRoleName(m_roles.value(c)), c);
    // The columns can be changed only for a CSV or spreadsheet.
    for (QWidget* w : std::initializer_list<QWidget*>{cmbColonna, cmbRuolo, btnColonna})
        w->setEnabled(!m_sheet.rows.isEmpty());
    if (!data.error.isEmpty()) {
        m_app.messages().Warning(QStringLiteral("Attenzione: %1: %2\n\r\n\rNessuna ricevuta verrà emessa.")
                                     .arg(QFileInfo(path).fileName(), data.error),
                                 this);
        Show(StatementData{});
        return false;
    }
    Show(data);
    return true;
}

void TfrmMovimentiBancari::btnColonnaClick() {
    if (m_sheet.rows.isEmpty()) {
        m_app.messages().Warning(QStringLiteral("Attenzione: le colonne si scelgono per un estratto conto in CSV o in "
                                                "un foglio di lavoro."),
                                 this);
        return;
    }
    const int c = cmbColonna->currentData().toInt();
    const auto role = CsvRole(cmbRuolo->currentData().toInt());
    // A role belongs to one column: the one chosen takes it from any other.
    for (CsvRole& r : m_roles)
        if (r == role && role != CsvRole::Description)
            r = CsvRole::None;
    while (m_roles.size() <= c)
        m_roles << CsvRole::None;
    m_roles[c] = role;
    cmbColonna->setItemText(cmbColonna->currentIndex(), m_sheet.rows.first().value(c) + QStringLiteral(": ") + CsvRoleName(role));
    for (int i = 0; i < cmbColonna->count(); ++i) {
        const int col = cmbColonna->itemData(i).toInt();
        cmbColonna->setItemText(i, m_sheet.rows.first().value(col) + QStringLiteral(": ") + CsvRoleName(m_roles.value(col)));
    }
    const StatementData data = ReadBankCsv(m_sheet, m_roles);
    if (!data.error.isEmpty()) {
        m_app.messages().Warning(QStringLiteral("Attenzione: ") + data.error, this);
        Show(StatementData{});
        return;
    }
    Show(data);
}

void TfrmMovimentiBancari::Show(const StatementData& data) {
    m_data = data;
    if (!m_data.credits.isEmpty() || !m_data.returns.isEmpty()) {
        // What the statement says of our direct debits goes into their register first: a returned
        // debit frees its month (and a returned FRST stays FRST) before the months are matched.
        StatementNote note;
        QString error;
        if (!NoteStatement(m_app.ProgramFolder(), m_data, &note, &error))
            m_app.messages().Warning(QStringLiteral("Attenzione: gli esiti degli addebiti SDD non sono stati "
                                                    "registrati.\n\r\n\r") +
                                         error,
                                     this);
        else // a debit returned, or one the statement shows lapsed, is owed again
            m_cards = LoadDueCards(m_app.ProgramFolder(), m_month);
    }
    m_model->proposals = MatchMovements(m_data.credits, m_cards, UsedMovements(m_app.ProgramFolder(), m_year));
    m_model->Reset();
    QStringList returns;
    for (const ReturnedDebit& r : m_data.returns)
        returns << QStringLiteral("%1   € %2   %3   %4: %5")
                       .arg(FormatDate(r.booked), FormatTotal(r.amount), r.payer, r.endToEnd, r.reason);
    m_returns->setStringList(returns);
    UpdateCount();
}

void TfrmMovimentiBancari::UpdateCount() {
    int counts[4] = {0, 0, 0, 0}, accepted = 0;
    qint64 total = 0;
    for (int i = 0; i < m_model->proposals.size(); ++i) {
        const Proposal& p = m_model->proposals[i];
        ++counts[int(p.state)];
        if (p.accepted) {
            ++accepted;
            total += m_data.credits[i].amount;
        }
    }
    lblConteggio->setText(QStringLiteral("Abbinati: %1   Da verificare: %2   Non abbinati: %3   Già registrati: %4   "
                                         "Da emettere: %5 per € %6")
                              .arg(counts[0])
                              .arg(counts[1])
                              .arg(counts[2])
                              .arg(counts[3])
                              .arg(accepted)
                              .arg(FormatTotal(total)));
    btnEmetti->setEnabled(accepted > 0);
}

void TfrmMovimentiBancari::grdMovimentiRowChanged() {
    // The card offered is the selected movement's own, never the one of the row seen before.
    const int row = grdMovimenti->currentIndex().row();
    const int card = row >= 0 && row < m_model->proposals.size() ? m_model->proposals[row].card : -1;
    const int at = card >= 0 ? cmbScheda->findData(card) : -1;
    cmbScheda->setCurrentIndex(at);
    if (at < 0)
        cmbScheda->setEditText(QString());
}

void TfrmMovimentiBancari::btnAbbinaClick() {
    const int row = grdMovimenti->currentIndex().row();
    const int card = cmbScheda->currentData().isValid() ? cmbScheda->currentData().toInt() : -1;
    if (row < 0 || card < 0) {
        m_app.messages().Warning(QStringLiteral("Attenzione: selezionare un movimento e la scheda a cui abbinarlo."),
                                 this);
        return;
    }
    Proposal& p = m_model->proposals[row];
    if (p.state == MatchState::AlreadyRecorded) {
        m_app.messages().Warning(QString::fromUtf8("Attenzione: il movimento è già stato registrato con una ricevuta."),
                                 this);
        return;
    }
    AssignCard(p, m_data.credits[row], m_cards, card);
    if (p.months.isEmpty())
        m_app.messages().Warning(QStringLiteral("Attenzione: la scheda scelta non ha mesi da pagare."), this);
    m_model->RowChanged(row);
    UpdateCount();
}

void TfrmMovimentiBancari::btnEmettiClick() {
    int count = 0, otherYear = 0;
    for (int i = 0; i < m_model->proposals.size(); ++i)
        if (m_model->proposals[i].accepted) {
            if (m_data.credits[i].value.year() == m_year)
                ++count;
            else
                ++otherYear;
        }
    if (count == 0) {
        m_app.messages().Warning(QStringLiteral("Attenzione: nessun movimento spuntato con data valuta nel %1.").arg(m_year),
                                 this);
        return;
    }
    const QString ini = m_app.SettingsPath();
    const std::optional<qint64> start = ReadNumberingStart(ini).start;
    if (!start) {
        m_app.messages().Error(ArchiveAccessError(), this);
        return;
    }
    QString question = QStringLiteral("Emettere %1 ricevute dei movimenti spuntati?").arg(count);
    if (otherYear > 0)
        question += QStringLiteral("\n\r\n\r%1 movimenti con data valuta in un altro anno restano fuori.").arg(otherYear);
    if (!m_app.messages().Confirm(question, this))
        return;
    const QStringList receiver = ReadReceiverLines(ini);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const PaymentIssue r =
        IssuePayments(m_app.ProgramFolder(), m_year, m_data.credits, m_model->proposals, m_cards, receiver, *start);
    QApplication::restoreOverrideCursor();
    if (!r.ok) {
        m_app.messages().Warning(ArchiveAccessError() +
                                     QStringLiteral("\n\r\n\rNessuna ricevuta è stata emessa: l'archivio è rimasto "
                                                    "com'era e nessun numero è stato usato."),
                                 this);
        return;
    }
    m_app.messages().Information(QStringLiteral("Emesse %1 ricevute: dalla n. %2 alla n. %3.")
                                     .arg(r.issued.size())
                                     .arg(r.firstNumber)
                                     .arg(r.firstNumber + r.issued.size() - 1),
                                 this);
    // What is now paid and used shows at once: the cards' months and the movements again.
    m_cards = LoadDueCards(m_app.ProgramFolder(), m_month);
    Show(m_data);
}
