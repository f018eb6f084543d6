#include "FArcFAT.h"

#include "AppContext.h"
#include "Clock.h"
#include "CreditNotes.h"
#include "DocumentAmounts.h"
#include "DocumentFields.h"
#include "FatturaPAChecks.h"
#include "FatturaPAFile.h"
#include "InvoicePdfAttachment.h"
#include "InvoiceRegime.h"
#include "KeyText.h"
#include "MessageBox.h"
#include "ProposedNumber.h"
#include "ReceiptImport.h"
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
    m_annullaInvio = new QPushButton(QStringLiteral("Annulla &invio"), this);
    m_annullaInvio->setObjectName(QStringLiteral("AnnullaInvio"));
    m_annullaInvio->setEnabled(false);
    connect(m_annullaInvio, &QPushButton::clicked, this, &FArcFAT::AnnullaInvio_Click);
    buttonRow()->insertWidget(4, m_annullaInvio);
    m_inviaPec = new QPushButton(QStringLiteral("Invia con &PEC"), this);
    m_inviaPec->setObjectName(QStringLiteral("InviaPEC"));
    m_inviaPec->setEnabled(false);
    connect(m_inviaPec, &QPushButton::clicked, this, &FArcFAT::InviaPEC_Click);
    buttonRow()->insertWidget(5, m_inviaPec);
    // Alt+C is "&Chiudi"'s.
    m_notaCredito = new QPushButton(QStringLiteral("&Nota di credito"), this);
    m_notaCredito->setObjectName(QStringLiteral("NotaCredito"));
    m_notaCredito->setEnabled(false);
    connect(m_notaCredito, &QPushButton::clicked, this, &FArcFAT::NotaCredito_Click);
    buttonRow()->insertWidget(6, m_notaCredito);
    // Under the buttons, across the window: a rejection's reasons are long.
    m_xmlScritto = new QLabel(this);
    m_xmlScritto->setObjectName(QStringLiteral("XmlScritto"));
    m_xmlScritto->setWordWrap(true);
    m_xmlScritto->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_xmlScritto->setMinimumHeight(2 * m_xmlScritto->fontMetrics().lineSpacing() + 2);
    if (auto* column = qobject_cast<QBoxLayout*>(layout()))
        column->addWidget(m_xmlScritto);
    else
        buttonRow()->insertWidget(6, m_xmlScritto);
}

namespace {

// What the window says of the invoice's electronic invoice: its live
// sending and what the SdI said of it, else how the last one ended.
QString sendingCaption(const FeeDocument& invoice, const QVector<Sending>& sendings)
{
    for (auto s = sendings.crbegin(); s != sendings.crend(); ++s)
        if (s->isLive())
            return sendingStateText(*s);
    if (sendings.isEmpty())
        return fatturaPAWrittenText(invoice.xmlWritten);
    return sendingStateText(sendings.constLast());
}

} // namespace

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
    const auto sendings =
        invoice ? Sendings(m_context.DbArchivi).ofInvoice(*key, &error) : std::nullopt;
    m_live.reset();
    m_reversal.reset();
    m_creditedBy.reset();
    bool creditable = false;
    if (invoice && invoice->isCreditNote()) {
        m_reversal = *invoice;
    } else if (invoice) {
        const auto notes = creditNotesOf(m_context.DbArchivi, *key, &error);
        if (notes && !notes->isEmpty())
            m_creditedBy = notes->constFirst().key;
        const auto left = creditableRemainder(m_context.DbArchivi, *invoice, {}, &error);
        creditable = left && leavesSomethingToCredit(*left);
    }
    m_notaCredito->setEnabled(creditable && m_context.DbArchivi.acceptsWrites());
    showDocumentType();
    if (sendings) {
        caption = sendingCaption(*invoice, *sendings);
        for (const Sending& s : *sendings)
            if (s.isLive())
                m_live = s;
    }
    m_xmlScritto->setText(caption);
    m_annullaInvio->setEnabled(m_live && m_live->mayWithdraw() &&
                               m_context.DbArchivi.acceptsWrites());
    // Only a file written and not yet sent goes; the state says the rest.
    m_inviaPec->setEnabled(m_live && m_live->state == SendingState::Written &&
                           m_context.DbArchivi.acceptsWrites() && bool(m_context.sendInvoiceByPec));
    applyLocks();
}

QString FArcFAT::lockReason(int index) const
{
    const bool open = index == FeeField::Date || index == FeeField::Number ||
                      index == FeeField::PaymentDate || index == FeeField::Notes;
    return m_live && !open ? lockedInvoiceMessage() : QString();
}

bool FArcFAT::mayDelete()
{
    if (!m_live && !m_creditedBy)
        return true;
    const auto key =
        DocumentKey::of(parseItalianDate(text(FeeField::Date)), text(FeeField::Number));
    MessageBox::warning(this, m_live || !key ? lockedInvoiceMessage()
                                             : creditedInvoiceMessage(*key, *m_creditedBy));
    return false;
}

