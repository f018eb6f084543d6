#include "PeriodReportLayout.h"

#include "Clock.h"
#include "PageRecorder.h"

#include <vector>

namespace {

constexpr int kName = 2;
constexpr int kFirstAmount = 3;
// The least room between two texts of a line, in columns.
constexpr double kGap = 0.5;
constexpr double kLastLineRow = 80; // a line that would follow row 81 goes to a new page

// dd/MM/yyyy, as QDate::toString writes it, in one string: a report writes
// one or two dates on each of a hundred thousand lines.
QString dateText(const QDate& date)
{
    int year = 0, month = 0, day = 0;
    date.getDate(&year, &month, &day);
    if (!date.isValid())
        return {};
    if (year < 1 || year > 9999)
        return date.toString(QStringLiteral("dd/MM/yyyy"));
    const char16_t text[] = {char16_t(u'0' + day / 10),
                             char16_t(u'0' + day % 10),
                             u'/',
                             char16_t(u'0' + month / 10),
                             char16_t(u'0' + month % 10),
                             u'/',
                             char16_t(u'0' + year / 1000),
                             char16_t(u'0' + year / 100 % 10),
                             char16_t(u'0' + year / 10 % 10),
                             char16_t(u'0' + year % 10)};
    return QString(reinterpret_cast<const QChar*>(text), 10);
}

class ReportPages
{
public:
    ReportPages(PageRecorder& recorder, const PeriodReportKind& kind, QString period)
        : e(recorder), m_kind(kind), m_period(std::move(period)),
          m_totals(qsizetype(kind.amounts.size()))
    {
    }

    void setUp();
    void addLine(const ReportLine& line);
    void totals();

private:
    void heading();
    void print(double row, ColumnPlace place, double col, double maxWidth, const QString& text);
    // How many columns a text takes in the current font.
    double widthInColumns(const QString& text) const;

