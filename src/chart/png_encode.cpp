#include "png_encode.h"

#include "chart/helper_threads.h"

#include <png.h>
#include <zlib.h>

#include <QThread>
#include <QtEndian>

#include <algorithm>
#include <atomic>
#include <semaphore>
#include <vector>

namespace chart {

QByteArray encodePng(const QImage& image, bool keepAlpha) {
    const QImage pixels =
        image.convertToFormat(keepAlpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = png_uint_32(pixels.width());
    png.height = png_uint_32(pixels.height());
    png.format = keepAlpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    png.flags = PNG_IMAGE_FLAG_FAST;
    // Room for the worst case, so that it is written in one pass.
    png_alloc_size_t size = PNG_IMAGE_PNG_SIZE_MAX(png);
    QByteArray out(qsizetype(size), Qt::Uninitialized);
    if (pixels.isNull() ||
        !png_image_write_to_memory(&png, out.data(), &size, 0, pixels.constBits(),
                                   png_int_32(pixels.bytesPerLine()), nullptr))
        return QByteArray();
    out.truncate(qsizetype(size));
    return out;
}

namespace {

// The picture is compressed in bands, each a run of rows that does not look
// back into the one before, by as many threads as there are; every band but
// the last ends on a byte boundary, so that their bytes make one deflate
// stream as they are. A fixed number of bands keeps the file the same on
// every machine.
constexpr int BandCount = 8;

struct Band {
    int top = 0, bottom = 0;
    uLong length = 0; // its rows' bytes, filter bytes included
    QByteArray deflated;
    uLong adler = 1;
    bool ok = false;
};

// A band's rows, each led by its filter byte (none) and converted one at a
// time, so that no copy of the picture is made.
void deflateBand(z_stream& z, const QImage& opaque, Band& band, bool last) {
    const int width = opaque.width();
    std::vector<Bytef> row(size_t(width) * 3 + 1, 0);
    band.deflated.resize(qsizetype(deflateBound(&z, band.length)) + 16);
    z.next_out = reinterpret_cast<Bytef*>(band.deflated.data());
    z.avail_out = uInt(band.deflated.size());
    int result = Z_OK;
    for (int y = band.top; y < band.bottom && result == Z_OK; ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(opaque.constScanLine(y));
        Bytef* to = row.data() + 1;
        for (int x = 0; x < width; ++x) {
            *to++ = Bytef(qRed(from[x]));
            *to++ = Bytef(qGreen(from[x]));
            *to++ = Bytef(qBlue(from[x]));
        }
        band.adler = adler32_z(band.adler, row.data(), row.size());
        z.next_in = row.data();
        z.avail_in = uInt(row.size());
        result = deflate(&z, y + 1 < band.bottom ? Z_NO_FLUSH : last ? Z_FINISH : Z_SYNC_FLUSH);
    }
    band.ok = z.avail_in == 0 && (last ? result == Z_STREAM_END : result == Z_OK);
    band.deflated.truncate(qsizetype(z.total_out));
}

// Takes bands until none is left; one compressor, reset for each.
void deflateBands(const QImage& opaque, std::vector<Band>& bands, std::atomic<int>& next) {
    z_stream z{};
    // The fastest compression, over the whole window: a screenshot is for
    // looking at, and comes out 4 % larger than at level 3, sooner.
    if (deflateInit2(&z, 1, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return;
    for (int i = next++; i < int(bands.size()); i = next++) {
        deflateReset(&z);
        deflateBand(z, opaque, bands[size_t(i)], i + 1 == int(bands.size()));
    }
    deflateEnd(&z);
}

// A chunk is its data's length, its type, its data and a check over the
// type and data. Begun and ended apart, so that a large chunk's data is
// written straight into the file's bytes.
qsizetype beginChunk(QByteArray& png, const char* type, qsizetype length) {
    char bytes[4];
    qToBigEndian(quint32(length), bytes);
    png.append(bytes, 4);
    const qsizetype start = png.size();
    png.append(type, 4);
    return start;
}

void endChunk(QByteArray& png, qsizetype start) {
    char crc[4];
    qToBigEndian(quint32(crc32_z(0, reinterpret_cast<const Bytef*>(png.constData() + start),
                                 size_t(png.size() - start))),
                 crc);
    png.append(crc, 4);
}

void appendChunk(QByteArray& png, const char* type, const QByteArray& data) {
    const qsizetype start = beginChunk(png, type, data.size());
    png.append(data);
    endChunk(png, start);
}

} // namespace

QByteArray encodePngInBands(const QImage& image) {
    // Any alpha is dropped as it is by a conversion to RGB888.
    const QImage opaque = image.convertToFormat(QImage::Format_RGB32);
    if (opaque.isNull())
        return QByteArray();
    const int h = opaque.height();
    std::vector<Band> bands(size_t(std::min(BandCount, h)));
    for (size_t i = 0; i < bands.size(); ++i) {
        bands[i].top = int(qsizetype(h) * qsizetype(i) / qsizetype(bands.size()));
        bands[i].bottom = int(qsizetype(h) * qsizetype(i + 1) / qsizetype(bands.size()));
        bands[i].length = uLong(bands[i].bottom - bands[i].top) * uLong(opaque.width() * 3 + 1);
    }
    std::atomic<int> next{0};
    std::counting_semaphore<> finished(0);
    int helpers = 0;
    // As many helpers as can be had, to the cores but this one: fewer do it.
    while (helpers + 1 < std::min(QThread::idealThreadCount(), int(bands.size())) &&
           runBeside([&opaque, &bands, &next, &finished] {
               deflateBands(opaque, bands, next);
               finished.release();
           }))
        ++helpers;
    deflateBands(opaque, bands, next);
    for (int i = 0; i < helpers; ++i)
        finished.acquire();

    // The bands are copied once, into the file: its size is known first.
    qsizetype idatLength = 2 + 4; // the stream's header and its check
    for (const Band& band : bands) {
        if (!band.ok)
            return QByteArray();
        idatLength += band.deflated.size();
    }
    QByteArray header(13, '\0');
    qToBigEndian(quint32(opaque.width()), header.data());
    qToBigEndian(quint32(h), header.data() + 4);
    header[8] = 8; // bits per channel
    header[9] = 2; // truecolour, no alpha
    QByteArray png;
    png.reserve(8 + (12 + 13) + (12 + 1) + (12 + idatLength) + 12);
    png.append("\x89PNG\r\n\x1a\n", 8);
    appendChunk(png, "IHDR", header);
    appendChunk(png, "sRGB", QByteArray(1, '\0')); // perceptual, as encodePng marks it
    const qsizetype idat = beginChunk(png, "IDAT", idatLength);
    png.append("\x78\x01", 2); // deflate with a 32K window, the fastest level
    uLong adler = 1;
    for (const Band& band : bands) {
        png.append(band.deflated);
        adler = adler32_combine(adler, band.adler, z_off_t(band.length));
    }
    char adlerBytes[4];
    qToBigEndian(quint32(adler), adlerBytes);
    png.append(adlerBytes, 4);
    endChunk(png, idat);
    appendChunk(png, "IEND", QByteArray());
    return png;
}

} // namespace chart
