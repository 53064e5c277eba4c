#include "UntOriPaper.h"

#include "AppError.h"
#include "ImageView.h"
#include "Messages.h"
#include "PaperComposer.h"
#include "PaperLimits.h"
#include "UntPublic.h"
#include "WaitCursor.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QString kYes = QStringLiteral("是");

// A sheet that could not be shown, when no sheet loaded to lend its size.
constexpr QSize kFallbackSheetSize(1000, 1400);

// Far beyond any picture an image can hold, and small enough that an edge
// plus a width stays inside an int.
constexpr qint64 kEdgeLimit = qint64(1) << 24;

// A magnifier with a plus (zoom in) or a minus (zoom out).
QIcon ZoomIcon(bool zoomIn) {
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(40, 40, 40);
    p.setPen(QPen(ink, 2));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(3, 3, 13, 13));
    p.setPen(QPen(ink, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(15, 15), QPointF(21, 21));
    p.setPen(QPen(ink, 2));
    p.drawLine(QPointF(6.5, 9.5), QPointF(12.5, 9.5));
    if (zoomIn)
        p.drawLine(QPointF(9.5, 6.5), QPointF(9.5, 12.5));
    p.end();
    return QIcon(pixmap);
}

QToolButton* MakeButton(const char* name, QToolBar* bar) {
    auto* button = new QToolButton(bar);
    button->setObjectName(QString::fromLatin1(name));
    button->setFocusPolicy(Qt::NoFocus);
    bar->addWidget(button);
    return button;
}

} // namespace

imaging::VectorObject InfoBoxObject(int left, int top, int width, int height) {
    const auto edge = [](qint64 v) { return std::clamp(v, -kEdgeLimit, kEdgeLimit); };
    const qint64 x1 = edge(left), y1 = edge(top);
    const qint64 x2 = std::max(x1, edge(qint64(left) + width - 1));
    const qint64 y2 = std::max(y1, edge(qint64(top) + height - 1));
    imaging::VectorObject box;
    box.kind = imaging::ObjectKind::Memo;
    box.left = int(x1);
    box.top = int(y1);
    box.width = int(x2 - x1 + 1);
    box.height = int(y2 - y1 + 1);
    box.brushColor = imaging::kGdiWhite;
    box.brushStyle = imaging::BrushStyle::Solid;
    box.penStyle = imaging::PenStyle::Solid;
    box.text.clear();
    // Opaque whatever the view's transparency setting: it hides the identity.
    box.transparency = 255;
    box.highlighter = false;
    box.visible = true;
    box.movable = true;
    return box;
}

QString FailedSheetsMessage(const QStringList& names) {
    QString text = QStringLiteral("全卷图片下载失败:");
    for (const QString& name : names)
        text += QLatin1Char('\n') + name;
    return text;
}

TFrmOriPaper::TFrmOriPaper(TPublicFuctionObject& state, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_state(state) {
    setWindowTitle(QStringLiteral("全图显示"));

    Toolbar = new QToolBar(this);
    Toolbar->setObjectName(QStringLiteral("Toolbar"));
    Toolbar->setIconSize(QSize(24, 24));
    RzToolButton1 = MakeButton("RzToolButton1", Toolbar);
    RzToolButton1->setText(QStringLiteral("退出"));
    RzToolButton2 = MakeButton("RzToolButton2", Toolbar);
    RzToolButton2->setIcon(ZoomIcon(true));
    RzToolButton3 = MakeButton("RzToolButton3", Toolbar);
    RzToolButton3->setIcon(ZoomIcon(false));

    ViewImageEnVect = new imaging::ImageView(this);
    ViewImageEnVect->setObjectName(QStringLiteral("ViewImageEnVect"));
    ViewImageEnVect->setBackgroundColor(palette().color(QPalette::Window));
    ViewImageEnVect->viewport()->setCursor(Qt::SizeAllCursor);
    // The covering box moves only when the marker takes hold of it: a drag
    // anywhere else on the sheets must not slide it off the student's name.
    ViewImageEnVect->setPickDistance(20);
    ImageEnVect = new imaging::ImageView(ViewImageEnVect);
    ImageEnVect->setObjectName(QStringLiteral("ImageEnVect"));
    ImageEnVect->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Toolbar);
    layout->addWidget(ViewImageEnVect, 1);

    connect(RzToolButton1, &QToolButton::clicked, this,
            [this] { Guarded([this] { RzToolButton1Click(); }); });
    connect(RzToolButton2, &QToolButton::clicked, this,
            [this] { Guarded([this] { RzToolButton2Click(); }); });
    connect(RzToolButton3, &QToolButton::clicked, this,
            [this] { Guarded([this] { RzToolButton3Click(); }); });

    // The size is set as well as the state: without a window manager nobody
    // maximises, and the picture is fitted to the height before it shows.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        setGeometry(screen->availableGeometry());
    setWindowState(Qt::WindowMaximized);
}

