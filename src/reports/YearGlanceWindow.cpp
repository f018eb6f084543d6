#include "YearGlanceWindow.h"

#include "AppContext.h"
#include "Clock.h"
#include "CommandButtons.h"
#include "GlancePalette.h"
#include "MessageBox.h"
#include "WaitCursor.h"
#include "YearGlancePage.h"
#include "YearGlancePrint.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHorizontalBarSeries>
#include <QLabel>
#include <QLineSeries>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>

namespace {

// The withholding chart shows this many years up to the chosen one: more
// bars would not leave room for their labels.
double euros(const Money& amount)
{
    return double(amount.cents().value_or(0)) / 100.0;
}

QColor colour(unsigned rgb)
{
    return QColor::fromRgb(QRgb(rgb));
}

QChart* newChart(const QString& title, QWidget* parent, QChartView** view)
{
    auto* chart = new QChart;
    chart->setTitle(title);
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setMargins(QMargins(4, 4, 4, 4));
    chart->legend()->setAlignment(Qt::AlignBottom);
    *view = new QChartView(chart, parent);
    (*view)->setRenderHint(QPainter::Antialiasing);
    (*view)->setMinimumSize(280, 200);
    return chart;
}

void clear(QChart* chart)
{
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
}

// A value axis from zero (or the lowest value, when below) to a round top.
QValueAxis* euroAxis(double low, double high)
{
    auto* axis = new QValueAxis;
    // An empty chart still gets a scale of whole euros.
    axis->setRange(std::min(0.0, low), std::max(high, 100.0));
    axis->applyNiceNumbers();
    // The label format is printf's, which knows no euro sign: the title says it.
    axis->setLabelFormat(QStringLiteral("%.0f"));
    axis->setTitleText(QStringLiteral("€"));
    return axis;
}

} // namespace

