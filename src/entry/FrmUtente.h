#pragma once

#include "FieldWindow.h"

#include <memory>

class QPushButton;
class Recordset;

// The professional's own heading data, printed on every document.
class FrmUtente : public FieldWindow
{
    Q_OBJECT
public:
    FrmUtente(AppContext& context, QWidget* parent = nullptr);
    ~FrmUtente() override;
    static const FieldTable& fields();

    void BtMem_Click();
    QPushButton* BtMem() const { return m_btMem; }

protected:
    bool salvaModifiche() override;

private:
    std::unique_ptr<Recordset> m_table;
    QPushButton* m_btMem = nullptr;
};

// Writes the six heading fields into the datipers record (created when the
// table has none) and, once stored, into DatiUtente.
bool MemorizzaDatiUtente(Recordset& table, const QStringList& values, QStringList* datiUtente,
                         QString* error);
