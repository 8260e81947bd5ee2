#pragma once
// Guida.pdf: the guide window's pages in one document, written with the program's own PDF output.
#include <QString>
#include <QStringList>

struct GuidePage {
    QString title, text; // as the guide window shows them: paragraphs joined by "\r\n\r\n"
};

/// The pages of the printed guide: the general guide (with the sections of every added window), then
/// the other areas' guides; a section already printed under an earlier page is not repeated.
QList<GuidePage> GuideBook();

/// Writes GuideBook() as an A4 PDF to `path`, all or nothing. False, with `error`, on failure.
bool WriteGuidePdf(const QString& path, QString* error);
