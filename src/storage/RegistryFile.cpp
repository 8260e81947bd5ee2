#include "storage/RegistryFile.h"
#include "storage/FixedField.h"

const QVector<FieldSpec>& RegistryRecord::Layout() {
    static const QVector<FieldSpec> layout = BuildLayout(
        {{"Tiratore", 50},  {"Sesso", 1},     {"DataNasc", 10},   {"Cittadinanza", 50}, {"LuogoNasc", 50},
         {"Indirizzo", 120}, {"Citta", 50},    {"Cap", 10},        {"Nazione", 50},      {"CodFisc", 16},
         {"Gruppo", 50},    {"Professione", 120}, {"Studio", 120}, {"Ente", 120},        {"Email", 50},
         {"Tel", 30},       {"Cel", 30},      {"Tessera", 50},    {"Quota", 50},        {"InizioTes", 10},
         {"FineTes", 10},   {"Armi", 50},     {"Porto", 50},      {"InizioPor", 10},    {"FinePor", 250},
         {"Note", 250},     {"File01", 250},  {"File02", 250},    {"File03", 250},      {"Desc01", 250},
         {"Desc02", 250},   {"Desc03", 250}});
    return layout;
}

namespace {
QString RegistryRecord::* const kMembers[] = {
    &RegistryRecord::Tiratore,
    &RegistryRecord::Sesso,
    &RegistryRecord::DataNasc,
    &RegistryRecord::Cittadinanza,
    &RegistryRecord::LuogoNasc,
    &RegistryRecord::Indirizzo,
    &RegistryRecord::Citta,
    &RegistryRecord::Cap,
    &RegistryRecord::Nazione,
    &RegistryRecord::CodFisc,
    &RegistryRecord::Gruppo,
    &RegistryRecord::Professione,
    &RegistryRecord::Studio,
    &RegistryRecord::Ente,
    &RegistryRecord::Email,
    &RegistryRecord::Tel,
    &RegistryRecord::Cel,
    &RegistryRecord::Tessera,
    &RegistryRecord::Quota,
    &RegistryRecord::InizioTes,
    &RegistryRecord::FineTes,
    &RegistryRecord::Armi,
    &RegistryRecord::Porto,
    &RegistryRecord::InizioPor,
    &RegistryRecord::FinePor,
    &RegistryRecord::Note,
    &RegistryRecord::File01,
    &RegistryRecord::File02,
    &RegistryRecord::File03,
    &RegistryRecord::Desc01,
    &RegistryRecord::Desc02,
    &RegistryRecord::Desc03};
static_assert(sizeof(kMembers) / sizeof(kMembers[0]) == RegistryField::Count);
} // namespace

QVector<QString*> RegistryRecord::Fields() {
    QVector<QString*> out;
    for (auto m : kMembers)
        out.append(&(this->*m));
    return out;
}

QVector<const QString*> RegistryRecord::Fields() const {
    QVector<const QString*> out;
    for (QString* f : const_cast<RegistryRecord*>(this)->Fields())
        out.append(f);
    return out;
}

void RegistryRecord::Encode(QByteArray& buf) const {
    if (buf.size() != Size)
        buf = QByteArray(Size, '\0');
    const auto& layout = Layout();
    for (int i = 0; i < RegistryField::Count; ++i)
        EncodeField(buf.data() + layout[i].offset, layout[i].width, this->*kMembers[i]);
}

RegistryRecord RegistryRecord::Decode(const char* rec) {
    RegistryRecord r;
    const auto& layout = Layout();
    for (int i = 0; i < RegistryField::Count; ++i)
        r.*kMembers[i] = DecodeField(rec + layout[i].offset, layout[i].width);
    return r;
}

void RegistryRecord::DecodeFrom(const char* rec) {
    const auto& layout = Layout();
    for (int i = 0; i < RegistryField::Count; ++i)
        DecodeFieldInto(rec + layout[i].offset, layout[i].width, this->*kMembers[i]);
}

bool RegistryRecord::operator==(const RegistryRecord& o) const {
    for (auto m : kMembers)
        if (this->*m != o.*m)
            return false;
    return true;
}

QString FolderWithSlash(const QString& folder) {
    return folder.isEmpty() || folder.endsWith(u'/') ? folder : folder + u'/';
}

QString CardPhotoPath(const QString& programFolder, qint64 cardNumber) {
    return FolderWithSlash(programFolder) + QStringLiteral("Anagrafica/Scheda_Iscritto_%1.jpg").arg(cardNumber);
}

bool RegistryFile::OpenOrCreate(const QString& programFolder) {
    return m_file.OpenOrCreate(FolderWithSlash(programFolder) + QLatin1String(RegistryFileName));
}

bool RegistryFile::ReadRecord(qint64 index, RegistryRecord& out) {
    QByteArray raw;
    if (!m_file.ReadRaw(index, raw))
        return false;
    out = RegistryRecord::Decode(raw.constData());
    return true;
}

bool RegistryFile::AppendRecord(const RegistryRecord& rec, qint64* cardNumber) {
    rec.Encode(m_buffer);
    return m_file.AppendRaw(m_buffer, cardNumber);
}

bool RegistryFile::OverwriteRecord(qint64 index, const RegistryRecord& rec) {
    rec.Encode(m_buffer);
    return m_file.OverwriteRaw(index, m_buffer);
}

bool RegistryFile::ReadAll(QVector<RegistryRecord>& out) {
    out.clear();
    out.reserve(qMax<qint64>(0, m_file.RecordCount()));
    return m_file.Scan([&](qint64, const char* rec) {
        out.append(RegistryRecord::Decode(rec));
        return true;
    });
}
