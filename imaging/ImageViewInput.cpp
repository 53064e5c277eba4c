// Mouse, wheel and key handling of ImageView: tools, object dragging,
// hovering and wheel scrolling or zooming.
#include "ImageView.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace imaging {

namespace {

QPoint FloorPoint(QPointF p) {
    return QPoint(int(std::floor(p.x())), int(std::floor(p.y())));
}

ObjectKind KindOf(ImageView::Tool tool) {
    switch (tool) {
    case ImageView::Tool::PutLine:
        return ObjectKind::Line;
    case ImageView::Tool::PutEllipse:
        return ObjectKind::Ellipse;
    case ImageView::Tool::PutText:
        return ObjectKind::Text;
    case ImageView::Tool::PutBox:
    case ImageView::Tool::Select:
        break;
    }
    return ObjectKind::Box;
}

} // namespace

void ImageView::setTool(Tool tool) {
    m_tool = tool;
    m_pressed = false;
    m_dragHandle = kNoObject;
    viewport()->setCursor(tool == Tool::Select ? Qt::PointingHandCursor : Qt::CrossCursor);
}

void ImageView::keyPressEvent(QKeyEvent* event) {
    // Leave every key to the window: it does its own scrolling.
    event->ignore();
}

void ImageView::wheelEvent(QWheelEvent* event) {
    const int delta =
        event->angleDelta().y() != 0 ? event->angleDelta().y() : event->angleDelta().x();
    if (delta == 0 || m_image.isNull()) {
        event->ignore();
        return;
    }
    const double notches = delta / 120.0;
    if (m_wheelZooms) {
        setZoomAt(m_zoom * std::pow(1.1, notches), event->position().toPoint());
        event->accept();
        return;
    }
    const int step = std::max(1, int(std::lround(0.08 * viewport()->height())));
    const int amount = int(std::lround(step * notches));
    const bool overflowsV = verticalScrollBar()->maximum() > 0;
    const bool overflowsH = horizontalScrollBar()->maximum() > 0;
    if (overflowsV)
        verticalScrollBar()->setValue(verticalScrollBar()->value() - amount);
    else if (overflowsH)
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() - amount);
    event->accept();
}

void ImageView::mousePressEvent(QMouseEvent* event) {
    const QPoint viewPos = event->position().toPoint();
    emit mouseDown(event->button(), viewPos);
    if (event->button() != Qt::LeftButton)
        return;
    m_pressed = true;
    m_dragged = false;
    m_pressView = viewPos;
    m_pressImage = FloorPoint(viewToImage(viewPos));
    m_currentImage = m_pressImage;
    m_dragHandle = kNoObject;
    if (m_tool == Tool::Select) {
        const ObjectHandle h = nearestObject(viewPos, true);
        const VectorObject* o = m_layer.object(h);
        if (o && o->movable) {
            m_dragHandle = h;
            m_dragOrigin = QPoint(o->left, o->top);
        }
    }
}

void ImageView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint viewPos = event->position().toPoint();
    if (m_pressed && (event->buttons() & Qt::LeftButton)) {
        if (!m_dragged &&
            (viewPos - m_pressView).manhattanLength() >= QApplication::startDragDistance())
            m_dragged = true;
        m_currentImage = FloorPoint(viewToImage(viewPos));
        if (m_dragged) {
            if (VectorObject* o = m_layer.object(m_dragHandle)) {
                const QPoint delta = m_currentImage - m_pressImage;
                o->left = m_dragOrigin.x() + delta.x();
                o->top = m_dragOrigin.y() + delta.y();
            }
            requestRepaint();
        }
        return;
    }
    const ObjectHandle over = nearestObject(viewPos, true);
    if (over != m_hover) {
        m_hover = over;
        emit objectOver(over);
    }
}

void ImageView::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint viewPos = event->position().toPoint();
    emit mouseUp(event->button(), viewPos);
    if (event->button() != Qt::LeftButton || !m_pressed)
        return;
    m_pressed = false;
    // A release far from the press is a drag even without move events.
    if ((viewPos - m_pressView).manhattanLength() >= QApplication::startDragDistance())
        m_dragged = true;
    const QPoint releaseImage = FloorPoint(viewToImage(viewPos));
    if (m_tool != Tool::Select) {
        const ObjectHandle h = objectCreatedFromDrag(m_pressImage, releaseImage, m_dragged);
        requestRepaint();
        emit newObject(h);
        return;
    }
    const ObjectHandle moved = m_dragHandle;
    m_dragHandle = kNoObject;
    if (m_dragged && moved != kNoObject && m_layer.contains(moved)) {
        const VectorObject* o = m_layer.object(moved);
        if (QPoint(o->left, o->top) != m_dragOrigin)
            emit objectMoved(moved);
    }
    requestRepaint();
}

ObjectHandle ImageView::objectCreatedFromDrag(QPoint pressImage, QPoint releaseImage,
                                              bool dragged) {
    VectorObject o = m_template;
    o.kind = KindOf(m_tool);
    // A click gives the default extent: 64 pixels, both ends included.
    const QPoint end =
        dragged ? releaseImage : pressImage + QPoint(kDefaultExtent - 1, kDefaultExtent - 1);
    SetExtentFromPoints(o, pressImage, end);
    return m_layer.add(o);
}

} // namespace imaging
