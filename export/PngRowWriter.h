#pragma once

#include <png.h>

#include <cstdint>
#include <span>
#include <string>

namespace zubo {

class AtomicFile;

// Writes an opaque picture as PNG to an AtomicFile band by band, so that a
// picture of any size needs only one band of it in memory. Qt's image
// writer wants the whole picture at once. It knows pixels only, not images.
class PngRowWriter {
  public:
    PngRowWriter(AtomicFile& file, int width, int height);
    ~PngRowWriter();
    PngRowWriter(const PngRowWriter&) = delete;
    PngRowWriter& operator=(const PngRowWriter&) = delete;

    // The next rows, top down, each the picture's width of pixels held as
    // 32-bit words 0xffRRGGBB (as a Format_RGB32 image holds them).
    bool writeRows(std::span<const std::uint32_t> pixels);
    // Ends the PNG stream after the last row; false when rows are missing.
    bool finish();

    // libpng's reason for a failure; a failed write is the file's error.
    const std::string& error() const { return _error; }

  private:
    static void onError(png_structp png, png_const_charp message);
    static void onWarning(png_structp png, png_const_charp message);
    static void onWrite(png_structp png, png_bytep data, png_size_t length);
    static void onFlush(png_structp png);

    AtomicFile& _file;
    png_structp _png = nullptr;
    png_infop _info = nullptr;
    int _width;
    int _height;
    int _rowsWritten = 0;
    bool _started = false;
    std::string _error;
};

} // namespace zubo
