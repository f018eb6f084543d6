#pragma once

#include "ContactImport.h"
#include "Table.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTableWidget;
class QWidget;
struct AppContext;

// "Importa clienti ..." and "Importa fornitori ...": asks for the
// spreadsheet, then shows what importing it would do before anything is
// written.
void openContactImport(AppContext& context, Table table, QWidget* parent);

// The preview of an import: each row of the file with its outcome, the
// counts, and "Importa" only for a file that can be written whole.
class ContactImportWindow : public QDialog
{
    Q_OBJECT
public:
    ContactImportWindow(AppContext& context, Table table, QString path, ImportPlan plan,
                        QWidget* parent = nullptr);

    void BtImporta_Click();
    // Reads the file again, once it has been mended.
    void BtRileggi_Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showPlan();

    AppContext& m_context;
    Table m_table;
    QString m_path;
    ImportPlan m_plan;
    QLabel* m_summary = nullptr;
    QTableWidget* m_rows = nullptr;
    QPushButton* m_import = nullptr;
};
