#pragma once
// A ProgramRunner that runs nothing: it records every call and answers from a queue. `effect` stands for
// what the program does before it ends (LibreOffice writing its CSV, say). Header only, so headless tests
// can use it too.
#include "app/ProgramRunner.h"
#include <QQueue>
#include <QVector>
#include <functional>

class FakeProgramRunner : public ProgramRunner {
public:
    struct Call {
        QString program;
        QStringList arguments;
        int limitMs = 0;
    };
    QVector<Call> calls;
    /// The answers, in order; when empty, the program cannot be started.
    QQueue<ProgramResult> results;
    std::function<void(const Call&)> effect;

    ProgramResult Run(const QString& program, const QStringList& arguments, int limitMs) override {
        calls.append({program, arguments, limitMs});
        if (effect)
            effect(calls.constLast());
        if (!results.isEmpty())
            return results.dequeue();
        ProgramResult notFound;
        notFound.error = QStringLiteral("no program is run in tests");
        return notFound;
    }
};
