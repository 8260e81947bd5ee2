#include "fees/Solleciti.h"
#include "widgets/NamedControls.h"
#include "app/Guida.h"
#include "app/KeyboardReach.h"
#include "app/Carvenna.h"
#include "fees/EstrattoConto.h"
#include "fees/FeeDocuments.h"
#include "printing/MailDocument.h"
#include "printing/PdfOutput.h"
#include "app/Printing.h"
#include "report/ReportPainter.h"
#include "storage/JournalLines.h"
#include "storage/SaveFile.h"
#include "storage/Text.h"
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QStringListModel>
#include <QTemporaryDir>
#include <QVBoxLayout>

using namespace fees;

namespace {

QLabel* WrappedLabel(const QString& text, QWidget* parent, const char* name) {
    QLabel* l = NamedLabel(text, parent, name);
    l->setWordWrap(true);
    return l;
}

QListView* List(const QStringList& lines, QWidget* parent, const char* name) {
    auto* v = new QListView(parent);
    v->setObjectName(QLatin1String(name));
    v->setModel(new QStringListModel(lines, v));
    v->setUniformItemSizes(true);
    v->setEditTriggers(QAbstractItemView::NoEditTriggers);
    return v;
}

QString LetterLine(const ReminderLetter& l) {
    QStringList children;
    for (const ReminderChild& c : l.children)
        children << c.child;
    return QStringLiteral("%1 (%2) - %3 - € %4")
        .arg(l.payer, l.taxCode, children.join(QStringLiteral(", ")), AmountText(l.Total()));
}

} // namespace

TfrmSolleciti::TfrmSolleciti(Carvenna& app, const ReminderSet& set, const PaymentSettings& account, QWidget* parent)
    : QDialog(parent), m_app(app), m_set(set), m_account(account) {
    setObjectName(QStringLiteral("TfrmSolleciti"));
    AttachGuide(app, this, GuideTopic::Solleciti); // F1: this window's section of the guide
    setWindowTitle(QStringLiteral("Solleciti"));
    titSolleciti = WrappedLabel(QStringLiteral("Solleciti delle rette fino a %1 %2").arg(set.upTo.Name()).arg(set.upTo.year),
                         this, "titSolleciti");
    QFont title = titSolleciti->font();
    title.setPointSizeF(title.pointSizeF() * 1.5);
    title.setBold(true);
    titSolleciti->setFont(title);
    qint64 total = 0;
    QStringList letters;
    for (const ReminderLetter& l : set.letters) {
        total += l.Total();
        letters << LetterLine(l);
    }
    lblRiepilogo = WrappedLabel(set.letters.size() == 1
                             ? QStringLiteral("Una lettera, totale da pagare € %1.").arg(AmountText(total))
                             : QStringLiteral("%1 lettere, una per pagatore, totale da pagare € %2.")
                                   .arg(set.letters.size())
                                   .arg(AmountText(total)),
                         this, "lblRiepilogo");
    lstLettere = List(letters, this, "lstLettere");
    QStringList skipped;
    for (const ReminderSkip& s : set.skipped)
        skipped << QStringLiteral("Scheda n. %1 - %2 / %3: %4")
                       .arg(s.card)
                       .arg(s.parent.isEmpty() ? QStringLiteral("(genitore non indicato)") : s.parent,
                            s.child.isEmpty() ? QStringLiteral("(minore non indicato)") : s.child, s.reason);
    lblEsclusi = WrappedLabel(skipped.isEmpty() ? QStringLiteral("Nessuna scheda esclusa.")
                                         : QStringLiteral("Schede senza lettera (%1):").arg(skipped.size()),
                       this, "lblEsclusi");
    lstEsclusi = List(skipped, this, "lstEsclusi");
    lstEsclusi->setVisible(!skipped.isEmpty());
    const QString problem = QrProblem(account);
    lblPagamento = WrappedLabel(problem.isEmpty()
                             ? QStringLiteral("Pagamento: bonifico sul conto IBAN %1 intestato a %2, con il codice QR "
                                              "per l'app della banca.")
                                   .arg(account.iban, account.intestatario)
                             : QStringLiteral("Le lettere non riportano l'IBAN né il codice QR per il pagamento: %1. "
                                              "Inserire IBAN e intestatario in \"Dati fiscali\".")
                                   .arg(problem),
                         this, "lblPagamento");
    if (!problem.isEmpty())
        lblPagamento->setStyleSheet(QStringLiteral("color: #B00000;"));

    btnAnteprima = CommandButton(QStringLiteral("Anteprima"), this, "btnAnteprima");
    btnStampa = CommandButton(QStringLiteral("Stampa"), this, "btnStampa");
    btnEmail = CommandButton(QStringLiteral("Invia per e-mail"), this, "btnEmail");
    btnChiudi = CommandButton(QStringLiteral("Chiudi"), this, "btnChiudi");
    for (QPushButton* b : {btnAnteprima, btnStampa, btnEmail})
        b->setEnabled(!set.letters.isEmpty());
    auto* commands = new QHBoxLayout;
    for (QPushButton* b : {btnAnteprima, btnStampa, btnEmail})
        commands->addWidget(b);
    commands->addStretch(1);
    commands->addWidget(btnChiudi);
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(16, 12, 16, 12);
    page->addWidget(titSolleciti);
    page->addWidget(lblRiepilogo);
    page->addWidget(lstLettere, 3);
    page->addWidget(lblEsclusi);
    page->addWidget(lstEsclusi, 1);
    page->addWidget(lblPagamento);
    page->addLayout(commands);
    resize(820, 560);

    connect(btnAnteprima, &QPushButton::clicked, this, &TfrmSolleciti::btnAnteprimaClick);
    connect(btnStampa, &QPushButton::clicked, this, &TfrmSolleciti::btnStampaClick);
    connect(btnEmail, &QPushButton::clicked, this, &TfrmSolleciti::btnEmailClick);
    connect(btnChiudi, &QPushButton::clicked, this, &QDialog::reject);
    lstLettere->setFocus();
    TabLeavesViews(this); // Tab leaves the tables instead of walking their cells
}

