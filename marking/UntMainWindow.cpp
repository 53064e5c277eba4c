// The marking window: creation, first show, the page work area, the
// common-score menu, the score edits, the settings command, the window's own
// keys and closing.

#include "UntMainWindow.h"

#include "AccessibleNames.h"
#include "AppError.h"
#include "AppPaths.h"
#include "CommentList.h"
#include "GbkText.h"
#include "HistoryGrid.h"
#include "ImageView.h"
#include "IniFile.h"
#include "MainWindowShared.h"
#include "MarkUndo.h"
#include "Messages.h"
#include "PageViews.h"
#include "ScoreEntry.h"
#include "UntPublic.h"
#include "UntViewPaperConfig.h"
#include "WaitCursor.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

const QString kSection = QStringLiteral("ViewPaper");
const QString kNoPermission = QStringLiteral("000000000");

} // namespace

TFrmMainWindow::TFrmMainWindow(TPublicFuctionObject& state, QWidget* parent)
    : QDialog(parent), m_state(state) {
    setWindowTitle(QStringLiteral("网上评卷客户端"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    QFont f(QStringLiteral("宋体"));
    f.setPixelSize(12);
    setFont(f);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        setGeometry(screen->availableGeometry());

    ShowSettingsDialog = [](TFrmViewPaperConfig& dialog) { dialog.exec(); };

    buildLayout();
    buildCommands();
    buildToolbars();
    buildUndo();
    connectViewHandlers();

    marking::ScoreEntry::Hooks hooks;
    hooks.paperLoaded = [this] { return PaperLoaded; };
    hooks.submit = [this] { Guarded([this] { ActSavePaperExecute(); }); };
    hooks.refreshTotal = [this] { RefreshStatus(); };
    hooks.layerChanged = [this] { ViewImageEnVect->layerChanged(); };
    hooks.historyVisible = [this] { return GroupBox2->isVisibleTo(this); };
    hooks.moveFocus = [this](QWidget* from, int presses, bool backward) {
        moveFocus(from, presses, backward);
    };
    m_scoreEntry =
        new marking::ScoreEntry(ViewImageEnVect->layer(), m_state.SubQuestions, hooks, this);
    connect(StringGridHist, &HistoryGrid::cellChosen, this, [this](int row, int column) {
        bool canSelect = true;
        Guarded([&] { StringGridHistSelectCell(column, row, canSelect); });
    });
    applyTabOrder();
    NameControls(this);

    // Key preview: the window sees every key of its controls before the
    // focused one (MainWindowKeys.cpp).
    qApp->installEventFilter(this);

    Guarded([this] { FormCreate(); });
}

TFrmMainWindow::~TFrmMainWindow() {
    qApp->removeEventFilter(this);
    Guarded([this] { FormDestroy(); });
}

void TFrmMainWindow::FormCreate() {
    // The application's name, not its display name: Qt would append a display
    // name to the caption of every window.
    QCoreApplication::setApplicationName(QStringLiteral("网上评卷系统评卷客户端"));
    PaperLoaded = false;
    ViewImageEnVect->setPickDistance(20);
    m_state.PermissionId = kNoPermission;

    {
        const IniFile ini(ConfigIniPath());
        m_state.PermissionId =
            ini.readString(kSection, QStringLiteral("PermissionId"), kNoPermission);
        m_state.AutoLoadPaper = ini.readBool(kSection, QStringLiteral("AutoLoadPaper"), false);
        m_state.ZoomSetting =
            ini.readString(kSection, QStringLiteral("Vidio"), QStringLiteral("适应大小"));
    }

    ViewImageEnVect->setWheelZooms(false);
    MyImageEnView->setWheelZooms(false);
    ViewImageEnVect->blank();
    MyImageEnView->blank();
    ViewImageEnVect->viewport()->update();
    MyImageEnView->viewport()->update();

    ComboBoxText->addItems(marking::ReadCommentFile(CommentTxtPath()));
}

void TFrmMainWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    Guarded([this] { FormShow(); });
}

void TFrmMainWindow::FormShow() {
    if (!m_state.Validated)
        return;
    LabelTeacher->setText(m_state.UserName);
    const int i = m_state.FindPermission();
    if (i == -1) {
        ActViewPaperConfigExecute();
        return;
    }
    LabelPermission->setText(m_state.Permissions[i].PermissionName);
    {
        const WaitCursor waiting;
        if (!m_state.GetParam(m_state.PermissionId))
            return;
    }
    BuildPageWorkArea();
    const QStringList pieces = SplitList(m_state.Permissions[i].MarkConfig, QStringLiteral("|"));
    if (!pieces.isEmpty())
        BuildScoreMenu(pieces);
    BuildScoreEdits();
}

void TFrmMainWindow::BuildPageWorkArea() {
    marking::ResizePageViews(*WorkPageControl, PageSheets, PageViews, m_state.PageCount);
}

void TFrmMainWindow::BuildScoreMenu(const QStringList& pieces) {
    qDeleteAll(ScoreMenuItems);
    ScoreMenuItems.clear();
    PopupMenu->clear();
    for (const QString& piece : pieces) {
        auto* item = new QAction(piece + QStringLiteral("分"), this);
        // The hint carries the score itself.
        item->setToolTip(piece);
        item->setStatusTip(piece);
        connect(item, &QAction::triggered, this,
                [this, item] { Guarded([&] { MenuItemClick(item); }); });
        PopupMenu->addAction(item);
        ScoreMenuItems.append(item);
    }
}

void TFrmMainWindow::BuildScoreEdits() {
    qDeleteAll(ScoreEdits);
    qDeleteAll(ScoreLabels);
    ScoreEdits.clear();
    ScoreLabels.clear();
    const int n = int(m_state.SubQuestions.size());
    const int boxHeight = 22 * n + 15;
    GroupBoxInputEdits->setFixedHeight(boxHeight);
    const int h = kScoreEditHeight;
    for (int i = 0; i < n; ++i) {
        auto* edit = new QLineEdit(GroupBoxInputEdits);
        edit->setObjectName(QStringLiteral("ScoreEdit%1").arg(i));
        edit->setGeometry(pnlGroupBar->width() - 50, boxHeight - (h + 2) * (n - i) - 2, 40, h);
        QPalette red = edit->palette();
        red.setColor(QPalette::Text, Qt::red);
        edit->setPalette(red);
        edit->show();
        auto* label = new QLabel(m_state.SubQuestions[i].SubQuestionName, GroupBoxInputEdits);
        label->setBuddy(edit);
        label->setObjectName(QStringLiteral("ScoreLabel%1").arg(i));
        label->move(10, boxHeight - (h + 2) * (n - i));
        label->adjustSize();
        label->show();
        ScoreEdits.append(edit);
        ScoreLabels.append(label);
    }
    m_scoreEntry->setEdits(ScoreEdits);
    applyTabOrder();
    NameControls(this);
    // Changes recorded with the old edits cannot be turned back into these.
    forgetMarkChanges();
}

void TFrmMainWindow::ActViewPaperConfigExecute() {
    {
        TFrmViewPaperConfig dialog(m_state, this);
        dialog.ComboBoxNewPermission->setEnabled(ActLoadPaper->isEnabled());
        dialog.CheckBoxPanelLeft->setChecked(m_state.GroupBarLeft);
        ShowSettingsDialog(dialog);
        // Whatever way the dialog was left, it stores its choices.
        if (!dialog.wasClosed())
            dialog.reject();
        m_state.GroupBarLeft = dialog.CheckBoxPanelLeft->isChecked();
    }
    const int i = m_state.FindPermission();
    if (i < 0) {
        ActLoadPaper->setEnabled(false);
        return;
    }
    LabelPermission->setText(m_state.Permissions[i].PermissionName);
    BuildPageWorkArea();
    const QStringList pieces = SplitList(m_state.Permissions[i].MarkConfig, QStringLiteral("|"));
    const PaintSuspension suspended(pnlGroupBar->parentWidget());
    if (!pieces.isEmpty())
        BuildScoreMenu(pieces);
    BuildScoreEdits();
    dockGroupBar(m_state.GroupBarLeft);
}

void TFrmMainWindow::ActSetAllZeroExecute() {
    const marking::MarkState before = captureMarks();
    m_scoreEntry->setAllZero();
    recordMarkChange(before, QStringLiteral("全零"));
}

void TFrmMainWindow::ActSetFullMarkExecute() {
    const marking::MarkState before = captureMarks();
    m_scoreEntry->setFullMark();
    recordMarkChange(before, QStringLiteral("满分"));
}

void TFrmMainWindow::ActExitSystemExecute() {
    close();
}

void TFrmMainWindow::FormDestroy() {
    if (m_destroyed)
        return;
    m_destroyed = true;
    HistRecords.clear();
    bool reset = false;
    {
        const WaitCursor waiting;
        reset = m_state.ResetBufferByUser();
    }
    if (!reset)
        Messages().showMessage(QStringLiteral("清除可以回评的缓冲记录失败!"));
    // The owned windows go before this one (destructors never throw, so
    // freeing one cannot stop the close).
    for (QPointer<QDialog>* owned : {&FrmStaticUser, &FrmChangePassword, &FrmOriPaper}) {
        delete owned->data();
        *owned = nullptr;
    }
    qDeleteAll(ScoreMenuItems);
    ScoreMenuItems.clear();
    qDeleteAll(ScoreEdits);
    ScoreEdits.clear();
    qDeleteAll(ScoreLabels);
    ScoreLabels.clear();
}
