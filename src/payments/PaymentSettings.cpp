#include "payments/PaymentSettings.h"
#include "storage/IniFile.h"
#include "storage/Text.h"
#include "validators/Iban.h"

namespace {
const QString kSection = QString::fromLatin1(PaymentsSection);

QString Read(const QString& path, const char* key) {
    return TrimText(IniRead(path, kSection, QString::fromLatin1(key)));
}

QString IbanField(const QString& iban) {
    const IbanResult r = CheckIban(iban);
    return r == IbanResult::Valid ? QString() : QStringLiteral("L'IBAN della scuola ") + IbanProblem(r);
}

QString HolderField(const QString& holder) {
    if (holder.size() > kHolderMaxLength)
        return QStringLiteral("L'intestatario del conto supera i %1 caratteri ammessi (ne ha %2).")
            .arg(kHolderMaxLength)
            .arg(holder.size());
    return QString();
}

QString CreditorField(const QString& id) {
    switch (CheckCreditorId(id)) {
    case CreditorIdResult::Valid:
        return QString();
    case CreditorIdResult::Empty:
        return QStringLiteral("Manca l'identificativo creditore SEPA.");
    case CreditorIdResult::WrongFormat:
        return QStringLiteral("L'identificativo creditore SEPA non ha la forma prevista di 23 caratteri: IT, due cifre "
                              "di controllo, tre caratteri (ZZZ se non usati) e 16 caratteri (il codice fiscale di una "
                              "persona, il codice fiscale o la partita IVA di 11 cifre preceduti da cinque zeri, o il "
                              "codice dato dalla banca).");
    case CreditorIdResult::WrongCheckDigits:
        return QStringLiteral("L'identificativo creditore SEPA ha le cifre di controllo sbagliate.");
    }
    return QString();
}

QString CucField(const QString& cuc) {
    return IsValidCuc(cuc) ? QString()
                           : QStringLiteral("Il codice CUC deve avere esattamente 8 caratteri, lettere o cifre.");
}
} // namespace

QString SddFormatKey(PaymentSettings::SddFormat format) {
    return format == PaymentSettings::SddFormat::Iso ? QStringLiteral("ISO") : QStringLiteral("CBI");
}

PaymentSettings::SddFormat SddFormatFromKey(const QString& key) {
    return UpperAZ(TrimText(key)) == QLatin1String("ISO") ? PaymentSettings::SddFormat::Iso
                                                           : PaymentSettings::SddFormat::Cbi;
}

PaymentSettings LoadPaymentSettings(const QString& iniPath) {
    PaymentSettings s;
    s.iban = NormaliseIban(Read(iniPath, "IBAN"));
    s.intestatario = Read(iniPath, "Intestatario");
    s.creditorId = NormaliseCreditorId(Read(iniPath, "Identificativo creditore"));
    s.cuc = UpperAZ(Read(iniPath, "CUC"));
    s.formato = SddFormatFromKey(Read(iniPath, "Formato SDD"));
    return s;
}

bool SavePaymentSettings(const QString& iniPath, const PaymentSettings& s, QString* error) {
    const QPair<const char*, QString> keys[] = {
        {"IBAN", s.iban},
        {"Intestatario", s.intestatario},
        {"Identificativo creditore", s.creditorId},
        {"CUC", s.cuc},
        {"Formato SDD", SddFormatKey(s.formato)},
    };
    for (const auto& [key, value] : keys)
        if (!IniWrite(iniPath, kSection, QString::fromLatin1(key), TrimText(value), error))
            return false;
    return true;
}

QVector<FieldProblem> PaymentFieldProblems(const PaymentSettings& s) {
    QVector<FieldProblem> out;
    if (!s.iban.isEmpty())
        if (QString p = IbanField(s.iban); !p.isEmpty())
            out << FieldProblem{QStringLiteral("iban"), p};
    if (QString p = HolderField(s.intestatario); !p.isEmpty())
        out << FieldProblem{QStringLiteral("intestatario"), p};
    if (!s.creditorId.isEmpty())
        if (QString p = CreditorField(s.creditorId); !p.isEmpty())
            out << FieldProblem{QStringLiteral("creditorId"), p};
    if (!s.cuc.isEmpty())
        if (QString p = CucField(s.cuc); !p.isEmpty())
            out << FieldProblem{QStringLiteral("cuc"), p};
    return out;
}

QString CheckPaymentSettings(const PaymentSettings& s) {
    return PaymentFieldProblems(s).value(0).message;
}

PaymentSettings KeepRightFields(const PaymentSettings& typed, const PaymentSettings& stored,
                                const QVector<FieldProblem>& problems) {
    PaymentSettings out = typed;
    if (HasProblem(problems, QStringLiteral("iban")))
        out.iban = stored.iban;
    if (HasProblem(problems, QStringLiteral("intestatario")))
        out.intestatario = stored.intestatario;
    if (HasProblem(problems, QStringLiteral("creditorId")))
        out.creditorId = stored.creditorId;
    if (HasProblem(problems, QStringLiteral("cuc")))
        out.cuc = stored.cuc;
    return out;
}

QString CheckTransferAccount(const PaymentSettings& s) {
    if (QString p = IbanField(s.iban); !p.isEmpty())
        return p;
    if (TrimText(s.intestatario).isEmpty())
        return QStringLiteral("Manca l'intestatario del conto della scuola.");
    return HolderField(s.intestatario);
}

QString CheckSddCreditor(const PaymentSettings& s) {
    if (QString p = CheckTransferAccount(s); !p.isEmpty())
        return p;
    if (QString p = CreditorField(s.creditorId); !p.isEmpty())
        return p;
    if (s.formato == PaymentSettings::SddFormat::Cbi)
        return CucField(s.cuc);
    return QString();
}
