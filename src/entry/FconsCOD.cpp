#include "FconsCOD.h"

#include "AppContext.h"
#include "GridModel.h"
#include "MessageBox.h"
#include "Snapshot.h"
#include "Twips.h"
#include "WaitCursor.h"
#include "WindowGeometry.h"
#include "fZoom.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QScreen>
#include <QTableView>
#include <QVBoxLayout>
#include <optional>

FconsCOD::FconsCOD(AppContext& context, Table table, QWidget* parent)
    : QDialog(parent), m_context(context), m_table(table)
{
    setObjectName(QStringLiteral("FconsCOD"));
    setWindowTitle(QStringLiteral("Elenco codici"));
    m_model = new GridModel(this);
    m_gri = new QTableView(this);
    m_gri->setObjectName(QStringLiteral("Gri"));
    m_gri->setModel(m_model);
    m_gri->verticalHeader()->hide();
    m_gri->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    m_gri->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_gri->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_gri->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_gri);

    // Sized to show a good part of the table, never beyond the screen.
    QRect screen(0, 0, 1024, 768);
    if (const QScreen* s = parent ? parent->screen() : nullptr)
        screen = s->availableGeometry();
    resize(qMin(900, screen.width() - 40), qMin(500, screen.height() - 80));
    Form_Load();
    placeCentred(this, m_context);
}

void FconsCOD::Form_Load()
{
    std::optional<WaitCursor> wait(std::in_place);
    Database& db = m_context.DbArchivi;
    const QString sql = QStringLiteral("SELECT * FROM %1 ORDER BY %2")
                            .arg(db.quoted(nameOf(m_table)), db.quoted(QStringLiteral("Chiave")));
    QString error;
    const auto records = Snapshot::Open(db, sql, {}, &error);
    if (!records || records->RecordCount() == 0) {
        m_gri->hide();
    } else {
        const double dpi = logicalDpi(this);
        RiempiGriglia(*m_model, *records, kRowLimit, 0, letterWidthTwips(dpi));
        for (int c = 0; c < m_model->columnCount(); ++c)
            m_gri->setColumnWidth(c, pixelsFromTwips(m_model->columnWidthTwips(c), dpi));
        m_gri->setCurrentIndex(m_model->index(0, 1));
    }
    wait.reset(); // the pointer is back before any message
    if (!records)
        MessageBox::error(this, error);
}

bool FconsCOD::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_gri && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_F2) {
        zoomCurrentCell();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void FconsCOD::zoomCurrentCell()
{
    const QModelIndex current = m_gri->currentIndex();
    fZoom zoom(current.isValid() ? m_model->cell(current.row(), current.column()) : QString(),
               this);
    zoom.move(pos() + QPoint(pixelsFromTwips(250, logicalDpi(this)),
                             pixelsFromTwips(1200, logicalDpi(this))));
    zoom.exec();
}
