#pragma once
// A list line of fixed-width columns, each a label followed by one record field, built either from
// the field texts or straight from a stored record's bytes. The two give the same line; the second
// allocates it once and converts each field into place, for lists of a whole year.
#include "storage/FixedField.h"
#include <QString>
#include <QStringView>

/// One column: the label before it, the field shown and its width. The text is trimmed and padded
/// or cut to `width`; a width of 0 shows the trimmed text as it is, never cut.
struct LineColumn {
    QStringView label;
    int field;
    int width;
};

/// The line of `columns` over `fields`, the field texts indexed by LineColumn::field.
QString ColumnLine(const LineColumn* columns, int count, const QString* const* fields);
/// The same line from a stored record laid out by `layout`.
QString ColumnLineFromBytes(const LineColumn* columns, int count, const QVector<FieldSpec>& layout, const char* record);

/// ColumnLineFromBytes for many records of one layout: the labels and the blank columns before the
/// first column of free width (width 0) are laid out once, so a line is one copy of that head with
/// the fields copied into place. Labels must be Windows-1252 text.
class ColumnLineBuilder {
public:
    ColumnLineBuilder(const LineColumn* columns, int count, const QVector<FieldSpec>& layout);
    /// The line of the stored record `record`, as ColumnLineFromBytes gives it.
    QString Line(const char* record) const;
    /// The same line as Windows-1252 bytes (one a character), appended to `out`.
    void AppendLineBytes(const char* record, QByteArray& out) const;

private:
    struct Column {
        QByteArray label; // Windows-1252
        QString labelText;
        int offset;       // of the field in the record
        int width;        // of the stored field
        int columnWidth;
        int at; // where the text starts in the head, for the columns it holds
    };
    QVector<Column> m_columns;
    int m_headColumns = 0; // the columns laid out in m_head
    QByteArray m_head;
    QString m_headText; // m_head as text, copied whole into each line
};
