#include "storage/Lists.h"
#include "storage/Text.h"

QString FixedColumn(const QString& text, int width) {
    const QString t = TrimText(text);
    if (t.size() >= width)
        return t.left(width);
    return t + QString(width - t.size(), u' ');
}

bool CriterionOccurs(const QString& field, const QString& criterion) {
    if (criterion.isEmpty())
        return false;
    return LowerAZ(field).contains(LowerAZ(criterion));
}

int FilledCriteria(const QVector<QString>& criteria) {
    int n = 0;
    for (const QString& c : criteria)
        if (!TrimText(c).isEmpty())
            ++n;
    return n;
}

bool MatchesCriteria(const QVector<QString>& fields, const QVector<QString>& criteria) {
    const int n = FilledCriteria(criteria);
    int m = 0;
    for (int i = 0; i < criteria.size() && i < fields.size(); ++i)
        if (CriterionOccurs(fields.at(i), criteria.at(i)))
            ++m;
    return m >= n;
}

int ListFinder::Find(const QStringList& lines, int selected, const QString& keyAsTyped) {
    if (lines.isEmpty())
        return -1;
    const QString key = LowerAZ(keyAsTyped);
    const int count = int(lines.size());
    if (selected < 0 || selected >= count)
        selected = 0;
    const bool sameKey = m_hasLast && key == m_last;
    m_hasLast = true;
    m_last = key;
    if (key.isEmpty())
        return -1;
    auto matches = [&](int i) { return LowerAZ(lines.at(i)).contains(key); };
    int start = selected;
    if (!sameKey) {
        start = 0;
        if (matches(0))
            return 0;
    }
    for (int step = 1; step <= count; ++step) {
        const int i = (start + step) % count;
        if (matches(i))
            return i;
    }
    return -1;
}

#include <cstring>
#include <string_view>

namespace {
inline char FoldByte(char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; }
} // namespace

RecordMatcher::RecordMatcher(const QVector<FieldSpec>& fields, const QVector<QString>& criteria) {
    m_filled = FilledCriteria(criteria);
    for (int i = 0; i < criteria.size() && i < fields.size(); ++i) {
        const QString& c = criteria.at(i);
        m_criteria.append({fields.at(i), ToWin1252(LowerAZ(c)), IsWin1252(c)});
    }
}

bool RecordMatcher::Matches(const char* record) const {
    int found = 0;
    for (const Criterion& c : m_criteria) {
        if (c.folded.isEmpty() || !c.possible)
            continue;
        const char* text = record + c.field.offset + 1;
        int n = static_cast<unsigned char>(text[-1]);
        if (n > c.field.width)
            n = c.field.width;
        // Stored fields are trimmed, but a foreign file may not be: match what a reader shows.
        int b = 0;
        while (b < n && static_cast<unsigned char>(text[b]) <= 0x20)
            ++b;
        while (n > b && static_cast<unsigned char>(text[n - 1]) <= 0x20)
            --n;
        const int len = n - b;
        if (len < c.folded.size())
            continue;
        char folded[256];
        for (int k = 0; k < len; ++k)
            folded[k] = FoldByte(text[b + k]);
        if (std::string_view(folded, size_t(len))
                .find(std::string_view(c.folded.constData(), size_t(c.folded.size()))) != std::string_view::npos)
            ++found;
    }
    return found >= m_filled;
}
