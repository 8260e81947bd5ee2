// A cell's text as the export document holds it: no raw '<' or '>', every '&' starts an entity,
// no line break or other control byte, and reading the bytes back (Windows-1252 plus the
// entities) gives the trimmed text with its control characters as blanks.
// First byte even: the rest is UTF-8; odd: the rest is raw UTF-16 code units (lone surrogates too).
#include "FuzzCheck.h"
#include "export/ExportDocument.h"
#include "storage/Text.h"
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <cstring>

namespace {
QString Expected(const QString& text) {
    QString t = TrimText(text);
    for (QChar& c : t)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = u' ';
    return t;
}

// Reads the cell bytes back as a spreadsheet program would; stops the run on anything malformed.
QString Decode(const QByteArray& b) {
    QString out;
    for (int i = 0; i < b.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(b[i]);
        FUZZ_CHECK(c >= 0x20 && c != 0x7F && c != '<' && c != '>');
        if (c != '&') {
            out += FromWin1252(b.constData() + i, 1);
            continue;
        }
        const int semi = int(b.indexOf(';', i));
        FUZZ_CHECK(semi > i + 1);
        const QByteArray name = b.mid(i + 1, semi - i - 1);
        if (name == "amp") {
            out += u'&';
        } else if (name == "lt") {
            out += u'<';
        } else if (name == "gt") {
            out += u'>';
        } else {
            FUZZ_CHECK(name.size() >= 2 && name[0] == '#' && name.size() <= 8);
            uint code = 0;
            for (int k = 1; k < name.size(); ++k) {
                FUZZ_CHECK(name[k] >= '0' && name[k] <= '9');
                code = code * 10 + uint(name[k] - '0');
            }
            FUZZ_CHECK(code >= 0x80 && code <= 0x10FFFF);
            if (code > 0xFFFF) {
                out += QChar(QChar::highSurrogate(code));
                out += QChar(QChar::lowSurrogate(code));
            } else {
                out += QChar(char16_t(code));
            }
        }
        i = semi;
    }
    return out;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    QString text;
    if (data[0] % 2 == 0) {
        text = QString::fromUtf8(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    } else {
        text.resize(qsizetype((size - 1) / 2));
        std::memcpy(text.data(), data + 1, size_t(text.size()) * 2);
    }
    QByteArray out("prefix");
    AppendExportCellText(out, text);
    FUZZ_CHECK(out.startsWith("prefix")); // appends, never rewrites what is there
    FUZZ_CHECK(Decode(out.mid(6)) == Expected(text));
    return 0;
}
