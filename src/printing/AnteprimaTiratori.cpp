#include "printing/AnteprimaTiratori.h"

TfrmAnteprimaTiratori::TfrmAnteprimaTiratori(Carvenna& app, QWidget* editor) : CardPrintDialog(app, editor, true) {
    ui.setupUi(this);
    Setup(ui.shpSfondo, ui.imgLogo01, QStringLiteral(":/printing/art/scheda_anteprima.svg"), ui.imgTemp, ui.imgLogo,
          ui.btnAnnulla, ui.btnStampa);
}
