#pragma once

#include <QObject>

class KeyTextTest : public QObject
{
    Q_OBJECT
private slots:
    void keyParts_data();
    void keyParts();
    void wholeKeys();
    void lookupNormalisation();
    void upperCaseOneForOne_data();
    void upperCaseOneForOne();
    void numbersAndDates();
};
