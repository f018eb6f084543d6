#include "FatturaPAPreview.h"

#include "AppContext.h"
#include "DocumentPreview.h"
#include "FatturaPAContent.h"
#include "FatturaPALayout.h"
#include "MessageBox.h"
#include "ViewerLauncher.h"
#include "WaitCursor.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>

void askAndPreviewFatturaPA(AppContext& context, QWidget* parent)
{
    // Qt's own dialog, the same on every desktop, in the program's language.
    QFileDialog dialog(parent, QStringLiteral("Visualizza fattura elettronica"),
                       QStandardPaths::writableLocation(QStandardPaths::DownloadLocation),
                       QStringLiteral("Fatture elettroniche (*.xml *.p7m)"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    // The dialog is gone from the screen before the work begins.
    QApplication::processEvents();
    previewFatturaPAFile(context, parent, dialog.selectedFiles().constFirst());
}

bool previewFatturaPAFile(AppContext& context, QWidget* parent, const QString& path)
{
    QString message;
    std::optional<FatturaPAContent> content;
    {
        const WaitCursor wait;
        content = readFatturaPAFile(path, &message);
    }
    if (!content) {
        MessageBox::warning(parent, message);
        return false;
    }
    const QString archive = context.archiveFolder();
    const PdfExportRequest pdf{fatturaPAViewPdfPath(archive, content->fileName),
                               QStringLiteral("Fattura elettronica ") + content->fileName,
                               {},
                               launchViewer,
                               archive};
    return previewDocument(
        parent, &context.DbArchivi,
        [&](PageRecorder& recorder) {
            layoutFatturaPA(recorder, *content);
            return QString();
        },
        pdf);
}
