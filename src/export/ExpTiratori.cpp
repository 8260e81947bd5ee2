#include "export/ExpTiratori.h"
#include "app/Carvenna.h"
#include "export/ExportTables.h"

TfrmExpTiratori::TfrmExpTiratori(Carvenna& app, QWidget* parent) : ExportWindow(app, parent) {
    ui.setupUi(this);
    Setup(new ExportGridModel(RegistryGridColumns(), this), ui.grdRecords, ui.panInfo, ui.cmdEsporta, ui.cmdGuida,
          ui.cmdEsci,
          {QString::fromLatin1(ExportNames::RegistryFile), QString::fromLatin1(ExportNames::RegistrySheet),
           QStringLiteral("Esportazione archivio anagrafico in Excel"), GuideText()});
    SetupSaveAs(ui.cmdEsportaCome);
}

QString TfrmExpTiratori::GuideText() {
    return QStringLiteral(
        "Il pulsante Esporta trasforma tutte le schede dell'archivio anagrafico in un foglio di lavoro di "
        "Microsoft Excel, che può essere letto da qualsiasi programma in grado di gestire i file in formato "
        "XLS.\r\n\r\n"
        "Per esportare i dati è sufficiente fare clic sull'icona di Excel nella finestra che mostra la griglia "
        "delle schede; al termine dell'esportazione il file può essere aperto subito, rispondendo Sì alla "
        "domanda che compare.\r\n\r\n"
        "Una volta aperto, il foglio di lavoro può essere salvato con qualsiasi nome.");
}

GridLoad TfrmExpTiratori::LoadGrid(const GridLoadProgress& progress) {
    return LoadRegistryGrid(m_app.ProgramFolder(), Grid(), progress);
}
