#include "ScoreEntry.h"

#include "AppError.h"
#include "GbkText.h"
#include "Messages.h"

#include <QRegularExpression>
#include <QRegularExpressionValidator>

namespace marking {

namespace {

const QString kConfirmSubmit = QStringLiteral("你确认提交你所提交的成绩吗??");
const QString kRangeHead = QStringLiteral("输入的分数不在指定");
const QString kRangeMiddle = QStringLiteral("到");
const QString kRangeTail = QStringLiteral("得分区间内,请重新输入!!");

bool IsAllowedScoreCharacter(QChar c) {
    return c == u'.' || (c >= u'0' && c <= u'9');
}

} // namespace

ScoreEntry::ScoreEntry(imaging::VectorLayer& layer, const QList<TSubQuestion>& subQuestions,
                       Hooks hooks, QObject* parent)
    : QObject(parent), m_layer(layer), m_subQuestions(subQuestions), m_hooks(std::move(hooks)) {}

void ScoreEntry::setEdits(const QList<QLineEdit*>& edits) {
    m_edits.clear();
    static const QRegularExpression kScoreText(QStringLiteral("[0-9.]*"));
    for (QLineEdit* e : edits) {
        m_edits.append(e);
        if (!e)
            continue;
        if (!e->validator())
            e->setValidator(new QRegularExpressionValidator(kScoreText, e));
    }
}

QLineEdit* ScoreEntry::edit(int index) const {
    return index >= 0 && index < m_edits.size() ? m_edits[index].data() : nullptr;
}

int ScoreEntry::indexOf(const QObject* edit) const {
    if (!edit)
        return -1;
    for (int i = 0; i < m_edits.size(); ++i) {
        if (m_edits[i] == edit)
            return i;
    }
    return -1;
}

bool ScoreEntry::paperLoaded() const {
    return m_hooks.paperLoaded && m_hooks.paperLoaded();
}

bool ScoreEntry::MyEditKeyPress(int, const QKeyEvent* event) const {
    const bool loaded = paperLoaded();
    if (event->key() == Qt::Key_Backspace)
        return !loaded;
    // Pasting types characters too; the edit's validator keeps a paste to
    // digits and ".", and without a paper nothing may be typed at all.
    if (event->matches(QKeySequence::Paste))
        return !loaded;
    const QString text = event->text();
    if (text.isEmpty() || text.at(0) < u' ' || text.at(0) == QChar(0x7F))
        return false; // not a typed character: arrows, Delete, Enter, Tab...
    if (!loaded)
        return true;
    for (QChar c : text) {
        if (!IsAllowedScoreCharacter(c))
            return true;
    }
    return false;
}

bool ScoreEntry::MyEditKeyDown(int index, const QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Down:
        return enterOrDown(index);
    case Qt::Key_Up:
        return up(index);
    default:
        return false;
    }
}

bool ScoreEntry::enterOrDown(int index) {
    QLineEdit* e = edit(index);
    if (!e)
        return false;
    const QString text = e->text();
    if (text.isEmpty())
        return false;
    const double value = NumberOrRaise(text);
    if (index >= m_subQuestions.size())
        return false;
    const TSubQuestion& q = m_subQuestions[index];
    if (value >= q.LowestMark && value <= q.HighestMark) {
        if (index < m_edits.size() - 1) {
            moveFocus(e, 1, false);
            return true;
        }
        if (!Messages().askOkCancel(kConfirmSubmit))
            return false;
        if (m_hooks.submit)
            m_hooks.submit();
        moveFocus(e, 4, false);
        return true;
    }
    Messages().showMessage(kRangeHead + FormatNumber(q.LowestMark) + kRangeMiddle +
                           FormatNumber(q.HighestMark) + kRangeTail);
    e->selectAll();
    return false;
}

bool ScoreEntry::up(int index) {
    QLineEdit* e = edit(index);
    if (!e)
        return false;
    if (index >= 1) {
        moveFocus(e, 1, true);
        return true;
    }
    const bool history = m_hooks.historyVisible && m_hooks.historyVisible();
    moveFocus(e, history ? 5 : 4, true);
    return true;
}

void ScoreEntry::moveFocus(QWidget* from, int presses, bool backward) {
    if (m_hooks.moveFocus)
        m_hooks.moveFocus(from, presses, backward);
}

void ScoreEntry::MyEditKeyUp(int index) {
    QLineEdit* e = edit(index);
    if (!e || index >= m_subQuestions.size())
        return;
    const TSubQuestion& q = m_subQuestions[index];
    const imaging::ObjectHandle h = FindScoreText(m_layer, q.PosX, q.PosY);
    if (h == imaging::kNoObject)
        return;
    imaging::VectorObject* o = m_layer.object(h);
    const QString text = e->text();
    if (!text.isEmpty()) {
        o->text = text;
        o->width = ScoreTextWidth(text, o->fontHeight);
    } else {
        o->text = QStringLiteral("?");
    }
    if (m_hooks.layerChanged)
        m_hooks.layerChanged();
    refreshTotal();
}

void ScoreEntry::setAllZero() {
    if (!paperLoaded())
        return;
    const QString zero = QStringLiteral("0");
    for (const QPointer<QLineEdit>& e : std::as_const(m_edits)) {
        if (e)
            e->setText(zero);
    }
    SetAllScoresZero(m_layer, m_subQuestions);
    if (m_hooks.layerChanged)
        m_hooks.layerChanged();
    refreshTotal();
}

void ScoreEntry::setFullMark() {
    if (!paperLoaded())
        return;
    for (const QPointer<QLineEdit>& e : std::as_const(m_edits)) {
        if (e)
            e->setText(QStringLiteral("0"));
    }
    const QStringList full = SetAllScoresFull(m_layer, m_subQuestions);
    for (int i = 0; i < full.size(); ++i) {
        if (QLineEdit* e = edit(i))
            e->setText(full[i]);
    }
    if (m_hooks.layerChanged)
        m_hooks.layerChanged();
    refreshTotal();
}

void ScoreEntry::refreshTotal() {
    if (m_hooks.refreshTotal)
        m_hooks.refreshTotal();
}

} // namespace marking
