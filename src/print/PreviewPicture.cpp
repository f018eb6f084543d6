#include "PreviewPicture.h"

#include <QMouseEvent>
#include <QPainter>

PreviewPicture::PreviewPicture(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Pic"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::PointingHandCursor);
}

void PreviewPicture::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (m_image.isNull())
        painter.fillRect(rect(), Qt::white);
    else
        painter.drawImage(0, 0, m_image);
}

void PreviewPicture::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || width() <= 0 || height() <= 0)
        return;
    const QPointF p = event->position();
    emit mouseUp(QPointF(p.x() * m_paper.width() / width(), p.y() * m_paper.height() / height()));
    if (rect().contains(p.toPoint()))
        emit clicked();
}
