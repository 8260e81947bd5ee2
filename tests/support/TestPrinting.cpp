#include "TestPrinting.h"
#include "report/PreparedReport.h"
#include "report/ReportPainter.h"
#include <QDir>

Printing::Result TestPrinting::Preview(const report::PreparedReport& report, QWidget*, QString* error) {
    return Record(true, report, error);
}

Printing::Result TestPrinting::Print(const report::PreparedReport& report, QWidget*, QString* error) {
    return Record(false, report, error);
}

QString TestPrinting::LastPdf() const {
    for (int i = jobs.size() - 1; i >= 0; --i)
        if (!jobs[i].pdf.isEmpty())
            return jobs[i].pdf;
    return QString();
}

Printing::Result TestPrinting::Record(bool preview, const report::PreparedReport& report, QString* error) {
    Job job{preview, QString(), report.PageCount(), report.name, report::ProposedFileName(report)};
    const Result answer = answers.isEmpty() ? Result::Done : answers.dequeue();
    if (answer == Result::Done || answer == Result::Printed) {
        const QString pdf = QDir(m_folder).filePath(QStringLiteral("print_%1.pdf").arg(jobs.size() + 1));
        QString paintError;
        if (!report::SavePdf(report, pdf, &paintError)) {
            jobs << job;
            if (error)
                *error = paintError;
            return Result::Failed;
        }
        job.pdf = pdf;
    } else if (answer == Result::Failed && error) {
        *error = QStringLiteral("stampante guasta");
    }
    jobs << job;
    return answer;
}
