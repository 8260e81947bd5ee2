#include "printing/StampaRic.h"

TfrmStampaRic::TfrmStampaRic(Carvenna& app, QWidget* parent) : ReceiptPrintDialog(app, parent, false) {
    ui.setupUi(this);
    Setup(ui.shpSfondo, ui.imgLogo01, QStringLiteral(":/printing/art/stampa.svg"), ui.imgTemp, ui.imgLogo,
          ui.btnAnnulla, ui.btnStampa);
}
