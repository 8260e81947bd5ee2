#pragma once
// Text rules shared by every file and window: trimming, A-Z case folding and the
// Windows-1252 code page of the archives and settings files.
#include <QByteArray>
#include <QString>

/// Removes every character up to U+0020 (blanks and control characters) from both ends.
QString TrimText(const QString& s);
/// A count with its noun agreeing: Counted(1, "ricevuta", "ricevute") is "1 ricevuta", 3 gives "3 ricevute".
QString Counted(qint64 n, const QString& singular, const QString& plural);
/// Turns only the letters a-z into A-Z; every other character is kept.
QString UpperAZ(const QString& s);
/// Turns only the letters A-Z into a-z; every other character is kept.
QString LowerAZ(const QString& s);
/// A text as names and headings are compared when matched: letters and digits only, accents taken
/// off, lower case ("D'Angelo Nicolò" and "dangelo nicolo" fold alike).
QString MatchFold(const QString& s);

/// Converts to Windows-1252, one byte per character; characters the code page lacks become '?'.
QByteArray ToWin1252(const QString& s);
/// Converts Windows-1252 bytes to text (the five unassigned bytes map to the same code points).
QString FromWin1252(const char* data, int len);
inline QString FromWin1252(const QByteArray& b) { return FromWin1252(b.constData(), b.size()); }
/// Converts `len` Windows-1252 bytes into `out`, which has room for `len` characters.
void FromWin1252Into(const char* data, int len, QChar* out);
/// True when every character of s has a Windows-1252 byte.
bool IsWin1252(const QString& s);
