#include "JpegDecoder.h"

#include <QElapsedTimer>
#include <QImage>
#include <QSysInfo>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

// jpeglib.h needs size_t and FILE declared before it.
#include <jerror.h>
#include <jpeglib.h>

namespace imaging::detail {

namespace {

// libjpeg reports a fatal error by calling error_exit, which must not return:
// it jumps back to DecodeJpeg. Warnings come through emit_message; the one
// that matters is the end of the data before the end of the picture.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    bool cutShort = false;
    JDIMENSION rowsBeforeEnd = 0; // rows handed out before the data ended
};

[[noreturn]] void OnError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

void OnMessage(j_common_ptr info, int level) {
    auto* errors = reinterpret_cast<ErrorManager*>(info->err);
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF && !errors->cutShort) {
        errors->cutShort = true;
        // Every row handed out so far came from data that was there; the
        // decoder makes the rest from nothing (a grey area).
        errors->rowsBeforeEnd = reinterpret_cast<j_decompress_ptr>(info)->output_scanline;
    }
}

void Quiet(j_common_ptr) {}

bool LooksLikeJpeg(const QByteArray& bytes) {
    // Start of image, then the first marker.
    return bytes.size() >= 3 && uchar(bytes[0]) == 0xFF && uchar(bytes[1]) == 0xD8 &&
           uchar(bytes[2]) == 0xFF;
}

bool Placeable(J_COLOR_SPACE space) {
    return space == JCS_GRAYSCALE || space == JCS_YCbCr || space == JCS_RGB;
}

// QImage::Format_RGB32 is 0xffRRGGBB in native byte order.
constexpr J_COLOR_SPACE kRgb32 =
    QSysInfo::ByteOrder == QSysInfo::LittleEndian ? JCS_EXT_BGRA : JCS_EXT_ARGB;

void Prepare(jpeg_decompress_struct& info, ErrorManager& errors) {
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = OnError;
    errors.base.emit_message = OnMessage;
    errors.base.output_message = Quiet;
}

// Everything a decode touches lives here, on the heap: what is changed
// between setjmp and longjmp must not be an automatic variable of the frame
// that calls setjmp.
struct Decoding {
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    QImage image;
    bool foreign = false; // a colour space for Qt's reader
    bool tooLarge = false;
    bool ok = false;
};

// The part that may jump out: no object with a destructor may be alive in
// this frame while libjpeg runs.
void Run(Decoding* d, const QByteArray& bytes, qint64 allocationLimit) {
    jpeg_decompress_struct& info = d->info;
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    const bool grey = info.jpeg_color_space == JCS_GRAYSCALE;
    if (!Placeable(info.jpeg_color_space)) {
        d->foreign = true; // CMYK, YCCK: Qt's reader inverts Adobe's CMYK
        return;
    }
    const int bytesPerPixel = grey ? 1 : 4;
    if (qint64(info.image_width) * info.image_height * bytesPerPixel > allocationLimit) {
        d->tooLarge = true;
        return;
    }
    // The defaults Qt's reader decodes with, so the pixels are the same.
    info.dct_method = JDCT_ISLOW;
    info.do_fancy_upsampling = TRUE;
    info.out_color_space = grey ? JCS_GRAYSCALE : kRgb32;
    jpeg_start_decompress(&info);
    d->image = QImage(int(info.output_width), int(info.output_height),
                      grey ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
    if (d->image.isNull()) {
        d->tooLarge = true;
        jpeg_abort_decompress(&info);
        return;
    }
    uchar* const bits = d->image.bits();
    const qsizetype stride = d->image.bytesPerLine();
    JSAMPROW rows[16];
    while (info.output_scanline < info.output_height) {
        const JDIMENSION first = info.output_scanline;
        const JDIMENSION count = std::min<JDIMENSION>(16, info.output_height - first);
        for (JDIMENSION i = 0; i < count; ++i)
            rows[i] = bits + qsizetype(first + i) * stride;
        jpeg_read_scanlines(&info, rows, count);
    }
    jpeg_finish_decompress(&info);
}

// Rows from `row` down become white: what a failed part of a paper shows.
void WhitenFrom(QImage& image, int row) {
    for (int y = std::max(0, row); y < image.height(); ++y)
        std::fill_n(image.scanLine(y), image.bytesPerLine(), uchar(0xff));
}

} // namespace

