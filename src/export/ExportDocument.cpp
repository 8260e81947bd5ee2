#include "export/ExportDocument.h"
#include "storage/SaveFile.h"
#include "storage/Text.h"
#include <QFileInfo>

namespace {
// Excel reads x:str; LibreOffice ignores it and needs its own text format on each cell.
constexpr char kTextFormat[] = " sdnum=\"1040;0;@\"";
// A data cell's opening tag, text format included.
constexpr QByteArrayView kCellStart("<td style=\"text-align: left;\" sdnum=\"1040;0;@\">");
constexpr qint64 kFlushBytes = 1 << 20;
constexpr qint64 kProgressRows = 2000;

QByteArray Head(const QString& sheetName) {
    QByteArray h;
    h += "<html xmlns:o=\"urn:schemas-microsoft-com:office:office\" "
         "xmlns:x=\"urn:schemas-microsoft-com:office:excel\" xmlns=\"http://www.w3.org/TR/REC-html40\">";
    h += "<head>";
    h += "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">";
    h += "<!--[if gte mso 9]><xml>";
    h += "<x:ExcelWorkbook>";
    h += "<x:ExcelWorksheets>";
    h += "<x:ExcelWorksheet>";
    h += "<x:Name>";
    AppendExportCellText(h, sheetName);
    h += "</x:Name>";
    h += "<x:WorksheetOptions>";
    h += "<x:Selected/>";
    h += "<x:Panes>";
    h += "<x:Pane>";
    h += "<x:Number>1</x:Number>";
    h += "<x:ActiveRow>3</x:ActiveRow>";
    h += "</x:Pane>";
    h += "</x:Panes>";
    h += "<x:ProtectContents>False</x:ProtectContents>";
    h += "<x:ProtectObjects>False</x:ProtectObjects>";
    h += "<x:ProtectScenarios>False</x:ProtectScenarios>";
    h += "</x:WorksheetOptions>";
    h += "</x:ExcelWorksheet>";
    h += "</x:ExcelWorksheets>";
    h += "</x:ExcelWorkbook>";
    h += "</xml><![endif]-->";
    h += "</head>";
    h += "<body>";
    h += "<table x:str>";
    return h;
}

// The Windows-1252 byte of a character, or -1 when the code page lacks it.
int Win1252Byte(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return u;
    const QByteArray b = ToWin1252(QString(c));
    return b.at(0) == '?' ? -1 : static_cast<unsigned char>(b.at(0));
}

bool Fail(QString* error, const QString& text) {
    if (error)
        *error = text;
    return false;
}
} // namespace

void AppendExportCellText(ByteWriter& out, QStringView text) {
    while (!text.isEmpty() && text.front().unicode() <= 0x20)
        text = text.mid(1);
    while (!text.isEmpty() && text.back().unicode() <= 0x20)
        text.chop(1);
    const QChar* p = text.data();
    const QChar* const end = p + text.size();
    // The common case, plain ASCII, is copied straight into room made for the whole text; the first
    // other character gives the rest to the loop below, which appends as it goes.
    char* const start = out.Room(text.size());
    char* w = start;
    for (; p < end; ++p) {
        const char16_t u = p->unicode();
        if (u < 0x20 || u >= 0x7F || u == u'&' || u == u'<' || u == u'>')
            break;
        *w++ = char(u);
    }
    out.Advance(w - start);
    for (; p < end; ++p) {
        const char16_t u = p->unicode();
        if (u >= 0x20 && u < 0x7F && u != u'&' && u != u'<' && u != u'>') {
            out.Append(char(u));
            continue;
        }
        if (u < 0x20 || u == 0x7F) {
            out.Append(' ');
        } else if (u == u'&') {
            out.Append(QByteArrayView("&amp;"));
        } else if (u == u'<') {
            out.Append(QByteArrayView("&lt;"));
        } else if (u == u'>') {
            out.Append(QByteArrayView("&gt;"));
        } else {
            uint code = u;
            if (p->isHighSurrogate() && p + 1 < end && p[1].isLowSurrogate()) {
                code = QChar::surrogateToUcs4(p[0], p[1]);
                ++p;
            }
            const int b = code > 0xFFFF ? -1 : Win1252Byte(QChar(char16_t(code)));
            if (b >= 0) {
                out.Append(char(b));
            } else {
                out.Append(QByteArrayView("&#"));
                out.Append(QByteArray::number(code));
                out.Append(';');
            }
        }
    }
}

