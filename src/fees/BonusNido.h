#pragma once
// "Bonus nido": the nursery-bonus documents of a year, one per family, from the year window for the
// whole school and from "Estratto conto" for one family. The children listed with their months and
// amounts, those without a right tax code in red and listed apart; PDFs in PDF/Bonus_nido/<anno>/, a
// print of every document in one job, or one e-mail per payer with its document attached.
#include "fees/BonusDocuments.h"
#include "fees/NurseryBonus.h"
#include <QDialog>

class Carvenna;
class QLabel;
class QListView;
class QPushButton;
class BonusChildModel;

class TfrmBonusNido : public QDialog {
    Q_OBJECT
public:
    TfrmBonusNido(Carvenna& app, const fees::BonusSet& set, QWidget* parent);
    ~TfrmBonusNido() override;

    QLabel* titBonus;
    QLabel* lblRiepilogo;
    QLabel* lblScuola;
    QListView* lstMinori;
    QLabel* lblMancanti;
    QListView* lstMancanti;
    QPushButton* btnAnteprima;
    QPushButton* btnCreaPdf;
    QPushButton* btnStampa;
    QPushButton* btnEmail;
    QPushButton* btnChiudi;

    const fees::BonusSet& Set() const { return m_set; }
    /// Every family's documents as one report, in list order.
    report::PreparedReport Documents() const;
    /// The PDF of family `i`: PDF/Bonus_nido/<anno>/Bonus_nido_<anno>_<payer>.pdf.
    QString PdfPath(int family) const;

private slots:
    void btnAnteprimaClick();
    void btnCreaPdfClick();
    void btnStampaClick();
    void btnEmailClick();

private:
    bool PrintFamilies(const QVector<int>& which);
    /// Writes the PDF of each of `which`; false, after telling the office, at the first that fails.
    bool WritePdfs(const QVector<int>& which);
    Carvenna& m_app;
    fees::BonusSet m_set;
    fees::DocumentHeading m_heading;
};

/// Reads the documents of `year` for the cards `cards` (1-based; empty: the whole school) and shows them;
/// says why when the files cannot be read or nobody paid in the year.
void ShowNurseryBonus(Carvenna& app, QWidget* parent, int year, const QVector<qint64>& cards);
