#include "app/AccountPanel.h"

#include "app/GbkLengthValidator.h"
#include "app/WindowTexts.h"
#include "gateway/QELVORNClient.h"
#include "platform/GbkCodec.h"
#include "resources/StringTable.h"

#include <QCollator>
#include <algorithm>
#include <span>

namespace app {
namespace {

constexpr int kIdUserBox = 1002;
constexpr int kIdPasswordBox = 1003;
constexpr int kIdRadioFree = 1004;
constexpr int kIdRadioPaid = 1005;
constexpr int kIdSaveAccount = 1031;
constexpr int kIdRememberPassword = 1032;
constexpr int kIdAutoLogon = 1033;
constexpr int kIdDeleteCurrent = 1034;
constexpr int kIdDeleteAll = 1035;

// A label of the template, which names the control beside it for a screen reader.
QLabel* AddLabel(QWidget& parent, const ui::CDialogUnits& units, std::string_view text,
                 QWidget* buddy, QRect rect) {
    auto* label = new QLabel(Text(text), &parent);
    units.Place(*label, 0, rect.x(), rect.y(), rect.width(), rect.height());
    if (buddy != nullptr) {
        label->setBuddy(buddy);
        buddy->setAccessibleName(Text(text).remove(QLatin1Char(':')));
    }
    return label;
}

template <typename Widget>
Widget* AddControl(QWidget& parent, const ui::CDialogUnits& units, std::string_view text, int id,
                   QRect rect) {
    auto* widget = new Widget(Text(text), &parent);
    units.Place(*widget, id, rect.x(), rect.y(), rect.width(), rect.height());
    widget->setAccessibleName(Text(text));
    return widget;
}

} // namespace

CAccountPanel::CAccountPanel(QWidget& clientArea, const ui::CDialogUnits& units,
                             config::CVORNXMLConfig& config, platform::CMessageBox& messageBox,
                             CSecondaryDialogs& dialogs)
    : QObject(&clientArea), m_config(config), m_messageBox(messageBox), m_dialogs(dialogs) {
    CreateWidgets(clientArea, units);
    connect(m_comboUser, &QComboBox::activated, this, &CAccountPanel::OnSelectUser);
    connect(m_comboUser->lineEdit(), &QLineEdit::textEdited, this, &CAccountPanel::OnEditUser);
    connect(m_chkSaveAccount, &QCheckBox::clicked, this, &CAccountPanel::OnSaveAccountClicked);
    connect(m_chkRememberPassword, &QCheckBox::clicked, this,
            &CAccountPanel::OnRememberPasswordClicked);
    connect(m_chkAutoLogon, &QCheckBox::clicked, this, &CAccountPanel::OnAutoLogonClicked);
    connect(m_linkDeleteCurrent, &ui::CFontStatic::clicked, this, &CAccountPanel::OnDeleteCurrent);
    connect(m_linkDeleteAll, &ui::CFontStatic::clicked, this, &CAccountPanel::OnDeleteAll);
}

void CAccountPanel::CreateWidgets(QWidget& clientArea, const ui::CDialogUnits& units) {
    auto* group = new QGroupBox(Text(texts::kAccountGroup), &clientArea);
    units.Place(*group, 0, 7, 43, 161, 116);
    group->lower();

    m_comboUser = new QComboBox(&clientArea);
    m_comboUser->setEditable(true);
    m_comboUser->setInsertPolicy(QComboBox::NoInsert);
    m_comboUser->setMaxVisibleItems(static_cast<int>(kMaxUsers));
    m_comboUser->lineEdit()->setValidator(
        new CGbkLengthValidator(gateway::kMaxUserNameLength, m_comboUser));
    units.Place(*m_comboUser, kIdUserBox, 66, 56, 94, 13);
    AddLabel(clientArea, units, texts::kUserNameLabel, m_comboUser, {16, 58, 40, 8});

    m_editPassword = new QLineEdit(&clientArea);
    m_editPassword->setEchoMode(QLineEdit::Password);
    m_editPassword->setValidator(
        new CGbkLengthValidator(gateway::kMaxPasswordLength, m_editPassword));
    units.Place(*m_editPassword, kIdPasswordBox, 66, 75, 94, 12);
    AddLabel(clientArea, units, texts::kPasswordLabel, m_editPassword, {16, 77, 40, 8});

    AddLabel(clientArea, units, texts::kRangeLabel, nullptr, {16, 95, 50, 8});
    m_radioFree =
        AddControl<QRadioButton>(clientArea, units, texts::kFree, kIdRadioFree, {74, 94, 40, 10});
    m_radioPaid =
        AddControl<QRadioButton>(clientArea, units, texts::kPaid, kIdRadioPaid, {121, 94, 40, 10});
    m_radioFree->setChecked(true);

    m_chkSaveAccount = AddControl<QCheckBox>(clientArea, units, texts::kSaveAccount, kIdSaveAccount,
                                             {24, 111, 67, 14});
    m_chkRememberPassword = AddControl<QCheckBox>(clientArea, units, texts::kRememberPassword,
                                                  kIdRememberPassword, {24, 126, 67, 14});
    m_chkAutoLogon = AddControl<QCheckBox>(clientArea, units, texts::kAutoLogon, kIdAutoLogon,
                                           {24, 141, 67, 14});
    m_linkDeleteCurrent = AddControl<ui::CFontStatic>(clientArea, units, texts::kDeleteCurrent,
                                                      kIdDeleteCurrent, {93, 113, 70, 11});
    m_linkDeleteAll = AddControl<ui::CFontStatic>(clientArea, units, texts::kDeleteAll,
                                                  kIdDeleteAll, {93, 128, 70, 11});
}

bool CAccountPanel::ReloadUserList() {
    std::size_t count = 0;
    if (!m_config.GetUserList(std::span(m_pUsers), count)) {
        return false;
    }
    m_nUsers = count;
    QStringList names;
    for (std::size_t index = 0; index < m_nUsers; ++index) {
        names << FromGbk(m_pUsers[index].username.View());
    }
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(names.begin(), names.end(), collator);
    m_comboUser->clear();
    m_comboUser->addItems(names);
    m_comboUser->setCurrentIndex(-1);
    m_comboUser->setEditText(FromGbk(m_strUserName));
    return true;
}

const config::UserInfo* CAccountPanel::FindUser(std::string_view name) const {
    const auto users = std::span(m_pUsers).first(m_nUsers);
    const auto found = std::find_if(users.begin(), users.end(), [name](const auto& user) {
        return user.username.View() == name;
    });
    return found == users.end() ? nullptr : &*found;
}

void CAccountPanel::PreselectDefaultAccount() {
    m_chkSaveAccount->setChecked(true);
    config::UserText defaultName;
    const bool haveDefault = m_config.GetDefaultUser(defaultName) && !defaultName.View().empty() &&
                             m_comboUser->findText(FromGbk(defaultName.View()),
                                                   Qt::MatchExactly | Qt::MatchCaseSensitive) >= 0;
    const config::UserInfo* user = haveDefault ? FindUser(defaultName.View()) : nullptr;
    if (user == nullptr) {
        m_comboUser->setFocus();
        if (m_comboUser->count() > 0) {
            m_comboUser->setCurrentIndex(0);
        }
        return;
    }
    m_comboUser->setCurrentIndex(m_comboUser->findText(FromGbk(user->username.View())));
    if (user->savePassword) {
        m_editPassword->setText(FromGbk(user->password.View()));
    }
    if (user->access == config::ACCESS_DOMESTIC) {
        m_radioFree->setChecked(true);
    } else if (user->access == config::ACCESS_OVERALL) {
        m_radioPaid->setChecked(true);
    }
    m_chkRememberPassword->setChecked(user->savePassword);
    if (!user->savePassword) {
        m_chkAutoLogon->setChecked(false);
    }
    m_editPassword->setFocus();
}

bool CAccountPanel::ReadControls() {
    const platform::ConvertedText userName =
        platform::Utf8ToGbk(m_comboUser->currentText().toStdString());
    const platform::ConvertedText password =
        platform::Utf8ToGbk(m_editPassword->text().toStdString());
    std::string_view refusal;
    if (!userName.Ok()) {
        refusal = texts::kUserNameNotGbk;
    } else if (userName.text.size() > gateway::kMaxUserNameLength) {
        refusal = texts::kUserNameTooLong;
    } else if (!password.Ok()) {
        refusal = texts::kPasswordNotGbk;
    } else if (password.text.size() > gateway::kMaxPasswordLength) {
        refusal = texts::kPasswordTooLong;
    }
    if (!refusal.empty()) {
        m_messageBox.Inform(Gbk(refusal));
        return false;
    }
    m_strUserName = userName.text;
    m_strPassword = password.text;
    m_nRange = m_radioPaid->isChecked() ? kRangePaid : kRangeFree;
    return true;
}

void CAccountPanel::SelectFreeRange() {
    m_radioFree->setChecked(true);
}

void CAccountPanel::FocusUserName() {
    m_comboUser->setFocus();
    m_comboUser->lineEdit()->selectAll();
}

void CAccountPanel::FocusPassword() {
    m_editPassword->setFocus();
    m_editPassword->selectAll();
}

void CAccountPanel::ApplyFocusRule() {
    if (!m_strUserName.empty()) {
        FocusPassword();
        return;
    }
    m_comboUser->setFocus();
    // The list request with index 0 picks the first saved account of the sorted list.
    if (m_comboUser->currentText().isEmpty() && m_comboUser->count() > 0) {
        m_comboUser->setCurrentIndex(0);
        OnSelectUser(0);
    }
}

void CAccountPanel::ShowUser(const config::UserInfo& user) {
    m_editPassword->setText(user.savePassword ? FromGbk(user.password.View()) : QString());
    (user.access == config::ACCESS_OVERALL ? m_radioPaid : m_radioFree)->setChecked(true);
    m_chkSaveAccount->setChecked(true);
    m_chkRememberPassword->setChecked(user.savePassword);
    bool autoLogon = false;
    if (user.savePassword) {
        config::UserText defaultName;
        autoLogon = m_config.GetDefaultUser(defaultName) &&
                    defaultName.View() == user.username.View() && m_config.GetAutoLogon();
    }
    m_chkAutoLogon->setChecked(autoLogon);
}

void CAccountPanel::OnSelectUser(int index) {
    const platform::ConvertedText name =
        platform::Utf8ToGbk(m_comboUser->itemText(index).toStdString());
    if (const config::UserInfo* user = name.Ok() ? FindUser(name.text) : nullptr) {
        ShowUser(*user);
    }
}

void CAccountPanel::OnEditUser() {
    m_editPassword->clear();
    m_radioFree->setChecked(true);
    m_chkSaveAccount->setChecked(true);
    m_chkRememberPassword->setChecked(false);
    m_chkAutoLogon->setChecked(false);
}

void CAccountPanel::OnSaveAccountClicked(bool checked) {
    if (!checked) {
        m_chkRememberPassword->setChecked(false);
        m_chkAutoLogon->setChecked(false);
    }
}

void CAccountPanel::OnRememberPasswordClicked(bool checked) {
    if (checked) {
        m_chkSaveAccount->setChecked(true);
    } else {
        m_chkAutoLogon->setChecked(false);
    }
}

void CAccountPanel::OnAutoLogonClicked(bool checked) {
    if (checked) {
        m_chkSaveAccount->setChecked(true);
        m_chkRememberPassword->setChecked(true);
    }
}

void CAccountPanel::ClearAccountPanel() {
    m_comboUser->setCurrentIndex(-1);
    m_comboUser->setEditText(QString());
    m_editPassword->clear();
    m_radioFree->setChecked(true);
    m_chkSaveAccount->setChecked(true);
    m_chkRememberPassword->setChecked(false);
    m_chkAutoLogon->setChecked(false);
    if (QWidget* window = m_comboUser->window()) {
        window->repaint();
    }
}

void CAccountPanel::OnDeleteCurrent() {
    if (!ReadControls()) {
        return;
    }
    if (m_strUserName.empty()) {
        m_messageBox.Inform(resources::LoadResString(resources::IDS_CHOOSE_ACCOUNT));
        return;
    }
    if (!m_dialogs.ConfirmDeleteCurrent()) {
        return;
    }
    m_config.DeleteUser(m_strUserName);
    config::UserText defaultName;
    if (m_config.GetDefaultUser(defaultName) && defaultName.View() == m_strUserName) {
        m_config.SetDefaultUser({});
        m_config.SetAutoLogon(false);
    }
    m_config.Save();
    m_strUserName.clear();
    ReloadUserList();
    ClearAccountPanel();
    m_comboUser->setFocus();
}

void CAccountPanel::OnDeleteAll() {
    if (!m_dialogs.ConfirmDeleteAll()) {
        return;
    }
    m_config.DeleteAllUsers();
    m_config.SetDefaultUser({});
    m_config.SetAutoLogon(false);
    m_config.Save();
    m_strUserName.clear();
    ReloadUserList();
    ClearAccountPanel();
    m_comboUser->setFocus();
}

} // namespace app
