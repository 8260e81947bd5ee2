#include "einvoice/FiscalData.h"
#include "einvoice/LatinText.h"
#include "storage/IniFile.h"
#include "storage/Text.h"
#include "validators/TaxCode.h"
#include "validators/VatNumber.h"
#include <QRegularExpression>

namespace {
const QString kSection = QString::fromLatin1(FiscalSection);

QString Read(const QString& path, const char* key) {
    return TrimText(IniRead(path, kSection, QString::fromLatin1(key)));
}

} // namespace

FiscalData LoadFiscalData(const QString& iniPath) {
    FiscalData d;
    d.denominazione = Read(iniPath, "Denominazione");
    d.partitaIva = Read(iniPath, "Partita IVA");
    d.codiceFiscale = UpperAZ(Read(iniPath, "Codice fiscale"));
    if (QString r = Read(iniPath, "Regime fiscale"); !r.isEmpty())
        d.regimeFiscale = r;
    d.indirizzo = Read(iniPath, "Indirizzo");
    d.cap = Read(iniPath, "CAP");
    d.comune = Read(iniPath, "Comune");
    d.provincia = UpperAZ(Read(iniPath, "Provincia"));
    if (QString n = UpperAZ(Read(iniPath, "Nazione")); !n.isEmpty())
        d.nazione = n;
    if (QString r = Read(iniPath, "Riferimento normativo"); !r.isEmpty())
        d.riferimentoNormativo = r;
    if (QString v = Read(iniPath, "Bollo virtuale"); !v.isEmpty())
        d.bolloVirtuale = UpperAZ(v) != QLatin1String("NO");
    d.bolloACarico = UpperAZ(Read(iniPath, "Bollo a carico")) == QLatin1String("CLIENTE")
                         ? FiscalData::StampBearer::Payer
                         : FiscalData::StampBearer::School;
    bool ok = false;
    const int next = Read(iniPath, "Progressivo invio").toInt(&ok);
    d.progressivo = ok && next > 0 ? next : 1;
    return d;
}

bool SaveFiscalData(const QString& iniPath, const FiscalData& d, QString* error) {
    const QVector<QPair<const char*, QString>> keys = {
        {"Denominazione", d.denominazione},
        {"Partita IVA", d.partitaIva},
        {"Codice fiscale", d.codiceFiscale},
        {"Regime fiscale", d.regimeFiscale},
        {"Indirizzo", d.indirizzo},
        {"CAP", d.cap},
        {"Comune", d.comune},
        {"Provincia", d.provincia},
        {"Nazione", d.nazione},
        {"Riferimento normativo", d.riferimentoNormativo},
        {"Bollo virtuale", d.bolloVirtuale ? QStringLiteral("SI") : QStringLiteral("NO")},
        {"Bollo a carico",
         d.bolloACarico == FiscalData::StampBearer::Payer ? QStringLiteral("Cliente") : QStringLiteral("Scuola")},
        {"Progressivo invio", QString::number(d.progressivo)},
    };
    for (const auto& [key, value] : keys)
        if (!IniWrite(iniPath, kSection, QString::fromLatin1(key), TrimText(value), error))
            return false;
    return true;
}

bool SaveNextProgressivo(const QString& iniPath, int next, QString* error) {
    return IniWrite(iniPath, kSection, QStringLiteral("Progressivo invio"), QString::number(next), error);
}

const QVector<QPair<QString, QString>>& RegimeFiscaleCodes() {
    static const QVector<QPair<QString, QString>> codes = {
        {"RF01", QStringLiteral("Ordinario")},
        {"RF02", QStringLiteral("Contribuenti minimi (art. 1, c. 96-117, L. 244/07)")},
        {"RF04", QStringLiteral("Agricoltura e attività connesse e pesca (artt. 34 e 34-bis, DPR 633/72)")},
        {"RF05", QStringLiteral("Vendita sali e tabacchi (art. 74, c. 1, DPR 633/72)")},
        {"RF06", QStringLiteral("Commercio fiammiferi (art. 74, c. 1, DPR 633/72)")},
        {"RF07", QStringLiteral("Editoria (art. 74, c. 1, DPR 633/72)")},
        {"RF08", QStringLiteral("Gestione servizi telefonia pubblica (art. 74, c. 1, DPR 633/72)")},
        {"RF09", QStringLiteral("Rivendita documenti di trasporto pubblico e di sosta (art. 74, c. 1, DPR 633/72)")},
        {"RF10", QStringLiteral("Intrattenimenti, giochi e altre attività di cui alla tariffa allegata al DPR "
                                "640/72 (art. 74, c. 6, DPR 633/72)")},
        {"RF11", QStringLiteral("Agenzie viaggi e turismo (art. 74-ter, DPR 633/72)")},
        {"RF12", QStringLiteral("Agriturismo (art. 5, c. 2, L. 413/91)")},
        {"RF13", QStringLiteral("Vendite a domicilio (art. 25-bis, c. 6, DPR 600/73)")},
        {"RF14", QStringLiteral("Rivendita beni usati, oggetti d'arte, d'antiquariato o da collezione (art. 36, "
                                "DL 41/95)")},
        {"RF15", QStringLiteral("Agenzie di vendite all'asta di oggetti d'arte, antiquariato o da collezione "
                                "(art. 40-bis, DL 41/95)")},
        {"RF16", QStringLiteral("IVA per cassa P.A. (art. 6, c. 5, DPR 633/72)")},
        {"RF17", QStringLiteral("IVA per cassa (art. 32-bis, DL 83/2012)")},
        {"RF18", QStringLiteral("Altro")},
        {"RF19", QStringLiteral("Regime forfettario (art. 1, c. 54-89, L. 190/2014)")},
    };
    return codes;
}

