#pragma once
// The printing service: shows a prepared report in a preview window or prints it through the print
// dialog. The desktop implementation uses Qt's preview and print dialogs; tests render to PDF.
#include <QString>

class QWidget;
namespace report {
class PreparedReport;
}

class Printing {
public:
    /// Printed: a preview from which the user printed (Done: closed without printing).
    enum class Result { Done, Cancelled, Failed, Printed };
    virtual ~Printing() = default;

    /// Shows `report` in a modal, maximised preview window at the report's zoom, from which the user may
    /// print; returns when the window is closed, Printed when a print was made from it. Failed sets `error`.
    virtual Result Preview(const report::PreparedReport& report, QWidget* parent, QString* error = nullptr) = 0;
    /// Shows the print dialog (default printer chosen, page range, copies) and prints the chosen pages.
    /// Cancelled when the user closes the dialog without printing; Failed sets `error`.
    virtual Result Print(const report::PreparedReport& report, QWidget* parent, QString* error = nullptr) = 0;
};
