#pragma once
// Writes a whole file so that it either keeps its old content or has the complete new one: the
// bytes go to a new file beside it, are flushed to the disk, and only then replace the old file
// by a rename. Any failed call leaves the old file as it was and removes the new one.
#include <QByteArray>
#include <QString>

class SaveFile {
public:
    explicit SaveFile(const QString& path);
    ~SaveFile(); // without Commit, the new file is dropped
    SaveFile(const SaveFile&) = delete;
    SaveFile& operator=(const SaveFile&) = delete;

    /// Creates the new file; it gets the permissions of the file it replaces.
    bool Open();
    bool Write(const QByteArray& bytes);
    /// Flushes, closes and renames the new file over the old one.
    bool Commit();
    void Cancel();
    QString ErrorString() const { return m_error; }

private:
    bool Fail(const char* what);

    QString m_path;
    QByteArray m_temp;
    int m_fd = -1;
    qint64 m_written = 0;
    QString m_error;
};

/// Replaces `path` with `bytes` through a SaveFile; on failure `error` gets the reason.
bool SaveWholeFile(const QString& path, const QByteArray& bytes, QString* error = nullptr);

/// Replaces `to` with a copy of `from`, read in blocks, through a SaveFile: a failure leaves `to` as
/// it was. On failure `error` gets the reason.
bool CopyWholeFile(const QString& from, const QString& to, QString* error = nullptr);

/// The same from an open descriptor, read from its start with pread (its file position is left
/// alone); `fromName` names it in the error.
bool CopyWholeFile(int from, const QString& fromName, const QString& to, QString* error = nullptr);