YearGlanceWindow::YearGlanceWindow(AppContext& context, QWidget* parent)
    : QDialog(parent), m_context(context)
{
    setObjectName(QStringLiteral("STAAndamento"));
    setWindowTitle(QStringLiteral("Andamento"));
    m_anno = new QSpinBox(this);
    m_anno->setObjectName(QStringLiteral("Anno"));
    m_anno->setRange(1901, 9999);
    m_anno->setValue(Clock::today().year());
    auto* label = new QLabel(QStringLiteral("&Anno"), this);
    label->setBuddy(m_anno);
    m_avviso = new QLabel(this);
    m_avviso->setObjectName(QStringLiteral("Avviso"));
    QFont bold = m_avviso->font();
    bold.setBold(true);
    m_avviso->setFont(bold);

    QChartView* monthsView = nullptr;
    QChartView* clientsView = nullptr;
    QChartView* withholdingView = nullptr;
    m_months = newChart(QStringLiteral("Compensi per mese"), this, &monthsView);
    m_clients = newChart(QStringLiteral("I dieci clienti con più compensi"), this, &clientsView);
    m_withholding = newChart(QStringLiteral("Ritenute d'acconto per anno"), this, &withholdingView);
    m_withholding->legend()->hide();
    m_clients->legend()->hide();

    auto* ages = new QGroupBox(QStringLiteral("Fatture non pagate per anzianità"), this);
    m_eta = new QTableWidget(4, 3, ages);
    m_eta->setObjectName(QStringLiteral("Eta"));
    m_eta->setHorizontalHeaderLabels(
        {QStringLiteral("Età"), QStringLiteral("Fatture"), QStringLiteral("Da incassare")});
    m_eta->verticalHeader()->hide();
    m_eta->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_eta->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_eta->setSelectionMode(QAbstractItemView::SingleSelection);
    m_eta->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_eta->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_eta->setWordWrap(false);
    m_eta->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_eta->setFixedHeight(m_eta->horizontalHeader()->sizeHint().height() +
                          4 * m_eta->verticalHeader()->defaultSectionSize() + 4);
    m_insolute = new QListWidget(ages);
    m_insolute->setObjectName(QStringLiteral("Insolute"));
    auto* agesLayout = new QVBoxLayout(ages);
    agesLayout->addWidget(m_eta);
    agesLayout->addWidget(m_insolute, 1);
    connect(m_eta, &QTableWidget::currentCellChanged, this, [this](int row) { listAge(row); });

    m_stampa = commandButton(QStringLiteral("&Stampa"), "BtStampa", this);
    m_pdf = commandButton(QStringLiteral("&Esporta PDF ..."), "BtPdf", this);
    connect(m_stampa, &QPushButton::clicked, this,
            [this] { previewYearGlance(m_context, m_glance, this); });
    connect(m_pdf, &QPushButton::clicked, this,
            [this] { exportYearGlancePdf(m_context, m_glance, this); });
    QPushButton* close = commandButton(QStringLiteral("&Uscita"), "BtUscita", this);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto* top = new QHBoxLayout;
    top->addWidget(label);
    top->addWidget(m_anno);
    top->addSpacing(16);
    top->addWidget(m_avviso, 1);
    auto* grid = new QGridLayout;
    grid->addWidget(monthsView, 0, 0);
    grid->addWidget(clientsView, 0, 1);
    grid->addWidget(withholdingView, 1, 0);
    grid->addWidget(ages, 1, 1);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    grid->setRowStretch(0, 3);
    grid->setRowStretch(1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(grid, 1);
    layout->addLayout(commandRow({m_stampa, m_pdf}, close));

    QRect available(0, 0, 1024, 720);
    if (const QScreen* s = screen())
        available = s->availableGeometry();
    resize(std::min(1000, available.width() - 24), std::min(680, available.height() - 48));

    connect(m_anno, &QSpinBox::valueChanged, this, &YearGlanceWindow::showYear);
    showYear(m_anno->value());
}

QString YearGlanceWindow::money(const Money& amount) const
{
    return amount.localeText(m_context.SepMigliaia, m_context.SepDecimali);
}

void YearGlanceWindow::showYear(int year)
{
    const WaitCursor wait;
    QString error;
    const auto glance = readYearGlance(m_context.DbArchivi, year, Clock::today(), &error);
    if (!glance) {
        MessageBox::error(this, error);
        m_glance = YearGlance();
        m_glance.year = year;
    } else {
        m_glance = *glance;
    }
    // An empty year still shows its empty charts, with the reason beside.
    m_avviso->setText(m_glance.documents == 0 ? yearGlanceEmptyText(year) : QString());
    fillMonths();
    fillAges();
    fillWithholding();
    fillClients();
}

void YearGlanceWindow::fillMonths()
{
    clear(m_months);
    const int year = m_glance.year;
    auto* previous = new QBarSet(QString::number(year - 1));
    auto* current = new QBarSet(QString::number(year));
    previous->setColor(colour(GlancePalette::kPreviousYear));
    current->setColor(colour(GlancePalette::kYear));
    auto* runningPrevious = new QLineSeries;
    auto* running = new QLineSeries;
    runningPrevious->setName(QStringLiteral("Cumulato %1").arg(year - 1));
    running->setName(QStringLiteral("Cumulato %1").arg(year));
    runningPrevious->setColor(colour(GlancePalette::kPreviousCumulated));
    running->setColor(colour(GlancePalette::kCumulated));
    double low = 0, high = 0, runLow = 0, runHigh = 0;
    QStringList months;
    for (int m = 1; m <= 12; ++m) {
        months << shortMonthName(m);
        const double before = euros(m_glance.previousFees[std::size_t(m - 1)]);
        const double now = euros(m_glance.fees[std::size_t(m - 1)]);
        *previous << before;
        *current << now;
        low = std::min({low, before, now});
        high = std::max({high, before, now});
        const double runBefore = euros(m_glance.cumulated(m, true));
        const double runNow = euros(m_glance.cumulated(m));
        runningPrevious->append(m - 1, runBefore);
        running->append(m - 1, runNow);
        runLow = std::min({runLow, runBefore, runNow});
        runHigh = std::max({runHigh, runBefore, runNow});
    }
    auto* bars = new QBarSeries;
    bars->append(previous);
    bars->append(current);
    m_months->addSeries(bars);
    m_months->addSeries(runningPrevious);
    m_months->addSeries(running);

    auto* axisX = new QBarCategoryAxis;
    axisX->append(months);
    QFont small = axisX->labelsFont();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    axisX->setLabelsFont(small);
    m_months->addAxis(axisX, Qt::AlignBottom);
    QValueAxis* monthly = euroAxis(low, high);
    m_months->addAxis(monthly, Qt::AlignLeft);
    // The running totals outgrow the months: they have a scale of their own.
    QValueAxis* cumulated = euroAxis(runLow, runHigh);
    cumulated->setTitleText(QStringLiteral("Cumulato, €"));
    m_months->addAxis(cumulated, Qt::AlignRight);
    bars->attachAxis(axisX);
    bars->attachAxis(monthly);
    for (QLineSeries* line : {runningPrevious, running}) {
        line->attachAxis(axisX);
        line->attachAxis(cumulated);
    }
}

void YearGlanceWindow::fillAges()
{
    for (int row = 0; row < 4; ++row) {
        const AgeBucket& bucket = m_glance.unpaid[std::size_t(row)];
        auto* age = new QTableWidgetItem(ageLabel(bucket));
        age->setData(Qt::DecorationRole, colour(GlancePalette::kAges[row]));
        auto* count = new QTableWidgetItem(QString::number(bucket.count));
        auto* amount = new QTableWidgetItem(money(bucket.amount));
        count->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        amount->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_eta->setItem(row, 0, age);
        m_eta->setItem(row, 1, count);
        m_eta->setItem(row, 2, amount);
    }
    m_eta->setCurrentCell(-1, -1);
    m_insolute->clear();
    m_insolute->addItem(QStringLiteral("Scegliere un'età per vederne le fatture."));
}

void YearGlanceWindow::listAge(int row)
{
    m_insolute->clear();
    if (row < 0 || row >= 4)
        return;
    const AgeBucket& bucket = m_glance.unpaid[std::size_t(row)];
    if (bucket.invoices.isEmpty()) {
        m_insolute->addItem(QStringLiteral("Nessuna fattura da incassare di questa età."));
        return;
    }
    for (const UnpaidInvoice& invoice : bucket.invoices)
        m_insolute->addItem(unpaidLine(invoice, m_context.SepMigliaia, m_context.SepDecimali));
}

void YearGlanceWindow::fillWithholding()
{
    clear(m_withholding);
    auto* set = new QBarSet(QStringLiteral("Ritenuta"));
    set->setColor(colour(GlancePalette::kWithholding));
    QStringList years;
    double high = 0;
    for (const int y : withholdingYears(m_glance)) {
        years << QString::number(y);
        const double value = euros(m_glance.withholding.value(y));
        *set << value;
        high = std::max(high, value);
    }
    auto* bars = new QBarSeries;
    bars->append(set);
    m_withholding->addSeries(bars);
    auto* axisX = new QBarCategoryAxis;
    axisX->append(years);
    m_withholding->addAxis(axisX, Qt::AlignBottom);
    QValueAxis* axisY = euroAxis(0, high);
    m_withholding->addAxis(axisY, Qt::AlignLeft);
    bars->attachAxis(axisX);
    bars->attachAxis(axisY);
}

void YearGlanceWindow::fillClients()
{
    clear(m_clients);
    auto* set = new QBarSet(QStringLiteral("Compensi"));
    set->setColor(colour(GlancePalette::kClients));
    QStringList names;
    double high = 0;
    // The bars go up from the bottom: the most fees last, on top.
    for (auto it = m_glance.topClients.crbegin(); it != m_glance.topClients.crend(); ++it) {
        QString name = it->name.isEmpty() ? it->code : it->name;
        if (name.size() > 24)
            name = name.left(23) + QChar(0x2026);
        // The axis keeps one bar per distinct label.
        while (names.contains(name))
            name += QLatin1Char(' ');
        names << name;
        *set << euros(it->fee);
        high = std::max(high, euros(it->fee));
    }
    auto* bars = new QHorizontalBarSeries;
    bars->append(set);
    m_clients->addSeries(bars);
    auto* axisY = new QBarCategoryAxis;
    axisY->append(names);
    m_clients->addAxis(axisY, Qt::AlignLeft);
    QValueAxis* axisX = euroAxis(0, high);
    axisX->setTickCount(3);
    m_clients->addAxis(axisX, Qt::AlignBottom);
    bars->attachAxis(axisY);
    bars->attachAxis(axisX);
}
