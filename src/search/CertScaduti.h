#pragma once
// The cards whose medical certificate has expired.
#include "search/ExpiryWindow.h"

class TfrmCertScaduti : public ExpiryWindow {
    Q_OBJECT
public:
    explicit TfrmCertScaduti(Carvenna& app, QWidget* parent = nullptr)
        : ExpiryWindow(app, parent, ExpiryKind::Certificate, QStringLiteral("TfrmCertScaduti"),
                       QStringLiteral(" Riepilogo certificati medici scaduti"),
                       QStringLiteral("Riepilogo certificati medici scaduti")) {}
};
