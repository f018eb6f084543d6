#include "PdfWriter.h"

#include "PdfDate.h"
#include "PdfText.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

namespace {

constexpr int32_t kInfoObject = 1;
constexpr int32_t kCatalogObject = 2;
constexpr int32_t kPagesObject = 3;
constexpr int32_t kResourcesObject = 4;
constexpr std::size_t kFlushSize = 1 << 20;

struct PaperDimensions
{
    float width;
    float height;
};

constexpr PaperDimensions kPaperSizes[] = {
    {595.2f, 842.0f}, {842.0f, 1190.5f}, {612.0f, 792.0f}, {612.0f, 864.0f}};

void appendInteger(std::string& out, uint64_t value)
{
    char digits[24];
    out.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

} // namespace

PdfWriter::PdfWriter() = default;

PdfWriter::PdfWriter(std::string folderForGeneratedNames)
    : m_folder(std::move(folderForGeneratedNames))
{
}

PdfWriter::~PdfWriter()
{
    try {
        closeFile();
    } catch (...) {
        // A destructor cannot report a failed write; ClosePDFFile does.
    }
}

// ---- output ----

void PdfWriter::putNumber(double value)
{
    pdf::appendNumber(m_buffer, value);
}

void PdfWriter::endRecord()
{
    m_buffer += "\r\n";
    if (m_buffer.size() >= kFlushSize)
        flushBuffer();
}

void PdfWriter::WriteLine(std::string_view text)
{
    put(text);
    endRecord();
}

void PdfWriter::flushBuffer()
{
    // Without an open file the records have nowhere to go; they are dropped
    // rather than written through a null handle.
    const std::size_t size = m_buffer.size();
    if (m_file != nullptr && size > 0 && std::fwrite(m_buffer.data(), 1, size, m_file) != size) {
        const int error = errno;
        m_buffer.clear();
        throw std::system_error(error, std::generic_category(), "cannot write " + m_fileName);
    }
    m_flushed += size;
    m_buffer.clear();
}

void PdfWriter::closeFile()
{
    if (m_file == nullptr)
        return;
    std::FILE* file = m_file;
    int code = 0;
    try {
        flushBuffer();
    } catch (const std::system_error& e) {
        code = e.code().value();
    }
    m_file = nullptr;
    if (std::fclose(file) != 0 && code == 0)
        code = errno;
    if (code != 0)
        throw std::system_error(code, std::generic_category(), "cannot write " + m_fileName);
}

int32_t PdfWriter::BeginIndirectObject(int32_t number)
{
    if (number == 0)
        number = m_objectCount + 1;
    if (number > m_objectCount) {
        m_objectCount = number;
        m_xrefOffsets.resize(static_cast<std::size_t>(m_objectCount), 0);
    }
    m_xrefOffsets[static_cast<std::size_t>(number - 1)] = position();
    appendInteger(m_buffer, static_cast<uint64_t>(number));
    put(" 0 obj");
    endRecord();
    return number;
}

void PdfWriter::WriteEndObj()
{
    WriteLine("endobj");
}

bool PdfWriter::registerResource(std::string& entries, std::unordered_set<std::string>& names,
                                 const std::string& name, int32_t object)
{
    // A dictionary cannot hold a name twice; the first object loaded under a
    // name keeps it, as it does for measuring texts.
    if (!names.insert(name).second)
        return false;
    entries += '/';
    entries += name;
    entries += ' ';
    entries += std::to_string(object);
    entries += " 0 R \r";
    return true;
}

// ---- units ----

double PdfWriter::ToPoints(float value) const
{
    switch (m_scaleMode) {
    case 0:
        return value;
    case 1:
        return double{value} * 72;
    case 2:
        return double{value} * 72 / 25.4;
    case 3:
        return double{value} * 72 / 2.54;
    default:
        return 0;
    }
}

float PdfWriter::FromPoints(double value) const
{
    switch (m_scaleMode) {
    case 0:
        return static_cast<float>(value);
    case 1:
        return static_cast<float>(value / 72);
    case 2:
        return static_cast<float>(value / 72 * 25.4);
    case 3:
        return static_cast<float>(value / 72 * 2.54);
    default:
        return 0;
    }
}

// ---- properties ----

void PdfWriter::setTitle(const std::string& Value)
{
    m_title = Value;
}

void PdfWriter::setScaleMode(int32_t Value)
{
    m_scaleMode = Value;
}

void PdfWriter::setPaperSize(int32_t Value)
{
    m_paperSize = Value;
    if (Value >= 0 && Value < static_cast<int32_t>(std::size(kPaperSizes))) {
        m_paperWidth = kPaperSizes[Value].width;
        m_paperHeight = kPaperSizes[Value].height;
    }
}

void PdfWriter::setPaperWidth(float Value)
{
    m_paperSize = 255;
    m_paperWidth = static_cast<float>(ToPoints(Value));
}

void PdfWriter::setPaperHeight(float Value)
{
    m_paperSize = 255;
    m_paperHeight = static_cast<float>(ToPoints(Value));
}

void PdfWriter::setOrientation(int32_t Value)
{
    m_orientation = Value;
}

void PdfWriter::setMargin(float Value)
{
    m_margin = static_cast<float>(ToPoints(Value));
}

void PdfWriter::setEncodeASCII85(bool Value)
{
    m_encodeAscii85 = Value;
}

int32_t PdfWriter::Pages() const
{
    return m_pages;
}

// ---- file structure ----

std::string PdfWriter::generatedFileName() const
{
    const std::tm now = pdf::brokenDown(pdf::creationInstant());
    std::random_device device;
    const auto digit = std::uniform_int_distribution<int>(0, 9)(device);
    // Day of month, hhmmss and a random digit, read as one number.
    const uint64_t number =
        ((((static_cast<uint64_t>(now.tm_mday) * 100 + now.tm_hour) * 100 + now.tm_min) * 100 +
          now.tm_sec) *
         10) +
        static_cast<uint64_t>(digit);
    char hex[24];
    char* end = std::to_chars(hex, hex + sizeof hex, number, 16).ptr;
    std::string name = "~";
    for (char* c = hex; c != end; ++c)
        name += static_cast<char>(std::toupper(static_cast<unsigned char>(*c)));
    name += ".pdf";
    const std::filesystem::path folder =
        m_folder.empty() ? std::filesystem::current_path() : std::filesystem::path(m_folder);
    return (folder / name).string();
}

void PdfWriter::resetFileState()
{
    // One instance may write many files in turn: nothing of an earlier file may
    // leak into the next one's page tree or resources.
    m_scaleMode = 3;
    setPaperSize(0);
    m_orientation = 0;
    m_margin = 0;
    m_pages = 0;
    m_objectCount = 0;
    m_xrefOffsets.clear();
    m_streamStart = 0;
    m_kidsList.clear();
    m_fontResources.clear();
    m_imageResources.clear();
    m_formResources.clear();
    m_fontNames.clear();
    m_xobjectNames.clear();
    m_fontMetrics.clear();
    m_fontWidths.clear();
    m_fontIndex.clear();
    m_fontInUseValid = false;
    m_formObjects.clear();
    m_charSpacing = 0;
    m_wordSpacing = 0;
    m_horizontalScaling = 100;
    m_buffer.clear();
    m_flushed = 0;
}

void PdfWriter::InitPDFFile(std::string& FileName, std::string_view Title)
{
    // An unfinished earlier file is closed as it stands.
    closeFile();
    if (FileName.empty())
        FileName = generatedFileName();
    resetFileState();
    // Viewers show the title as their caption, and the file travels: the
    // folders of the machine that wrote it stay out of it.
    m_title = Title.empty() ? std::filesystem::path(FileName).stem().string() : std::string(Title);
    m_fileName = FileName;
    m_file = std::fopen(FileName.c_str(), "wb");
    if (m_file == nullptr)
        throw std::system_error(errno, std::generic_category(), "cannot create " + FileName);

    WriteLine("%PDF-1.3");

    BeginIndirectObject(kInfoObject);
    put("<<\r/Title (");
    pdf::toWinAnsi(m_title, m_scratch);
    pdf::appendEscaped(m_buffer, m_scratch);
    put(")\r/Author ()\r/Creator  (Falmide)\r/Producer ()\r/CreationDate (");
    put(pdf::pdfDate(pdf::creationInstant()));
    put(")\r>>");
    endRecord();
    WriteEndObj();

    BeginIndirectObject(kCatalogObject);
    WriteLine("<<\r/Type /Catalog\r/Pages 3 0 R\r/PageLayout /OneColumn\r/PageMode /UseNone\r"
              "/Lang (it) \r/ViewerPreferences << /HideToolbar false /DisplayDocTitle true "
              "/HideWindowUI false >>\r>>");
    WriteEndObj();

    m_objectCount = kResourcesObject;
    m_xrefOffsets.resize(kResourcesObject, 0);
}

int32_t PdfWriter::BeginPage()
{
    ++m_pages;
    const int32_t page = BeginIndirectObject(0);
    put("<<\r/Type /Page\r/Parent 3 0 R\r/Contents ");
    appendInteger(m_buffer, static_cast<uint64_t>(page) + 1);
    put(" 0 R\r>>");
    endRecord();
    WriteEndObj();
    appendInteger(m_kidsList, static_cast<uint64_t>(page));
    m_kidsList += " 0 R ";

    BeginIndirectObject(page + 1);
    put("<< /Length ");
    appendInteger(m_buffer, static_cast<uint64_t>(page) + 2);
    put(" 0 R >>\rstream");
    endRecord();
    m_streamStart = position();
    DrawAutoObjects();
    m_charSpacing = 0;
    m_wordSpacing = 0;
    m_horizontalScaling = 100;
    return m_pages;
}

void PdfWriter::endStream()
{
    const uint64_t length = position() - m_streamStart;
    WriteLine("endstream");
    WriteEndObj();
    BeginIndirectObject(0);
    appendInteger(m_buffer, length);
    endRecord();
    WriteEndObj();
}

void PdfWriter::EndPage()
{
    endStream();
}

void PdfWriter::ClosePDFFile()
{
    if (m_file == nullptr)
        return;

    BeginIndirectObject(kResourcesObject);
    put("<<\r");
    if (!m_fontResources.empty()) {
        put("/Font <<\r");
        put(m_fontResources);
        put(">>\r");
    }
    put("/ProcSet [/PDF /Text");
    if (!m_imageResources.empty())
        put(" /ImageB /ImageC /ImageI");
    put(" ]\r");
    if (!m_imageResources.empty() || !m_formResources.empty()) {
        put("/XObject <<\r");
        put(m_imageResources);
        put("\r");
        put(m_formResources);
        put(">>\r");
    }
    put(">>");
    endRecord();
    WriteEndObj();

    BeginIndirectObject(kPagesObject);
    put("<<\r/Type /Pages\r/Count ");
    appendInteger(m_buffer, static_cast<uint64_t>(m_pages));
    put("\r/MediaBox [0 0 ");
    putNumber(m_paperWidth);
    put(" ");
    putNumber(m_paperHeight);
    put("]\r/CropBox [");
    putNumber(m_margin);
    put(" ");
    putNumber(m_margin);
    put(" ");
    putNumber(double{m_paperWidth} - m_margin);
    put(" ");
    putNumber(double{m_paperHeight} - m_margin);
    put("]\r");
    if (m_orientation == 1)
        put("/Rotate 90");
    put("\r/Kids [");
    put(m_kidsList);
    put(" ]\r/Resources 4 0 R\r>>");
    endRecord();
    WriteEndObj();

    const uint64_t xrefOffset = position();
    WriteLine("xref");
    put("0 ");
    appendInteger(m_buffer, static_cast<uint64_t>(m_objectCount) + 1);
    endRecord();
    WriteLine("0000000000 65535 f");
    for (const uint64_t offset : m_xrefOffsets) {
        char entry[24];
        std::snprintf(entry, sizeof entry, "%010llu 00000 n",
                      static_cast<unsigned long long>(offset));
        WriteLine(entry);
    }
    put("trailer\r<<\r/Size ");
    appendInteger(m_buffer, static_cast<uint64_t>(m_objectCount) + 1);
    put("\r/Info 1 0 R\r/Root 2 0 R\r>>");
    endRecord();
    put("startxref\r");
    appendInteger(m_buffer, xrefOffset);
    endRecord();
    WriteLine("%%EOF\r");
    closeFile();
}
