#pragma once

#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;
struct AppContext;

// The list of the codes of a table, opened from a code field with F6 or a
// double-click. The caller passes the field's declaration in CodiceRicerca
// and finds the chosen code there afterwards ("" when nothing was chosen).
class F6 : public QDialog
{
    Q_OBJECT
public:
    F6(AppContext& context, QWidget* parent = nullptr);

    void Nuovo_Click();
    void choose();
    void RiempiLista();

    QListWidget* Lista() const { return m_lista; }
    QPushButton* Nuovo() const { return m_nuovo; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int widthForWholeLines() const;

    AppContext& m_context;
    QListWidget* m_lista = nullptr;
    QLabel* m_label = nullptr;
    QPushButton* m_nuovo = nullptr;
    int m_table = 0;
    int m_descriptionField = 0;
    int m_codeWidth = 0;
    bool m_filled = false;
};
