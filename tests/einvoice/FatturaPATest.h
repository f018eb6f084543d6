#pragma once

#include <QObject>
#include <QTemporaryDir>

// The electronic invoice: built, checked and written without windows.
class FatturaPATest : public QObject
{
    Q_OBJECT
private slots:
    void validAndAddingUp_data();
    void validAndAddingUp();
    void missingDataRefusedWithoutFile_data();
    void missingDataRefusedWithoutFile();
    void pdfAttached();
    void foreignAndProvince();
    void progressivoInvio_data();
    void progressivoInvio();
    void stampDutyMissingRefusedNeedlessWarned_data();
    void stampDutyMissingRefusedNeedlessWarned();

private:
    QTemporaryDir m_dir;
};
