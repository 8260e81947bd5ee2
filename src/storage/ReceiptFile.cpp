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

QVector<QString*> ReceiptRecord::Fields() {
    return {&NumRic,      &Data,        &Importo,     &Cents,       &ImpLettere, &CentLettere, &Intero,
            &Ricevente01, &Ricevente02, &Ricevente03, &Ricevente04, &Pagatore,   &CodFisc,     &Sport,
            &Dal,         &Al,          &Praticante,  &LuogoNasc,   &DataNasc,   &Indirizzo};
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
    const auto fields = Fields();
    for (int i = 0; i < layout.size(); ++i)
        EncodeField(buf.data() + layout[i].offset, layout[i].width, *fields[i]);
}

ReceiptRecord ReceiptRecord::Decode(const char* rec) {
    ReceiptRecord r;
    const auto& layout = Layout();
    const auto fields = r.Fields();
    for (int i = 0; i < layout.size(); ++i)
        *fields[i] = DecodeField(rec + layout[i].offset, layout[i].width);
    return r;
}

bool ReceiptRecord::operator==(const ReceiptRecord& o) const {
    const auto a = Fields(), b = o.Fields();
    for (int i = 0; i < a.size(); ++i)
        if (*a[i] != *b[i])
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
    return m_file.Scan([&](qint64, const char* rec) {
        out.append(ReceiptRecord::Decode(rec));
        return true;
    });
}
