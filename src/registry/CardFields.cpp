#include "registry/CardFields.h"
#include "storage/RegistryFile.h"

QString CardFieldCaption(int field) {
    using namespace RegistryField;
    static const char* const captions[File01] = {"Genitore (cognome e nome)",
                                                 "Sesso",
                                                 "Data nascita (genitore)",
                                                 "Cittadinanza",
                                                 "Luogo nascita (genitore)",
                                                 "Indirizzo residenza",
                                                 "Città",
                                                 "CAP",
                                                 "Nazione",
                                                 "Codice fiscale",
                                                 "Persona delegata",
                                                 "Recapito",
                                                 "Scadenza certificato medico",
                                                 "Causale pagamento",
                                                 "E-mail",
                                                 "Tel. casa",
                                                 "Tel. cellulare",
                                                 "Numero iscrizione",
                                                 "Quota",
                                                 "Data iscrizione",
                                                 "Data scadenza",
                                                 "Minore (cognome e nome)",
                                                 "Luogo nascita (minore)",
                                                 "Data nascita (minore)",
                                                 "Modalità pagamento",
                                                 "Note"};
    if (field >= 0 && field < File01)
        return QString::fromUtf8(captions[field]);
    if (field >= File01 && field <= File03)
        return QStringLiteral("Documento allegato %1").arg(field - File01 + 1);
    if (field >= Desc01 && field <= Desc03)
        return QStringLiteral("Descrizione allegato %1").arg(field - Desc01 + 1);
    return QString();
}

const QVector<RequiredCardField>& RequiredCardFields() {
    using namespace RegistryField;
    // The editor's warning names the field with its article; the import's list of reasons without.
    const auto field = [](int f, const char* article, const char* what) {
        const QString w = QString::fromUtf8(what);
        return RequiredCardField{
            f, w, QStringLiteral("Attenzione: per salvare la scheda è necessario indicare %1%2.")
                      .arg(QString::fromUtf8(article), w)};
    };
    static const QVector<RequiredCardField> fields = {
        field(Tiratore, "", "cognome e nome del genitore"),
        field(CodFisc, "il ", "codice fiscale del genitore"),
        field(Studio, "la ", "data di scadenza del certificato medico"),
        field(Ente, "la ", "causale di pagamento"),
        field(Tessera, "il ", "numero di iscrizione"),
        field(Quota, "la ", "quota di iscrizione"),
        field(FineTes, "la ", "data di scadenza dell'iscrizione"),
        field(Armi, "", "cognome e nome del minore"),
    };
    return fields;
}
