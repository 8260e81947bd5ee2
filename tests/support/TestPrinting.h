#pragma once
// Printing double: renders each prepared report to a PDF in a folder and records it, instead of
// showing a dialog. A queue of answers simulates cancelling the print dialog or a failing printer.
#include "app/Printing.h"
#include <QQueue>
#include <QString>
#include <QVector>

class TestPrinting : public Printing {
public:
    /// PDFs are written to `folder` as print_1.pdf, print_2.pdf, ...
    explicit TestPrinting(QString folder) : m_folder(std::move(folder)) {}

    struct Job {
        bool preview;  // Preview() rather than Print()
        QString pdf;   // empty when cancelled or failed
        int pageCount; // pages of the prepared report
        QString title; // the report's name
        QString fileName; // the PDF file name proposed for it
    };
    QVector<Job> jobs;
    /// Outcome of the next calls; Done when empty. Failed answers with the error text "stampante guasta";
    /// Printed stands for a preview from which the user printed.
    QQueue<Result> answers;

    Result Preview(const report::PreparedReport& report, QWidget* parent, QString* error = nullptr) override;
    Result Print(const report::PreparedReport& report, QWidget* parent, QString* error = nullptr) override;
    /// The PDF of the last job that produced one, or an empty text.
    QString LastPdf() const;

private:
    Result Record(bool preview, const report::PreparedReport& report, QString* error);
    QString m_folder;
};