std::optional<DecodedPicture> DecodeJpeg(const QByteArray& bytes, qint64 allocationLimit) {
    if (!LooksLikeJpeg(bytes))
        return std::nullopt;

    const auto decoding = std::make_unique<Decoding>();
    Decoding* const d = decoding.get();
    Prepare(d->info, d->errors);

    if (setjmp(d->errors.jump) == 0) {
        jpeg_create_decompress(&d->info);
        Run(d, bytes, allocationLimit);
        d->ok = !d->errors.cutShort && !d->tooLarge && !d->image.isNull();
        if (d->errors.cutShort)
            WhitenFrom(d->image, int(d->errors.rowsBeforeEnd));
    } else if (!d->image.isNull()) {
        // A fatal error part-way: the rows handed out before it stay.
        JDIMENSION good = d->info.output_scanline;
        if (d->errors.cutShort)
            good = std::min(good, d->errors.rowsBeforeEnd);
        WhitenFrom(d->image, int(good));
    }
    jpeg_destroy_decompress(&d->info);
    if (d->foreign)
        return std::nullopt;
    DecodedPicture picture;
    picture.ok = d->ok;
    if (!d->tooLarge)
        picture.image = std::move(d->image);
    return picture;
}

namespace {

// Rows and columns decoded around what the regions need: the upsampler
// takes chroma from neighbouring blocks, so a row or column at a skip or
// crop edge would not come out as in a whole decode.
constexpr int kContextMargin = 16;

struct RegionDecoding {
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    std::vector<uchar> row; // one decoded row of the cropped columns
    bool foreign = false;
    bool ok = false;
    QSize size;
};

struct Interval {
    int top;
    int bottom; // exclusive
};

void RunRegions(RegionDecoding* d, const QByteArray& bytes, QList<RegionPlacement>* regions,
                const std::vector<Interval>* wanted) {
    jpeg_decompress_struct& info = d->info;
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    if (!Placeable(info.jpeg_color_space)) {
        d->foreign = true;
        return;
    }
    info.dct_method = JDCT_ISLOW;
    info.do_fancy_upsampling = TRUE;
    info.out_color_space = kRgb32;
    jpeg_start_decompress(&info);

    const int width = int(info.output_width);
    int left = width;
    int right = 0;
    for (const RegionPlacement& r : *regions) {
        left = std::min(left, r.source.left());
        right = std::max(right, r.source.left() + r.source.width());
    }
    left = std::max(0, left - kContextMargin);
    right = std::min(width, right + kContextMargin);
    JDIMENSION xOffset = JDIMENSION(left);
    JDIMENSION cropped = JDIMENSION(right - left);
    if (left > 0 || right < width)
        jpeg_crop_scanline(&info, &xOffset, &cropped); // widened to whole blocks
    d->row.resize(size_t(info.output_width) * 4);
    JSAMPROW rowPointer = d->row.data();

    QElapsedTimer clock;
    for (const Interval& span : *wanted) {
        const int start = std::max(0, span.top - kContextMargin);
        if (JDIMENSION(start) > info.output_scanline)
            jpeg_skip_scanlines(&info, JDIMENSION(start) - info.output_scanline);
        while (int(info.output_scanline) < span.bottom) {
            const int y = int(info.output_scanline);
            clock.start();
            jpeg_read_scanlines(&info, &rowPointer, 1);
            // Regions overlapping on the picture each take the row; its time
            // goes to the first.
            RegionPlacement* timed = nullptr;
            for (RegionPlacement& r : *regions) {
                if (y < r.source.top() || y >= r.source.top() + r.source.height())
                    continue;
                std::memcpy(r.target + qsizetype(y - r.source.top()) * r.stride,
                            d->row.data() + size_t(r.source.left() - int(xOffset)) * 4,
                            size_t(r.source.width()) * 4);
                if (!timed)
                    timed = &r;
            }
            if (timed)
                timed->decodeNs += clock.nsecsElapsed();
        }
    }
    if (info.output_scanline < info.output_height) {
        // The rest is not needed, but a picture whose data stops before its
        // end marker is a picture cut short all the same.
        // (A progressive picture has been read to its end already.)
        const unsigned char* rest = info.src->next_input_byte;
        const size_t left = info.src->bytes_in_buffer;
        bool end = jpeg_input_complete(&info);
        for (size_t i = 0; i + 1 < left && !end; ++i)
            end = rest[i] == 0xFF && rest[i + 1] == 0xD9;
        if (!end && !d->errors.cutShort) {
            d->errors.cutShort = true;
            d->errors.rowsBeforeEnd = info.output_scanline;
        }
        jpeg_abort_decompress(&info);
    } else {
        jpeg_finish_decompress(&info);
    }
}

// Region rows from picture row `row` down become white.
void WhitenRegionsFrom(QList<RegionPlacement>& regions, int row) {
    for (RegionPlacement& r : regions) {
        for (int y = std::max(row, r.source.top()); y < r.source.top() + r.source.height(); ++y)
            std::memset(r.target + qsizetype(y - r.source.top()) * r.stride, 0xFF,
                        size_t(r.source.width()) * 4);
    }
}

} // namespace

