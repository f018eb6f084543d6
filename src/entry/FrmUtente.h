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

    void BtMem_Click();
    QPushButton* BtMem() const { return m_btMem; }

protected:
    bool saveChanges() override;

private:
    // Shows the heading as stored now.
    void showStored();

    std::unique_ptr<Recordset> m_table;
    QPushButton* m_btMem = nullptr;
};
