#include "app/DesktopPlatform.h"
#include "storage/Text.h"
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QEventLoop>
#include <QTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QProcess>
#include <QRegularExpression>
#include <QUrlQuery>
#include <QUrl>

QDate SystemClock::Today() const { return QDate::currentDate(); }
QDateTime SystemClock::Now() const { return QDateTime::currentDateTime(); }

bool DialogMessages::Show(Kind kind, const QString& text, QWidget* parent) {
    QMessageBox box(parent ? parent : QApplication::activeWindow());
    box.setWindowTitle(QStringLiteral("Carvenna"));
    box.setText(ForDisplay(text));
    switch (kind) {
    case Kind::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Kind::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    case Kind::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Kind::Confirmation:
    case Kind::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case Kind::Plain:
        box.setIcon(QMessageBox::NoIcon);
        break;
    }
    // The buttons and the default come from the one table the test double records too.
    const ButtonSet set = ButtonsOf(kind);
    auto standard = [](const QString& caption) {
        if (caption == QLatin1String("Annulla"))
            return QMessageBox::Cancel;
        if (caption == QStringLiteral("Sì"))
            return QMessageBox::Yes;
        if (caption == QLatin1String("No"))
            return QMessageBox::No;
        return QMessageBox::Ok;
    };
    QMessageBox::StandardButtons buttons;
    for (const QString& c : set.captions)
        buttons |= standard(c);
    box.setStandardButtons(buttons);
    box.setDefaultButton(standard(set.captions.value(set.defaultIndex)));
    const int answer = box.exec();
    return kind == Kind::Question ? answer == QMessageBox::Yes : answer != QMessageBox::No;
}

int DialogMessages::Choose(const QString& text, const QStringList& buttons, int safeIndex, QWidget* parent) {
    QMessageBox box(parent ? parent : QApplication::activeWindow());
    box.setWindowTitle(QStringLiteral("Carvenna"));
    box.setText(ForDisplay(text));
    box.setIcon(QMessageBox::Question);
    QVector<QAbstractButton*> pressed;
    for (int i = 0; i < buttons.size(); ++i) {
        QPushButton* b = box.addButton(buttons[i], i == safeIndex ? QMessageBox::RejectRole : QMessageBox::AcceptRole);
        pressed << b;
        if (i == safeIndex) {
            box.setDefaultButton(b);
            box.setEscapeButton(b);
        }
    }
    box.exec();
    const int i = int(pressed.indexOf(box.clickedButton()));
    return i >= 0 ? i : safeIndex;
}

QString DesktopFileDialogs::Folder(QWidget* parent, const QString& title, const QString& startFolder) {
    return QFileDialog::getExistingDirectory(parent, title, startFolder);
}

QString DesktopFileDialogs::Open(QWidget* parent, const QString& title, const QString& filter, const QString& folder,
                                 const QString& defaultSuffix) {
    if (defaultSuffix.isEmpty())
        return QFileDialog::getOpenFileName(parent, title, folder, filter);
    QFileDialog dlg(parent, title, folder, filter);
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(QFileDialog::ExistingFile);
    dlg.setDefaultSuffix(defaultSuffix);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return {};
    return dlg.selectedFiles().constFirst();
}

QString DesktopFileDialogs::Save(QWidget* parent, const QString& title, const QString& filter,
                                 const QString& proposedPath, const QString& defaultSuffix) {
    QFileDialog dlg(parent, title, proposedPath, filter);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setDefaultSuffix(defaultSuffix);
    // A name typed without extension takes the one of the file type chosen in the dialog.
    QObject::connect(&dlg, &QFileDialog::filterSelected, &dlg, [&dlg](const QString& chosen) {
        static const QRegularExpression first(QStringLiteral("\\*\\.(\\w+)"));
        const QRegularExpressionMatch m = first.match(chosen);
        if (m.hasMatch())
            dlg.setDefaultSuffix(m.captured(1));
    });
    dlg.selectFile(proposedPath);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return {};
    return dlg.selectedFiles().constFirst();
}

void DesktopShell::Open(const QString& command) {
    // Callers quote paths (they may hold blanks); the desktop wants the bare path or URL.
    QString target = command;
    if (target.size() >= 2 && target.startsWith(u'"') && target.endsWith(u'"'))
        target = target.mid(1, target.size() - 2);
    const QUrl url = QUrl::fromUserInput(target, QString(), QUrl::AssumeLocalFile);
    if (QFileInfo(target).isAbsolute())
        QDesktopServices::openUrl(QUrl::fromLocalFile(target));
    else
        QDesktopServices::openUrl(url);
}

ProgramResult DesktopProgramRunner::Run(const QString& program, const QStringList& arguments, int limitMs) {
    ProgramResult out;
    QProcess p;
    p.setProgram(program);
    p.setArguments(arguments);
    p.start();
    // A program that has not even started in 15 s is not coming; the limit is for its work.
    if (!p.waitForStarted(15000) || !p.waitForFinished(limitMs)) {
        p.kill();
        p.waitForFinished(2000);
        out.error = p.errorString();
        return out;
    }
    out.finished = true;
    out.exitCode = p.exitCode();
    out.errorOutput = p.readAllStandardError();
    return out;
}
