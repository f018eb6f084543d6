#include "TestDataFolder.h"

#include <QFile>

bool TestDataFolder::setUp(QString* error)
{
    setUpFolder();
    return m_context->DbArchivi.open(m_context->databaseFile(), error);
}

void TestDataFolder::setUpFolder()
{
    tearDown();
    m_dir = std::make_unique<QTemporaryDir>();
    m_context = std::make_unique<AppContext>();
    m_context->programFolder = m_dir->path();
}

void TestDataFolder::tearDown()
{
    m_context.reset();
    m_dir.reset();
}

bool TestDataFolder::writeSettings(const QByteArray& content) const
{
    QFile f(m_context->settingsFile());
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(content) == content.size();
}
