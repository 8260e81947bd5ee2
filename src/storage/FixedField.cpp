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

QString DecodeField(const char* src, int width) {
    int n = static_cast<unsigned char>(src[0]);
    if (n > width)
        n = width; // damaged length byte: never read past the field
    return TrimText(FromWin1252(src + 1, n));
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
