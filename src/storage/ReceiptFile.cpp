#include "storage/ReceiptFile.h"
#include "storage/FixedField.h"

const QVector<FieldSpec>& ReceiptRecord::Layout() {
    static const QVector<FieldSpec> layout = BuildLayout({{"NumRic", 30},      {"Data", 10},        {"Importo", 8},
                                                          {"Cents", 2},        {"ImpLettere", 250}, {"CentLettere", 2},
                                                          {"Intero", 11},      {"Ricevente01", 50}, {"Ricevente02", 50},
                                                          {"Ricevente03", 50}, {"Ricevente04", 50}, {"Pagatore", 50},
                                                          {"CodFisc", 16},     {"Sport", 120},      {"Dal", 10},
                                                          {"Al", 10},          {"Praticante", 50},  {"LuogoNasc", 50},
                                                          {"DataNasc", 10},    {"Indirizzo", 250}});
    return layout;
}

namespace {
// The fields in layout order, as member pointers: decoding a record allocates nothing but its texts.
QString ReceiptRecord::* const kMembers[] = {
    &ReceiptRecord::NumRic,      &ReceiptRecord::Data,        &ReceiptRecord::Importo,
    &ReceiptRecord::Cents,       &ReceiptRecord::ImpLettere,  &ReceiptRecord::CentLettere,
    &ReceiptRecord::Intero,      &ReceiptRecord::Ricevente01, &ReceiptRecord::Ricevente02,
    &ReceiptRecord::Ricevente03, &ReceiptRecord::Ricevente04, &ReceiptRecord::Pagatore,
    &ReceiptRecord::CodFisc,     &ReceiptRecord::Sport,       &ReceiptRecord::Dal,
    &ReceiptRecord::Al,          &ReceiptRecord::Praticante,  &ReceiptRecord::LuogoNasc,
    &ReceiptRecord::DataNasc,    &ReceiptRecord::Indirizzo};
static_assert(sizeof(kMembers) / sizeof(kMembers[0]) == ReceiptField::Count);
} // namespace

QVector<QString*> ReceiptRecord::Fields() {
    QVector<QString*> out;
    for (auto m : kMembers)
        out.append(&(this->*m));
    return out;
}

QVector<const QString*> ReceiptRecord::Fields() const {
    QVector<const QString*> out;
    for (QString* f : const_cast<ReceiptRecord*>(this)->Fields())
        out.append(f);
    return out;
}

void ReceiptRecord::Encode(QByteArray& buf) const {
    if (buf.size() != Size)
        buf = QByteArray(Size, '\0');
    const auto& layout = Layout();
    for (int i = 0; i < ReceiptField::Count; ++i)
        EncodeField(buf.data() + layout[i].offset, layout[i].width, this->*kMembers[i]);
}

ReceiptRecord ReceiptRecord::Decode(const char* rec) {
    ReceiptRecord r;
    const auto& layout = Layout();
    for (int i = 0; i < ReceiptField::Count; ++i)
        r.*kMembers[i] = DecodeField(rec + layout[i].offset, layout[i].width);
    return r;
}

void ReceiptRecord::DecodeFrom(const char* rec) {
    const auto& layout = Layout();
    for (int i = 0; i < ReceiptField::Count; ++i)
        DecodeFieldInto(rec + layout[i].offset, layout[i].width, this->*kMembers[i]);
}

bool ReceiptRecord::operator==(const ReceiptRecord& o) const {
    for (auto m : kMembers)
        if (this->*m != o.*m)
            return false;
    return true;
}

bool ReceiptFile::ReadRecord(qint64 index, ReceiptRecord& out) {
    QByteArray raw;
    if (!m_file.ReadRaw(index, raw))
        return false;
    out = ReceiptRecord::Decode(raw.constData());
    return true;
}

bool ReceiptFile::AppendRecord(const ReceiptRecord& rec, qint64* position) {
    rec.Encode(m_buffer);
    return m_file.AppendRaw(m_buffer, position);
}

bool ReceiptFile::OverwriteRecord(qint64 index, const ReceiptRecord& rec) {
    rec.Encode(m_buffer);
    return m_file.OverwriteRaw(index, m_buffer);
}

bool ReceiptFile::ReadAll(QVector<ReceiptRecord>& out) {
    out.clear();
    out.reserve(qMax<qint64>(0, m_file.RecordCount()));
    return m_file.Scan([&](qint64, const char* rec) {
        out.append(ReceiptRecord::Decode(rec));
        return true;
    });
}
