// The marking window's marks: the five tool commands, the object the view
// makes with an armed tool, the highlighted score text with its pop-up of
// common scores, and deleting a mark with the right mouse button.

#include "UntMainWindow.h"

#include "AppError.h"
#include "AppPaths.h"
#include "CommentList.h"
#include "GbkText.h"
#include "ImageView.h"
#include "MarkUndo.h"
#include "Messages.h"
#include "ScoreTexts.h"
#include "UntPublic.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>

using imaging::ImageView;
using imaging::ObjectHandle;
using imaging::ObjectKind;
using imaging::VectorObject;

namespace {

// A cross or comment is centred on the point where it was put, its top this
// far above the point.
constexpr int kTextRaise = 16;

} // namespace

void TFrmMainWindow::armDrawTool(int tool) {
    // Marks take the view's plain defaults (solid pen of width 1, no fill);
    // their own look is set when the view reports the new object.
    ViewImageEnVect->setNewObjectTemplate(VectorObject{});
    ViewImageEnVect->setTool(static_cast<ImageView::Tool>(tool));
    DrawToolArmed = true;
}

void TFrmMainWindow::placeSymbol(const QString& text) {
    if (!PaperLoaded)
        return;
    m_state.SymbolText = text;
    armDrawTool(int(ImageView::Tool::PutText));
}

void TFrmMainWindow::ActSymbolXExecute() {
    placeSymbol(marking::kCrossText);
}

void TFrmMainWindow::ActSymbolTickExecute() {
    placeSymbol(marking::kTickText);
}

void TFrmMainWindow::ActSymbolLineExecute() {
    if (!PaperLoaded)
        return;
    armDrawTool(int(ImageView::Tool::PutLine));
}

void TFrmMainWindow::ActPutBoxExecute() {
    if (!PaperLoaded)
        return;
    armDrawTool(int(ImageView::Tool::PutBox));
}

void TFrmMainWindow::ActPutEllipseExecute() {
    if (!PaperLoaded)
        return;
    armDrawTool(int(ImageView::Tool::PutEllipse));
}

void TFrmMainWindow::ActPutTextExecute() {
    const QString typed = ComboBoxText->currentText();
    const QString comment = marking::SanitizeComment(typed);
    QStringList items;
    for (int i = 0; i < ComboBoxText->count(); ++i)
        items << ComboBoxText->itemText(i);
    // A new comment joins the list and the file, as the marker typed it
    // (an empty one is no comment worth keeping).
    if (!comment.isEmpty() && !marking::ContainsComment(items, typed)) {
        ComboBoxText->addItem(typed);
        items << typed;
        marking::WriteCommentFile(CommentTxtPath(), items);
    }
    if (!PaperLoaded)
        return;
    if (comment.isEmpty()) {
        // An empty comment would become a tag record that cannot be read
        // back, and every later mark of the paper would be lost with it.
        Messages().showMessage(QStringLiteral("请先选择或输入批注内容!"));
        return;
    }
    m_state.SymbolText = comment;
    armDrawTool(int(ImageView::Tool::PutText));
}

void TFrmMainWindow::ViewImageEnVectNewObject(int handle) {
    const ImageView::Tool tool = ViewImageEnVect->tool();
    VectorObject* o = ViewImageEnVect->layer().object(handle);
    if (o && tool == ImageView::Tool::PutText) {
        const int w = marking::ScoreTextWidth(m_state.SymbolText);
        const int h = marking::kTextHeight;
        int top = o->top - kTextRaise;
        int left = o->left - w / 2;
        const int imageWidth = ViewImageEnVect->imageWidth();
        const int imageHeight = ViewImageEnVect->imageHeight();
        if (top + h > imageHeight)
            top = imageHeight - h;
        if (top < 0)
            top = 1;
        if (left + w > imageWidth)
            left = imageWidth - w;
        if (left < 0)
            left = 1;
        *o = marking::MakeSymbolText(left, top, m_state.SymbolText);
        o->width = w;
        o->height = h;
    } else if (o && tool != ImageView::Tool::Select) {
        o->penColor = imaging::kGdiRed;
        o->visible = true;
        o->movable = true;
    }
    ViewImageEnVect->layerChanged();
    RefreshStatus();
    if (tool != ImageView::Tool::Select) {
        ViewImageEnVect->setTool(ImageView::Tool::Select);
        DrawToolArmed = false;
        recordMarkChange(*m_gesture, QStringLiteral("放置"));
    }
}

