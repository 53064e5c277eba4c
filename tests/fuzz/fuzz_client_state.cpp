// Every request of the client state answered with the fuzz input, through
// the request interface (no network): whatever the server says, nothing
// crashes, the limits on counts and coordinates hold, and the image
// addresses built from what was stored are still plain ASCII.
#include "CoordinateLimits.h"
#include "FuzzSupport.h"
#include "HttpGet.h"
#include "PaperLimits.h"
#include "UntPublic.h"
#include "XmlReply.h"

#include <cstdlib>

namespace {

// Answers every GET with the same body and status.
class FuzzHttpGet : public IHttpGet {
public:
    HttpResult reply;
    HttpResult get(const QByteArray&) override { return reply; }
};

bool WithinBound(int v) {
    return std::abs(qint64(v)) <= imaging::kMaxCoordinate;
}

void CheckAddress(const QString& address) {
    for (QChar c : address)
        FUZZ_CHECK(c.unicode() > 32 && c.unicode() < 127);
}

void CheckParameters(const TPublicFuctionObject& state) {
    FUZZ_CHECK(state.Cuts.size() <= kMaxCutCount);
    FUZZ_CHECK(state.SubQuestions.size() <= kMaxSubQuestionCount);
    FUZZ_CHECK(PageCountWithinLimits(state.PageCount));
    for (const CutRegion& r : state.Cuts)
        FUZZ_CHECK(WithinBound(r.X1) && WithinBound(r.Y1) && WithinBound(r.X2) &&
                   WithinBound(r.Y2));
    for (const TSubQuestion& q : state.SubQuestions)
        FUZZ_CHECK(WithinBound(q.PosX) && WithinBound(q.PosY));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PrepareFuzzing();
    FuzzHttpGet http;
    http.reply.ok = true;
    http.reply.status = 200;
    http.reply.body = QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
    XmlReply xml;
    TPublicFuctionObject state(http, xml);
    state.ServerUrl = QStringLiteral("http://127.0.0.1:18080");

    state.ValidateUser(QStringLiteral("t01"), QStringLiteral("1"));
    static_cast<void>(state.FindPermission());
    if (state.GetParam(QStringLiteral("010101")))
        FUZZ_CHECK(state.PageSlots.size() == state.PageCount + 1);
    CheckParameters(state);
    state.ResetPageSlots();
    for (const CutRegion& r : state.Cuts) {
        const int slot = state.FindPageSlot(r.Page);
        FUZZ_CHECK(slot >= 0 && (slot < state.PageSlots.size() || slot == 0));
    }
    state.GetQuestion();
    state.CallBack(1);
    if (state.GetInfoParam())
        FUZZ_CHECK(WithinBound(state.InfoStartX) && WithinBound(state.InfoStartY) &&
                   WithinBound(state.InfoEndX) && WithinBound(state.InfoEndY));
    state.ChangePassword(QStringLiteral("2"));
    state.ResetBufferByUser();
    state.SavePersonConfig(QStringLiteral("|1|2|"));
    state.SaveSymbol(QStringLiteral("1:1|"), QStringLiteral("0;1;1;1!"), 1, QStringLiteral("0"),
                     QString());
    for (int n : {1, 2, 21})
        for (const QString& address :
             {state.PageImageAddress(n), state.CutImageAddress(n), state.SheetImageAddress(n)})
            CheckAddress(address);
    return 0;
}
