// The review window's selection chain against a scripted loopback server:
// the requests byte for byte, the ids sent, the lists after each kind of
// failure, the cut parameters and the hidden page views.
#include "ReviewWindowFixture.h"

#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QSplitter>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>

namespace {

// A request target with its percent-encoding undone, as GBK bytes.
QByteArray Decoded(const QByteArray& target) {
    return QByteArray::fromPercentEncoding(target);
}

QByteArray Gbk(const QString& text) {
    return gbk::encode(text);
}

QStringList Items(const QComboBox* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->itemText(i);
    return items;
}

bool SameCut(const CutRegion& a, const CutRegion& b) {
    return a.CutNo == b.CutNo && a.Page == b.Page && a.X1 == b.X1 && a.Y1 == b.Y1 && a.X2 == b.X2 &&
           a.Y2 == b.Y2 && a.ImageNo == b.ImageNo;
}

} // namespace

using ReviewChain = ReviewWindowTest;

TEST_F(ReviewChain, WholeChainSendsItsRequestsByteForByte) {
    serveSubjects({QStringLiteral("01:语文"), QStringLiteral("02:数学")});
    serveClasses({QStringLiteral("01:一班"), QStringLiteral("02:二班")});
    serveQuestions({{QStringLiteral("0201"), QStringLiteral("计算题")},
                    {QStringLiteral("02 2"), QStringLiteral("解答题")}});
    serveCutParam(QString(), PaperOf(QStringLiteral("自动"), 1));
    serveStudents({{QStringLiteral("260201"), QStringLiteral("王一"), QStringLiteral("7"), {}}});
    state.UserId = QStringLiteral("张 r01");
    window = std::make_unique<TFrmViewTech>(state);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    // Each list waits for the user: nothing is preselected.
    EXPECT_EQ(Items(window->ComboBoxSubject),
              (QStringList{QStringLiteral("01:语文"), QStringLiteral("02:数学")}));
    EXPECT_EQ(window->ComboBoxSubject->currentIndex(), -1);
    EXPECT_EQ(window->ComboBoxClass->count(), 0);

    pick(window->ComboBoxSubject, 1);
    EXPECT_EQ(window->ComboBoxClass->currentIndex(), -1);
    pick(window->ComboBoxClass, 1);
    EXPECT_EQ(Items(window->ComboBoxQuestionId),
              (QStringList{QStringLiteral("计算题"), QStringLiteral("解答题")}));
    EXPECT_EQ(window->ComboBoxQuestionId->currentIndex(), -1);
    pick(window->ComboBoxQuestionId, 1);
    // Re-picking an item repeats its step.
    pick(window->ComboBoxSubject, 1);

    const QList<QByteArray> targets = server.requests();
    const QList<QByteArray> expected = {
        Gbk(QStringLiteral("/QuerySubject?UserId=张 r01")),
        "/QueryClass?SubjectId=02",
        "/QueryQuestion?SubjectId=02",
        "/GetCutParam?Questionid=02 2",
        "/QueryStQuestion?Questionid=02 2&ClassId=02",
        "/QueryClass?SubjectId=02",
    };
    ASSERT_EQ(targets.size(), expected.size());
    for (int i = 0; i < targets.size(); ++i) {
        EXPECT_EQ(Decoded(targets[i]), expected[i]) << i;
        // A space travels as "%20", never as itself.
        EXPECT_FALSE(targets[i].contains(' ')) << targets[i].constData();
    }
    EXPECT_TRUE(targets[0].startsWith("/QuerySubject?UserId=%D5%C5%20r01"))
        << targets[0].constData();
    EXPECT_TRUE(targets[3].endsWith("Questionid=02%202")) << targets[3].constData();
    EXPECT_EQ(state.QuestionId, QStringLiteral("02 2"));
    EXPECT_EQ(state.PermissionId, QStringLiteral("02 2"));
    EXPECT_EQ(window->ListView->topLevelItemCount(), 1);
    EXPECT_TRUE(messages.shown.isEmpty());
}

struct IdCase {
    const char* name;
    QString item;
    QString id;
};

void PrintTo(const IdCase& c, std::ostream* os) {
    *os << c.name;
}

class ReviewItemId : public ReviewWindowTest, public ::testing::WithParamInterface<IdCase> {};

