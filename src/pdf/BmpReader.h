#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace pdf {

// A Windows bitmap unpacked into the rows PdfWriter::LoadImgFromArray takes:
// bottom row first, without padding; 24-bit pixels as R, G, B (one gray byte
// when read as gray); 1, 4 and 8-bit pixels as packed palette indices with a
// palette of 2^bits entries of R, G, B (or one gray byte).
struct BmpImage
{
    std::vector<uint8_t> Data;
    std::vector<uint8_t> Palette;
    int32_t Width = 0;
    int32_t Height = 0;
    uint8_t BitsPerPixel = 0;
};

// Reads an uncompressed bottom-up 1, 4, 8 or 24-bit bitmap with a 40-byte
// information header. Anything else, and any file whose sizes or offsets do not
// fit its length, gives false and leaves image untouched.
bool readBmp(std::span<const uint8_t> file, bool gray, BmpImage& image);

// readBmp on the contents of a file; false as well when it cannot be read.
bool ReadBMPFile(const std::string& fileName, bool gray, BmpImage& image);

} // namespace pdf
