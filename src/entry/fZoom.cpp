#include "fZoom.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

fZoom::fZoom(const QString& text, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fZoom"));
    setWindowTitle(QStringLiteral("Zoom"));
    m_data = new QPlainTextEdit(text, this);
    m_data->setObjectName(QStringLiteral("cData"));
    m_data->setReadOnly(true);
    m_close = new QPushButton(QStringLiteral("&Chiudi"), this);
    m_close->setObjectName(QStringLiteral("CloseZoomButton"));
    connect(m_close, &QPushButton::clicked, this, &fZoom::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_data, 1);
    layout->addWidget(m_close, 0, Qt::AlignRight);
    resize(480, 300);
}
