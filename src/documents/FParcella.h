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

private:
    QPushButton* m_btStampa = nullptr;
};
