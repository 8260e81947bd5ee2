#include "receipts/Logo.h"
#include "app/Carvenna.h"
#include "app/Placement.h"
#include "receipts/DefaultLogo.h"
#include "storage/SaveFile.h"
#include <QBuffer>
#include <QIcon>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>

namespace {
const char kTitle[] = "Selezionare il logo della Ditta in formato Jpeg o Bitmap.";
const char kFilter[] = "Immagine JPEG (*.jpg *.jpeg);;Immagine Bitmap (*.bmp)";

// A bitmap has no transparency: transparent parts of the picture become white, not black.
QImage Opaque(const QImage& picture) {
    if (!picture.hasAlphaChannel())
        return picture.convertToFormat(QImage::Format_RGB32);
    QImage out(picture.size(), QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter p(&out);
    p.drawImage(0, 0, picture);
    return out;
}
} // namespace

TfrmLogo::TfrmLogo(Carvenna& app, QWidget* parent) : QDialog(parent), m_app(app) {
    ui.setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(size());
    ui.imgEuro->setIcon(QIcon(QStringLiteral(":/receipts/art/euro_piccolo.svg")));
    ui.btnCancLogo->setIcon(QIcon(QStringLiteral(":/receipts/art/nessun_logo.svg")));
    ui.imgTemp->setPixmap(QPixmap::fromImage(DefaultLogo()));
    ui.imgBianco->setPixmap(QPixmap::fromImage(BlankLogo()));
    connect(ui.btnSfoglia, &QPushButton::clicked, this, &TfrmLogo::btnSfogliaClick);
    connect(ui.imgEuro, &QToolButton::clicked, this, &TfrmLogo::imgEuroClick);
    connect(ui.btnCancLogo, &QToolButton::clicked, this, &TfrmLogo::btnCancLogoClick);
    connect(ui.btnApplica, &QPushButton::clicked, this, &TfrmLogo::btnApplicaClick);
    connect(ui.btnAnnulla, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmLogo::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    FormShow();
}

void TfrmLogo::FormShow() {
    CentreOnScreen(this);
    LoadOrDefault(m_app.Path(QStringLiteral("Logo.bmp")));
}

void TfrmLogo::ShowPicture(const QImage& picture) {
    m_picture = picture;
    // The frame shows the picture whole, scaled down when it is larger than the frame.
    const QSize box = ui.imgLogo->size();
    QPixmap pm = QPixmap::fromImage(picture);
    if (pm.width() > box.width() || pm.height() > box.height())
        pm = pm.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    ui.imgLogo->setPixmap(pm);
}

void TfrmLogo::LoadOrDefault(const QString& path) {
    // Unreadable pictures are never reported: the default logo takes their place.
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QImage img = reader.read();
    ShowPicture(img.isNull() ? ui.imgTemp->pixmap().toImage() : img);
}

void TfrmLogo::btnSfogliaClick() {
    const QString file =
        m_app.fileDialogs().Open(this, QString::fromUtf8(kTitle), QString::fromUtf8(kFilter), m_app.ProgramFolder());
    if (!file.isEmpty())
        LoadOrDefault(file);
}

void TfrmLogo::imgEuroClick() {
    ShowPicture(ui.imgTemp->pixmap().toImage());
}

void TfrmLogo::btnCancLogoClick() {
    ShowPicture(ui.imgBianco->pixmap().toImage());
}

void TfrmLogo::btnApplicaClick() {
    // Through a temporary file, so a failed save never leaves half a bitmap behind.
    QByteArray bmp;
    QBuffer buffer(&bmp);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "bmp");
    const bool saved = writer.write(Opaque(m_picture)) && SaveWholeFile(m_app.Path(QStringLiteral("Logo.bmp")), bmp);
    if (!saved)
        ShowPicture(ui.imgTemp->pixmap().toImage());
    accept();
}
