#pragma once

#include <QDialog>

struct AppContext;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

// "Esporta per il commercialista ...": asks for the period, the format, the
// file and whether to pack the period's documents into a ZIP, then writes
// them and says where.
void openAccountantExport(AppContext& context, QWidget* parent);

class AccountantExportWindow : public QDialog
{
    Q_OBJECT
public:
    AccountantExportWindow(AppContext& context, QWidget* parent);

private:
    void periodChanged();
    void formatChanged();
    void browse();
    void exportClicked();
    // The file named, its extension the format's.
    QString fileOfFormat() const;

    AppContext& m_context;
    QLineEdit* m_first;
    QLineEdit* m_last;
    QComboBox* m_format;
    QLineEdit* m_file;
    QCheckBox* m_zip;
    // Once the user names the file, a new period no longer renames it.
    bool m_fileNamed = false;
};
