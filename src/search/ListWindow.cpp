#include "search/ListWindow.h"
#include "app/Carvenna.h"
#include "app/FocusFrame.h"
#include "app/Placement.h"
#include "app/Printing.h"
#include "widgets/FieldKeys.h"
#include "search/ListReport.h"
#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QPushButton>
#include <QStringListModel>
#include <QSvgRenderer>

namespace {

constexpr int PanelWidth = 833;
constexpr int PanelHeight = 529;

QPushButton* Button(QWidget* parent, const char* name, const QString& text, int x, int y, int w, int h) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(x, y, w, h);
    b->setCursor(Qt::PointingHandCursor);
    b->setAutoDefault(false);
    return b;
}

QLabel* Label(QWidget* parent, const char* name, const QString& text, const QRect& r) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(r);
    return l;
}

// A picture drawn from our SVG artwork and lines of text beside it.
QPixmap Picture(const QSize& size, const QString& svg, const QStringList& lines, const QFont& font, const QColor& color,
                Qt::Alignment align) {
    QPixmap pm(size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const int side = size.height() - 4;
    QSvgRenderer(svg).render(&p, QRectF(2, 2, side, side));
    if (align & Qt::AlignHCenter)
        QSvgRenderer(svg).render(&p, QRectF(size.width() - side - 2, 2, side, side));
    p.setFont(font);
    p.setPen(color);
    const QRect text(side + 12, 0, size.width() - 2 * (side + 12), size.height());
    p.drawText(align & Qt::AlignHCenter ? text : QRect(side + 10, 0, size.width() - side - 10, size.height()),
               int(align | Qt::AlignVCenter), lines.join(QLatin1Char('\n')));
    return pm;
}

} // namespace

ListWindow::ListWindow(Carvenna& app, QWidget* parent, const QString& objectName, const QString& caption,
                       const QString& printTitle, const QString& pdfName, const QString& hint)
    : QDialog(parent), m_app(app), m_keys(new FieldKeys(this)), m_printTitle(printTitle), m_pdfName(pdfName) {
    setObjectName(objectName);
    setWindowTitle(caption);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(862, 560);
    SetFormatSettings();

    panContainer = new QWidget(this);
    panContainer->setObjectName(QStringLiteral("panContainer"));
    panContainer->setGeometry((width() - PanelWidth) / 2, (height() - PanelHeight) / 2, PanelWidth, PanelHeight);

    imgLogo = Label(panContainer, "imgLogo", QString(), QRect(8, 8, 817, 53));
    icoIstruzioni = Label(panContainer, "icoIstruzioni", QString(), QRect(8, 66, 642, 32));
    QFont hintFont(QStringLiteral("Verdana"));
    hintFont.setPixelSize(11);
    icoIstruzioni->setPixmap(Picture(icoIstruzioni->size(), QStringLiteral(":/search/art/lente.svg"),
                                     {QStringLiteral("Digitare una o più parole consecutive presenti nella voce da "
                                                     "trovare e premere Trova."),
                                      QStringLiteral("Premere di nuovo Trova per passare alla voce successiva che "
                                                     "contiene la stessa chiave.")},
                                     hintFont, QColor(0x0B, 0x2E, 0x5C), Qt::AlignLeft));

    txtTrova = new QLineEdit(panContainer);
    txtTrova->setObjectName(QStringLiteral("txtTrova"));
    txtTrova->setGeometry(112, 122, 593, 22);
    StyleField(txtTrova);
    auto* effTrova = new QFrame(panContainer);
    effTrova->setObjectName(QStringLiteral("effTrova"));
    effTrova->setGeometry(108, 118, 601, 30);
    new FocusFrame(txtTrova, effTrova);
    btnTrova = Button(panContainer, "btnTrova", QStringLiteral("Trova"), 710, 117, 105, 30);
    m_keys->SetNext(txtTrova, btnTrova);

    lstRecords = new QListView(panContainer);
    lstRecords->setObjectName(QStringLiteral("lstRecords"));
    lstRecords->setGeometry(16, 176, 801, 273);
    lstRecords->setUniformItemSizes(true);
    lstRecords->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstRecords->setSelectionMode(QAbstractItemView::SingleSelection);
    lstRecords->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    lstRecords->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The columns line up only in a fixed-pitch face, whatever the style sheet says.
    QFont mono(QStringLiteral("Courier New"));
    mono.setStyleHint(QFont::TypeWriter);
    mono.setPointSize(12);
    lstRecords->setFont(mono);
    lstRecords->setStyleSheet(QStringLiteral("QListView { font-family: \"Courier New\"; font-size: 12pt; "
                                             "font-weight: normal; color: black; }"));
    m_model = new QStringListModel(this);
    lstRecords->setModel(m_model);

    lblRigo03 = Label(panContainer, "lblRigo03", hint, QRect(16, 454, 801, 20));
    lblRigo03->setAlignment(Qt::AlignCenter);
    lblRigo03->setStyleSheet(QStringLiteral("color: red;"));
    btnChiudi = Button(panContainer, "btnChiudi", QStringLiteral("Chiudi"), 8, 488, 150, 30);
    btnStampa = Button(panContainer, "btnStampa", QStringLiteral("Stampa"), 675, 488, 150, 30);
    lblMemory = Label(this, "lblMemory", QString(), QRect(0, 0, 0, 0));
    lblMemory->hide();

    connect(btnTrova, &QPushButton::clicked, this, &ListWindow::btnTrovaClick);
    connect(btnStampa, &QPushButton::clicked, this, &ListWindow::btnStampaClick);
    connect(btnChiudi, &QPushButton::clicked, this, &QDialog::close);
    connect(lstRecords, &QListView::doubleClicked, this, &ListWindow::lstRecordsDoubleClick);

    frxReport = LoadListTemplate();
    CentreOnScreen(this);
}

