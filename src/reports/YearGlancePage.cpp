#include "YearGlancePage.h"

#include "Clock.h"
#include "GlancePalette.h"
#include "PageRecorder.h"
#include "YearGlance.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kTwipsPerMillimetre = 56.7;
constexpr double kLeft = 15;
constexpr double kRight = 195;
constexpr double kRule = 4; // the width of the heading's rules, as the period reports'

// The monthly chart: the plot's box, the left scale's labels end before it,
// the right scale's begin after it.
constexpr double kPlotLeft = 30;
constexpr double kPlotRight = 180;
constexpr double kPlotTop = 40;
constexpr double kPlotBottom = 115;
constexpr double kSlot = (kPlotRight - kPlotLeft) / 12;
constexpr double kCumulatedWidth = 16;
constexpr double kMarker = 0.7; // half the side of a running total's point
constexpr double kGridWidth = 1;
constexpr unsigned kGrid = 0xD9D9D9;

// Table rows below the chart; a bar spans the middle of its row.
constexpr double kRowHeight = 6;
constexpr double kBarTop = 0.7;
constexpr double kBarBottom = 3.3;

// Positions are kept to a hundredth of a millimetre, which keeps the page
// file readable.
double at(double millimetres)
{
    return std::round(millimetres * 100) / 100;
}

double euro(const Money& amount)
{
    return double(amount.cents().value_or(0)) / 100;
}

// An amount of a scale's label: whole euro without their decimals.
QString scaleText(double euroValue)
{
    if (euroValue == 0)
        return QStringLiteral("0");
    QString text = Money::fromCents(qint64(std::llround(euroValue * 100))).printText();
    if (text.endsWith(QLatin1String(",00")))
        text.chop(3);
    return text;
}

// A step of 1, 2, 2.5 or 5 times a power of ten that divides span into
// about `parts` parts; a euro at the least.
double niceStep(double span, int parts)
{
    const double raw = span / parts;
    if (!(raw > 1))
        return 1;
    const double power = std::pow(10, std::floor(std::log10(raw)));
    for (const double m : {1.0, 2.0, 2.5, 5.0})
        if (m * power >= raw)
            return m * power;
    return 10 * power;
}

// One scale of the monthly chart: `below` steps under zero and `above`
// steps over it.
struct Scale
{
    double step = 1;
    int below = 0;
    int above = 0;

    static Scale over(double low, double high)
    {
        Scale s;
        low = std::min(low, 0.0);
        high = std::max(high, 0.0);
        if (high - low <= 0) {
            s.step = 200;
            s.above = 5;
            return s;
        }
        s.step = niceStep(high - low, 5);
        s.below = int(std::ceil(-low / s.step - 1e-9));
        s.above = int(std::ceil(high / s.step - 1e-9));
        return s;
    }
};

class GlancePage
{
public:
    GlancePage(PageRecorder& recorder, const YearGlance& glance) : e(recorder), g(glance) {}

    void draw();

private:
    void heading();
    void monthlyChart();
    void legend(double row);
    void ageing(double row);
    void withholding(double row);
    void topClients(double row);

    void font(double size, bool bold);
    // A bar of a table row, as long against `longest` as amount is.
    void bar(double row, double left, double room, double amount, double longest, unsigned colour);
    double tableHead(double row, double left, double ruleEnd, const QString& title,
                     const QString& first, std::initializer_list<std::pair<double, QString>> right);
    double rowOf(double value, double step) const;

    PageRecorder& e;
    const YearGlance& g;
    Scale m_scale;
    double m_cumulatedStep = 1;
    double m_stepHeight = 1;
};

void GlancePage::font(double size, bool bold)
{
    e.SetFontSize(size);
    e.SetFontBold(bold);
}

void GlancePage::draw()
{
    e.UnitY = kTwipsPerMillimetre;
    e.UnitX = kTwipsPerMillimetre;
    e.SetFontName(QStringLiteral("Arial"));
    e.SetFontItalic(false);
    e.SetFontUnderline(false);
    heading();
    monthlyChart();
    legend(123);
    ageing(133);
    withholding(181);
    topClients(181);
}

void GlancePage::heading()
{
    e.DrawHLine(15, kLeft, kRight, kRule);
    font(14, true);
    e.PrintText(18, kLeft, 0, yearGlanceTitle(g.year));
    font(8, false);
    e.PrintTextRight(19.5, kRight, 0,
                     QStringLiteral("DATA ") + Clock::today().toString(QStringLiteral("d/M/yyyy")));
    e.DrawHLine(26, kLeft, kRight, kRule);
}

double GlancePage::rowOf(double value, double step) const
{
    const double zero = kPlotBottom - m_scale.below * m_stepHeight;
    return at(zero - value / step * m_stepHeight);
}

