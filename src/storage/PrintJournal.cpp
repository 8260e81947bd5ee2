#include "storage/PrintJournal.h"
#include "storage/ReceiptFile.h"
#include "storage/RecordChanges.h"
#include "storage/RecordFile.h"
#include <QFile>
#include <QHash>

QString PrintJournal::PathFor(const QString& folder, const QString& year) {
    QString base = folder;
    if (!base.endsWith(u'/'))
        base += u'/';
    return base + QStringLiteral("Storico/") + year + QStringLiteral(".stampe.log");
}

bool PrintJournal::WasPrinted(const QString& folder, const QString& year, qint64 position,
                              const QByteArray& recordBytes) {
    return WerePrinted(folder, year, {position}, {recordBytes}).value(0);
}

QVector<bool> PrintJournal::WerePrinted(const QString& folder, const QString& year, const QVector<qint64>& positions,
                                        const QVector<QByteArray>& records) {
    QVector<bool> printed(positions.size(), false);
    QFile f(PathFor(folder, year));
    if (!f.open(QIODevice::ReadOnly))
        return printed;
    // Position and hash of every receipt asked about, to the indexes that asked.
    QHash<QString, QVector<int>> wanted;
    for (int i = 0; i < positions.size() && i < records.size(); ++i)
        wanted[QString::number(positions[i]) + u'\t' +
               QString::fromLatin1(RecordHash(ReceiptRecord::Layout(), records[i]))] << i;
    int left = wanted.size();
    JournalLines::Scan(f, 0, [&](qint64, const QByteArray& line) {
        QStringList c;
        if (left == 0 || !JournalLines::Unseal(line, c) || c.size() != 6 || c[0] != QLatin1String("P"))
            return;
        const auto it = wanted.find(c[1] + u'\t' + c[2]);
        if (it == wanted.end() || printed[it->first()])
            return;
        for (int i : *it)
            printed[i] = true;
        --left;
    });
    return printed;
}

bool PrintJournal::Note(const QString& folder, const QString& year, qint64 position, const QByteArray& recordBytes,
                        const JournalStamp& stamp, QString* error) {
    return NoteAll(folder, year, {position}, {recordBytes}, stamp, error);
}

bool PrintJournal::NoteAll(const QString& folder, const QString& year, const QVector<qint64>& positions,
                           const QVector<QByteArray>& records, const JournalStamp& stamp, QString* error) {
    QString base = folder;
    if (!base.endsWith(u'/'))
        base += u'/';
    QByteArray lines;
    for (int i = 0; i < positions.size() && i < records.size(); ++i) {
        QStringList c = {QStringLiteral("P"), QString::number(positions[i]),
                         QString::fromLatin1(RecordHash(ReceiptRecord::Layout(), records[i]))};
        c << JournalLines::StampColumns(stamp);
        lines += JournalLines::Seal(c);
    }
    return JournalLines::AppendUnderYearLock(base + year + QStringLiteral(".ric"), PathFor(folder, year), lines, error);
}
