#pragma once
// The cards whose enrolment has expired.
#include "search/ExpiryWindow.h"

class TfrmTessereScadute : public ExpiryWindow {
    Q_OBJECT
public:
    explicit TfrmTessereScadute(Carvenna& app, QWidget* parent = nullptr)
        : ExpiryWindow(app, parent, ExpiryKind::Enrolment, QStringLiteral("TfrmTessereScadute"),
                       QStringLiteral(" Riepilogo iscrizioni scadute"),
                       QStringLiteral("Riepilogo iscrizioni scadute")) {}
};
