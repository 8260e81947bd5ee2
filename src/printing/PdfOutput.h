#pragma once
// Printing to a PDF file safely. Qt's PDF output reports no failed write of its own, so the pages go
// to a temporary file first; once that file is found complete, it replaces the chosen file through
// the file layer's whole-file save. A full disk or a failing network folder is then reported, and an
// existing PDF of that name keeps its old content.
#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <memory>

class QPrinter;

class PdfOutput {
public:
    /// When `printer` writes a PDF file, points it at a temporary file instead; otherwise does nothing.
    explicit PdfOutput(QPrinter& printer);
    /// Gives the printer its chosen file name back.
    ~PdfOutput();
    PdfOutput(const PdfOutput&) = delete;
    PdfOutput& operator=(const PdfOutput&) = delete;

    /// After painting: puts the complete PDF in place of the chosen file. False, with `error`, when
    /// the temporary file is incomplete or the chosen file cannot be written; then it is unchanged.
    bool Finish(QString* error);

private:
    QPrinter& m_printer;
    QString m_target; // the chosen file; empty when the printer does not write a PDF file
    QString m_pages;  // where the printer writes instead
    std::unique_ptr<QTemporaryDir> m_temp;
};

/// Whether `pdf` is a whole PDF file as Qt writes it: its header, and at the end a cross-reference
/// offset that points at the cross-reference table, followed by the end-of-file marker.
bool PdfComplete(const QByteArray& pdf);
