#include "MostraErrore.h"

#include "MessageBox.h"

QString mostraErroreText(const QString& description, int number)
{
    return QStringLiteral("The following Error occurred:\n%1\nNumber: %2")
        .arg(description)
        .arg(number);
}

void MostraErrore(QWidget* parent, const QString& description, int number)
{
    MessageBox::show(parent, mostraErroreText(description, number), QMessageBox::Critical);
}
