// An INI file's bytes through the reader and the line-preserving writer. The first input byte
// picks the section and key to write and the value's length; the rest is the file.
#include "FuzzCheck.h"
#include "storage/FileOps.h"
#include "storage/IniFile.h"
#include "storage/Text.h"
#include <QByteArray>
#include <QFile>
#include <QList>
#include <QTemporaryDir>
#include <cstdint>

namespace {
struct Name {
    const char* section;
    const char* key;
};
// The program's own sections and keys, in other letter cases too: names match without regard to case.
const Name kNames[] = {{"Accesso", "Valore"},   {"Numerazione Ricevute", "Inizio"},
                       {"Ricevente", "Rigo 1"}, {"RICEVENTE", "rigo 4"},
                       {"accesso", "VALORE"},   {"Nuova Sezione", "Chiave"},
                       {"Ricevente", "Rigo 2"}, {"Numerazione Ricevute", "inizio"}};

// The file's lines as the reader sees them: a line end is LF or CR LF, and the file's last line
// end may also be a lone CR.
QList<QByteArray> SplitLines(const QByteArray& bytes, const QByteArray& end) {
    QList<QByteArray> lines = bytes.split('\n');
    if (end == "\r\n") {
        FUZZ_CHECK(lines.last().isEmpty()); // the writer ends the file with a line end
        lines.removeLast();
        for (QByteArray& l : lines) {
            FUZZ_CHECK(l.endsWith('\r')); // the writer ends every line with CR LF
            l.chop(1);
        }
    } else {
        for (QByteArray& l : lines)
            if (l.endsWith('\r'))
                l.chop(1);
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
    }
    return lines;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const Name& name = kNames[data[0] % (sizeof kNames / sizeof kNames[0])];
    const QString section = QString::fromLatin1(name.section), key = QString::fromLatin1(name.key);
    const QByteArray file(reinterpret_cast<const char*>(data) + 1, int(size - 1));
    // A value of letters and digits (a real value never holds a line end).
    QString value;
    for (int i = 0; i < (data[0] >> 3) % 12; ++i)
        value += QLatin1Char("0123456789ABCDEFabcde\xE0"[(i * 7 + data[0]) % 22]);

    // The settings need not reach the disk here: without the flush a run checks far more inputs.
    struct NoFlush : FileOps {
        int Fsync(int) override { return 0; }
    };
    static NoFlush noFlush;
    static const bool installed = (FileOps::Install(&noFlush), true);
    Q_UNUSED(installed);
    static QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/Trelvani.ini");
    {
        QFile f(path);
        FUZZ_CHECK(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        FUZZ_CHECK(f.write(file) == file.size());
    }
    bool ok = false;
    const QString before = IniRead(path, section, key, &ok);
    FUZZ_CHECK(ok);
    FUZZ_CHECK(before == TrimText(before));
    const QString other = IniRead(path, QStringLiteral("Ricevente"), QStringLiteral("Rigo 3"));

    QString error;
    FUZZ_CHECK(IniWrite(path, section, key, value, &error));
    FUZZ_CHECK(IniRead(path, section, key) == value);
    if (key.compare(QLatin1String("Rigo 3"), Qt::CaseInsensitive) != 0)
        FUZZ_CHECK(IniRead(path, QStringLiteral("Ricevente"), QStringLiteral("Rigo 3")) == other);

    QFile f(path);
    FUZZ_CHECK(f.open(QIODevice::ReadOnly));
    const QByteArray written = f.readAll();
    // A file without a BOM is kept in its own code page: every untouched line comes back byte for
    // byte, with at most one line changed and at most three lines added (blank, section, key).
    if (file.startsWith("\xEF\xBB\xBF"))
        return 0;
    const QList<QByteArray> a = SplitLines(file, "\n"), b = SplitLines(written, "\r\n");
    int prefix = 0;
    while (prefix < a.size() && prefix < b.size() && a[prefix] == b[prefix])
        ++prefix;
    int suffix = 0;
    while (suffix < a.size() - prefix && suffix < b.size() - prefix &&
           a[a.size() - 1 - suffix] == b[b.size() - 1 - suffix])
        ++suffix;
    const int removed = int(a.size()) - prefix - suffix, added = int(b.size()) - prefix - suffix;
    FUZZ_CHECK(removed <= 1);
    FUZZ_CHECK(added <= 3);
    if (removed == 1)
        FUZZ_CHECK(added == 1 && a[prefix].contains('=')); // only the key's own line is rewritten
    return 0;
}
