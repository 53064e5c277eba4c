#include "ImageView.h"

#include "PictureDecoder.h"

#include <QFile>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace imaging {

namespace {

// The view pixels a picture extent covers at a scale. A fitted zoom times
// the picture's size lands a rounding hair above the viewport's size; that
// hair must not count as a pixel to scroll to.
int ViewExtent(int imagePixels, double scale) {
    return int(std::ceil(imagePixels * scale - 1e-6));
}

} // namespace

ImageView::ImageView(QWidget* parent) : QAbstractScrollArea(parent) {
    setFrameShape(QFrame::NoFrame);
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(false);
    // Scroll keys belong to the window around the view (it scrolls the view
    // itself); the view must not move a second time.
    setFocusPolicy(Qt::ClickFocus);
    updateScrollBars();
}

ImageView::~ImageView() = default;

// --- Picture -------------------------------------------------------------

void ImageView::setImage(const QImage& image) {
    m_image = image;
    m_selection = QRect();
    updateScrollBars();
    requestRepaint();
}

void ImageView::blank() {
    if (!m_image.isNull())
        m_image.fill(m_background);
    m_selection = QRect();
    requestRepaint();
}

void ImageView::setBackgroundColor(const QColor& color) {
    m_background = color;
    requestRepaint();
}

bool ImageView::loadPicture(const QString& address) {
    DecodedPicture loaded;
    if (address.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)) {
        if (m_loader) {
            if (const std::optional<QByteArray> bytes = m_loader(address))
                loaded = DecodePicture(*bytes);
        }
    } else {
        loaded = ReadPictureFile(address);
    }
    // On failure the picture becomes empty on purpose: keeping the previous
    // one would show an earlier student's answer as if it were this one.
    setImage(loaded.ok ? loaded.image : QImage());
    return loaded.ok;
}

void ImageView::setPictureLoader(PictureLoader loader) {
    m_loader = std::move(loader);
}

// --- Vector layer ----------------------------------------------------------

void ImageView::layerChanged() {
    if (m_dragHandle != kNoObject && !m_layer.contains(m_dragHandle))
        m_dragHandle = kNoObject;
    if (m_hover != kNoObject && !m_layer.contains(m_hover))
        m_hover = kNoObject;
    requestRepaint();
}

void ImageView::setTransparencyRendering(bool on) {
    if (m_transparencyRendering == on)
        return;
    m_transparencyRendering = on;
    requestRepaint();
}

double ImageView::pickLimitInImagePixels() const {
    return m_pickDistance < 0 ? -1.0 : m_pickDistance / scale();
}

ObjectHandle ImageView::nearestObject(QPoint viewPos, bool withinPickDistance) const {
    return m_layer.nearest(viewToImage(viewPos), visibleImageRect(),
                           withinPickDistance ? pickLimitInImagePixels() : -1.0);
}

// --- Zoom ------------------------------------------------------------------

void ImageView::setZoom(double percent) {
    setZoomAt(percent, QPoint(viewport()->width() / 2, viewport()->height() / 2));
}

void ImageView::setZoomAt(double percent, QPoint anchor) {
    if (!(percent > 0) || percent == m_zoom)
        return;
    const QPointF anchorImage = viewToImage(anchor);
    m_zoom = percent;
    m_zooming = true;
    updateScrollBars();
    const QPointF anchorView = anchorImage * scale();
    horizontalScrollBar()->setValue(int(std::lround(anchorView.x() - anchor.x())));
    verticalScrollBar()->setValue(int(std::lround(anchorView.y() - anchor.y())));
    m_zooming = false;
    requestRepaint();
    emit viewChanged(kZoomChanged);
}

double ImageView::zoomForFit() const {
    if (m_image.isNull())
        return 100.0;
    // The whole picture fits, so no scroll bar shows.
    const QSize avail = maximumViewportSize();
    return 100.0 * std::min(double(avail.width()) / m_image.width(),
                            double(avail.height()) / m_image.height());
}

double ImageView::zoomForFitWidth() const {
    if (m_image.isNull())
        return 100.0;
    const QSize avail = maximumViewportSize();
    double z = double(avail.width()) / m_image.width();
    // A picture taller than the view at that zoom brings a vertical bar,
    // which takes width away.
    if (m_image.height() * z > avail.height() &&
        verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOff)
        z = double(avail.width() - verticalScrollBar()->sizeHint().width()) / m_image.width();
    return 100.0 * std::max(z, 0.0001);
}

double ImageView::zoomForFitHeight() const {
    if (m_image.isNull())
        return 100.0;
    const QSize avail = maximumViewportSize();
    double z = double(avail.height()) / m_image.height();
    if (m_image.width() * z > avail.width() &&
        horizontalScrollBarPolicy() != Qt::ScrollBarAlwaysOff)
        z = double(avail.height() - horizontalScrollBar()->sizeHint().height()) / m_image.height();
    return 100.0 * std::max(z, 0.0001);
}

// --- Scrolling -------------------------------------------------------------

int ImageView::scrollX() const {
    return horizontalScrollBar()->value();
}
int ImageView::scrollY() const {
    return verticalScrollBar()->value();
}

void ImageView::setScroll(int x, int y) {
    // QScrollBar clamps to its range.
    horizontalScrollBar()->setValue(x);
    verticalScrollBar()->setValue(y);
}

void ImageView::setScrollBarsVisible(bool visible) {
    const Qt::ScrollBarPolicy policy = visible ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff;
    setHorizontalScrollBarPolicy(policy);
    setVerticalScrollBarPolicy(policy);
    updateScrollBars();
}

