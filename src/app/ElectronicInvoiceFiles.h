#pragma once

#include "PeriodFields.h"

#include <QDialog>
#include <QStringList>
#include <memory>

class QLineEdit;
class QWidget;
struct AppContext;

// The "Fattura elettronica" menu's work on files: the SdI's receipts read
// in, a period's files packed into one ZIP, and suppliers' invoices read
// into purchases.
class ElectronicInvoiceFiles
{
public:
    ElectronicInvoiceFiles(AppContext& context, QWidget* parent);

    // "Importa ricevute SdI ...": asks for the files, then imports them.
    void VoceRicevute();
    // Records the receipts in `paths` and says, file by file, what happened.
    void importReceipts(const QStringList& paths);
    // "File ZIP del periodo ...".
    void VoceZip();
    // "Importa fatture ricevute ...": asks for the suppliers' files, then
    // imports them.
    void VoceFattureRicevute();
    // Reads the suppliers' files in `paths` into purchases and says, file by
    // file, what happened.
    void importSupplierInvoices(const QStringList& paths);

private:
    AppContext& m_context;
    QWidget* m_parent;
};

// Asks for the period and the file of the ZIP and writes it.
class PeriodZipDialog : public QDialog
{
    Q_OBJECT
public:
    PeriodZipDialog(AppContext& context, QWidget* parent = nullptr);

private:
    void writeClicked();

    AppContext& m_context;
    std::unique_ptr<PeriodFields> m_period;
    QLineEdit* m_file;
};