QString CheckFiscalData(const FiscalData& d, QString* field) {
    const auto at = [field](const char* name) {
        if (field)
            *field = QLatin1String(name);
    };
    const QString prefix = QStringLiteral("Dati fiscali della scuola: ");
    // The settings file keeps Windows-1252 and the invoice admits Latin-1 only: ask for the plain spelling.
    struct Text {
        const char* label;
        const QString* text;
        const char* member;
    };
    const QVector<Text> texts = {{"la denominazione", &d.denominazione, "denominazione"},
                                 {"l'indirizzo", &d.indirizzo, "indirizzo"},
                                 {"il comune", &d.comune, "comune"},
                                 {"il riferimento normativo", &d.riferimentoNormativo, "riferimentoNormativo"}};
    for (const auto& [label, text, member] : texts) {
        const LatinResult r = ToSchemaLatin(*text);
        if (r.changed || !IsWin1252(*text))
            return at(member), prefix + QStringLiteral("%1 contiene caratteri che la fattura elettronica non ammette "
                                           "(proposta: \"%2\").")
                                .arg(QLatin1String(label), r.text);
    }
    if (d.denominazione.isEmpty())
        return at("denominazione"), prefix + QStringLiteral("manca la denominazione.");
    if (d.partitaIva.isEmpty())
        return at("partitaIva"), prefix + QStringLiteral("manca la partita IVA, che la fattura elettronica richiede.");
    if (!IsValidVatNumber(d.partitaIva))
        return at("partitaIva"), prefix + QStringLiteral("la partita IVA \"%1\" non è valida.").arg(d.partitaIva);
    if (!d.codiceFiscale.isEmpty()) {
        const bool ok = d.codiceFiscale.size() == 11 ? IsValidVatNumber(d.codiceFiscale)
                                                     : CheckTaxCode(d.codiceFiscale) == TaxCodeResult::Valid;
        if (!ok)
            return at("codiceFiscale"), prefix + QStringLiteral("il codice fiscale \"%1\" non è valido.").arg(d.codiceFiscale);
    }
    bool known = false;
    for (const auto& r : RegimeFiscaleCodes())
        known = known || r.first == d.regimeFiscale;
    if (!known)
        return at("regimeFiscale"), prefix + QStringLiteral("il regime fiscale \"%1\" non è tra i codici ufficiali.").arg(d.regimeFiscale);
    if (d.indirizzo.isEmpty())
        return at("indirizzo"), prefix + QStringLiteral("manca l'indirizzo.");
    if (d.cap.size() != 5 || !OnlyDigits(d.cap))
        return at("cap"), prefix + QStringLiteral("il CAP deve avere cinque cifre.");
    if (d.comune.isEmpty())
        return at("comune"), prefix + QStringLiteral("manca il comune.");
    if (!d.provincia.isEmpty() && !TwoCapitals(d.provincia))
        return at("provincia"), prefix + QStringLiteral("la provincia va indicata con la sigla di due lettere.");
    if (!TwoCapitals(d.nazione))
        return at("nazione"), prefix + QStringLiteral("la nazione va indicata con il codice di due lettere (IT).");
    if (d.riferimentoNormativo.isEmpty())
        return at("riferimentoNormativo"), prefix + QStringLiteral("manca il riferimento normativo dell'esenzione.");
    return QString();
}

QStringList IssuerLines(const FiscalData& d) {
    if (TrimText(d.denominazione).isEmpty())
        return {};
    QStringList lines{TrimText(d.denominazione)};
    if (!TrimText(d.indirizzo).isEmpty())
        lines << TrimText(d.indirizzo);
    QString town = TrimText(TrimText(d.cap) + u' ' + TrimText(d.comune));
    if (!TrimText(d.provincia).isEmpty())
        town += QStringLiteral(" (%1)").arg(TrimText(d.provincia));
    if (!town.isEmpty())
        lines << town;
    QStringList codes;
    if (!TrimText(d.codiceFiscale).isEmpty() && TrimText(d.codiceFiscale) != TrimText(d.partitaIva))
        codes << QStringLiteral("C.F. ") + TrimText(d.codiceFiscale);
    if (!TrimText(d.partitaIva).isEmpty())
        codes << QStringLiteral("P. IVA ") + TrimText(d.partitaIva);
    if (!codes.isEmpty())
        lines << codes.join(QStringLiteral(" - "));
    return lines;
}