// The id of a subject or class item is the text before its first ":".
TEST_P(ReviewItemId, IsSentForBothSubjectAndClass) {
    const IdCase& c = GetParam();
    serveSubjects({c.item});
    serveClasses({c.item});
    serveQuestions({{QStringLiteral("0101"), QStringLiteral("基础知识")}});
    serveCutParam(QString(), PaperOf(QStringLiteral("自动"), 1));
    serveStudents({});
    openWindow();
    chooseQuestionGroup();

    const QList<QByteArray> classes = server.requestsFor(QStringLiteral("QueryClass"));
    const QList<QByteArray> questions = server.requestsFor(QStringLiteral("QueryQuestion"));
    const QList<QByteArray> students = server.requestsFor(QStringLiteral("QueryStQuestion"));
    ASSERT_EQ(classes.size(), 1);
    ASSERT_EQ(questions.size(), 1);
    ASSERT_EQ(students.size(), 1);
    EXPECT_EQ(Decoded(classes[0]), Gbk(QStringLiteral("/QueryClass?SubjectId=") + c.id));
    EXPECT_EQ(Decoded(questions[0]), Gbk(QStringLiteral("/QueryQuestion?SubjectId=") + c.id));
    EXPECT_EQ(Decoded(students[0]),
              Gbk(QStringLiteral("/QueryStQuestion?Questionid=0101&ClassId=") + c.id));
    bool found = false;
    EXPECT_EQ(QueryValue(students[0], "ClassId", &found), c.id);
    EXPECT_TRUE(found);
    // The lists show the items exactly as sent.
    EXPECT_EQ(window->ComboBoxSubject->itemText(0), c.item);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReviewItemId,
    ::testing::Values(
        IdCase{"TwoDigits", QStringLiteral("01:语文"), QStringLiteral("01")},
        IdCase{"NoColonGivesEmptyId", QStringLiteral("语文"), QString()},
        IdCase{"TwoColonsTakeTheFirst", QStringLiteral("01:语:文"), QStringLiteral("01")},
        IdCase{"SpaceInTheId", QStringLiteral("0 1:语文"), QStringLiteral("0 1")},
        IdCase{"LeadingColon", QStringLiteral(":语文"), QString()},
        IdCase{"ChineseId", QStringLiteral("语文:一"), QStringLiteral("语文")},
        IdCase{"QueryCharacters", QStringLiteral("a&b=c:x"), QStringLiteral("a&b=c")}),
    [](const ::testing::TestParamInfo<IdCase>& info) { return std::string(info.param.name); });

// --- Failures -----------------------------------------------------------

struct FailureKind {
    const char* name;
    int status = 200;
    QByteArray body;
    bool drop = false;
    bool loads = false;   // the body is well-formed XML
    bool hasRoot = false; // and has a declaration before its root
};

void PrintTo(const FailureKind& c, std::ostream* os) {
    *os << c.name;
}

class ReviewFailure : public ReviewWindowTest, public ::testing::WithParamInterface<FailureKind> {
protected:
    void fail(const QString& command) {
        const FailureKind& k = GetParam();
        server.setDropConnection(command, k.drop);
        server.setReply(command, k.body, k.status);
    }
};

// Every request of the chain is silent; what each list keeps after each kind
// of failure.
TEST_P(ReviewFailure, ListsKeepWhatTheyHeldAndNothingIsShown) {
    const FailureKind& k = GetParam();
    const QString row1Turns = QStringLiteral("1$7$0;10;10;7!|2$8$0;10;10;8!");
    openAt(QStringLiteral("1,1,0,0,40,30,0"), QStringLiteral("自动"), 1,
           {{QStringLiteral("260201"), QStringLiteral("王一"), QStringLiteral("8"), row1Turns},
            {QStringLiteral("260202"), QStringLiteral("王二"), QStringLiteral("6"), {}}});
    servePicture(FileOf(QStringLiteral("260201"), 1), MarkedPicture(60, 60, 1));
    clickRow(0);
    ASSERT_EQ(turnItems(), (QStringList{QStringLiteral("1"), QStringLiteral("2")}));
    const QStringList subjects = Items(window->ComboBoxSubject);
    const QStringList classes = Items(window->ComboBoxClass);

    // A class list fails to reload.
    fail(QStringLiteral("QueryClass"));
    pick(window->ComboBoxSubject, 0);
    EXPECT_EQ(Items(window->ComboBoxClass), classes);

    // The cut parameters fail: the regions stay (a readable reply without a
    // Cut has none) and the question choice still loads the student list.
    const QList<CutRegion> cutsBefore = window->ReviewCuts;
    fail(QStringLiteral("GetCutParam"));
    server.clearRequests();
    pick(window->ComboBoxQuestionId, 0);
    if (k.hasRoot) {
        EXPECT_TRUE(window->ReviewCuts.isEmpty());
    } else {
        ASSERT_EQ(window->ReviewCuts.size(), cutsBefore.size());
        EXPECT_TRUE(SameCut(window->ReviewCuts[0], cutsBefore[0]));
    }
    EXPECT_EQ(server.requestsFor(QStringLiteral("QueryStQuestion")).size(), 1);

    // The student list fails to reload: it keeps its rows, unless the reply
    // was a readable list of no students.
    fail(QStringLiteral("QueryStQuestion"));
    pick(window->ComboBoxQuestionId, 0);
    EXPECT_EQ(window->ListView->topLevelItemCount(), k.hasRoot ? 0 : 2);
    EXPECT_EQ(window->ListView->selectedItems().size(), 0);

    // The question list: a reply that loads clears it and the turn list.
    fail(QStringLiteral("QueryQuestion"));
    pick(window->ComboBoxClass, 0);
    EXPECT_EQ(Items(window->ComboBoxQuestionId).size(), k.loads ? 0 : 1);
    EXPECT_EQ(turnItems().size(), k.loads ? 0 : 2);
    EXPECT_EQ(window->ComboBoxTurn->isEnabled(), !k.loads);

    EXPECT_EQ(Items(window->ComboBoxSubject), subjects);
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join('\n').toStdString();
}

