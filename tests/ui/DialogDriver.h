#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace uitest {

// Runs dialog modally and, once it shows, does action to it (press a button, type, hit a
// key); answers what exec() answered. An action that does not close the dialog leaves the
// test hanging, so actions always end with a press or a key that closes it.
int ExecThen(QDialog& dialog, const std::function<void()>& action);

// The control of window named "id<id>", or nullptr.
QWidget* Control(const QWidget& window, int id);

// Every text shown by window's labels, buttons and group boxes, in creation order.
QStringList ShownTexts(const QWidget& window);

// The visible controls of window that a screen reader gets no name for ("<class> <object
// name>" of each); empty when every control is named.
QStringList UnnamedControls(const QWidget& window);

} // namespace uitest
