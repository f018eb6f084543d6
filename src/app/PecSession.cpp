#include "PecSession.h"

#include "PecPassword.h"
#include "Settings.h"

#include <QHash>
#include <QInputDialog>
#include <QLineEdit>

namespace {

QHash<QString, QString>& remembered()
{
    static QHash<QString, QString> passwords;
    return passwords;
}

} // namespace

namespace PecSession {

std::optional<QString> password(const PecSettings& pec, QWidget* parent)
{
    const QString key = PecPassword::storeKey(pec);
    if (const auto found = remembered().constFind(key); found != remembered().constEnd())
        return *found;
    QString problem;
    if (auto stored = PecPassword::readStored(pec, &problem)) {
        remembered().insert(key, *stored);
        return stored;
    }
    bool ok = false;
    const QString typed = QInputDialog::getText(
        parent, QStringLiteral("Password della PEC"),
        QStringLiteral("Password della casella %1\n(%2: vale fino alla chiusura del programma)")
            .arg(pec.login(), problem),
        QLineEdit::Password, QString(), &ok);
    if (!ok)
        return std::nullopt;
    remembered().insert(key, typed);
    return typed;
}

void remember(const PecSettings& pec, const QString& password)
{
    remembered().insert(PecPassword::storeKey(pec), password);
}

void forget(const PecSettings& pec)
{
    remembered().remove(PecPassword::storeKey(pec));
}

} // namespace PecSession
