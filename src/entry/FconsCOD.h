#pragma once

#include <QDialog>

class GridModel;
class QTableView;
struct AppContext;

// The records of a table in a grid, for browsing: the table TabellaCorrente,
// or the query in SqlConsulta when one is set.
class FconsCOD : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kRowLimit = 2000;

    FconsCOD(AppContext& context, QWidget* parent = nullptr);

    QTableView* Gri() const { return m_gri; }
    GridModel* model() const { return m_model; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    void zoomCurrentCell();

    AppContext& m_context;
    GridModel* m_model = nullptr;
    QTableView* m_gri = nullptr;
};
