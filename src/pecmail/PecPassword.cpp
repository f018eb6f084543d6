#include "PecPassword.h"

#include "Settings.h"

#include <QEventLoop>
#include <QFile>
#include <qt6keychain/keychain.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kService = QStringLiteral("Falmide");

// Runs a keychain job to its end. The jobs report through signals, so a
// local loop waits for them; the store answers at once or says it is not
// there, so nothing here waits on the user for long.
void runJob(QKeychain::Job& job)
{
    job.setAutoDelete(false);
    QEventLoop loop;
    // Connected by name: the job's class description is a variable of the
    // keychain library, which is loaded on first use and lends the program
    // its functions only (cmake/LazyLibrary.cmake).
    QObject::connect(&job, SIGNAL(finished(QKeychain::Job*)), &loop, SLOT(quit()));
    job.start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

QString storeProblem(const QKeychain::Job& job)
{
    switch (job.error()) {
    case QKeychain::EntryNotFound:
        return QStringLiteral("nessuna password della PEC memorizzata");
    case QKeychain::NoBackendAvailable:
    case QKeychain::NotImplemented:
        return QStringLiteral("nessun archivio di segreti del desktop disponibile");
    case QKeychain::AccessDeniedByUser:
    case QKeychain::AccessDenied:
        return QStringLiteral("accesso all'archivio di segreti negato");
    default:
        return QStringLiteral("archivio di segreti non disponibile (%1)").arg(job.errorString());
    }
}

} // namespace

namespace PecPassword {

QString storeKey(const PecSettings& pec)
{
    return QStringLiteral("PEC %1 (%2)")
        .arg(pec.login(), pec.imapHost.isEmpty() ? pec.smtpHost : pec.imapHost);
}

std::optional<QString> readStored(const PecSettings& pec, QString* problem)
{
    QKeychain::ReadPasswordJob job(kService);
    job.setInsecureFallback(false);
    job.setKey(storeKey(pec));
    runJob(job);
    if (job.error() != QKeychain::NoError) {
        *problem = storeProblem(job);
        return std::nullopt;
    }
    return job.textData();
}

bool store(const PecSettings& pec, const QString& password, QString* problem)
{
    QKeychain::WritePasswordJob job(kService);
    job.setInsecureFallback(false);
    job.setKey(storeKey(pec));
    job.setTextData(password);
    runJob(job);
    if (job.error() != QKeychain::NoError) {
        *problem = storeProblem(job);
        return false;
    }
    return true;
}

void forget(const PecSettings& pec)
{
    QKeychain::DeletePasswordJob job(kService);
    job.setInsecureFallback(false);
    job.setKey(storeKey(pec));
    runJob(job);
}

std::optional<QString> readFile(const QString& path, QString* problem)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat st = {};
    if (::stat(native.constData(), &st) != 0) {
        *problem = QStringLiteral("file della password %1 non leggibile").arg(path);
        return std::nullopt;
    }
    if (!S_ISREG(st.st_mode)) {
        *problem = QStringLiteral("%1 non è un file: password della PEC non letta").arg(path);
        return std::nullopt;
    }
    if (st.st_uid != ::getuid() || (st.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
        *problem = QStringLiteral("il file della password %1 deve essere leggibile solo dal suo "
                                  "proprietario (chmod 600): password della PEC non letta")
                       .arg(path);
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *problem = QStringLiteral("file della password %1 non leggibile").arg(path);
        return std::nullopt;
    }
    QByteArray line = file.readLine();
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return QString::fromUtf8(line);
}

std::optional<QString> forCommand(const PecSettings& pec, QString* problem)
{
    const QString path = qEnvironmentVariable(kFileVariable);
    if (!path.isEmpty())
        return readFile(path, problem);
    QString storeSays;
    if (auto stored = readStored(pec, &storeSays))
        return stored;
    *problem = QStringLiteral("password della PEC non disponibile (%1): memorizzarla con "
                              "\"Impostazioni PEC ...\" o indicare un file con %2")
                   .arg(storeSays, QString::fromLatin1(kFileVariable));
    return std::nullopt;
}

} // namespace PecPassword
