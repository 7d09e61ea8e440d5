#include "ui/QtMessageBox.h"

#include "ui/QtGbk.h"

#include <QCoreApplication>
#include <QThread>
#include <utility>

namespace ui {

CQtMessageBox::CQtMessageBox(QWidget* parent, QString title)
    : m_parent(parent), m_title(std::move(title)) {}

void CQtMessageBox::Inform(std::string_view text) {
    Show(QMessageBox::Information, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool CQtMessageBox::AskOkCancel(std::string_view text) {
    return Show(QMessageBox::Question, text, QMessageBox::Ok | QMessageBox::Cancel,
                QMessageBox::Ok) == QMessageBox::Ok;
}

bool CQtMessageBox::AskYesNo(std::string_view text) {
    return Show(QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No,
                QMessageBox::Yes) == QMessageBox::Yes;
}

QMessageBox::StandardButton CQtMessageBox::Show(QMessageBox::Icon icon, std::string_view text,
                                                QMessageBox::StandardButtons buttons,
                                                QMessageBox::StandardButton defaultButton) {
    const QString shown = FromGbk(text);
    QCoreApplication* application = QCoreApplication::instance();
    if (application == nullptr || QThread::currentThread() == application->thread()) {
        return ShowHere(icon, shown, buttons, defaultButton);
    }
    auto answer = QMessageBox::Cancel;
    QMetaObject::invokeMethod(
        application, [&] { return ShowHere(icon, shown, buttons, defaultButton); },
        Qt::BlockingQueuedConnection, &answer);
    return answer;
}

QMessageBox::StandardButton CQtMessageBox::ShowHere(QMessageBox::Icon icon, const QString& text,
                                                    QMessageBox::StandardButtons buttons,
                                                    QMessageBox::StandardButton defaultButton) {
    QMessageBox box(icon, m_title, text, buttons, m_parent.data());
    box.setDefaultButton(defaultButton);
    // Escape and the close box count as the negative answer.
    box.setEscapeButton(buttons.testFlag(QMessageBox::Cancel) ? QMessageBox::Cancel
                        : buttons.testFlag(QMessageBox::No)   ? QMessageBox::No
                                                              : QMessageBox::Ok);
    box.setAccessibleName(m_title);
    box.setAccessibleDescription(text);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

} // namespace ui
