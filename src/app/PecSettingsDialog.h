#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QSpinBox;
struct AppContext;
struct PecSettings;

// "Impostazioni PEC": the [PEC] section of the settings and the password,
// which goes to the desktop's secret store, with a try of both servers.
class PecSettingsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit PecSettingsDialog(AppContext& context, QWidget* parent = nullptr);

private:
    // What the fields say; nothing, after a message and with the focus on
    // the field, when one is not right.
    std::optional<PecSettings> typed();
    void testClicked();
    void saveClicked();

    AppContext& m_context;
    QLineEdit* m_address;
    QLineEdit* m_smtpHost;
    QSpinBox* m_smtpPort;
    QLineEdit* m_imapHost;
    QSpinBox* m_imapPort;
    QLineEdit* m_user;
    QLineEdit* m_password;
    QLineEdit* m_sdiAddress;
    QLabel* m_result;
};
