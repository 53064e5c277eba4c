#pragma once
// One object of the vector layer: plain data in image-pixel coordinates.
//
// Extents are inclusive: the right edge is left + width - 1 and the bottom
// edge top + height - 1. Boxes, ellipses and texts are kept normalised
// (width, height >= 1); a line keeps its direction: (left, top) is its start
// point and its end point is (left + width - 1, top + height - 1), so its
// width and height may be zero or negative.

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QtGlobal>

namespace imaging {

enum class ObjectKind { Line, Box, Ellipse, Text, Memo };
enum class PenStyle { Solid, Clear };
enum class BrushStyle { Solid, Clear };
enum class TextAlign { Left, Center, Right };

// Colours at the API are GDI values 0x00BBGGRR: 255 is red, 0xFF0000 blue.
inline QColor FromGdiColor(quint32 gdi) {
    return QColor(int(gdi & 0xFF), int((gdi >> 8) & 0xFF), int((gdi >> 16) & 0xFF));
}
inline quint32 ToGdiColor(const QColor& c) {
    return quint32(c.red()) | (quint32(c.green()) << 8) | (quint32(c.blue()) << 16);
}

constexpr quint32 kGdiRed = 0x0000FF;
constexpr quint32 kGdiBlue = 0xFF0000;
constexpr quint32 kGdiWhite = 0xFFFFFF;
constexpr quint32 kGdiBlack = 0x000000;

struct VectorObject {
    ObjectKind kind = ObjectKind::Box;
    int left = 0;
    int top = 0;
    int width = 1;
    int height = 1;

    quint32 penColor = kGdiBlack;
    PenStyle penStyle = PenStyle::Solid;
    int penWidth = 1;
    quint32 brushColor = kGdiWhite;
    BrushStyle brushStyle = BrushStyle::Clear;

    QString text;
    QString fontName = QStringLiteral("Arial");
    int fontHeight = 40; // image pixels, scaled with the zoom when drawn
    TextAlign align = TextAlign::Center;

    int transparency = 255; // 255 opaque, 128 half
    bool highlighter = false;
    bool editable = false;

    bool visible = true;
    bool movable = true;
    bool resizable = false;

    int right() const { return left + width - 1; }
    int bottom() const { return top + height - 1; }
    bool isText() const { return kind == ObjectKind::Text || kind == ObjectKind::Memo; }
    // Bounding rectangle (normalised, also for lines).
    QRect bounds() const;

    bool operator==(const VectorObject&) const = default;
};

// Makes the object's extents from two corner points as the inclusive rule
// says: normalised for boxes, ellipses and texts; a line from `a` to `b`.
void SetExtentFromPoints(VectorObject& o, QPoint a, QPoint b);

} // namespace imaging
