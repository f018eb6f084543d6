#include "AccountantExportWindow.h"

#include "AccountantFiles.h"
#include "AppContext.h"
#include "Clock.h"
#include "KeptFiles.h"
#include "KeyText.h"
#include "MessageBox.h"
#include "WaitCursor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kDateForm = QStringLiteral("dd/MM/yyyy");

QString extensionOf(SheetFormat format)
{
    return format == SheetFormat::Xlsx ? QStringLiteral("xlsx") : QStringLiteral("csv");
}

// "7 PDF", "1 fattura elettronica": what the ZIP holds, said in a line.
QString zipLine(const QString& path, const AccountantFiles& files)
{
    QString line = QStringLiteral("File ZIP: %1, con %2 PDF e %3")
                       .arg(path)
                       .arg(files.pdfs)
                       .arg(files.electronic == 1
                                ? QStringLiteral("1 fattura elettronica")
                                : QStringLiteral("%1 fatture elettroniche").arg(files.electronic));
    if (!files.withoutPdf.isEmpty())
        line += QStringLiteral(".\nSenza PDF nell'archivio (esportarlo dalla stampa della "
                               "fattura): %1")
                    .arg(files.withoutPdf.join(QStringLiteral(", ")));
    if (!files.withoutSending.isEmpty())
        line += QStringLiteral(".\nSenza fattura elettronica valida: %1")
                    .arg(files.withoutSending.join(QStringLiteral(", ")));
    return line + QLatin1Char('.');
}

} // namespace

void openAccountantExport(AppContext& context, QWidget* parent)
{
    AccountantExportWindow(context, parent).exec();
}

AccountantExportWindow::AccountantExportWindow(AppContext& context, QWidget* parent)
    : QDialog(parent), m_context(context)
{
    setObjectName(QStringLiteral("AccountantExport"));
    setWindowTitle(QStringLiteral("Esporta per il commercialista"));
    const QDate today = Clock::today();
    m_first = new QLineEdit(QDate(today.year(), 1, 1).toString(kDateForm), this);
    m_first->setObjectName(QStringLiteral("First"));
    m_last = new QLineEdit(today.toString(kDateForm), this);
    m_last->setObjectName(QStringLiteral("Last"));
    m_format = new QComboBox(this);
    m_format->setObjectName(QStringLiteral("Format"));
    m_format->addItem(QStringLiteral("XLSX (foglio di calcolo)"), int(SheetFormat::Xlsx));
    m_format->addItem(QStringLiteral("CSV (testo separato da punto e virgola)"),
                      int(SheetFormat::Csv));
    m_file = new QLineEdit(this);
    m_file->setObjectName(QStringLiteral("File"));
    m_file->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('0')) * 60);
    auto* browse = new QPushButton(QStringLiteral("S&foglia ..."), this);
    browse->setObjectName(QStringLiteral("Browse"));
    browse->setAutoDefault(false);
    m_zip = new QCheckBox(
        QStringLiteral("Anche un file &ZIP con i PDF e le fatture elettroniche del periodo"), this);
    m_zip->setObjectName(QStringLiteral("Zip"));

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(m_file, 1);
    fileRow->addWidget(browse);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Dal"), m_first);
    form->addRow(QStringLiteral("A&l"), m_last);
    form->addRow(QStringLiteral("&Formato"), m_format);
    form->addRow(QStringLiteral("Fi&le"), fileRow);
    form->addRow(QString(), m_zip);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* write =
        buttons->addButton(QStringLiteral("&Esporta"), QDialogButtonBox::AcceptRole);
    write->setObjectName(QStringLiteral("Esporta"));
    write->setDefault(true);
    QPushButton* cancel =
        buttons->addButton(QStringLiteral("Annulla"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("Annulla"));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    const QList<QWidget*> order{m_first, m_last, m_format, m_file, browse, m_zip, write, cancel};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(m_first, &QLineEdit::editingFinished, this, &AccountantExportWindow::periodChanged);
    connect(m_last, &QLineEdit::editingFinished, this, &AccountantExportWindow::periodChanged);
    connect(m_format, &QComboBox::currentIndexChanged, this,
            &AccountantExportWindow::formatChanged);
    connect(m_file, &QLineEdit::textEdited, this, [this] { m_fileNamed = true; });
    connect(browse, &QPushButton::clicked, this, &AccountantExportWindow::browse);
    connect(write, &QPushButton::clicked, this, &AccountantExportWindow::exportClicked);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    periodChanged();
}

