// The review window's selection chain: subject -> class -> question group,
// the question group's cut parameters and the hidden page views built from
// them. Every request here is silent: a failure ends its step and the list
// being filled keeps its items.

#include "UntViewTeach.h"

#include "GbkText.h"
#include "ImageView.h"
#include "PageViews.h"
#include "PaperComposer.h"
#include "PaperLimits.h"
#include "ViewTeachShared.h"
#include "WaitCursor.h"

#include <QComboBox>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// Replaces a drop-down list's items; none is preselected, so the list waits
// for the user's pick.
void FillList(QComboBox* list, const QStringList& items) {
    list->clear();
    list->addItems(items);
    list->setCurrentIndex(-1);
}

// Field `name` of every record of the reply in the shared XML document.
QStringList RecordFields(const XmlReply& xml, const QString& name) {
    QStringList values;
    const int n = xml.recordCount();
    values.reserve(n);
    for (int i = 0; i < n; ++i)
        values.append(xml.recordField(i, name));
    return values;
}

} // namespace

void TFrmViewTech::FormShow() {
    const WaitCursor waiting;
    RequestAddress address(m_state.ServerUrl, QStringLiteral("QuerySubject"));
    address.add(QStringLiteral("UserId"), m_state.UserId);
    const XmlReply& xml = m_state.xml();
    if (!review::LoadReply(m_state, address) || xml.topLevelCount() < 2)
        return;
    if (xml.recordCount() >= 1)
        FillList(ComboBoxSubject, RecordFields(xml, QStringLiteral("Subject")));
}

void TFrmViewTech::ComboBoxSubjectChange() {
    const WaitCursor waiting;
    RequestAddress address(m_state.ServerUrl, QStringLiteral("QueryClass"));
    address.add(QStringLiteral("SubjectId"), review::ItemId(ComboBoxSubject->currentText()));
    const XmlReply& xml = m_state.xml();
    if (!review::LoadReply(m_state, address) || xml.topLevelCount() < 2)
        return;
    if (xml.recordCount() >= 1)
        FillList(ComboBoxClass, RecordFields(xml, QStringLiteral("Class")));
}

void TFrmViewTech::ComboBoxClassChange() {
    const WaitCursor waiting;
    // The question groups belong to the subject; the class only chooses the
    // students, when a question group is picked next.
    RequestAddress address(m_state.ServerUrl, QStringLiteral("QueryQuestion"));
    address.add(QStringLiteral("SubjectId"), review::ItemId(ComboBoxSubject->currentText()));
    const XmlReply& xml = m_state.xml();
    if (!review::LoadReply(m_state, address))
        return;
    ComboBoxQuestionId->clear();
    ComboBoxTurn->clear();
    ComboBoxTurn->setEnabled(false);
    if (xml.topLevelCount() < 2)
        return;
    const int n = xml.recordCount();
    Questions.resize(n);
    QStringList names;
    for (int i = 0; i < n; ++i) {
        Questions[i].QuestionId = xml.recordField(i, QStringLiteral("QuestionId"));
        Questions[i].QuestionName = xml.recordField(i, QStringLiteral("QuestionName"));
        names.append(Questions[i].QuestionName);
    }
    FillList(ComboBoxQuestionId, names);
}

void TFrmViewTech::ComboBoxQuestionIdChange() {
    const int i = ComboBoxQuestionId->currentIndex();
    if (i < 0 || i >= Questions.size())
        return;
    const WaitCursor waiting;
    m_state.QuestionId = Questions[i].QuestionId;
    // The image addresses take their subject folder from PermissionId.
    m_state.PermissionId = m_state.QuestionId;
    LoadCutParams(m_state.QuestionId);
    BuildPageViews();
    // The row losing the selection composes nothing (ListViewSelectItem).
    ListView->clearSelection();
    TurnTags.clear();
    marking::ClearView(*ImageEnVect);
    LoadStudentList(m_state.QuestionId);
}

void TFrmViewTech::LoadCutParams(const QString& questionId) {
    RequestAddress address(m_state.ServerUrl, QStringLiteral("GetCutParam"));
    address.add(QStringLiteral("Questionid"), questionId);
    const XmlReply& xml = m_state.xml();
    if (!review::LoadReply(m_state, address) || xml.topLevelCount() < 2)
        return;

    const QStringList cut = SplitList(xml.field(QStringLiteral("Cut")), QStringLiteral("(),"));
    const QStringList paper = SplitList(xml.field(QStringLiteral("Paper")), QStringLiteral(","));
    // Counts no exam has are refused before anything is stored, so one reply
    // can never make thousands of regions or page views.
    qint32 pageCount = 0;
    if (cut.size() / 7 > kMaxCutCount || (paper.size() == 8 && ReadInteger(paper[4], &pageCount) &&
                                          !PageCountWithinLimits(pageCount)))
        return;

    // A piece that is not an integer ends the reading there; the regions
    // read before it stay.
    ReviewCuts.resize(cut.size() / 7);
    for (int r = 0; r < ReviewCuts.size(); ++r) {
        CutRegion& region = ReviewCuts[r];
        int* const targets[] = {&region.CutNo, &region.Page, &region.X1,     &region.Y1,
                                &region.X2,    &region.Y2,   &region.ImageNo};
        for (int k = 0; k < 7; ++k) {
            if (!ReadInteger(cut[7 * r + k], targets[k]))
                return;
        }
    }

    // The review's paper layout has eight pieces (the marking parameters'
    // nine less the question id); any other count leaves the fields alone.
    if (paper.size() == 8) {
        m_state.ImageRoot = paper[0];
        if (!ReadInteger(paper[1], &m_state.StudentFolderStart) ||
            !ReadInteger(paper[2], &m_state.StudentFolderLength) ||
            !ReadInteger(paper[3], &m_state.SheetImageCount) ||
            !ReadInteger(paper[4], &m_state.PageCount))
            return;
        m_state.CutMode = paper[6];
    }

    if (!PageCountWithinLimits(m_state.PageCount))
        return;
    ReviewPageSlots.resize(m_state.PageCount + 1);
    for (int i = 1; i <= m_state.PageCount; ++i)
        ReviewPageSlots[i] = PageSlot{0, false};
}

void TFrmViewTech::BuildPageViews() {
    marking::ResizePageViews(*WorkPageControl, PageSheets, PageViews,
                             qBound(0, int(m_state.PageCount), int(kMaxPageCount)));
}
