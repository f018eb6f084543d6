#pragma once

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

private:
    // The invoice's printout and electronic invoice go together; beside
    // them, whether the stored invoice's electronic invoice was written.
    void setPrintable(bool printable);

    QPushButton* m_stampa = nullptr;
    QPushButton* m_fatturaElettronica = nullptr;
    QPushButton* m_annullaInvio = nullptr;
    QLabel* m_xmlScritto = nullptr;
    std::optional<Sending> m_live; // of the stored invoice shown
    bool m_tabsSent = false;
};
