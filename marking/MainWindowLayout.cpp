// The marking window's controls, top to bottom: the title row, the command
// tool bar, the main view beside the group bar, and the status bar with the
// hidden page work area.

#include "UntMainWindow.h"

#include "HistoryGrid.h"
#include "ImageView.h"
#include "VectorObject.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

// Sky blue of the group bar and the thumbnail (GDI value).
constexpr quint32 kSkyBlue = 0xF0CAA6;

template <class W> W* named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel* statusPane(QWidget* parent, QHBoxLayout* row, const char* name, int width) {
    auto* label = named(new QLabel(parent), name);
    label->setFixedWidth(width);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    row->addWidget(label);
    return label;
}

QLabel* statusIcon(QWidget* parent, QHBoxLayout* row, const QString& glyph) {
    auto* icon = new QLabel(glyph, parent);
    icon->setFixedWidth(16);
    icon->setAlignment(Qt::AlignCenter);
    row->addWidget(icon);
    return icon;
}

} // namespace

void TFrmMainWindow::buildLayout() {
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    buildTitleRow();
    root->addWidget(Panel1);
    buildMarkingToolbar();
    root->addWidget(RzToolbar2);
    buildCentre();
    root->addWidget(ViewImageEnVect->parentWidget(), 1);
    buildStatusBar();
    root->addWidget(RzStatusBar1);
    // The common-score pop-up menu, filled at run time.
    PopupMenu = named(new QMenu(this), "PopupMenu");
}

// 1. Title row: the command tool bar and the product title banner.
void TFrmMainWindow::buildTitleRow() {
    Panel1 = named(new QWidget(this), "Panel1");
    Panel1->setFixedHeight(32);
    auto* top = new QHBoxLayout(Panel1);
    top->setContentsMargins(0, 0, 0, 0);
    RzToolbar1 = named(new QToolBar(Panel1), "RzToolbar1");
    top->addWidget(RzToolbar1, 1);
    LabelTitle = named(new QLabel(QStringLiteral("网上评卷系统"), Panel1), "LabelTitle");
    LabelTitle->setFixedWidth(195);
    LabelTitle->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont titleFont = font();
    titleFont.setBold(true);
    titleFont.setItalic(true);
    titleFont.setPixelSize(16);
    LabelTitle->setFont(titleFont);
    top->addWidget(LabelTitle);
}

// 2. Marking tool bar (its buttons: buildToolbars).
void TFrmMainWindow::buildMarkingToolbar() {
    RzToolbar2 = named(new QToolBar(this), "RzToolbar2");
    RzToolbar2->setFixedHeight(29);
    ComboBoxCallBackNumber = named(new QComboBox(this), "ComboBoxCallBackNumber");
    for (int i = 1; i <= 10; ++i)
        ComboBoxCallBackNumber->addItem(QString::number(i));
    ComboBoxCallBackNumber->setCurrentIndex(0);
    ComboBoxException = named(new QComboBox(this), "ComboBoxException");
    ComboBoxException->addItems({QStringLiteral("无异常"), QStringLiteral("典型考卷"),
                                 QStringLiteral("答错位置"), QStringLiteral("切割问题"),
                                 QStringLiteral("其他情况")});
    ComboBoxException->setCurrentIndex(0);
    ComboBoxText = named(new QComboBox(this), "ComboBoxText");
    ComboBoxText->setEditable(true);
    // Only the comment command adds to the list, so that Comment.TXT learns
    // every comment it holds; Enter in the edit must not add one on its own.
    ComboBoxText->setInsertPolicy(QComboBox::NoInsert);
    ComboBoxText->setMinimumWidth(120);
}

// 3. Centre: the main view beside the group bar.
void TFrmMainWindow::buildCentre() {
    auto* centre = new QWidget(this);
    m_centreLayout = new QHBoxLayout(centre);
    m_centreLayout->setContentsMargins(0, 0, 0, 0);
    m_centreLayout->setSpacing(0);
    ViewImageEnVect = named(new imaging::ImageView(centre), "ViewImageEnVect");
    ViewImageEnVect->viewport()->setCursor(Qt::PointingHandCursor);
    ViewImageEnVect->setBackgroundColor(Qt::white);
    ViewImageEnVect->setFrameShape(QFrame::NoFrame);
    // The window's own key handling scrolls the view; the view must not
    // take the keys as well.
    ViewImageEnVect->setFocusPolicy(Qt::NoFocus);
    m_centreLayout->addWidget(ViewImageEnVect, 1);
    buildGroupBar(centre);
    // At creation the group bar sits on the right.
    m_centreLayout->addWidget(pnlGroupBar);
}

