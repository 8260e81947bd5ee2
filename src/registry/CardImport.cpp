#include "registry/CardImport.h"
#include "registry/CardFields.h"
#include "registry/ChildTaxCodes.h"
#include "registry/FeeFormat.h"
#include "storage/Dates.h"
#include "storage/SaveFile.h"
#include "storage/Text.h"
#include "validators/PayerCode.h"
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <algorithm>

namespace {
using namespace RegistryField;

QString Quoted(const QString& s) {
    return u'"' + s + u'"';
}
} // namespace

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
    QString childCode;
    for (int c = 0; c < values.size(); ++c) {
        const int f = mapping[c];
        if (f == kChildTaxCodeColumn)
            childCode += values[c];
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

    // The child's code is checked as the editor checks it: a wrong one stays out, a mismatch is told.
    childCode = NormaliseChildTaxCode(childCode);
    const ChildCodeCheck child = CheckChildTaxCode(childCode, texts[InizioPor]);
    if (child.state == ChildCodeCheck::Wrong)
        r.warnings << child.problem + QStringLiteral(": non importato");
    else
        r.childTaxCode = childCode;
    if (!child.warning.isEmpty())
        r.warnings << child.warning;

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
    const QString codesPath = ChildTaxCodesPath(programFolder);
    bool codesSaved = false;
    QByteArray codesBefore;
    bool codesExisted = false;
    QVector<ChildTaxCode> codes;
    // The registry is read again under the lock: a card another workstation added since the check counts too.
    const auto batch = [&] {
        return raw.AppendBatchRaw([&](qint64 countBefore, QByteArray& recs) {
            codes.clear();
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
                if (!r.childTaxCode.isEmpty())
                    codes << ChildTaxCode{countBefore + out.appended, TrimText(r.card.Armi), r.childTaxCode};
            }
            // The codes go first, under the registry's lock, keyed by the numbers the cards are about
            // to get; the file's old bytes are kept to put it back if the cards cannot be written.
            if (codes.isEmpty())
                return true;
            codesExisted = QFileInfo::exists(codesPath);
            if (codesExisted) {
                QFile old(codesPath);
                if (!old.open(QIODevice::ReadOnly))
                    return raw.SetError(QStringLiteral("%1: %2").arg(codesPath, old.errorString()));
                codesBefore = old.readAll();
                if (old.error() != QFile::NoError)
                    return raw.SetError(QStringLiteral("%1: %2").arg(codesPath, old.errorString()));
            }
            QString error;
            if (!SaveChildTaxCodes(codesPath, codes, &error))
                return raw.SetError(error);
            codesSaved = true;
            return true;
        }, &out.first);
    };
    const bool ok = raw.Locked([&] {
        if (batch())
            return true;
        if (codesSaved) {
            const QString error = raw.ErrorString();
            if (codesExisted)
                SaveWholeFile(codesPath, codesBefore);
            else
                QFile::remove(codesPath);
            raw.SetError(error);
        }
        return false;
    });
    const bool closed = file.Close();
    out.ok = ok && closed;
    if (!out.ok) {
        out.error = file.ErrorString();
        out.appended = 0;
        out.skipped = 0;
    }
    return out;
}
