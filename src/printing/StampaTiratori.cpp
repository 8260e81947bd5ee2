#include "printing/StampaTiratori.h"

TfrmStampaTiratori::TfrmStampaTiratori(Carvenna& app, QWidget* editor) : CardPrintDialog(app, editor, false) {
    ui.setupUi(this);
    Setup(ui.shpSfondo, ui.imgLogo01, QStringLiteral(":/printing/art/scheda_stampa.svg"), ui.imgTemp, ui.imgLogo,
          ui.btnAnnulla, ui.btnStampa);
}
