#include "ZipFile.h"

#include "StagedFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <memory>
#include <zip.h>

namespace {

struct SourceFree
{
    void operator()(zip_source_t* s) const { zip_source_free(s); }
};
using Source = std::unique_ptr<zip_source_t, SourceFree>;

QString zipError(zip_error_t* error)
{
    return QString::fromLocal8Bit(zip_error_strerror(error));
}

// The archive built in memory: the staged file then gets it in one write,
// and libzip never creates files of its own beside the target.
std::optional<QByteArray> archive(const QList<ZipEntry>& entries, QString* message)
{
    zip_error_t error;
    zip_error_init(&error);
    Source buffer(zip_source_buffer_create(nullptr, 0, 0, &error));
    zip_t* zip = buffer ? zip_open_from_source(buffer.get(), ZIP_TRUNCATE, &error) : nullptr;
    if (!zip) {
        *message = QStringLiteral("Impossibile preparare l'archivio ZIP: %1").arg(zipError(&error));
        zip_error_fini(&error);
        return std::nullopt;
    }
    zip_error_fini(&error);
    // The buffer outlives the archive that writes into it.
    zip_source_keep(buffer.get());
    const auto fail = [&](const QString& why) {
        *message = QStringLiteral("Impossibile preparare l'archivio ZIP: %1").arg(why);
        zip_discard(zip);
        return std::nullopt;
    };
    for (const ZipEntry& entry : entries) {
        zip_source_t* data =
            zip_source_buffer(zip, entry.data.constData(), zip_uint64_t(entry.data.size()), 0);
        const zip_int64_t index =
            data ? zip_file_add(zip, entry.name.toUtf8().constData(), data, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            if (data)
                zip_source_free(data);
            return fail(QStringLiteral("%1 (%2)").arg(entry.name,
                                                      QString::fromLocal8Bit(zip_strerror(zip))));
        }
        const QDateTime modified =
            entry.modified.isValid() ? entry.modified : QDateTime::currentDateTime();
        zip_file_set_mtime(zip, zip_uint64_t(index), time_t(modified.toSecsSinceEpoch()), 0);
    }
    if (zip_close(zip) != 0)
        return fail(QString::fromLocal8Bit(zip_strerror(zip)));

    QByteArray bytes;
    if (zip_source_open(buffer.get()) != 0 || zip_source_seek(buffer.get(), 0, SEEK_END) != 0) {
        *message = QStringLiteral("Impossibile leggere l'archivio ZIP preparato");
        return std::nullopt;
    }
    bytes.resize(qsizetype(zip_source_tell(buffer.get())));
    zip_source_seek(buffer.get(), 0, SEEK_SET);
    const zip_int64_t read =
        zip_source_read(buffer.get(), bytes.data(), zip_uint64_t(bytes.size()));
    zip_source_close(buffer.get());
    if (read != bytes.size()) {
        *message = QStringLiteral("Impossibile leggere l'archivio ZIP preparato");
        return std::nullopt;
    }
    return bytes;
}

} // namespace

bool writeZip(const QString& path, const QList<ZipEntry>& entries, QString* message)
{
    if (entries.isEmpty()) {
        *message = QStringLiteral("Nessun file da mettere nell'archivio ZIP.");
        return false;
    }
    const auto bytes = archive(entries, message);
    if (!bytes)
        return false;
    const QFileInfo target(path);
    if (!QDir().mkpath(target.absolutePath())) {
        *message = QStringLiteral("Impossibile creare la cartella %1.").arg(target.absolutePath());
        return false;
    }
    StagedFile staged(target.absoluteFilePath());
    if (!staged.create(message))
        return false;
    QFile file(staged.path());
    if (!file.open(QIODevice::WriteOnly) || file.write(*bytes) != bytes->size() || !file.flush()) {
        *message = QStringLiteral("Impossibile scrivere il file %1: %2")
                       .arg(target.absoluteFilePath(), file.errorString());
        return false;
    }
    file.close();
    return staged.commit(message);
}