void TFrmOriPaper::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    Guarded([this] { FormShow(); });
}

void TFrmOriPaper::FormShow() {
    const bool boxKnown = fetchInfoBox();
    const bool coverInfo = m_state.ShowInfoBox == kYes;
    if (coverInfo && !boxKnown) {
        // Without this paper's box the sheets would show the student's
        // identity, or cover the wrong place with an earlier paper's box.
        Messages().showMessage(QStringLiteral("考生信息区位置获取失败，不能显示全卷!!"));
        // Closing from inside the show event would leave the modal loop that
        // starts after it running for ever: the viewer closes as soon as that
        // loop runs, and it never reaches the screen.
        setAttribute(Qt::WA_DontShowOnScreen);
        QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
        return;
    }
    ViewImageEnVect->setWheelZooms(true);
    const QStringList failed = composeSheets();
    if (coverInfo) {
        ViewImageEnVect->layer().add(InfoBoxObject(m_state.InfoStartX, m_state.InfoStartY,
                                                   m_state.InfoEndX, m_state.InfoEndY));
        ViewImageEnVect->layerChanged();
    }
    ViewImageEnVect->fitHeight();
    if (!failed.isEmpty())
        Messages().showMessage(FailedSheetsMessage(failed));
}

bool TFrmOriPaper::fetchInfoBox() {
    const WaitCursor waiting;
    int read = 0;
    const bool ok = m_state.GetInfoParam(&read);
    // A reply without a root element reads nothing and still succeeds: the
    // coordinates in the client state are then an earlier paper's.
    return ok && read == 4 && m_state.InfoEndX > 0 && m_state.InfoEndY > 0;
}

QStringList TFrmOriPaper::composeSheets() {
    // The sheet count comes from the server: no more sheets than a paper
    // has pages.
    const int count = std::min(int(m_state.SheetImageCount), int(kMaxPageCount));
    QStringList addresses;
    for (int n = 1; n <= count; ++n)
        addresses.append(m_state.SheetImageAddress(n));
    QList<marking::FetchedPicture> sheets;
    {
        const WaitCursor waiting;
        sheets = marking::FetchPictures(m_state.http(), addresses);
    }

    // A sheet that failed keeps its place as white paper of a loaded
    // sheet's size, so the others stay where they belong.
    QSize blankSize = kFallbackSheetSize;
    for (const marking::FetchedPicture& sheet : std::as_const(sheets)) {
        if (sheet.ok) {
            blankSize = sheet.image.size();
            break;
        }
    }
    QStringList failed;
    for (int i = 0; i < sheets.size(); ++i) {
        QImage sheet = sheets[i].image;
        if (!sheets[i].ok || sheet.isNull()) {
            failed.append(marking::PictureName(addresses[i]));
            sheet = QImage(blankSize, QImage::Format_RGB32);
            sheet.fill(Qt::white);
        }
        sheets[i].image = QImage(); // one decoded sheet less held
        ImageEnVect->setImage(sheet);
        ImageEnVect->fit();
        ImageEnVect->select(0, 0, ImageEnVect->imageWidth(), ImageEnVect->imageHeight());
        if (i == 0)
            ImageEnVect->copySelectionTo(*ViewImageEnVect);
        else
            ImageEnVect->pasteSelectionTo(*ViewImageEnVect,
                                          QPoint(ViewImageEnVect->imageWidth(), 0));
    }
    ImageEnVect->setImage(QImage());
    return failed;
}

void TFrmOriPaper::RzToolButton1Click() {
    close();
}

void TFrmOriPaper::RzToolButton2Click() {
    ViewImageEnVect->setZoom(ViewImageEnVect->zoom() * kZoomIn);
}

void TFrmOriPaper::RzToolButton3Click() {
    ViewImageEnVect->setZoom(ViewImageEnVect->zoom() * kZoomOut);
}
