#pragma once

#include "app/SecondaryDialogs.h"
#include "config/UserInfo.h"
#include "config/VORNXMLConfig.h"
#include "platform/MessageBox.h"
#include "ui/DialogUnits.h"
#include "ui/FontStatic.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QObject>
#include <QRadioButton>
#include <array>
#include <string>

namespace app {

// The account panel of the main window: the user name box with the saved accounts, the
// password box, the two range radios, the three check boxes with their chain and the two
// delete links. Its widgets are children of the window's client area, placed from the
// template. Texts reach the core as GBK.
class CAccountPanel final : public QObject {
    Q_OBJECT

public:
    static constexpr std::size_t kMaxUsers = 10;
    static constexpr int kRangeFree = 0;
    static constexpr int kRangePaid = 1;

    // config, messageBox and dialogs must outlive the panel.
    CAccountPanel(QWidget& clientArea, const ui::CDialogUnits& units,
                  config::CVORNXMLConfig& config, platform::CMessageBox& messageBox,
                  CSecondaryDialogs& dialogs);

    // Reads the saved accounts (at most 10) and refills the user name box's sorted list,
    // keeping the last read user name in its edit field. False, the box as it was, when the
    // store cannot list them.
    bool ReloadUserList();

    // Start-up: ticks "save my account" and shows the default account when there is one,
    // with the focus as the start-up gives it.
    void PreselectDefaultAccount();

    // Reads the boxes into UserName, Password and Range. False, with a message shown and
    // the last read values kept, when a box holds text that GBK cannot hold or that is
    // longer than the client takes: an operation never runs with a stale value.
    bool ReadControls();

    const std::string& UserName() const { return m_strUserName; }
    const std::string& Password() const { return m_strPassword; }
    int Range() const { return m_nRange; }

    bool SaveAccountChecked() const { return m_chkSaveAccount->isChecked(); }
    bool RememberPasswordChecked() const { return m_chkRememberPassword->isChecked(); }
    bool AutoLogonChecked() const { return m_chkAutoLogon->isChecked(); }
    void CheckAutoLogon() { m_chkAutoLogon->setChecked(true); }

    void SelectFreeRange();
    void ClearPassword() { m_editPassword->clear(); }

    // Focus on the user name box, all of its text selected.
    void FocusUserName();
    // Focus on the password box, its text selected.
    void FocusPassword();
    // The focus rule of the window's restore: the user name box when no name was read (with
    // the first saved account chosen), else the password box.
    void ApplyFocusRule();

    // Puts the panel into its empty state.
    void ClearAccountPanel();

    void OnDeleteCurrent();
    void OnDeleteAll();

    QComboBox& UserBox() { return *m_comboUser; }
    QLineEdit& PasswordBox() { return *m_editPassword; }

private:
    void CreateWidgets(QWidget& clientArea, const ui::CDialogUnits& units);
    const config::UserInfo* FindUser(std::string_view name) const;
    void ShowUser(const config::UserInfo& user);
    void OnSelectUser(int index);
    void OnEditUser();
    void OnSaveAccountClicked(bool checked);
    void OnRememberPasswordClicked(bool checked);
    void OnAutoLogonClicked(bool checked);
    void ClearDefaultWhenDeleted();

    config::CVORNXMLConfig& m_config;
    platform::CMessageBox& m_messageBox;
    CSecondaryDialogs& m_dialogs;

    std::array<config::UserInfo, kMaxUsers> m_pUsers{};
    std::size_t m_nUsers = 0;
    std::string m_strUserName;
    std::string m_strPassword;
    int m_nRange = kRangeFree;

    QComboBox* m_comboUser = nullptr;
    QLineEdit* m_editPassword = nullptr;
    QRadioButton* m_radioFree = nullptr;
    QRadioButton* m_radioPaid = nullptr;
    QCheckBox* m_chkSaveAccount = nullptr;
    QCheckBox* m_chkRememberPassword = nullptr;
    QCheckBox* m_chkAutoLogon = nullptr;
    ui::CFontStatic* m_linkDeleteCurrent = nullptr;
    ui::CFontStatic* m_linkDeleteAll = nullptr;
};

} // namespace app
