#include "fees/PaymentQr.h"
#include <qrencode.h>
#include <memory>

QImage PaymentQrImage(const QString& text, int modulePixels, QString* error) {
    const QByteArray bytes = text.toUtf8();
    // 8-bit mode on the UTF-8 bytes: the payload says its own character set (line 3, "1").
    std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeData(bytes.size(), reinterpret_cast<const unsigned char*>(bytes.constData()), 0, QR_ECLEVEL_M),
        &QRcode_free);
    if (!code) {
        if (error)
            *error = QStringLiteral("Il testo non entra in un codice QR.");
        return {};
    }
    const int quiet = 4;
    const int side = (code->width + 2 * quiet) * modulePixels;
    QImage image(side, side, QImage::Format_Mono);
    image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    image.fill(0);
    for (int y = 0; y < code->width; ++y)
        for (int x = 0; x < code->width; ++x) {
            if (!(code->data[y * code->width + x] & 1))
                continue;
            for (int dy = 0; dy < modulePixels; ++dy)
                for (int dx = 0; dx < modulePixels; ++dx)
                    image.setPixel((x + quiet) * modulePixels + dx, (y + quiet) * modulePixels + dy, 1);
        }
    return image;
}
