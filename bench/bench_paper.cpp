// The paper path against its floor: paper open in the marking window, each
// demo question group, a review row switch and the tag writer and reader,
// each beside the same GETs and decodes done bare in the same run; or, with
// --memory, the resident memory with a paper open and after many opens.
// Prints figures and ratios; never fails on time.
//
//   bench_paper --server 127.0.0.1:P --delayed-server 127.0.0.1:Q [--rounds N]
//               [--cases abcde]     (only these cases)
//   bench_paper --server 127.0.0.1:P --memory [--opens N]
//
// The servers are demo servers with pictures drawn at 200 dpi beforehand;
// the delayed one answers every request 50 ms late (scripts/bench.sh).

#include "BenchSupport.h"

#include "AppPaths.h"
#include "GbkText.h"
#include "HttpGet.h"
#include "ImageView.h"
#include "IniFile.h"
#include "Messages.h"
#include "PaperComposer.h"
#include "ScoreTexts.h"
#include "TagFormat.h"
#include "UntMainWindow.h"
#include "UntPublic.h"
#include "XmlReply.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCommandLineParser>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

namespace {

// Counts message boxes instead of showing them: a benchmark must not wait
// for a click, and a message means a round went wrong.
class CountingMessages : public IMessages {
public:
    void showMessage(const QString& text) override {
        ++count;
        std::fprintf(stderr, "message: %s\n", text.toUtf8().constData());
    }
    bool askOkCancel(const QString&) override { return true; }
    int count = 0;
};

// Takes the expected "no paper" of the call-back that closes a paper.
class SilentMessages : public IMessages {
public:
    void showMessage(const QString&) override {}
    bool askOkCancel(const QString&) override { return false; }
};

// The program's transport, remembering the addresses of the last command so
// the floors fetch exactly the same ones.
class RecordingHttp : public IHttpGet {
public:
    HttpResult get(const QByteArray& address) override {
        addresses.append(address);
        return m_http.get(address);
    }
    QList<HttpResult> getAll(const QList<QByteArray>& list, const Arrival& arrived,
                             const Arrival& onWorker) override {
        addresses += list;
        return m_http.getAll(list, arrived, onWorker);
    }
    QList<QByteArray> addresses;

private:
    QtHttpGet m_http;
};

// The A4 regions at 200 dpi (1654 x 2339) the paper cases cut: 1493 x 800
// each, two to a page.
const QList<CutRegion> kTwoPages = {{1, 1, 80, 533, 1573, 1333, 0},
                                    {2, 1, 80, 1373, 1573, 2173, 0},
                                    {3, 2, 80, 107, 1573, 907, 0},
                                    {4, 2, 80, 947, 1573, 1747, 0}};
const QList<CutRegion> kThreePages = {{1, 1, 80, 533, 1573, 1333, 0},
                                      {2, 2, 80, 107, 1573, 907, 0},
                                      {3, 3, 80, 107, 1573, 907, 0},
                                      {4, 3, 80, 947, 1573, 1747, 0}};

// A signed-in marking window on one permission, the way a marker has it
// after the first show.
class MarkingSession {
public:
    MarkingSession(const QString& server, const QString& permission) {
        SetAppDir(m_dir.path());
        IniFile(ConfigIniPath())
            .writeString(QStringLiteral("ViewPaper"), QStringLiteral("PermissionId"), permission);
        state.ServerUrl = QStringLiteral("http://") + server;
        if (!state.ValidateUser(QStringLiteral("t01"), QStringLiteral("1")))
            std::fprintf(stderr, "sign-in at %s failed\n", server.toUtf8().constData());
        window = std::make_unique<TFrmMainWindow>(state);
        window->resize(1280, 900);
        window->show(); // the first show fetches the parameters
        QApplication::processEvents();
    }

    // F5 and the first repaint of what it changed.
    void openPaper() {
        http.addresses.clear();
        window->ActLoadPaperExecute();
        QApplication::processEvents();
    }
    // Off the screen, ready for the next F5 (which brings the same paper
    // back, since it was not submitted): the marker calls back a paper that
    // is not there, which clears the window.
    void closePaper() {
        window->findChild<QComboBox*>(QStringLiteral("ComboBoxCallBackNumber"))->setCurrentIndex(9);
        SilentMessages silent;
        IMessages* shown = SetMessages(&silent);
        window->ActCallBackExecute();
        SetMessages(shown);
        QApplication::processEvents();
    }
    // The request and the pictures of the last paper.
    QByteArray question() const { return http.addresses.value(0); }
    QList<QByteArray> pictures() const { return http.addresses.mid(1); }

