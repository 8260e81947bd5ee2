#pragma once
// Whether a payer's code is a VAT number or a tax code, and whether it is right: the one rule that
// the receipt and registry editors, the month's fees, the card import and the invoices ask.
#include <QString>

enum class PayerCodeKind {
    None,      ///< blank: no code given
    VatNumber, ///< digits only (partita IVA)
    TaxCode    ///< anything else (codice fiscale)
};

/// A payer code as read.
struct PayerCode {
    QString code;                          ///< blanks around removed, a-z in capitals
    PayerCodeKind kind = PayerCodeKind::None;
    bool valid = false;       ///< VAT number: 11 digits with their check digit; tax code: 16 characters with
                              ///< their check letter; never for None
    bool wrongLength = false; ///< a tax code of other than 16 characters
};

/// Reads `typed` as the editors fold it (blanks around ignored, lower case letters as capitals). A code
/// of digits only is a VAT number, of any length, so that ten digits are a wrong VAT number and not a
/// wrong tax code; blanks inside make a tax code, and a wrong one.
PayerCode ReadPayerCode(const QString& typed);

/// Why a payer's tax code or VAT number is missing or wrong, as the office is told ("manca il codice
/// fiscale del pagatore."); empty when it is valid.
QString CheckPayerCode(const QString& typed);
