#include "registry/ColumnGuess.h"
#include "registry/CardFields.h"
#include <QHash>
#include <QSet>
#include <algorithm>

namespace {
using namespace RegistryField;

// Lower case, accents dropped, every run of other characters one blank: "Città:" and "citta" meet.
QString HeaderWords(const QString& text) {
    const QString plain = text.normalized(QString::NormalizationForm_D);
    QString out;
    bool blank = true;
    for (QChar c : plain) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        if (c.isLetterOrNumber()) {
            out += c.toLower();
            blank = false;
        } else if (!blank) {
            out += u' ';
            blank = true;
        }
    }
    return out.trimmed();
}

struct Alias {
    const char* words;
    int field;
};
// Exact headers (after HeaderWords). The editor's labels come first; "nascita" pairs are handled apart.
const Alias kAliases[] = {
    {"genitore cognome e nome", Tiratore},
    {"genitore", Tiratore},
    {"cognome e nome genitore", Tiratore},
    {"nome genitore", Tiratore},
    {"cognome genitore", Tiratore},
    {"nome e cognome genitore", Tiratore},
    {"intestatario", Tiratore},
    {"pagante", Tiratore},
    {"cognome e nome del genitore", Tiratore},
    {"sesso", Sesso},
    {"sesso genitore", Sesso},
    {"m f", Sesso},
    {"cittadinanza", Cittadinanza},
    {"nazionalita", Cittadinanza},
    {"indirizzo residenza", Indirizzo},
    {"indirizzo", Indirizzo},
    {"residenza", Indirizzo},
    {"via", Indirizzo},
    {"indirizzo di residenza", Indirizzo},
    {"citta", Citta},
    {"comune", Citta},
    {"comune di residenza", Citta},
    {"localita", Citta},
    {"cap", Cap},
    {"c a p", Cap},
    {"codice postale", Cap},
    {"nazione", Nazione},
    {"stato", Nazione},
    {"paese", Nazione},
    {"codice fiscale", CodFisc},
    {"cod fisc", CodFisc},
    {"cf", CodFisc},
    {"c f", CodFisc},
    {"codice fiscale genitore", CodFisc},
    {"codice fiscale minore", kChildTaxCodeColumn},
    {"codice fiscale del minore", kChildTaxCodeColumn},
    {"cf minore", kChildTaxCodeColumn},
    {"c f minore", kChildTaxCodeColumn},
    {"cod fisc minore", kChildTaxCodeColumn},
    {"partita iva", CodFisc},
    {"codice fiscale partita iva", CodFisc},
    {"persona delegata", Gruppo},
    {"delegato", Gruppo},
    {"delega", Gruppo},
    {"delegata", Gruppo},
    {"recapito", Professione},
    {"recapito delegato", Professione},
    {"telefono delegato", Professione},
    {"scadenza certificato medico", Studio},
    {"certificato medico", Studio},
    {"scadenza certificato", Studio},
    {"certificato", Studio},
    {"causale pagamento", Ente},
    {"causale", Ente},
    {"causale di pagamento", Ente},
    {"e mail", Email},
    {"email", Email},
    {"mail", Email},
    {"posta elettronica", Email},
    {"tel casa", Tel},
    {"telefono", Tel},
    {"telefono casa", Tel},
    {"tel", Tel},
    {"tel cellulare", Cel},
    {"cellulare", Cel},
    {"cell", Cel},
    {"telefono cellulare", Cel},
    {"numero iscrizione", Tessera},
    {"n iscrizione", Tessera},
    {"iscrizione n", Tessera},
    {"numero di iscrizione", Tessera},
    {"matricola", Tessera},
    {"tessera", Tessera},
    {"quota", Quota},
    {"quota e", Quota},
    {"quota iscrizione", Quota},
    {"quota di iscrizione", Quota},
    {"importo", Quota},
    {"retta", Quota},
    {"quota euro", Quota},
    {"data iscrizione", InizioTes},
    {"data di iscrizione", InizioTes},
    {"iscritto il", InizioTes},
    {"inizio iscrizione", InizioTes},
    {"data scadenza", FineTes},
    {"scadenza", FineTes},
    {"scadenza iscrizione", FineTes},
    {"data di scadenza", FineTes},
    {"data scadenza iscrizione", FineTes},
    {"fine iscrizione", FineTes},
    {"minore cognome e nome", Armi},
    {"minore", Armi},
    {"bambino", Armi},
    {"bambina", Armi},
    {"alunno", Armi},
    {"alunna", Armi},
    {"iscritto", Armi},
    {"iscritta", Armi},
    {"figlio", Armi},
    {"figlia", Armi},
    {"cognome e nome minore", Armi},
    {"nome minore", Armi},
    {"nome bambino", Armi},
    {"cognome e nome bambino", Armi},
    {"cognome e nome alunno", Armi},
    {"cognome e nome del minore", Armi},
    {"luogo nascita minore", Porto},
    {"luogo di nascita minore", Porto},
    {"luogo di nascita bambino", Porto},
    {"data nascita minore", InizioPor},
    {"data di nascita minore", InizioPor},
    {"data di nascita bambino", InizioPor},
    {"data nascita genitore", DataNasc},
    {"data di nascita genitore", DataNasc},
    {"luogo nascita genitore", LuogoNasc},
    {"luogo di nascita genitore", LuogoNasc},
    {"modalita pagamento", FinePor},
    {"modalita di pagamento", FinePor},
    {"pagamento", FinePor},
    {"metodo di pagamento", FinePor},
    {"note", Note},
    {"annotazioni", Note},
    {"osservazioni", Note},
};

