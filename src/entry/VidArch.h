#pragma once

#include <QDialog>

class QListWidget;
class QPushButton;
struct AppContext;

// The list of the program's tables, opened with F3: any of them can be
// browsed in the record grid.
class VidArch : public QDialog
{
    Q_OBJECT
public:
    VidArch(AppContext& context, QWidget* parent = nullptr);

    void BtApri_Click();
    QListWidget* ListaArch() const { return m_lista; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    AppContext& m_context;
    QListWidget* m_lista = nullptr;
};
