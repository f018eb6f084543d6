#include "VidArch.h"

#include "AppContext.h"
#include "FconsCOD.h"
#include "Table.h"
#include "WindowGeometry.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

VidArch::VidArch(AppContext& context, QWidget* parent) : QDialog(parent), m_context(context)
{
    setObjectName(QStringLiteral("VidArch"));
    setWindowTitle(QStringLiteral("Lista Archivi"));
    auto* label = new QLabel(QStringLiteral("Tabelle"), this);
    label->setObjectName(QStringLiteral("TableListLabel"));
    m_lista = new QListWidget(this);
    m_lista->setObjectName(QStringLiteral("ListaArch"));
    label->setBuddy(m_lista);
    for (const Table table : kTables)
        m_lista->addItem(nameOf(table));
    if (m_lista->count() > 0)
        m_lista->setCurrentRow(0);
    m_lista->installEventFilter(this);

    auto* openButton = new QPushButton(QStringLiteral("&Apri"), this);
    openButton->setObjectName(QStringLiteral("BtApri"));
    auto* closeButton = new QPushButton(QStringLiteral("&Uscita"), this);
    closeButton->setObjectName(QStringLiteral("BtUscita"));
    closeButton->setAutoDefault(false);
    connect(openButton, &QPushButton::clicked, this, &VidArch::BtApri_Click);
    connect(closeButton, &QPushButton::clicked, this, &VidArch::reject);
    connect(m_lista, &QListWidget::itemDoubleClicked, this, &VidArch::BtApri_Click);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(openButton);
    buttons->addStretch(1);
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_lista, 1);
    layout->addLayout(buttons);
    resize(300, 260);
}

void VidArch::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    placeCentred(this, m_context);
}

void VidArch::BtApri_Click()
{
    const auto table = tableFromIndex(m_lista->currentRow());
    if (!table)
        return;
    FconsCOD grid(m_context, *table, this);
    grid.exec();
}

bool VidArch::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_lista && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            BtApri_Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
