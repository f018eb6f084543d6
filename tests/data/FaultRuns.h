#pragma once

// What the fault tests share: the helper process they kill or run as an
// ordinary user, and a file's fingerprint to show it untouched.
#include <QCryptographicHash>
#include <QFile>
#include <QProcess>

struct HelperRun
{
    int exitCode = -1; // -1: killed
    QString output;
};

inline HelperRun runHelper(const QStringList& arguments)
{
    QProcess p;
    p.start(QStringLiteral(FALMIDE_FAULT_HELPER), arguments);
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput())};
}

inline QByteArray fileHash(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly)
               ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256)
               : QByteArray();
}
