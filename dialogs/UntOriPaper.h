#pragma once
// The full-paper viewer: every full sheet of the paper on screen side by
// side in one zoomable view, the student's information box covered by an
// opaque white box when the marking parameters ask for it.

#include "VectorObject.h"

#include <QDialog>
#include <QStringList>

class QToolBar;
class QToolButton;
class TPublicFuctionObject;

namespace imaging {
class ImageView;
}

// The covering box at the reply's coordinates: left, top, width and height
// (right edge left + width - 1). Edges far outside any picture are pulled in
// so that no extent arithmetic overflows; the part over the picture stays.
imaging::VectorObject InfoBoxObject(int left, int top, int width, int height);

// The message naming the sheets that could not be shown.
QString FailedSheetsMessage(const QStringList& names);

class TFrmOriPaper : public QDialog {
    Q_OBJECT
public:
    // Borderless, maximised, above the other windows. Opened modally for one
    // look at the paper and freed when closed.
    explicit TFrmOriPaper(TPublicFuctionObject& state, QWidget* parent = nullptr);

    // Controls, named as in the window.
    QToolBar* Toolbar = nullptr;
    QToolButton* RzToolButton1 = nullptr; // 退出
    QToolButton* RzToolButton2 = nullptr; // zoom in
    QToolButton* RzToolButton3 = nullptr; // zoom out
    imaging::ImageView* ViewImageEnVect = nullptr;
    imaging::ImageView* ImageEnVect = nullptr; // invisible; takes one sheet at a time

    // The show event: the information box, then the sheets, composed and
    // fitted to the height. When the box is asked for but this paper's box is
    // not known, says so and closes without showing anything.
    void FormShow();
    void RzToolButton1Click();
    void RzToolButton2Click();
    void RzToolButton3Click();

    // Multiplier of one zoom step in and out.
    static constexpr double kZoomIn = 1.1;
    static constexpr double kZoomOut = 0.9;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Whether this paper's box came with the last GetInfoParam, whole and
    // of a size that covers something.
    bool fetchInfoBox();
    // The sheets, side by side; the names of those that failed.
    QStringList composeSheets();

    TPublicFuctionObject& m_state;
    bool m_shown = false;
};
