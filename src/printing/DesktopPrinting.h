#pragma once
// Printing on the desktop: a preview window with the template's buttons and QPrintDialog on the system's
// printers and on Qt's print-to-file (PDF) entry.
#include "app/Printing.h"
#include <QString>

class DesktopPrinting : public Printing {
public:
    /// PDFs are proposed in the folder "PDF" of `programFolder` (in the current folder when empty).
    explicit DesktopPrinting(QString programFolder = QString()) : m_programFolder(std::move(programFolder)) {}

    /// The file the print dialog proposes for `report`: <program folder>/PDF/<proposed name>.
    QString PdfPath(const report::PreparedReport& report) const;

    Result Preview(const report::PreparedReport& report, QWidget* parent, QString* error = nullptr) override;
    Result Print(const report::PreparedReport& report, QWidget* parent, QString* error = nullptr) override;

private:
    QString m_programFolder;
};
