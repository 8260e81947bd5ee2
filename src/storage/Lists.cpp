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
