#include "ElectronicInvoiceFiles.h"

#include "AppContext.h"
#include "Clock.h"
#include "KeptFiles.h"
#include "KeyText.h"
#include "MessageBox.h"
#include "PeriodZip.h"
#include "ReceiptImport.h"
#include "SupplierInvoiceImport.h"
#include "WaitCursor.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

ElectronicInvoiceFiles::ElectronicInvoiceFiles(AppContext& context, QWidget* parent)
    : m_context(context), m_parent(parent)
{
}

void ElectronicInvoiceFiles::VoceRicevute()
{
    // Qt's own dialog, the same on every desktop, in the program's language.
    QFileDialog dialog(m_parent, QStringLiteral("Importa ricevute SdI"),
                       QStandardPaths::writableLocation(QStandardPaths::DownloadLocation),
                       QStringLiteral("Ricevute SdI (*.xml *.XML *.p7m *.P7M);;Tutti i file (*)"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    QApplication::processEvents();
    importReceipts(dialog.selectedFiles());
}

void ElectronicInvoiceFiles::importReceipts(const QStringList& paths)
{
    QList<ReceiptImport> results;
    {
        const WaitCursor wait;
        results = importSdiReceipts(m_context.DbArchivi, paths);
    }
    QStringList lines;
    bool refused = false;
    for (const ReceiptImport& r : results) {
        lines << r.message;
        refused = refused || r.outcome == ReceiptOutcome::Refused;
    }
    const QString text = lines.join(QLatin1Char('\n'));
    if (refused)
        MessageBox::warning(m_parent, text);
    else
        MessageBox::show(m_parent, text);
}

void ElectronicInvoiceFiles::VoceFattureRicevute()
{
    QFileDialog dialog(m_parent, QStringLiteral("Importa fatture ricevute"),
                       QStandardPaths::writableLocation(QStandardPaths::DownloadLocation),
                       QStringLiteral("Fatture elettroniche (*.xml *.XML *.p7m *.P7M);;Tutti i "
                                      "file (*)"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    QApplication::processEvents();
    importSupplierInvoices(dialog.selectedFiles());
}

void ElectronicInvoiceFiles::importSupplierInvoices(const QStringList& paths)
{
    QList<SupplierInvoiceImport> results;
    {
        const WaitCursor wait;
        results = importSupplierInvoiceFiles(m_context.DbArchivi, m_context.archiveFolder(), paths,
                                             Clock::today());
    }
    QStringList lines;
    bool refused = false;
    for (const SupplierInvoiceImport& r : results) {
        lines << r.message;
        refused = refused || !r.imported;
    }
    const QString text = lines.join(QLatin1Char('\n'));
    if (refused)
        MessageBox::warning(m_parent, text);
    else
        MessageBox::show(m_parent, text);
}

void ElectronicInvoiceFiles::VoceZip()
{
    PeriodZipDialog window(m_context, m_parent);
    window.exec();
}

PeriodZipDialog::PeriodZipDialog(AppContext& context, QWidget* parent)
    : QDialog(parent), m_context(context)
{
    setObjectName(QStringLiteral("PeriodZipDialog"));
    setWindowTitle(QStringLiteral("Fatture elettroniche del periodo in un file ZIP"));
    const QDate today = Clock::today();
    auto* form = new QFormLayout;
    m_period = std::make_unique<PeriodFields>(this, form);
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    m_file = new QLineEdit(
        QDir(documents).filePath(QStringLiteral("FattureElettroniche_%1.zip").arg(today.year())),
        this);
    m_file->setObjectName(QStringLiteral("File"));
    m_file->setMinimumWidth(360);
    auto* browse = new QPushButton(QStringLiteral("S&foglia ..."), this);
    connect(browse, &QPushButton::clicked, this, [this] {
        QFileDialog dialog(this, QStringLiteral("File ZIP"), m_file->text(),
                           QStringLiteral("Archivi ZIP (*.zip);;Tutti i file (*)"));
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("zip"));
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            m_file->setText(dialog.selectedFiles().constFirst());
    });
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(m_file, 1);
    fileRow->addWidget(browse);

    form->addRow(QStringLiteral("Fi&le"), fileRow);
    auto* buttons = new QDialogButtonBox(this);
    auto* write = buttons->addButton(QStringLiteral("&Scrivi"), QDialogButtonBox::AcceptRole);
    write->setObjectName(QStringLiteral("Write"));
    write->setDefault(true);
    buttons->addButton(QStringLiteral("Annulla"), QDialogButtonBox::RejectRole);
    connect(write, &QPushButton::clicked, this, &PeriodZipDialog::writeClicked);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void PeriodZipDialog::writeClicked()
{
    const auto period = m_period->period();
    if (!period)
        return;
    const auto [first, last] = *period;
    // As for the commands' files: never over a file the program keeps.
    QString refusal;
    const QString target =
        checkedOutputPath(m_context.programFolder, m_file->text().trimmed(), &refusal);
    if (target.isEmpty()) {
        MessageBox::warning(this, refusal);
        m_file->setFocus();
        return;
    }
    QString message;
    std::optional<PeriodZip> zip;
    {
        const WaitCursor wait;
        zip = writePeriodZip(m_context.DbArchivi, m_context.archiveFolder(), first, last, target,
                             &message);
    }
    if (!zip) {
        MessageBox::warning(this, message);
        return;
    }
    QString text =
        zip->files.size() == 1
            ? QStringLiteral("File ZIP scritto in %1 con una fattura elettronica.").arg(target)
            : QStringLiteral("File ZIP scritto in %1 con %2 fatture elettroniche.")
                  .arg(target)
                  .arg(zip->files.size());
    if (!zip->unsent.isEmpty())
        text += QStringLiteral("\n\nSenza un invio valido, non incluse (scriverle con \"Fattura "
                               "elettronica\"): %1")
                    .arg(zip->unsent.join(QStringLiteral(", ")));
    MessageBox::show(this, text);
    accept();
}
