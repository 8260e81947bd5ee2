#pragma once
// What a folder holds, to check that a failed action left every file as it was. Header only, so
// headless tests can use it too.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <cerrno>

/// Every file and folder under `root` by its relative path: a file's bytes, a folder as "<folder>".
inline QMap<QString, QByteArray> FolderState(const QString& root) {
    QMap<QString, QByteArray> state;
    const QDir base(root);
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QByteArray content = "<folder>";
        if (!it.fileInfo().isDir()) {
            QFile f(path);
            content = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
        }
        state.insert(base.relativeFilePath(path), content);
    }
    return state;
}

/// The first difference between two states, or an empty text when they are the same.
inline QString StateDiff(const QMap<QString, QByteArray>& before, const QMap<QString, QByteArray>& after) {
    for (auto it = before.begin(); it != before.end(); ++it) {
        if (!after.contains(it.key()))
            return it.key() + QStringLiteral(" is gone");
        if (after.value(it.key()) != it.value())
            return it.key() + QStringLiteral(" changed");
    }
    for (auto it = after.begin(); it != after.end(); ++it)
        if (!before.contains(it.key()))
            return it.key() + QStringLiteral(" was added");
    return QString();
}

inline const char* ErrorName(int e) {
    return e == ENOSPC ? "ENOSPC" : e == EIO ? "EIO" : e == EROFS ? "EROFS" : "EACCES";
}

/// A file's bytes, or nothing when it cannot be read.
inline QByteArray Bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

/// Writes `bytes` as the whole file, making its folder when needed; false when any step fails.
inline bool Put(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size() && f.flush();
}
