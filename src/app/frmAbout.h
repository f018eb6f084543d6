#pragma once

#include <QDialog>
#include <QStringList>

class QLabel;
class QPushButton;

// The about box, with a button that starts the desktop's system information
// program when one is installed.
class frmAbout : public QDialog
{
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);

    void cmdOK_Click();
    void cmdSysInfo_Click();

    // The first of the known system information programs found on the PATH,
    // or "" when none is installed.
    static QString programmaInfoSistema(const QStringList& candidates = defaultCandidates());
    static QStringList defaultCandidates();

private:
    QLabel* m_title = nullptr;
    QLabel* m_version = nullptr;
    QLabel* m_description = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_sysInfo = nullptr;
};
