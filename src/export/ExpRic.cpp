#include "export/ExpRic.h"
#include "app/Carvenna.h"
#include "export/ExportTables.h"
#include "storage/Text.h"

TfrmExpRic::TfrmExpRic(Carvenna& app, QWidget* parent) : ExportWindow(app, parent) {
    ui.setupUi(this);
    Setup(new ExportGridModel(ReceiptGridColumns(), this), ui.grdRecords, ui.panInfo, ui.cmdEsporta, ui.cmdGuida,
          ui.cmdEsci,
          {QString::fromLatin1(ExportNames::ReceiptsFile), QString::fromLatin1(ExportNames::ReceiptsSheet),
           QStringLiteral("Esportazione archivio ricevute in Excel"), GuideText(),
           QStringLiteral("Le ricevute in archivio")});
    SetupSaveAs(ui.cmdEsportaCome);
}

QString TfrmExpRic::GuideText() {
    return QStringLiteral(
        "Il pulsante Esporta trasforma l'archivio annuale delle ricevute in un foglio di lavoro di Microsoft "
        "Excel, che può essere letto da qualsiasi programma in grado di gestire i file in formato XLS.\r\n\r\n"
        "Per esportare i dati è sufficiente fare clic sull'icona di Excel nella finestra che mostra la griglia "
        "delle ricevute; al termine dell'esportazione il file può essere aperto subito, rispondendo Sì alla "
        "domanda che compare.\r\n\r\n"
        "Una volta aperto, il foglio di lavoro può essere salvato con qualsiasi nome.");
}

GridLoad TfrmExpRic::LoadGrid(const GridLoadProgress& progress) {
    // The year the receipt editor has open.
    const QString path = TrimText(m_app.ReceiptYearFile());
    return LoadReceiptGrid(path, Grid(), progress);
}
