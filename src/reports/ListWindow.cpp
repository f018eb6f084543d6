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
    : QDialog(parent), m_context(context), m_report(report), m_selection(std::move(selection))
{
    setWindowTitle(listCaption(report));
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
    resize(pixelsFromTwips(kWidthTwips, dpi), pixelsFromTwips(kHeightTwips, dpi));
    placeCentred(this, m_context);
    {
        const WaitCursor wait;
        m_message = m_model->load(m_context.DbArchivi, m_selection);
    }
    // Row numbers as wide as " 00 ", or as the last one when it is longer.
    const int digits = std::max<qsizetype>(2, QString::number(m_model->documentCount()).size());
    m_lavori->setColumnWidth(
        0, fontMetrics().horizontalAdvance(QStringLiteral(" %1 ").arg(QString(digits, '0'))) +
               2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 2);
    if (m_message.isEmpty())
        m_lavori->setCurrentIndex(m_model->index(0, 1));
    Form_Resize();
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
    const QVector<int> widths =
        resizedWidths(widthEntries(listGrid(m_report)), twipsFromPixels(gridWidth, dpi),
                      twipsFromPixels(m_lavori->columnWidth(0), dpi));
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
    setObjectName(QStringLiteral("DispFAT"));
}

DispRA::DispRA(AppContext& context, const ParametriLista& selection, QWidget* parent)
    : ListWindow(context, PeriodReport::Ritenuta, selection, parent)
{
    setObjectName(QStringLiteral("DispRA"));
}

DispMOV::DispMOV(AppContext& context, const ParametriLista& selection, QWidget* parent)
    : ListWindow(context, PeriodReport::Movimenti, selection, parent)
{
    setObjectName(QStringLiteral("DispMOV"));
}