std::optional<QSize> JpegSize(const QByteArray& bytes) {
    if (!LooksLikeJpeg(bytes))
        return std::nullopt;
    const auto session = std::make_unique<RegionDecoding>();
    RegionDecoding* const d = session.get();
    Prepare(d->info, d->errors);
    if (setjmp(d->errors.jump) == 0) {
        jpeg_create_decompress(&d->info);
        jpeg_mem_src(&d->info, reinterpret_cast<const unsigned char*>(bytes.constData()),
                     static_cast<unsigned long>(bytes.size()));
        jpeg_read_header(&d->info, TRUE);
        if (Placeable(d->info.jpeg_color_space) && d->info.image_width > 0 &&
            d->info.image_height > 0)
            d->size = QSize(int(d->info.image_width), int(d->info.image_height));
    }
    jpeg_destroy_decompress(&d->info);
    if (d->size.isEmpty())
        return std::nullopt;
    return d->size;
}

bool DecodeJpegInto(const QByteArray& bytes, QList<RegionPlacement>& regions) {
    if (regions.isEmpty())
        return true;
    // The rows wanted, in order, overlapping spans merged.
    std::vector<Interval> wanted;
    for (const RegionPlacement& r : regions)
        wanted.push_back({r.source.top(), r.source.top() + r.source.height()});
    std::sort(wanted.begin(), wanted.end(),
              [](const Interval& a, const Interval& b) { return a.top < b.top; });
    std::vector<Interval> merged;
    for (const Interval& i : wanted) {
        if (!merged.empty() && i.top <= merged.back().bottom + 2 * kContextMargin)
            merged.back().bottom = std::max(merged.back().bottom, i.bottom);
        else
            merged.push_back(i);
    }

    const auto session = std::make_unique<RegionDecoding>();
    RegionDecoding* const d = session.get();
    Prepare(d->info, d->errors);
    if (setjmp(d->errors.jump) == 0) {
        jpeg_create_decompress(&d->info);
        if (LooksLikeJpeg(bytes))
            RunRegions(d, bytes, &regions, &merged);
        else
            d->foreign = true;
        d->ok = !d->errors.cutShort && !d->foreign;
        if (d->errors.cutShort)
            WhitenRegionsFrom(regions, int(d->errors.rowsBeforeEnd));
        else if (d->foreign)
            WhitenRegionsFrom(regions, 0);
    } else {
        // A fatal error part-way: the rows handed out before it stay.
        JDIMENSION good = d->info.output_scanline;
        if (d->errors.cutShort)
            good = std::min(good, d->errors.rowsBeforeEnd);
        WhitenRegionsFrom(regions, int(good));
    }
    jpeg_destroy_decompress(&d->info);
    return d->ok;
}

} // namespace imaging::detail
