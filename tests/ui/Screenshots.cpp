// Renders the program's pictures and windows to PNG files, so that a reviewer can look at
// every one of them: ui_screenshots FOLDER [-platform offscreen].
#include "announce/VORNNotificationMessage.h"
#include "platform/GbkCodec.h"
#include "platform/ScriptedMessageBox.h"
#include "ui/AboutDlg.h"
#include "ui/ConPromptDlg.h"
#include "ui/DeleteAllUIConfirmDlg.h"
#include "ui/DeleteCurUIConfirmDlg.h"
#include "ui/DialogUnits.h"
#include "ui/ExitDlg.h"
#include "ui/Icons.h"
#include "ui/NslookupDlg.h"
#include "ui/PingDialog.h"
#include "ui/TracertDlg.h"
#include "ui/VORNNotificationBox.h"

#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QPixmap>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr int kIconIds[] = {ui::IDI_APPLICATION_ICON, ui::IDI_NET_NONE,     ui::IDI_NET_CAMPUS,
                            ui::IDI_NET_DOMESTIC,     ui::IDI_GUARD_CAMPUS, ui::IDI_GUARD_DOMESTIC,
                            ui::IDI_GUARD_NONE,       ui::IDI_WARNING,      ui::IDI_CLOSE};
constexpr int kIconSides[] = {16, 24, 32, 64};
constexpr int kGap = 8;

// Every icon at the sizes a desktop asks for, on a light and on a dark strip, and the two
// bitmaps at the size the windows give them.
QPixmap ResourceSheet() {
    const ui::CDialogUnits units(ui::DialogFont());
    const QSize banner = units.Size(161, 32);
    const QSize popup = units.Size(160, 86);
    int cell = kGap;
    for (int side : kIconSides) {
        cell += side + kGap;
    }
    const int stripHeight = 64 + 2 * kGap;
    const int width = std::max<int>(cell * static_cast<int>(std::size(kIconIds)),
                                    banner.width() + popup.width() + 3 * kGap);
    QPixmap sheet(width, 2 * stripHeight + std::max(banner.height(), popup.height()) + 2 * kGap);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    for (int strip = 0; strip < 2; ++strip) {
        const int top = strip * stripHeight;
        painter.fillRect(0, top, width, stripHeight,
                         strip == 0 ? QColor(0xf0, 0xf0, 0xf0) : QColor(0x2b, 0x2b, 0x2b));
        int x = 0;
        for (int id : kIconIds) {
            int left = x + kGap;
            for (int side : kIconSides) {
                painter.drawPixmap(left, top + kGap + 64 - side,
                                   ui::ResourceIcon(id).pixmap(side, side));
                left += side + kGap;
            }
            x += cell;
        }
    }
    const int bitmapTop = 2 * stripHeight + kGap;
    painter.drawPixmap(kGap, bitmapTop, ui::ResourcePixmap(ui::IDB_BANNER, banner));
    painter.drawPixmap(2 * kGap + banner.width(), bitmapTop,
                       ui::ResourcePixmap(ui::IDB_POPUP_BACKGROUND, popup));
    return sheet;
}

// The widget as it shows on the screen.
QPixmap Shot(QWidget& widget) {
    widget.show();
    QApplication::processEvents();
    return widget.grab();
}

// The popup with three announcements, the second too long for its line.
QPixmap PopupShot(platform::CMessageBox& messages) {
    ui::CVORNNotificationBox popup("gateway.qel.example", messages);
    popup.SetAnimationTimes(std::chrono::milliseconds(0), std::chrono::milliseconds(0));
    for (const char* title : {"12月15日凌晨网络设备升级维护通知",
                              "关于校园网出口带宽扩容期间部分时段网络访问可能出现短暂中断的通知",
                              "Fee schedule for the spring term"}) {
        popup.AddMessage({platform::GbkFromLiteral(title), "", "http://gateway.qel.example/n.htm"});
    }
    popup.Popup();
    QApplication::processEvents();
    return popup.grab();
}

struct Picture {
    const char* file;
    std::function<QPixmap()> draw;
};

std::vector<Picture> Pictures(platform::CMessageBox& messages) {
    const ui::AboutSites sites{{"gateway.qel.example"}, "card.qel.example", "support@qel.example"};
    return {
        {"resources.png", ResourceSheet},
        {"about.png",
         [&messages, sites] {
             ui::CAboutDlg dialog(nullptr, sites, messages);
             return Shot(dialog);
         }},
        {"popup.png", [&messages] { return PopupShot(messages); }},
        {"exit.png",
         [] {
             ui::CExitDlg dialog;
             return Shot(dialog);
         }},
        {"con-prompt.png",
         [] {
             ui::CConPromptDlg dialog;
             return Shot(dialog);
         }},
        {"delete-current.png",
         [] {
             ui::CDeleteCurUIConfirmDlg dialog;
             return Shot(dialog);
         }},
        {"delete-all.png",
         [] {
             ui::CDeleteAllUIConfirmDlg dialog;
             return Shot(dialog);
         }},
        {"ping.png",
         [] {
             ui::CPingDialog dialog;
             return Shot(dialog);
         }},
        {"tracert.png",
         [] {
             ui::CTracertDlg dialog;
             return Shot(dialog);
         }},
        {"nslookup.png",
         [] {
             ui::CNslookupDlg dialog;
             return Shot(dialog);
         }},
    };
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 2) {
        std::fprintf(stderr, "usage: ui_screenshots FOLDER\n");
        return 64;
    }
    const QDir folder(arguments[1]);
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot make %s\n", qPrintable(arguments[1]));
        return 1;
    }
    platform::CScriptedMessageBox messages;
    for (const Picture& picture : Pictures(messages)) {
        const QString path = folder.filePath(QString::fromLatin1(picture.file));
        if (!picture.draw().save(path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
