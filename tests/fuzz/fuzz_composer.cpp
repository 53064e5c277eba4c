// The paper composer with regions and pictures a server chooses: cut
// regions anywhere (as the client state reads them), pages that repeat or
// run out of page views, pictures of any small size that arrive, fail or
// were held from the paper before. Planned with PlanPaper and composed with
// ComposePaper, as the marking and the review window do.
#include "CoordinateLimits.h"
#include "FuzzSupport.h"
#include "PaperComposer.h"

#include <QImage>

using namespace marking;

namespace {

QImage PictureFrom(FuzzInput& in) {
    const int width = 1 + in.below(48);
    const int height = 1 + in.below(48);
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(qRgb(in.byte(), in.byte(), in.byte()));
    return image;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PrepareFuzzing();
    FuzzInput in(data, size);
    const bool autoCut = in.flag();
    const MissingView missing = in.flag() ? MissingView::Skip : MissingView::FetchAnyway;
    const int viewCount = in.below(5);

    QList<PageSlot> table(in.below(6));
    for (PageSlot& slot : table)
        slot = PageSlot{in.below(5) - 1, in.flag()};
    QList<CutRegion> cuts(in.below(9));
    for (CutRegion& r : cuts) {
        r.CutNo = in.byte();
        r.Page = in.below(6);
        r.X1 = imaging::ClampCoordinate(in.coordinate());
        r.Y1 = imaging::ClampCoordinate(in.coordinate());
        r.X2 = imaging::ClampCoordinate(in.coordinate());
        r.Y2 = imaging::ClampCoordinate(in.coordinate());
        r.ImageNo = in.byte();
    }

    const PaperPlan plan = PlanPaper(
        cuts, autoCut, table, viewCount, [](int n) { return QStringLiteral("page %1").arg(n); },
        [](int n) { return QStringLiteral("cut %1").arg(n); }, missing);
    FUZZ_CHECK(plan.cuts.size() == cuts.size());
    for (const PaperPlan::Cut& cut : plan.cuts) {
        FUZZ_CHECK(cut.fetch >= -1 && cut.fetch < plan.fetches.size());
        FUZZ_CHECK(cut.view >= -1 && cut.view < viewCount);
    }

    QList<FetchedPicture> pictures(plan.fetches.size());
    for (FetchedPicture& picture : pictures) {
        switch (in.below(3)) {
        case 0:
            picture.image = PictureFrom(in);
            picture.ok = true;
            break;
        case 1: // arrived, but did not decode whole
            picture.image = PictureFrom(in);
            break;
        case 2: // did not arrive
            break;
        }
    }
    QList<QImage> held(viewCount);
    for (QImage& image : held)
        if (in.flag())
            image = PictureFrom(in);

    const ComposedPaper paper = ComposePaper(plan, pictures, [&held](int view) {
        return view >= 0 && view < held.size() ? held[view] : QImage();
    });
    static_cast<void>(paper.image.size());
    return 0;
}
