#pragma once

#include "FieldWindow.h"
#include "PeriodSelection.h"

class QCheckBox;
class QPushButton;

// A period report's window: the first and last date of the period (and, for
// a kind chosen by client, a client and the unpaid invoices only). "Stampa" records
// the report and shows it in the preview, from which it can also be
// exported as a PDF into Stampe of the archive folder; "Riepilogo" shows the
// same selection in the report's list window. Either closes the window
// afterwards; a selection that cannot be reported is told and the window
// stays open.
class PeriodWindow : public FieldWindow
{
    Q_OBJECT
public:
    PeriodWindow(AppContext& context, PeriodReport report, QWidget* parent);

    // The selection the fields hold.
    ParametriLista selection() const;

    void BtStampa_Click();
    void BtAnte_Click();

    QPushButton* BtStampa() const { return m_btStampa; }
    QPushButton* BtAnte() const { return m_btAnte; }
    // "Fatture inevase" of a kind chosen by client; nullptr in the others.
    QCheckBox* Inevase() const { return m_inevase; }

private:
    void Form_Load();
    // A date field in its display form, as typed when it is not a date.
    QString shownDate(int index) const;

    const PeriodReportKind& m_kind;
    QCheckBox* m_inevase = nullptr;
    QPushButton* m_btStampa = nullptr;
    QPushButton* m_btAnte = nullptr;
};

// "Stampa FATTURATO": the invoices issued in a period.
class STAFatturato : public PeriodWindow
{
    Q_OBJECT
public:
    explicit STAFatturato(AppContext& context, QWidget* parent = nullptr);
};

// "Stampa SITUAZIONE R.A.": the invoices paid in a period with tax withheld.
class STARA : public PeriodWindow
{
    Q_OBJECT
public:
    explicit STARA(AppContext& context, QWidget* parent = nullptr);
};

// "Stampa MOVIMENTI": the purchases of a period.
class STAMOV : public PeriodWindow
{
    Q_OBJECT
public:
    explicit STAMOV(AppContext& context, QWidget* parent = nullptr);
};
