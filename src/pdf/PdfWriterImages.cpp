// Images and form objects (reusable drawings such as a letterhead).
#include "PdfWriter.h"

#include "Ascii85.h"
#include "BmpReader.h"
#include "PdfText.h"

namespace {

constexpr int32_t kEveryPage = 1 | 2 | 4;
constexpr int32_t kEvenPages = 2;
constexpr int32_t kOddPages = 4;
constexpr int32_t kNotFirstPage = 8;

} // namespace

bool PdfWriter::LoadImgFromBMPFile(const std::string& Name, const std::string& FileName, bool Gray)
{
    pdf::BmpImage image;
    if (!pdf::ReadBMPFile(FileName, Gray, image))
        return false;
    LoadImgFromArray(Name, image.Data, image.Palette, image.Width, image.Height, image.BitsPerPixel,
                     Gray);
    return true;
}

void PdfWriter::LoadImgFromArray(const std::string& Name, const std::vector<uint8_t>& Data,
                                 const std::vector<uint8_t>& Palette, int32_t Width, int32_t Height,
                                 uint8_t BitsPerPixel, bool Gray)
{
    const bool indexed = BitsPerPixel == 1 || BitsPerPixel == 4 || BitsPerPixel == 8;
    // Other depths have no colour space a reader could use.
    if (!indexed && BitsPerPixel != 24)
        return;
    const std::string name = pdf::toWinAnsi(Name);
    const std::string_view colourSpace = Gray ? "DeviceGray" : "DeviceRGB";

    const int32_t object = BeginIndirectObject(0);
    put("<<\r/Type /XObject\r/Subtype /Image\r/Name /");
    put(name);
    put("\r/Width ");
    put(std::to_string(Width));
    put("\r/Height ");
    put(std::to_string(Height));
    if (m_encodeAscii85)
        put("\r/Filter /ASCII85Decode");
    endRecord();
    if (indexed) {
        put("/BitsPerComponent ");
        put(std::to_string(BitsPerPixel));
        put("\r/ColorSpace [/Indexed /");
        put(colourSpace);
        put(" ");
        put(std::to_string((1 << BitsPerPixel) - 1));
        put(" ");
        put(std::to_string(object + 2));
        put(" 0 R]\r/Length ");
    } else {
        put("/BitsPerComponent 8\r/ColorSpace /");
        put(colourSpace);
        put("\r/Length ");
    }
    put(std::to_string(object + 1));
    put(" 0 R");
    endRecord();

    // The data follows "stream" after a full CR LF: after a lone CR a reader
    // takes a leading LF data byte for part of the line end. The length counts
    // the whole text, "~>" included, or readers miss the end of the stream.
    const auto streamText = [this](const std::vector<uint8_t>& bytes) {
        return m_encodeAscii85 ? pdf::ToASCII85(bytes) : std::string(bytes.begin(), bytes.end());
    };
    const auto writeStream = [this](std::string_view text) {
        put("stream\r\n");
        put(text);
        put("\rendstream");
        endRecord();
    };

    put(">>\r");
    const std::string dataText = streamText(Data);
    writeStream(dataText);
    WriteEndObj();
    registerResource(m_imageResources, m_xobjectNames, name, object);

    BeginIndirectObject(0);
    put(std::to_string(dataText.size()));
    endRecord();
    WriteEndObj();

    if (indexed) {
        const std::string paletteText = streamText(Palette);
        BeginIndirectObject(0);
        put("<<");
        if (m_encodeAscii85)
            put("/Filter /ASCII85Decode\r");
        put("/Length ");
        put(std::to_string(paletteText.size()));
        put(" >>\r");
        writeStream(paletteText);
        WriteEndObj();
    }
}

void PdfWriter::DrawImg(const std::string& Name, float X, float Y, float Width, float Height)
{
    put("q\r");
    putPoints(Width);
    // The matrix flips the picture, whose rows come bottom row first; a
    // negative height flips it back rather than printing "--".
    put("  0 0 ");
    const std::size_t heightAt = m_buffer.size();
    putPoints(Height);
    if (m_buffer[heightAt] == '-')
        m_buffer.erase(heightAt, 1);
    else
        m_buffer.insert(heightAt, 1, '-');
    put(" ");
    putPoints(X);
    put(" ");
    putPoints(Y);
    put(" cm\r/");
    pdf::toWinAnsi(Name, m_scratch);
    put(m_scratch);
    put(" Do\rQ");
    endRecord();
}

void PdfWriter::StartObject(const std::string& Name, int32_t Flags)
{
    const std::string name = pdf::toWinAnsi(Name);
    const int32_t object = BeginIndirectObject(0);
    put("<<\r/Type /XObject\r/Subtype /Form\r/FormType 1\r/Name /");
    put(name);
    put("\r/BBox [");
    putNumber(m_margin);
    put(" ");
    putNumber(m_margin);
    put(" ");
    putNumber(double{m_paperWidth} - m_margin);
    put(" ");
    putNumber(double{m_paperHeight} - m_margin);
    put("]\r/Matrix [1 0 0 1 0 0]\r/Length ");
    put(std::to_string(object + 1));
    put(" 0 R >>\rstream");
    endRecord();
    m_streamStart = position();
    if (!m_xobjectNames.contains(name))
        m_formObjects.push_back({Name, Flags});
    registerResource(m_formResources, m_xobjectNames, name, object);
}

void PdfWriter::EndObject()
{
    endStream();
}

void PdfWriter::DrawObject(const std::string& Name)
{
    put("/");
    pdf::toWinAnsi(Name, m_scratch);
    put(m_scratch);
    put(" Do");
    endRecord();
}

void PdfWriter::DrawAutoObjects()
{
    const int32_t page = m_pages;
    for (const FormObjectEntry& form : m_formObjects) {
        bool paint = false;
        if ((form.Flags & kEveryPage) == kEveryPage)
            paint = true;
        else if (page % 2 == 0)
            paint = (form.Flags & kEvenPages) != 0;
        else
            paint =
                (form.Flags & kOddPages) != 0 && !((form.Flags & kNotFirstPage) != 0 && page == 1);
        if (paint)
            DrawObject(form.Name);
    }
}
