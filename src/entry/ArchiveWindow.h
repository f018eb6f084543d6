#pragma once

#include "FieldWindow.h"

#include <memory>

class QHBoxLayout;
class QPushButton;
class Recordset;

// A window that edits the records of one table, one at a time, by key: the
// user types the key, leaving it shows the stored record or an empty one,
// "&Memorizza" stores it and "&Elimina" deletes it.
class ArchiveWindow : public FieldWindow
{
    Q_OBJECT
public:
    ArchiveWindow(AppContext& context, QWidget* parent);
    ~ArchiveWindow() override;

    void BtMem_Click();
    void BtCanc_Click();
    void ConsCOD_Click();

    QPushButton* BtMem() const { return m_btMem; }
    QPushButton* BtCanc() const { return m_btCanc; }
    QPushButton* BtUscita() const { return m_btUscita; }
    Recordset* table() const { return m_table.get(); }
    // The row of buttons under the fields, for windows that add their own.
    QHBoxLayout* buttonRow() const { return m_buttons; }

protected:
    // Opens the window's table and lays out the fields with the buttons
    // below; false (and the reason shown) when the table cannot be opened.
    bool Form_Load(int numTabella, int ultimoDato, int ultimaChiave, const FieldTable& fields,
                   bool withConsult = true);

    void Dati_GotFocus(int index) override;
    void keyFieldLeft(int index) override;
    // Whether the record on screen may be deleted; a window that refuses
    // tells the user why.
    virtual bool mayDelete() { return true; }
    // After the record on screen was stored, or deleted.
    virtual void recordStored() {}
    virtual void recordDeleted() {}
    void closeEvent(QCloseEvent* event) override;

    int NumTabella = 0;
    int UltimoDato = 0;

private:
    void focusFirstEnabledField();

    std::unique_ptr<Recordset> m_table;
    QPushButton* m_btMem = nullptr;
    QPushButton* m_btCanc = nullptr;
    QPushButton* m_btUscita = nullptr;
    QPushButton* m_consCod = nullptr;
    QHBoxLayout* m_buttons = nullptr;
};
