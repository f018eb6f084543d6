#pragma once

#include "Table.h"

#include <QDialog>

class GridModel;
class QTableView;
struct AppContext;

// The records of a table in a grid, for browsing, in key order.
class FconsCOD : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kRowLimit = 2000;

    FconsCOD(AppContext& context, Table table, QWidget* parent = nullptr);

    QTableView* Gri() const { return m_gri; }
    GridModel* model() const { return m_model; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    void zoomCurrentCell();

    AppContext& m_context;
    Table m_table;
    GridModel* m_model = nullptr;
    QTableView* m_gri = nullptr;
};
