#include "registry/CardImport.h"
#include "registry/CardFields.h"
#include "registry/FeeFormat.h"
#include "storage/Dates.h"
#include "storage/Text.h"
#include "validators/PayerCode.h"
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QUrl>
#include <algorithm>

namespace {
using namespace RegistryField;

// ---- Reading --------------------------------------------------------------------------------

const QString kEmptyFile = QStringLiteral("Il file è vuoto.");
const QString kNotCsv = QStringLiteral(
    "Il file non è un file CSV.\n\r\n\rSalvare il foglio di calcolo in formato CSV (campi separati da virgola o da "
    "punto e virgola) e ripetere l'importazione.");
const QString kNoOffice = QStringLiteral(
    "Per leggere un file .ods, .xlsx o .xls è necessario LibreOffice, che non risulta installato.\n\r\n\rSalvare il "
    "foglio di calcolo in formato CSV (campi separati da virgola o da punto e virgola) e ripetere l'importazione.");

bool LooksBinary(const QByteArray& bytes) {
    const QByteArray head = bytes.left(4096);
    return head.contains('\0') || head.startsWith("PK\x03\x04") || head.startsWith("%PDF") ||
           head.startsWith("\xD0\xCF\x11\xE0");
}

bool IsSheetSuffix(const QString& suffix) {
    return suffix == QLatin1String("ods") || suffix == QLatin1String("xlsx") || suffix == QLatin1String("xls");
}

// ---- Mapping --------------------------------------------------------------------------------

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

// ---- Checking -------------------------------------------------------------------------------

QString Quoted(const QString& s) {
    return u'"' + s + u'"';
}
} // namespace

// ---- Reading --------------------------------------------------------------------------------

QString DecodeSheetText(const QByteArray& bytes, QString* encoding) {
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        if (encoding)
            *encoding = QStringLiteral("UTF-8");
        return QString::fromUtf8(bytes.mid(3));
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    if (!utf8.hasError()) {
        if (encoding)
            *encoding = QStringLiteral("UTF-8");
        return text;
    }
    if (encoding)
        *encoding = QStringLiteral("Windows-1252");
    return FromWin1252(bytes);
}