// 4. Group bar: total, history, score edits, thumbnail.
void TFrmMainWindow::buildGroupBar(QWidget* centre) {
    pnlGroupBar = named(new QWidget(centre), "pnlGroupBar");
    pnlGroupBar->setFixedWidth(113);
    pnlGroupBar->setAutoFillBackground(true);
    QPalette barPalette = pnlGroupBar->palette();
    barPalette.setColor(QPalette::Window, imaging::FromGdiColor(kSkyBlue));
    pnlGroupBar->setPalette(barPalette);
    auto* bar = new QVBoxLayout(pnlGroupBar);
    bar->setContentsMargins(0, 0, 0, 0);
    bar->setSpacing(0);

    GroupBox1 = named(new QGroupBox(QStringLiteral(" 本题  总分 "), pnlGroupBar), "GroupBox1");
    GroupBox1->setFixedHeight(70);
    auto* totalBox = new QVBoxLayout(GroupBox1);
    totalBox->setContentsMargins(2, 2, 2, 2);
    ScorePanel = named(new QLabel(QStringLiteral("0.0"), GroupBox1), "ScorePanel");
    ScorePanel->setAlignment(Qt::AlignCenter);
    QFont totalFont = font();
    totalFont.setBold(true);
    totalFont.setItalic(true);
    totalFont.setPixelSize(32);
    ScorePanel->setFont(totalFont);
    ScorePanel->setStyleSheet(QStringLiteral("color: red;"));
    totalBox->addWidget(ScorePanel);
    bar->addWidget(GroupBox1);

    GroupBox2 = named(new QGroupBox(QStringLiteral(" 批阅  历史 "), pnlGroupBar), "GroupBox2");
    auto* histBox = new QVBoxLayout(GroupBox2);
    histBox->setContentsMargins(2, 2, 2, 2);
    StringGridHist = named(new HistoryGrid(GroupBox2), "StringGridHist");
    histBox->addWidget(StringGridHist);
    bar->addWidget(GroupBox2, 1);
    // Takes the history's place while it is hidden, so the total stays at the
    // top and the scoring area and thumbnail at the bottom.
    bar->addStretch(0);

    GroupBoxInputEdits =
        named(new QGroupBox(QStringLiteral(" 键盘打分区 "), pnlGroupBar), "GroupBoxInputEdits");
    GroupBoxInputEdits->setFixedHeight(15);
    bar->addWidget(GroupBoxInputEdits);

    GroupBoxMyImageEnView =
        named(new QGroupBox(QStringLiteral(" 试题缩略图 "), pnlGroupBar), "GroupBoxMyImageEnView");
    GroupBoxMyImageEnView->setFixedHeight(180);
    auto* thumbBox = new QVBoxLayout(GroupBoxMyImageEnView);
    thumbBox->setContentsMargins(2, 2, 2, 2);
    MyImageEnView = named(new imaging::ImageView(GroupBoxMyImageEnView), "MyImageEnView");
    MyImageEnView->setBackgroundColor(imaging::FromGdiColor(kSkyBlue));
    MyImageEnView->setScrollBarsVisible(false);
    MyImageEnView->setFocusPolicy(Qt::NoFocus);
    thumbBox->addWidget(MyImageEnView);
    bar->addWidget(GroupBoxMyImageEnView);
}

// 5. Status bar, with the hidden page work area at its far right.
void TFrmMainWindow::buildStatusBar() {
    RzStatusBar1 = named(new QWidget(this), "RzStatusBar1");
    RzStatusBar1->setFixedHeight(19);
    auto* status = new QHBoxLayout(RzStatusBar1);
    status->setContentsMargins(0, 0, 0, 0);
    status->setSpacing(1);
    LabelTeacher = statusPane(RzStatusBar1, status, "LabelTeacher", 100);
    LabelPermission = statusPane(RzStatusBar1, status, "LabelPermission", 231);
    LabelStatus = statusPane(RzStatusBar1, status, "LabelStatus", 220);
    statusIcon(RzStatusBar1, status, QStringLiteral("╱"));
    LabelLineCount = statusPane(RzStatusBar1, status, "LabelLineCount", 30);
    statusIcon(RzStatusBar1, status, QStringLiteral("□"));
    LabelBoxCount = statusPane(RzStatusBar1, status, "LabelBoxCount", 30);
    statusIcon(RzStatusBar1, status, QStringLiteral("○"));
    LabelEllipseCount = statusPane(RzStatusBar1, status, "LabelEllipseCount", 30);
    status->addStretch(1);
    WorkPageControl = named(new QTabWidget(RzStatusBar1), "WorkPageControl");
    WorkPageControl->setFixedSize(17, 19);
    WorkPageControl->setVisible(false);
    status->addWidget(WorkPageControl);
}

void TFrmMainWindow::dockGroupBar(bool left) {
    const int at = m_centreLayout->indexOf(pnlGroupBar);
    const bool isLeft = at == 0;
    if (isLeft == left)
        return;
    m_centreLayout->removeWidget(pnlGroupBar);
    m_centreLayout->insertWidget(left ? 0 : -1, pnlGroupBar);
}
