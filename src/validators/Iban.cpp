#include "validators/Iban.h"
#include <QHash>

namespace {
bool IsAZ09(QChar c) {
    const ushort u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z');
}
bool IsDigit(QChar c) {
    return c.unicode() >= '0' && c.unicode() <= '9';
}

const QHash<QString, int>& Lengths() {
    // The IBAN registry's countries and their lengths.
    static const QHash<QString, int> table = {
        {"AD", 24}, {"AE", 23}, {"AL", 28}, {"AT", 20}, {"AZ", 28}, {"BA", 20}, {"BE", 16}, {"BG", 22},
        {"BH", 22}, {"BR", 29}, {"BY", 28}, {"CH", 21}, {"CR", 22}, {"CY", 28}, {"CZ", 24}, {"DE", 22},
        {"DK", 18}, {"DO", 28}, {"EE", 20}, {"EG", 29}, {"ES", 24}, {"FI", 18}, {"FO", 18}, {"FR", 27},
        {"GB", 22}, {"GE", 22}, {"GI", 23}, {"GL", 18}, {"GR", 27}, {"GT", 28}, {"HR", 21}, {"HU", 28},
        {"IE", 22}, {"IL", 23}, {"IQ", 23}, {"IS", 26}, {"IT", 27}, {"JO", 30}, {"KW", 30}, {"KZ", 20},
        {"LB", 28}, {"LC", 32}, {"LI", 21}, {"LT", 20}, {"LU", 20}, {"LV", 21}, {"MC", 27}, {"MD", 24},
        {"ME", 22}, {"MK", 19}, {"MR", 27}, {"MT", 31}, {"MU", 30}, {"NL", 18}, {"NO", 15}, {"PK", 24},
        {"PL", 28}, {"PS", 29}, {"PT", 25}, {"QA", 29}, {"RO", 24}, {"RS", 22}, {"SA", 24}, {"SC", 31},
        {"SE", 24}, {"SI", 19}, {"SK", 24}, {"SM", 27}, {"ST", 25}, {"SV", 28}, {"TL", 23}, {"TN", 24},
        {"TR", 26}, {"UA", 29}, {"VA", 22}, {"VG", 24}, {"XK", 20},
    };
    return table;
}
} // namespace

QString NormaliseIban(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (c.unicode() <= ' ' || c == QLatin1Char('-') || c.unicode() == 0xA0)
            continue;
        const ushort u = c.unicode();
        out += (u >= 'a' && u <= 'z') ? QChar(u - 32) : c;
    }
    return out;
}

int Mod97(const QString& text) {
    int r = 0;
    for (QChar c : text) {
        const ushort u = c.unicode();
        if (u >= '0' && u <= '9')
            r = (r * 10 + (u - '0')) % 97;
        else if (u >= 'A' && u <= 'Z')
            r = (r * 100 + (u - 'A' + 10)) % 97;
        else
            return -1;
    }
    return r;
}

int IbanLength(const QString& country) {
    return Lengths().value(country, 0);
}

IbanResult CheckIban(const QString& iban) {
    if (iban.isEmpty())
        return IbanResult::Empty;
    for (QChar c : iban)
        if (!IsAZ09(c))
            return IbanResult::BadCharacters;
    const QString country = iban.left(2);
    const int length = iban.size() >= 2 && country[0].isLetter() && country[1].isLetter() ? IbanLength(country) : 0;
    if (length == 0)
        return IbanResult::UnknownCountry;
    if (iban.size() != length)
        return IbanResult::WrongLength;
    if (!IsDigit(iban[2]) || !IsDigit(iban[3]))
        return IbanResult::WrongFormat;
    if (country == QLatin1String("IT") || country == QLatin1String("SM")) {
        // CIN letter, ABI and CAB of five digits each, then the account.
        bool ok = iban[4].isLetter();
        for (int i = 5; i < 15 && ok; ++i)
            ok = IsDigit(iban[i]);
        if (!ok)
            return IbanResult::WrongFormat;
    }
    return Mod97(iban.mid(4) + iban.left(4)) == 1 ? IbanResult::Valid : IbanResult::WrongCheckDigits;
}

QString IbanProblem(IbanResult result) {
    switch (result) {
    case IbanResult::Valid:
        return QString();
    case IbanResult::Empty:
        return QStringLiteral("manca.");
    case IbanResult::BadCharacters:
        return QStringLiteral("contiene caratteri diversi da lettere e cifre.");
    case IbanResult::UnknownCountry:
        return QStringLiteral("non inizia con la sigla di un Paese che usa l'IBAN.");
    case IbanResult::WrongLength:
        return QStringLiteral("non ha la lunghezza prevista per il suo Paese (27 caratteri per l'Italia).");
    case IbanResult::WrongFormat:
        return QStringLiteral("non ha la forma prevista (per l'Italia: IT, due cifre, una lettera, ABI, CAB e conto).");
    case IbanResult::WrongCheckDigits:
        return QStringLiteral("ha le cifre di controllo sbagliate: verificare di averlo copiato esattamente.");
    }
    return QString();
}

QString GroupIban(const QString& iban) {
    QString out;
    for (int i = 0; i < iban.size(); ++i) {
        if (i > 0 && i % 4 == 0)
            out += QLatin1Char(' ');
        out += iban[i];
    }
    return out;
}

QString MaskIban(const QString& iban) {
    if (iban.size() <= 8)
        return GroupIban(iban);
    QString masked = iban;
    for (int i = 4; i < iban.size() - 4; ++i)
        masked[i] = QLatin1Char('*');
    return GroupIban(masked);
}

QString NormaliseCreditorId(const QString& text) {
    const QString id = NormaliseIban(text);
    // The old short form (an 11-digit code without its five zeros) is the same identifier: the zeros on
    // the left change neither the number nor its check digits.
    if (id.size() == 18 && id.startsWith(QLatin1String("IT")))
        return id.left(7) + QStringLiteral("00000") + id.mid(7);
    return id;
}

CreditorIdResult CheckCreditorId(const QString& id) {
    if (id.isEmpty())
        return CreditorIdResult::Empty;
    if (id.size() != 23 || id.left(2) != QLatin1String("IT") || !IsDigit(id[2]) || !IsDigit(id[3]))
        return CreditorIdResult::WrongFormat;
    for (QChar c : id)
        if (!IsAZ09(c))
            return CreditorIdResult::WrongFormat;
    // ISO 7064 MOD 97-10 over the national identifier, then the country and the check digits; the
    // business code (characters 5 to 7) stays out of the check.
    return Mod97(id.mid(7) + id.left(4)) == 1 ? CreditorIdResult::Valid : CreditorIdResult::WrongCheckDigits;
}

QString MakeCreditorId(const QString& nationalId, const QString& business) {
    // An 11-digit tax code or VAT number takes five zeros on its left, to the 16 characters of the field.
    const QString national = nationalId.size() == 11 ? QStringLiteral("00000") + nationalId : nationalId;
    const int r = Mod97(national + QStringLiteral("IT00"));
    if (r < 0 || national.size() != 16 || business.size() != 3)
        return QString();
    return QStringLiteral("IT%1").arg(98 - r, 2, 10, QLatin1Char('0')) + business + national;
}

bool IsValidCuc(const QString& cuc) {
    if (cuc.size() != 8)
        return false;
    for (QChar c : cuc)
        if (!IsAZ09(c))
            return false;
    return true;
}