QChar GuessDelimiter(const QString& text) {
    // Counts per row outside quotes over the first rows; the separator found in the most rows, with
    // the same count in each, wins. A sheet of one column has none: ';' then (the Italian default).
    const QChar candidates[] = {u';', u',', u'\t'};
    int best = -1, bestScore = 0;
    for (int c = 0; c < 3; ++c) {
        QVector<int> counts;
        int n = 0;
        bool quoted = false;
        for (int i = 0; i < text.size() && counts.size() < 20; ++i) {
            const QChar ch = text[i];
            if (ch == u'"')
                quoted = !quoted;
            else if (!quoted && ch == candidates[c])
                ++n;
            else if (!quoted && (ch == u'\n' || ch == u'\r')) {
                if (ch == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                    ++i;
                counts << n;
                n = 0;
            }
        }
        if (n > 0 || counts.isEmpty())
            counts << n;
        // Blank rows count nothing; the others are measured against the first row that has any.
        int reference = 0, score = 0;
        for (int k : counts)
            if (reference == 0)
                reference = k;
        for (int k : counts)
            if (k > 0 && k == reference)
                ++score;
        if (score > bestScore) {
            bestScore = score;
            best = c;
        }
    }
    return best < 0 ? QChar(u';') : candidates[best];
}

CsvSheet ParseCsv(const QByteArray& bytes) {
    CsvSheet sheet;
    if (TrimText(DecodeSheetText(bytes)).isEmpty()) {
        sheet.error = kEmptyFile;
        return sheet;
    }
    if (LooksBinary(bytes)) {
        sheet.error = kNotCsv;
        return sheet;
    }
    const QString text = DecodeSheetText(bytes, &sheet.encoding);
    const QChar sep = GuessDelimiter(text);
    sheet.delimiter = sep;

    QStringList row;
    QString field;
    bool quoted = false, fieldStarted = false;
    int rowNumber = 1;
    auto endRow = [&] {
        row << field;
        field.clear();
        fieldStarted = false;
        bool blank = true;
        for (const QString& f : row)
            blank = blank && TrimText(f).isEmpty();
        if (!blank) {
            sheet.rows << row;
            sheet.rowNumbers << rowNumber;
        }
        row.clear();
        ++rowNumber;
    };
    const int n = int(text.size());
    for (int i = 0; i < n; ++i) {
        const QChar ch = text[i];
        if (quoted) {
            if (ch == u'"') {
                if (i + 1 < n && text[i + 1] == u'"') {
                    field += u'"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field += ch;
            }
        } else if (ch == u'"' && TrimText(field).isEmpty()) {
            quoted = true; // blanks before an opening quote are not part of the field
            field.clear();
            fieldStarted = true;
        } else if (ch == sep) {
            row << field;
            field.clear();
            fieldStarted = false;
        } else if (ch == u'\r' || ch == u'\n') {
            if (ch == u'\r' && i + 1 < n && text[i + 1] == u'\n')
                ++i;
            endRow();
        } else {
            field += ch;
            fieldStarted = true;
        }
    }
    if (quoted)
        sheet.unterminatedRow = rowNumber;
    if (fieldStarted || !field.isEmpty() || !row.isEmpty())
        endRow();
    if (sheet.rows.isEmpty())
        sheet.error = kEmptyFile;
    return sheet;
}

QString FindOffice() {
    for (const char* name : {"soffice", "libreoffice"}) {
        const QString found = QStandardPaths::findExecutable(QLatin1String(name));
        if (!found.isEmpty())
            return found;
    }
    return QString();
}

bool ConvertSheetToCsv(const QString& office, const QString& path, const QString& outFolder, QString* csvPath,
                       QString* error) {
    // UTF-8, comma, double quotes, starting at row 1; the cells as shown, so dates keep their format.
    const QString filter = QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76,1");
    const QString profile = QUrl::fromLocalFile(outFolder + QStringLiteral("/profilo")).toString();
    QProcess p;
    p.setProgram(office);
    p.setArguments({QStringLiteral("-env:UserInstallation=") + profile, QStringLiteral("--headless"),
                    QStringLiteral("--norestore"), QStringLiteral("--convert-to"), filter, QStringLiteral("--outdir"),
                    outFolder, path});
    p.start();
    if (!p.waitForStarted(15000) || !p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished(2000);
        *error = QStringLiteral("LibreOffice non ha convertito il file: %1").arg(p.errorString());
        return false;
    }
    const QString out = outFolder + u'/' + QFileInfo(path).completeBaseName() + QStringLiteral(".csv");
    if (p.exitCode() != 0 || !QFileInfo(out).isFile()) {
        *error = QStringLiteral("LibreOffice non ha convertito il file (%1).")
                     .arg(QString::fromLocal8Bit(p.readAllStandardError()).trimmed());
        return false;
    }
    *csvPath = out;
    return true;
}

CsvSheet ReadSheetFile(const QString& path, const QString& office) {
    CsvSheet sheet;
    const QString suffix = QFileInfo(path).suffix().toLower();
    QString csv = path;
    QTemporaryDir work;
    if (IsSheetSuffix(suffix)) {
        if (office.isEmpty()) {
            sheet.error = kNoOffice;
            return sheet;
        }
        QString error;
        if (!work.isValid() || !ConvertSheetToCsv(office, path, work.path(), &csv, &error)) {
            sheet.error = kNotCsv + QStringLiteral("\n\r\n\r") + error;
            return sheet;
        }
    }
    QFile f(csv);
    if (!f.open(QIODevice::ReadOnly)) {
        sheet.error =
            QStringLiteral("Impossibile leggere il file %1: %2").arg(QDir::toNativeSeparators(path), f.errorString());
        return sheet;
    }
    return ParseCsv(f.readAll());
}

// ---- Mapping --------------------------------------------------------------------------------

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
        const int field = place ? Porto : date ? InizioPor : Armi;
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

// ---- Values ---------------------------------------------------------------------------------

bool NormaliseImportDate(const QString& text, QString* out, QString* why) {
    QString t = TrimText(text);
    static const QRegularExpression midnight(QStringLiteral("^(\\S+)[ T]0?0[:.]00([:.]00)?$"));
    const auto m0 = midnight.match(t);
    if (m0.hasMatch())
        t = m0.captured(1);
    static const QRegularExpression dmy(QStringLiteral("^(\\d{1,2})([/.-])(\\d{1,2})\\2(\\d+)$"));
    static const QRegularExpression ymd(QStringLiteral("^(\\d{4})([-/])(\\d{1,2})\\2(\\d{1,2})$"));
    int d = 0, m = 0, y = 0;
    if (const auto r = ymd.match(t); r.hasMatch()) {
        y = r.captured(1).toInt();
        m = r.captured(3).toInt();
        d = r.captured(4).toInt();
    } else if (const auto r = dmy.match(t); r.hasMatch()) {
        if (r.captured(4).size() != 4) {
            *why = QStringLiteral("anno a due cifre, scrivere la data come gg/mm/aaaa");
            return false;
        }
        d = r.captured(1).toInt();
        m = r.captured(3).toInt();
        y = r.captured(4).toInt();
    } else {
        *why = QStringLiteral("non è una data gg/mm/aaaa");
        return false;
    }
    const QDate date(y, m, d);
    if (!date.isValid()) {
        *why = QStringLiteral("la data non esiste");
        return false;
    }
    *out = FormatDate(date);
    return true;
}

bool NormaliseImportFee(const QString& text, QString* out, QString* why) {
    QString t;
    for (QChar c : TrimText(text))
        if (c != u' ' && c != QChar(0x00A0) && c != QChar(0x202F) && c != QChar(0x20AC)) // blanks and €
            t += c;
    if (t.endsWith(QLatin1String("EUR"), Qt::CaseInsensitive))
        t.chop(3);
    if (t.isEmpty()) {
        *out = QStringLiteral("0,00"); // an empty fee is 0,00, as in the editor
        return true;
    }
    if (t.startsWith(u'-')) {
        *why = QStringLiteral("importo negativo");
        return false;
    }
    for (QChar c : t)
        if (!(c.isDigit() && c.unicode() < 128) && c != u',' && c != u'.') {
            *why = QStringLiteral("non è un importo");
            return false;
        }
    const int lastComma = int(t.lastIndexOf(u',')), lastDot = int(t.lastIndexOf(u'.'));
    const int commas = int(t.count(u',')), dots = int(t.count(u'.'));
    QChar decimal, thousands;
    if (commas > 0 && dots > 0) {
        decimal = lastComma > lastDot ? u',' : u'.';
        thousands = lastComma > lastDot ? u'.' : u',';
        if (t.count(decimal) > 1) {
            *why = QStringLiteral("separatori non validi");
            return false;
        }
    } else if (commas + dots == 1) {
        decimal = commas ? u',' : u'.';
        // "1.234" may be a thousand and more or one and a bit: which, only the writer knows.
        const int digitsAfter = int(t.size()) - int(t.indexOf(decimal)) - 1;
        if (decimal == u'.' && digitsAfter == 3 && t.indexOf(u'.') > 0 && t.indexOf(u'.') <= 3 && t[0] != u'0') {
            *why = QStringLiteral("importo ambiguo, scrivere 1234,00 oppure 1,234");
            return false;
        }
    } else if (commas + dots > 1) {
        thousands = commas ? u',' : u'.'; // 1.234.567 or 1,234,567
    }
    QString whole = t, fraction;
    if (!decimal.isNull()) {
        const int at = int(t.lastIndexOf(decimal));
        whole = t.left(at);
        fraction = t.mid(at + 1);
    }
    if (!thousands.isNull()) {
        const QStringList groups = whole.split(thousands);
        bool ok = !groups.first().isEmpty() && groups.first().size() <= 3;
        for (int i = 1; i < groups.size(); ++i)
            ok = ok && groups[i].size() == 3;
        if (!ok) {
            *why = QStringLiteral("separatore delle migliaia fuori posto");
            return false;
        }
        whole = groups.join(QString());
    }
    *out = FormatFee(whole + u',' + fraction);
    return true;
}

// ---- Checking -------------------------------------------------------------------------------

ImportRow CheckImportRow(const QStringList& values, const QVector<int>& mapping, int rowNumber) {
    ImportRow r;
    r.row = rowNumber;
    if (values.size() != mapping.size()) {
        r.errors << QStringLiteral("la riga ha %1 campi invece di %2").arg(values.size()).arg(mapping.size());
        return r;
    }
    QString texts[kImportFieldCount];
    for (int c = 0; c < values.size(); ++c) {
        const int f = mapping[c];
        if (f < 0 || f >= kImportFieldCount)
            continue;
        // Every card field is one line in the editor: a note written on several lines is joined.
        QString v = TrimText(values[c]);
        v.replace(QLatin1String("\r\n"), QLatin1String(" ")).replace(u'\n', u' ').replace(u'\r', u' ');
        if (v.isEmpty())
            continue;
        texts[f] = texts[f].isEmpty() ? v : texts[f] + u' ' + v;
    }

    // The rules the editor's fields apply while typing.
    texts[Sesso] = UpperAZ(texts[Sesso]);
    if (texts[Sesso] == QLatin1String("MASCHIO"))
        texts[Sesso] = QStringLiteral("M");
    else if (texts[Sesso] == QLatin1String("FEMMINA"))
        texts[Sesso] = QStringLiteral("F");
    texts[CodFisc] = UpperAZ(texts[CodFisc]).remove(u' ');
    texts[Email] = TrimText(texts[Email]);

    for (int f : {Studio, InizioTes, FineTes}) {
        if (texts[f].isEmpty())
            continue;
        QString date, why;
        if (NormaliseImportDate(texts[f], &date, &why))
            texts[f] = date;
        else
            r.errors << QStringLiteral("%1 %2: %3").arg(CardFieldCaption(f), Quoted(texts[f]), why);
    }
    // Birth dates are free text in the editor: a recognised date is written as the others are.
    for (int f : {DataNasc, InizioPor}) {
        QString date, why;
        if (!texts[f].isEmpty() && NormaliseImportDate(texts[f], &date, &why))
            texts[f] = date;
    }
    {
        QString fee, why;
        if (NormaliseImportFee(texts[Quota], &fee, &why))
            texts[Quota] = fee;
        else
            r.errors << QStringLiteral("%1 %2: %3").arg(CardFieldCaption(Quota), Quoted(texts[Quota]), why);
    }
    for (const RequiredCardField& req : RequiredCardFields())
        if (texts[req.field].isEmpty())
            r.errors << QStringLiteral("manca %1").arg(req.what);

    if (!texts[CodFisc].isEmpty()) {
        const QString& code = texts[CodFisc];
        const PayerCode p = ReadPayerCode(code);
        r.wrongCode = true;
        if (p.kind == PayerCodeKind::VatNumber && !p.valid)
            r.warnings << QStringLiteral("partita IVA %1 errata").arg(Quoted(code));
        else if (p.wrongLength)
            r.warnings
                << QStringLiteral("codice fiscale %1 di %2 caratteri invece di 16").arg(Quoted(code)).arg(code.size());
        else if (!p.valid)
            r.warnings << QStringLiteral("codice fiscale %1 errato").arg(Quoted(code));
        else
            r.wrongCode = false;
    }

    // Stored as the editor stores: each text cut to its field's width, which is told.
    const auto& layout = RegistryRecord::Layout();
    const QVector<QString*> fields = r.card.Fields();
    for (int f = 0; f < kImportFieldCount; ++f) {
        const int width = layout[f].width;
        if (texts[f].size() > width) {
            r.warnings << QStringLiteral("%1 tagliato a %2 caratteri").arg(CardFieldCaption(f)).arg(width);
            texts[f] = TrimText(texts[f].left(width));
        }
        if (!IsWin1252(texts[f]))
            r.warnings
                << QStringLiteral("%1: caratteri non rappresentabili sostituiti da \"?\"").arg(CardFieldCaption(f));
        *fields[f] = texts[f];
    }
    return r;
}

QVector<ImportRow> CheckImportRows(const CsvSheet& sheet, const QVector<int>& mapping, bool hasHeader) {
    QVector<ImportRow> rows;
    for (int i = hasHeader ? 1 : 0; i < sheet.rows.size(); ++i) {
        ImportRow r = CheckImportRow(sheet.rows[i], mapping, sheet.rowNumbers[i]);
        if (sheet.unterminatedRow > 0 && i == sheet.rows.size() - 1)
            r.errors.prepend(QStringLiteral("virgolette aperte e mai chiuse dalla riga %1 alla fine del file")
                                 .arg(sheet.rowNumbers[i]));
        rows << r;
    }
    return rows;
}

QString CardKey(const RegistryRecord& card) {
    return UpperAZ(TrimText(card.CodFisc)) + u'\n' + TrimText(card.Armi).simplified().toCaseFolded();
}

bool ExistingCardKeys(RecordFile& registry, QSet<QString>* keys) {
    RegistryRecord card;
    return registry.Scan([&](qint64, const char* rec) {
        card.DecodeFrom(rec);
        keys->insert(CardKey(card));
        return true;
    });
}

void MarkExistingCards(QVector<ImportRow>& rows, const QSet<QString>& keys) {
    QHash<QString, int> firstRow;
    const QString existing = QStringLiteral("scheda già presente in archivio (stesso codice fiscale e minore)");
    for (ImportRow& r : rows) {
        r.warnings.removeAll(existing);
        r.warnings.erase(std::remove_if(r.warnings.begin(), r.warnings.end(),
                                        [](const QString& w) { return w.startsWith(QLatin1String("stessa scheda")); }),
                         r.warnings.end());
        r.existing = r.repeated = false;
        if (!r.Good() || TrimText(r.card.CodFisc).isEmpty())
            continue;
        const QString key = CardKey(r.card);
        if (keys.contains(key)) {
            r.existing = true;
            r.warnings << existing;
        } else if (firstRow.contains(key)) {
            r.repeated = true;
            r.warnings << QStringLiteral("stessa scheda della riga %1").arg(firstRow.value(key));
        } else {
            firstRow.insert(key, r.row);
        }
    }
}

ImportOutcome AppendImportedCards(const QString& programFolder, const QVector<ImportRow>& rows, bool skipExisting) {
    ImportOutcome out;
    RegistryFile file;
    if (!file.OpenOrCreate(programFolder)) {
        out.error = file.ErrorString();
        return out;
    }
    RecordFile& raw = file.Raw();
    // The registry is read again under the lock: a card another workstation added since the check counts too.
    const bool ok = raw.AppendBatchRaw(
        [&](qint64, QByteArray& recs) {
            QVector<ImportRow> checked = rows;
            if (skipExisting) {
                QSet<QString> keys;
                if (!ExistingCardKeys(raw, &keys))
                    return false;
                MarkExistingCards(checked, keys);
            }
            QByteArray buf(RegistryRecord::Size, '\0');
            for (const ImportRow& r : checked) {
                if (!r.Good())
                    continue;
                if (skipExisting && (r.existing || r.repeated)) {
                    ++out.skipped;
                    continue;
                }
                buf.fill('\0');
                r.card.Encode(buf);
                recs += buf;
                ++out.appended;
            }
            return true;
        },
        &out.first);
    const bool closed = file.Close();
    out.ok = ok && closed;
    if (!out.ok) {
        out.error = file.ErrorString();
        out.appended = 0;
        out.skipped = 0;
    }
    return out;
}
