#pragma once
// The registry card print: its template, the filling from the registry editor's controls and the print
// sequence with the warnings of the print and preview windows.
#include "report/ReportTemplate.h"
#include <QImage>
#include <QString>
#include <QStringList>
#include <optional>

class Carvenna;
class QWidget;

/// The warning of the card print (`preview` false) or of the card preview.
QString CardPrintWarning(bool preview);

/// The card template, one A4 page. Each window loads its own copy.
std::optional<report::ReportTemplate> LoadCardTemplate(QString* error = nullptr);

/// The registry editor fields printed on the card, in the order they are filled. Each names both the
/// editor's control and the memo that prints it.
const QStringList& CardFields();

/// `photo` reduced, when larger, to what the photo box can show at 300 dots per inch: a camera's full
/// picture would otherwise go to the printer at many times the resolution it can use.
QImage CardPhotoForPrint(const QImage& photo);

/// Fills `rep`: the photo box with `photo`, then each value memo with the trimmed text of the `editor`
/// control of the same name. Stops at the first object or control that is missing.
bool FillCard(report::ReportTemplate& rep, const QWidget& editor, const QImage& photo, QString* error = nullptr);

/// The whole print (or preview) of the card shown in `editor`: portrait page, fill, prepare, then the
/// print dialog or the preview. Any failure shows the window's warning; cancelling the dialog shows nothing.
/// `rep` is null when the window could not load its template.
void RunCardPrint(Carvenna& app, report::ReportTemplate* rep, const QWidget* editor, const QImage& photo, bool preview,
                  QWidget* window);
