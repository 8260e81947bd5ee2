#include "app/DesktopPlatform.h"
#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
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
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case Kind::Error:
        box.setIcon(QMessageBox::Critical);
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case Kind::Information:
        box.setIcon(QMessageBox::Information);
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case Kind::Confirmation:
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case Kind::Plain:
        box.setIcon(QMessageBox::NoIcon);
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Kind::Question:
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    }
    box.setDefaultButton(kind == Kind::Confirmation ? QMessageBox::Yes
                         : kind == Kind::Question   ? QMessageBox::No
                                                    : QMessageBox::Ok);
    const int answer = box.exec();
    return kind == Kind::Question ? answer == QMessageBox::Yes : answer != QMessageBox::No;
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
