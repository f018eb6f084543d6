#include "Consulta.h"

#include "AppContext.h"
#include "ConsultaModel.h"
#include "ConsultaRules.h"
#include "MessageBox.h"
#include "Money.h"
#include "Table.h"
#include "Twips.h"
#include "WaitCursor.h"
#include "WindowGeometry.h"

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <optional>

namespace {

QComboBox* makeList(const char* name, QWidget* parent)
{
    auto* list = new QComboBox(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    return list;
}

} // namespace

Consulta::Consulta(AppContext& context, OpenInvoice openInvoice, QWidget* parent)
    : QDialog(parent), m_context(context), m_openInvoice(std::move(openInvoice))
{
    setObjectName(QStringLiteral("Consulta"));
    setWindowTitle(QStringLiteral("Documenti"));

    m_toolbar1 = new QToolBar(this);
    m_toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar1->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_nuovo =
        m_toolbar1->addAction(style()->standardIcon(QStyle::SP_FileIcon), QStringLiteral("Nuovo"));
    m_nuovo->setObjectName(QStringLiteral("Nuovo"));
    // The tool button shows the icon text as it stands, access key included.
    m_nuovo->setIconText(QStringLiteral("&Nuovo"));
    m_nuovo->setToolTip(QStringLiteral("Nuova fattura"));
    // A tool bar keeps its buttons out of the Tab chain; this one is the
    // window's way to a new invoice from the keyboard, after the grid.
    QWidget* nuovo = m_toolbar1->widgetForAction(m_nuovo);
    nuovo->setObjectName(QStringLiteral("NuovoButton"));
    nuovo->setFocusPolicy(Qt::TabFocus);

    auto* picOptions = new QWidget(this);
    picOptions->setObjectName(QStringLiteral("picOptions"));
    m_anno = makeList("Anno", picOptions);
    m_anno->setMinimumContentsLength(6);
    m_cliente = makeList("Cliente", picOptions);
    m_cliente->setMinimumContentsLength(32);
    m_documento = makeList("Documento", picOptions);
    m_documento->setMinimumContentsLength(10);
    m_dati = new QLineEdit(picOptions);
    m_dati->setObjectName(QStringLiteral("Dati"));
    m_dati->setMaxLength(50);
    auto* filters = new QGridLayout(picOptions);
    filters->setContentsMargins(0, 0, 0, 0);
    const std::pair<const char*, QWidget*> fields[] = {{"&Anno", m_anno},
                                                       {" C&liente", m_cliente},
                                                       {" D&ocumento", m_documento},
                                                       {" Dest.&merce", m_dati}};
    int column = 0;
    for (const auto& [caption, field] : fields) {
        auto* label = new QLabel(QString::fromUtf8(caption), picOptions);
        label->setBuddy(field);
        filters->addWidget(label, 0, column);
        filters->addWidget(field, 1, column++);
    }
    filters->setColumnStretch(1, 2);
    filters->setColumnStretch(3, 1);

    m_model = new ConsultaModel(m_context.SepMigliaia, m_context.SepDecimali, this);
    m_richieste = new QTableView(this);
    m_richieste->setObjectName(QStringLiteral("Richieste"));
    m_richieste->setModel(m_model);
    m_richieste->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_richieste->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_richieste->setSelectionMode(QAbstractItemView::SingleSelection);
    m_richieste->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    m_richieste->setWordWrap(false);
    // Rows are chosen whole: Tab leaves the grid instead of walking its cells.
    m_richieste->setTabKeyNavigation(false);
    m_richieste->verticalHeader()->hide();
    // Fixed row heights keep a view over many thousand rows fast.
    m_richieste->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_richieste->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    m_richieste->horizontalHeader()->setHighlightSections(false);

    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName(QStringLiteral("StatusBar"));
    m_statusBar->setSizeGripEnabled(true);
    m_totale = new QLabel(m_statusBar);
    m_statusBar->addWidget(m_totale, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(m_toolbar1);
    layout->addWidget(picOptions);
    layout->addWidget(m_richieste, 1);
    layout->addWidget(m_statusBar);
    setTabOrder(m_anno, m_cliente);
    setTabOrder(m_cliente, m_documento);
    setTabOrder(m_documento, m_dati);
    setTabOrder(m_dati, m_richieste);
    setTabOrder(m_richieste, nuovo);
    // The filters first, whatever the tool bar's place among the children.
    m_anno->setFocus();

    connect(m_anno, &QComboBox::activated, this, &Consulta::Anno_Click);
    connect(m_cliente, &QComboBox::activated, this, &Consulta::Cliente_Click);
    connect(m_documento, &QComboBox::activated, this, &Consulta::Documento_Click);
    connect(m_dati, &QLineEdit::returnPressed, this, &Consulta::Dati_KeyPress);
    connect(m_richieste, &QAbstractItemView::doubleClicked, this, &Consulta::Richieste_DblClick);
    connect(m_nuovo, &QAction::triggered, this, &Consulta::Toolbar1_ButtonClick);
    for (QObject* watched : {static_cast<QObject*>(m_anno), static_cast<QObject*>(m_cliente),
                             static_cast<QObject*>(m_documento), static_cast<QObject*>(m_richieste),
                             static_cast<QObject*>(m_richieste->viewport())})
        watched->installEventFilter(this);

    QRect screen(0, 0, 1024, 768);
    if (const QScreen* s = this->screen())
        screen = s->availableGeometry();
    resize(qMin(1100, screen.width() - 40), qMin(620, screen.height() - 80));
    Form_Load();
    placeCentred(this, m_context);
}

QString Consulta::totalText() const
{
    return m_totale->text();
}

void Consulta::Form_Load()
{
    m_documento->clear();
    m_documento->addItem(QStringLiteral("Fattura"));

    const double dpi = logicalDpi(this);
    const consulta::Layout saved = consulta::readLayout(m_context.settings(), m_documento->count());
    const QVector<int> design = consulta::designWidths();
    for (int c = 0; c < consulta::kColumnCount; ++c)
        m_richieste->setColumnWidth(
            c, pixelsFromTwips(saved.widths.value(c).value_or(design.value(c)), dpi));
    m_documento->setCurrentIndex(saved.tipo);
    m_documentoIndex = saved.tipo;

    RiempiAnni(false);
    AggiornaElenco();
    RiempiClienti(false);
}

void Consulta::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    const double dpi = logicalDpi(this);
    QVector<int> widths;
    for (int c = 0; c < m_model->columnCount(); ++c)
        widths << int(std::lround(twipsFromPixels(m_richieste->columnWidth(c), dpi)));
    // A settings file that cannot be written costs only the remembered layout.
    consulta::writeLayout(m_context.settings(), widths, m_documento->currentIndex());
}

void Consulta::done(int result)
{
    Form_Unload();
    QDialog::done(result);
}

void Consulta::RiempiAnni(bool keep)
{
    const QString chosen = m_anno->currentText();
    QString error;
    const auto years = ::RiempiAnni(m_context.DbArchivi, nameOf(Table::Fatture), &error);
    m_anno->clear();
    if (!years) {
        m_anno->addItem(QString());
        MessageBox::error(this, error);
    } else {
        m_anno->addItems(*years);
    }
    const int kept = keep ? m_anno->findText(chosen) : -1;
    m_anno->setCurrentIndex(kept >= 0 ? kept : m_anno->count() - 1);
    m_annoIndex = m_anno->currentIndex();
}

void Consulta::RiempiClienti(bool keep)
{
    const QString chosen = m_cliente->currentData().toString();
    QString error;
    const auto clients = ::RiempiClienti(m_context.DbArchivi, m_anno->currentText(), &error);
    m_cliente->clear();
    if (!clients) {
        m_cliente->addItem(QString());
        MessageBox::error(this, error);
    } else {
        for (const ClientChoice& c : *clients)
            m_cliente->addItem(c.entry, c.code);
    }
    const int kept = keep && !chosen.isEmpty() ? m_cliente->findData(chosen) : -1;
    m_cliente->setCurrentIndex(std::max(kept, 0));
    m_clienteIndex = m_cliente->currentIndex();
}

void Consulta::AggiornaElenco()
{
    std::optional<WaitCursor> wait(std::in_place);
    QString error;
    const QString table = nameOf(Table::Fatture);
    auto invoices = ::AggiornaElenco(m_context.DbArchivi, table, m_anno->currentText(),
                                     m_cliente->currentData().toString(), &error);
    const qint64 total = invoices ? invoices->totalFees : 0;
    m_model->setInvoices(&m_context.DbArchivi, table,
                         invoices ? std::move(invoices->keys) : KeyList());
    m_totale->setText(
        QStringLiteral("Totale = ") +
        Money::fromCents(total).localeText(m_context.SepMigliaia, m_context.SepDecimali));
    // The latest invoice is current and in view.
    const QModelIndex last = m_model->index(m_model->rowCount() - 1, 1);
    m_richieste->setCurrentIndex(last);
    showLastRow();
    wait.reset(); // the pointer is back before any message
    if (!invoices)
        MessageBox::error(this, error);
}

void Consulta::showLastRow()
{
    // Only downwards: the number column stays in view on the left.
    m_richieste->scrollToBottom();
    m_richieste->horizontalScrollBar()->setValue(0);
}

void Consulta::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The grid has its real height only now.
    showLastRow();
}

