#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;
struct AppContext;

// Shows the whole text of a grid cell (TestoZoom); nothing is written back.
class fZoom : public QDialog
{
    Q_OBJECT
public:
    fZoom(AppContext& context, QWidget* parent = nullptr);
    QPlainTextEdit* cData() const { return m_data; }

private:
    QPlainTextEdit* m_data = nullptr;
    QPushButton* m_close = nullptr;
};
