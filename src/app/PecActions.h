#pragma once

#include "PeriodFields.h"

#include <QDialog>
#include <memory>
#include <optional>

class DocumentKey;
class QWidget;
struct AppContext;
struct PecAccount;

// The "Fattura elettronica" menu's work with the PEC: files sent to the
// SdI, the inbox read. The network work runs on a thread of its own, the
// database's on the window's.
class PecActions
{
public:
    PecActions(AppContext& context, QWidget* parent);

    // The invoice window's "Invia con PEC": its live sending, not yet sent.
    void sendInvoice(const DocumentKey& invoice);
    // "Invia con PEC ...": asks for the period, then sends its files.
    void VoceInviaPEC();
    // "Ricevi dalla PEC".
    void VoceRiceviPEC();
    // "Impostazioni PEC ...".
    void VoceImpostazioniPEC();

    // The account with its password; nothing, after saying why, when the
    // settings lack the server or the user gives no password.
    std::optional<PecAccount> account(bool toSend);

private:
    AppContext& m_context;
    QWidget* m_parent;
};

// Asks for the period whose unsent files "Invia con PEC ..." sends, then
// sends them one by one under a progress dialog that can stop between two.
class PecPeriodDialog : public QDialog
{
    Q_OBJECT
public:
    PecPeriodDialog(AppContext& context, QWidget* parent = nullptr);

private:
    void sendClicked();

    AppContext& m_context;
    std::unique_ptr<PeriodFields> m_period;
};
