// The review window's controls: the tool bar with the selection lists and
// the zoom buttons along the top; below it the student list (with the hidden
// page work area) beside the review image, a splitter between them.

#include "UntViewTeach.h"

#include "ImageView.h"

#include <QComboBox>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QSplitter>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

template <class W> W* named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// The tool bar's gradient runs from red 228, green 232, blue 241 to sky blue.
const QString kToolbarStyle = QStringLiteral(
    "QToolBar#RzToolbar1 { border: none; border-top: 2px groove #b8bcc8; padding: 0 2px;"
    " spacing: 3px; background: qlineargradient(x1:0, y1:0, x2:0, y2:1,"
    " stop:0 rgb(228, 232, 241), stop:1 rgb(166, 202, 240)); }");

QFrame* groovedSpacer(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setFixedWidth(8);
    return line;
}

// The window's 32 x 32 emblem: a marked sheet.
QIcon Emblem() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(70, 90, 140), 1.5));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(6.5, 3.5, 19, 25));
    p.setPen(QPen(QColor(150, 160, 180), 1));
    for (int y = 9; y <= 21; y += 4)
        p.drawLine(10, y, 22, y);
    p.setPen(QPen(Qt::red, 2.5));
    QPainterPath tick;
    tick.moveTo(11, 18);
    tick.lineTo(15, 23);
    tick.lineTo(25, 10);
    p.setBrush(Qt::NoBrush);
    p.drawPath(tick);
    return QIcon(pixmap);
}

// A magnifier with "+" (enlarge) or "-" (reduce).
QIcon ZoomIcon(bool enlarge) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 60, 110), 1.6));
    p.setBrush(QColor(235, 242, 255));
    p.drawEllipse(QRectF(1.5, 1.5, 9, 9));
    p.setPen(QPen(QColor(40, 60, 110), 2.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10, 10), QPointF(14.5, 14.5));
    p.setPen(QPen(Qt::red, 1.4));
    p.drawLine(QPointF(3.5, 6), QPointF(8.5, 6));
    if (enlarge)
        p.drawLine(QPointF(6, 3.5), QPointF(6, 8.5));
    return QIcon(pixmap);
}

QComboBox* pickList(QToolBar* bar, const QString& caption, QLabel** label, const char* name,
                    int width) {
    *label = new QLabel(caption, bar);
    bar->addWidget(*label);
    auto* list = named(new QComboBox(bar), name);
    // A drop-down list: the user can only pick an item, never type one.
    list->setEditable(false);
    list->setFixedWidth(width);
    (*label)->setBuddy(list);
    bar->addWidget(list);
    return list;
}

QToolButton* zoomButton(QToolBar* bar, const char* name, bool enlarge) {
    auto* button = named(new QToolButton(bar), name);
    button->setIcon(ZoomIcon(enlarge));
    button->setToolTip(enlarge ? QStringLiteral("放大") : QStringLiteral("缩小"));
    button->setAutoRaise(true);
    bar->addWidget(button);
    return button;
}

} // namespace

void TFrmViewTech::buildLayout() {
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);

    RzToolbar1 = named(new QToolBar(this), "RzToolbar1");
    RzToolbar1->setFixedHeight(29);
    RzToolbar1->setMovable(false);
    RzToolbar1->setFloatable(false);
    RzToolbar1->setIconSize(QSize(16, 16));
    RzToolbar1->setStyleSheet(kToolbarStyle);

    RzToolButton4 = named(new QToolButton(RzToolbar1), "RzToolButton4");
    RzToolButton4->setIcon(Emblem());
    RzToolButton4->setIconSize(QSize(24, 24));
    RzToolButton4->setAutoRaise(true);
    RzToolButton4->setFocusPolicy(Qt::NoFocus);
    RzToolbar1->addWidget(RzToolButton4);
    RzToolButton20 = named(new QToolButton(RzToolbar1), "RzToolButton20");
    RzToolButton20->setText(QStringLiteral("退出"));
    RzToolButton20->setAutoRaise(true);
    RzToolbar1->addWidget(RzToolButton20);
    RzToolbar1->addWidget(groovedSpacer(RzToolbar1));

    ComboBoxSubject =
        pickList(RzToolbar1, QStringLiteral("科目:"), &LabelSubject, "ComboBoxSubject", 109);
    ComboBoxClass =
        pickList(RzToolbar1, QStringLiteral("班级:"), &LabelClass, "ComboBoxClass", 108);
    ComboBoxQuestionId =
        pickList(RzToolbar1, QStringLiteral("题组:"), &LabelQuestionId, "ComboBoxQuestionId", 138);
    ComboBoxTurn = pickList(RzToolbar1, QStringLiteral("轮次"), &LabelTurn, "ComboBoxTurn", 72);
    RzToolbar1->addWidget(groovedSpacer(RzToolbar1));

    RzToolButton1 = zoomButton(RzToolbar1, "RzToolButton1", true);
    RzToolButton2 = zoomButton(RzToolbar1, "RzToolButton2", false);
    RzToolButton3 = zoomButton(RzToolbar1, "RzToolButton3", false);
    root->addWidget(RzToolbar1);

    Splitter = named(new QSplitter(Qt::Horizontal, this), "Splitter");
    Splitter->setChildrenCollapsible(false);
    Splitter->setHandleWidth(3);

    Panel1 = named(new QWidget(Splitter), "Panel1");
    Panel1->setAutoFillBackground(true);
    QPalette white = Panel1->palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::Base, Qt::white);
    Panel1->setPalette(white);
    auto* panel = new QVBoxLayout(Panel1);
    panel->setContentsMargins(0, 0, 0, 0);
    panel->setSpacing(0);

    ListView = named(new QTreeWidget(Panel1), "ListView");
    ListView->setColumnCount(4);
    ListView->setHeaderLabels(
        {QString(), QStringLiteral("姓名"), QStringLiteral("分数"), QStringLiteral("标记")});
    ListView->setHeaderHidden(true);
    ListView->setRootIsDecorated(false);
    ListView->setItemsExpandable(false);
    ListView->setSortingEnabled(false);
    ListView->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView->setAllColumnsShowFocus(true);
    ListView->setUniformRowHeights(true);
    ListView->setFrameShape(QFrame::NoFrame);
    ListView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ListView->setPalette(white);
    // Column 1 holds the id in a 1-pixel column; name and mark share the
    // list's width; the turn information is kept in a hidden column.
    QHeaderView* header = ListView->header();
    header->setMinimumSectionSize(0);
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Fixed);
    header->resizeSection(0, 1);
    header->setSectionResizeMode(1, QHeaderView::Stretch);
    header->setSectionResizeMode(2, QHeaderView::Stretch);
    ListView->setColumnHidden(3, true);
    panel->addWidget(ListView, 1);

    WorkPageControl = named(new QTabWidget(Panel1), "WorkPageControl");
    WorkPageControl->setFixedHeight(2);
    WorkPageControl->setEnabled(false);
    WorkPageControl->setVisible(false);
    panel->addWidget(WorkPageControl);

    ImageEnVect = named(new imaging::ImageView(Splitter), "ImageEnVect");
    ImageEnVect->setBackgroundColor(Qt::white);
    ImageEnVect->viewport()->setCursor(Qt::PointingHandCursor);
    ImageEnVect->setFrameShape(QFrame::NoFrame);

    Splitter->addWidget(Panel1);
    Splitter->addWidget(ImageEnVect);
    Splitter->setStretchFactor(0, 0);
    Splitter->setStretchFactor(1, 1);
    Splitter->setSizes({105, qMax(1, width() - 105)});
    root->addWidget(Splitter, 1);
}
