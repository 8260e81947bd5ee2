#pragma once
// INI-format settings and password files, read and written key by key. Sections and keys
// match without regard to case; a write changes one line and keeps every other line as it was.
// Files are read as UTF-8 when they start with a BOM, otherwise as Windows-1252; they are
// written as Windows-1252 with CRLF line ends through SaveFile: old or new, never half.
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>

/// Reads `key` of `section`; a missing file, section or key gives an empty text.
/// `ok` (optional) is false only when an existing file cannot be read.
QString IniRead(const QString& path, const QString& section, const QString& key, bool* ok = nullptr);
/// Writes `key` of `section`, creating the file, section or key when missing.
bool IniWrite(const QString& path, const QString& section, const QString& key, const QString& value,
              QString* error = nullptr);

/// A whole settings file in memory, for a reader of many sections (one read of the file) and a writer
/// of many keys in one save (all or nothing). Same matching, codec and line keeping as IniRead/IniWrite.
class IniDocument {
public:
    struct Entry {
        QString section, key, value;
    };
    /// Reads `path`; a missing file is an empty document. False (with `error`) when it cannot be read.
    bool Load(const QString& path, QString* error = nullptr);
    /// Every key of every section, in file order (comments and blank lines left out).
    QVector<Entry> Entries() const;
    QString Value(const QString& section, const QString& key) const;
    /// Sets a key, creating the key or the section when missing.
    void Set(const QString& section, const QString& key, const QString& value);
    /// Writes the whole file through SaveFile.
    bool Save(const QString& path, QString* error = nullptr) const;

private:
    QStringList m_lines;
    bool m_utf8 = false;
};

/// Loads `path`, lets `change` alter it and saves it, with the same update of every other workstation
/// held off from the load to the save (by the lock of <path>.lock, a file kept beside it), so that two workstations changing a shared file at once both keep their change. False, with
/// `error`, when the file cannot be locked, read or saved; the file is then as it was.
bool UpdateIniFile(const QString& path, const std::function<void(IniDocument&)>& change, QString* error = nullptr);
