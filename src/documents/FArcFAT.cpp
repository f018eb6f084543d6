#include "FArcFAT.h"

#include "AppContext.h"
#include "DocumentAmounts.h"
#include "FatturaPAFile.h"
#include "InvoicePdfAttachment.h"
#include "KeyText.h"
#include "MessageBox.h"
#include "STAFAT.h"
#include "WaitCursor.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

FArcFAT::FArcFAT(AppContext& context, QWidget* parent) : FeeDocumentWindow(context, parent)
{
    setObjectName(QStringLiteral("FArcFAT"));
    setWindowTitle(QStringLiteral("Archivio FATTURE - versione EURO"));
    setRecordNoun(QStringLiteral("Fattura"), true);
    loadDocument(FeeDocumentKind::Invoice, RecordGrid::Hidden);
    m_stampa = new QPushButton(QStringLiteral("&Stampa ...."), this);
    m_stampa->setObjectName(QStringLiteral("Stampa"));
    m_stampa->setEnabled(false);
    connect(m_stampa, &QPushButton::clicked, this, &FArcFAT::Stampa_Click);
    buttonRow()->insertWidget(2, m_stampa);
    // Alt+E is "&Elimina"'s: a second button on it would only take the focus.
    m_fatturaElettronica = new QPushButton(QStringLiteral("Fattura e&lettronica"), this);
    m_fatturaElettronica->setObjectName(QStringLiteral("FatturaElettronica"));
    m_fatturaElettronica->setEnabled(false);
    connect(m_fatturaElettronica, &QPushButton::clicked, this, &FArcFAT::FatturaElettronica_Click);
    buttonRow()->insertWidget(3, m_fatturaElettronica);
    m_xmlScritto = new QLabel(this);
    m_xmlScritto->setObjectName(QStringLiteral("XmlScritto"));
    buttonRow()->insertWidget(4, m_xmlScritto);
}

void FArcFAT::setPrintable(bool printable)
{
    m_stampa->setEnabled(printable);
    m_fatturaElettronica->setEnabled(printable);
    QString caption;
    const auto key =
        DocumentKey::of(parseItalianDate(text(FeeField::Date)), text(FeeField::Number));
    QString error;
    const auto invoice =
        printable && key
            ? FeeDocuments(m_context.DbArchivi, FeeDocumentKind::Invoice).find(*key, &error)
            : std::nullopt;
    if (invoice)
        caption = fatturaPAWrittenText(invoice->xmlWritten);
    m_xmlScritto->setText(caption);
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
    setPrintable(storedRecordOffered());
    return left;
}

void FArcFAT::recordStored()
{
    setPrintable(true);
}

void FArcFAT::recordDeleted()
{
    FeeDocumentWindow::recordDeleted();
    setPrintable(false);
}

void FArcFAT::Stampa_Click()
{
    STAFAT window(m_context, this);
    window.setText(0, text(FeeField::Number));
    window.setText(1, text(FeeField::Date));
    window.exec();
}

void FArcFAT::FatturaElettronica_Click()
{
    // The file carries the stored invoice: it is written only once it is what
    // the screen shows.
    if (!saveFirst(QStringLiteral("La fattura ha modifiche non memorizzate.\n"
                                  "Memorizzarle e scrivere la fattura elettronica?")))
        return;
    QString message = QStringLiteral("Fattura non trovata");
    const auto key =
        DocumentKey::of(parseItalianDate(text(FeeField::Date)), text(FeeField::Number));
    std::optional<FatturaPAAttachment> pdf;
    std::optional<QString> path;
    {
        // The PDF to attach may have to be laid out and written first.
        const WaitCursor wait;
        if (key && attachInvoicePdf(m_context, *key, &pdf, &message))
            path = exportFatturaPA(m_context.DbArchivi, m_context.settings(),
                                   m_context.programFolder, *key, {}, &message, nullptr, pdf);
    }
    setPrintable(true);
    if (path)
        MessageBox::show(this, QStringLiteral("Fattura elettronica scritta in\n%1").arg(*path));
    else
        MessageBox::warning(this, message);
}

void FArcFAT::Dati_DblClick(int index)
{
    if (index == FeeField::Notes)
        setText(index, m_context.settings().privacyNotice());
    else
        FeeDocumentWindow::Dati_DblClick(index);
}
