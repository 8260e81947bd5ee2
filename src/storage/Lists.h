#pragma once
// Building blocks of the result lists: fixed-width columns, the counted-criteria match
// and the cyclic find-in-list ("Trova").
#include <QString>
#include <QStringList>
#include <QVector>

/// The trimmed text padded with blanks on the right, or cut, to exactly `width` characters.
QString FixedColumn(const QString& text, int width);

/// True when `criterion`, as typed and folded to lower case (A-Z only), occurs in `field` folded
/// likewise. An empty criterion never occurs.
bool CriterionOccurs(const QString& field, const QString& criterion);

/// Number of criteria with non-blank text (after trimming).
int FilledCriteria(const QVector<QString>& criteria);
/// Counted-criteria match: counts the criteria found in their fields (criteria[i] in fields[i])
/// and compares the count with the number of filled criteria.
bool MatchesCriteria(const QVector<QString>& fields, const QVector<QString>& criteria);

/// Cyclic find in a list of lines, remembering the last key so that a repeated find moves on.
class ListFinder {
public:
    /// Forgets the last key (the window was shown again).
    void Reset() { m_hasLast = false; }
    /// Returns the line to select, or -1 when nothing matches (the selection stays).
    /// `selected` is the selected line or -1 when none is.
    int Find(const QStringList& lines, int selected, const QString& keyAsTyped);

private:
    bool m_hasLast = false;
    QString m_last;
};

#include "storage/FixedField.h"
#include <QByteArray>

/// Counted-criteria match straight on stored records, for scanning readers: a record is
/// decoded only when it matches. Gives the same answer as MatchesCriteria on decoded fields.
class RecordMatcher {
public:
    /// `fields[i]` is the field that `criteria[i]` is matched against.
    RecordMatcher(const QVector<FieldSpec>& fields, const QVector<QString>& criteria);
    bool Matches(const char* record) const;

private:
    struct Criterion {
        FieldSpec field;
        QByteArray folded; // Windows-1252, A-Z folded; empty: never occurs
        bool possible;     // false when the text holds a character no stored field can hold
    };
    QVector<Criterion> m_criteria;
    int m_filled = 0;
};
