#include "PageReplayer.h"

#include "PageDrawer.h"
#include "PageRecord.h"
#include "PageStore.h"

#include <QFile>
#include <array>
#include <cmath>
#include <optional>

namespace {

// Unit sizes beyond this many twips can only come from a damaged record.
constexpr double kMaxTwips = 1e6;
// Page files up to this size are read in one go; larger ones, damaged or
// not, a line at a time.
constexpr qint64 kWholePageBytes = 4 * 1024 * 1024;

// A number read from a record as an integer; out-of-range values (damage)
// become -1, which no alignment or shadow flag uses.
int wholeNumber(double value)
{
    return std::abs(value) < 1e6 ? int(value) : -1;
}

// A colour as 0xRRGGBB; nothing for a value no recorder writes.
std::optional<unsigned> colourValue(double value)
{
    if (value < 0 || value > 0xFFFFFF || value != std::floor(value))
        return std::nullopt;
    return unsigned(value);
}

} // namespace

PageReplayer::PageReplayer(PageStore& store, const PageStart& start)
    : m_store(store), m_start(start)
{
}

bool PageReplayer::replayLine(PageDrawer& drawer, QByteArrayView line)
{
    const PageRecord::FieldViews fields = PageRecord::splitFields(line);
    const int fieldCount = fields.count;
    const auto codeValue = PageRecord::numberField(fields.at[0]);
    if (!codeValue || *codeValue < 0 || *codeValue > 1000 || *codeValue != std::floor(*codeValue))
        return false;
    const int code = int(*codeValue);
    // Numbers of fields 1..count, or nothing when one is missing or damaged.
    constexpr int kMostNumbers = 6;
    std::array<double, kMostNumbers> numberValues{};
    auto numbers = [&](int count) -> const std::array<double, kMostNumbers>* {
        if (fieldCount <= count)
            return nullptr;
        for (int i = 1; i <= count; ++i) {
            const auto v = PageRecord::numberField(fields.at[i]);
            if (!v)
                return nullptr;
            numberValues[i - 1] = *v;
        }
        return &numberValues;
    };
    auto number = [&fields](int i) { return PageRecord::numberField(fields.at[i]); };
    auto textField = [&fields](int i) { return PageRecord::textField(fields.at[i]); };

    switch (code) {
    case PageRecord::State: {
        const auto units = numbers(2);
        if (!units || fieldCount < 8)
            return false;
        const auto size = number(4);
        const auto bold = number(5);
        const auto underline = number(6);
        const auto italic = number(7);
        if (!size || !bold || !underline || !italic)
            return false;
        if ((*units)[0] > 0 && (*units)[0] < kMaxTwips)
            drawer.UnitY = (*units)[0];
        if ((*units)[1] > 0 && (*units)[1] < kMaxTwips)
            drawer.UnitX = (*units)[1];
        const QString name = textField(3);
        if (!name.trimmed().isEmpty())
            drawer.SetFontName(name);
        if (*size != 0)
            drawer.SetFontSize(*size);
        drawer.SetFontBold(*bold != 0);
        drawer.SetFontUnderline(*underline != 0);
        drawer.SetFontItalic(*italic != 0);
        return true;
    }
    case PageRecord::FontName:
        if (fieldCount < 2)
            return false;
        drawer.SetFontName(textField(1));
        return true;
    case PageRecord::FontSize:
    case PageRecord::FontBold:
    case PageRecord::FontUnderline:
    case PageRecord::FontItalic: {
        const auto v = numbers(1);
        if (!v)
            return false;
        const double value = (*v)[0];
        if (code == PageRecord::FontSize)
            drawer.SetFontSize(value);
        else if (code == PageRecord::FontBold)
            drawer.SetFontBold(value != 0);
        else if (code == PageRecord::FontUnderline)
            drawer.SetFontUnderline(value != 0);
        else
            drawer.SetFontItalic(value != 0);
        return true;
    }
    case PageRecord::TextStyled: {
        const auto v = numbers(5);
        if (!v || fieldCount < 8)
            return false;
        drawer.PrintTextStyled((*v)[0], (*v)[1], (*v)[2], (*v)[3], wholeNumber((*v)[4]),
                               QString::fromUtf8(fields.at[6]).trimmed(), textField(7));
        return true;
    }
    case PageRecord::Text:
    case PageRecord::TextRight:
    case PageRecord::TextCentred: {
        const auto v = numbers(3);
        if (!v || fieldCount < 5)
            return false;
        drawer.PrintText((*v)[0], (*v)[1], (*v)[2], textField(4), code - PageRecord::Text);
        return true;
    }
    case PageRecord::Box: {
        const auto v = numbers(6);
        if (!v)
            return false;
        drawer.DrawBox((*v)[0], (*v)[1], (*v)[2], (*v)[3], (*v)[4], wholeNumber((*v)[5]));
        return true;
    }
    case PageRecord::HLine:
    case PageRecord::VLine: {
        const auto v = numbers(4);
        if (!v)
            return false;
        if (code == PageRecord::HLine)
            drawer.DrawHLine((*v)[0], (*v)[1], (*v)[2], (*v)[3]);
        else
            drawer.DrawVLine((*v)[0], (*v)[1], (*v)[2], (*v)[3]);
        return true;
    }
    case PageRecord::FilledBox: {
        const auto v = numbers(5);
        const auto colour = v ? colourValue((*v)[4]) : std::nullopt;
        if (!colour)
            return false;
        drawer.DrawFilledBox((*v)[0], (*v)[1], (*v)[2], (*v)[3], *colour);
        return true;
    }
    case PageRecord::ColouredLine: {
        const auto v = numbers(6);
        const auto colour = v ? colourValue((*v)[5]) : std::nullopt;
        if (!colour)
            return false;
        drawer.DrawColouredLine((*v)[0], (*v)[1], (*v)[2], (*v)[3], (*v)[4], *colour);
        return true;
    }
    case PageRecord::Image: {
        const auto v = numbers(4);
        if (!v || fieldCount < 6)
            return false;
        drawer.DrawImage((*v)[0], (*v)[1], (*v)[2], (*v)[3], textField(5));
        return true;
    }
    default:
        return false;
    }
}

