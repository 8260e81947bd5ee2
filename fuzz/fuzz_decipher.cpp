// The password file's bytes: read the scrambled value as the log-in does, then unscramble it.
// Unscrambling and scrambling are exact inverses for every pair of hexadecimal digits.
#include "FuzzCheck.h"
#include "app/Crypt.h"
#include "storage/IniFile.h"
#include "storage/Text.h"
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>

namespace {
void CheckHex(const QString& hex) {
    const auto plain = Decipher(hex);
    const QString even = hex.left(hex.size() & ~qsizetype(1));
    bool allHex = true;
    for (QChar c : even)
        allHex = allHex && ((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f'));
    FUZZ_CHECK(plain.has_value() == allHex);
    if (!plain)
        return;
    FUZZ_CHECK(plain->size() == even.size() / 2);
    for (QChar c : *plain)
        FUZZ_CHECK(c.unicode() <= 0xFF);
    FUZZ_CHECK(Encipher(*plain) == even.toUpper());
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    CheckHex(QString::fromLatin1(bytes));
    const QString plain = QString::fromLatin1(bytes);
    FUZZ_CHECK(Decipher(Encipher(plain)) == plain);

    static QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/unins000.dll");
    {
        QFile f(path);
        FUZZ_CHECK(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        FUZZ_CHECK(f.write(bytes) == bytes.size());
    }
    bool ok = false;
    CheckHex(IniRead(path, QStringLiteral("Accesso"), QStringLiteral("Valore"), &ok));
    FUZZ_CHECK(ok);
    return 0;
}
