#pragma once

#include "ModalHelper.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>

// Answers the next file dialog with path, and keeps its title. The name is
// typed into the name field as a user would (selectFile leaves that field
// alone while it has the focus); a dialog that refuses the answer is
// answered again once it has settled.
inline void chooseInDialog(QObject* context, const QString& path, QString* title = nullptr)
{
    whenModal<QFileDialog>(context, [context, path, title](QFileDialog* dialog) {
        if (title)
            *title = dialog->windowTitle();
        dialog->setDirectory(QFileInfo(path).absolutePath());
        if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            name->setText(QFileInfo(path).fileName());
        static_cast<QDialog*>(dialog)->accept();
        if (dialog->isVisible())
            chooseInDialog(context, path, title);
    });
}
