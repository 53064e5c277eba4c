#pragma once
// A scrollable, zoomable view of one picture with a layer of vector objects
// drawn on top. Knows nothing of marking: the windows that use it decide
// what the objects mean.
//
// Coordinates:
//   - image coordinates: pixels of the picture (the layer's objects,
//     selections, visibleImageRect);
//   - view coordinates: pixels of the viewport widget (mouse signals,
//     scroll positions, the pick distance). At 100 % both scales agree.
//
// Changing objects: callers change the objects through layer() and then call
// layerChanged() once, which repaints (or, while painting is suspended,
// repaints when it resumes). The view never repaints behind a caller's back
// in the middle of a bulk change.

#include "Renderer.h"
#include "VectorLayer.h"
#include "VectorObject.h"

#include <QAbstractScrollArea>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QString>

#include <functional>
#include <optional>

namespace imaging {

// Downloads the bytes of a picture from an "http://" address; nullopt on any
// failure. The client layer provides it (the view does no networking itself).
using PictureLoader = std::function<std::optional<QByteArray>(const QString& address)>;

class ImageView : public QAbstractScrollArea {
    Q_OBJECT
public:
    enum class Tool { Select, PutLine, PutBox, PutEllipse, PutText };

    // Change codes of viewChanged.
    static constexpr int kScrolled = 0;
    static constexpr int kZoomChanged = 1;

    explicit ImageView(QWidget* parent = nullptr);
    ~ImageView() override;

    // --- Picture ---------------------------------------------------------
    QImage image() const { return m_image; }
    // Replaces the picture (objects stay); removes the selection.
    void setImage(const QImage& image);
    int imageWidth() const { return m_image.width(); }
    int imageHeight() const { return m_image.height(); }
    bool hasPicture() const { return !m_image.isNull(); }

    // Fills the picture with the background colour, keeping its size (an
    // empty picture stays empty); objects stay. Removes the selection.
    void blank();
    QColor backgroundColor() const { return m_background; }
    // Colour of the area around the picture and of blank().
    void setBackgroundColor(const QColor& color);

    // Loads a picture: an address starting with "http://" (any letter case)
    // through the picture loader, anything else as a file path; JPEG and PNG
    // (any format QImage reads). Returns false on failure, and then the view
    // holds an EMPTY picture: a stale picture never passes for the new one.
    // Objects stay in both cases; the selection is removed.
    bool loadPicture(const QString& address);
    // The loader of this view; without one, "http://" addresses fail.
    void setPictureLoader(PictureLoader loader);

    // --- Vector layer ----------------------------------------------------
    VectorLayer& layer() { return m_layer; }
    const VectorLayer& layer() const { return m_layer; }
    // Call after changing objects through layer(): repaints.
    void layerChanged();

    // Draw objects with transparency < 255 or the highlighter flag blended
    // with the picture (transparency / 255); off (the default): opaque.
    bool transparencyRendering() const { return m_transparencyRendering; }
    void setTransparencyRendering(bool on);

    // Nearest visible object (within the visible part of the picture) to a
    // viewport point; with withinPickDistance only within the pick distance.
    ObjectHandle nearestObject(QPoint viewPos, bool withinPickDistance = false) const;

    // --- Zoom ------------------------------------------------------------
    // Zoom in percent of the picture's size (100 = one image pixel per view
    // pixel). setZoom ignores values <= 0 and the current value; a real
    // change keeps the picture point at the viewport's centre in place and
    // emits viewChanged(kZoomChanged) once.
    double zoom() const { return m_zoom; }
    void setZoom(double percent);
    // Zoom that shows the whole picture / fills the width / fills the height
    // of the viewport (scroll bars taken into account); 100 without a picture.
    double zoomForFit() const;
    double zoomForFitWidth() const;
    double zoomForFitHeight() const;
    void fit() { setZoom(zoomForFit()); }
    void fitWidth() { setZoom(zoomForFitWidth()); }
    void fitHeight() { setZoom(zoomForFitHeight()); }

    // Mouse wheel: zooms (true, the default) keeping the picture point under
    // the cursor in place, or scrolls (false): one notch scrolls 8 % of the
    // visible height (at least one pixel), vertically, or horizontally when
    // the picture overflows the viewport only sideways.
    bool wheelZooms() const { return m_wheelZooms; }
    void setWheelZooms(bool zooms) { m_wheelZooms = zooms; }

    // --- Scrolling -------------------------------------------------------
    // Scroll positions in view pixels (the view point shown at the viewport's
    // top-left corner). setScroll keeps them inside the scroll range and
    // emits viewChanged(kScrolled) when they change.
    int scrollX() const;
    int scrollY() const;
    void setScroll(int x, int y);
    void setScrollBarsVisible(bool visible);

