#include "DocumentPreview.h"

#include "ApplicationPrinter.h"
#include "Database.h"
#include "MessageBox.h"
#include "PrintRun.h"
#include "StatusMessage.h"
#include "WaitCursor.h"
#include "frmPreview.h"

#include <QPrinter>

bool previewDocument(QWidget* parent, Database* db,
                     const std::function<QString(PageRecorder&)>& layout,
                     std::optional<PdfExportRequest> pdf, NothingDrawn nothingDrawn)
{
    PrintRun run(applicationPrinter());
    PageRecorder& recorder = run.recorder();
    QString error;
    bool failed = !recorder.BeginDocument(&error);
    bool shown = false;
    if (!failed) {
        QString message;
        {
            const WaitCursor wait;
            message = layout(recorder);
        }
        failed = !recorder.EndDocument(&error);
        if (!message.isEmpty()) {
            pdf.reset();
            MessageBox::warning(parent, message);
        }
        const bool blank = !message.isEmpty() && !recorder.drawnAnything();
        if (!failed && !(blank && nothingDrawn == NothingDrawn::MessageOnly)) {
            frmPreview preview(run, parent, db, std::move(pdf));
            preview.exec();
            shown = true;
        }
    }
    if (failed)
        MessageBox::error(parent, printErrorText(error));
    MessaggioStato(QString(), false);
    return shown;
}

QString printErrorText(const QString& description)
{
    return QStringLiteral("The following Error occurred:\n") + description;
}

bool writePageRows(Database& db, int pageCount, QString* error)
{
    if (!db.begin(error))
        return false;
    const QString table = db.quoted(QStringLiteral("STAMPA"));
    bool ok = db.execute(QStringLiteral("DELETE FROM %1").arg(table), {}, error);
    const QString insert = QStringLiteral("INSERT INTO %1 (%2) VALUES (?)")
                               .arg(table, db.quoted(QStringLiteral("Pagina")));
    for (int page = 1; ok && page <= pageCount; ++page)
        ok = db.execute(insert, {page}, error);
    if (!ok) {
        db.rollback();
        return false;
    }
    return db.commit(error);
}
