#include "validators/PayerCode.h"
#include "storage/Text.h"
#include "validators/TaxCode.h"
#include "validators/VatNumber.h"

PayerCode ReadPayerCode(const QString& typed) {
    PayerCode p;
    p.code = UpperAZ(TrimText(typed));
    if (p.code.isEmpty())
        return p;
    bool digits = true;
    for (QChar c : p.code)
        digits = digits && c >= u'0' && c <= u'9';
    if (digits) {
        p.kind = PayerCodeKind::VatNumber;
        p.valid = IsValidVatNumber(p.code);
        return p;
    }
    p.kind = PayerCodeKind::TaxCode;
    const TaxCodeResult r = CheckTaxCode(p.code);
    p.valid = r == TaxCodeResult::Valid;
    p.wrongLength = r == TaxCodeResult::WrongLength;
    return p;
}

QString CheckPayerCode(const QString& typed) {
    const PayerCode p = ReadPayerCode(typed);
    if (p.kind == PayerCodeKind::None)
        return QStringLiteral("manca il codice fiscale del pagatore.");
    if (p.valid)
        return QString();
    if (p.kind == PayerCodeKind::VatNumber)
        return QStringLiteral("la partita IVA del pagatore \"%1\" non è valida.").arg(p.code);
    return QStringLiteral("il codice fiscale del pagatore \"%1\" non è valido.").arg(p.code);
}
