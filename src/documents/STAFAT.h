#pragma once

#include "FieldWindow.h"

class QCheckBox;
class QPushButton;

// The invoice print window: the number and date of the invoice, whether the
// place and date line is printed and whether the letterhead is used. "Stampa"
// records the page, offers the archive PDF from the preview and closes the
// window afterwards.
class STAFAT : public FieldWindow
{
    Q_OBJECT
public:
    explicit STAFAT(AppContext& context, QWidget* parent = nullptr);

    // Fills number and date from the last invoice in key order.
    void Form_Load();
    void BtStampa_Click();

    QCheckBox* StampaData() const { return m_stampaData; }
    QCheckBox* Carta() const { return m_carta; }
    QPushButton* BtStampa() const { return m_btStampa; }

private:
    QCheckBox* m_stampaData = nullptr;
    QCheckBox* m_carta = nullptr;
    QPushButton* m_btStampa = nullptr;
};
