#include "storage/ColumnLine.h"
#include "storage/Text.h"
#include <algorithm>
#include <cstring>

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
    return ColumnLineBuilder(columns, count, layout).Line(record);
}

ColumnLineBuilder::ColumnLineBuilder(const LineColumn* columns, int count, const QVector<FieldSpec>& layout) {
    m_columns.reserve(count);
    bool fixed = true;
    for (int i = 0; i < count; ++i) {
        const LineColumn& c = columns[i];
        const FieldSpec& f = layout[c.field];
        Q_ASSERT(IsWin1252(c.label.toString()));
        Column col{ToWin1252(c.label.toString()), c.label.toString(), f.offset, f.width, c.width, -1};
        // Up to the first column of free width every column starts at the same place in every line.
        fixed = fixed && c.width > 0;
        if (fixed) {
            m_head.append(col.label);
            col.at = int(m_head.size());
            m_head.append(QByteArray(c.width, ' '));
            ++m_headColumns;
        }
        m_columns.append(col);
    }
    m_headText = FromWin1252(m_head);
}

void ColumnLineBuilder::AppendLineBytes(const char* record, QByteArray& out) const {
    constexpr int kMaxColumns = 16;
    const int count = int(m_columns.size());
    Q_ASSERT(count - m_headColumns <= kMaxColumns);
    std::pair<int, int> tail[kMaxColumns];
    qsizetype length = m_head.size();
    for (int i = m_headColumns; i < count; ++i) {
        const Column& c = m_columns[i];
        std::pair<int, int>& t = tail[i - m_headColumns];
        t = StoredTextRange(record + c.offset, c.width);
        if (c.columnWidth > 0)
            t.second = std::min(t.second, t.first + c.columnWidth);
        length += c.label.size() + (c.columnWidth > 0 ? c.columnWidth : t.second - t.first);
    }
    const qsizetype start = out.size();
    out.resize(start + length);
    char* const begin = out.data() + start;
    // The head's labels and blanks in one copy; each field's text then goes over its blanks.
    std::memcpy(begin, m_head.constData(), size_t(m_head.size()));
    for (int i = 0; i < m_headColumns; ++i) {
        const Column& c = m_columns[i];
        auto [b, e] = StoredTextRange(record + c.offset, c.width);
        e = std::min(e, b + c.columnWidth);
        std::memcpy(begin + c.at, record + c.offset + 1 + b, size_t(e - b));
    }
    char* w = begin + m_head.size();
    for (int i = m_headColumns; i < count; ++i) {
        const Column& c = m_columns[i];
        const std::pair<int, int>& t = tail[i - m_headColumns];
        w = std::copy(c.label.begin(), c.label.end(), w);
        const int n = t.second - t.first;
        std::memcpy(w, record + c.offset + 1 + t.first, size_t(n));
        w = std::fill_n(w + n, std::max(0, c.columnWidth - n), ' ');
    }
}

QString ColumnLineBuilder::Line(const char* record) const {
    // As AppendLineBytes, but straight into the line's text: the head's labels and blanks in one copy,
    // then each field's bytes converted into place. No byte copy of the line is made first.
    constexpr int kMaxColumns = 16;
    const int count = int(m_columns.size());
    if (count > kMaxColumns) {
        QByteArray bytes;
        AppendLineBytes(record, bytes);
        return FromWin1252(bytes);
    }
    std::pair<int, int> range[kMaxColumns];
    qsizetype length = m_head.size();
    for (int i = 0; i < count; ++i) {
        const Column& c = m_columns[i];
        std::pair<int, int>& t = range[i];
        t = StoredTextRange(record + c.offset, c.width);
        if (c.columnWidth > 0)
            t.second = std::min(t.second, t.first + c.columnWidth);
        if (i >= m_headColumns)
            length += c.label.size() + (c.columnWidth > 0 ? c.columnWidth : t.second - t.first);
    }
    QString line(length, Qt::Uninitialized);
    QChar* const begin = line.data();
    std::copy_n(m_headText.constData(), m_headText.size(), begin);
    for (int i = 0; i < m_headColumns; ++i) {
        const Column& c = m_columns[i];
        const auto [b, e] = range[i];
        FromWin1252Into(record + c.offset + 1 + b, e - b, begin + c.at);
    }
    QChar* w = begin + m_headText.size();
    for (int i = m_headColumns; i < count; ++i) {
        const Column& c = m_columns[i];
        const auto [b, e] = range[i];
        w = std::copy_n(c.labelText.constData(), c.labelText.size(), w);
        FromWin1252Into(record + c.offset + 1 + b, e - b, w);
        w = std::fill_n(w + (e - b), std::max(0, c.columnWidth - (e - b)), QChar(u' '));
    }
    return line;
}
