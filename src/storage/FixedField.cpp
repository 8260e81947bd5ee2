#include "storage/FixedField.h"
#include "storage/Text.h"
#include <cstring>

void EncodeField(char* dst, int width, const QString& value) {
    // Cut by characters, not bytes: Windows-1252 has one byte per character.
    const QByteArray bytes = ToWin1252(TrimText(value).left(width));
    const int n = int(bytes.size());
    dst[0] = char(n);
    std::memcpy(dst + 1, bytes.constData(), size_t(n));
}

std::pair<int, int> StoredTextRange(const char* src, int width) {
    int n = static_cast<unsigned char>(src[0]);
    if (n > width)
        n = width; // damaged length byte: never read past the field
    // Trim on the bytes: in Windows-1252 the bytes up to 0x20 are exactly the characters up to U+0020.
    const unsigned char* text = reinterpret_cast<const unsigned char*>(src + 1);
    int b = 0;
    while (b < n && text[b] <= 0x20)
        ++b;
    while (n > b && text[n - 1] <= 0x20)
        --n;
    return {b, n};
}

QString DecodeField(const char* src, int width) {
    const auto [b, e] = StoredTextRange(src, width);
    if (e == b)
        return QString();
    return FromWin1252(src + 1 + b, e - b);
}

void DecodeFieldInto(const char* src, int width, QString& out) {
    const auto [b, e] = StoredTextRange(src, width);
    out.resize(e - b);
    if (e > b)
        FromWin1252Into(src + 1 + b, e - b, out.data());
}

QVector<FieldSpec> BuildLayout(std::initializer_list<std::pair<const char*, int>> fields) {
    QVector<FieldSpec> out;
    int offset = 0;
    for (const auto& f : fields) {
        out.append({f.first, f.second, offset});
        offset += f.second + 1;
    }
    return out;
}
