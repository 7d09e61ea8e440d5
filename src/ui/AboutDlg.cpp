#include "ui/AboutDlg.h"

#include "ui/Icons.h"
#include "ui/LinkStatic.h"

#include <QLabel>
#include <QPushButton>

namespace ui {
namespace {

QString Page(const char* scheme, const std::string& host, const char* path) {
    if (host.empty()) {
        return {};
    }
    return QStringLiteral("%1://%2%3")
        .arg(QLatin1String(scheme), QString::fromStdString(host), QLatin1String(path));
}

} // namespace

CAboutDlg::CAboutDlg(QWidget* parent, const AboutSites& sites, platform::CMessageBox& messages)
    : CTemplateDialog(parent, QStringLiteral("关于 ip网关客户端"), 301, 218) {
    AddTexts();
    AddLinks(sites, messages);
    AddTools();
}

std::array<QString, 6> CAboutDlg::LinkCommands(const AboutSites& sites) {
    const std::string& host = sites.gateway.host;
    return {sites.supportMail.empty()
                ? QString()
                : QStringLiteral("mailto:") + QString::fromStdString(sites.supportMail),
            host.empty() ? QString() : QString::fromStdString(sites.gateway.HomePage()),
            Page("https", host, "/faq/faq.jsp"),
            Page("http", sites.cardHost, "/home.do"),
            Page("https", host, "/swzn/sfbf.htm"),
            Page("https", host, "/vornclient/")};
}

void CAboutDlg::AddTexts() {
    AddIcon(IDI_APPLICATION_ICON, QStringLiteral("Qel校园网IP网关认证"), QRect(9, 8, 21, 20));
    QLabel* title = AddText(QStringLiteral("Qel校园网IP网关认证 v1.1"), 0, QRect(36, 13, 160, 10));
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    AddButton(QStringLiteral("确定"), kIdOk, QRect(244, 10, 50, 14));

    AddGroup(QStringLiteral("特点"), QRect(7, 32, 145, 64));
    AddText(QStringLiteral("1. 支持SSL安全可靠\n2. 关机、重启、注销时自动断网\n"), 0,
            QRect(14, 44, 132, 18));
    AddText(QStringLiteral("目前支持Windows2000、Windows XP 和Windows Vista，暂时仅提供中文版。"
                           "其他语言版本正在开发中。"),
            1013, QRect(14, 64, 132, 28), true);

    AddGroup(QStringLiteral("注意事项"), QRect(7, 100, 145, 111));
    AddText(
        QStringLiteral("1. 从校外访问校园网内资源不用登录IP网关。访问被限制在Qel校内使用的信息，"
                       "如校内信息服务、图书馆资源等，请使用校内代理或VPN服务，不用登录IP网关。"),
        0, QRect(14, 112, 132, 34), true);
    AddText(QStringLiteral("2. 为避免用户产生意外费用，默认访问范围仅为免费地址；"
                           "如需访问收费地址，请到网络管理办公室申请开通。"),
            0, QRect(14, 150, 132, 26), true);
    AddText(QStringLiteral(
                "3. 请务必在下机前断开您的连接, 否则容易因意外流量损失自己的费用或损失包月时长。"),
            0, QRect(14, 179, 132, 28), true);
}

void CAboutDlg::AddLinks(const AboutSites& sites, platform::CMessageBox& messages) {
    const std::array<QString, 6> commands = LinkCommands(sites);
    AddGroup(QStringLiteral("常用链接"), QRect(158, 32, 136, 76));
    AddLink(messages, QStringLiteral("1.网络服务"), commands[1], 1017, QRect(168, 45, 118, 10));
    AddLink(messages, QStringLiteral("2.常见问题"), commands[2], 1025, QRect(168, 57, 118, 10));
    AddLink(messages, QStringLiteral("3.校园卡缴费"), commands[3], 1026, QRect(168, 69, 118, 10));
    AddLink(messages, QStringLiteral("4.包月制"), commands[4], 1027, QRect(168, 81, 118, 10));
    AddLink(messages, QStringLiteral("5.用户手册"), commands[5], 1028, QRect(168, 93, 118, 10));

    AddText(QStringLiteral("有问题请发电子邮件到"), 1014, QRect(158, 178, 136, 10));
    CLinkStatic* mail = AddLink(messages, QString::fromStdString(sites.supportMail), commands[0],
                                1016, QRect(158, 191, 136, 10));
    mail->setVisible(!sites.supportMail.empty());
}

void CAboutDlg::AddTools() {
    AddGroup(QStringLiteral("网络工具"), QRect(158, 114, 136, 56));
    const struct {
        const char* text;
        int id;
        QRect rect;
        void (CAboutDlg::*signal)();
    } tools[] = {
        {"网络状态报告", 1040, QRect(166, 128, 58, 14), &CAboutDlg::networkReportRequested},
        {"Ping", 1041, QRect(228, 128, 58, 14), &CAboutDlg::pingRequested},
        {"Tracert", 1043, QRect(166, 148, 58, 14), &CAboutDlg::tracertRequested},
        {"域名解析", 1042, QRect(228, 148, 58, 14), &CAboutDlg::nslookupRequested},
    };
    for (const auto& tool : tools) {
        QPushButton* button = AddButton(QString::fromUtf8(tool.text), tool.id, tool.rect);
        connect(button, &QPushButton::clicked, this, tool.signal);
    }
}

CLinkStatic* CAboutDlg::AddLink(platform::CMessageBox& messages, const QString& text,
                                const QString& command, int id, QRect dialogUnits) {
    auto* link = new CLinkStatic(messages, this, CLinkStatic::Colouring::AlwaysBlue);
    link->setText(text);
    link->setTextFormat(Qt::PlainText);
    link->SetCommand(command);
    Place(*link, id, dialogUnits);
    return link;
}

} // namespace ui
