#include "PaperComposer.h"

#include "GbkText.h"
#include "HttpGet.h"
#include "PictureDecoder.h"
#include "ScoreTexts.h"

#include <QElapsedTimer>
#include <QPainter>

#include <cmath>
#include <memory>

namespace marking {

namespace {

const QString kAutoCut = QStringLiteral("自动");
const QString kFitZoom = QStringLiteral("适应大小");

QString TimingText(qint64 fetchMs, qint64 cutMs) {
    return QStringLiteral("提卷") + QString::number(fetchMs) + QStringLiteral("毫秒") +
           QStringLiteral("切割") + QString::number(cutMs) + QStringLiteral("毫秒");
}

} // namespace

PaperPlan PlanPaper(const QList<CutRegion>& cuts, bool autoCut, QList<PageSlot>& table,
                    int viewCount, const std::function<QString(int)>& pageAddress,
                    const std::function<QString(int)>& cutAddress, MissingView missing) {
    PaperPlan plan;
    // The fetch whose picture each page view holds in this paper.
    QList<int> heldBy(qMax(0, viewCount), -1);
    auto fetch = [&plan](const QString& address, int view) {
        plan.fetches.append(PaperPlan::Fetch{address, view});
        return int(plan.fetches.size()) - 1;
    };
    for (const CutRegion& r : cuts) {
        PaperPlan::Cut cut;
        cut.region = r;
        cut.wholePicture = !autoCut;
        const int s = FindPageSlot(table, r.Page);
        const bool haveView = s >= 0 && s < viewCount && s < table.size();
        if (haveView) {
            PageSlot& slot = table[s];
            cut.view = s;
            if (!autoCut) {
                cut.fetch = heldBy[s] = fetch(cutAddress(r.ImageNo), s);
                cut.fetchedHere = true;
            } else if (!slot.Loaded || slot.PageNumber != r.Page) {
                // Also when the slots run short and this one holds another
                // page: that page is fetched again, never shown for this one.
                cut.fetch = heldBy[s] = fetch(pageAddress(r.Page), s);
                cut.fetchedHere = true;
            } else {
                cut.fetch = heldBy[s]; // -1: what the view held already
            }
            slot = PageSlot{r.Page, true};
        } else if (missing == MissingView::FetchAnyway) {
            cut.fetch = fetch(autoCut ? pageAddress(r.Page) : cutAddress(r.ImageNo), -1);
            cut.fetchedHere = true;
        } else {
            cut.skipped = true;
        }
        plan.cuts.append(cut);
    }
    return plan;
}

QList<FetchedPicture> FetchPictures(IHttpGet& http, const QStringList& addresses) {
    QList<QByteArray> encoded;
    encoded.reserve(addresses.size());
    for (const QString& address : addresses)
        encoded.append(address.toLatin1());
    QList<FetchedPicture> pictures(addresses.size());
    QElapsedTimer clock;
    clock.start();
    // Each picture is decoded on a worker thread as it arrives, while the
    // others are still on their way.
    FetchedPicture* const out = pictures.data(); // no QList call on the workers
    http.getAll(encoded, {}, [&](int i, HttpResult& result) {
        FetchedPicture& picture = out[i];
        if (result.ok) {
            imaging::DecodedPicture decoded = imaging::DecodePicture(result.body);
            picture.ok = decoded.ok;
            picture.image = std::move(decoded.image); // what arrived, when cut short
            result.body.clear();
        }
        picture.elapsedMs = clock.elapsed();
    });
    return pictures;
}

ComposedPaper ComposePaper(const PaperPlan& plan, const QList<FetchedPicture>& pictures,
                           const std::function<QImage(int view)>& heldBefore) {
    ComposedPaper paper;
    ComposeOutcome& outcome = paper.outcome;
    auto reportFailure = [&outcome](const QString& address) {
        const QString name = PictureName(address);
        if (!outcome.failedPictures.contains(name))
            outcome.failedPictures.append(name);
    };

    // Each cut's source picture and rectangle, then the size of the whole,
    // so the answer image is allocated once. A piece without a source is a
    // white area of the rectangle's size.
    struct Piece {
        QImage source;
        QRect rect;
        qint64 fetchMs = 0;
    };
    QList<Piece> pieces;
    qint64 width = 0;
    qint64 height = 0;
    bool first = true;
    for (const PaperPlan::Cut& cut : plan.cuts) {
        if (cut.skipped)
            continue;
        Piece piece;
        const FetchedPicture* fetched =
            cut.fetch >= 0 && cut.fetch < pictures.size() ? &pictures[cut.fetch] : nullptr;
        if (fetched && cut.fetchedHere)
            piece.fetchMs = fetched->elapsedMs;
        if (fetched) {
            // A picture cut short still gives what arrived of it (white
            // below), and is named as failed all the same.
            piece.source = fetched->image;
            if (!fetched->ok && cut.fetchedHere && cut.fetch < plan.fetches.size())
                reportFailure(plan.fetches[cut.fetch].address);
        } else if (heldBefore && cut.view >= 0) {
            piece.source = heldBefore(cut.view);
        }
        const CutRegion& r = cut.region;
        if (!piece.source.isNull()) {
            const QSize size = piece.source.size();
            piece.rect = cut.wholePicture
                             ? imaging::ClampedSelection(size, 0, 0, size.width(), size.height())
                             : imaging::ClampedSelection(size, r.X1, r.Y1, r.X2, r.Y2);
        } else {
            // A white area of the cut's size keeps the regions below in their
            // places, and nothing of an earlier picture shows. The size is
            // kept inside the largest picture there can be, as a selection
            // on it would be, before anything is allocated.
            piece.rect = imaging::ClampedSelection(QSize(kLargestPictureSide, kLargestPictureSide),
                                                   r.X1, r.Y1, r.X2, r.Y2);
        }
        if (first) {
            width = piece.rect.width();
            height = piece.rect.height();
        } else if (!piece.rect.isEmpty()) {
            width = qMax(width, qint64(piece.rect.width()));
            height += piece.rect.height();
        }
        first = false;
        pieces.append(piece);
    }
    if (pieces.isEmpty())
        return paper;

    // Beyond what Qt would allocate for a picture the paper is not shown:
    // allocating it would take the machine's memory or fail.
    const qint64 lastFetchMs = pieces.last().fetchMs;
    if (width * height * 4 > imaging::PictureAllocationLimit()) {
        outcome.pictureTooLarge = kPictureTooLargeMessage;
        outcome.timingText = TimingText(lastFetchMs, 0);
        return paper;
    }

    QElapsedTimer clock;
    if (pieces.size() == 1 && !pieces.first().source.isNull()) {
        clock.start();
        const Piece& only = pieces.first();
        if (!only.rect.isEmpty())
            paper.image = only.source.copy(only.rect);
        outcome.timingText = TimingText(only.fetchMs, clock.elapsed());
        return paper;
    }
    QImage image(int(width), int(height), QImage::Format_RGB32);
    if (width > 0 && height > 0 && image.isNull()) {
        outcome.pictureTooLarge = kPictureTooLargeMessage;
        outcome.timingText = TimingText(lastFetchMs, 0);
        return paper;
    }
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    int y = 0;
    for (const Piece& piece : std::as_const(pieces)) {
        clock.start();
        if (!piece.rect.isEmpty()) {
            if (!piece.source.isNull())
                painter.drawImage(QPoint(0, y), piece.source, piece.rect);
            y += piece.rect.height();
        }
        outcome.timingText = TimingText(piece.fetchMs, clock.elapsed());
    }
    painter.end();
    paper.image = image;
    return paper;
}

ComposeOutcome ComposeAnswerImage(TPublicFuctionObject& state,
                                  const QList<imaging::ImageView*>& pageViews,
                                  imaging::ImageView& mainView) {
    return ComposeAnswerImage(state, state.Cuts, state.PageSlots, pageViews, mainView,
                              MissingView::FetchAnyway);
}

ComposeOutcome ComposeAnswerImage(TPublicFuctionObject& state, const QList<CutRegion>& cuts,
                                  QList<PageSlot>& table,
                                  const QList<imaging::ImageView*>& pageViews,
                                  imaging::ImageView& mainView, MissingView missing) {
    const PaperPlan plan = PlanPaper(
        cuts, state.CutMode == kAutoCut, table, int(pageViews.size()),
        [&state](int n) { return state.PageImageAddress(n); },
        [&state](int n) { return state.CutImageAddress(n); }, missing);
    QStringList addresses;
    for (const PaperPlan::Fetch& f : plan.fetches)
        addresses.append(f.address);
    // What the page views held before this paper, for cuts that reuse it.
    QList<QImage> held;
    for (imaging::ImageView* view : pageViews)
        held.append(view ? view->image() : QImage());

    const QList<FetchedPicture> pictures = FetchPictures(state.http(), addresses);
    for (int i = 0; i < plan.fetches.size(); ++i) {
        const int v = plan.fetches[i].view;
        if (v >= 0 && v < pageViews.size() && pageViews[v])
            pageViews[v]->setImage(pictures[i].image);
    }
    ComposedPaper paper = ComposePaper(plan, pictures, [&held](int view) {
        return view >= 0 && view < held.size() ? held[view] : QImage();
    });
    bool anyCut = false;
    for (const PaperPlan::Cut& cut : plan.cuts)
        anyCut = anyCut || !cut.skipped;
    if (anyCut)
        mainView.setImage(paper.image);
    return paper.outcome;
}

void ClearView(imaging::ImageView& view) {
    view.blank();
    view.layer().clear();
    view.layerChanged();
}

void MakeThumbnail(imaging::ImageView& mainView, imaging::ImageView& thumbnail) {
    const QImage image = mainView.image();
    const int w = image.width();
    const QRect top = imaging::ClampedSelection(image.size(), 0, 0, w, w);
    mainView.clearSelection();
    // The thumbnail shows the square at its own width: a copy scaled to that
    // (in device pixels) instead of a full-resolution one, which would keep
    // megabytes for a picture a few hundred pixels wide.
    const int target =
        int(std::ceil(thumbnail.maximumViewportSize().width() * thumbnail.devicePixelRatioF()));
    QImage square;
    if (!top.isEmpty()) {
        // The square is the picture's first rows: read in place, not copied.
        const QImage rows(image.constBits(), w, top.height(), image.bytesPerLine(), image.format());
        square = target > 0 && target < w ? rows.scaledToWidth(target, Qt::SmoothTransformation)
                                          : rows.copy();
    }
    thumbnail.setImage(square);
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
