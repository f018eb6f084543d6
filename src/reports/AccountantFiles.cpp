#include "AccountantFiles.h"

#include "AccountantExport.h"
#include "InvoiceArchive.h"
#include "PeriodZip.h"
#include "SendingFile.h"
#include "StagedFile.h"
#include "XlsxExport.h"
#include "ZipFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <memory>
#include <vector>

namespace {

// The name without its last extension: "Commercialista.xlsx" → "Commercialista".
QString withoutSuffix(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix();
    return suffix.isEmpty() ? path : path.left(path.size() - suffix.size() - 1);
}

std::optional<QByteArray> readAll(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("Impossibile leggere il file %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    return file.readAll();
}

bool writeAll(const QString& path, const QByteArray& bytes, const QString& target, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush()) {
        *error =
            QStringLiteral("Impossibile scrivere il file %1: %2").arg(target, file.errorString());
        return false;
    }
    return true;
}

// The invoices' archived PDFs under "PDF/", and the invoices that have none
// yet: the archive gets one only when the invoice is exported.
bool addInvoicePdfs(Database& db, const QString& archiveFolder, const QVector<DocumentKey>& keys,
                    QList<ZipEntry>* entries, AccountantFiles* result, QString* error)
{
    for (const DocumentKey& key : keys) {
        const QFileInfo pdf(invoiceArchivePath(db, archiveFolder, key));
        if (!pdf.isFile()) {
            result->withoutPdf << invoiceName(key);
            continue;
        }
        const auto data = readAll(pdf.filePath(), error);
        if (!data)
            return false;
        *entries << ZipEntry{QStringLiteral("PDF/") + pdf.fileName(), *data, pdf.lastModified()};
        ++result->pdfs;
    }
    return true;
}

} // namespace

std::optional<SheetFormat> sheetFormatOf(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("xlsx"))
        return SheetFormat::Xlsx;
    if (suffix == QLatin1String("csv"))
        return SheetFormat::Csv;
    return std::nullopt;
}

QString unknownFormatMessage(const QString& path)
{
    return QStringLiteral("%1: il file deve finire in .xlsx (foglio di calcolo) o .csv (testo "
                          "separato da punto e virgola)")
        .arg(path);
}

QString purchasesCsvPath(const QString& invoicesPath)
{
    return withoutSuffix(invoicesPath) + QStringLiteral("_acquisti.") +
           QFileInfo(invoicesPath).suffix();
}

QString accountantZipPath(const QString& path)
{
    return withoutSuffix(path) + QStringLiteral(".zip");
}

std::optional<AccountantFiles> writeAccountantFiles(Database& db, const QString& archiveFolder,
                                                    const AccountantRequest& request,
                                                    QString* error)
{
    const auto format = sheetFormatOf(request.path);
    if (!format) {
        *error = unknownFormatMessage(request.path);
        return std::nullopt;
    }
    const auto sheets = accountantSheets(db, request.first, request.last, error);
    if (!sheets)
        return std::nullopt;

    // Everything the ZIP takes from the archive is read before any file is
    // begun: a missing or altered electronic invoice stops the whole work.
    AccountantFiles result;
    QList<ZipEntry> documents;
    if (request.zip) {
        const auto sendings =
            periodSendingFiles(db, archiveFolder, request.first, request.last, error);
        if (!sendings)
            return std::nullopt;
        if (!addInvoicePdfs(db, archiveFolder, sheets->invoiceKeys, &documents, &result, error))
            return std::nullopt;
        for (ZipEntry entry : sendings->entries) {
            entry.name.prepend(QStringLiteral("FatturaPA/"));
            documents << entry;
        }
        result.electronic = int(sendings->entries.size());
        result.withoutSending = sendings->unsent;
    }

    QStringList targets{request.path};
    if (*format == SheetFormat::Csv)
        targets << purchasesCsvPath(request.path);
    if (request.zip)
        targets << accountantZipPath(request.path);
    std::vector<std::unique_ptr<StagedFile>> staged;
    for (const QString& target : std::as_const(targets)) {
        if (!QDir().mkpath(QFileInfo(target).absolutePath())) {
            *error = QStringLiteral("Impossibile creare la cartella %1")
                         .arg(QFileInfo(target).absolutePath());
            return std::nullopt;
        }
        staged.push_back(std::make_unique<StagedFile>(target));
        if (!staged.back()->create(error))
            return std::nullopt;
    }

    QList<ZipEntry> zipped;
    if (*format == SheetFormat::Xlsx) {
        StagedFile& file = *staged.front();
        if (!writeXlsx({sheets->invoices, sheets->purchases}, file.path(), error)) {
            error->replace(file.path(), request.path);
            return std::nullopt;
        }
        // The spreadsheet was put in place of the empty temporary file.
        if (!file.lockAgain(error))
            return std::nullopt;
        if (request.zip) {
            const auto bytes = readAll(file.path(), error);
            if (!bytes)
                return std::nullopt;
            zipped << ZipEntry{QFileInfo(request.path).fileName(), *bytes, {}};
        }
    } else {
        const ExportSheet* both[] = {&sheets->invoices, &sheets->purchases};
        for (int i = 0; i < 2; ++i) {
            const QByteArray bytes = csvBytes(*both[i]);
            if (!writeAll(staged[std::size_t(i)]->path(), bytes, targets[i], error))
                return std::nullopt;
            zipped << ZipEntry{QFileInfo(targets[i]).fileName(), bytes, {}};
        }
    }
    if (request.zip) {
        StagedFile& file = *staged.back();
        if (!writeZip(file.path(), zipped + documents, error)) {
            error->replace(file.path(), targets.constLast());
            return std::nullopt;
        }
        if (!file.lockAgain(error))
            return std::nullopt;
    }
    for (const auto& file : staged)
        if (!file->commit(error))
            return std::nullopt;
    result.written = targets;
    return result;
}
