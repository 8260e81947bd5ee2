#pragma once
// Appends bytes to a QByteArray through a cursor into room made ahead. A document of a million small
// pieces (tags and cell texts) spends more in QByteArray::append's general path than in copying the
// bytes; here a piece is a bounds check and a copy, and the array grows in large steps.
#include <QByteArray>
#include <QByteArrayView>
#include <cstring>

class ByteWriter {
public:
    /// Appends after the bytes `out` already holds. `out` has its true size again after Finish()
    /// or the writer's end; until then it may hold unwritten room past the cursor.
    explicit ByteWriter(QByteArray& out) : m_out(out) { Bind(out.size()); }
    ~ByteWriter() { Finish(); }
    ByteWriter(const ByteWriter&) = delete;
    ByteWriter& operator=(const ByteWriter&) = delete;

    /// Room for at least `n` more bytes at the cursor; Advance() then says how many were written.
    char* Room(qsizetype n) {
        if (m_end - m_cur < n)
            Grow(n);
        return m_cur;
    }
    void Advance(qsizetype n) { m_cur += n; }

    void Append(const char* s, qsizetype n) {
        std::memcpy(Room(n), s, size_t(n));
        m_cur += n;
    }
    void Append(QByteArrayView bytes) { Append(bytes.data(), bytes.size()); }
    void Append(char c) {
        *Room(1) = c;
        ++m_cur;
    }

    /// Bytes written so far, those `out` held before included.
    qsizetype Size() const { return m_cur - m_begin; }
    /// The bytes written so far, without a copy (valid until the next append).
    QByteArrayView Bytes() const { return QByteArrayView(m_begin, m_cur - m_begin); }
    /// Forgets every byte but keeps the room, for a document written out block by block.
    void Clear() { m_cur = m_begin; }
    /// Gives `out` its true size.
    void Finish() {
        const qsizetype used = Size();
        m_out.resize(used);
        Bind(used);
    }

private:
    void Bind(qsizetype used) {
        m_begin = m_out.data();
        m_cur = m_begin + used;
        m_end = m_begin + m_out.size();
    }
    void Grow(qsizetype n) {
        const qsizetype used = Size();
        // The capacity the array already has is room too: taking it costs nothing.
        m_out.resize(qMax(qMax(used + n, m_out.capacity()), qMax<qsizetype>(2 * m_out.size(), 4096)));
        Bind(used);
    }

    QByteArray& m_out;
    char* m_begin = nullptr;
    char* m_cur = nullptr;
    char* m_end = nullptr;
};
