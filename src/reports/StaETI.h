#pragma once

#include "FieldWindow.h"

class QCheckBox;
class QPushButton;
class QRadioButton;

// "Stampa ETICHETTE": address labels of the clients or the suppliers whose
// codes lie in a range, in one or two columns, printed straight on the
// program's printer (there is no preview).
class StaETI : public FieldWindow
{
    Q_OBJECT
public:
    explicit StaETI(AppContext& context, QWidget* parent = nullptr);

    void BtStampa_Click();

    QRadioButton* Clienti() const { return m_clienti; }
    QRadioButton* Fornitori() const { return m_fornitori; }
    QCheckBox* Colonne() const { return m_colonne; }
    QPushButton* BtStampa() const { return m_btStampa; }

private:
    QRadioButton* m_clienti = nullptr;
    QRadioButton* m_fornitori = nullptr;
    QCheckBox* m_colonne = nullptr;
    QPushButton* m_btStampa = nullptr;
};
