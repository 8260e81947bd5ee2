#pragma once
// "Solleciti": the reminder letters of the ticked lines of "Rette del mese" that are not fully paid,
// one per payer; the cards that cannot have one, named with the reason; print of every letter in one
// job, or one e-mail per payer with the letter attached (the payers without an address printed).
// Every letter handed over is noted in the reminders' journal.
#include "fees/Reminders.h"
#include "payments/PaymentSettings.h"
#include "report/PreparedReport.h"
#include <QDialog>

class Carvenna;
class QLabel;
class QListView;
class QPushButton;
class QStringListModel;

class TfrmSolleciti : public QDialog {
    Q_OBJECT
public:
    TfrmSolleciti(Carvenna& app, const fees::ReminderSet& set, const PaymentSettings& account, QWidget* parent);
    ~TfrmSolleciti() override;

    QLabel* titSolleciti;
    QLabel* lblRiepilogo;
    QListView* lstLettere;
    QLabel* lblEsclusi;
    QListView* lstEsclusi;
    QLabel* lblPagamento;
    QPushButton* btnAnteprima;
    QPushButton* btnStampa;
    QPushButton* btnEmail;
    QPushButton* btnChiudi;

    const fees::ReminderSet& Set() const { return m_set; }
    /// The letters of `which` (indexes into the set's letters) as one document.
    report::PreparedReport Letters(const QVector<int>& which) const;

private slots:
    void btnAnteprimaClick();
    void btnStampaClick();
    void btnEmailClick();

private:
    bool PrintLetters(const QVector<int>& which);
    /// Notes the letters of `which` as sent by `how`; false with the message in `problem`.
    bool Note(const QVector<int>& which, const QString& how, QString* problem);
    Carvenna& m_app;
    fees::ReminderSet m_set;
    PaymentSettings m_account;
};

/// Reads what the cards `cards` (1-based) owe up to `upTo` and shows their letters; says why when the
/// files cannot be read or no card was chosen.
void ShowReminders(Carvenna& app, QWidget* parent, const QVector<qint64>& cards, const fees::FeeMonth& upTo);
