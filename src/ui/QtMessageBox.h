#pragma once

#include "platform/MessageBox.h"

#include <QMessageBox>
#include <QPointer>
#include <QString>

class QWidget;

namespace ui {

// The message boxes of the desktop program: modal QMessageBox windows on the UI thread.
// A call from another thread is carried to the UI thread and waits there for the answer,
// so a worker may ask too (it must not hold anything the UI thread waits for).
class CQtMessageBox final : public platform::CMessageBox {
public:
    // parent: the window the boxes are modal to (none: application modal); title: their
    // caption. The parent may be destroyed before this object.
    explicit CQtMessageBox(QWidget* parent = nullptr,
                           QString title = QStringLiteral("Sign in to QEL"));

    void Inform(std::string_view text) override;
    bool AskOkCancel(std::string_view text) override;
    bool AskYesNo(std::string_view text) override;

private:
    // Shows the GBK text with buttons and answers the button pressed.
    QMessageBox::StandardButton Show(QMessageBox::Icon icon, std::string_view text,
                                     QMessageBox::StandardButtons buttons,
                                     QMessageBox::StandardButton defaultButton);
    QMessageBox::StandardButton ShowHere(QMessageBox::Icon icon, const QString& text,
                                         QMessageBox::StandardButtons buttons,
                                         QMessageBox::StandardButton defaultButton);

    QPointer<QWidget> m_parent;
    QString m_title;
};

} // namespace ui
