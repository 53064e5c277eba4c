#include "PaperComposer.h"

#include "GbkText.h"
#include "HttpGet.h"
#include "PictureDecoder.h"
#include "ScoreTexts.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QSemaphore>
#include <QThreadPool>

#include <cmath>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

namespace marking {

namespace {

const QString kAutoCut = QStringLiteral("自动");
const QString kFitZoom = QStringLiteral("适应大小");

QString TimingText(qint64 fetchMs, qint64 cutMs) {
    return QStringLiteral("提卷") + QString::number(fetchMs) + QStringLiteral("毫秒") +
           QStringLiteral("切割") + QString::number(cutMs) + QStringLiteral("毫秒");
}

// A fetched picture as the composition takes it: decoded, or the bytes of a
// JPEG whose cuts are decoded straight into the answer image.
struct Source {
    QImage image;
    QByteArray jpeg;
    QSize size;         // of the picture; empty when nothing can be taken from it
    bool whole = false; // fetched, and decoded whole (a JPEG: so far)
    qint64 readyMs = 0;
};

Source FromPicture(const FetchedPicture& picture) {
    return Source{picture.image, {}, picture.image.size(), picture.ok, picture.elapsedMs};
}

// Runs the jobs at the same time, one on this thread and the others on the
// global thread pool, and returns when all are done.
void RunTogether(const std::vector<std::function<void()>>& jobs) {
    if (jobs.empty())
        return;
    QSemaphore done;
    for (size_t i = 1; i < jobs.size(); ++i) {
        QThreadPool::globalInstance()->start([&jobs, &done, i] {
            jobs[i]();
            done.release();
        });
    }
    jobs[0]();
    done.acquire(int(jobs.size()) - 1);
}

// The answer image of a plan from one source per fetch; `canvas` is a
// picture whose memory may be used again when it has the answer's size.
ComposedPaper Build(const PaperPlan& plan, QList<Source>& sources,
                    const std::function<QImage(int view)>& heldBefore, QImage canvas) {
    ComposedPaper paper;
    ComposeOutcome& outcome = paper.outcome;

    // Each cut's source and rectangle, then the size of the whole, so the
    // answer image is allocated once. A piece without a source is a white
    // area of the rectangle's size.
    struct Piece {
        const Source* source = nullptr;
        int fetch = -1; // reported under this fetch's name when it failed
        QRect rect;
        int top = 0; // in the answer image
        qint64 fetchMs = 0;
        qint64 cutNs = 0;
    };
    QList<Source> held; // pictures page views held before this paper
    held.reserve(plan.cuts.size());
    QList<Piece> pieces;
    qint64 width = 0;
    qint64 height = 0;
    bool first = true;
    for (const PaperPlan::Cut& cut : plan.cuts) {
        if (cut.skipped)
            continue;
        Piece piece;
        if (cut.fetch >= 0 && cut.fetch < sources.size()) {
            piece.source = &sources[cut.fetch];
            if (cut.fetchedHere) {
                piece.fetch = cut.fetch;
                piece.fetchMs = piece.source->readyMs;
            }
        } else if (heldBefore && cut.view >= 0) {
            const QImage image = heldBefore(cut.view);
            held.append(Source{image, {}, image.size(), true, 0});
            piece.source = &held.last();
        }
        const CutRegion& r = cut.region;
        const QSize size = piece.source ? piece.source->size : QSize();
        if (!size.isEmpty()) {
            piece.rect = cut.wholePicture
                             ? imaging::ClampedSelection(size, 0, 0, size.width(), size.height())
                             : imaging::ClampedSelection(size, r.X1, r.Y1, r.X2, r.Y2);
        } else {
            // A white area of the cut's size keeps the regions below in their
            // places, and nothing of an earlier picture shows. The size is
            // kept inside the largest picture there can be, as a selection
            // on it would be, before anything is allocated.
            piece.source = nullptr;
            piece.rect = imaging::ClampedSelection(QSize(kLargestPictureSide, kLargestPictureSide),
                                                   r.X1, r.Y1, r.X2, r.Y2);
        }
        piece.top = int(height);
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

    // Failed pictures, each once, in the order of the cuts that fetched them.
    std::vector<char> decodedWhole(sources.size(), 1);
    const auto reportFailures = [&] {
        for (const Piece& piece : std::as_const(pieces)) {
            if (piece.fetch < 0 || piece.fetch >= plan.fetches.size())
                continue;
            if (sources[piece.fetch].whole && decodedWhole[std::size_t(piece.fetch)])
                continue;
            const QString name = PictureName(plan.fetches[piece.fetch].address);
            if (!outcome.failedPictures.contains(name))
                outcome.failedPictures.append(name);
        }
    };

    // Beyond what Qt would allocate for a picture the paper is not shown:
    // allocating it would take the machine's memory or fail.
    const qint64 lastFetchMs = pieces.last().fetchMs;
    const auto tooLarge = [&] {
        reportFailures();
        outcome.pictureTooLarge = kPictureTooLargeMessage;
        outcome.timingText = TimingText(lastFetchMs, 0);
        return paper;
    };
    if (width * height * 4 > imaging::PictureAllocationLimit())
        return tooLarge();
    const QSize total{int(width), int(height)};
    if (canvas.size() != total || canvas.format() != QImage::Format_RGB32 || !canvas.isDetached())
        canvas = QImage(total, QImage::Format_RGB32);
    if (!total.isEmpty() && canvas.isNull())
        return tooLarge();

    // White where no picture comes: beside narrower pieces and for white
    // pieces; every other pixel is written once, by its piece.
    uchar* const bits = total.isEmpty() ? nullptr : canvas.bits();
    const qsizetype stride = canvas.bytesPerLine();
    for (const Piece& piece : std::as_const(pieces)) {
        const int covered = piece.source ? piece.rect.width() : 0;
        for (int y = piece.top; y < piece.top + piece.rect.height(); ++y)
            std::memset(bits + y * stride + qsizetype(covered) * 4, 0xFF,
                        size_t(total.width() - covered) * 4);
    }

    // Decoded pictures are copied; JPEG cuts are decoded in place, each
    // picture on a thread of its own.
    std::vector<QList<imaging::RegionPlacement>> placements(sources.size());
    for (int k = 0; k < pieces.size(); ++k) {
        Piece& piece = pieces[k];
        if (!piece.source || piece.rect.isEmpty())
            continue;
        uchar* target = bits + piece.top * stride;
        if (!piece.source->jpeg.isEmpty()) {
            const auto index = std::size_t(piece.source - sources.constData());
            placements[index].append({piece.rect, target, stride});
            continue;
        }
        QElapsedTimer clock;
        clock.start();
        const QImage& image = piece.source->image;
        if (image.format() == QImage::Format_RGB32) {
            for (int y = 0; y < piece.rect.height(); ++y)
                std::memcpy(target + y * stride,
                            image.constScanLine(piece.rect.y() + y) + piece.rect.x() * 4,
                            size_t(piece.rect.width()) * 4);
        } else {
            QPainter painter(&canvas);
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.drawImage(QPoint(0, piece.top), image, piece.rect);
        }
        piece.cutNs = clock.nsecsElapsed();
    }
    std::vector<std::function<void()>> jobs;
    for (std::size_t i = 0; i < placements.size(); ++i) {
        if (!placements[i].isEmpty())
            jobs.push_back([&, i] {
                decodedWhole[i] = imaging::DecodeJpegRegions(sources[i].jpeg, placements[i]);
            });
    }
    RunTogether(jobs);
    // The decode times back to their pieces, in the order they were placed.
    std::vector<int> next(sources.size(), 0);
    for (Piece& piece : pieces) {
        if (!piece.source || piece.rect.isEmpty() || piece.source->jpeg.isEmpty())
            continue;
        const auto index = std::size_t(piece.source - sources.constData());
        piece.cutNs = placements[index][next[index]++].decodeNs;
    }

    reportFailures();
    const Piece& last = pieces.last();
    outcome.timingText = TimingText(last.fetchMs, last.cutNs / 1000000);
    paper.image = canvas;
    return paper;
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
    QList<Source> sources;
    sources.reserve(pictures.size());
    for (const FetchedPicture& picture : pictures)
        sources.append(FromPicture(picture));
    return Build(plan, sources, heldBefore, QImage());
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
    // A page view without a picture cannot give its page again: its page is
    // fetched anew when a cut asks for it.
    for (int s = 0; s < table.size() && s < pageViews.size(); ++s) {
        if (!pageViews[s] || !pageViews[s]->hasPicture())
            table[s].Loaded = false;
    }
    const PaperPlan plan = PlanPaper(
        cuts, state.CutMode == kAutoCut, table, int(pageViews.size()),
        [&state](int n) { return state.PageImageAddress(n); },
        [&state](int n) { return state.CutImageAddress(n); }, missing);
    QList<QByteArray> addresses;
    for (const PaperPlan::Fetch& f : plan.fetches)
        addresses.append(f.address.toLatin1());
    // What the page views held before this paper, for cuts that reuse it.
    QList<QImage> held;
    for (imaging::ImageView* view : pageViews)
        held.append(view ? view->image() : QImage());

    // As each picture arrives, a worker reads a JPEG's header (its cuts are
    // decoded straight into the answer image once all sizes are known) or
    // decodes anything else whole.
    QList<Source> sources(addresses.size());
    Source* const out = sources.data(); // no QList call on the workers
    QElapsedTimer clock;
    clock.start();
    state.http().getAll(addresses, {}, [&](int i, HttpResult& result) {
        Source& source = out[i];
        if (result.ok) {
            if (const std::optional<QSize> size = imaging::PlaceableJpegSize(result.body)) {
                source.jpeg = std::move(result.body);
                source.size = *size;
                source.whole = true;
            } else {
                imaging::DecodedPicture decoded = imaging::DecodePicture(result.body);
                source.image = std::move(decoded.image); // what arrived, when cut short
                source.size = source.image.size();
                source.whole = decoded.ok;
            }
            result.body.clear();
        }
        source.readyMs = clock.elapsed();
    });

    bool anyCut = false;
    for (const PaperPlan::Cut& cut : plan.cuts)
        anyCut = anyCut || !cut.skipped;
    // The answer image goes into the memory of the one it replaces when the
    // size is the same (nothing paints between here and the new picture).
    QImage previous;
    if (anyCut) {
        previous = mainView.image();
        mainView.setImage(QImage());
    }
    ComposedPaper paper = Build(
        plan, sources,
        [&held](int view) { return view >= 0 && view < held.size() ? held[view] : QImage(); },
        std::move(previous));
    // Each page view holds what was decoded of its page: a picture decoded
    // whole, or nothing when its cuts went straight into the answer image.
    for (int i = 0; i < plan.fetches.size(); ++i) {
        const int v = plan.fetches[i].view;
        if (v >= 0 && v < pageViews.size() && pageViews[v])
            pageViews[v]->setImage(sources[i].image);
    }
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
        if (target > 0 && target < w) {
            // Smooth scaling reads every source pixel; a quick pass down to
            // a few times the width first gives the same look in a fraction
            // of the time.
            const QImage reduced =
                w > 4 * target ? rows.scaledToWidth(4 * target, Qt::FastTransformation) : rows;
            square = reduced.scaledToWidth(target, Qt::SmoothTransformation);
        } else {
            square = rows.copy();
        }
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

QStringList ComposeMessages(const ComposeOutcome& outcome) {
    QStringList messages;
    if (!outcome.failedPictures.isEmpty())
        messages.append(FailedPicturesMessage(outcome.failedPictures));
    if (!outcome.pictureTooLarge.isEmpty())
        messages.append(outcome.pictureTooLarge);
    return messages;
}

} // namespace marking
