#pragma once
// The registry archive Archivio_Iscritti.pro: headerless 3189-byte cards of 32 text fields.
#include "FixedField.h"
#include "RecordFile.h"
#include <QString>
#include <QVector>

struct RegistryRecord {
    static constexpr int Size = 3189;
    QString Tiratore, Sesso, DataNasc, Cittadinanza, LuogoNasc, Indirizzo, Citta, Cap, Nazione, CodFisc, Gruppo,
        Professione, Studio, Ente, Email, Tel, Cel, Tessera, Quota, InizioTes, FineTes, Armi, Porto, InizioPor,
        FinePor, Note, File01, File02, File03, Desc01, Desc02, Desc03;

    static const QVector<FieldSpec>& Layout();
    QVector<QString*> Fields();
    QVector<const QString*> Fields() const;
    void Encode(QByteArray& buf) const;
    static RegistryRecord Decode(const char* rec);
    /// Decodes into this record, reusing its texts' storage (for scans over a whole file).
    void DecodeFrom(const char* rec);
    bool operator==(const RegistryRecord& o) const;
};

namespace RegistryField {
enum Index { Tiratore, Sesso, DataNasc, Cittadinanza, LuogoNasc, Indirizzo, Citta, Cap, Nazione, CodFisc, Gruppo,
             Professione, Studio, Ente, Email, Tel, Cel, Tessera, Quota, InizioTes, FineTes, Armi, Porto, InizioPor,
             FinePor, Note, File01, File02, File03, Desc01, Desc02, Desc03, Count };
}

/// The registry file's name inside the program folder.
inline constexpr const char* RegistryFileName = "Archivio_Iscritti.pro";
/// Photo of card `cardNumber` (1-based): <folder>/Anagrafica/Scheda_Iscritto_<n>.jpg.
/// `folder` with a trailing '/', so that file names can be put after it (an empty folder stays empty:
/// the current one).
QString FolderWithSlash(const QString& folder);
QString CardPhotoPath(const QString& programFolder, qint64 cardNumber);

class RegistryFile {
public:
    RegistryFile() : m_file(RegistryRecord::Size) {}
    /// Opens <programFolder>/Archivio_Iscritti.pro, creating it empty when missing.
    bool OpenOrCreate(const QString& programFolder);
    qint64 RecordCount() { return m_file.RecordCount(); }
    bool ReadRecord(qint64 index, RegistryRecord& out);
    /// `cardNumber` receives the new card's number (old count + 1).
    bool AppendRecord(const RegistryRecord& rec, qint64* cardNumber = nullptr);
    bool OverwriteRecord(qint64 index, const RegistryRecord& rec);
    bool ReadAll(QVector<RegistryRecord>& out);
    RecordFile& Raw() { return m_file; }
    bool Close() { return m_file.Close(); }
    QString ErrorString() const { return m_file.ErrorString(); }

private:
    RecordFile m_file;
    QByteArray m_buffer;
};