void ImageView::updateScrollBars() {
    const int contentW = ViewExtent(m_image.width(), scale());
    const int contentH = ViewExtent(m_image.height(), scale());
    // Decide the bars from the size without bars first: showing one bar
    // narrows the viewport and may bring the other.
    const QSize full = maximumViewportSize();
    bool needH = horizontalScrollBarPolicy() != Qt::ScrollBarAlwaysOff && contentW > full.width();
    bool needV = verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOff && contentH > full.height();
    const int barW = verticalScrollBar()->sizeHint().width();
    const int barH = horizontalScrollBar()->sizeHint().height();
    if (needV && !needH && horizontalScrollBarPolicy() != Qt::ScrollBarAlwaysOff)
        needH = contentW > full.width() - barW;
    if (needH && !needV && verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOff)
        needV = contentH > full.height() - barH;
    const int viewW = full.width() - (needV ? barW : 0);
    const int viewH = full.height() - (needH ? barH : 0);
    horizontalScrollBar()->setRange(0, std::max(0, contentW - viewW));
    horizontalScrollBar()->setPageStep(std::max(1, viewW));
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setRange(0, std::max(0, contentH - viewH));
    verticalScrollBar()->setPageStep(std::max(1, viewH));
    verticalScrollBar()->setSingleStep(20);
}

void ImageView::scrollContentsBy(int, int) {
    requestRepaint();
    if (!m_zooming)
        emit viewChanged(kScrolled);
}

void ImageView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

QRect ImageView::visibleImageRect() const {
    if (m_image.isNull())
        return QRect();
    const QPointF a = viewToImage(QPoint(0, 0));
    const QPointF b = viewToImage(QPoint(viewport()->width(), viewport()->height()));
    const QRect r(QPoint(int(std::floor(a.x())), int(std::floor(a.y()))),
                  QPoint(int(std::ceil(b.x())) - 1, int(std::ceil(b.y())) - 1));
    return r.intersected(m_image.rect());
}

QPointF ImageView::viewToImage(QPoint viewPos) const {
    return QPointF((viewPos.x() + scrollX()) / scale(), (viewPos.y() + scrollY()) / scale());
}

QPoint ImageView::imageToView(QPointF imagePos) const {
    return QPoint(int(std::lround(imagePos.x() * scale())) - scrollX(),
                  int(std::lround(imagePos.y() * scale())) - scrollY());
}

// --- Selection -------------------------------------------------------------

void ImageView::select(int x1, int y1, int x2, int y2) {
    m_selection = ClampedSelection(m_image.size(), x1, y1, x2, y2);
    requestRepaint();
}

void ImageView::select(const QRect& r) {
    select(r.x(), r.y(), r.x() + r.width(), r.y() + r.height());
}

void ImageView::clearSelection() {
    if (m_selection.isNull())
        return;
    m_selection = QRect();
    requestRepaint();
}

bool ImageView::copySelectionTo(ImageView& target) const {
    if (!hasSelection()) {
        target.setImage(QImage());
        return false;
    }
    target.setImage(m_image.copy(m_selection));
    return true;
}

bool ImageView::pasteSelectionTo(ImageView& target, QPoint topLeft) const {
    if (!hasSelection())
        return false;
    const QImage region = m_image.copy(m_selection);
    const QImage& old = target.m_image;
    const int w = std::max(old.width(), topLeft.x() + region.width());
    const int h = std::max(old.height(), topLeft.y() + region.height());
    // A fresh white canvas: areas that neither picture covers stay white,
    // whatever the target's background colour.
    QImage grown(w, h, QImage::Format_RGB32);
    grown.fill(Qt::white);
    {
        QPainter p(&grown);
        if (!old.isNull())
            p.drawImage(0, 0, old);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(topLeft, region);
    }
    target.setImage(grown);
    return true;
}

// --- Painting --------------------------------------------------------------

void ImageView::suspendPainting() {
    ++m_suspendCount;
}

void ImageView::resumePainting() {
    if (m_suspendCount == 0)
        return;
    // The last resume always repaints: callers may have changed objects
    // through layer() without announcing each change.
    if (--m_suspendCount == 0)
        viewport()->update();
}

void ImageView::requestRepaint() {
    if (m_suspendCount > 0) {
        return;
    }
    viewport()->update();
}

void ImageView::paintEvent(QPaintEvent* event) {
    QPainter p(viewport());
    p.fillRect(event->rect(), m_background);
    const QPointF offset(-scrollX(), -scrollY());
    if (!m_image.isNull()) {
        // Draw only the visible part: scaling a whole page per paint is slow.
        const QRect src = visibleImageRect();
        if (!src.isEmpty()) {
            const QRectF dst(src.x() * scale() + offset.x(), src.y() * scale() + offset.y(),
                             src.width() * scale(), src.height() * scale());
            p.setRenderHint(QPainter::SmoothPixmapTransform, m_zoom < 100.0);
            p.drawImage(dst, m_image, src);
        }
    }
    RenderLayer(p, m_layer, scale(), offset, m_transparencyRendering);

    if (hasSelection()) {
        const QRectF r(m_selection.x() * scale() + offset.x(),
                       m_selection.y() * scale() + offset.y(), m_selection.width() * scale() - 1,
                       m_selection.height() * scale() - 1);
        p.setPen(QPen(Qt::black, 1, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r);
    }
    if (m_pressed && m_dragged && m_tool != Tool::Select) {
        // Rubber band of the object being drawn.
        p.setPen(QPen(Qt::gray, 1, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        const QPointF a = QPointF(m_pressImage) * scale() + offset;
        const QPointF b = QPointF(m_currentImage) * scale() + offset;
        if (m_tool == Tool::PutLine)
            p.drawLine(a, b);
        else
            p.drawRect(QRectF(a, b).normalized());
    }
}

} // namespace imaging