void ListWindow::StyleField(QLineEdit* field) {
    QFont f(QStringLiteral("Verdana"));
    f.setPointSize(12);
    f.setBold(true);
    field->setFont(f);
}

void ListWindow::SetBanner(const QString& title, const QString& svg) {
    QFont f(QStringLiteral("Verdana"));
    f.setPixelSize(26);
    f.setBold(true);
    imgLogo->setPixmap(Picture(imgLogo->size(), svg, {title.toUpper()}, f,
                               QColor(0x1E, 0x5A, 0xA8), Qt::AlignHCenter));
}

int ListWindow::SelectedRow() const {
    const QModelIndex i = lstRecords->currentIndex();
    return i.isValid() ? i.row() : -1;
}

void ListWindow::ShowRecords(RecordList records) {
    m_records = std::move(records);
    m_model->setStringList(m_records.lines);
    if (!m_records.lines.isEmpty())
        lstRecords->setCurrentIndex(m_model->index(0));
}

void ListWindow::ResetFind() {
    m_finder.Reset();
    if (m_model->rowCount() > 0)
        lstRecords->setCurrentIndex(m_model->index(0));
    txtTrova->clear();
}

void ListWindow::Busy(QLabel* waitLabel, const std::function<void()>& work) {
    if (waitLabel)
        waitLabel->show();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    repaint(); // the user sees the wait label before the work starts
    work();
    QApplication::restoreOverrideCursor();
    if (waitLabel)
        waitLabel->hide();
}

void ListWindow::btnTrovaClick() {
    if (m_records.lines.isEmpty()) {
        m_app.messages().Plain(QStringLiteral("Ricerca non applicabile: la lista non contiene nessuna voce."), this);
        return;
    }
    if (SelectedRow() < 0)
        lstRecords->setCurrentIndex(m_model->index(0));
    const int found = m_finder.Find(m_records.lines, SelectedRow(), txtTrova->text());
    if (found >= 0) {
        lstRecords->setCurrentIndex(m_model->index(found));
        lstRecords->scrollTo(m_model->index(found));
    }
}

