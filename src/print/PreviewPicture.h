#pragma once

#include <QImage>
#include <QPointF>
#include <QSizeF>
#include <QWidget>

// The page picture of the preview: it shows the last replayed page and
// reports mouse releases in paper twips.
class PreviewPicture : public QWidget
{
    Q_OBJECT
public:
    explicit PreviewPicture(QWidget* parent = nullptr);

    QImage& image() { return m_image; }
    // The picture's coordinates: the paper in twips.
    void setPaperTwips(QSizeF paper) { m_paper = paper; }
    QSizeF paperTwips() const { return m_paper; }

signals:
    void mouseUp(QPointF twips);
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QImage m_image;
    QSizeF m_paper;
};
