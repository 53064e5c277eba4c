#pragma once
// Building the answer image of a paper: the cut regions of the student's
// page pictures (or the ready-cut region pictures) stacked, top to bottom,
// into one picture. Also the thumbnail, the "?" placeholders, the zoom a new
// paper opens at and the splitting of the marking history.
//
// The data flows one way, in three steps that the marking window, the review
// window and the tests share:
//   1. PlanPaper: from the cuts and the page-slot table, which pictures are
//      fetched (each page once per paper in cut mode "自动", every ready-cut
//      picture otherwise) and which picture and rectangle each cut takes;
//   2. FetchPictures: all of them through the request layer, decoded;
//   3. ComposePaper: the answer image, built once from the pictures.
// ComposeAnswerImage runs them for a window, with one shortcut: the pictures
// are fetched together, and of a JPEG page only the rows and columns its cuts
// need are decoded, straight into the answer image.

#include "ImageView.h"
#include "UntPublic.h"

#include <QImage>
#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>

#include <functional>

class IHttpGet;

namespace marking {

// Which pictures a paper needs and how its cuts use them.
struct PaperPlan {
    struct Fetch {
        QString address; // an encoded GetImageFile address
        int view = -1;   // the page view that holds the picture; -1 none
    };
    struct Cut {
        CutRegion region;
        // The fetch whose picture this cut is cut from; -1 when the cut
        // takes the picture its page view already held before this paper
        // (see `view`), or is skipped.
        int fetch = -1;
        int view = -1;
        bool fetchedHere = false;  // this cut caused its fetch
        bool wholePicture = false; // a ready-cut picture, used whole
        bool skipped = false;      // no page view for it and none is made
    };
    QList<Fetch> fetches;
    QList<Cut> cuts;
};

// What a cut whose page slot has no page view gets.
enum class MissingView {
    FetchAnyway, // its picture is fetched for that cut alone
    Skip,        // the cut is left out of the answer image
};

// Plans the pictures of `cuts`, updating `table` as the composition leaves
// them. Cut r takes slot s = FindPageSlot(table, Page): in mode "自动" the
// page picture is fetched when slot s does not hold that page yet, else the
// picture fetched for it earlier is reused; in any other mode the ready-cut
// picture of ImageNo is fetched every time. Slot s := (Page, loaded). A slot
// without a page view (s >= viewCount) gets what `missing` says.
PaperPlan PlanPaper(const QList<CutRegion>& cuts, bool autoCut, QList<PageSlot>& table,
                    int viewCount, const std::function<QString(int)>& pageAddress,
                    const std::function<QString(int)>& cutAddress,
                    MissingView missing = MissingView::FetchAnyway);

// One fetched picture.
struct FetchedPicture {
    // Null when it could not be fetched or decoded; when it was cut short,
    // what arrived of it with white below (and `ok` false).
    QImage image;
    bool ok = false;      // fetched and decoded whole
    qint64 elapsedMs = 0; // from the start of the fetch until it was ready
};

// Fetches and decodes every address (the whole set through the request
// layer's getAll); results in the order of `addresses`.
QList<FetchedPicture> FetchPictures(IHttpGet& http, const QStringList& addresses);

// What a composition reports back to the window.
struct ComposeOutcome {
    // "提卷…毫秒切割…毫秒" of the last cut (the text restarts with every
    // cut); empty when the paper has no cuts.
    QString timingText;
    // Names of the pictures that could not be loaded whole (the File value
    // of a GetImageFile address, or the file path), each once, in order.
    // Their cuts were composed from what arrived of them, white for the
    // rest.
    QStringList failedPictures;
    // Empty, or the message for the marker when the answer image would be
    // larger than a picture may be (PictureAllocationLimit): nothing was
    // allocated and the main view shows no picture.
    QString pictureTooLarge;
};

// The largest side a picture can have (JPEG's limit): a failed picture's
// white stand-in is kept within it.
constexpr int kLargestPictureSide = 65535;
// What the marker is told when the answer image is too large to show.
inline const QString kPictureTooLargeMessage = QStringLiteral("试卷图片过大，无法显示!!");

struct ComposedPaper {
    QImage image; // null when no cut gave a region
    ComposeOutcome outcome;
};

// The answer image of a plan. Cut r is taken from its picture: in mode
// "自动" the rectangle X1,Y1-X2,Y2 kept inside the picture, otherwise the
// whole picture; the first becomes the image, each further one goes below
// at the left edge, the image growing on white to the widest. A cut whose
// picture failed is a white area of its rectangle's size (kept inside
// kLargestPictureSide), never anything of an earlier picture; one whose
// picture was cut short takes what arrived of it. `heldBefore(view)` gives
// the picture a page view held before this paper (for cuts with fetch -1).
// The image is allocated once, at its final size, and not at all when it
// would pass the picture allocation limit (see pictureTooLarge).
ComposedPaper ComposePaper(const PaperPlan& plan, const QList<FetchedPicture>& pictures,
                           const std::function<QImage(int view)>& heldBefore = {});

// The whole path for a window: plans `cuts` on the slot table `table` with
// the window's page views, fetches (addresses from the client state's
// PageImageAddress and CutImageAddress) and puts the answer image on
// `mainView` (which keeps its picture when no cut takes part, and shows none
// when the answer image is too large); the answer image reuses the memory of
// the one it replaces when their sizes agree. Each page view fetched into
// holds what was decoded of its page: a picture decoded whole (what arrived
// when cut short), or none at all when its cuts were decoded straight into
// the answer image (a JPEG) or it failed. A slot whose page view holds no
// picture counts as not loaded, so a later cut fetches its page again.
ComposeOutcome ComposeAnswerImage(TPublicFuctionObject& state, const QList<CutRegion>& cuts,
                                  QList<PageSlot>& table,
                                  const QList<imaging::ImageView*>& pageViews,
                                  imaging::ImageView& mainView, MissingView missing);

// The marking window's paper: state.Cuts on state.PageSlots.
ComposeOutcome ComposeAnswerImage(TPublicFuctionObject& state,
                                  const QList<imaging::ImageView*>& pageViews,
                                  imaging::ImageView& mainView);

// Blanks the view's picture and removes its objects.
void ClearView(imaging::ImageView& view);

// The thumbnail: the top square of the answer image (full width, height of
// the width or of the picture, whichever is less) becomes the thumbnail
// view's picture, scaled down to the view's width in device pixels (never
// up), zoomed to fit its width. The main view's selection is removed.
void MakeThumbnail(imaging::ImageView& mainView, imaging::ImageView& thumbnail);

// One "?" placeholder score text per sub-question at its PosX, PosY; turns
// on the view's rendering of transparent objects.
void AddPlaceholders(imaging::ImageView& mainView, const QList<TSubQuestion>& subQuestions);

// Zoom of a new paper: "适应大小" fits the whole picture; otherwise the
// setting read as a whole number, 100 when it is not one.
void ApplyZoomSetting(imaging::ImageView& view, const QString& zoomSetting);

// The remembered zoom: the zoom truncated to a whole percentage, in decimal.
QString ZoomSettingText(double zoom);

// One entry of the marking history split into its three pieces. `valid` is
// false (and the texts empty) when the entry did not split into exactly
// three pieces.
struct HistoryEntry {
    bool valid = false;
    QString text1;
    QString text2;
    QString tag;
};

// AllTurnInfo split at "|" into entries (empty ones dropped) and each entry
// at "&", with the list-splitting rule.
QList<HistoryEntry> SplitHistory(const QString& allTurnInfo);

// The name a picture address stands for: the decoded File value of a
// GetImageFile address; any other address as it is.
QString PictureName(const QString& address);

// The message that names the pictures that failed to load.
QString FailedPicturesMessage(const QStringList& names);

// What a composition has to tell the marker, in order: the pictures that
// failed, and that the answer image was too large to show.
QStringList ComposeMessages(const ComposeOutcome& outcome);

} // namespace marking
