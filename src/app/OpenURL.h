#pragma once
// Hands a web address, a mailto link or a file to the desktop, and the maker's addresses.
#include <QString>

class Carvenna;

class TMisc {
public:
    /// Asks the desktop to open `command` (a path, possibly in double quotes, a URL or a mailto
    /// link). The result is not looked at: a target that cannot be opened changes nothing.
    static void Open(Carvenna& app, const QString& command);
};

/// The maker of Carvenna, shown in the information and splash windows and the start menu.
namespace Maker {
inline QString Email() { return QStringLiteral("info@carvenna.it"); }
inline QString WebSite() { return QStringLiteral("https://www.carvenna.it"); }
/// The notice after " Carvenna - " in the splash window's caption.
inline QString Notice() { return QStringLiteral("\u00A9 2026 Carvenna Software. Tutti i diritti riservati."); }
} // namespace Maker
