#include "export/PngRowWriter.h"

#include "common/AtomicFile.h"

#include <bit>
#include <csetjmp>
#include <span>

namespace zubo {
namespace {

// libpng reports a failure by longjmp to the last setjmp. Each call runs
// under its own, and the frames it jumps over hold only plain data.
template <typename Call> bool guarded(png_structp png, Call&& call) {
    if (setjmp(png_jmpbuf(png)) != 0) {
        return false;
    }
    call();
    return true;
}

} // namespace

PngRowWriter::PngRowWriter(AtomicFile& file, int width, int height)
    : _file(file), _width(width), _height(height) {
    _png = png_create_write_struct(PNG_LIBPNG_VER_STRING, this, &PngRowWriter::onError,
                                   &PngRowWriter::onWarning);
    if (_png == nullptr) {
        _error = "not enough memory for the picture";
        return;
    }
    _info = png_create_info_struct(_png);
    if (_info == nullptr) {
        _error = "not enough memory for the picture";
        return;
    }
    png_set_write_fn(_png, this, &PngRowWriter::onWrite, &PngRowWriter::onFlush);
    _started = guarded(_png, [this] {
        png_set_IHDR(_png, _info, static_cast<png_uint_32>(_width),
                     static_cast<png_uint_32>(_height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(_png, _info);
        // Each pixel is the 32-bit word 0xffRRGGBB, in memory order.
        if constexpr (std::endian::native == std::endian::little) {
            png_set_bgr(_png);
            png_set_filler(_png, 0, PNG_FILLER_AFTER);
        } else {
            png_set_filler(_png, 0, PNG_FILLER_BEFORE);
        }
    });
}

PngRowWriter::~PngRowWriter() {
    if (_png != nullptr) {
        png_destroy_write_struct(&_png, _info != nullptr ? &_info : nullptr);
    }
}

void PngRowWriter::onError(png_structp png, png_const_charp message) {
    static_cast<PngRowWriter*>(png_get_error_ptr(png))->_error = message;
    png_longjmp(png, 1);
}

void PngRowWriter::onWarning(png_structp, png_const_charp) {}

void PngRowWriter::onWrite(png_structp png, png_bytep data, png_size_t length) {
    // A failed write stays with the file and is reported when the rows end;
    // libpng goes on without writing anything more.
    static_cast<PngRowWriter*>(png_get_io_ptr(png))->_file.write(std::span(data, length));
}

void PngRowWriter::onFlush(png_structp) {}

bool PngRowWriter::writeRows(std::span<const std::uint32_t> pixels) {
    const auto width = static_cast<std::size_t>(_width);
    if (!_started || !_error.empty() || !_file.error().empty() || width == 0 ||
        pixels.size() % width != 0) {
        return false;
    }
    const auto rows = static_cast<int>(pixels.size() / width);
    if (_rowsWritten + rows > _height) {
        return false;
    }
    const bool written = guarded(_png, [this, pixels, width, rows] {
        for (int y = 0; y < rows; ++y) {
            // libpng reads the row; its prototype is older than const.
            const std::uint32_t* row = pixels.data() + static_cast<std::size_t>(y) * width;
            png_write_row(_png, reinterpret_cast<png_const_bytep>(row));
        }
    });
    _rowsWritten += rows;
    return written && _file.error().empty();
}

bool PngRowWriter::finish() {
    if (!_started || !_error.empty() || _rowsWritten != _height) {
        return false;
    }
    return guarded(_png, [this] { png_write_end(_png, nullptr); }) && _file.error().empty();
}

} // namespace zubo
