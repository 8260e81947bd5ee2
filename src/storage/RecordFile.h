#pragma once
// A headerless file of fixed-size records, opened for the length of one user action.
// Appends and overwrites hold an exclusive lock on a sentinel byte far beyond the data, so
// that workstations sharing the folder never write over each other's records.
//
// An overwrite first saves the record's offset, old bytes and new bytes in a file beside the
// archive (IntentPath) and removes it once the new record is on the disk. A kill, a power cut or
// a lost connection can stop the record's write half way; the next open finds that file and puts
// the old record back, so a record is always the old one or the new one, never a mix.
#include <QByteArray>
#include <QString>
#include <functional>

class RecordFile {
public:
    explicit RecordFile(int recordSize);
    ~RecordFile();
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;

    /// Opens the file for reading and writing; creates it empty when it does not exist.
    /// An existing file that cannot be opened is never replaced. An overwrite left half done by an
    /// earlier writer is settled first.
    bool OpenOrCreate(const QString& path);
    bool IsOpen() const { return m_fd >= 0; }
    /// Number of whole records; a trailing partial record does not count. -1 on failure.
    qint64 RecordCount();
    /// Reads record `index` (0-based) into `out` (recordSize bytes).
    bool ReadRaw(qint64 index, QByteArray& out);
    /// Writes `rec` at the end (over a trailing partial record); `position` gets the new 1-based position.
    bool AppendRaw(const QByteArray& rec, qint64* position = nullptr);
    /// Writes `rec` over record `index` (0-based); the index must hold a whole record.
    bool OverwriteRaw(qint64 index, const QByteArray& rec);
    /// Appends many records in one locked action, all or nothing. `build` gets the record count
    /// taken under the lock (so numbers derived from it cannot collide with another workstation's)
    /// and fills `recs` with whole records; returning false cancels the batch with nothing written.
    /// On a failed write or flush the file is cut back to its bytes before the batch.
    /// `firstPosition` gets the 1-based position of the first new record.
    bool AppendBatchRaw(const std::function<bool(qint64 countBefore, QByteArray& recs)>& build,
                        qint64* firstPosition = nullptr);
    /// Runs `action` with the writers of every workstation held off, after settling an overwrite a
    /// crash cut short. Appends, overwrites and batches called inside do not take the lock again, so
    /// a check and the write it allows (a number still free, a record still as loaded, a journal
    /// entry before its change) happen as one step. Returns what `action` returns.
    bool Locked(const std::function<bool()>& action);
    /// The same as Locked, but only when no other workstation holds the lock at this moment: when one
    /// does, `action` is not run, `busy` is set and false is returned at once instead of waiting.
    bool TryLocked(const std::function<bool()>& action, bool* busy);
    /// Records an error text from inside a Locked action (the text ErrorString then gives).
    bool SetError(const QString& text) { return Fail(text); }
    /// Reads every whole record in large blocks and hands each one to `visit(index, bytes)`;
    /// stops early when visit returns false.
    bool Scan(const std::function<bool(qint64, const char*)>& visit);
    /// Reads all whole records' bytes in one go.
    bool ReadAllRaw(QByteArray& out);
    /// Copies every byte of the file to `to`, written whole or not at all, with the writers of every
    /// workstation held off meanwhile: the copy never catches a record half written.
    bool CopyTo(const QString& to);
    bool Close();

    QString ErrorString() const { return m_error; }
    /// The file that exists only while a record of `path` is being overwritten.
    static QString IntentPath(const QString& path);
    int RecordSize() const { return m_size; }

    /// Test hook: makes the next write fail after writing this many bytes (-1: off).
    static void InjectShortWrite(qint64 bytes);

private:
    bool Fail(const QString& what);
    bool WriteAt(qint64 offset, const QByteArray& data);
    bool Lock(bool on, bool wait = true, bool* busy = nullptr);
    bool WriteIntent(qint64 offset, const QByteArray& old, const QByteArray& rec);
    bool SettleInterruptedOverwrite();
    bool FollowReplacedFile(bool wait, bool* busy);

    int m_size;
    int m_fd = -1;
    int m_lockDepth = 0; // nested Locked/append/overwrite calls hold the one lock
    QString m_path;
    QString m_error;
};
