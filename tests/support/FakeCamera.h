#pragma once
// Camera double: present or absent, switched on and off by the window, and delivering the frames a
// test hands it (only while on, as a real camera would).
#include "registry/Camera.h"

class FakeCamera : public Camera {
public:
    bool present = true;      // a camera is plugged in
    bool refuseStart = false; // Activate fails although present (camera taken by another program)
    int activations = 0;
    bool Available() const override { return present; }
    bool Activate(QString* error = nullptr) override;
    void Deactivate() override { m_active = false; }
    bool IsActive() const override { return m_active; }

    /// Delivers `frame` when active; returns whether it was delivered.
    bool Deliver(const QImage& frame);
    /// The camera breaks while capturing.
    void Break(const QString& error = QStringLiteral("dispositivo scollegato"));
    /// A frame of one colour with a mark in the top-left quarter, so that copies can be told apart.
    static QImage Frame(const QColor& colour, const QSize& size = QSize(640, 480));

private:
    bool m_active = false;
};