void GlancePage::monthlyChart()
{
    const bool empty = g.documents == 0;
    double low = 0, high = 0, lowTotal = 0, highTotal = 0;
    if (!empty) {
        for (int m = 0; m < 12; ++m) {
            for (const Money& fee : {g.fees[std::size_t(m)], g.previousFees[std::size_t(m)]}) {
                low = std::min(low, euro(fee));
                high = std::max(high, euro(fee));
            }
            for (const bool previous : {false, true}) {
                lowTotal = std::min(lowTotal, euro(g.cumulated(m + 1, previous)));
                highTotal = std::max(highTotal, euro(g.cumulated(m + 1, previous)));
            }
        }
    }
    // Both scales share their zero and their grid: each gets as many steps
    // below and above zero as the one that needs more.
    m_scale = Scale::over(low, high);
    const Scale totals = Scale::over(lowTotal, highTotal);
    m_scale.below = std::max(m_scale.below, totals.below);
    m_scale.above = std::max(m_scale.above, totals.above);
    m_cumulatedStep = totals.step;
    const int steps = m_scale.below + m_scale.above;
    m_stepHeight = (kPlotBottom - kPlotTop) / steps;

    font(10, true);
    e.PrintText(30, kLeft, 0, QStringLiteral("Compensi per mese"));
    font(7, false);
    e.PrintTextRight(35, kPlotLeft - 1.5, 0, QStringLiteral("euro"));
    e.PrintText(35, kPlotRight + 1.5, 0, QStringLiteral("cumulato"));
    for (int i = -m_scale.below; i <= m_scale.above; ++i) {
        const double row = rowOf(i * m_scale.step, m_scale.step);
        if (i != 0)
            e.DrawColouredLine(row, kPlotLeft, row, kPlotRight, kGridWidth, kGrid);
        e.PrintTextRight(at(row - 1.3), kPlotLeft - 1.5, 0, scaleText(i * m_scale.step));
        e.PrintText(at(row - 1.3), kPlotRight + 1.5, 0, scaleText(i * m_cumulatedStep));
    }
    e.DrawBox(kPlotTop, kPlotLeft, kPlotBottom, kPlotRight, kRule, 0);
    for (int m = 0; m < 12; ++m)
        e.PrintTextCentred(kPlotBottom + 1.5, at(kPlotLeft + (m + 0.5) * kSlot), 0,
                           shortMonthName(m + 1));

    if (empty) {
        e.DrawHLine(rowOf(0, m_scale.step), kPlotLeft, kPlotRight, kRule);
        font(11, false);
        e.PrintTextCentred(at((kPlotTop + kPlotBottom) / 2 - 2), (kPlotLeft + kPlotRight) / 2, 0,
                           yearGlanceEmptyText(g.year));
        return;
    }
    const double zero = rowOf(0, m_scale.step);
    for (int m = 0; m < 12; ++m) {
        const double slot = kPlotLeft + m * kSlot;
        const struct
        {
            Money fee;
            double left;
            unsigned colour;
        } bars[] = {{g.previousFees[std::size_t(m)], slot + 2, GlancePalette::kPreviousYear},
                    {g.fees[std::size_t(m)], slot + kSlot / 2, GlancePalette::kYear}};
        for (const auto& b : bars)
            if (!b.fee.isZero())
                e.DrawFilledBox(std::min(zero, rowOf(euro(b.fee), m_scale.step)), at(b.left),
                                std::max(zero, rowOf(euro(b.fee), m_scale.step)),
                                at(b.left + kSlot / 2 - 2), b.colour);
    }
    // The zero line over the bars, which start from it.
    e.DrawHLine(zero, kPlotLeft, kPlotRight, kRule);
    for (const bool previous : {true, false}) {
        const unsigned colour =
            previous ? GlancePalette::kPreviousCumulated : GlancePalette::kCumulated;
        double lastRow = 0, lastCol = 0;
        for (int m = 0; m < 12; ++m) {
            const double row = rowOf(euro(g.cumulated(m + 1, previous)), m_cumulatedStep);
            const double col = at(kPlotLeft + (m + 0.5) * kSlot);
            if (m > 0)
                e.DrawColouredLine(lastRow, lastCol, row, col, kCumulatedWidth, colour);
            e.DrawFilledBox(at(row - kMarker), at(col - kMarker), at(row + kMarker),
                            at(col + kMarker), colour);
            lastRow = row;
            lastCol = col;
        }
    }
}

void GlancePage::legend(double row)
{
    font(8, false);
    const QString year = QString::number(g.year);
    const QString previous = QString::number(g.year - 1);
    double col = kPlotLeft;
    for (const auto& [colour, text] : {std::pair{GlancePalette::kYear, year},
                                       std::pair{GlancePalette::kPreviousYear, previous}}) {
        e.DrawFilledBox(row + kBarTop, col, row + kBarBottom, col + 4, colour);
        e.PrintText(row, col + 5, 0, QStringLiteral("Compensi ") + text);
        col += 38;
    }
    for (const auto& [colour, text] : {std::pair{GlancePalette::kCumulated, year},
                                       std::pair{GlancePalette::kPreviousCumulated, previous}}) {
        e.DrawColouredLine(row + 2, col, row + 2, col + 4, kCumulatedWidth, colour);
        e.PrintText(row, col + 5, 0, QStringLiteral("Cumulato ") + text);
        col += 38;
    }
}

