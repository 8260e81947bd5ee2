#pragma once
// Printing on the desktop: a preview window with the template's buttons and QPrintDialog on the system's printers.
#include "printing/Printing.h"

class DesktopPrinting : public Printing {
public:
    Result Preview(const report::PreparedReport& report, QWidget* parent, QString* error = nullptr) override;
    Result Print(const report::PreparedReport& report, QWidget* parent, QString* error = nullptr) override;
};
