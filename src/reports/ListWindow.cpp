#include "ListWindow.h"

#include "AppContext.h"
#include "ListModel.h"
#include "MessageBox.h"
#include "Twips.h"
#include "WaitCursor.h"
#include "WindowGeometry.h"
#include "fZoom.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <optional>

namespace {

constexpr double kWidthTwips = 9000;
constexpr double kHeightTwips = 5000;
constexpr int kNumberColumn = 2;

} // namespace

ListWindow::ListWindow(AppContext& context, PeriodReport report, ParametriLista selection,
                       QWidget* parent)
    : QDialog(parent), m_context(context), m_kind(kindOf(report)), m_selection(std::move(selection))
{
    setObjectName(QString::fromUtf8(m_kind.listName));
    setWindowTitle(QString::fromUtf8(m_kind.listCaption));
    m_model = new ListModel(report, this);
    m_lavori = new QTableView(this);
    m_lavori->setObjectName(QStringLiteral("Lavori"));
    m_lavori->setModel(m_model);
    m_lavori->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_lavori->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_lavori->setSelectionMode(QAbstractItemView::SingleSelection);
    m_lavori->setWordWrap(false);
    m_lavori->verticalHeader()->hide();
    // Fixed row heights keep a grid of a hundred thousand rows quick.
    m_lavori->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_lavori->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    m_lavori->horizontalHeader()->setHighlightSections(false);
    m_lavori->installEventFilter(this);

    m_picture = new QWidget(this);
    m_picture->setObjectName(QStringLiteral("Picture1"));
    m_bUscita = new QPushButton(QStringLiteral("&Chiudi"), m_picture);
    m_bUscita->setObjectName(QStringLiteral("BUscita"));
    m_bUscita->setAutoDefault(false);
    auto* bar = new QHBoxLayout(m_picture);
    bar->addStretch(1);
    bar->addWidget(m_bUscita);
    connect(m_bUscita, &QPushButton::clicked, this, &QDialog::reject);

    Form_Load();
}

void ListWindow::Form_Load()
{
    const double dpi = logicalDpi(this);
    {
        const WaitCursor wait;
        m_message = m_model->load(m_context.DbArchivi, m_selection);
    }
    // Row numbers as wide as " 00 ", or as the last one when it is longer.
    const int digits = int(std::max<qsizetype>(2, m_model->widestText(0).size()));
    m_lavori->setColumnWidth(0, cellWidth(QStringLiteral(" %1 ").arg(QString(digits, '0'))));
    // Columns past the width entries keep their width, or widen to show
    // their amounts.
    const int entries = int(widthEntries(m_kind.listGrid).size());
    for (int c = entries; c < m_model->columnCount(); ++c)
        m_lavori->setColumnWidth(
            c, std::max(m_lavori->horizontalHeader()->defaultSectionSize(), neededWidth(c)));
    // The window opens 9000 twips wide, or wider when the columns' shares of
    // that width would cut their dates, numbers or amounts.
    QVector<double> needed;
    for (int c = 1; c < entries; ++c)
        needed << twipsFromPixels(neededWidth(c), dpi);
    const int wanted = pixelsFromTwips(gridWidthFor(widthEntries(m_kind.listGrid), needed,
                                                    twipsFromPixels(m_lavori->columnWidth(0), dpi),
                                                    twipsFromPixels(restWidth(), dpi)) +
                                           100,
                                       dpi);
    const QScreen* screen = this->screen();
    const int room = screen ? screen->availableGeometry().width() : wanted;
    resize(std::max(pixelsFromTwips(kWidthTwips, dpi), std::min(wanted, room)),
           pixelsFromTwips(kHeightTwips, dpi));
    placeCentred(this, m_context);
    if (m_message.isEmpty())
        m_lavori->setCurrentIndex(m_model->index(0, 1));
    Form_Resize();
}

int ListWindow::cellWidth(const QString& text) const
{
    return m_lavori->fontMetrics().horizontalAdvance(text) +
           2 * m_lavori->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 2;
}

int ListWindow::neededWidth(int column) const
{
    const QString widest = m_model->widestText(column);
    if (widest.isEmpty())
        return 0;
    const QFontMetrics header = m_lavori->horizontalHeader()->fontMetrics();
    const int title = header.horizontalAdvance(m_model->title(column)) +
                      2 * m_lavori->style()->pixelMetric(QStyle::PM_HeaderMargin) + 2;
    return std::max(title, cellWidth(widest + QLatin1Char(' ')));
}

int ListWindow::restWidth() const
{
    int rest = 0;
    for (int c = int(widthEntries(m_kind.listGrid).size()); c < m_model->columnCount(); ++c)
        rest += m_lavori->columnWidth(c);
    return rest;
}

void ListWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_message.isEmpty() || m_messageShown)
        return;
    m_messageShown = true;
    // Told over the list it empties, once the list is on screen.
    QTimer::singleShot(0, this, [this] { MessageBox::warning(this, m_message); });
}

void ListWindow::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    Form_Resize();
}

void ListWindow::Form_Resize()
{
    if (isMinimized())
        return;
    const double dpi = logicalDpi(this);
    const int gridWidth = std::max(0, width() - pixelsFromTwips(100, dpi));
    const int gridHeight = std::max(0, height() - pixelsFromTwips(900, dpi));
    m_lavori->setGeometry(0, 0, gridWidth, gridHeight);
    m_picture->setGeometry(0, gridHeight, width(), height() - gridHeight);

    const QModelIndex current = m_lavori->currentIndex();
    const QVector<int> widths = resizedWidths(
        widthEntries(m_kind.listGrid), twipsFromPixels(gridWidth, dpi),
        twipsFromPixels(m_lavori->columnWidth(0), dpi), twipsFromPixels(restWidth(), dpi));
    for (int i = 0; i < widths.size(); ++i)
        m_lavori->setColumnWidth(i + 1, std::max(0, pixelsFromTwips(widths.at(i), dpi)));
    if (current.isValid())
        m_lavori->setCurrentIndex(current);
}

bool ListWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_lavori && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_F4) {
        Lavori_KeyUp(Qt::Key_F4);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void ListWindow::Lavori_KeyUp(int key)
{
    const QModelIndex current = m_lavori->currentIndex();
    if (key != Qt::Key_F4 || !current.isValid() || current.column() != kNumberColumn)
        return;
    fZoom zoom(m_model->cell(current.row(), current.column()), this);
    zoom.setWindowTitle(m_model->title(kNumberColumn));
    const double dpi = logicalDpi(this);
    zoom.move(pos() + QPoint(pixelsFromTwips(250, dpi), pixelsFromTwips(1200, dpi)));
    zoom.exec();
}

DispFAT::DispFAT(AppContext& context, const ParametriLista& selection, QWidget* parent)
    : ListWindow(context, PeriodReport::Fatturato, selection, parent)
{
}

DispRA::DispRA(AppContext& context, const ParametriLista& selection, QWidget* parent)
    : ListWindow(context, PeriodReport::Ritenuta, selection, parent)
{
}

DispMOV::DispMOV(AppContext& context, const ParametriLista& selection, QWidget* parent)
    : ListWindow(context, PeriodReport::Movimenti, selection, parent)
{
}
