#include "PeriodReportLayout.h"

#include "Clock.h"
#include "PageRecorder.h"

#include <vector>

namespace {

enum class Place { Left, Right, Centred };

// A column's heading on row 9 and its value on each line, placed at their
// layout columns; a value wider than maxWidth columns (0: no limit) is cut.
struct Column
{
    const char* heading;
    Place headingPlace;
    double headingAt;
    Place valuePlace;
    double valueAt;
    double maxWidth = 0;
};

// Date, number and name, then the amounts, then for invoices the payment
// date. The totals line has "TOTALI" at totalsLabelAt and each total under
// its amount.
struct ReportColumns
{
    std::vector<Column> columns;
    double totalsLabelAt;
    bool paymentDate;
};

constexpr int kName = 2;
constexpr int kFirstAmount = 3;
// The least room between two texts of a line, in columns.
constexpr double kGap = 0.5;
constexpr double kLastLineRow = 80; // a line that would follow row 81 goes to a new page

// Every text stays between the rules at 4.5 and 76.5. The amounts stand
// 6.45 columns apart in the turnover, room for a bold total of
// "9 999 999,99" and a gap; a name is cut before the first amount.
const ReportColumns& columnsOf(PeriodReport report)
{
    using P = Place;
    static const ReportColumns fatturato{{{"DATA", P::Centred, 8, P::Centred, 8},
                                          {"NUM.", P::Right, 13, P::Right, 13},
                                          {"CLIENTE", P::Left, 14, P::Left, 14, 17.5},
                                          {"IMPONIB.", P::Right, 37.25, P::Right, 37.25},
                                          {"C.N.G.", P::Right, 43.7, P::Right, 43.7},
                                          {"I.V.A.", P::Right, 50.15, P::Right, 50.15},
                                          {"R.A.", P::Right, 56.6, P::Right, 56.6},
                                          {"SPESE", P::Right, 63.05, P::Right, 63.05},
                                          {"TOTALE", P::Right, 69.5, P::Right, 69.5},
                                          {"DATA PAG.", P::Centred, 73.1, P::Centred, 73.1}},
                                         27,
                                         true};
    // The number and the name stand right of their headings.
    static const ReportColumns ritenuta{{{"DATA", P::Centred, 8, P::Centred, 8},
                                         {"NUM.", P::Right, 13, P::Right, 18},
                                         {"CLIENTE", P::Left, 14, P::Left, 20, 15},
                                         {"IMPONIB.", P::Right, 41, P::Right, 41},
                                         {"C.N.G.", P::Right, 48, P::Right, 48},
                                         {"I.V.A.", P::Right, 55, P::Right, 55},
                                         {"R.A.", P::Right, 61, P::Right, 61},
                                         {"TOTALE", P::Right, 68, P::Right, 68},
                                         {"DATA PAG.", P::Centred, 72, P::Centred, 72}},
                                        27,
                                        true};
    static const ReportColumns movimenti{{{"DATA", P::Centred, 8, P::Centred, 8},
                                          {"NUMERO", P::Right, 18, P::Right, 18},
                                          {"FORNITORE", P::Left, 20, P::Left, 20, 23.5},
                                          {"IMPORTO", P::Right, 50, P::Right, 50},
                                          {"I.V.A.", P::Right, 58, P::Right, 58},
                                          {"DEDUCIB.", P::Right, 66, P::Right, 66},
                                          {"ESENTE", P::Right, 74, P::Right, 74}},
                                         35,
                                         false};
    switch (report) {
    case PeriodReport::Ritenuta:
        return ritenuta;
    case PeriodReport::Movimenti:
        return movimenti;
    case PeriodReport::Fatturato:
        break;
    }
    return fatturato;
}

QString dateText(const QDate& date)
{
    return date.isValid() ? date.toString(QStringLiteral("dd/MM/yyyy")) : QString();
}

class ReportPages
{
public:
    ReportPages(PageRecorder& recorder, PeriodReport report, QString period)
        : e(recorder), m_report(report), m_layout(columnsOf(report)), m_period(std::move(period)),
          m_totals(amountCount(report))
    {
    }

    void setUp();
    void addLine(const ReportLine& line);
    void totals();

private:
    void heading();
    void print(double row, Place place, double col, double maxWidth, const QString& text);
    // How many columns a text takes in the current font.
    double widthInColumns(const QString& text) const;

    PageRecorder& e;
    PeriodReport m_report;
    const ReportColumns& m_layout;
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

void ReportPages::print(double row, Place place, double col, double maxWidth, const QString& text)
{
    switch (place) {
    case Place::Left:
        e.PrintText(row, col, maxWidth, text);
        break;
    case Place::Right:
        e.PrintTextRight(row, col, maxWidth, text);
        break;
    case Place::Centred:
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
    const QString title = reportTitle(m_report);
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
    for (const Column& c : m_layout.columns)
        print(9, c.headingPlace, c.headingAt, 0, QString::fromLatin1(c.heading));
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
    if (m_layout.paymentDate)
        values << dateText(line.paymentDate);
    for (std::size_t i = 0; i < m_layout.columns.size(); ++i) {
        const Column& c = m_layout.columns[i];
        double maxWidth = c.maxWidth;
        if (i == kName) {
            // A fee wider than its column has taken leaves the name less room.
            const Column& amount = m_layout.columns[kFirstAmount];
            const double room =
                amount.valueAt - widthInColumns(values.value(kFirstAmount)) - kGap - c.valueAt;
            maxWidth = std::max(1.0, std::min(maxWidth, room));
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
    e.PrintText(m_row, m_layout.totalsLabelAt, 0, label);
    // A total wider than its column would touch the one before it: it goes
    // a row lower, on the first row where it touches nothing.
    std::vector<double> rowEnds{m_layout.totalsLabelAt + widthInColumns(label)};
    for (int i = 0; i < m_totals.size(); ++i) {
        const QString text = m_totals.at(i).printText();
        const double at = m_layout.columns[std::size_t(kFirstAmount + i)].valueAt;
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

QString reportTitle(PeriodReport report)
{
    switch (report) {
    case PeriodReport::Ritenuta:
        return QStringLiteral("STAMPA SITUAZIONE SOSTITUTA D'IMPOSTA");
    case PeriodReport::Movimenti:
        return QStringLiteral("STAMPA MOVIMENTI");
    case PeriodReport::Fatturato:
        break;
    }
    return QStringLiteral("STAMPA FATTURATO");
}

QString StampaPeriodo(PageRecorder& recorder, Database& db, PeriodReport report,
                      const ParametriLista& selection, const QString& typedFirst,
                      const QString& typedLast, int* lines)
{
    if (QString message = checkSelection(db, report, selection); !message.isEmpty())
        return message;
    ReportPages pages(recorder, report,
                      QStringLiteral(" - Periodo dal ") + typedFirst + QStringLiteral("  al ") +
                          typedLast);
    pages.setUp();
    int count = 0;
    const QString message =
        selectLines(db, report, Reader::Printout, selection, [&](const ReportLine& line) {
            pages.addLine(line);
            ++count;
        });
    if (lines)
        *lines = count;
    if (message.isEmpty() && count == 0)
        return emptySelectionMessage();
    // The totals of a walk the database broke off would be wrong.
    if (message.isEmpty())
        pages.totals();
    return message;
}
