// The review window: creation, the connection of its handlers, first show,
// the zoom buttons and closing.

#include "UntViewTeach.h"
#include "AccessibleNames.h"

#include "AppError.h"
#include "ImageView.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QScreen>
#include <QToolButton>
#include <QTreeWidget>

#include <set>

TFrmViewTech::TFrmViewTech(TPublicFuctionObject& state, QWidget* parent)
    : QDialog(parent), m_state(state) {
    setWindowTitle(QStringLiteral("网上点评客户端"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    QFont f(QStringLiteral("宋体"));
    f.setPointSize(9);
    setFont(f);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        setGeometry(screen->availableGeometry());
    buildLayout();
    connectHandlers();
    NameControls(this);
}

TFrmViewTech::~TFrmViewTech() = default;

void TFrmViewTech::connectHandlers() {
    connect(RzToolButton20, &QToolButton::clicked, this,
            [this] { Guarded([this] { RzToolButton20Click(); }); });
    connect(RzToolButton1, &QToolButton::clicked, this,
            [this] { Guarded([this] { RzToolButton1Click(); }); });
    connect(RzToolButton2, &QToolButton::clicked, this,
            [this] { Guarded([this] { RzToolButton2Click(); }); });
    connect(RzToolButton3, &QToolButton::clicked, this,
            [this] { Guarded([this] { RzToolButton3Click(); }); });
    // A pick of the user, the same item again included; filling a list in
    // code picks nothing.
    connect(ComboBoxSubject, &QComboBox::activated, this,
            [this] { Guarded([this] { ComboBoxSubjectChange(); }); });
    connect(ComboBoxClass, &QComboBox::activated, this,
            [this] { Guarded([this] { ComboBoxClassChange(); }); });
    connect(ComboBoxQuestionId, &QComboBox::activated, this,
            [this] { Guarded([this] { ComboBoxQuestionIdChange(); }); });
    connect(ComboBoxTurn, &QComboBox::activated, this,
            [this] { Guarded([this] { ComboBoxTurnClick(); }); });

    // The handler runs once per row whose selection changed. When another
    // row becomes selected in the same change, everything the row losing
    // the selection would set is set again by the new row, so only the new
    // row runs; a selection cleared alone runs for the row that lost it.
    connect(ListView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected, const QItemSelection& deselected) {
                const auto rows = [](const QItemSelection& selection) {
                    std::set<int> found;
                    for (const QModelIndex& index : selection.indexes())
                        found.insert(index.row());
                    return found;
                };
                const std::set<int> gained = rows(selected);
                const bool selecting = !gained.empty();
                for (int row : selecting ? gained : rows(deselected)) {
                    QTreeWidgetItem* item = ListView->topLevelItem(row);
                    Guarded([&] { ListViewSelectItem(item, selecting); });
                }
            });
}

void TFrmViewTech::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    Guarded([this] { FormShow(); });
}

void TFrmViewTech::closeEvent(QCloseEvent* event) {
    bool canClose = true;
    Guarded([&] { FormCloseQuery(canClose); });
    if (!canClose) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TFrmViewTech::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFrmViewTech::FormCloseQuery(bool& CanClose) {
    // The row losing the selection fetches nothing on the way out.
    ListView->clearSelection();
    CanClose = true;
}

void TFrmViewTech::RzToolButton20Click() {
    close();
}

// The marks are image-pixel objects, so they scale with the picture.
void TFrmViewTech::RzToolButton1Click() {
    ImageEnVect->setZoom(ImageEnVect->zoom() * 1.1);
}

void TFrmViewTech::RzToolButton2Click() {
    ImageEnVect->setZoom(ImageEnVect->zoom() * 0.9);
}

void TFrmViewTech::RzToolButton3Click() {
    ImageEnVect->setZoom(ImageEnVect->zoom() * 0.9);
}
