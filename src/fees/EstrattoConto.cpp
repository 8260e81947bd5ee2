#include "fees/EstrattoConto.h"
#include "widgets/NamedControls.h"
#include "app/Guida.h"
#include "receipts/ReceiptAmount.h"
#include "app/KeyboardReach.h"
#include "app/Carvenna.h"
#include "fees/BonusNido.h"
#include "printing/MailDocument.h"
#include "app/Printing.h"
#include "receipts/ReceiptSettings.h"
#include "receipts/SchoolLines.h"
#include "storage/IniFile.h"
#include "storage/Text.h"
#include <QAbstractTableModel>
#include <QApplication>
#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

using namespace fees;

// The account's rows as the grid shows them: headings and totals in bold, owed amounts in red.
class AccountTableModel : public QAbstractTableModel {
public:
    AccountTableModel(QVector<AccountRow> rows, QObject* parent)
        : QAbstractTableModel(parent), m_rows(std::move(rows)), m_columns(AccountColumns()) {}
    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : m_rows.size(); }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : m_columns.size(); }
    QVariant headerData(int section, Qt::Orientation o, int role) const override {
        if (o == Qt::Horizontal && role == Qt::DisplayRole)
            return m_columns.value(section);
        return {};
    }
    QVariant data(const QModelIndex& i, int role) const override {
        if (!i.isValid() || i.row() >= m_rows.size())
            return {};
        const AccountRow& r = m_rows[i.row()];
        switch (role) {
        case Qt::DisplayRole:
            return r.cells.value(i.column());
        case Qt::TextAlignmentRole:
            return int((i.column() == 1 || i.column() >= 3 ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
        case Qt::FontRole: {
            if (r.kind == AccountRow::Month || r.kind == AccountRow::Reminder || r.kind == AccountRow::Credit ||
                r.kind == AccountRow::Unreadable)
                return {};
            QFont f;
            f.setBold(true);
            return f;
        }
        case Qt::ForegroundRole:
            if (r.kind == AccountRow::Unreadable)
                return QColor(0xB0, 0x40, 0x00);
            if (i.column() == 4 && r.kind != AccountRow::Reminder && !r.cells.value(4).isEmpty() &&
                r.cells.value(4) != QLatin1String("0,00"))
                return QColor(0xC0, 0x00, 0x00);
            return {};
        case Qt::BackgroundRole:
            if (r.kind == AccountRow::Child || r.kind == AccountRow::Total || r.kind == AccountRow::RemindersHeading)
                return QColor(0xE4, 0xEE, 0xF8);
            return {};
        default:
            return {};
        }
    }
    const QVector<AccountRow>& Rows() const { return m_rows; }

private:
    QVector<AccountRow> m_rows;
    QStringList m_columns;
};

namespace {
} // namespace

DocumentHeading FeeDocumentHeading(Carvenna& app) {
    DocumentHeading h;
    h.school = SchoolLines(app.SettingsPath());
    h.date = app.clock().Today();
    return h;
}

TfrmEstrattoConto::TfrmEstrattoConto(Carvenna& app, const FamilyAccount& account, QWidget* parent)
    : QDialog(parent), m_app(app), m_account(account) {
    setObjectName(QStringLiteral("TfrmEstrattoConto"));
    AttachGuide(app, this, GuideTopic::EstrattoConto); // F1: this window's section of the guide
    setWindowTitle(QStringLiteral("Estratto conto"));
    titEstratto = NamedLabel(QStringLiteral("Estratto conto"), this, "titEstratto");
    QFont title = titEstratto->font();
    title.setPointSizeF(title.pointSizeF() * 1.5);
    title.setBold(true);
    titEstratto->setFont(title);
    QString payer = account.payer.isEmpty() ? QStringLiteral("(pagatore non indicato)") : account.payer;
    if (!account.taxCode.isEmpty())
        payer += QStringLiteral(" - codice fiscale ") + account.taxCode;
    const int children = account.sections.size();
    lblPagatore = NamedLabel(QStringLiteral("%1. Rette fino a %2 %3, %4.")
                            .arg(payer, account.upTo.Name())
                            .arg(account.upTo.year)
                            .arg(children == 1 ? QStringLiteral("un minore") : QStringLiteral("%1 minori").arg(children)),
                        this, "lblPagatore");
    QString totals = QStringLiteral("Dovuto: € %1   Pagato: € %2   Da pagare: € %3")
                         .arg(AmountText(account.TotalDue()), AmountText(account.TotalPaid()),
                              AmountText(account.TotalToAsk()));
    if (account.TotalHeld() > 0)
        totals += QStringLiteral("   In addebito SDD: € ") + AmountText(account.TotalHeld());
    if (account.TotalCredit() > 0)
        totals += QStringLiteral("   Credito: € ") + AmountText(account.TotalCredit());
    lblTotali = NamedLabel(totals, this, "lblTotali");
    QFont bold = lblTotali->font();
    bold.setBold(true);
    lblTotali->setFont(bold);

    m_rows = new AccountTableModel(AccountRows(account), this);
    grdConto = new QTableView(this);
    grdConto->setObjectName(QStringLiteral("grdConto"));
    grdConto->setModel(m_rows);
    grdConto->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdConto->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdConto->verticalHeader()->hide();
    grdConto->verticalHeader()->setDefaultSectionSize(grdConto->fontMetrics().height() + 6);
    grdConto->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    grdConto->setColumnWidth(0, 220);
    grdConto->setColumnWidth(1, 90);
    grdConto->setColumnWidth(3, 90);
    grdConto->setColumnWidth(4, 90);
    grdConto->setWordWrap(false);
    // A child's heading and the reminders' heading run across the whole row.
    for (int r = 0; r < m_rows->Rows().size(); ++r)
        if (m_rows->Rows()[r].kind == AccountRow::Child || m_rows->Rows()[r].kind == AccountRow::RemindersHeading)
            grdConto->setSpan(r, 0, 1, m_rows->columnCount());

    btnAnteprima = CommandButton(QStringLiteral("Anteprima"), this, "btnAnteprima");
    btnStampa = CommandButton(QStringLiteral("Stampa"), this, "btnStampa");
    btnEmail = CommandButton(QStringLiteral("Invia per e-mail"), this, "btnEmail");
    btnChiudi = CommandButton(QStringLiteral("Chiudi"), this, "btnChiudi");
    // The family's nursery-bonus documents: until April the year before, when parents send them to INPS.
    btnBonusNido = CommandButton(QStringLiteral("Bonus nido"), this, "btnBonusNido");
    btnBonusNido->setToolTip(QStringLiteral("Attestazioni di pagamento per il bonus nido dei minori della famiglia"));
    spnAnnoBonus = new QSpinBox(this);
    spnAnnoBonus->setObjectName(QStringLiteral("spnAnnoBonus"));
    spnAnnoBonus->setRange(2000, 2999);
    const QDate today = app.clock().Today();
    spnAnnoBonus->setValue(today.month() <= 4 ? today.year() - 1 : today.year());
    spnAnnoBonus->setMinimumHeight(32);
    spnAnnoBonus->setToolTip(QStringLiteral("Anno delle attestazioni per il bonus nido"));
    auto* commands = new QHBoxLayout;
    for (QPushButton* b : {btnAnteprima, btnStampa, btnEmail})
        commands->addWidget(b);
    commands->addSpacing(12);
    commands->addWidget(btnBonusNido);
    commands->addWidget(spnAnnoBonus);
    commands->addStretch(1);
    commands->addWidget(btnChiudi);
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(16, 12, 16, 12);
    page->addWidget(titEstratto);
    page->addWidget(lblPagatore);
    page->addWidget(grdConto, 1);
    page->addWidget(lblTotali);
    page->addLayout(commands);
    resize(900, 560);

    connect(btnAnteprima, &QPushButton::clicked, this, &TfrmEstrattoConto::btnAnteprimaClick);
    connect(btnStampa, &QPushButton::clicked, this, &TfrmEstrattoConto::btnStampaClick);
    connect(btnEmail, &QPushButton::clicked, this, &TfrmEstrattoConto::btnEmailClick);
    connect(btnBonusNido, &QPushButton::clicked, this, &TfrmEstrattoConto::btnBonusNidoClick);
    connect(btnChiudi, &QPushButton::clicked, this, &QDialog::reject);
    grdConto->setFocus();
    TabLeavesViews(this); // Tab leaves the tables instead of walking their cells
}

TfrmEstrattoConto::~TfrmEstrattoConto() = default;

report::PreparedReport TfrmEstrattoConto::Document() const {
    return PrepareAccount(m_account, FeeDocumentHeading(m_app));
}

void TfrmEstrattoConto::btnAnteprimaClick() {
    QString error;
    if (m_app.printing().Preview(Document(), this, &error) == Printing::Result::Failed)
        m_app.messages().Error(QStringLiteral("Attenzione: la stampa dell'estratto conto non è andata a buon "
                                              "fine.\n\r\n\r") +
                                   error,
                               this);
}

void TfrmEstrattoConto::btnStampaClick() {
    QString error;
    if (m_app.printing().Print(Document(), this, &error) == Printing::Result::Failed)
        m_app.messages().Error(QStringLiteral("Attenzione: la stampa dell'estratto conto non è andata a buon "
                                              "fine.\n\r\n\r") +
                                   error,
                               this);
}

void TfrmEstrattoConto::btnEmailClick() {
    const DocumentHeading h = FeeDocumentHeading(m_app);
    QString body = QStringLiteral("Gentile %1,\n\nin allegato l'estratto conto delle rette fino a %2 %3.")
                       .arg(m_account.payer, m_account.upTo.Name())
                       .arg(m_account.upTo.year);
    if (m_account.TotalToAsk() > 0)
        body += QStringLiteral(" Risultano ancora da pagare € %1.").arg(AmountText(m_account.TotalToAsk()));
    body += QStringLiteral("\n\nCordiali saluti");
    const QString school = TrimText(h.school.value(0));
    if (!school.isEmpty())
        body += QStringLiteral("\n") + school;
    MailDocument(m_app, this, PrepareAccount(m_account, h),
                 {m_account.taxCode, QStringLiteral("Estratto conto rette %1").arg(m_account.upTo.year), body});
}

void TfrmEstrattoConto::btnBonusNidoClick() {
    QVector<qint64> cards;
    for (const AccountSection& s : m_account.sections)
        cards << s.card;
    ShowNurseryBonus(m_app, this, spnAnnoBonus->value(), cards);
}

void ShowFamilyAccount(Carvenna& app, QWidget* parent, qint64 card, const FeeMonth& upTo) {
    FamilyAccount account;
    QString error;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool ok = LoadFamilyAccount(app.ProgramFolder(), card, upTo, account, &error);
    QApplication::restoreOverrideCursor();
    if (!ok) {
        app.messages().Warning(QStringLiteral("Estratto conto non disponibile.\n\r\n\r") + error, parent);
        return;
    }
    TfrmEstrattoConto window(app, account, parent);
    window.exec();
}
