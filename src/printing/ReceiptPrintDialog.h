#pragma once
// What the receipt print window and the receipt preview window share: the template, the logo and the
// one action. Each window keeps its own form and names.
#include "printing/PrintWindow.h"
#include "report/ReportTemplate.h"
#include <optional>

class ReceiptPrintDialog : public PrintWindow {
public:
    /// The receipt template this window fills (repDocumento).
    report::ReportTemplate* repDocumento() { return m_rep ? &*m_rep : nullptr; }

protected:
    /// `preview` chooses the preview over the print dialog.
    ReceiptPrintDialog(Carvenna& app, QWidget* parent, bool preview);
    /// Wires the form's controls once setupUi has run: the white panel, the explanatory picture,
    /// the hidden default logo, the logo to print and the two buttons.
    void Setup(QWidget* shpSfondo, QLabel* imgLogo01, const QString& picture, QLabel* imgTemp, QLabel* imgLogo,
               QPushButton* btnAnnulla, QPushButton* btnStampa);

    QWidget* Editor() const override;
    void FormShow() override;
    void Run() override;

private:
    std::optional<report::ReportTemplate> m_rep;
    bool m_preview;
    QLabel* m_imgTemp = nullptr;
    QLabel* m_imgLogo = nullptr;
};
