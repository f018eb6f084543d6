// libFuzzer harness for the BMP reader, which takes files from outside the
// program. Accepted pictures must come out with sizes that match their header.
#include "Ascii85.h"
#include "BmpReader.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    for (const bool gray : {false, true}) {
        pdf::BmpImage image;
        if (!pdf::readBmp({data, size}, gray, image))
            continue;
        const std::size_t width = static_cast<std::size_t>(image.Width);
        const std::size_t height = static_cast<std::size_t>(image.Height);
        const std::size_t bits = image.BitsPerPixel;
        const std::size_t components = gray ? 1 : 3;
        const std::size_t expectedData =
            bits == 24 ? width * height * components : (width * bits + 7) / 8 * height;
        const std::size_t expectedPalette = bits <= 8 ? (std::size_t{1} << bits) * components : 0;
        if (image.Data.size() != expectedData || image.Palette.size() != expectedPalette ||
            image.Data.size() > size * 3)
            std::abort();
        const std::string text = pdf::ToASCII85(image.Data);
        if (text.size() < 2 || text.compare(text.size() - 2, 2, "~>") != 0)
            std::abort();
    }
    return 0;
}
