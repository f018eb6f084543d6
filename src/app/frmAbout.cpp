#include "frmAbout.h"

#include "MessageBox.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QStyle>
#include <QVBoxLayout>

frmAbout::frmAbout(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    const QString title = QStringLiteral("Falmide");
    setWindowTitle(QStringLiteral("About ") + title);

    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(48, 48));

    m_title = new QLabel(title, this);
    m_title->setObjectName(QStringLiteral("lblTitle"));
    QFont big = m_title->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    m_title->setFont(big);

    m_version = new QLabel(QStringLiteral("Version ") + QStringLiteral(FALMIDE_VERSION), this);
    m_version->setObjectName(QStringLiteral("lblVersion"));

    m_description =
        new QLabel(QStringLiteral("Contabilità e fatturazione per il libero professionista:\n"
                                  "clienti, fornitori, fatture, parcelle, movimenti passivi,\n"
                                  "stampe e archivio delle fatture in PDF."),
                   this);
    m_description->setObjectName(QStringLiteral("lblDescription"));

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("cmdOK"));
    m_ok->setDefault(true);
    m_sysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    m_sysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    connect(m_ok, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(m_sysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);

    auto* text = new QVBoxLayout;
    text->addWidget(m_title);
    text->addWidget(m_version);
    text->addSpacing(8);
    text->addWidget(m_description);
    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(text, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_ok);
    buttons->addWidget(m_sysInfo);
    buttons->addStretch(1);
    top->addLayout(buttons);
    setLayout(top);
}

void frmAbout::cmdOK_Click()
{
    accept();
}

QStringList frmAbout::defaultCandidates()
{
    return {QStringLiteral("hardinfo2"), QStringLiteral("hardinfo"), QStringLiteral("kinfocenter"),
            QStringLiteral("gnome-system-monitor")};
}

QString frmAbout::programmaInfoSistema(const QStringList& candidates)
{
    for (const QString& name : candidates) {
        const QString path = QStandardPaths::findExecutable(name);
        if (!path.isEmpty())
            return path;
    }
    return {};
}

void frmAbout::cmdSysInfo_Click()
{
    const QString program = programmaInfoSistema();
    if (program.isEmpty() || !QProcess::startDetached(program, {}))
        MessageBox::warning(this, QStringLiteral("System Information Is Unavailable At This Time"));
}
