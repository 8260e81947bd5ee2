#include "TestPlatform.h"
#include "app/Crypt.h"
#include "storage/IniFile.h"
#include <QTest>

bool RecordingMessages::Show(Kind kind, const QString& text, QWidget*) {
    const ButtonSet set = ButtonsOf(kind);
    shown.append({kind, text, set.captions, set.captions.value(set.defaultIndex)});
    if ((kind == Kind::Confirmation || kind == Kind::Question) && !answers.isEmpty())
        return answers.dequeue();
    return kind != Kind::Question; // a question left unanswered takes its default, No
}

int RecordingMessages::Choose(const QString& text, const QStringList& buttons, int safeIndex, QWidget*) {
    shown.append({Kind::Question, text, buttons, buttons.value(safeIndex)});
    lastButtons = buttons;
    return choices.isEmpty() ? safeIndex : choices.dequeue();
}

QVector<RecordingMessages::Shown> RecordingMessages::Take() {
    QVector<Shown> out;
    out.swap(shown);
    return out;
}

QStringList RecordingMessages::TakeTexts() {
    QStringList out;
    for (const Shown& s : Take())
        out << s.text;
    return out;
}

QString QueuedFileDialogs::Open(QWidget*, const QString& title, const QString& filter, const QString& folder,
                                const QString& defaultSuffix) {
    asked.append({title, filter, folder, defaultSuffix, false});
    return answers.isEmpty() ? QString() : answers.dequeue();
}

QString QueuedFileDialogs::Save(QWidget*, const QString& title, const QString& filter, const QString& proposedPath,
                                const QString& defaultSuffix) {
    asked.append({title, filter, proposedPath, defaultSuffix, true});
    return answers.isEmpty() ? QString() : answers.dequeue();
}

QString QueuedFileDialogs::Folder(QWidget*, const QString& title, const QString& startFolder) {
    asked.append({title, QString(), startFolder, QString(), false});
    return answers.isEmpty() ? QString() : answers.dequeue();
}

TestPlatform::TestPlatform() {
    platform.programFolder = dir.path() + u'/';
    platform.clock = &clock;
    platform.messages = &messages;
    platform.fileDialogs = &fileDialogs;
    platform.shell = &shell;
    platform.programs = &programs;
}

void TestPlatform::WritePassword(const QString& plain) {
    QVERIFY(IniWrite(Path(QStringLiteral("unins000.dll")), QStringLiteral("Accesso"), QStringLiteral("Valore"),
                     Encipher(plain)));
}