void TFrmMainWindow::ViewImageEnVectObjectOver(int handle) {
    imaging::VectorLayer& layer = ViewImageEnVect->layer();
    const VectorObject* over = layer.object(handle);
    if (!over || !marking::IsScorePosition(m_state.SubQuestions, over->left, over->top))
        return;
    bool highlighted = false;
    for (const ObjectHandle h : layer.handles()) {
        VectorObject* o = layer.object(h);
        if (h != handle) {
            o->penColor = imaging::kGdiRed;
        } else if (o->penColor == imaging::kGdiRed) {
            o->penColor = imaging::kGdiBlue;
            highlighted = true;
        }
    }
    ViewImageEnVect->layerChanged();
    if (!highlighted)
        return;
    const int d = marking::ScoreIndexAt(m_state.SubQuestions, over->left, over->top);
    const TSubQuestion& q = m_state.SubQuestions[d];
    for (QAction* item : ScoreMenuItems) {
        const double value = NumberOrRaise(item->toolTip());
        item->setVisible(value >= q.LowestMark && value <= q.HighestMark);
    }
}

int TFrmMainWindow::HighlightedScoreText() const {
    const imaging::VectorLayer& layer = ViewImageEnVect->layer();
    int found = imaging::kNoObject;
    for (const ObjectHandle h : layer.handles()) {
        const VectorObject* o = layer.object(h);
        if (o->penColor == imaging::kGdiBlue &&
            marking::IsScorePosition(m_state.SubQuestions, o->left, o->top))
            found = h;
    }
    return found;
}

void TFrmMainWindow::ViewImageEnVectMouseUp(Qt::MouseButton button, QPoint pos) {
    if (button != Qt::LeftButton || DrawToolArmed || HighlightedScoreText() == imaging::kNoObject)
        return;
    // The menu opens at the release point, wherever the window stands.
    PopupMenu->popup(ViewImageEnVect->viewport()->mapToGlobal(pos));
}

void TFrmMainWindow::ViewImageEnVectMouseDown(Qt::MouseButton button, QPoint pos) {
    if (!PaperLoaded)
        return;
    if (button == Qt::LeftButton) {
        // A placement or a drag may follow: what it changes is recorded from here.
        *m_gesture = captureMarks();
        return;
    }
    if (button != Qt::RightButton)
        return;
    const ObjectHandle h = ViewImageEnVect->nearestObject(pos);
    const VectorObject* o = ViewImageEnVect->layer().object(h);
    // A score text is never deleted, even when a mark lies only a little
    // farther away.
    if (!o || marking::IsScorePosition(m_state.SubQuestions, o->left, o->top))
        return;
    const marking::MarkState before = captureMarks();
    ViewImageEnVect->layer().remove(h);
    ViewImageEnVect->layerChanged();
    RefreshStatus();
    recordMarkChange(before, QStringLiteral("删除"));
}

void TFrmMainWindow::MenuItemClick(QAction* Sender) {
    if (!PaperLoaded || !Sender)
        return;
    const QString score = Sender->toolTip();
    const marking::MarkState before = captureMarks();
    imaging::VectorLayer& layer = ViewImageEnVect->layer();
    const QList<TSubQuestion>& subs = m_state.SubQuestions;
    for (const ObjectHandle h : layer.handles()) {
        VectorObject* o = layer.object(h);
        if (o->penColor != imaging::kGdiBlue || o->kind != ObjectKind::Text ||
            !marking::IsScorePosition(subs, o->left, o->top) || marking::IsSymbolMark(o->text))
            continue;
        o->text = score;
        const int d = marking::ScoreIndexAt(subs, o->left, o->top);
        if (d >= 0 && d < subs.size() && d < ScoreEdits.size()) {
            if (ScoreEdits[d])
                ScoreEdits[d]->setText(o->text);
            o->width = marking::ScoreTextWidth(o->text, o->fontHeight);
        }
    }
    ViewImageEnVect->layerChanged();
    RefreshStatus();
    recordMarkChange(before, Sender->text());
}
