#include "FArcFAT.h"

#include "AppContext.h"
#include "DocumentAmounts.h"
#include "STAFAT.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>

FArcFAT::FArcFAT(AppContext& context, QWidget* parent) : FeeDocumentWindow(context, parent)
{
    setObjectName(QStringLiteral("FArcFAT"));
    setWindowTitle(QStringLiteral("Archivio FATTURE - versione EURO"));
    setRecordNoun(QStringLiteral("Fattura"), true);
    loadDocument(FeeDocumentKind::Invoice, RecordGrid::Hidden);
    m_stampa = new QPushButton(QStringLiteral("Stampa ...."), this);
    m_stampa->setObjectName(QStringLiteral("Stampa"));
    m_stampa->setEnabled(false);
    connect(m_stampa, &QPushButton::clicked, this, &FArcFAT::Stampa_Click);
    buttonRow()->insertWidget(2, m_stampa);
}

void FArcFAT::changeEvent(QEvent* event)
{
    FeeDocumentWindow::changeEvent(event);
    // Once the window has the focus, leave the date and the number as two Tab
    // keys would: the key lookup then shows the invoice they name.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !m_tabsSent) {
        m_tabsSent = true;
        QWidget* date = Dati(0);
        date->setFocus(Qt::TabFocusReason);
        for (int i = 0; i < 2; ++i) {
            QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
            QCoreApplication::sendEvent(QApplication::focusWidget(), &tab);
        }
    }
}

bool FArcFAT::keyFieldLeft(int index)
{
    const bool left = FeeDocumentWindow::keyFieldLeft(index);
    m_stampa->setEnabled(BtCanc()->isEnabled());
    return left;
}

void FArcFAT::recordStored()
{
    m_stampa->setEnabled(true);
}

void FArcFAT::recordDeleted()
{
    FeeDocumentWindow::recordDeleted();
    m_stampa->setEnabled(false);
}

void FArcFAT::Stampa_Click()
{
    STAFAT window(m_context, this);
    window.setText(0, text(FeeField::Number));
    window.setText(1, text(FeeField::Date));
    window.exec();
}

void FArcFAT::Dati_DblClick(int index)
{
    if (index == FeeField::Notes)
        setText(index, m_context.settings().privacyNotice());
    else
        FeeDocumentWindow::Dati_DblClick(index);
}
