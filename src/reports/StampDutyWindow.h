#pragma once

#include <QDialog>

struct AppContext;
class QPlainTextEdit;
class QSpinBox;

// "Imposta di bollo": a year's virtual stamp duty by quarter (its invoices,
// count, amount, F24 tax code and deadline), shown for the year chosen,
// the current one to start with.
class StampDutyWindow : public QDialog
{
    Q_OBJECT
public:
    StampDutyWindow(AppContext& context, QWidget* parent);

    QSpinBox* Anno() const { return m_anno; }
    QPlainTextEdit* Testo() const { return m_testo; }

private:
    void showYear(int year);

    AppContext& m_context;
    QSpinBox* m_anno = nullptr;
    QPlainTextEdit* m_testo = nullptr;
};
