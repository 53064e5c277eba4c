#include "Renderer.h"

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>

namespace imaging {

namespace {

Qt::Alignment HorizontalAlignment(TextAlign align) {
    switch (align) {
    case TextAlign::Left:
        return Qt::AlignLeft;
    case TextAlign::Right:
        return Qt::AlignRight;
    case TextAlign::Center:
        break;
    }
    return Qt::AlignHCenter;
}

QPen OutlinePen(const VectorObject& o, double scale) {
    if (o.penStyle == PenStyle::Clear)
        return Qt::NoPen;
    QPen pen(FromGdiColor(o.penColor));
    // Pen widths are image pixels; never thinner than one view pixel so a
    // mark stays visible when zoomed out.
    pen.setWidthF(std::max(1.0, o.penWidth * scale));
    pen.setCapStyle(Qt::SquareCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

QBrush FillBrush(const VectorObject& o) {
    if (o.brushStyle == BrushStyle::Clear)
        return Qt::NoBrush;
    return QBrush(FromGdiColor(o.brushColor));
}

// The area covering pixels left .. right (inclusive) in view coordinates.
QRectF AreaRect(const VectorObject& o, double scale, QPointF offset) {
    const QRect b = o.bounds();
    return QRectF(b.left() * scale + offset.x(), b.top() * scale + offset.y(), b.width() * scale,
                  b.height() * scale);
}

// The outline runs through the centres of the edge pixels, so a 1-pixel pen
// at 100 % colours exactly the object's edge pixels.
QRectF OutlineRect(const VectorObject& o, double scale, QPointF offset) {
    const QRect b = o.bounds();
    return QRectF((b.left() + 0.5) * scale + offset.x(), (b.top() + 0.5) * scale + offset.y(),
                  (b.width() - 1) * scale, (b.height() - 1) * scale);
}

QFont TextFont(const VectorObject& o, double scale) {
    QFont font(o.fontName);
    font.setPixelSize(std::max(1, int(std::lround(o.fontHeight * scale))));
    return font;
}

constexpr int kTextFlags = Qt::AlignVCenter | Qt::TextDontClip | Qt::TextSingleLine;

void DrawOpaque(QPainter& p, const VectorObject& o, double scale, QPointF offset) {
    p.save();
    switch (o.kind) {
    case ObjectKind::Line: {
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(OutlinePen(o, scale));
        const QPointF a((o.left + 0.5) * scale + offset.x(), (o.top + 0.5) * scale + offset.y());
        const QPointF b((o.right() + 0.5) * scale + offset.x(),
                        (o.bottom() + 0.5) * scale + offset.y());
        p.drawLine(a, b);
        break;
    }
    case ObjectKind::Box:
        p.setRenderHint(QPainter::Antialiasing, false);
        if (o.brushStyle == BrushStyle::Solid)
            p.fillRect(AreaRect(o, scale, offset), FillBrush(o));
        p.setPen(OutlinePen(o, scale));
        p.setBrush(Qt::NoBrush);
        p.drawRect(OutlineRect(o, scale, offset));
        break;
    case ObjectKind::Ellipse:
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(OutlinePen(o, scale));
        p.setBrush(FillBrush(o));
        p.drawEllipse(OutlineRect(o, scale, offset));
        break;
    case ObjectKind::Text:
    case ObjectKind::Memo: {
        const QRectF area = AreaRect(o, scale, offset);
        if (o.brushStyle == BrushStyle::Solid)
            p.fillRect(area, FillBrush(o));
        if (o.penStyle == PenStyle::Solid) {
            p.setPen(OutlinePen(o, scale));
            p.setBrush(Qt::NoBrush);
            p.drawRect(OutlineRect(o, scale, offset));
        }
        p.setRenderHint(QPainter::TextAntialiasing, true);
        p.setFont(TextFont(o, scale));
        // The text takes the pen colour even when the frame is off.
        p.setPen(FromGdiColor(o.penColor));
        p.drawText(area, kTextFlags | HorizontalAlignment(o.align), o.text);
        break;
    }
    }
    p.restore();
}

// View-space rectangle that everything the object draws lies in.
QRectF PaintedRect(const VectorObject& o, double scale, QPointF offset) {
    const double pad = std::max(1.0, o.penWidth * scale) + 1;
    QRectF r = AreaRect(o, scale, offset).adjusted(-pad, -pad, pad, pad);
    if (o.isText() && !o.text.isEmpty()) {
        // Text is not clipped to its box; a 48 x 32 box holds a 40-pixel font.
        const QFontMetricsF fm(TextFont(o, scale));
        const QRectF area = AreaRect(o, scale, offset);
        r = r.united(fm.boundingRect(area, kTextFlags | HorizontalAlignment(o.align), o.text)
                         .adjusted(-2, -2, 2, 2));
    }
    return r;
}

} // namespace

void RenderObject(QPainter& painter, const VectorObject& o, double scale, QPointF offset,
                  bool blend) {
    if (!o.visible)
        return;
    const bool translucent = blend && (o.transparency < 255 || o.highlighter);
    if (!translucent) {
        DrawOpaque(painter, o, scale, offset);
        return;
    }
    const double opacity = std::clamp(o.transparency, 0, 255) / 255.0;
    if (opacity <= 0)
        return;
    // Draw the whole object opaque into a layer first and blend that layer:
    // blending box and text one after the other would let the box show
    // through the text.
    // Only the part on the device (and inside the clip) is worth a layer;
    // a text near a huge zoom would otherwise ask for a giant image. The
    // painter is assumed to have no world transform (the view draws so).
    QRect target = PaintedRect(o, scale, offset).toAlignedRect();
    if (const QPaintDevice* device = painter.device())
        target = target.intersected(QRect(0, 0, device->width(), device->height()));
    if (painter.hasClipping())
        target = target.intersected(painter.clipBoundingRect().toAlignedRect());
    if (target.isEmpty())
        return;
    QImage layer(target.size(), QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    {
        QPainter lp(&layer);
        DrawOpaque(lp, o, scale, offset - QPointF(target.topLeft()));
    }
    painter.save();
    painter.setOpacity(painter.opacity() * opacity);
    painter.drawImage(target.topLeft(), layer);
    painter.restore();
}

void RenderLayer(QPainter& painter, const VectorLayer& layer, double scale, QPointF offset,
                 bool blend) {
    for (int i = 0; i < layer.count(); ++i)
        if (const VectorObject* o = layer.object(layer.handleAt(i)))
            RenderObject(painter, *o, scale, offset, blend);
}

void InstallFontSubstitutions() {
    // The marks name Windows faces; on Linux Qt would otherwise fall back to
    // a face without Chinese glyphs for some of them.
    const QStringList serif = {QStringLiteral("Noto Serif CJK SC"),
                               QStringLiteral("Noto Sans CJK SC")};
    const QStringList sans = {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans"),
                              QStringLiteral("Noto Sans CJK SC")};
    QFont::insertSubstitutions(QStringLiteral("宋体"), serif);
    QFont::insertSubstitutions(QStringLiteral("SimSun"), serif);
    QFont::insertSubstitutions(QStringLiteral("Arial"), sans);
}

} // namespace imaging
