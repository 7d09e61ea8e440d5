#pragma once

#include <QColor>
#include <QLabel>

namespace platform {
class CMessageBox;
}

namespace ui {

// A self-contained link: it holds a command (a web or mail address), opens it through the
// url policy when clicked (left button released over it, or Space while it has the focus),
// shows the pointing-hand cursor, and knows whether the mouse is over it. A click with no
// command, or with one the policy refuses, shows "No Command". Presses and releases are
// not passed on, so the owner sees no click of a link.
class CLinkStatic : public QLabel {
    Q_OBJECT

public:
    // How the text is coloured: black, blue while the mouse is over it (the announcement
    // popup's lines), or always blue (the about box's links).
    enum class Colouring { FollowHover, AlwaysBlue };

    // A command holds at most this many characters.
    static constexpr int kMaxCommandLength = 99;

    // messages shows "No Command"; it must outlive the link.
    explicit CLinkStatic(platform::CMessageBox& messages, QWidget* parent = nullptr,
                         Colouring colouring = Colouring::FollowHover);

    // Sets what a click opens and answers true. A command longer than kMaxCommandLength is
    // refused: the link is left with no command (a cut address would open another page)
    // and false is answered.
    bool SetCommand(const QString& command);
    const QString& Command() const { return m_command; }

    // Blue (0, 0, 255) while the mouse is over the link, black otherwise.
    QColor GetLinkColor() const;
    bool IsHovered() const { return m_bHover; }

    // What a click does: opens the command through the url policy, or says "No Command".
    void Activate();

signals:
    // The command was handed to the desktop.
    void opened(const QString& command);

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void SetHover(bool hover);
    void ApplyColour();

    platform::CMessageBox& m_messages;
    Colouring m_colouring;
    QString m_command;
    bool m_bHover = false;
};

} // namespace ui