void AppendExportCellText(QByteArray& out, QStringView text) {
    ByteWriter writer(out);
    AppendExportCellText(writer, text);
}

void AppendExportCellBytes(ByteWriter& out, QByteArrayView stored) {
    // Every Windows-1252 byte stands for a character that the code page writes back as the same
    // byte, so only the trimming, the control characters and the three markup characters change.
    const auto* p = reinterpret_cast<const unsigned char*>(stored.data());
    const unsigned char* end = p + stored.size();
    while (p < end && *p <= 0x20)
        ++p;
    while (end > p && end[-1] <= 0x20)
        --end;
    for (const unsigned char* run = p;; ++p) {
        if (p < end && *p >= 0x20 && *p != 0x7F && *p != '&' && *p != '<' && *p != '>')
            continue;
        out.Append(reinterpret_cast<const char*>(run), p - run);
        if (p == end)
            break;
        if (*p == '&')
            out.Append(QByteArrayView("&amp;"));
        else if (*p == '<')
            out.Append(QByteArrayView("&lt;"));
        else if (*p == '>')
            out.Append(QByteArrayView("&gt;"));
        else
            out.Append(' ');
        run = p + 1;
    }
}

void AppendExportCellBytes(QByteArray& out, QByteArrayView stored) {
    ByteWriter writer(out);
    AppendExportCellBytes(writer, stored);
}

bool CheckExportTarget(const QString& path, QString* error) {
    // A rename would go over a read-only file where the folder allows it (and root always
    // may): such a file is one the user wants kept, as a locked file on other systems is.
    const QFileInfo target(path);
    if (target.isDir())
        return Fail(error, QStringLiteral("%1 is a folder").arg(path));
    if (target.exists() && !(target.permissions() & QFileDevice::WriteOwner))
        return Fail(error, QStringLiteral("%1 is read-only").arg(path));
    return true;
}

bool WriteExportDocument(const QString& path, const QString& sheetName, const QVector<ExportColumn>& columns,
                         qint64 rows, const ExportCellText& cell, QString* error, const ExportProgress& progress) {
    return WriteExportDocument(
        path, sheetName, columns, rows,
        [&cell](ByteWriter& out, qint64 row, int column) { AppendExportCellText(out, cell(row, column)); }, error,
        progress);
}

bool WriteExportDocument(const QString& path, const QString& sheetName, const QVector<ExportColumn>& columns,
                         qint64 rows, const ExportCellWriter& cell, QString* error, const ExportProgress& progress) {
    if (!CheckExportTarget(path, error))
        return false;

    SaveFile file(path);
    if (!file.Open())
        return Fail(error, file.ErrorString());

    QByteArray bytes = Head(sheetName);
    bytes.reserve(kFlushBytes + (1 << 16));
    ByteWriter buf(bytes);
    buf.Append(QByteArrayView("<tr>"));
    for (const ExportColumn& c : columns) {
        buf.Append(QByteArrayView("<td style=\"text-align: left; font-weight: bold;\" width="));
        buf.Append(QByteArray::number(c.width));
        buf.Append(QByteArrayView(kTextFormat));
        buf.Append('>');
        AppendExportCellText(buf, c.header);
        buf.Append(QByteArrayView("</td>"));
    }
    buf.Append(QByteArrayView("</tr>"));

    // The bytes written so far, as the file layer takes them (no copy).
    auto written = [&buf] { return QByteArray::fromRawData(buf.Bytes().data(), buf.Size()); };
    const int cols = int(columns.size());
    for (qint64 r = 0; r < rows; ++r) {
        buf.Append(QByteArrayView("<tr>"));
        for (int c = 0; c < cols; ++c) {
            buf.Append(kCellStart);
            cell(buf, r, c);
            buf.Append(QByteArrayView("</td>"));
        }
        buf.Append(QByteArrayView("</tr>"));
        if (buf.Size() >= kFlushBytes) {
            if (!file.Write(written()))
                return Fail(error, file.ErrorString());
            buf.Clear(); // keeps the room for the next block
        }
        if (progress && (r + 1) % kProgressRows == 0)
            progress(r + 1);
    }
    buf.Append(QByteArrayView("</table>"));
    buf.Append(QByteArrayView("</body>"));
    buf.Append(QByteArrayView("</html>"));
    if (!file.Write(written()) || !file.Commit())
        return Fail(error, file.ErrorString());
    return true;
}
