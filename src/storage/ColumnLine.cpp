#include "storage/ColumnLine.h"
#include "storage/Text.h"
#include <algorithm>

namespace {
// The trimmed range [b, e) of `text`: characters up to U+0020 are cut from both ends.
std::pair<qsizetype, qsizetype> Trimmed(const QString& text) {
    qsizetype b = 0, e = text.size();
    while (b < e && text.at(b).unicode() <= 0x20)
        ++b;
    while (e > b && text.at(e - 1).unicode() <= 0x20)
        --e;
    return {b, e};
}
} // namespace

QString ColumnLine(const LineColumn* columns, int count, const QString* const* fields) {
    QString line;
    line.reserve(160);
    for (int i = 0; i < count; ++i) {
        const LineColumn& c = columns[i];
        const QString& text = *fields[c.field];
        const auto [b, e] = Trimmed(text);
        const qsizetype n = c.width > 0 ? std::min<qsizetype>(e - b, c.width) : e - b;
        line.append(c.label);
        line.append(QStringView(text).mid(b, n));
        if (c.width > n)
            line.resize(line.size() + (c.width - n), u' ');
    }
    return line;
}

QString ColumnLineFromBytes(const LineColumn* columns, int count, const QVector<FieldSpec>& layout,
                            const char* record) {
    constexpr int kMaxColumns = 16;
    Q_ASSERT(count <= kMaxColumns);
    std::pair<int, int> text[kMaxColumns];
    qsizetype length = 0;
    for (int i = 0; i < count; ++i) {
        const LineColumn& c = columns[i];
        const FieldSpec& f = layout[c.field];
        text[i] = StoredTextRange(record + f.offset, f.width);
        if (c.width > 0)
            text[i].second = std::min(text[i].second, text[i].first + c.width);
        length += c.label.size() + (c.width > 0 ? c.width : text[i].second - text[i].first);
    }
    QString line(length, Qt::Uninitialized);
    QChar* out = line.data();
    for (int i = 0; i < count; ++i) {
        const LineColumn& c = columns[i];
        out = std::copy(c.label.begin(), c.label.end(), out);
        const int n = text[i].second - text[i].first;
        FromWin1252Into(record + layout[c.field].offset + 1 + text[i].first, n, out);
        out = std::fill_n(out + n, std::max(0, c.width - n), QChar(u' '));
    }
    return line;
}