// Named as the period reports' PDFs are, in the same folder:
// "Stampe/Commercialista_2026-01-01_2026-12-31.xlsx".
void AccountantExportWindow::periodChanged()
{
    if (m_fileNamed)
        return;
    const QDate first = parseItalianDate(m_first->text());
    const QDate last = parseItalianDate(m_last->text());
    if (!first.isValid() || !last.isValid())
        return;
    m_file->setText(
        QDir(m_context.archiveFolder())
            .filePath(QStringLiteral("Stampe/Commercialista_%1_%2.%3")
                          .arg(first.toString(Qt::ISODate), last.toString(Qt::ISODate),
                               extensionOf(SheetFormat(m_format->currentData().toInt())))));
}

void AccountantExportWindow::formatChanged()
{
    m_file->setText(fileOfFormat());
}

QString AccountantExportWindow::fileOfFormat() const
{
    const QString text = m_file->text().trimmed();
    if (text.isEmpty())
        return text;
    const QString wanted = extensionOf(SheetFormat(m_format->currentData().toInt()));
    // Another format's extension is replaced; any other is kept as part of the name.
    QString base = text;
    if (sheetFormatOf(text))
        base.chop(QFileInfo(text).suffix().size() + 1);
    return base + QLatin1Char('.') + wanted;
}

void AccountantExportWindow::browse()
{
    const bool xlsx = SheetFormat(m_format->currentData().toInt()) == SheetFormat::Xlsx;
    QFileDialog dialog(this, QStringLiteral("File per il commercialista"), fileOfFormat(),
                       xlsx ? QStringLiteral("Fogli di calcolo (*.xlsx);;Tutti i file (*)")
                            : QStringLiteral("File CSV (*.csv);;Tutti i file (*)"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(xlsx ? QStringLiteral("xlsx") : QStringLiteral("csv"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    m_file->setText(dialog.selectedFiles().constFirst());
    m_fileNamed = true;
}

void AccountantExportWindow::exportClicked()
{
    const QDate first = parseItalianDate(m_first->text());
    const QDate last = parseItalianDate(m_last->text());
    if (!first.isValid() || !last.isValid() || first > last) {
        MessageBox::warning(this, QStringLiteral("Periodo non valido: indicare due date "
                                                 "(gg/mm/aaaa), la prima non dopo la seconda"));
        (first.isValid() ? m_last : m_first)->setFocus();
        return;
    }
    if (m_file->text().trimmed().isEmpty()) {
        MessageBox::warning(this, QStringLiteral("Indicare il file da scrivere"));
        m_file->setFocus();
        return;
    }
    AccountantRequest request{first, last, fileOfFormat(), m_zip->isChecked()};
    // Never over a file the program keeps, whichever of the files it is.
    QStringList targets{request.path};
    if (sheetFormatOf(request.path) == SheetFormat::Csv)
        targets << purchasesCsvPath(request.path);
    if (request.zip)
        targets << accountantZipPath(request.path);
    QStringList checked;
    for (const QString& target : std::as_const(targets)) {
        QString refusal;
        checked << checkedOutputPath(m_context.programFolder, target, &refusal);
        if (checked.constLast().isEmpty()) {
            MessageBox::warning(this, refusal);
            m_file->setFocus();
            return;
        }
    }
    request.path = checked.constFirst();

    QString error;
    std::optional<AccountantFiles> files;
    {
        const WaitCursor wait;
        files =
            writeAccountantFiles(m_context.DbArchivi, m_context.archiveFolder(), request, &error);
    }
    if (!files) {
        MessageBox::warning(this, error);
        return;
    }
    QStringList sheetsWritten = files->written;
    QString text;
    if (request.zip) {
        const QString zip = sheetsWritten.takeLast();
        text = QStringLiteral("\n") + zipLine(zip, *files);
    }
    text.prepend(sheetsWritten.size() == 1
                     ? QStringLiteral("File scritto: %1.").arg(sheetsWritten.constFirst())
                     : QStringLiteral("File scritti: %1 (fatture) e %2 (acquisti).")
                           .arg(sheetsWritten.value(0), sheetsWritten.value(1)));
    MessageBox::show(this, text);
    accept();
}
