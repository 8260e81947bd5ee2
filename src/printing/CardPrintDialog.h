#pragma once
// What the card print window and the card preview window share: the template, the photo and the one
// action. The registry editor that opens them is their owner, and its controls are what they print.
#include "printing/PrintWindow.h"
#include "report/ReportTemplate.h"
#include <optional>

class CardPrintDialog : public PrintWindow {
public:
    /// The card template this window fills (repDocumento).
    report::ReportTemplate* repDocumento() { return m_rep ? &*m_rep : nullptr; }

protected:
    /// `editor` is the registry editor, `preview` chooses the preview over the print dialog.
    CardPrintDialog(Carvenna& app, QWidget* editor, bool preview);
    void Setup(QWidget* shpSfondo, QLabel* imgLogo01, const QString& picture, QLabel* imgTemp, QLabel* imgLogo,
               QPushButton* btnAnnulla, QPushButton* btnStampa);

    QWidget* Editor() const override { return parentWidget(); }
    void FormShow() override;
    void Run() override;

private:
    std::optional<report::ReportTemplate> m_rep;
    bool m_preview;
    QLabel* m_imgTemp = nullptr;
    QLabel* m_imgLogo = nullptr;
};
