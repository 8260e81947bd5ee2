#include "storage/IniFile.h"
#include "storage/RecordFile.h"
#include "storage/SaveFile.h"
#include "storage/Text.h"
#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace {
struct Lines {
    QStringList lines;
    bool ok = true;    // false when the file exists but cannot be read
    bool utf8 = false; // the file began with a UTF-8 byte order mark
};

Lines Load(const QString& path) {
    Lines out;
    QFileInfo info(path);
    if (!info.exists())
        return out;
    QFile f(path);
    if (!info.isFile() || !f.open(QIODevice::ReadOnly)) {
        out.ok = false;
        return out;
    }
    const QByteArray bytes = f.readAll();
    QString text;
    out.utf8 = bytes.startsWith("\xEF\xBB\xBF");
    if (out.utf8)
        text = QString::fromUtf8(bytes.mid(3));
    else
        text = FromWin1252(bytes);
    out.lines = text.split(u'\n');
    for (QString& l : out.lines)
        if (l.endsWith(u'\r'))
            l.chop(1);
    if (!out.lines.isEmpty() && out.lines.last().isEmpty())
        out.lines.removeLast(); // the final line end
    return out;
}

// Section name of a "[name]" line, or a null string for any other line.
QString SectionOf(const QString& line) {
    const QString t = TrimText(line);
    if (!t.startsWith(u'['))
        return {};
    const int close = t.indexOf(u']');
    if (close < 0)
        return {};
    return TrimText(t.mid(1, close - 1));
}

bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Finds `key` in `section`: returns the line index of the key (or -1) and, in `sectionEnd`, the
// index after the section's last non-blank line (-1 when the section is missing).
int FindKey(const QStringList& lines, const QString& section, const QString& key, int* sectionEnd) {
    bool inSection = false;
    int end = -1;
    for (int i = 0; i < lines.size(); ++i) {
        const QString name = SectionOf(lines[i]);
        if (!name.isNull()) {
            if (inSection)
                break; // the first matching section is the one that counts
            inSection = SameName(name, section);
            if (inSection)
                end = i + 1;
            continue;
        }
        if (!inSection)
            continue;
        const QString t = TrimText(lines[i]);
        if (t.isEmpty())
            continue;
        end = i + 1;
        if (t.startsWith(u';') || t.startsWith(u'#'))
            continue;
        const int eq = lines[i].indexOf(u'=');
        if (eq > 0 && SameName(TrimText(lines[i].left(eq)), key)) {
            if (sectionEnd)
                *sectionEnd = end;
            return i;
        }
    }
    if (sectionEnd)
        *sectionEnd = end;
    return -1;
}

// Sets `key` of `section` in `lines`, adding the key or the section when missing.
void SetKey(QStringList& lines, const QString& section, const QString& key, const QString& value) {
    int sectionEnd = -1;
    const int at = FindKey(lines, section, key, &sectionEnd);
    if (at >= 0) {
        const QString& line = lines[at];
        lines[at] = line.left(line.indexOf(u'=')).trimmed() + u'=' + value;
    } else if (sectionEnd >= 0) {
        lines.insert(sectionEnd, key + u'=' + value);
    } else {
        if (!lines.isEmpty() && !TrimText(lines.last()).isEmpty())
            lines << QString();
        lines << u'[' + section + u']' << key + u'=' + value;
    }
}

// The file is written in Windows-1252, as the program writes it; a UTF-8 file holding characters
// that Windows-1252 lacks stays UTF-8, so that rewriting one key never turns another into '?'.
QByteArray Encode(const QStringList& lines, bool utf8) {
    const QString text = lines.join(QLatin1String("\r\n")) + QLatin1String("\r\n");
    return utf8 && !IsWin1252(text) ? QByteArray("\xEF\xBB\xBF") + text.toUtf8() : ToWin1252(text);
}
} // namespace

QString IniRead(const QString& path, const QString& section, const QString& key, bool* ok) {
    const Lines file = Load(path);
    if (ok)
        *ok = file.ok;
    const int at = FindKey(file.lines, section, key, nullptr);
    if (at < 0)
        return {};
    const QString& line = file.lines[at];
    return TrimText(line.mid(line.indexOf(u'=') + 1));
}

bool IniWrite(const QString& path, const QString& section, const QString& key, const QString& value, QString* error) {
    Lines file = Load(path);
    if (!file.ok) {
        if (error)
            *error = QStringLiteral("cannot read %1").arg(path);
        return false;
    }
    SetKey(file.lines, section, key, value);
    return SaveWholeFile(path, Encode(file.lines, file.utf8), error);
}

bool IniDocument::Load(const QString& path, QString* error) {
    ::Lines file = ::Load(path);
    if (!file.ok) {
        if (error)
            *error = QStringLiteral("cannot read %1").arg(path);
        return false;
    }
    m_lines = file.lines;
    m_utf8 = file.utf8;
    return true;
}

QVector<IniDocument::Entry> IniDocument::Entries() const {
    QVector<Entry> out;
    QString section;
    for (const QString& line : m_lines) {
        const QString name = SectionOf(line);
        if (!name.isNull()) {
            section = name;
            continue;
        }
        const QString t = TrimText(line);
        if (section.isNull() || t.isEmpty() || t.startsWith(u';') || t.startsWith(u'#'))
            continue;
        const int eq = line.indexOf(u'=');
        if (eq > 0)
            out.push_back({section, TrimText(line.left(eq)), TrimText(line.mid(eq + 1))});
    }
    return out;
}

QString IniDocument::Value(const QString& section, const QString& key) const {
    const int at = FindKey(m_lines, section, key, nullptr);
    return at < 0 ? QString() : TrimText(m_lines[at].mid(m_lines[at].indexOf(u'=') + 1));
}

void IniDocument::Set(const QString& section, const QString& key, const QString& value) {
    SetKey(m_lines, section, key, value);
}

bool IniDocument::Save(const QString& path, QString* error) const {
    return SaveWholeFile(path, Encode(m_lines, m_utf8), error);
}

bool UpdateIniFile(const QString& path, const std::function<void(IniDocument&)>& change, QString* error) {
    // A lock file beside the settings, which nothing else opens: a lock on the settings file itself would
    // go with the first close of any descriptor of it in this process, such as the load's.
    RecordFile lock(1);
    if (!lock.OpenOrCreate(path + QStringLiteral(".lock"))) {
        if (error)
            *error = lock.ErrorString();
        return false;
    }
    QString why;
    const bool ok = lock.Locked([&] {
        IniDocument doc;
        if (!doc.Load(path, &why))
            return false;
        change(doc);
        return doc.Save(path, &why);
    });
    // Closing the lock's descriptor changes nothing on the disk: the save is done or not.
    lock.Close();
    if (!ok && error)
        *error = why.isEmpty() ? lock.ErrorString() : why;
    return ok;
}
