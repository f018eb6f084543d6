#pragma once

#include "FeeDocumentWindow.h"

class QPushButton;

// The pro-forma fee note window.
class FParcella : public FeeDocumentWindow
{
    Q_OBJECT
public:
    FParcella(AppContext& context, QWidget* parent = nullptr);
    QPushButton* BtStampa() const { return m_btStampa; }
    // Prints the saved pro-forma of this date and number through the
    // preview, then closes the window; unsaved changes are asked about first.
    void BtStampa_Click();

private:
    QPushButton* m_btStampa = nullptr;
};