    PageRecorder& e;
    const PeriodReportKind& m_kind;
    QString m_period;
    QVector<Money> m_totals;
    double m_row = 1000;
    int m_page = 0;
};

void ReportPages::setUp()
{
    e.SetFontName(QStringLiteral("Times New Roman"));
    e.SetFontSize(8);
    e.UnitY = e.TextHeight(QStringLiteral("M"));
    e.UnitX = e.TextWidth(QStringLiteral("M"));
    e.WritePageState();
}

void ReportPages::print(double row, ColumnPlace place, double col, double maxWidth,
                        const QString& text)
{
    switch (place) {
    case ColumnPlace::Left:
        e.PrintText(row, col, maxWidth, text);
        break;
    case ColumnPlace::Right:
        e.PrintTextRight(row, col, maxWidth, text);
        break;
    case ColumnPlace::Centred:
        e.PrintTextCentred(row, col, maxWidth, text);
        break;
    }
}

void ReportPages::heading()
{
    ++m_page;
    e.DrawHLine(4.5, 4.5, 76.5, 4);
    e.PrintText(5, 67, 0,
                QStringLiteral("DATA ") + Clock::today().toString(QStringLiteral("d/M/yyyy")));
    e.SetFontName(QStringLiteral("Arial"));
    e.SetFontBold(true);
    e.SetFontSize(10);
    const QString title = QString::fromUtf8(m_kind.title);
    e.PrintText(6, 6, 0, title);
    // The period follows the title, however wide the title prints.
    const int unitX = std::max(1, int(e.UnitX));
    const int periodAt = int(e.TextWidth(title)) / unitX + 7;
    e.SetFontName(QStringLiteral("Times New Roman"));
    e.SetFontBold(false);
    e.SetFontSize(8);
    e.PrintText(6.15, periodAt, 0, m_period);
    e.PrintText(7, 67, 0, QStringLiteral("Pagina n.") + QString::number(m_page));
    e.DrawHLine(8.5, 4.5, 76.5, 4);
    e.SetFontBold(true);
    for (const PrintedColumn& c : m_kind.columns)
        print(9, c.headingPlace, c.headingAt, 0, QString::fromUtf8(c.heading));
    e.SetFontBold(false);
    e.DrawHLine(10.5, 4.5, 76.5, 4);
    m_row = 10;
}

void ReportPages::addLine(const ReportLine& line)
{
    if (m_row > kLastLineRow) {
        if (m_page != 0) {
            e.DrawHLine(m_row + 1, 4.5, 76.5, 4);
            e.NewPage();
            m_row = 0;
        }
        heading();
    }
    m_row += 1;
    // A number's text keeps the blank of its missing sign.
    QStringList values{dateText(line.date), QLatin1Char(' ') + QString::number(line.number),
                       line.name};
    for (int i = 0; i < line.amounts.size(); ++i) {
        values << line.amounts.at(i).printText();
        m_totals[i] += line.amounts.at(i);
    }
    if (m_kind.paymentDate)
        values << dateText(line.paymentDate);
    for (std::size_t i = 0; i < m_kind.columns.size(); ++i) {
        const PrintedColumn& c = m_kind.columns[i];
        double maxWidth = c.maxWidth;
        if (i == kName) {
            // A fee wider than its column has taken leaves the name less room.
            const PrintedColumn& amount = m_kind.columns[kFirstAmount];
            const QString& fee = values.value(kFirstAmount);
            // Most fees are measured only roughly: they are far from the name.
            const double feeRoom = amount.valueAt - kGap - c.valueAt - maxWidth;
            if (maxWidth < 1 || !e.TextClearlyNarrower(fee, feeRoom * e.UnitX)) {
                const double room = amount.valueAt - widthInColumns(fee) - kGap - c.valueAt;
                maxWidth = std::max(1.0, std::min(maxWidth, room));
            }
        }
        print(m_row, c.valuePlace, c.valueAt, maxWidth, values.value(int(i)));
    }
}

double ReportPages::widthInColumns(const QString& text) const
{
    return e.UnitX > 0 ? e.TextWidth(text) / e.UnitX : 0;
}

void ReportPages::totals()
{
    if (m_page == 0)
        return;
    e.SetFontBold(true);
    m_row += 1;
    e.DrawHLine(m_row + 0.5, 4.5, 76.5, 2);
    m_row += 1;
    const QString label = QStringLiteral("TOTALI");
    e.PrintText(m_row, m_kind.totalsLabelAt, 0, label);
    // A total wider than its column would touch the one before it: it goes
    // a row lower, on the first row where it touches nothing.
    std::vector<double> rowEnds{m_kind.totalsLabelAt + widthInColumns(label)};
    for (int i = 0; i < m_totals.size(); ++i) {
        const QString text = m_totals.at(i).printText();
        const double at = m_kind.columns[std::size_t(kFirstAmount) + std::size_t(i)].valueAt;
        const double start = at - widthInColumns(text);
        std::size_t r = 0;
        while (r < rowEnds.size() && start < rowEnds[r] + kGap)
            ++r;
        if (r == rowEnds.size())
            rowEnds.push_back(0);
        rowEnds[r] = at;
        e.PrintTextRight(m_row + 0.5 + double(r), at, 0, text);
    }
    e.DrawHLine(m_row + 1 + double(rowEnds.size()), 4.5, 76.5, 4);
}

} // namespace

QString StampaPeriodo(PageRecorder& recorder, Database& db, PeriodReport report,
                      const ParametriLista& selection, const QString& typedFirst,
                      const QString& typedLast)
{
    if (QString message = checkSelection(db, report, selection); !message.isEmpty())
        return message;
    ReportPages pages(recorder, kindOf(report),
                      QStringLiteral(" - Periodo dal ") + typedFirst + QStringLiteral("  al ") +
                          typedLast);
    pages.setUp();
    int count = 0;
    const QString message =
        selectLines(db, report, Reader::Printout, selection, [&](const ReportLine& line) {
            pages.addLine(line);
            ++count;
        });
    if (message.isEmpty() && count == 0)
        return emptySelectionMessage();
    // The totals of a walk the database broke off would be wrong.
    if (message.isEmpty())
        pages.totals();
    return message;
}
