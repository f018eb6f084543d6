#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

// Shows the whole text of a grid cell; nothing is written back.
class fZoom : public QDialog
{
    Q_OBJECT
public:
    explicit fZoom(const QString& text, QWidget* parent = nullptr);
    QPlainTextEdit* cData() const { return m_data; }

private:
    QPlainTextEdit* m_data = nullptr;
    QPushButton* m_close = nullptr;
};
