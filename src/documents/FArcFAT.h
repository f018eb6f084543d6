#pragma once

#include "FeeDocumentWindow.h"

class QPushButton;

// The invoice window.
class FArcFAT : public FeeDocumentWindow
{
    Q_OBJECT
public:
    FArcFAT(AppContext& context, QWidget* parent = nullptr);

    // Whether printing is possible: the typed year and number belong to a
    // stored invoice. The button itself stays disabled until the program can
    // print invoices.
    bool stampaDisponibile() const { return m_stampaDisponibile; }
    QPushButton* Stampa() const { return m_stampa; }

protected:
    void keyFieldLeft(int index) override;
    void Dati_DblClick(int index) override;
    void changeEvent(QEvent* event) override;

private:
    QPushButton* m_stampa = nullptr;
    bool m_stampaDisponibile = false;
    bool m_tabsSent = false;
};
