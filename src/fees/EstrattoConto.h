#pragma once
// "Estratto conto": a family's account on screen, month by month for each child of the payer, with
// its totals and the reminders sent; preview, print and e-mail of the same account as a document.
// Opened from the registry editor for the displayed card and from "Rette del mese" for the selected
// line, shown modally.
#include "fees/FamilyAccount.h"
#include "fees/FeeDocuments.h"
#include <QDialog>

class Carvenna;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableView;
class AccountTableModel;

class TfrmEstrattoConto : public QDialog {
    Q_OBJECT
public:
    /// The account of card `card` (1-based) and its siblings up to `upTo`, already read.
    TfrmEstrattoConto(Carvenna& app, const fees::FamilyAccount& account, QWidget* parent);
    ~TfrmEstrattoConto() override;

    QLabel* titEstratto;
    QLabel* lblPagatore;
    QLabel* lblTotali;
    QTableView* grdConto;
    QPushButton* btnAnteprima;
    QPushButton* btnStampa;
    QPushButton* btnEmail;
    QPushButton* btnChiudi;
    QPushButton* btnBonusNido;
    QSpinBox* spnAnnoBonus;

    const fees::FamilyAccount& Account() const { return m_account; }
    /// The account as it is printed and sent.
    report::PreparedReport Document() const;

private slots:
    void btnAnteprimaClick();
    void btnStampaClick();
    void btnEmailClick();
    void btnBonusNidoClick();

private:
    Carvenna& m_app;
    fees::FamilyAccount m_account;
    AccountTableModel* m_rows;
};

/// The school's lines of the receipts and today's date, as the account and the letters print them.
fees::DocumentHeading FeeDocumentHeading(Carvenna& app);

/// Reads the account of card `card` up to `upTo` and shows it; when it cannot be read, says why.
void ShowFamilyAccount(Carvenna& app, QWidget* parent, qint64 card, const fees::FeeMonth& upTo);
