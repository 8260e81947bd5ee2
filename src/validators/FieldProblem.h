#pragma once
// A field found wrong by a settings check: which field (the member's name) and why, for the office.
#include <QString>
#include <QVector>

struct FieldProblem {
    QString field;   // the member, e.g. "partitaIva", "iban"
    QString message; // what is wrong, in Italian
};

/// Whether `problems` names `field`.
inline bool HasProblem(const QVector<FieldProblem>& problems, const QString& field) {
    for (const FieldProblem& p : problems)
        if (p.field == field)
            return true;
    return false;
}
