// The review window's student list and marked-paper display: the class's
// students for a question group, the answer image composed for the row the
// teacher picks, the turn selector and the marks of the chosen turn.

#include "UntViewTeach.h"

#include "AppError.h"
#include "GbkText.h"
#include "ImageView.h"
#include "Messages.h"
#include "PaperComposer.h"
#include "TagFormat.h"
#include "ViewTeachShared.h"
#include "WaitCursor.h"

#include <QComboBox>
#include <QSplitter>
#include <QToolBar>
#include <QTreeWidget>

#include <exception>

void TFrmViewTech::LoadStudentList(const QString& questionId) {
    RequestAddress address(m_state.ServerUrl, QStringLiteral("QueryStQuestion"));
    address.add(QStringLiteral("Questionid"), questionId)
        .add(QStringLiteral("ClassId"), review::ItemId(ComboBoxClass->currentText()));
    const XmlReply& xml = m_state.xml();
    if (!review::LoadReply(m_state, address) || xml.topLevelCount() < 2)
        return;
    ListView->clear();
    QList<QTreeWidgetItem*> rows;
    const int n = xml.recordCount();
    rows.reserve(n);
    for (int i = 0; i < n; ++i) {
        // The turns' fields are kept "&"-separated, as the marking history
        // keeps them.
        QString turns = xml.recordField(i, QStringLiteral("AllTurnInfo"));
        turns.replace(QLatin1Char('$'), QLatin1Char('&'));
        rows.append(new QTreeWidgetItem(QStringList{xml.recordField(i, QStringLiteral("StudentId")),
                                                    xml.recordField(i, QStringLiteral("Name")),
                                                    xml.recordField(i, QStringLiteral("Lastmark")),
                                                    turns}));
    }
    ListView->addTopLevelItems(rows);
}

void TFrmViewTech::ListViewSelectItem(QTreeWidgetItem* Item, bool Selected) {
    if (!Item)
        return;
    marking::ComposeOutcome outcome;
    std::exception_ptr error;
    {
        const WaitCursor waiting;
        // The window's contents, not the window: on X11 a top-level window
        // whose painting resumes is not repainted until one of its controls
        // changes again, so the new paper would not show.
        const PaintSuspension toolbar(RzToolbar1);
        const PaintSuspension body(Splitter);
        m_state.StudentId = Item->text(0);
        // A bad tag must not hide the failed-picture message; both are
        // reported once painting has resumed.
        try {
            // A row losing the selection would have its picture replaced
            // before anyone could look at it: it fetches nothing.
            if (Selected)
                outcome = composeRow();
            fillTurns(Item);
        } catch (...) {
            error = std::current_exception();
        }
    }
    for (const QString& message : marking::ComposeMessages(outcome))
        Messages().showMessage(message);
    if (error)
        std::rethrow_exception(error);
}

marking::ComposeOutcome TFrmViewTech::composeRow() {
    // Every row fetches its own pictures: the page views keep the previous
    // row's, but no slot says so any more.
    for (PageSlot& slot : ReviewPageSlots)
        slot = PageSlot{-1, false};
    marking::ClearView(*ImageEnVect);
    // A picture that fails is composed white and named in the outcome; a cut
    // whose page has no page view is left out.
    const marking::ComposeOutcome outcome = marking::ComposeAnswerImage(
        m_state, ReviewCuts, ReviewPageSlots, PageViews, *ImageEnVect, marking::MissingView::Skip);
    ImageEnVect->viewport()->update();
    return outcome;
}

void TFrmViewTech::fillTurns(QTreeWidgetItem* item) {
    const QList<marking::HistoryEntry> turns = marking::SplitHistory(item->text(3));
    const int n = int(turns.size());
    QStringList numbers;
    numbers.reserve(n);
    for (int i = 1; i <= n; ++i)
        numbers.append(QString::number(i));
    ComboBoxTurn->clear();
    ComboBoxTurn->addItems(numbers);
    ComboBoxTurn->setCurrentIndex(-1);
    ComboBoxTurn->setEnabled(true);

    // A turn that is not three fields shows no marks.
    TurnTags.clear();
    TurnTags.reserve(n);
    for (const marking::HistoryEntry& turn : turns)
        TurnTags.append(turn.valid ? turn.tag : QString());

    if (n > 0) {
        ComboBoxTurn->setCurrentIndex(n - 1);
        ComboBoxTurnClick();
    }
}

void TFrmViewTech::ComboBoxTurnClick() {
    const int i = ComboBoxTurn->currentIndex();
    if (i < 0)
        return;
    if (i < TurnTags.size()) {
        DrawTurnMarks(TurnTags[i]);
    } else {
        ImageEnVect->layer().clear();
        ImageEnVect->layerChanged();
    }
}

void TFrmViewTech::DrawTurnMarks(const QString& Tag) {
    imaging::ImageView* view = ImageEnVect;
    if (view->imageHeight() <= 0)
        return;
    // Painting resumes on every way out, a bad record included, so the marks
    // before it show.
    struct Resume {
        imaging::ImageView* view;
        ~Resume() {
            view->layerChanged();
            view->resumePainting();
        }
    };
    view->suspendPainting();
    const Resume resume{view};
    marking::DrawReviewMarks(view->layer(), Tag);
}
