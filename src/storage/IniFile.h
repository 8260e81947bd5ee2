#pragma once
// INI-format settings and password files, read and written key by key. Sections and keys
// match without regard to case; a write changes one line and keeps every other line as it was.
// Files are read as UTF-8 when they start with a BOM, otherwise as Windows-1252; they are
// written as Windows-1252 with CRLF line ends through SaveFile: old or new, never half.
#include <QString>

/// Reads `key` of `section`; a missing file, section or key gives an empty text.
/// `ok` (optional) is false only when an existing file cannot be read.
QString IniRead(const QString& path, const QString& section, const QString& key, bool* ok = nullptr);
/// Writes `key` of `section`, creating the file, section or key when missing.
bool IniWrite(const QString& path, const QString& section, const QString& key, const QString& value,
              QString* error = nullptr);
