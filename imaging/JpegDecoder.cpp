#include "JpegDecoder.h"

#include <QImage>
#include <QSysInfo>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <memory>

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

// Everything a decode touches lives here, on the heap: what is changed
// between setjmp and longjmp must not be an automatic variable of the frame
// that calls setjmp.
struct Decoding {
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    QImage image;
    bool foreign = false; // a colour space for Qt's reader
    bool tooLarge = false;
};

// The part that may jump out: no object with a destructor may be alive in
// this frame while libjpeg runs.
void Run(Decoding* d, const QByteArray& bytes, qint64 allocationLimit) {
    jpeg_decompress_struct& info = d->info;
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    const bool grey = info.jpeg_color_space == JCS_GRAYSCALE;
    if (!grey && info.jpeg_color_space != JCS_YCbCr && info.jpeg_color_space != JCS_RGB) {
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
    // QImage::Format_RGB32 is 0xffRRGGBB in native byte order.
    info.out_color_space =
        grey ? JCS_GRAYSCALE
             : (QSysInfo::ByteOrder == QSysInfo::LittleEndian ? JCS_EXT_BGRA : JCS_EXT_ARGB);
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
    // Start of image, then the first marker.
    if (bytes.size() < 3 || uchar(bytes[0]) != 0xFF || uchar(bytes[1]) != 0xD8 ||
        uchar(bytes[2]) != 0xFF)
        return std::nullopt;

    const auto decoding = std::make_unique<Decoding>();
    Decoding* const d = decoding.get();
    d->info.err = jpeg_std_error(&d->errors.base);
    d->errors.base.error_exit = OnError;
    d->errors.base.emit_message = OnMessage;
    d->errors.base.output_message = Quiet;

    DecodedPicture picture;
    if (setjmp(d->errors.jump) == 0) {
        jpeg_create_decompress(&d->info);
        Run(d, bytes, allocationLimit);
        picture.ok = !d->errors.cutShort && !d->tooLarge && !d->image.isNull();
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
    if (!d->tooLarge)
        picture.image = std::move(d->image);
    return picture;
}

} // namespace imaging::detail
