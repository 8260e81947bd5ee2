#pragma once
// The payment QR code of a reminder: a text (the EPC transfer payload) as a QR symbol, error
// correction level M as the EPC format asks, drawn black on white with its quiet zone.
#include <QImage>
#include <QString>

/// The QR symbol of `text` in UTF-8, `modulePixels` pixels a module, with a four-module white border.
/// A null image, with `error`, when the text does not fit a symbol.
QImage PaymentQrImage(const QString& text, int modulePixels = 4, QString* error = nullptr);
