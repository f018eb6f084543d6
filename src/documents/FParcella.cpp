#include "FParcella.h"

#include <QHBoxLayout>
#include <QPushButton>

FParcella::FParcella(AppContext& context, QWidget* parent) : FeeDocumentWindow(context, parent)
{
    setObjectName(QStringLiteral("FParcella"));
    setWindowTitle(QStringLiteral("Archivio PARCELLE- versione EURO"));
    loadDocument(4, 14, feeDocumentFields(false), false, true);
    // Printing a pro-forma needs the page engine: until then the button is
    // there but cannot be pressed.
    m_btStampa = new QPushButton(QStringLiteral("&Stampa"), this);
    m_btStampa->setObjectName(QStringLiteral("BtStampa"));
    m_btStampa->setEnabled(false);
    buttonRow()->insertWidget(0, m_btStampa);
}
