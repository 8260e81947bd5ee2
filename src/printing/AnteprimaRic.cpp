#include "printing/AnteprimaRic.h"

TfrmAnteprimaRic::TfrmAnteprimaRic(Carvenna& app, QWidget* parent) : ReceiptPrintDialog(app, parent, true) {
    ui.setupUi(this);
    Setup(ui.shpSfondo, ui.imgLogo01, QStringLiteral(":/printing/art/anteprima.svg"), ui.imgTemp, ui.imgLogo,
          ui.btnAnnulla, ui.btnStampa);
}