    QTemporaryDir m_dir;
    RecordingHttp http;
    XmlReply xml;
    TPublicFuctionObject state{http, xml};
    std::unique_ptr<TFrmMainWindow> window;
};

// Paper open against the floors of the same GETs, rounds interleaved; the
// paper is closed after each client round, outside the measured time.
void PaperCase(const QString& name, MarkingSession& session, int rounds) {
    bench::BareFloor floor;
    session.openPaper();
    const QByteArray question = session.question();
    const QList<QByteArray> pictures = session.pictures();
    session.closePaper();
    bench::Series client, sequential, parallel;
    for (int r = 0; r < rounds; ++r) {
        for (int k = 0; k < 3; ++k) {
            switch ((r + k) % 3) {
            case 0:
                client.ms.append(bench::TimeMs([&] { session.openPaper(); }));
                session.closePaper();
                break;
            case 1:
                sequential.ms.append(bench::TimeMs([&] { floor.sequential(question, pictures); }));
                break;
            case 2:
                parallel.ms.append(bench::TimeMs([&] { floor.parallel(question, pictures); }));
                break;
            }
        }
    }
    bench::PrintRow(name, client, sequential, parallel);
    if (const int failed = floor.takeFailures())
        std::fprintf(stderr, "%s: %d floor pictures failed\n", name.toUtf8().constData(), failed);
}

// A review row switch: the review window's composer call for one student,
// then another, with fresh page slots per row, and the repaint.
void ReviewCase(MarkingSession& session, int rounds) {
    TPublicFuctionObject& state = session.state;
    const QList<CutRegion> cuts = kTwoPages;
    std::vector<std::unique_ptr<imaging::ImageView>> owned;
    QList<imaging::ImageView*> pageViews;
    for (int i = 0; i <= state.PageCount; ++i) {
        owned.push_back(std::make_unique<imaging::ImageView>());
        pageViews.append(owned.back().get());
    }
    imaging::ImageView review;
    review.resize(1100, 800);
    review.show();
    const QStringList students = {QStringLiteral("260101"), QStringLiteral("260102")};
    int row = 0;
    const auto showRow = [&] {
        state.StudentId = students[row++ % students.size()];
        QList<PageSlot> table(state.PageCount + 1, PageSlot{-1, false});
        marking::ComposeAnswerImage(state, cuts, table, pageViews, review,
                                    marking::MissingView::Skip);
        review.viewport()->update();
        QApplication::processEvents();
    };
    session.http.addresses.clear();
    showRow();
    const QList<QByteArray> pictures = session.http.addresses;
    bench::BareFloor floor;
    const QList<bench::Series> s =
        bench::Interleaved(rounds, {showRow, [&] { floor.sequential(QByteArray(), pictures); },
                                    [&] { floor.parallel(QByteArray(), pictures); }});
    bench::PrintRow(QStringLiteral("(d) review row, 4 regions on 2 pages"), s[0], s[1], s[2]);
}

// BuildTag and DrawTag of a tag of the 499-byte limit.
void TagCase(int rounds) {
    QList<TSubQuestion> subs;
    imaging::VectorLayer layer;
    for (int i = 0; i < 6; ++i) {
        TSubQuestion q;
        q.SubQuestionId = QString::number(i + 1);
        q.HighestMark = 10;
        q.PosX = 900;
        q.PosY = 80 + 120 * i;
        subs.append(q);
        layer.add(marking::MakeSubQuestionScoreText(q.PosX, q.PosY, QStringLiteral("7.5")));
    }
    // Marks are added while the tag stays within the 499-byte limit.
    QString tag = marking::BuildTag(layer, subs);
    for (int i = 0;; ++i) {
        const imaging::ObjectHandle added = layer.add(
            i % 3 == 2 ? marking::MakeSymbolText(100 + i * 7, 200 + i * 11, QStringLiteral("X"))
                       : marking::MakeShapeMark(i % 3 ? imaging::ObjectKind::Box
                                                      : imaging::ObjectKind::Line,
                                                100 + i * 7, 200 + i * 11, 150, 40));
        const QString longer = marking::BuildTag(layer, subs);
        if (gbk::byteCount(longer) > 499) {
            layer.remove(added);
            break;
        }
        tag = longer;
    }
    const int bytes = gbk::byteCount(tag);
    imaging::VectorLayer target;
    bench::Series build, draw;
    for (int r = 0; r < rounds; ++r) {
        QString built;
        build.ms.append(bench::TimeMs([&] { built = marking::BuildTag(layer, subs); }));
        draw.ms.append(bench::TimeMs(
            [&] { marking::DrawTag(target, subs, built, [](int, const QString&) {}); }));
    }
    std::printf("(e) tag of %d bytes, %lld objects: BuildTag min %.4f median %.4f ms, "
                "DrawTag min %.4f median %.4f ms\n",
                bytes, static_cast<long long>(layer.count()), build.min(), build.median(),
                draw.min(), draw.median());
}

int RunCases(const QString& server, const QString& delayedServer, int rounds, const QString& only) {
    const auto wanted = [&only](const char* letter) {
        return only.isEmpty() || only.contains(QLatin1String(letter));
    };
    std::printf("Machine: %s\n", bench::MachineLine().toUtf8().constData());
    std::printf("Rounds per case: %d, interleaved (client, floors in turn)\n\n", rounds);
    bench::PrintHeader();
    {
        MarkingSession session(server, QStringLiteral("010101"));
        session.state.Cuts = kTwoPages;
        PaperCase(QStringLiteral("(a) paper open, 4 regions on 2 A4 pages"), session, rounds);
        ReviewCase(session, rounds);
    }
    if (!delayedServer.isEmpty()) {
        MarkingSession session(delayedServer, QStringLiteral("010101"));
        session.state.Cuts = kThreePages;
        PaperCase(QStringLiteral("(b) the same on 3 pages, 50 ms server delay"), session, rounds);
    }
    for (const QString& permission :
         {QStringLiteral("010101"), QStringLiteral("010201"), QStringLiteral("010301"),
          QStringLiteral("020101"), QStringLiteral("020201")}) {
        if (!wanted("c"))
            break;
        MarkingSession session(server, permission);
        PaperCase(
            QStringLiteral("(c) question group %1 (%2)")
                .arg(permission.left(4), session.state.CutMode == "自动" ? "pages" : "ready-cut"),
            session, rounds);
    }
    if (wanted("e")) {
        std::printf("\n");
        TagCase(std::max(rounds, 200));
    }
    return 0;
}

int RunMemory(const QString& server, int opens) {
    MarkingSession session(server, QStringLiteral("010101"));
    session.state.Cuts = kTwoPages;
    const double before = bench::ResidentMb();
    session.openPaper();
    const double open = bench::ResidentMb();
    for (int i = 1; i < opens; ++i) {
        session.closePaper();
        session.openPaper();
    }
    const double after = bench::ResidentMb();
    std::printf("(g) resident memory: %.1f MB with the window, %.1f MB with the A4 paper open, "
                "%.1f MB after %d opens\n",
                before, open, after, opens);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The offscreen platform's notes would break up the table.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type != QtDebugMsg && type != QtInfoMsg && type != QtWarningMsg)
            std::fprintf(stderr, "%s\n", text.toUtf8().constData());
    });
    QApplication app(argc, argv);
    imaging::InstallFontSubstitutions();
    CountingMessages messages;
    SetMessages(&messages);

    QCommandLineParser parser;
    parser.addOption(
        {QStringLiteral("server"), QStringLiteral("demo server"), QStringLiteral("host:port")});
    parser.addOption({QStringLiteral("delayed-server"),
                      QStringLiteral("demo server answering 50 ms late"),
                      QStringLiteral("host:port")});
    parser.addOption({QStringLiteral("rounds"), QStringLiteral("rounds per case"),
                      QStringLiteral("n"), QStringLiteral("15")});
    parser.addOption({QStringLiteral("cases"), QStringLiteral("only these cases, e.g. ab"),
                      QStringLiteral("letters")});
    parser.addOption({QStringLiteral("memory"), QStringLiteral("measure resident memory")});
    parser.addOption({QStringLiteral("opens"), QStringLiteral("papers opened for --memory"),
                      QStringLiteral("n"), QStringLiteral("100")});
    parser.process(app);
    if (!parser.isSet(QStringLiteral("server"))) {
        std::fprintf(stderr, "bench_paper: --server host:port is needed\n");
        return 2;
    }
    const QString server = parser.value(QStringLiteral("server"));
    const int code =
        parser.isSet(QStringLiteral("memory"))
            ? RunMemory(server, std::max(1, parser.value(QStringLiteral("opens")).toInt()))
            : RunCases(server, parser.value(QStringLiteral("delayed-server")),
                       std::max(10, parser.value(QStringLiteral("rounds")).toInt()),
                       parser.value(QStringLiteral("cases")));
    if (messages.count > 0)
        std::fprintf(stderr, "bench_paper: %d messages were shown; figures are suspect\n",
                     messages.count);
    SetMessages(nullptr);
    return code;
}
