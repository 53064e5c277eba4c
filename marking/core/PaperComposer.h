#pragma once
// Building the answer image of a paper: the cut regions of the student's
// page pictures are fetched into the page views and stacked, top to bottom,
// into the main view's picture. Also the thumbnail, the "?" placeholders,
// the zoom a new paper opens at and the splitting of the marking history.
// Free functions over the image views and the client-state object, so a
// freshly fetched paper and a called-back one are composed the same way.

#include "ImageView.h"
#include "UntPublic.h"

#include <QList>
#include <QString>
#include <QStringList>

class IHttpGet;

namespace marking {

// What the composition reports back to the window.
struct ComposeOutcome {
    // "提卷…毫秒切割…毫秒" of the last region (the text restarts with every
    // region); empty when the paper has no regions.
    QString timingText;
    // Names of the pictures that could not be loaded (the File value of a
    // GetImageFile address, or the file path), each once, in order. Their
    // regions were composed as white areas.
    QStringList failedPictures;
};

// A picture loader that downloads over the client's GET facade. The image
// addresses the client-state object builds are already encoded.
imaging::PictureLoader HttpPictureLoader(IHttpGet& http);

// Composes the answer image of `state.Cuts` on `mainView`.
//
// Region r (in the order of Cuts) comes from page view FindPageSlot(Page):
// in cut mode "自动" the page picture is fetched only when that slot does
// not hold the page yet (so each page is fetched once per paper, after
// ResetPageSlots) and the rectangle X1,Y1-X2,Y2 is cut out, kept inside the
// picture; in any other mode the ready-cut picture of ImageNo is fetched
// every time and used whole. The first region becomes the picture; each
// further one is pasted below at the left edge, the picture growing on
// white to the widest region.
//
// A picture that cannot be loaded never lets an earlier picture stand in
// for it: its region is composed as a white area of the region's rectangle
// size and its name is reported in ComposeOutcome::failedPictures.
//
// Sound handling where the page slots run short: when FindPageSlot hands
// out a slot that holds another page, that page is fetched again into it;
// when the slot is not a valid page view, the picture is loaded into a
// scratch view for that region only.
//
// The page views get HttpPictureLoader(state.http()) as their loader.
ComposeOutcome ComposeAnswerImage(TPublicFuctionObject& state,
                                  const QList<imaging::ImageView*>& pageViews,
                                  imaging::ImageView& mainView);

// Blanks the view's picture and removes its objects.
void ClearView(imaging::ImageView& view);

// The thumbnail: the top square of the answer image (full width, height of
// the width or of the picture, whichever is less) becomes the thumbnail
// view's picture, zoomed to fit its width.
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

} // namespace marking
