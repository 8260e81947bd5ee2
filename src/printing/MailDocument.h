#pragma once
// Sending a printed document by e-mail: its PDF goes to the program folder's PDF/ as a print to file
// does, then the desktop's mail program opens on a new message to the payer with the PDF attached.
#include <QString>

class Carvenna;
class QWidget;
namespace report {
class PreparedReport;
}

/// The e-mail address on the registry card with `taxCode` (blanks and letter case ignored); of several
/// such cards, the last one that gives an address. Empty when none does or the registry cannot be read.
QString RegistryEmail(const QString& programFolder, const QString& taxCode);

/// Whether `address` can be handed to the mail program: one '@' with text on both sides, no blanks
/// and none of the characters that separate addresses.
bool PlausibleEmail(const QString& address);

/// Writes the PDF of `doc` at `path` through a temporary file that replaces `path` only once it is
/// complete, creating its folder; false with an Italian `error` otherwise.
bool WriteDocumentPdf(const report::PreparedReport& doc, const QString& path, QString* error);

struct MailRequest {
    QString taxCode; // of the payer, to find the address in the registry
    QString subject, body;
};

/// Finds the payer's address (asking for it when the registry has none), writes `doc` to PDF/ under its
/// proposed file name and opens the mail program with it attached. Every failure is shown to the user;
/// a cancelled address ends it without a word and without writing. True when the mail program opened.
bool MailDocument(Carvenna& app, QWidget* window, const report::PreparedReport& doc, const MailRequest& mail);
