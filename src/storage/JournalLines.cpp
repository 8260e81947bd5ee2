#include "storage/JournalLines.h"
#include "storage/ReceiptFile.h"
#include "storage/RecordFile.h"
#include "storage/FileOps.h"
#include "storage/SystemFile.h"
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QSysInfo>
#include <cerrno>
#include <cstring>

namespace {
const char kTimeFormat[] = "yyyy-MM-dd HH:mm:ss";

QString Escape(const QString& s) {
    QString out;
    out.reserve(s.size());
    for (QChar c : s) {
        switch (c.unicode()) {
        case '\\':
            out += QLatin1String("\\\\");
            break;
        case '\t':
            out += QLatin1String("\\t");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        case '\r':
            out += QLatin1String("\\r");
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString Unescape(const QString& s) {
    QString out;
    out.reserve(s.size());
    for (int i = 0; i < s.size(); ++i) {
        if (s.at(i) != u'\\' || i + 1 >= s.size()) {
            out += s.at(i);
            continue;
        }
        const QChar n = s.at(++i);
        out += n == u't' ? QChar(u'\t') : n == u'n' ? QChar(u'\n') : n == u'r' ? QChar(u'\r') : n;
    }
    return out;
}

QByteArray CheckCode(const QByteArray& body) {
    return QCryptographicHash::hash(body, QCryptographicHash::Sha1).toHex().left(12);
}

QString Errno(const char* what, const QString& path) {
    return QStringLiteral("%1 %2: %3")
        .arg(QLatin1String(what), QDir::toNativeSeparators(path), QString::fromLocal8Bit(strerror(errno)));
}
} // namespace

QString WorkstationName() {
    const QString host = QSysInfo::machineHostName();
    return host.isEmpty() ? QStringLiteral("?") : host;
}

QString CurrentUserName() {
    return SystemFile::UserName();
}

QString JournalFolder(const QString& archivePath) {
    return QFileInfo(archivePath).absolutePath() + QStringLiteral("/Storico");
}

// One journal line: the escaped columns, a tab, the check code of what precedes it, a line feed.
QByteArray JournalLines::Seal(const QStringList& columns) {
    QStringList escaped;
    for (const QString& c : columns)
        escaped << Escape(c);
    const QByteArray body = escaped.join(u'\t').toUtf8();
    return body + '\t' + CheckCode(body) + '\n';
}

bool JournalLines::Unseal(const QByteArray& line, QStringList& columns) {
    const int tab = line.lastIndexOf('\t');
    if (tab <= 0 || line.mid(tab + 1) != CheckCode(line.left(tab)))
        return false;
    columns.clear();
    for (const QString& c : QString::fromUtf8(line.left(tab)).split(u'\t'))
        columns << Unescape(c);
    return true;
}

// A last line torn by a crash is closed first with a mark that the reader passes over ("!"), so the
// new line never runs on from it. A failed write or flush cuts the file back to its size before, so
// no half line stays behind.
JournalFailure JournalLines::Append(const QString& path, const QByteArray& lines, QString* error, qint64* lineOffset) {
    auto fail = [&](JournalFailure why, const QString& text) {
        if (error)
            *error = text;
        return why;
    };
    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder))
        return fail(JournalFailure::Unavailable, QStringLiteral("cannot create %1").arg(folder));
    FileOps& ops = FileOps::Current();
    const QByteArray native = QFile::encodeName(path);
    const int fd = ops.Open(native.constData(), O_RDWR | O_CREAT | SystemFile::kOpenFlags, 0666);
    if (fd < 0)
        return fail(JournalFailure::Unavailable, Errno("open", path));
    const qint64 size = SystemFile::IsRegular(fd) ? SystemFile::Size(fd) : -1;
    if (size < 0) {
        ops.Close(fd);
        return fail(JournalFailure::Unavailable, QStringLiteral("%1 is not a file").arg(path));
    }
    QByteArray bytes = lines;
    char last = '\n';
    if (size > 0 && SystemFile::ReadAt(fd, &last, 1, size - 1) != 1)
        last = '\0';
    if (last != '\n')
        bytes.prepend("!\n");
    qint64 done = 0;
    bool ok = true;
    while (done < bytes.size()) {
        const ssize_t n = ops.Pwrite(fd, bytes.constData() + done, size_t(bytes.size() - done), off_t(size + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        done += n;
    }
    QString why = ok ? QString() : Errno("write", path);
    if (ok && ops.Fsync(fd) != 0) {
        ok = false;
        why = Errno("flush", path);
    }
    if (!ok) {
        ops.Ftruncate(fd, size);
        ops.Close(fd);
        return fail(JournalFailure::WriteFailed, why);
    }
    // The line is on the disk: a failing close cannot take it back.
    ops.Close(fd);
    if (lineOffset)
        *lineOffset = qint64(size) + (last != '\n' ? 2 : 0);
    return JournalFailure::None;
}

QStringList JournalLines::StampColumns(const JournalStamp& s) {
    return {s.when.toString(QLatin1String(kTimeFormat)), s.workstation, s.user};
}

JournalStamp JournalLines::StampFrom(const QStringList& c, int at) {
    return {QDateTime::fromString(c.value(at), QLatin1String(kTimeFormat)), c.value(at + 1), c.value(at + 2)};
}

bool JournalLines::AppendUnderYearLock(const QString& yearArchive, const QString& path, const QByteArray& lines,
                                       QString* error) {
    RecordFile archive(ReceiptRecord::Size);
    if (!archive.OpenOrCreate(yearArchive)) {
        if (error)
            *error = archive.ErrorString();
        return false;
    }
    JournalFailure r = JournalFailure::None;
    archive.Locked([&] {
        r = JournalLines::Append(path, lines, error);
        return true;
    });
    archive.Close();
    return r == JournalFailure::None;
}
