#pragma once
// The bank statement as the office downloads it: ISO 20022 camt.053 (bare, or inside the Italian
// banks' CBI envelope) or the CSV export of home banking (columns guessed, and changeable). Each
// incoming credit becomes one movement; returned or rejected direct debits are listed with the reason.
#include "registry/SheetRead.h"
#include <QDate>
#include <QString>
#include <QVector>

namespace payments {

struct Movement {
    QDate booked, value;
    qint64 amount = 0;  // ten-thousandths, always positive
    QString payer;      // the ordering party (Dbtr/Nm), when the bank gives it
    QString remittance; // Ustrd lines joined, or the CSV description
    QString endToEnd;   // of a collected or returned direct debit
    QString bankRef;    // the bank's reference of the entry or transaction; empty in most CSVs
    bool directDebit = false; // a collection of ours (an end-to-end id or an SDD bank code)
};

struct ReturnedDebit {
    QDate booked;
    qint64 amount = 0;
    QString endToEnd, payer, reasonCode, reason; // reason: the code's meaning in Italian
};

struct StatementData {
    QString error; // why the file cannot be used; empty when it was read
    QString format; // "camt.053", "camt.053 (CBI)" or "CSV"
    QVector<Movement> credits;
    QVector<ReturnedDebit> returns;
    int debits = 0; // other debits, not ours, left out
};

/// Reads a camt.053 statement. Refuses, with the reason: a text that is not XML or is cut short
/// (damaged), an XML that is not a bank-to-customer statement, an account or entry in another currency
/// than the euro, a statement without any credit.
StatementData ReadCamt053(const QByteArray& xml);

/// The roles a CSV column can play.
enum class CsvRole { None, Date, ValueDate, Description, Amount, Debit, Credit, Payer, Currency };
/// The role of each header cell: "Data valuta" is the value date, "Data"/"Data contabile"/"Data operazione"
/// the booking date, "Descrizione"/"Causale"/"Dettagli" the description, "Importo" a signed amount,
/// "Dare"/"Addebiti"/"Uscite" and "Avere"/"Accrediti"/"Entrate" the two one-sided amounts, "Ordinante" the
/// payer, "Divisa" the currency. Letter case, accents and punctuation are ignored.
QVector<CsvRole> GuessCsvRoles(const QStringList& header);
/// The Italian name of a role, for the column choosers.
QString CsvRoleName(CsvRole role);

/// An amount as banks export it: "1.234,56", "-50,00", "1234.56", "+250,00", "€ 250,00", "(50,00)".
/// Ten-thousandths with its sign; nothing for text that is not an amount.
std::optional<qint64> ParseBankAmount(const QString& text);

/// Reads the rows of a CSV export with the given roles (the first row is the header). Needs a date and
/// either a signed amount or the two one-sided columns. Rows whose date or amount cannot be read are
/// counted in `skipped`; refuses a sheet without credits or with another currency.
StatementData ReadBankCsv(const CsvSheet& sheet, const QVector<CsvRole>& roles, int* skipped = nullptr);

/// Reads a statement file: XML as camt.053, anything else as a CSV or spreadsheet (LibreOffice at `office`,
/// run by `runner`, converts .ods/.xlsx/.xls). For a CSV, `sheet` and `roles` get what was read and guessed,
/// so the window can let the office change the columns and read again.
StatementData ReadStatementFile(const QString& path, const QString& office, ProgramRunner& runner,
                                CsvSheet* sheet = nullptr, QVector<CsvRole>* roles = nullptr);

/// The Italian meaning of an ISO return reason code ("AM04": "fondi insufficienti"); the code itself
/// when it is not in the table.
QString ReturnReasonText(const QString& code);

} // namespace payments
