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

namespace {
const QString kPrefix = QStringLiteral("Dati fiscali della scuola: ");

// What is wrong in the form of one field (not its absence), with the member's name; empty when right.
struct FormCheck {
    const char* member;
    QString (*check)(const FiscalData& d);
};

QString LatinProblem(const char* label, const QString& text) {
    // The settings file keeps Windows-1252 and the invoice admits Latin-1 only: ask for the plain spelling.
    const LatinResult r = ToSchemaLatin(text);
    if (r.changed || !IsWin1252(text))
        return kPrefix + QStringLiteral("%1 contiene caratteri che la fattura elettronica non ammette "
                                        "(proposta: \"%2\").")
                             .arg(QLatin1String(label), r.text);
    return QString();
}

const QVector<FormCheck>& FormChecks() {
    static const QVector<FormCheck> checks = {
        {"denominazione", [](const FiscalData& d) -> QString { return LatinProblem("la denominazione", d.denominazione); }},
        {"indirizzo", [](const FiscalData& d) -> QString { return LatinProblem("l'indirizzo", d.indirizzo); }},
        {"comune", [](const FiscalData& d) -> QString { return LatinProblem("il comune", d.comune); }},
        {"riferimentoNormativo",
         [](const FiscalData& d) -> QString { return LatinProblem("il riferimento normativo", d.riferimentoNormativo); }},
        {"partitaIva",
         [](const FiscalData& d) -> QString {
             return !d.partitaIva.isEmpty() && !IsValidVatNumber(d.partitaIva)
                        ? kPrefix + QStringLiteral("la partita IVA \"%1\" non è valida.").arg(d.partitaIva)
                        : QString();
         }},
        {"codiceFiscale",
         [](const FiscalData& d) -> QString {
             if (d.codiceFiscale.isEmpty())
                 return QString();
             const bool ok = d.codiceFiscale.size() == 11 ? IsValidVatNumber(d.codiceFiscale)
                                                          : CheckTaxCode(d.codiceFiscale) == TaxCodeResult::Valid;
             return ok ? QString()
                       : kPrefix + QStringLiteral("il codice fiscale \"%1\" non è valido.").arg(d.codiceFiscale);
         }},
        {"regimeFiscale",
         [](const FiscalData& d) -> QString {
             for (const auto& r : RegimeFiscaleCodes())
                 if (r.first == d.regimeFiscale)
                     return QString();
             return kPrefix +
                    QStringLiteral("il regime fiscale \"%1\" non è tra i codici ufficiali.").arg(d.regimeFiscale);
         }},
        {"cap",
         [](const FiscalData& d) -> QString {
             return !d.cap.isEmpty() && (d.cap.size() != 5 || !OnlyDigits(d.cap))
                        ? kPrefix + QStringLiteral("il CAP deve avere cinque cifre.")
                        : QString();
         }},
        {"provincia",
         [](const FiscalData& d) -> QString {
             return !d.provincia.isEmpty() && !TwoCapitals(d.provincia)
                        ? kPrefix + QStringLiteral("la provincia va indicata con la sigla di due lettere.")
                        : QString();
         }},
        {"nazione",
         [](const FiscalData& d) -> QString {
             return !TwoCapitals(d.nazione)
                        ? kPrefix + QStringLiteral("la nazione va indicata con il codice di due lettere (IT).")
                        : QString();
         }},
    };
    return checks;
}

QString FormProblem(const FiscalData& d, const char* member) {
    for (const FormCheck& c : FormChecks())
        if (qstrcmp(c.member, member) == 0)
            return c.check(d);
    return QString();
}
} // namespace

QVector<FieldProblem> FiscalFieldProblems(const FiscalData& d) {
    QVector<FieldProblem> out;
    for (const FormCheck& c : FormChecks())
        if (QString p = c.check(d); !p.isEmpty())
            out << FieldProblem{QLatin1String(c.member), p};
    return out;
}

FiscalData KeepRightFields(const FiscalData& typed, const FiscalData& stored, const QVector<FieldProblem>& problems) {
    FiscalData out = typed;
    const QPair<const char*, QString FiscalData::*> members[] = {
        {"denominazione", &FiscalData::denominazione}, {"indirizzo", &FiscalData::indirizzo},
        {"comune", &FiscalData::comune},               {"riferimentoNormativo", &FiscalData::riferimentoNormativo},
        {"partitaIva", &FiscalData::partitaIva},       {"codiceFiscale", &FiscalData::codiceFiscale},
        {"regimeFiscale", &FiscalData::regimeFiscale}, {"cap", &FiscalData::cap},
        {"provincia", &FiscalData::provincia},         {"nazione", &FiscalData::nazione},
    };
    for (const auto& [name, member] : members)
        if (HasProblem(problems, QLatin1String(name)))
            out.*member = stored.*member;
    if (HasProblem(problems, QStringLiteral("progressivo")))
        out.progressivo = stored.progressivo;
    return out;
}

QString CheckFiscalData(const FiscalData& d, QString* field) {
    const auto at = [field](const char* name) {
        if (field)
            *field = QLatin1String(name);
    };
    for (const char* member : {"denominazione", "indirizzo", "comune", "riferimentoNormativo"})
        if (QString p = FormProblem(d, member); !p.isEmpty())
            return at(member), p;
    if (d.denominazione.isEmpty())
        return at("denominazione"), kPrefix + QStringLiteral("manca la denominazione.");
    if (d.partitaIva.isEmpty())
        return at("partitaIva"), kPrefix + QStringLiteral("manca la partita IVA, che la fattura elettronica richiede.");
    for (const char* member : {"partitaIva", "codiceFiscale", "regimeFiscale"})
        if (QString p = FormProblem(d, member); !p.isEmpty())
            return at(member), p;
    if (d.indirizzo.isEmpty())
        return at("indirizzo"), kPrefix + QStringLiteral("manca l'indirizzo.");
    if (d.cap.isEmpty())
        return at("cap"), kPrefix + QStringLiteral("il CAP deve avere cinque cifre.");
    if (QString p = FormProblem(d, "cap"); !p.isEmpty())
        return at("cap"), p;
    if (d.comune.isEmpty())
        return at("comune"), kPrefix + QStringLiteral("manca il comune.");
    for (const char* member : {"provincia", "nazione"})
        if (QString p = FormProblem(d, member); !p.isEmpty())
            return at(member), p;
    if (d.riferimentoNormativo.isEmpty())
        return at("riferimentoNormativo"), kPrefix + QStringLiteral("manca il riferimento normativo dell'esenzione.");
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
