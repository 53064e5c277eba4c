#include "PaperComposer.h"

#include "GbkText.h"
#include "HttpGet.h"
#include "ScoreTexts.h"

#include <QElapsedTimer>

#include <cmath>
#include <cstdlib>
#include <memory>

namespace marking {

namespace {

const QString kAutoCut = QStringLiteral("自动");
const QString kFitZoom = QStringLiteral("适应大小");

// A region's white stand-in: the size of its rectangle on the page.
QImage WhiteRegion(const CutRegion& r) {
    const int w = std::abs(r.X2 - r.X1);
    const int h = std::abs(r.Y2 - r.Y1);
    if (w == 0 || h == 0)
        return QImage();
    QImage white(w, h, QImage::Format_RGB32);
    white.fill(Qt::white);
    return white;
}

// Puts the selection of `source` into the main view's picture: the first
// region becomes the picture, later ones go below it at the left edge.
void TakeSelection(imaging::ImageView& source, imaging::ImageView& mainView, bool first) {
    if (first)
        source.copySelectionTo(mainView);
    else
        source.pasteSelectionTo(mainView, QPoint(0, mainView.imageHeight()));
    source.clearSelection();
}

} // namespace

imaging::PictureLoader HttpPictureLoader(IHttpGet& http) {
    return [&http](const QString& address) -> std::optional<QByteArray> {
        HttpResult result = http.get(address.toLatin1());
        if (!result.ok)
            return std::nullopt;
        return std::move(result.body);
    };
}

ComposeOutcome ComposeAnswerImage(TPublicFuctionObject& state,
                                  const QList<imaging::ImageView*>& pageViews,
                                  imaging::ImageView& mainView) {
    ComposeOutcome outcome;
    const bool autoCut = state.CutMode == kAutoCut;
    const imaging::PictureLoader loader = HttpPictureLoader(state.http());
    for (imaging::ImageView* view : pageViews) {
        if (view)
            view->setPictureLoader(loader);
    }
    // Used only when the page slots run short of page views.
    std::unique_ptr<imaging::ImageView> scratch;
    auto reportFailure = [&outcome](const QString& address) {
        const QString name = PictureName(address);
        if (!outcome.failedPictures.contains(name))
            outcome.failedPictures.append(name);
    };

    for (int i = 0; i < state.Cuts.size(); ++i) {
        const CutRegion r = state.Cuts[i];
        const int s = state.FindPageSlot(r.Page);
        QElapsedTimer clock;
        clock.start();

        const bool haveSlot =
            s >= 0 && s < pageViews.size() && pageViews[s] != nullptr && s < state.PageSlots.size();
        imaging::ImageView* source = nullptr;
        bool loaded = true;
        if (haveSlot) {
            source = pageViews[s];
            PageSlot& slot = state.PageSlots[s];
            if (!autoCut) {
                loaded = source->loadPicture(state.CutImageAddress(r.ImageNo));
                if (!loaded)
                    reportFailure(state.CutImageAddress(r.ImageNo));
            } else if (!slot.Loaded || slot.PageNumber != r.Page) {
                loaded = source->loadPicture(state.PageImageAddress(r.Page));
                if (!loaded)
                    reportFailure(state.PageImageAddress(r.Page));
            } else {
                // The page came earlier in this paper; an empty picture
                // means that fetch failed and has been reported already.
                loaded = source->hasPicture();
            }
            slot = PageSlot{r.Page, true};
        } else {
            if (!scratch) {
                scratch = std::make_unique<imaging::ImageView>();
                scratch->setPictureLoader(loader);
            }
            source = scratch.get();
            const QString address =
                autoCut ? state.PageImageAddress(r.Page) : state.CutImageAddress(r.ImageNo);
            loaded = source->loadPicture(address);
            if (!loaded)
                reportFailure(address);
        }
        outcome.timingText =
            QStringLiteral("提卷") + QString::number(clock.elapsed()) + QStringLiteral("毫秒");
        clock.restart();

        if (loaded) {
            if (autoCut)
                source->select(r.X1, r.Y1, r.X2, r.Y2);
            else
                source->select(0, 0, source->imageWidth(), source->imageHeight());
            TakeSelection(*source, mainView, i == 0);
        } else {
            // A white area of the region's size keeps the regions below in
            // their places, and nothing of an earlier picture shows.
            imaging::ImageView white;
            white.setImage(WhiteRegion(r));
            white.select(0, 0, white.imageWidth(), white.imageHeight());
            TakeSelection(white, mainView, i == 0);
        }
        outcome.timingText +=
            QStringLiteral("切割") + QString::number(clock.elapsed()) + QStringLiteral("毫秒");
    }
    return outcome;
}

void ClearView(imaging::ImageView& view) {
    view.blank();
    view.layer().clear();
    view.layerChanged();
}

void MakeThumbnail(imaging::ImageView& mainView, imaging::ImageView& thumbnail) {
    const int w = mainView.imageWidth();
    mainView.select(0, 0, w, w);
    mainView.copySelectionTo(thumbnail);
    mainView.clearSelection();
    thumbnail.viewport()->update();
    thumbnail.fitWidth();
}

void AddPlaceholders(imaging::ImageView& mainView, const QList<TSubQuestion>& subQuestions) {
    for (const TSubQuestion& q : subQuestions)
        mainView.layer().add(MakePlaceholderScoreText(q.PosX, q.PosY));
    if (!subQuestions.isEmpty())
        mainView.setTransparencyRendering(true);
    mainView.layerChanged();
}

void ApplyZoomSetting(imaging::ImageView& view, const QString& zoomSetting) {
    if (zoomSetting == kFitZoom) {
        view.fit();
        return;
    }
    int percent = 0;
    if (!ReadInteger(zoomSetting, &percent))
        percent = 100;
    view.setZoom(percent);
}

QString ZoomSettingText(double zoom) {
    return QString::number(static_cast<qint64>(std::trunc(zoom)));
}

QList<HistoryEntry> SplitHistory(const QString& allTurnInfo) {
    QList<HistoryEntry> entries;
    for (const QString& entry : SplitList(allTurnInfo, QStringLiteral("|"))) {
        const QStringList pieces = SplitList(entry, QStringLiteral("&"));
        HistoryEntry e;
        if (pieces.size() == 3) {
            e.valid = true;
            e.text1 = pieces[0];
            e.text2 = pieces[1];
            e.tag = pieces[2];
        }
        entries.append(e);
    }
    return entries;
}

QString PictureName(const QString& address) {
    if (!address.startsWith(QLatin1String("http://"), Qt::CaseInsensitive))
        return address;
    const int q = address.indexOf(QLatin1Char('?'));
    if (q < 0)
        return address;
    // The query holds percent-encoded GBK bytes; decode them ourselves so a
    // Chinese folder name reads back as typed.
    const QByteArray query = address.mid(q + 1).toLatin1();
    for (const QByteArray& pair : query.split('&')) {
        if (pair.startsWith("File="))
            return gbk::decode(QByteArray::fromPercentEncoding(pair.mid(5)));
    }
    return address;
}

QString FailedPicturesMessage(const QStringList& names) {
    // One line per picture; the marker can still submit the paper with an
    // exception choice or call it back later.
    QString text = QStringLiteral("试卷图片下载失败:");
    for (const QString& name : names)
        text += QLatin1Char('\n') + name;
    text += QLatin1Char('\n') + QStringLiteral("未能显示的部分以空白代替。");
    return text;
}

} // namespace marking
