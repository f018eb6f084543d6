#pragma once

#include "AppContext.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <memory>

// A data folder of the test's own: a temporary folder, and a program context
// whose data folder it is. Set up in a test's init(), torn down in its
// cleanup(), so that no test sees another one's files.
class TestDataFolder
{
public:
    // A new folder and context, the folder's database opened (created, with
    // the program's schema); false with the reason when it cannot be.
    bool setUp(QString* error);
    // A new folder and context only: the database is left to the program's
    // start-up.
    void setUpFolder();
    // The context, and the database with it, goes before the folder.
    void tearDown();

    AppContext& context() const { return *m_context; }
    QString path() const { return m_dir->path(); }
    QString filePath(const QString& name) const { return m_dir->filePath(name); }
    // Replaces the settings file (falmide.ini) with `content`.
    bool writeSettings(const QByteArray& content) const;
    // The heading data of a professional (VAT number 09876543217), client
    // B1 with a recipient code, and invoice 1/2026 of 01/12/2026 to it (fee
    // 1 000.00, VAT 22 %): all an electronic invoice needs.
    bool addSendableInvoice(QString* error) const;

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<AppContext> m_context;
};