TfrmSolleciti::~TfrmSolleciti() = default;

report::PreparedReport TfrmSolleciti::Letters(const QVector<int>& which) const {
    report::PreparedReport doc;
    doc.name = QStringLiteral("Solleciti");
    doc.fileName = RemindersPdfName(m_set.upTo);
    doc.preview.buttons = QStringList{QStringLiteral("print"), QStringLiteral("zoom"), QStringLiteral("close")};
    const DocumentHeading h = FeeDocumentHeading(m_app);
    for (int i : which)
        AppendLetter(doc, m_set.letters[i], m_set.upTo, m_account, h);
    return doc;
}

bool TfrmSolleciti::Note(const QVector<int>& which, const QString& how, QString* problem) {
    QVector<ReminderNote> notes;
    const QDate today = m_app.clock().Today();
    for (int i : which) {
        const ReminderLetter& l = m_set.letters[i];
        notes << ReminderNote{today, l.payer, l.taxCode, l.MonthsText(), l.Total(), how};
    }
    QString error;
    if (NoteReminders(m_app.ProgramFolder(), m_set.upTo.year, notes,
                      {m_app.clock().Now(), WorkstationName(), CurrentUserName()}, &error))
        return true;
    *problem = QStringLiteral("Attenzione: i solleciti sono stati consegnati ma non è stato possibile annotarli nel "
                              "registro dei solleciti.\n\r\n\r") +
               error;
    return false;
}

bool TfrmSolleciti::PrintLetters(const QVector<int>& which) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const report::PreparedReport doc = Letters(which);
    QApplication::restoreOverrideCursor();
    QString error;
    const Printing::Result r = m_app.printing().Print(doc, this, &error);
    if (r == Printing::Result::Failed) {
        m_app.messages().Error(
            QStringLiteral("Attenzione: la stampa dei solleciti non è andata a buon fine.\n\r\n\r") + error, this);
        return false;
    }
    if (r == Printing::Result::Cancelled)
        return false;
    QString problem;
    if (!Note(which, QStringLiteral("stampa"), &problem))
        m_app.messages().Warning(problem, this);
    return true;
}