TEST_P(ReviewFailure, SubjectListStaysEmptyWhenTheFirstRequestFails) {
    fail(QStringLiteral("QuerySubject"));
    openWindow();
    EXPECT_EQ(window->ComboBoxSubject->count(), 0);
    EXPECT_EQ(server.requestsFor(QStringLiteral("QuerySubject")).size(), 1);
    EXPECT_TRUE(messages.shown.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ReviewFailure,
    ::testing::Values(
        FailureKind{"ErrorStatus", 500, "<?xml version=\"1.0\"?><Root/>"},
        FailureKind{"DroppedConnection", 200, "", true}, FailureKind{"EmptyBody", 200, ""},
        FailureKind{"BlankBody", 200, " \r\n\t "},
        FailureKind{"MalformedXml", 200, "<?xml version=\"1.0\"?><Root><R><Class>x</R>"},
        // Loads, but the root is the only top-level node.
        FailureKind{"NoDeclaration", 200, "<Root><R><Class>03:三班</Class></R></Root>", false,
                    true},
        FailureKind{"NoRecords", 200, "<?xml version=\"1.0\" encoding=\"GBK\"?><Root/>", false,
                    true, true}),
    [](const ::testing::TestParamInfo<FailureKind>& info) { return std::string(info.param.name); });

// --- Cut parameters -------------------------------------------------------

struct CutParamCase {
    const char* name;
    QString cut;
    QString paper;
    QList<CutRegion> cuts; // ReviewCuts afterwards
    bool paperStored;      // ImageRoot, the counts and CutMode taken
    int slotCount;         // size of ReviewPageSlots afterwards
};

void PrintTo(const CutParamCase& c, std::ostream* os) {
    *os << c.name;
}

class ReviewCutParam : public ReviewWindowTest,
                       public ::testing::WithParamInterface<CutParamCase> {};

const QList<CutRegion> kOldCuts = {{9, 9, 9, 9, 9, 9, 9}};
const QList<CutRegion> kTwoCuts = {{1, 1, 0, 0, 10, 10, 21}, {2, 2, 0, 10, 10, 20, 22}};

// `count` pieces of "1".
QString Ones(int count) {
    return QStringList(count, QStringLiteral("1")).join(QLatin1Char(','));
}

TEST_P(ReviewCutParam, StoresWhatTheReplyHoldsWithinBounds) {
    const CutParamCase& c = GetParam();
    state.ImageRoot = QStringLiteral("old");
    state.StudentFolderStart = 7;
    state.StudentFolderLength = 7;
    state.SheetImageCount = 7;
    state.PageCount = 3;
    state.CutMode = QStringLiteral("旧");
    serveSubjects({QStringLiteral("01:语文")});
    serveClasses({QStringLiteral("01:一班")});
    serveQuestions({{QStringLiteral("0101"), QStringLiteral("基础知识")}});
    serveCutParam(c.cut, c.paper);
    serveStudents({});
    openWindow();
    window->ReviewCuts = kOldCuts;
    chooseQuestionGroup();

    ASSERT_EQ(window->ReviewCuts.size(), c.cuts.size());
    for (int i = 0; i < c.cuts.size(); ++i)
        EXPECT_TRUE(SameCut(window->ReviewCuts[i], c.cuts[i])) << i;
    if (c.paperStored) {
        EXPECT_EQ(state.ImageRoot, QStringLiteral("D:\\img"));
        EXPECT_EQ(state.StudentFolderStart, 3);
        EXPECT_EQ(state.StudentFolderLength, 2);
        EXPECT_EQ(state.SheetImageCount, 4);
        EXPECT_EQ(state.CutMode, QStringLiteral("定制"));
    } else {
        EXPECT_EQ(state.ImageRoot, QStringLiteral("old"));
        EXPECT_EQ(state.CutMode, QStringLiteral("旧"));
        EXPECT_EQ(state.SheetImageCount, 7);
    }
    ASSERT_EQ(window->ReviewPageSlots.size(), c.slotCount);
    for (int i = 1; i < c.slotCount; ++i) {
        EXPECT_EQ(window->ReviewPageSlots[i].PageNumber, 0) << i;
        EXPECT_FALSE(window->ReviewPageSlots[i].Loaded) << i;
    }
    // The page views follow PageCount whatever happened.
    EXPECT_EQ(window->PageViews.size(), qMax(0, int(state.PageCount)));
    EXPECT_EQ(server.requestsFor(QStringLiteral("QueryStQuestion")).size(), 1);
    EXPECT_TRUE(messages.shown.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReviewCutParam,
    ::testing::Values(
        CutParamCase{"FifteenIntegersGiveTwoRegions",
                     QStringLiteral("1,1,0,0,10,10,21,2,2,0,10,10,20,22,99"),
                     QStringLiteral("D:\\img,3,2,4,2,0101,定制,是"), kTwoCuts, true, 3},
        CutParamCase{"RegionsInParentheses",
                     QStringLiteral("(1,1,0,0,10,10,21)(2,2,0,10,10,20,22)"),
                     QStringLiteral("D:\\img,3,2,4,2,0101,定制,是"), kTwoCuts, true, 3},
        CutParamCase{
            "NoCut", QString(), QStringLiteral("D:\\img,3,2,4,0,0101,定制,是"), {}, true, 1},
        // A bad piece part-way: the regions are resized and read up to it;
        // the paper layout is not reached.
        CutParamCase{"NonIntegerPiece",
                     QStringLiteral("1,1,0,0,10,10,21,2,x,0,10,10,20,22"),
                     QStringLiteral("D:\\img,3,2,4,2,0101,定制,是"),
                     {{1, 1, 0, 0, 10, 10, 21}, {2, 0, 0, 0, 0, 0, 0}},
                     false,
                     0},
        CutParamCase{"NinePiecePaperIsIgnored",
                     QStringLiteral("1,1,0,0,10,10,21"),
                     QStringLiteral("D:\\img,3,2,4,2,0101,定制,是,x"),
                     {{1, 1, 0, 0, 10, 10, 21}},
                     false,
                     4},
        CutParamCase{"SevenPiecePaperIsIgnored",
                     QStringLiteral("1,1,0,0,10,10,21"),
                     QStringLiteral("D:\\img,3,2,4,2,0101,定制"),
                     {{1, 1, 0, 0, 10, 10, 21}},
                     false,
                     4},
        CutParamCase{"PageCountMinusOne",
                     QStringLiteral("1,1,0,0,10,10,21"),
                     QStringLiteral("D:\\img,3,2,4,-1,0101,定制,是"),
                     {{1, 1, 0, 0, 10, 10, 21}},
                     true,
                     0},
        // Beyond the bounds nothing of the reply is stored.
        CutParamCase{"TooManyRegions", Ones(257 * 7),
                     QStringLiteral("D:\\img,3,2,4,2,0101,定制,是"), kOldCuts, false, 0},
        CutParamCase{"MostRegionsAllowed", Ones(256 * 7 + 6),
                     QStringLiteral("D:\\img,3,2,4,2,0101,定制,是"),
                     QList<CutRegion>(256, CutRegion{1, 1, 1, 1, 1, 1, 1}), true, 3},
        CutParamCase{"PageCountBeyondLimits", QStringLiteral("1,1,0,0,10,10,21"),
                     QStringLiteral("D:\\img,3,2,4,65,0101,定制,是"), kOldCuts, false, 0}),
    [](const ::testing::TestParamInfo<CutParamCase>& info) {
        return std::string(info.param.name);
    });

// --- Page views -------------------------------------------------------------

TEST_F(ReviewChain, PageViewsFollowThePageCount) {
    serveSubjects({QStringLiteral("01:语文")});
    serveClasses({QStringLiteral("01:一班")});
    serveQuestions({{QStringLiteral("0101"), QStringLiteral("基础知识")}});
    serveStudents({});
    openWindow();
    const auto choose = [&](int pageCount) {
        serveCutParam(QString(), PaperOf(QStringLiteral("自动"), pageCount));
        pick(window->ComboBoxQuestionId, 0);
    };
    pick(window->ComboBoxSubject, 0);
    pick(window->ComboBoxClass, 0);

    choose(2);
    ASSERT_EQ(window->PageViews.size(), 2);
    const QList<imaging::ImageView*> firstTwo = window->PageViews;
    choose(4);
    ASSERT_EQ(window->PageViews.size(), 4);
    ASSERT_EQ(window->PageSheets.size(), 4);
    EXPECT_EQ(window->PageViews.mid(0, 2), firstTwo);
    QTabWidget* tabs = window->WorkPageControl;
    ASSERT_EQ(tabs->count(), 4);
    for (int j = 0; j < 4; ++j) {
        EXPECT_EQ(tabs->widget(j), window->PageSheets[j]);
        EXPECT_EQ(tabs->tabText(j), QString::number(j + 1));
        EXPECT_EQ(tabs->tabToolTip(j), QString::number(j));
        EXPECT_EQ(window->PageViews[j]->parentWidget(), window->PageSheets[j]);
        EXPECT_EQ(window->PageViews[j]->backgroundColor(), QColor(235, 242, 255));
        EXPECT_FALSE(window->PageViews[j]->isVisibleTo(window.get()));
    }
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_EQ(window->ReviewPageSlots.size(), 5);

    choose(0);
    EXPECT_TRUE(window->PageViews.isEmpty());
    EXPECT_TRUE(window->PageSheets.isEmpty());
    EXPECT_EQ(tabs->count(), 0);
    EXPECT_EQ(window->ReviewPageSlots.size(), 1);
}

// --- What each choice clears ------------------------------------------------

TEST_F(ReviewChain, ClassChoiceKeepsTheStudentsUntilAQuestionGroupIsChosen) {
    openAt(QString(), QStringLiteral("自动"), 1,
           {{QStringLiteral("260101"), QStringLiteral("李一"), QStringLiteral("5"),
             QStringLiteral("1$5$2;1;1;X!")}});
    serveClasses({QStringLiteral("01:一班"), QStringLiteral("02:二班")});
    pick(window->ComboBoxSubject, 0);
    clickRow(0);
    ASSERT_TRUE(window->ComboBoxTurn->isEnabled());
    server.clearRequests();

    pick(window->ComboBoxClass, 1);
    EXPECT_EQ(window->ListView->topLevelItemCount(), 1);
    EXPECT_EQ(window->ComboBoxTurn->count(), 0);
    EXPECT_FALSE(window->ComboBoxTurn->isEnabled());
    EXPECT_TRUE(server.requestsFor(QStringLiteral("QueryStQuestion")).isEmpty());

    pick(window->ComboBoxQuestionId, 0);
    const QList<QByteArray> students = server.requestsFor(QStringLiteral("QueryStQuestion"));
    ASSERT_EQ(students.size(), 1);
    EXPECT_EQ(QueryValue(students[0], "ClassId"), QStringLiteral("02"));
}

TEST_F(ReviewChain, QuestionChoiceClearsSelectionTurnTagsAndImageButKeepsTheTurnItems) {
    openAt(QStringLiteral("1,1,0,0,40,30,0"), QStringLiteral("自动"), 1,
           {{QStringLiteral("260101"), QStringLiteral("李一"), QStringLiteral("5"),
             QStringLiteral("1$5$2;1;1;X!|2$6$3;2;2;10;10!")}});
    servePicture(FileOf(QStringLiteral("260101"), 1), MarkedPicture(50, 50, 1));
    clickRow(0);
    ASSERT_EQ(image().layer().count(), 1);
    ASSERT_EQ(image().imageWidth(), 40);

    pick(window->ComboBoxQuestionId, 0);
    EXPECT_TRUE(window->ListView->selectedItems().isEmpty());
    EXPECT_TRUE(window->TurnTags.isEmpty());
    EXPECT_EQ(image().layer().count(), 0);
    const QImage blank = image().image();
    for (int y = 0; y < blank.height(); ++y)
        for (int x = 0; x < blank.width(); ++x)
            ASSERT_EQ(blank.pixel(x, y), qRgb(255, 255, 255)) << x << "," << y;
    // The turn items stay; picking one now only removes the marks.
    EXPECT_EQ(turnItems(), (QStringList{QStringLiteral("1"), QStringLiteral("2")}));
    image().layer().add(imaging::VectorObject{});
    pick(window->ComboBoxTurn, 0);
    EXPECT_EQ(image().layer().count(), 0);
    EXPECT_TRUE(messages.shown.isEmpty());
}

// --- Layout -------------------------------------------------------------------

TEST_F(ReviewChain, ControlsAsTheTeacherFindsThem) {
    openWindow();
    TFrmViewTech& w = *window;
    EXPECT_TRUE(w.windowFlags().testFlag(Qt::FramelessWindowHint));
    TFrmViewTech fresh(state);
    EXPECT_EQ(fresh.geometry(), QGuiApplication::primaryScreen()->availableGeometry());
    EXPECT_EQ(w.font().family(), QStringLiteral("宋体"));
    EXPECT_EQ(w.font().pointSize(), 9);

    EXPECT_EQ(w.RzToolbar1->height(), 29);
    EXPECT_EQ(w.RzToolButton20->text(), QStringLiteral("退出"));
    EXPECT_EQ(w.LabelSubject->text(), QStringLiteral("科目:"));
    EXPECT_EQ(w.LabelClass->text(), QStringLiteral("班级:"));
    EXPECT_EQ(w.LabelQuestionId->text(), QStringLiteral("题组:"));
    EXPECT_EQ(w.LabelTurn->text(), QStringLiteral("轮次"));
    const QList<QPair<QComboBox*, int>> lists = {{w.ComboBoxSubject, 109},
                                                 {w.ComboBoxClass, 108},
                                                 {w.ComboBoxQuestionId, 138},
                                                 {w.ComboBoxTurn, 72}};
    for (const auto& [list, width] : lists) {
        EXPECT_EQ(list->width(), width) << list->objectName().toStdString();
        EXPECT_FALSE(list->isEditable()) << list->objectName().toStdString();
    }
    // Left to right along the tool bar.
    const QList<QWidget*> order = {w.RzToolButton4, w.RzToolButton20,     w.ComboBoxSubject,
                                   w.ComboBoxClass, w.ComboBoxQuestionId, w.ComboBoxTurn,
                                   w.RzToolButton1, w.RzToolButton2,      w.RzToolButton3};
    for (int i = 1; i < order.size(); ++i)
        EXPECT_LT(order[i - 1]->x(), order[i]->x()) << i;

    EXPECT_EQ(w.Panel1->width(), 105);
    EXPECT_EQ(w.Splitter->widget(0), w.Panel1);
    EXPECT_EQ(w.Splitter->widget(1), w.ImageEnVect);
    EXPECT_EQ(w.ListView->columnCount(), 4);
    EXPECT_TRUE(w.ListView->isHeaderHidden());
    EXPECT_EQ(w.ListView->columnWidth(0), 1);
    EXPECT_TRUE(w.ListView->isColumnHidden(3));
    EXPECT_EQ(w.ListView->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(w.ListView->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_FALSE(w.ListView->isSortingEnabled());
    EXPECT_FALSE(w.WorkPageControl->isVisibleTo(&w));
    EXPECT_FALSE(w.WorkPageControl->isEnabled());
    EXPECT_EQ(w.WorkPageControl->height(), 2);
    EXPECT_EQ(w.ImageEnVect->backgroundColor(), QColor(Qt::white));
    EXPECT_EQ(w.ImageEnVect->viewport()->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_DOUBLE_EQ(w.ImageEnVect->zoom(), 100);
}

TEST_F(ReviewChain, ArrowKeyInASubjectListPicksTheNextSubject) {
    serveSubjects({QStringLiteral("01:语文"), QStringLiteral("02:数学")});
    serveClasses({QStringLiteral("01:一班")});
    openWindow();
    window->activateWindow();
    window->ComboBoxSubject->setFocus();
    QTest::keyClick(window->ComboBoxSubject, Qt::Key_Down);
    const QList<QByteArray> classes = server.requestsFor(QStringLiteral("QueryClass"));
    ASSERT_EQ(classes.size(), 1);
    EXPECT_EQ(QueryValue(classes[0], "SubjectId"), QStringLiteral("01"));
    EXPECT_EQ(window->ComboBoxClass->count(), 1);
}
