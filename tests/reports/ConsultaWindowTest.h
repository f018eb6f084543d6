#pragma once

#include "AppContext.h"

#include <QObject>
#include <QTemporaryDir>
#include <memory>

class ConsultaWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void yearAndClientLists();
    void opensScrolledToTheLastAndWheelScrolls();
    void doubleClickNewAndRefresh();
    void newInvoiceFromTheKeyboard();
    void widthsAndTypeSurviveReopening();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<AppContext> m_context;
};
