#pragma once

#include <QObject>
#include <QTemporaryDir>

class StampDutyCheckTest : public QObject
{
    Q_OBJECT
private slots:
    void missingRefusedNeedlessWarned_data();
    void missingRefusedNeedlessWarned();

private:
    QTemporaryDir m_dir;
};
