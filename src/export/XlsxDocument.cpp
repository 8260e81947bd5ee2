#include "export/XlsxDocument.h"
#include "export/XlsxApi.h"
#include "storage/Dates.h"
#include "storage/SaveFile.h"
#include "storage/Text.h"
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {
constexpr qint64 kProgressRows = 2000;
constexpr int kMaxCellChars = 32767; // the most a spreadsheet cell holds
constexpr qint64 kMaxRows = 1048576; // rows of one sheet, header included

bool Fail(QString* error, const QString& text) {
    if (error)
        *error = text;
    return false;
}

// The library's functions, once the writer has checked that they are there.
const XlsxApi& Xlsx() {
    return *XlsxFunctions();
}

QString LxwError(lxw_error e) {
    return QString::fromUtf8(Xlsx().lxw_strerror(e));
}

// The cell as the sheet holds it: trimmed, control characters (pasted line breaks, tabs) as blanks,
// which the workbook's XML could not hold anyway, and cut to what a cell takes.
QByteArray CellUtf8(const QString& text) {
    QString t = TrimText(text);
    for (QChar& c : t)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = u' ';
    if (t.size() > kMaxCellChars) {
        t.truncate(kMaxCellChars);
        if (t.back().isHighSurrogate())
            t.chop(1);
    }
    return t.toUtf8();
}

// Excel's width unit is the width of one digit of the default font, 7 pixels, plus 5 pixels of padding.
double WidthInCharacters(int pixels) {
    return qMax(1.0, (pixels - 5) / 7.0);
}

// Owns the workbook until it is closed, so that every early return frees it.
struct Workbook {
    lxw_workbook* wb = nullptr;
    ~Workbook() {
        if (wb)
            Xlsx().workbook_close(wb);
    }
    lxw_error Close() {
        lxw_error e = Xlsx().workbook_close(wb);
        wb = nullptr;
        return e;
    }
};
} // namespace

std::optional<double> ReadAmountCell(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^-?([0-9]+)(?:,([0-9]+))?$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch() || m.capturedLength(1) + m.capturedLength(2) > 15)
        return std::nullopt;
    bool ok = false;
    const double value = QString(text).replace(u',', u'.').toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

std::optional<QDate> ReadDateCell(const QString& text) {
    const QDate d = ParseDate(text);
    if (!d.isValid() || d.year() < 1900)
        return std::nullopt;
    return d;
}

bool WriteXlsxDocument(const QString& path, const QString& sheetName, const QVector<XlsxColumn>& columns, qint64 rows,
                       const ExportCellText& cell, QString* error, const ExportProgress& progress) {
    if (!CheckExportTarget(path, error))
        return false;
    QString missing;
    if (!XlsxFunctions(&missing))
        return Fail(error, missing);
    if (rows + 1 > kMaxRows)
        return Fail(
            error,
            QStringLiteral("%1 righe: un foglio di lavoro ne contiene al massimo %2").arg(rows).arg(kMaxRows - 1));
    QTemporaryDir temp;
    if (!temp.isValid())
        return Fail(error, temp.errorString());
    const QByteArray file = QFile::encodeName(temp.filePath(QStringLiteral("export.xlsx")));
    QByteArray tmpdir = QFile::encodeName(temp.path());

    // Rows are written in order, so each one goes to disk as it is done and a year of receipts
    // never sits in memory as a whole.
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = tmpdir.data();
    Workbook book;
    book.wb = Xlsx().workbook_new_opt(file.constData(), &options);
    if (!book.wb)
        return Fail(error, QStringLiteral("Impossibile creare la cartella di lavoro"));
    const QByteArray name = CellUtf8(sheetName).left(31);
    lxw_worksheet* ws = Xlsx().workbook_add_worksheet(book.wb, name.isEmpty() ? nullptr : name.constData());
    if (!ws)
        return Fail(error, QStringLiteral("Nome del foglio non valido: %1").arg(sheetName));

    lxw_format* header = Xlsx().workbook_add_format(book.wb);
    Xlsx().format_set_bold(header);
    Xlsx().format_set_num_format(header, "@");
    lxw_format* text = Xlsx().workbook_add_format(book.wb);
    Xlsx().format_set_num_format(text, "@");
    lxw_format* date = Xlsx().workbook_add_format(book.wb);
    Xlsx().format_set_num_format(date, "dd/mm/yyyy");
    Xlsx().format_set_align(date, LXW_ALIGN_LEFT);
    lxw_format* count = Xlsx().workbook_add_format(book.wb);
    Xlsx().format_set_num_format(count, "0");
    lxw_format* amount = Xlsx().workbook_add_format(book.wb);
    Xlsx().format_set_num_format(amount, "[$\xE2\x82\xAC-410] #,##0.00");

    const int cols = int(columns.size());
    for (int c = 0; c < cols; ++c) {
        lxw_format* f = columns[c].kind == CellKind::Text ? text : nullptr;
        if (lxw_error e = Xlsx().worksheet_set_column(ws, lxw_col_t(c), lxw_col_t(c), WidthInCharacters(columns[c].width), f))
            return Fail(error, LxwError(e));
    }
    Xlsx().worksheet_freeze_panes(ws, 1, 0);

    for (int c = 0; c < cols; ++c)
        if (lxw_error e = Xlsx().worksheet_write_string(ws, 0, lxw_col_t(c), CellUtf8(columns[c].header).constData(), header))
            return Fail(error, LxwError(e));

    for (qint64 r = 0; r < rows; ++r) {
        const lxw_row_t row = lxw_row_t(r + 1);
        for (int c = 0; c < cols; ++c) {
            const QString value = TrimText(cell(r, c));
            if (value.isEmpty())
                continue;
            lxw_error e = LXW_NO_ERROR;
            std::optional<double> number;
            std::optional<QDate> day;
            if (columns[c].kind == CellKind::Amount && (number = ReadAmountCell(value))) {
                e = Xlsx().worksheet_write_number(ws, row, lxw_col_t(c), *number, amount);
            } else if (columns[c].kind == CellKind::Count && !value.contains(u',') &&
                       (value == QLatin1String("0") || !value.startsWith(u'0')) && (number = ReadAmountCell(value))) {
                e = Xlsx().worksheet_write_number(ws, row, lxw_col_t(c), *number, count);
            } else if (columns[c].kind == CellKind::Date && (day = ReadDateCell(value))) {
                lxw_datetime dt{day->year(), day->month(), day->day(), 0, 0, 0.0};
                e = Xlsx().worksheet_write_datetime(ws, row, lxw_col_t(c), &dt, date);
            } else {
                e = Xlsx().worksheet_write_string(ws, row, lxw_col_t(c), CellUtf8(value).constData(), text);
            }
            if (e)
                return Fail(error, LxwError(e));
        }
        if (progress && (r + 1) % kProgressRows == 0)
            progress(r + 1);
    }
    if (lxw_error e = book.Close())
        return Fail(error, LxwError(e));
    // The finished workbook replaces the old export in one step, as the .xls document does.
    return CopyWholeFile(QFile::decodeName(file), path, error);
}

QString ExportSaveFilter() {
    return QStringLiteral("Cartella di lavoro di Excel (*.xlsx);;Documento di Excel in formato HTML (*.xls)");
}

bool IsXlsDocumentPath(const QString& path) {
    return QFileInfo(path).suffix().compare(QLatin1String("xls"), Qt::CaseInsensitive) == 0;
}
