#pragma once
// The yearly receipt archive <yyyy>.ric: headerless 1099-byte records of 20 text fields.
#include "FixedField.h"
#include "RecordFile.h"
#include <QString>
#include <QVector>

struct ReceiptRecord {
    static constexpr int Size = 1099;
    QString NumRic, Data, Importo, Cents, ImpLettere, CentLettere, Intero;
    QString Ricevente01, Ricevente02, Ricevente03, Ricevente04;
    QString Pagatore, CodFisc, Sport, Dal, Al, Praticante, LuogoNasc, DataNasc, Indirizzo;

    /// Field order, widths and offsets of the stored record.
    static const QVector<FieldSpec>& Layout();
    /// The fields in layout order, for generic code (the list builders, the export).
    QVector<QString*> Fields();
    QVector<const QString*> Fields() const;

    /// Encodes into `buf` (resized to Size); bytes after each text keep what `buf` held.
    void Encode(QByteArray& buf) const;
    static ReceiptRecord Decode(const char* rec);
    /// Decodes into this record, reusing its texts' storage (for scans over a whole file).
    void DecodeFrom(const char* rec);
    bool operator==(const ReceiptRecord& o) const;
};

/// Byte offsets and widths of the fields the search and summary match on.
namespace ReceiptField {
enum Index { NumRic, Data, Importo, Cents, ImpLettere, CentLettere, Intero, Ricevente01, Ricevente02, Ricevente03,
             Ricevente04, Pagatore, CodFisc, Sport, Dal, Al, Praticante, LuogoNasc, DataNasc, Indirizzo, Count };
}

class ReceiptFile {
public:
    ReceiptFile() : m_file(ReceiptRecord::Size) {}
    bool OpenOrCreate(const QString& path) { return m_file.OpenOrCreate(path); }
    qint64 RecordCount() { return m_file.RecordCount(); }
    bool ReadRecord(qint64 index, ReceiptRecord& out);
    /// `position` receives the new record's 1-based position.
    bool AppendRecord(const ReceiptRecord& rec, qint64* position = nullptr);
    bool OverwriteRecord(qint64 index, const ReceiptRecord& rec);
    /// Every whole record in file order, read in large blocks.
    bool ReadAll(QVector<ReceiptRecord>& out);
    /// Raw access for scanning readers that decode only what they need.
    RecordFile& Raw() { return m_file; }
    bool Close() { return m_file.Close(); }
    QString ErrorString() const { return m_file.ErrorString(); }

private:
    RecordFile m_file;
    QByteArray m_buffer; // kept between writes: unused bytes carry the previous record's leftovers
};
