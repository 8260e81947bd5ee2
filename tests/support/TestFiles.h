#pragma once
// The file helpers the backup and restore tests share: write a fixture file (its folders made as
// needed), read a file back ("<missing>" when there is none), list a folder. Header only, so
// headless tests can use it too.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

namespace testfiles {
inline void Write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

inline QByteArray Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

inline QStringList Entries(const QString& path) {
    return QDir(path).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}
} // namespace testfiles