void ListWindow::btnStampaClick() {
    // The list print has no message of its own: a failure shows the error's own text.
    QString error;
    if (!frxReport) {
        LoadListTemplate(&error);
        m_app.messages().Error(error, this);
        return;
    }
    frxReport->fileName = ListPdfName(m_pdfName, m_app.clock().Today());
    if (!FillListReport(*frxReport, m_printTitle, ListPrintStamp(m_app.clock().Now()), m_records.lines, &error) ||
        !frxReport->Prepare(&error)) {
        m_app.messages().Error(error, this);
        return;
    }
    if (m_app.printing().Print(frxReport->Prepared(), this, &error) == Printing::Result::Failed)
        m_app.messages().Error(error, this);
}

void ListWindow::lstRecordsDoubleClick() {
    const int row = SelectedRow();
    if (row >= 0 && row < m_records.positions.size())
        m_chosen = m_records.positions.at(row);
    close();
}

void ListWindow::closeEvent(QCloseEvent* e) {
    ShowRecords(RecordList());
    QDialog::closeEvent(e);
}

CriteriaPanel::CriteriaPanel(QWidget* parent, FieldKeys* keys, const std::vector<Field>& fields) : QWidget(parent) {
    setObjectName(QStringLiteral("panAvvio"));
    setGeometry((parent->width() - PanelWidth) / 2, (parent->height() - PanelHeight) / 2, PanelWidth, PanelHeight);
    QFont labelFont(QStringLiteral("Verdana"));
    labelFont.setPointSize(9);
    labelFont.setBold(true);
    for (const Field& f : fields) {
        QLabel* label = Label(this, "", QString::fromUtf8(f.label), QRect(f.x, f.y - 21, f.width, 18));
        label->setObjectName(QStringLiteral("lbl") + QLatin1String(f.edit).mid(3));
        label->setFont(labelFont);
        // The edit first: children are destroyed in order of creation, and the frame must outlive the
        // focus change that destroying its edit causes.
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(f.edit));
        edit->setGeometry(f.x, f.y, f.width, 22);
        ListWindow::StyleField(edit);
        auto* frame = new QFrame(this);
        frame->setObjectName(QLatin1String(f.frame));
        frame->setGeometry(f.x - 4, f.y - 4, f.width + 8, 30);
        new FocusFrame(edit, frame);
        m_edits.push_back(edit);
    }
    for (size_t i = 0; i < m_edits.size(); ++i) {
        keys->SetNext(m_edits[i], m_edits[(i + 1) % m_edits.size()]);
        if (i > 0)
            QWidget::setTabOrder(m_edits[i - 1], m_edits[i]);
    }
    imgSpiega = Label(this, "imgSpiega", QString(), QRect(8, 8, 817, 84));
    QFont hintFont(QStringLiteral("Verdana"));
    hintFont.setPixelSize(13);
    imgSpiega->setPixmap(Picture(imgSpiega->size(), QStringLiteral(":/search/art/lente.svg"),
                                 {QStringLiteral("Digitare una o più parole consecutive presenti nelle schede da "
                                                 "trovare nei campi scelti e premere Cerca."),
                                  QStringLiteral("Lasciare vuoti gli altri campi."),
                                  QStringLiteral("Si possono usare più campi contemporaneamente.")},
                                 hintFont, QColor(0x0B, 0x2E, 0x5C), Qt::AlignLeft));
    icoTrova01 = Label(this, "icoTrova01", QString(), QRect(24, 150, 96, 96));
    icoTrova01->setPixmap(QIcon(QStringLiteral(":/search/art/lente.svg")).pixmap(96, 96));
    btnAnnulla = Button(this, "btnAnnulla", QStringLiteral("Chiudi"), 8, 488, 150, 30);
    btnCerca = Button(this, "btnCerca", QStringLiteral("Cerca"), 675, 488, 150, 30);
    lblAttendere =
        Label(this, "lblAttendere", QStringLiteral("Ricerca schede in corso. Attendere..."), QRect(185, 494, 480, 20));
    lblAttendere->setStyleSheet(QStringLiteral("color: darkcyan; font-weight: bold;"));
    lblAttendere->hide();
    lblConta = Label(this, "lblConta", QString(), QRect(0, 0, 0, 0));
    lblConta->hide();
}