// Headers that may name the parent's or the child's field: the first free of the pair is taken.
struct Pair {
    const char* words;
    int parent, child;
};
const Pair kPairs[] = {
    {"data nascita", DataNasc, InizioPor},
    {"data di nascita", DataNasc, InizioPor},
    {"nato il", DataNasc, InizioPor},
    {"nata il", DataNasc, InizioPor},
    {"luogo nascita", LuogoNasc, Porto},
    {"luogo di nascita", LuogoNasc, Porto},
    {"nato a", LuogoNasc, Porto},
    {"nata a", LuogoNasc, Porto},
    {"cognome e nome", Tiratore, Armi},
    {"nome e cognome", Tiratore, Armi},
    {"nominativo", Tiratore, Armi},
    {"cognome", Tiratore, Armi},
    {"nome", Tiratore, Armi},
};
} // namespace

QString ChildTaxCodeCaption() {
    return QStringLiteral("Codice fiscale minore");
}

QVector<int> GuessMapping(const QStringList& header) {
    static const QHash<QString, int> aliases = [] {
        QHash<QString, int> h;
        for (const Alias& a : kAliases)
            h.insert(QString::fromLatin1(a.words), a.field);
        for (int f = 0; f < kImportFieldCount; ++f)
            if (f != DataNasc && f != LuogoNasc && f != Porto && f != InizioPor) // the pairs below
                h.insert(HeaderWords(CardFieldCaption(f)), f);
        return h;
    }();
    QVector<int> mapping(header.size(), kNoField);
    QSet<int> taken;
    // Exact names first, so that "Genitore" claims the parent before an unqualified "Nome" is placed.
    for (int c = 0; c < header.size(); ++c) {
        const auto it = aliases.constFind(HeaderWords(header[c]));
        if (it != aliases.constEnd()) {
            mapping[c] = *it;
            taken.insert(*it);
        }
    }
    // Headers that name the child in words of their own ("Nome del bambino", "Data nascita alunna"):
    // the child's birth place, birth date or name, by what else they say.
    static const QSet<QString> childWords = {"minore", "bambino", "bambina", "alunno", "alunna", "figlio",
                                             "figlia", "allievo", "allieva"};
    for (int c = 0; c < header.size(); ++c) {
        if (mapping[c] != kNoField)
            continue;
        const QStringList words = HeaderWords(header[c]).split(u' ', Qt::SkipEmptyParts);
        if (std::none_of(words.begin(), words.end(), [](const QString& w) { return childWords.contains(w); }))
            continue;
        const bool place = words.contains(QLatin1String("luogo")) || words.contains(QLatin1String("a"));
        const bool date = words.contains(QLatin1String("data")) || words.contains(QLatin1String("il"));
        const bool code = words.contains(QLatin1String("fiscale")) || words.contains(QLatin1String("cf")) ||
                          (words.contains(QLatin1String("c")) && words.contains(QLatin1String("f")));
        const int field = code ? kChildTaxCodeColumn : place ? Porto : date ? InizioPor : Armi;
        if (!taken.contains(field)) {
            mapping[c] = field;
            taken.insert(field);
        }
    }
    // The n-th occurrence of an unqualified header goes to the n-th person whose field no exact
    // header claimed: "Cognome", "Nome", "Cognome", "Nome" fill the parent, the parent, the child, the child.
    QHash<QString, int> seen;
    for (int c = 0; c < header.size(); ++c) {
        if (mapping[c] != kNoField)
            continue;
        const QString words = HeaderWords(header[c]);
        for (const Pair& p : kPairs) {
            if (words != QLatin1String(p.words))
                continue;
            QVector<int> free;
            for (int f : {p.parent, p.child})
                if (!taken.contains(f))
                    free << f;
            const int time = seen[words]++;
            if (time < free.size())
                mapping[c] = free[time];
            break;
        }
    }
    return mapping;
}