void Consulta::Anno_Click(int index)
{
    if (index == m_annoIndex)
        return;
    m_annoIndex = index;
    // The clients first, so the grid matches the lists as they are shown.
    RiempiClienti(false);
    AggiornaElenco();
}

void Consulta::Cliente_Click(int index)
{
    if (index == m_clienteIndex)
        return;
    m_clienteIndex = index;
    AggiornaElenco();
}

void Consulta::Documento_Click(int index)
{
    if (index == m_documentoIndex)
        return;
    m_documentoIndex = index;
    RiempiAnni(true);
    AggiornaElenco();
}

void Consulta::Dati_KeyPress()
{
    AggiornaElenco();
}

void Consulta::Richieste_DblClick(const QModelIndex& index)
{
    if (index.isValid())
        openRow(index.row());
}

void Consulta::Toolbar1_ButtonClick()
{
    if (m_openInvoice)
        m_openInvoice(QString(), QString());
    afterInvoiceWindow();
}

void Consulta::openRow(int row)
{
    if (row < 0)
        return;
    if (m_openInvoice)
        m_openInvoice(m_model->cell(row, int(FeeColumn::Date)),
                      m_model->cell(row, int(FeeColumn::Number)));
    afterInvoiceWindow();
}

void Consulta::afterInvoiceWindow()
{
    // The invoice window may have added a year or a client, or changed the
    // listed invoices.
    RiempiAnni(true);
    RiempiClienti(true);
    AggiornaElenco();
}

