#pragma once
// Draws vector objects from their data; used by ImageView and usable on any
// QPainter (tests render into a QImage without a widget).

#include "VectorLayer.h"
#include "VectorObject.h"

#include <QPointF>

class QPainter;

namespace imaging {

// Draws every visible object of the layer in order. An image point p lands
// at p * scale + offset. Lines, boxes and ellipses use the pen (a clear pen
// draws no outline) and the brush; texts fill their box with the brush, draw
// the frame with the pen and the text in the pen colour at the font height
// scaled with `scale`, aligned in the box. With `blend`, an object with
// transparency < 255 or the highlighter flag is drawn as a whole (box and
// text together) blended with what lies beneath at transparency / 255.
void RenderLayer(QPainter& painter, const VectorLayer& layer, double scale, QPointF offset,
                 bool blend = true);
void RenderObject(QPainter& painter, const VectorObject& object, double scale, QPointF offset,
                  bool blend = true);

// Maps the Windows font faces that marks use to fonts present on Linux, so
// that Chinese text renders. Call once at start-up (after the application
// object exists).
void InstallFontSubstitutions();

} // namespace imaging
