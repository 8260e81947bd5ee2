#include "registry/SheetRead.h"
#include "registry/SheetConvert.h"
#include "storage/Text.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QTemporaryDir>

namespace {
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
} // namespace

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

CsvSheet ReadSheetFile(const QString& path, const QString& office, ProgramRunner& runner) {
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
        if (!work.isValid() || !ConvertSheetToCsv(runner, office, path, work.path(), &csv, &error)) {
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
