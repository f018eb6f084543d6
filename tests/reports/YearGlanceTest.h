#pragma once

#include <QObject>

// The year at a glance and the sheets handed to the accountant.
class YearGlanceTest : public QObject
{
    Q_OBJECT
private slots:
    void monthsClientsAndWithholding();
    void unpaidByAge();
    void csvForItalianSpreadsheets();
};
