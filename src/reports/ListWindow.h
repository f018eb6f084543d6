#pragma once

#include "PeriodSelection.h"

#include <QDialog>

class ListModel;
class QPushButton;
class QTableView;
class QWidget;
struct AppContext;

// A period's documents on screen: one grid row each, then a blank row and
// the totals. Read-only; Esc or "Chiudi" closes it, F4 on the number column
// shows the number in the zoom window. Opened by a period window's
// "Riepilogo" with that window's selection.
class ListWindow : public QDialog
{
    Q_OBJECT
public:
    ListWindow(AppContext& context, PeriodReport report, ParametriLista selection, QWidget* parent);

    QTableView* Lavori() const { return m_lavori; }
    ListModel* model() const { return m_model; }
    QPushButton* BUscita() const { return m_bUscita; }
    // What stopped the loading; empty when the list is complete.
    QString loadMessage() const { return m_message; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    void Form_Resize();
    void Lavori_KeyUp(int key);
    // In pixels: a cell showing text; what column needs to show its widest
    // text and its title (0 for the names, which share what is left); the
    // columns past the width entries.
    int cellWidth(const QString& text) const;
    int neededWidth(int column) const;
    int restWidth() const;

    AppContext& m_context;
    const PeriodReportKind& m_kind;
    ParametriLista m_selection;
    ListModel* m_model = nullptr;
    QTableView* m_lavori = nullptr;
    QWidget* m_picture = nullptr;
    QPushButton* m_bUscita = nullptr;
    QString m_message;
    bool m_messageShown = false;
};

// The invoices of a period, optionally of one client and only the unpaid.
class DispFAT : public ListWindow
{
    Q_OBJECT
public:
    DispFAT(AppContext& context, const ParametriLista& selection, QWidget* parent = nullptr);
};

// The invoices paid in a period on which tax was withheld.
class DispRA : public ListWindow
{
    Q_OBJECT
public:
    DispRA(AppContext& context, const ParametriLista& selection, QWidget* parent = nullptr);
};

// The purchases of a period.
class DispMOV : public ListWindow
{
    Q_OBJECT
public:
    DispMOV(AppContext& context, const ParametriLista& selection, QWidget* parent = nullptr);
};
