#pragma once

#include "YearGlance.h"

#include <QDialog>

struct AppContext;
class QChart;
class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTableWidget;

// "Andamento": how the chosen year goes. The fees month by month beside the
// year before, with both years' running totals; the unpaid invoices by age,
// a row chosen listing them; the withholding of each year; the ten clients
// with most fees. The current year to start with.
class YearGlanceWindow : public QDialog
{
    Q_OBJECT
public:
    YearGlanceWindow(AppContext& context, QWidget* parent);

    QSpinBox* Anno() const { return m_anno; }
    QLabel* Avviso() const { return m_avviso; }
    QTableWidget* Eta() const { return m_eta; }
    QListWidget* Insolute() const { return m_insolute; }
    const YearGlance& glance() const { return m_glance; }
    QChart* monthsChart() const { return m_months; }
    QChart* clientsChart() const { return m_clients; }
    QChart* withholdingChart() const { return m_withholding; }

private:
    void showYear(int year);
    void fillMonths();
    void fillAges();
    void fillWithholding();
    void fillClients();
    void listAge(int row);
    QString money(const Money& amount) const;

    AppContext& m_context;
    YearGlance m_glance;
    QSpinBox* m_anno = nullptr;
    QLabel* m_avviso = nullptr;
    QTableWidget* m_eta = nullptr;
    QListWidget* m_insolute = nullptr;
    QChart* m_months = nullptr;
    QChart* m_clients = nullptr;
    QChart* m_withholding = nullptr;
    QPushButton* m_stampa = nullptr;
    QPushButton* m_pdf = nullptr;
};
