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

QVector<QString*> RegistryRecord::Fields() {
    return {&Tiratore, &Sesso,     &DataNasc, &Cittadinanza, &LuogoNasc, &Indirizzo, &Citta,       &Cap,
            &Nazione,  &CodFisc,   &Gruppo,   &Professione,  &Studio,    &Ente,      &Email,       &Tel,
            &Cel,      &Tessera,   &Quota,    &InizioTes,    &FineTes,   &Armi,      &Porto,       &InizioPor,
            &FinePor,  &Note,      &File01,   &File02,       &File03,    &Desc01,    &Desc02,      &Desc03};
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
    const auto fields = Fields();
    for (int i = 0; i < layout.size(); ++i)
        EncodeField(buf.data() + layout[i].offset, layout[i].width, *fields[i]);
}

RegistryRecord RegistryRecord::Decode(const char* rec) {
    RegistryRecord r;
    const auto& layout = Layout();
    const auto fields = r.Fields();
    for (int i = 0; i < layout.size(); ++i)
        *fields[i] = DecodeField(rec + layout[i].offset, layout[i].width);
    return r;
}

bool RegistryRecord::operator==(const RegistryRecord& o) const {
    const auto a = Fields(), b = o.Fields();
    for (int i = 0; i < a.size(); ++i)
        if (*a[i] != *b[i])
            return false;
    return true;
}

QString CardPhotoPath(const QString& programFolder, qint64 cardNumber) {
    QString folder = programFolder;
    if (!folder.isEmpty() && !folder.endsWith(u'/'))
        folder += u'/';
    return folder + QStringLiteral("Anagrafica/Scheda_Iscritto_%1.jpg").arg(cardNumber);
}

bool RegistryFile::OpenOrCreate(const QString& programFolder) {
    QString folder = programFolder;
    if (!folder.isEmpty() && !folder.endsWith(u'/'))
        folder += u'/';
    return m_file.OpenOrCreate(folder + QLatin1String(RegistryFileName));
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
    return m_file.Scan([&](qint64, const char* rec) {
        out.append(RegistryRecord::Decode(rec));
        return true;
    });
}