void FArcFAT::showDocumentType()
{
    const QString title = QStringLiteral("Archivio FATTURE - versione EURO");
    setWindowTitle(m_reversal
                       ? title + QStringLiteral(" - Nota di credito ") + reversalText(*m_reversal)
                       : title);
}

SaveResult FArcFAT::storeRecord(SaveMode mode, qint64* version, QString* why)
{
    auto document = feeDocumentFromFields(*this, FeeDocumentKind::Invoice, why);
    if (!document)
        return SaveResult::Refused;
    if (m_reversal) {
        document->type = DocumentType::CreditNote;
        document->linkedInvoice = m_reversal->linkedInvoice;
        document->linkedInvoiceDate = m_reversal->linkedInvoiceDate;
    }
    recordRegime(m_context.settings(), &*document);
    return FeeDocuments(m_context.DbArchivi, FeeDocumentKind::Invoice)
        .save(*document, mode, why, version);
}

void FArcFAT::NotaCredito_Click()
{
    // The note reverses the invoice as stored, never edits not yet stored.
    if (!saveFirst(QStringLiteral("La fattura ha modifiche non memorizzate.\n"
                                  "Memorizzarle e preparare la nota di credito?")))
        return;
    const auto key =
        DocumentKey::of(parseItalianDate(text(FeeField::Date)), text(FeeField::Number));
    QString error;
    const auto invoice =
        key ? FeeDocuments(m_context.DbArchivi, FeeDocumentKind::Invoice).find(*key, &error)
            : std::nullopt;
    const auto left = invoice && !invoice->isCreditNote()
                          ? creditableRemainder(m_context.DbArchivi, *invoice, {}, &error)
                          : std::nullopt;
    if (!left || !leavesSomethingToCredit(*left)) {
        MessageBox::warning(this, !error.isEmpty() ? error
                                  : !left          ? QStringLiteral("Fattura non trovata")
                                          : QStringLiteral("La fattura %1/%2 è già stornata per "
                                                           "intero")
                                                .arg(key->number())
                                                .arg(key->year()));
        return;
    }
    // The next number of the one sequence, dated today: a new record.
    const QDate today = Clock::today();
    setText(FeeField::Date, today.toString(QStringLiteral("dd/MM/yyyy")));
    setText(FeeField::Number, proposedNumber(*table(), NumberingRestart::Never, today));
    keyFieldLeft(FeeField::Number);
    const auto noteKey =
        DocumentKey::of(parseItalianDate(text(FeeField::Date)), text(FeeField::Number));
    if (!noteKey)
        return;
    const FeeDocument note = creditNoteFor(*invoice, *left, *noteKey);
    showFeeDocumentContent(*this, note);
    showLoadedTexts();
    compute(FeeField::Fee);
    m_reversal = note;
    showDocumentType();
    focusField(FeeField::Fee);
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
    if (!key) {
        MessageBox::warning(this, message);
        return;
    }
    QString error;
    if (const auto live = Sendings(m_context.DbArchivi).live(*key, &error);
        live && !MessageBox::confirm(this, alreadyWrittenText(*live) +
                                               QStringLiteral(". Scriverla di nuovo?")))
        return;
    std::optional<FatturaPAAttachment> pdf;
    std::optional<QString> path;
    QStringList warnings;
    {
        // The PDF to attach may have to be laid out and written first.
        const WaitCursor wait;
        if (attachInvoicePdf(m_context, *key, &pdf, &message))
            path = exportFatturaPA(m_context.DbArchivi, m_context.settings(),
                                   m_context.archiveFolder(), *key, {}, &message, nullptr,
                                   WriteAgain::Allow, pdf, &warnings);
    }
    setPrintable(true);
    const QString written =
        path ? QStringLiteral("Fattura elettronica scritta in\n%1").arg(*path) : QString();
    if (path && warnings.isEmpty())
        MessageBox::show(this, written);
    else if (path)
        MessageBox::warning(this,
                            written + QStringLiteral("\n\n") + fatturaPAWarningText(warnings));
    else
        MessageBox::warning(this, message);
}

void FArcFAT::AnnullaInvio_Click()
{
    if (!m_live)
        return;
    const Sending live = *m_live;
    if (!MessageBox::confirm(this, QStringLiteral("Annullare l'invio %1 della fattura %2/%3?\n"
                                                  "Il file non va caricato sul Sistema di "
                                                  "Interscambio.")
                                       .arg(live.fileName)
                                       .arg(live.invoice.number())
                                       .arg(live.invoice.year())))
        return;
    QString error;
    const auto done = withdrawLiveSending(m_context.DbArchivi, live.invoice, &error);
    setPrintable(true);
    if (done)
        MessageBox::show(this, *done);
    else
        MessageBox::warning(this, error);
}

void FArcFAT::InviaPEC_Click()
{
    if (!m_live || !m_context.sendInvoiceByPec)
        return;
    m_context.sendInvoiceByPec(m_live->invoice, this);
    setPrintable(true);
}

void FArcFAT::Dati_DblClick(int index)
{
    if (index == FeeField::Notes)
        setText(index, m_context.settings().privacyNotice());
    else
        FeeDocumentWindow::Dati_DblClick(index);
}
