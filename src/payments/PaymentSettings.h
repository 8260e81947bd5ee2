#pragma once
// The school's data for being paid, kept in Trelvani.ini, section "Pagamenti": the account that
// transfers go to and direct debits are collected on, its holder, the SEPA creditor identifier,
// the CBI company code and the format of the direct-debit file. Typed in "Dati fiscali".
#include "validators/FieldProblem.h"
#include <QString>

struct PaymentSettings {
    enum class SddFormat { Cbi, Iso };

    QString iban;          // normalised (no blanks, upper case)
    QString intestatario;  // account holder, as printed on reminders and in the payment QR code
    QString creditorId;    // "Identificativo creditore", 23 characters: IT15ZZZ0000090012340403
    QString cuc;           // CBI company code, 8 characters
    SddFormat formato = SddFormat::Cbi;
};

inline constexpr const char* PaymentsSection = "Pagamenti";
/// The most characters of the holder: the beneficiary name of the EPC payment QR code.
inline constexpr int kHolderMaxLength = 70;

/// Reads the section; missing keys give empty fields and the CBI format.
PaymentSettings LoadPaymentSettings(const QString& iniPath);
/// Writes every key of the section; every other line of the file stays as it was.
bool SavePaymentSettings(const QString& iniPath, const PaymentSettings& settings, QString* error = nullptr);

/// The keys' texts of the format ("CBI", "ISO") and back; anything but ISO reads as CBI.
QString SddFormatKey(PaymentSettings::SddFormat format);
PaymentSettings::SddFormat SddFormatFromKey(const QString& key);

/// Checks what is typed in "Dati fiscali": every field may be blank, but what is there must be right
/// (IBAN check digits, holder length, creditor identifier, CUC). The first problem, naming its field,
/// or an empty text.
QString CheckPaymentSettings(const PaymentSettings& settings);
/// Every field typed wrongly, in the window's order ("iban", "intestatario", "creditorId", "cuc").
QVector<FieldProblem> PaymentFieldProblems(const PaymentSettings& settings);
/// `typed` with each field named in `problems` taken back from `stored`: what "Dati fiscali" keeps,
/// so that a wrong field never stops the right ones from being kept.
PaymentSettings KeepRightFields(const PaymentSettings& typed, const PaymentSettings& stored,
                                const QVector<FieldProblem>& problems);

/// Checks the account a transfer or a payment QR code needs: IBAN and holder present and right.
QString CheckTransferAccount(const PaymentSettings& settings);

/// Checks what a direct-debit file needs: IBAN, holder, creditor identifier, and the CUC for the CBI
/// format. The first problem, naming its field, or an empty text.
QString CheckSddCreditor(const PaymentSettings& settings);