void TfrmSolleciti::btnAnteprimaClick() {
    QVector<int> all;
    for (int i = 0; i < m_set.letters.size(); ++i)
        all << i;
    QString error;
    const Printing::Result r = m_app.printing().Preview(Letters(all), this, &error);
    if (r == Printing::Result::Failed)
        m_app.messages().Error(
            QStringLiteral("Attenzione: la stampa dei solleciti non è andata a buon fine.\n\r\n\r") + error, this);
    QString problem;
    if (r == Printing::Result::Printed && !Note(all, QStringLiteral("stampa"), &problem))
        m_app.messages().Warning(problem, this);
}

void TfrmSolleciti::btnStampaClick() {
    QVector<int> all;
    for (int i = 0; i < m_set.letters.size(); ++i)
        all << i;
    PrintLetters(all);
}

void TfrmSolleciti::btnEmailClick() {
    const DocumentHeading h = FeeDocumentHeading(m_app);
    const QString school = TrimText(h.school.value(0));
    QVector<int> sent, noAddress;
    QString failure;
    for (int i = 0; i < m_set.letters.size(); ++i) {
        const ReminderLetter& l = m_set.letters[i];
        const QString to = RegistryEmail(m_app.ProgramFolder(), l.taxCode);
        if (!PlausibleEmail(to)) {
            noAddress << i;
            continue;
        }
        report::PreparedReport doc;
        doc.name = QStringLiteral("Sollecito");
        AppendLetter(doc, l, m_set.upTo, m_account, h);
        const QString pdf = QDir(m_app.ProgramFolder()).filePath(QStringLiteral("PDF/") + ReminderPdfName(m_set.upTo, l));
        QString error;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const bool written = WriteDocumentPdf(doc, pdf, &error);
        QApplication::restoreOverrideCursor();
        if (!written) {
            failure = QStringLiteral("Attenzione: non è stato possibile salvare la lettera di %1 in formato PDF.\n\r\n\r")
                          .arg(l.payer) +
                      error;
            break;
        }
        QString body = QStringLiteral("Gentile %1,\n\nin allegato il sollecito di pagamento delle rette fino a %2 %3: "
                                      "restano da pagare € %4.\n\nSe ha già provveduto, non tenga conto di questo "
                                      "messaggio.\n\nCordiali saluti")
                           .arg(l.payer, m_set.upTo.Name())
                           .arg(m_set.upTo.year)
                           .arg(AmountText(l.Total()));
        if (!school.isEmpty())
            body += QStringLiteral("\n") + school;
        if (!m_app.shell().Compose(
                {to, QStringLiteral("Sollecito di pagamento rette %1 %2").arg(m_set.upTo.Name()).arg(m_set.upTo.year),
                 body, pdf},
                &error)) {
            failure = QStringLiteral("Attenzione: non è stato possibile aprire il programma di posta elettronica.\n\r\n\r"
                                     "%1\n\r\n\rLa lettera di %2 è stata salvata nel file %3.")
                          .arg(error, l.payer, QDir::toNativeSeparators(pdf));
            break;
        }
        sent << i;
    }
    // One message for the whole run: what went wrong first, else what was done.
    QString problem;
    if (!sent.isEmpty() && !Note(sent, QStringLiteral("e-mail"), &problem) && failure.isEmpty())
        failure = problem;
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
        names << m_set.letters[i].payer;
    m_app.messages().Information(QStringLiteral("Messaggi preparati: %1.\n\r\n\rPagatori senza indirizzo e-mail, le cui "
                                                "lettere vengono ora stampate:\n\r%2")
                                     .arg(sent.size())
                                     .arg(names.join(QStringLiteral("\n\r"))),
                                 this);
    PrintLetters(noAddress);
}

void ShowReminders(Carvenna& app, QWidget* parent, const QVector<qint64>& cards, const FeeMonth& upTo) {
    if (cards.isEmpty()) {
        app.messages().Warning(QStringLiteral("Solleciti non applicabili: spuntare nell'elenco le righe non pagate da "
                                              "sollecitare."),
                               parent);
        return;
    }
    ReminderSet set;
    QString error;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool ok = LoadReminders(app.ProgramFolder(), cards, upTo, set, &error);
    QApplication::restoreOverrideCursor();
    if (!ok) {
        app.messages().Warning(QStringLiteral("Solleciti non disponibili.\n\r\n\r") + error, parent);
        return;
    }
    TfrmSolleciti window(app, set, LoadPaymentSettings(app.SettingsPath()), parent);
    window.exec();
}
