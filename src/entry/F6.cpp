#include "F6.h"

#include "AppContext.h"
#include "CodeList.h"
#include "MessageBox.h"
#include "Schema.h"
#include "Twips.h"
#include "WindowGeometry.h"
#include "WindowPlacement.h"

#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

namespace {
constexpr double kWidthTwips = 4704;
constexpr double kHeightTwips = 3870;
} // namespace

F6::F6(AppContext& context, const FieldDeclaration& field, TwipsPoint besideField, QWidget* parent)
    : QDialog(parent), m_context(context)
{
    setObjectName(QStringLiteral("F6"));
    setWindowTitle(QStringLiteral("Elenco codici disponibili"));
    m_label = new QLabel(QStringLiteral("Codici:"), this);
    m_label->setObjectName(QStringLiteral("TableListLabel"));
    m_lista = new QListWidget(this);
    m_lista->setObjectName(QStringLiteral("Lista"));
    m_lista->setUniformItemSizes(true);
    QFont mono(QStringLiteral("Courier New"));
    mono.setStyleHint(QFont::Monospace);
    m_lista->setFont(mono); // the codes line up in a column
    m_lista->installEventFilter(this);
    m_label->setBuddy(m_lista);
    m_nuovo = new QPushButton(QStringLiteral("&Nuovo codice ..."), this);
    m_nuovo->setObjectName(QStringLiteral("Nuovo"));
    m_nuovo->setAutoDefault(false);
    connect(m_nuovo, &QPushButton::clicked, this, &F6::Nuovo_Click);
    connect(m_lista, &QListWidget::itemDoubleClicked, this, &F6::choose);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    layout->addWidget(m_lista, 1);
    layout->addWidget(m_nuovo, 0, Qt::AlignLeft);

    // A new code is offered only for a code of another table.
    m_nuovo->setVisible(field.link == QLatin1Char('A') && field.table && m_context.openArchive);
    m_table = field.table;
    m_descriptionField = field.descriptionField;

    const double dpi = logicalDpi(parent);
    const double widthTwips = std::max(kWidthTwips, twipsFromPixels(widthForWholeLines(), dpi));
    resize(pixelsFromTwips(widthTwips, dpi), pixelsFromTwips(kHeightTwips, dpi));
    const TwipsPoint p = codeListPosition(
        besideField.left, besideField.top, twipsFromPixels(m_lista->y(), dpi),
        m_context.BordoDestro > 0 ? m_context.BordoDestro : 1e9,
        m_context.BordoInferiore > 0 ? m_context.BordoInferiore : 1e9, widthTwips, kHeightTwips);
    move(pixelsFromTwips(p.left, dpi), pixelsFromTwips(p.top, dpi));
}

int F6::widthForWholeLines() const
{
    // A line is the code in its column width, " - " and up to 40 characters
    // of description, in the list's fixed-pitch font.
    const int codeWidth = m_table ? tableDef(*m_table).columns.front().size : 10;
    const int lineWidth = QFontMetrics(m_lista->font())
                              .horizontalAdvance(QString(codeWidth + 3 + 40, QLatin1Char('M')));
    const QStyle* style = m_lista->style();
    const int listWidth = lineWidth +
                          2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, m_lista) +
                          style->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_lista) + 12;
    const QMargins margins = layout()->contentsMargins();
    int width = listWidth + margins.left() + margins.right();
    if (const QScreen* screen = this->screen())
        width = std::min(width, screen->availableGeometry().width());
    return width;
}

void F6::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_filled)
        fillList();
    m_lista->setFocus();
}

void F6::fillList()
{
    m_filled = true;
    m_lista->clear();
    QStringList lines;
    QString error;
    if (!m_table)
        return; // a declaration that names no table lists nothing
    if (!codeListLines(m_context.DbArchivi, nameOf(*m_table), m_descriptionField, &lines,
                       &m_codeWidth, &error)) {
        MessageBox::error(this, error);
        return;
    }
    m_lista->addItems(lines);
    if (m_lista->count() > 0)
        m_lista->setCurrentRow(0);
}

void F6::choose()
{
    if (QListWidgetItem* item = m_lista->currentItem())
        m_chosenCode = codeOfLine(item->text(), m_codeWidth);
    accept();
}

void F6::Nuovo_Click()
{
    if (m_table && m_context.openArchive)
        m_context.openArchive(*m_table, this);
    fillList();
    m_lista->setFocus();
}

bool F6::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_lista && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            choose();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
