#pragma once
// The whole start of the program, shared by main() and the start-up benchmark.
#include "app/FirstFrame.h"
#include <QHash>
#include <QTranslator>
#include <functional>

class QApplication;
class QWidget;

/// A translator read from a Qt Linguist source file (.ts): the few texts of Qt's own dialogs that the
/// Italian translation of Qt leaves in English. Unfinished and obsolete entries are left out.
class TsTranslator : public QTranslator {
public:
    bool LoadTs(const QString& path);
    QString translate(const char* context, const char* sourceText, const char* disambiguation = nullptr,
                      int n = -1) const override;
    bool isEmpty() const override { return m_texts.isEmpty(); }

private:
    QHash<QByteArray, QString> m_texts; // "context\x1Fsource\x1Fcomment" -> translation
};

/// Installs Qt's Italian translation, then ours, and the Italian locale.
void InstallItalian(QApplication& qapp);

/// Runs the program in `qapp`: chooses and prepares the program folder from the command line and the
/// environment, starts the windows and runs the event loop. `firstFrame`, when given, is called as the
/// first window's first frame has been painted (the start-up benchmark's mark).
int RunCarvenna(QApplication& qapp, const std::function<void()>& firstFrame = {});
