#include "ContactImportWindow.h"

#include "AppContext.h"
#include "CommandButtons.h"
#include "MessageBox.h"
#include "WaitCursor.h"
#include "WindowGeometry.h"

#include <QApplication>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QString title(Table table)
{
    return QStringLiteral("Importa ") + contactNoun(table);
}

QString outcomeText(ImportOutcome outcome)
{
    switch (outcome) {
    case ImportOutcome::Created:
        return QStringLiteral("da creare");
    case ImportOutcome::Unchanged:
        return QStringLiteral("già in archivio");
    case ImportOutcome::Refused:
        break;
    }
    return QStringLiteral("rifiutata");
}

} // namespace

void openContactImport(AppContext& context, Table table, QWidget* parent)
{
    // Qt's own dialog, the same on every desktop, in the program's language.
    QFileDialog dialog(parent, title(table),
                       QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
                       QStringLiteral("Fogli di calcolo CSV (*.csv *.CSV *.txt *.TXT);;Tutti i "
                                      "file (*)"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    QApplication::processEvents();
    const QString path = dialog.selectedFiles().constFirst();
    QString error;
    std::optional<ImportPlan> plan;
    {
        const WaitCursor wait;
        plan = planContactImportFile(context.DbArchivi, table, path, &error);
    }
    if (!plan) {
        MessageBox::warning(parent, error);
        return;
    }
    ContactImportWindow window(context, table, path, std::move(*plan), parent);
    window.exec();
}

ContactImportWindow::ContactImportWindow(AppContext& context, Table table, QString path,
                                         ImportPlan plan, QWidget* parent)
    : QDialog(parent), m_context(context), m_table(table), m_path(std::move(path)),
      m_plan(std::move(plan))
{
    setObjectName(QStringLiteral("ContactImportWindow"));
    setWindowTitle(title(table));
    auto* file = new QLabel(QStringLiteral("File: ") + QDir::toNativeSeparators(m_path), this);
    file->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("Riepilogo"));
    m_summary->setWordWrap(true);
    m_rows = new QTableWidget(0, 5, this);
    m_rows->setObjectName(QStringLiteral("Righe"));
    m_rows->setHorizontalHeaderLabels({QStringLiteral("Riga"), QStringLiteral("Esito"),
                                       QStringLiteral("Codice"), QStringLiteral("Denominazione"),
                                       QStringLiteral("Motivo")});
    m_rows->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_rows->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_rows->setSelectionMode(QAbstractItemView::SingleSelection);
    m_rows->setTabKeyNavigation(false);
    m_rows->setWordWrap(false);
    m_rows->verticalHeader()->hide();
    m_rows->horizontalHeader()->setStretchLastSection(true);

    m_import = commandButton(QStringLiteral("&Importa"), "BtImporta", this);
    auto* reread = commandButton(QStringLiteral("&Rileggi il file"), "BtRileggi", this);
    auto* cancel = commandButton(QStringLiteral("&Annulla"), "BtAnnulla", this);
    connect(m_import, &QPushButton::clicked, this, &ContactImportWindow::BtImporta_Click);
    connect(reread, &QPushButton::clicked, this, &ContactImportWindow::BtRileggi_Click);
    connect(cancel, &QPushButton::clicked, this, &ContactImportWindow::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(file);
    layout->addWidget(m_summary);
    layout->addWidget(m_rows, 1);
    layout->addLayout(commandRow({m_import, reread}, cancel));
    resize(820, 440);
    showPlan();
}

void ContactImportWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    placeCentred(this, m_context);
    m_rows->setFocus();
}

void ContactImportWindow::showPlan()
{
    QString text = m_plan.summary() + QLatin1Char('.');
    if (!m_plan.ignoredColumns.isEmpty())
        text += QStringLiteral("\nColonne non lette: %1.")
                    .arg(m_plan.ignoredColumns.join(QStringLiteral(", ")));
    if (m_plan.count(ImportOutcome::Refused) > 0)
        text += QStringLiteral("\nFinché una riga è rifiutata non viene scritto nulla: correggere "
                               "nel file la %1 e rileggerlo.")
                    .arg(m_plan.refusedLines())
                    .replace(QStringLiteral("la righe"), QStringLiteral("le righe"));
    else if (m_plan.codesProposed)
        text += QStringLiteral("\nIl file non ha la colonna del codice: i codici sono proposti "
                               "dalla denominazione.");
    m_summary->setText(text);

    m_rows->setRowCount(int(m_plan.rows.size()));
    for (int i = 0; i < m_rows->rowCount(); ++i) {
        const ImportRow& row = m_plan.rows.at(std::size_t(i));
        const QStringList cells{QString::number(row.line), outcomeText(row.outcome),
                                row.contact.code, row.contact.name, row.reason};
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells.at(c));
            if (row.outcome == ImportOutcome::Refused)
                item->setForeground(QColor(0xA0, 0x10, 0x10));
            if (c == 0)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            item->setToolTip(cells.at(c));
            m_rows->setItem(i, c, item);
        }
    }
    m_rows->resizeColumnsToContents();
    m_rows->setColumnWidth(3, qMin(m_rows->columnWidth(3), 260));
    if (m_rows->rowCount() > 0)
        m_rows->selectRow(0);
    m_import->setEnabled(m_plan.canWrite());
}

void ContactImportWindow::BtRileggi_Click()
{
    QString error;
    std::optional<ImportPlan> plan;
    {
        const WaitCursor wait;
        plan = planContactImportFile(m_context.DbArchivi, m_table, m_path, &error);
    }
    if (!plan) {
        MessageBox::warning(this, error);
        return;
    }
    m_plan = std::move(*plan);
    showPlan();
}

void ContactImportWindow::BtImporta_Click()
{
    if (!m_plan.canWrite())
        return;
    QString error;
    bool written = false;
    {
        const WaitCursor wait;
        written = applyContactImport(m_context.DbArchivi, m_plan, &error);
    }
    if (!written) {
        MessageBox::error(this, error);
        BtRileggi_Click(); // what the archive holds now
        return;
    }
    const int created = m_plan.count(ImportOutcome::Created);
    MessageBox::show(
        this, QStringLiteral("%1 %2 %3.")
                  .arg(created)
                  .arg(contactNoun(m_table, created),
                       created == 1 ? QStringLiteral("importato") : QStringLiteral("importati")));
    accept();
}
