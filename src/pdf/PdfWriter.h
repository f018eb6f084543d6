#pragma once

#include "PdfFontMetrics.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// Writes PDF 1.3 files front to back: every object goes to the file the moment
// it is made; only the page tree, the shared resources and the cross-reference
// table wait for ClosePDFFile. Strings are UTF-8 and are written as
// Windows-1252. Lengths are in the unit chosen by setScaleMode (0 points,
// 1 inches, 2 millimetres, 3 centimetres). Failing to create or write the file
// throws std::system_error.
class PdfWriter
{
public:
    PdfWriter();
    explicit PdfWriter(std::string folderForGeneratedNames); // default: current directory
    ~PdfWriter();
    PdfWriter(const PdfWriter&) = delete;
    PdfWriter& operator=(const PdfWriter&) = delete;

    // file structure
    // Title empty: the file's name without folders and extension.
    void InitPDFFile(std::string& FileName, std::string_view Title = {});
    int32_t BeginPage();
    void EndPage();
    void ClosePDFFile();
    // properties (write-only except Pages)
    void setTitle(const std::string& Value);
    void setScaleMode(int32_t Value);
    void setPaperSize(int32_t Value);
    void setPaperWidth(float Value);
    void setPaperHeight(float Value);
    void setOrientation(int32_t Value);
    void setMargin(float Value);
    void setEncodeASCII85(bool Value);
    int32_t Pages() const;
    // page content
    void SetWordSpacing(float Value);
    void SetCharSpacing(float Value);
    void SetTextHorizontalScaling(float Value);
    void SetTextRenderingMode(float Mode);
    void DrawText(float& X, float Y, const std::string& Text, const std::string& FontName,
                  float FontSize, int32_t Align, float Rotation);
    void SetColorStroke(int32_t Color);
    void SetColorFill(int32_t Color);
    void SetDash(float DashOn, float DashOff);
    void SetLineWidth(float Width);
    void SetLineCap(int16_t Cap);
    void SetLineJoin(int16_t Join);
    void SetMiterLimit(float Limit);
    void MoveTo(float X, float Y);
    void LineTo(float X, float Y, uint8_t Style);
    void Curve(float X1, float Y1, float X2, float Y2, float X3, float Y3, uint8_t Style);
    void Rectangle(float X, float Y, float Width, float Height, uint8_t Style, float& Radius);
    void DrawCircle(float X, float Y, float R, uint8_t Style);
    void Arc(float X, float Y, float R, float StartAngle, float EndAngle, float Ratio, bool& Pie,
             float Rotation, int16_t Step, uint8_t Style);
    // fonts
    void LoadFontStandard(const std::string& Name, std::string& BaseFont, int32_t Style);
    void LoadFont(const std::string& Name, std::string& FontName, int32_t Style);
    float Length(const std::string& Text, const std::string& FontName, float FontSize);
    // The widths of the font loaded under Name, or nullptr; valid until the
    // next font is loaded.
    const pdf::FontMetric* LoadedFont(const std::string& Name) const;
    // images and form objects
    bool LoadImgFromBMPFile(const std::string& Name, const std::string& FileName, bool Gray);
    void LoadImgFromArray(const std::string& Name, const std::vector<uint8_t>& Data,
                          const std::vector<uint8_t>& Palette, int32_t Width, int32_t Height,
                          uint8_t BitsPerPixel, bool Gray);
    void DrawImg(const std::string& Name, float X, float Y, float Width, float Height);
    void StartObject(const std::string& Name, int32_t Flags);
    void EndObject();
    void DrawObject(const std::string& Name);

private:
    struct FormObjectEntry
    {
        std::string Name;
        int32_t Flags = 0;
    };
    using WidthTable = std::array<int32_t, 256>; // by Windows-1252 byte
    static constexpr std::size_t kNoFont = static_cast<std::size_t>(-1);
    // A font name as the drawing calls give it, its resource name and the
    // index of its metrics (kNoFont when none was loaded under it).
    struct FontUse
    {
        std::string name;
        std::string resourceName;
        std::size_t metric = kNoFont;
    };

    // Output: records are gathered in m_buffer and handed to the file in large blocks.
    void put(std::string_view text) { m_buffer.append(text); }
    void putNumber(double value);
    void putPoints(float value) { putNumber(ToPoints(value)); }
    void endRecord();
    void WriteLine(std::string_view text);
    void flushBuffer();
    void closeFile();
    uint64_t position() const { return m_flushed + m_buffer.size(); }

    int32_t BeginIndirectObject(int32_t number);
    void WriteEndObj();
    void endStream();
    void resetFileState();
    std::string generatedFileName() const;

    double ToPoints(float value) const;
    float FromPoints(double value) const;
    float measure(std::string_view winAnsiText, const WidthTable& widths, float fontSize) const;
    const FontUse& fontInUse(const std::string& name);
    void PaintPath(uint8_t style);
    void setColor(int32_t color, std::string_view rgbOperator, std::string_view grayOperator);
    void DrawAutoObjects();
    bool registerResource(std::string& entries, std::unordered_set<std::string>& names,
                          const std::string& name, int32_t object);

    std::string m_folder;
    std::FILE* m_file = nullptr;
    std::string m_fileName;
    std::string m_buffer;
    uint64_t m_flushed = 0;

    std::string m_title = "(senza titolo)";
    int32_t m_scaleMode = 0;
    int32_t m_paperSize = 0;
    float m_paperWidth = 595.2f;
    float m_paperHeight = 842.0f;
    int32_t m_orientation = 0;
    float m_margin = 0.0f;
    bool m_encodeAscii85 = false;
    int32_t m_pages = 0; // a 16-bit count would wrap on a long report

    int32_t m_objectCount = 0;
    std::vector<uint64_t> m_xrefOffsets; // file offset of object n at n - 1
    uint64_t m_streamStart = 0;
    std::string m_kidsList;
    std::string m_fontResources;
    std::string m_imageResources;
    std::string m_formResources;
    std::unordered_set<std::string> m_fontNames;
    std::unordered_set<std::string> m_xobjectNames; // images and form objects share one dictionary
    std::vector<pdf::FontMetric> m_fontMetrics;
    std::vector<WidthTable> m_fontWidths; // of m_fontMetrics, index for index
    std::unordered_map<std::string, std::size_t>
        m_fontIndex; // converted resource name -> m_fontMetrics
    std::vector<FormObjectEntry> m_formObjects;

    float m_charSpacing = 0.0f;
    float m_wordSpacing = 0.0f;
    float m_horizontalScaling = 100.0f;

    std::string m_scratch; // reused for converted texts
    // Texts come in runs of one font: the last font looked up is kept.
    FontUse m_fontInUse;
    bool m_fontInUseValid = false;
};
