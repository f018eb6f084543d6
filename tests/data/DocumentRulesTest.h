#pragma once

#include <QObject>

class DocumentRulesTest : public QObject
{
    Q_OBJECT
private slots:
    void documentNumbers_data();
    void documentNumbers();
    void codesUsedByDocuments();
};