bool PageReplayer::ReplayPage(int page, PageTarget& target, QString* error, int* skipped)
{
    if (skipped)
        *skipped = 0;
    const QString path = m_store.recordedPagePath(page);
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("Impossibile leggere la pagina %1 (%2).")
                         .arg(page + 1)
                         .arg(path.isEmpty() ? QStringLiteral("cartella temporanea") : path);
        return false;
    }

    // Every page starts from the document's units and font; the pages after
    // the first then set their own state.
    PageDrawer drawer(target);
    drawer.UnitY = m_start.unitY;
    drawer.UnitX = m_start.unitX;
    drawer.setFont(m_start.font);

    int bad = 0;
    auto replay = [&](QByteArrayView line) {
        while (!line.isEmpty() && (line.back() == '\n' || line.back() == '\r'))
            line.chop(1);
        if (!line.isEmpty() && !replayLine(drawer, line))
            ++bad;
    };
    // A line as long as this or longer is no record: it is skipped unread.
    const qint64 overlong = PageRecord::kMaxLineBytes;

    if (file.size() <= kWholePageBytes) {
        // A page is a few kilobytes: read at once, then cut into lines.
        const QByteArray data = file.readAll();
        QByteArrayView rest(data);
        while (!rest.isEmpty()) {
            const qsizetype end = rest.indexOf('\n');
            const QByteArrayView line = end < 0 ? rest : rest.first(end + 1);
            rest = rest.sliced(line.size());
            if (line.size() >= overlong)
                ++bad;
            else
                replay(line);
        }
    } else {
        // One buffer for every line: lines are short, and a fresh buffer of
        // the largest size per line would cost more than the drawing.
        QByteArray buffer(int(overlong), Qt::Uninitialized);
        while (!file.atEnd()) {
            const qint64 length = file.readLine(buffer.data(), buffer.size());
            if (length <= 0)
                break;
            const bool complete = buffer.at(length - 1) == '\n';
            if (!complete && !file.atEnd()) {
                ++bad;
                char c = 0;
                while (file.getChar(&c) && c != '\n') {
                }
                continue;
            }
            replay(QByteArrayView(buffer.constData(), length));
        }
    }
    if (skipped)
        *skipped = bad;
    return true;
}
