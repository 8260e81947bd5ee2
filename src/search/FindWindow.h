#pragma once
// What the receipt and the registry searches share: the criteria panel, the search that fills the list
// and the count under it. Each search names its criteria and reads its own archive.
#include "search/ListWindow.h"

class FindWindow : public ListWindow {
    Q_OBJECT
public:
    CriteriaPanel* panAvvio;
    QLabel* lblTrovate;

protected:
    /// The ListWindow's texts, the criteria panel's ten `fields` and the banner's `title`.
    FindWindow(Carvenna& app, QWidget* parent, const QString& objectName, const QString& caption,
               const QString& printTitle, const QString& pdfName, const QString& hint,
               const std::vector<CriteriaPanel::Field>& fields, const QString& title);
    /// Searches the archive with the ten criteria as typed, in panel order. False when the archive
    /// cannot be read.
    virtual bool Search(const QVector<QString>& criteria, RecordList& found) = 0;
    /// The line under the list for `count` records found.
    virtual QString FoundText(int count) const = 0;

    void showEvent(QShowEvent* e) override;

private slots:
    void FormShow();
    void btnCercaClick();
};
