#include "CodeDeletion.h"

#include "MessageBox.h"

bool mayDeleteCode(QWidget* parent, Database& db, CodeOwner owner, const QString& code)
{
    if (code.trimmed().isEmpty())
        return true; // no key: the deletion itself refuses it
    QString error;
    const auto usage = documentsUsingCode(db, owner, code, &error);
    if (!usage) {
        MessageBox::error(parent, QStringLiteral("Il record non è stato eliminato:\n") + error);
        return false;
    }
    if (usage->total() == 0)
        return true;
    MessageBox::show(parent, deletionRefusal(owner, code, *usage), QMessageBox::Warning);
    return false;
}
