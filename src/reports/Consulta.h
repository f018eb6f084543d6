#pragma once

#include <QDialog>
#include <QVector>
#include <functional>

class ConsultaModel;
class QComboBox;
class QLabel;
class QLineEdit;
class QStatusBar;
class QTableView;
class QToolBar;
class QAction;
struct AppContext;

// The invoices in a grid, filtered by year and client, with the total of
// their fees. The invoice window itself is opened through `openInvoice`:
// with the row's date and number, or with two empty texts for a new one.
class Consulta : public QDialog
{
    Q_OBJECT
public:
    using OpenInvoice = std::function<void(const QString& date, const QString& number)>;

    Consulta(AppContext& context, OpenInvoice openInvoice, QWidget* parent = nullptr);

    QTableView* Richieste() const { return m_richieste; }
    ConsultaModel* model() const { return m_model; }
    QComboBox* Anno() const { return m_anno; }
    QComboBox* Cliente() const { return m_cliente; }
    QComboBox* Documento() const { return m_documento; }
    QLineEdit* Dati() const { return m_dati; }
    QAction* Nuovo() const { return m_nuovo; }
    QString totalText() const;

    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void Form_Load();
    void Form_Unload();
    void Anno_Click(int index);
    void Cliente_Click(int index);
    void Documento_Click(int index);
    void Dati_KeyPress();
    void Richieste_DblClick(const QModelIndex& index);
    void Toolbar1_ButtonClick();

    // Rebuild the lists; with `keep` the chosen entry stays chosen when it is
    // still listed.
    void RiempiAnni(bool keep);
    void RiempiClienti(bool keep);
    void AggiornaElenco();
    void showLastRow();
    void openRow(int row);
    void afterInvoiceWindow();
    bool wheelOverGrid(int amount);

    AppContext& m_context;
    OpenInvoice m_openInvoice;
    QToolBar* m_toolbar1 = nullptr;
    QAction* m_nuovo = nullptr;
    QComboBox* m_anno = nullptr;
    QComboBox* m_cliente = nullptr;
    QComboBox* m_documento = nullptr;
    QLineEdit* m_dati = nullptr;
    QTableView* m_richieste = nullptr;
    ConsultaModel* m_model = nullptr;
    QStatusBar* m_statusBar = nullptr;
    QLabel* m_totale = nullptr;
    // The list indexes noted when each list took the focus, or last acted on.
    int m_annoIndex = -1;
    int m_clienteIndex = -1;
    int m_documentoIndex = -1;
    int m_wheelRest = 0; // part of a wheel notch not yet scrolled
    bool m_unloaded = false;
};
