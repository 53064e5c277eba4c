#pragma once
// The review window: a teacher picks subject, class and question group,
// then browses the class's marked papers with the marks of each marking turn
// redrawn over the composed answer images. Nothing is sent back.
//
// Files: ViewTeachLayout.cpp builds the controls; ViewTeachChain.cpp the
// selection chain subject -> class -> question group with its requests, the
// cut parameters and the hidden page views; ViewTeachPaper.cpp the student
// list, the composed paper, the turn selector and the redrawn marks;
// UntViewTeach.cpp creation, first show, zoom and closing. Controls and the
// private review state are public members named as the window names them,
// so the handler files and the tests can reach them.

#include "UntPublic.h"

#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>

class QComboBox;
class QLabel;
class QSplitter;
class QTabWidget;
class QToolBar;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

namespace imaging {
class ImageView;
}
namespace marking {
struct ComposeOutcome;
}

// One question group of the chosen subject.
struct T_MyQuestionRecord {
    QString QuestionId;   // sent to the server
    QString QuestionName; // shown in ComboBoxQuestionId
};

class TFrmViewTech : public QDialog {
    Q_OBJECT
public:
    explicit TFrmViewTech(TPublicFuctionObject& state, QWidget* parent = nullptr);
    ~TFrmViewTech() override;

    TPublicFuctionObject& state() const { return m_state; }

    // --- Controls ---------------------------------------------------------
    QToolBar* RzToolbar1 = nullptr;
    QToolButton* RzToolButton4 = nullptr;
    QToolButton* RzToolButton20 = nullptr;
    QLabel* LabelSubject = nullptr;
    QComboBox* ComboBoxSubject = nullptr;
    QLabel* LabelClass = nullptr;
    QComboBox* ComboBoxClass = nullptr;
    QLabel* LabelQuestionId = nullptr;
    QComboBox* ComboBoxQuestionId = nullptr;
    QLabel* LabelTurn = nullptr;
    QComboBox* ComboBoxTurn = nullptr;
    QToolButton* RzToolButton1 = nullptr;
    QToolButton* RzToolButton2 = nullptr;
    QToolButton* RzToolButton3 = nullptr;
    QSplitter* Splitter = nullptr;
    QWidget* Panel1 = nullptr;
    QTreeWidget* ListView = nullptr;
    QTabWidget* WorkPageControl = nullptr;
    imaging::ImageView* ImageEnVect = nullptr;

    // --- Private review state, in declaration order -----------------------
    QList<PageSlot> ReviewPageSlots;      // PageCount + 1 slots, one per page view plus one
    QList<CutRegion> ReviewCuts;          // the chosen question group's regions
    QList<T_MyQuestionRecord> Questions;  // index-aligned with ComboBoxQuestionId
    QList<imaging::ImageView*> PageViews; // view i is the child of PageSheets[i]
    QList<QWidget*> PageSheets;           // hidden tab pages of WorkPageControl
    QStringList TurnTags;                 // the tag of each turn of the row shown

    // --- Handlers ---------------------------------------------------------
    // Opening: the subject list.
    void FormShow();
    // The user picked an item of the respective list.
    void ComboBoxSubjectChange();
    void ComboBoxClassChange();
    void ComboBoxQuestionIdChange();
    // GetCutParam for a question group: the cuts, the paper layout and the
    // slot table. Silent on every failure.
    void LoadCutParams(const QString& questionId);
    // As many hidden page views as PageCount says.
    void BuildPageViews();
    // QueryStQuestion: the class's students for a question group.
    void LoadStudentList(const QString& questionId);
    // The row whose selection state changed. Only a row that ends selected
    // fetches and composes its paper; a row losing the selection refreshes
    // the turn selector alone (see ViewTeachPaper.cpp).
    void ListViewSelectItem(QTreeWidgetItem* Item, bool Selected);
    // The user picked a turn; also run for the row just shown.
    void ComboBoxTurnClick();
    // Replaces the review image's marks by those of one tag (only while it
    // has a picture). A bad record raises EAppError after painting resumes;
    // the marks before it stay.
    void DrawTurnMarks(const QString& Tag);
    // Zoom x 1.1, x 0.9, x 0.9.
    void RzToolButton1Click();
    void RzToolButton2Click();
    void RzToolButton3Click();
    // "退出".
    void RzToolButton20Click();
    // Clears the student list's selection; closing is never refused.
    void FormCloseQuery(bool& CanClose);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Escape would hide the dialog without the close query: it does nothing.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildLayout();
    void connectHandlers();
    // The parts of ListViewSelectItem: composing the paper of StudentId, and
    // the turn selector with the marks of the row's last turn.
    marking::ComposeOutcome composeRow();
    void fillTurns(QTreeWidgetItem* item);

    TPublicFuctionObject& m_state;
    bool m_shown = false;
};
