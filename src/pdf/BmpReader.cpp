#include "BmpReader.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace pdf {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::size_t kPaletteStart = kFileHeaderSize + kInfoHeaderSize;

uint32_t readU16(std::span<const uint8_t> bytes, std::size_t at)
{
    return bytes[at] | (uint32_t{bytes[at + 1]} << 8);
}

uint32_t readU32(std::span<const uint8_t> bytes, std::size_t at)
{
    return readU16(bytes, at) | (readU16(bytes, at + 2) << 16);
}

uint8_t grayOf(uint8_t red, uint8_t green, uint8_t blue)
{
    const double level = 0.33 * red + 0.59 * green + 0.11 * blue;
    return static_cast<uint8_t>(std::min(255.0, level));
}

} // namespace

bool readBmp(std::span<const uint8_t> file, bool gray, BmpImage& image)
{
    if (file.size() < kPaletteStart || file[0] != 'B' || file[1] != 'M')
        return false;
    const uint64_t pixelOffset = readU32(file, 10);
    const uint32_t headerSize = readU32(file, 14);
    const auto width = static_cast<int32_t>(readU32(file, 18));
    const auto height = static_cast<int32_t>(readU32(file, 22));
    const uint32_t bits = readU16(file, 28);
    const uint32_t compression = readU32(file, 30);
    const uint32_t coloursUsed = readU32(file, 46);
    // A negative height marks a top-down bitmap, which the row order below cannot show.
    if (headerSize != kInfoHeaderSize || compression != 0 || width <= 0 || height <= 0)
        return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24)
        return false;

    // The palette always has 2^bits entries; a file may store fewer (its
    // colours-used count) and the rest stay black.
    const std::size_t components = gray ? 1 : 3;
    std::vector<uint8_t> palette;
    std::size_t paletteEnd = kPaletteStart;
    if (bits <= 8) {
        const uint32_t entries = 1u << bits;
        const uint32_t stored = coloursUsed > 0 && coloursUsed < entries ? coloursUsed : entries;
        paletteEnd += std::size_t{stored} * 4;
        if (paletteEnd > file.size())
            return false;
        palette.assign(std::size_t{entries} * components, 0);
        for (uint32_t i = 0; i < stored; ++i) {
            const std::size_t at = kPaletteStart + std::size_t{i} * 4;
            const uint8_t blue = file[at];
            const uint8_t green = file[at + 1];
            const uint8_t red = file[at + 2];
            if (gray) {
                palette[i] = grayOf(red, green, blue);
            } else {
                palette[i * 3] = red;
                palette[i * 3 + 1] = green;
                palette[i * 3 + 2] = blue;
            }
        }
    }

    // Rows are padded to whole 32-bit words.
    const uint64_t stride = (uint64_t{bits} * static_cast<uint64_t>(width) + 31) / 32 * 4;
    if (pixelOffset < paletteEnd || pixelOffset > file.size())
        return false;
    const uint64_t available = file.size() - pixelOffset;
    if (stride > available / static_cast<uint64_t>(height))
        return false;

    const auto rows = static_cast<std::size_t>(height);
    const auto columns = static_cast<std::size_t>(width);
    std::vector<uint8_t> data;
    if (bits <= 8) {
        const std::size_t rowBytes = (columns * bits + 7) / 8;
        data.resize(rowBytes * rows);
        for (std::size_t row = 0; row < rows; ++row) {
            const auto source =
                file.begin() + static_cast<std::ptrdiff_t>(pixelOffset + row * stride);
            std::copy_n(source, rowBytes,
                        data.begin() + static_cast<std::ptrdiff_t>(row * rowBytes));
        }
    } else {
        data.resize(columns * rows * components);
        auto target = data.begin();
        for (std::size_t row = 0; row < rows; ++row) {
            std::size_t at = pixelOffset + row * stride;
            for (std::size_t column = 0; column < columns; ++column, at += 3) {
                const uint8_t blue = file[at];
                const uint8_t green = file[at + 1];
                const uint8_t red = file[at + 2];
                if (gray) {
                    *target++ = grayOf(red, green, blue);
                } else {
                    *target++ = red;
                    *target++ = green;
                    *target++ = blue;
                }
            }
        }
    }

    image.Data = std::move(data);
    image.Palette = std::move(palette);
    image.Width = width;
    image.Height = height;
    image.BitsPerPixel = static_cast<uint8_t>(bits);
    return true;
}

bool ReadBMPFile(const std::string& fileName, bool gray, BmpImage& image)
{
    // Only a regular file's length is known before reading, and it bounds every
    // allocation the reader makes.
    std::error_code error;
    if (!std::filesystem::is_regular_file(fileName, error))
        return false;
    const auto size = std::filesystem::file_size(fileName, error);
    if (error)
        return false;
    std::ifstream stream(fileName, std::ios::binary);
    if (!stream)
        return false;
    std::vector<uint8_t> bytes(static_cast<std::size_t>(size));
    stream.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (stream.gcount() != static_cast<std::streamsize>(bytes.size()))
        return false;
    return readBmp(bytes, gray, image);
}

} // namespace pdf