    // The part of the picture shown, in image coordinates.
    QRect visibleImageRect() const;
    QPointF viewToImage(QPoint viewPos) const;
    QPoint imageToView(QPointF imagePos) const;

    // --- Selection (image coordinates) -----------------------------------
    // Selects the columns x1 .. x2 - 1 and rows y1 .. y2 - 1, so (0, 0, width,
    // height) is the whole picture. Corners are swapped into order and kept
    // inside the picture: x1 within 0 .. width - 1, y1 within 0 .. height - 1,
    // x2 within 0 .. width, y2 within 0 .. height. A selection that is then
    // empty (zero width or height) selects nothing.
    void select(int x1, int y1, int x2, int y2);
    // Same with a QRect: (r.x(), r.y()) to (r.x() + r.width(), r.y() + r.height()).
    void select(const QRect& r);
    bool hasSelection() const { return !m_selection.isEmpty(); }
    // The selected rectangle (x, y, width, height); an empty QRect when none.
    QRect selection() const { return m_selection; }
    void clearSelection();
    // Target's picture becomes the selected region (its objects stay).
    // Without a selection the target gets an empty picture and false returns.
    bool copySelectionTo(ImageView& target) const;
    // Pastes the selected region into target's picture with its top-left at
    // `topLeft`; the target's picture first grows, on white, to hold it.
    // Without a selection nothing changes and false returns.
    bool pasteSelectionTo(ImageView& target, QPoint topLeft) const;

    // --- Tools -----------------------------------------------------------
    // With an armed tool (not Select) a left-button drag makes an object from
    // the press to the release point (a line keeps its direction; the others
    // are normalised); a click without a drag makes one of 64 x 64 image
    // pixels with its top-left (a line: its start point) at the click point.
    // The object takes every property but kind and extent from the template,
    // is added to the layer and newObject is emitted. The tool stays armed:
    // the receiver sets Tool::Select when one object per arming is wanted.
    // In Tool::Select a left-button drag moves the picked object when movable.
    Tool tool() const { return m_tool; }
    void setTool(Tool tool);
    VectorObject newObjectTemplate() const { return m_template; }
    void setNewObjectTemplate(const VectorObject& object) { m_template = object; }
    static constexpr int kDefaultExtent = 64;

    // Objects are picked (dragged, reported by objectOver) only within this
    // many VIEW pixels of the pointer; -1 (the default) = unlimited.
    int pickDistance() const { return m_pickDistance; }
    void setPickDistance(int viewPixels) { m_pickDistance = viewPixels; }

    // --- Painting --------------------------------------------------------
    // Nesting counter: while suspended the view does not repaint on changes;
    // the last resume repaints once.
    void suspendPainting();
    void resumePainting();
    bool paintingSuspended() const { return m_suspendCount > 0; }

signals:
    // An armed tool made object `handle` (already in the layer).
    void newObject(imaging::ObjectHandle handle);
    // The pointer moved and the object nearest to it within the pick
    // distance changed; kNoObject when there is none.
    void objectOver(imaging::ObjectHandle handle);
    // A dragged object was moved (its left and top changed).
    void objectMoved(imaging::ObjectHandle handle);
    // kZoomChanged (1) after a zoom change, kScrolled (0) after scrolling.
    void viewChanged(int code);
    // Any button pressed / released in the viewport, at viewport position.
    // mouseDown comes before the view acts on the press; mouseUp comes
    // before the view acts on the release (so before newObject).
    void mouseDown(Qt::MouseButton button, QPoint viewPos);
    void mouseUp(Qt::MouseButton button, QPoint viewPos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    double scale() const { return m_zoom / 100.0; }
    void setZoomAt(double percent, QPoint anchorViewPos);
    void updateScrollBars();
    void requestRepaint();
    double pickLimitInImagePixels() const;
    ObjectHandle objectCreatedFromDrag(QPoint pressImage, QPoint releaseImage, bool dragged);

    QImage m_image;
    VectorLayer m_layer;
    QColor m_background = Qt::white;
    PictureLoader m_loader;

    double m_zoom = 100.0;
    bool m_wheelZooms = true;
    bool m_transparencyRendering = false;
    bool m_zooming = false; // scroll changes made by a zoom are not reported
    QRect m_selection;

    Tool m_tool = Tool::Select;
    VectorObject m_template;
    int m_pickDistance = -1;

    // Mouse state of the current left-button gesture.
    bool m_pressed = false;
    QPoint m_pressView;
    QPoint m_pressImage;
    QPoint m_currentImage;
    bool m_dragged = false;
    ObjectHandle m_dragHandle = kNoObject;
    QPoint m_dragOrigin; // object's left/top at the press
    ObjectHandle m_hover = kNoObject;

    int m_suspendCount = 0;
};

} // namespace imaging