void GlancePage::bar(double row, double left, double room, double amount, double longest,
                     unsigned colour)
{
    if (amount <= 0 || longest <= 0)
        return;
    e.DrawFilledBox(row + kBarTop, left, row + kBarBottom, at(left + room * amount / longest),
                    colour);
}

double GlancePage::tableHead(double row, double left, double ruleEnd, const QString& title,
                             const QString& first,
                             std::initializer_list<std::pair<double, QString>> right)
{
    font(10, true);
    e.PrintText(row, left, 0, title);
    row += kRowHeight;
    font(9, true);
    e.PrintText(row, left, 0, first);
    for (const auto& [at, heading] : right)
        e.PrintTextRight(row, at, 0, heading);
    e.DrawHLine(row + 4.5, left, ruleEnd, kRule);
    font(9, false);
    return row;
}

void GlancePage::ageing(double row)
{
    row = tableHead(row, kLeft, kRight, QStringLiteral("Fatture non pagate per anzianità"),
                    QStringLiteral("Giorni dalla fattura"),
                    {{70, QStringLiteral("Fatture")}, {100, QStringLiteral("Importo")}});
    double longest = 0;
    for (const AgeBucket& b : g.unpaid)
        longest = std::max(longest, euro(b.amount));
    int count = 0;
    Money total;
    for (std::size_t i = 0; i < g.unpaid.size(); ++i) {
        const AgeBucket& b = g.unpaid[i];
        row += kRowHeight;
        e.PrintText(row, kLeft, 0,
                    b.toDays < 0 ? QStringLiteral("oltre %1").arg(b.fromDays - 1)
                                 : QStringLiteral("%1 - %2").arg(b.fromDays).arg(b.toDays));
        e.PrintTextRight(row, 70, 0, QString::number(b.count));
        e.PrintTextRight(row, 100, 0, b.amount.groupedText().replace(QLatin1Char('.'), ','));
        bar(row, 105, kRight - 105, euro(b.amount), longest, GlancePalette::kAges[i]);
        count += b.count;
        total += b.amount;
    }
    e.DrawHLine(row + 5, kLeft, 100, kRule);
    row += kRowHeight;
    font(9, true);
    e.PrintText(row, kLeft, 0, QStringLiteral("Totale"));
    e.PrintTextRight(row, 70, 0, QString::number(count));
    e.PrintTextRight(row, 100, 0, total.groupedText().replace(QLatin1Char('.'), ','));
}

void GlancePage::withholding(double row)
{
    row = tableHead(row, kLeft, 95, QStringLiteral("Ritenute d'acconto per anno"),
                    QStringLiteral("Anno"), {{60, QStringLiteral("Ritenute")}});
    // The same years as the window's chart.
    const QVector<int> years = withholdingYears(g);
    double longest = 0;
    for (const int year : years)
        longest = std::max(longest, euro(g.withholding.value(year)));
    for (const int year : years) {
        row += kRowHeight;
        const Money amount = g.withholding.value(year);
        e.SetFontBold(year == g.year);
        e.PrintText(row, kLeft, 0, QString::number(year));
        e.PrintTextRight(row, 60, 0, amount.groupedText().replace(QLatin1Char('.'), ','));
        bar(row, 63, 32, euro(amount), longest, GlancePalette::kWithholding);
    }
    e.SetFontBold(false);
}

void GlancePage::topClients(double row)
{
    constexpr double kNameAt = 105;
    constexpr double kFeeAt = 167;
    row = tableHead(row, kNameAt, kRight, QStringLiteral("I dieci clienti con più compensi"),
                    QStringLiteral("Cliente"), {{kFeeAt, QStringLiteral("Compensi")}});
    double longest = 0;
    for (const ClientFees& c : g.topClients)
        longest = std::max(longest, euro(c.fee));
    for (const ClientFees& c : g.topClients) {
        row += kRowHeight;
        const QString name = c.name.trimmed().isEmpty() ? c.code.trimmed() : c.name.trimmed();
        // The amount's room is kept: a long name is cut before it.
        e.PrintText(row, kNameAt, kFeeAt - 24 - kNameAt, name);
        e.PrintTextRight(row, kFeeAt, 0, c.fee.groupedText().replace(QLatin1Char('.'), ','));
        bar(row, kFeeAt + 3, kRight - kFeeAt - 3, euro(c.fee), longest, GlancePalette::kClients);
    }
}

} // namespace

void StampaAndamento(PageRecorder& recorder, const YearGlance& glance)
{
    GlancePage(recorder, glance).draw();
}

QString yearGlanceEmptyText(int year)
{
    return QStringLiteral("Nessuna fattura nel %1.").arg(year);
}

QString yearGlanceTitle(int year)
{
    return QStringLiteral("Andamento %1").arg(year);
}

QString yearGlancePdfPath(const QString& archiveFolder, int year)
{
    return archiveFolder + QStringLiteral("/Stampe/") + yearGlanceTitle(year) +
           QStringLiteral(".pdf");
}