bool Consulta::wheelOverGrid(int amount)
{
    m_wheelRest += amount;
    const int notches = m_wheelRest / 120;
    if (notches == 0)
        return true;
    m_wheelRest -= notches * 120;
    QScrollBar* bar = m_richieste->verticalScrollBar();
    const int rowHeight = std::max(1, m_richieste->verticalHeader()->defaultSectionSize());
    const int visible = m_richieste->viewport()->height() / rowHeight;
    int top = bar->value();
    for (int n = 0; n < std::abs(notches); ++n)
        top = consulta::wheelTopRow(top, notches, m_model->rowCount(), visible);
    bar->setValue(top);
    return true;
}

bool Consulta::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::FocusIn:
        if (watched == m_anno)
            m_annoIndex = m_anno->currentIndex();
        else if (watched == m_cliente)
            m_clienteIndex = m_cliente->currentIndex();
        else if (watched == m_documento)
            m_documentoIndex = m_documento->currentIndex();
        break;
    case QEvent::Wheel:
        if (watched == m_richieste->viewport())
            return wheelOverGrid(static_cast<QWheelEvent*>(event)->angleDelta().y());
        // A closed list under the pointer must not change the filter by itself.
        if (auto* list = qobject_cast<QComboBox*>(watched))
            return !list->view()->isVisible();
        break;
    case QEvent::KeyPress:
        if (watched == m_richieste) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                openRow(m_richieste->currentIndex().row());
                return true;
            }
        }
        break;
    case QEvent::KeyRelease:
        if (watched == m_richieste && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F5) {
            AggiornaElenco();
            return true;
        }
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}
