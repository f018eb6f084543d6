#pragma once

#include "FeeDocument.h"
#include "FeeDocumentWindow.h"
#include "Sendings.h"

#include <optional>

class QLabel;
class QPushButton;

// The invoice window.
class FArcFAT : public FeeDocumentWindow
{
    Q_OBJECT
public:
    FArcFAT(AppContext& context, QWidget* parent = nullptr);

    QPushButton* Stampa() const { return m_stampa; }
    // Opens the invoice print window on this invoice's number and date.
    void Stampa_Click();
    // Writes the stored invoice's electronic invoice beside its archived PDF,
    // as a new sending.
    void FatturaElettronica_Click();
    // Withdraws the live sending that the SdI has not taken in: the invoice
    // may then be changed.
    void AnnullaInvio_Click();
    void InviaPEC_Click();
    // Opens a new credit note reversing what is left of the stored invoice,
    // to be lowered for a partial one and stored with "Memorizza".
    void NotaCredito_Click();

protected:
    // Printing is possible exactly when the typed year and number belong to a
    // stored invoice: after a key lookup, a save or a delete.
    bool keyFieldLeft(int index) override;
    void recordStored() override;
    void recordDeleted() override;
    void Dati_DblClick(int index) override;
    // A live sending locks what its file carries; the payment date, the
    // notes and the key (to look up another invoice) stay open.
    QString lockReason(int index) const override;
    bool mayDelete() override;
    void changeEvent(QEvent* event) override;
    // A credit note carries the invoice it reverses.
    SaveResult storeRecord(SaveMode mode, qint64* version, QString* why) override;

private:
    // The invoice's printout and electronic invoice go together; beside
    // them, whether the stored invoice's electronic invoice was written.
    void setPrintable(bool printable);
    // The caption names a credit note and the invoice it reverses.
    void showDocumentType();

    QPushButton* m_stampa = nullptr;
    QPushButton* m_fatturaElettronica = nullptr;
    QPushButton* m_annullaInvio = nullptr;
    QPushButton* m_inviaPec = nullptr;
    QPushButton* m_notaCredito = nullptr;
    QLabel* m_xmlScritto = nullptr;
    std::optional<Sending> m_live; // of the stored invoice shown
    // The record on screen is a credit note reversing this invoice (its key
    // and date): one stored, or one being made.
    std::optional<FeeDocument> m_reversal;
    // A credit note of the stored invoice shown, which keeps it.
    std::optional<DocumentKey> m_creditedBy;
    bool m_tabsSent = false;
};
