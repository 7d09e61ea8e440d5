#pragma once

#include "ui/DialogUnits.h"

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace ui {

// A modal dialog laid out from its template: a caption, a client size and controls at
// rectangles in dialog units, in the dialog font. Controls are children of the dialog in
// the order they are added (the tab order), a group box behind the controls it frames.
// Button 1 is the default button and accepts, button 2 rejects; Escape and the close box
// reject too.
class CTemplateDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int kIdOk = 1;
    static constexpr int kIdCancel = 2;

    // width and height: the template's client size in dialog units.
    CTemplateDialog(QWidget* parent, const QString& caption, int width, int height);

    const CDialogUnits& Units() const { return m_units; }

protected:
    // Static text; wrap breaks it into lines at the rectangle's width.
    QLabel* AddText(const QString& text, int id, QRect dialogUnits, bool wrap = false);
    // A picture of resource id at its natural size (the smaller side of the rectangle),
    // centred, described for screen readers by name.
    QLabel* AddIcon(int resourceId, const QString& name, QRect dialogUnits);
    QGroupBox* AddGroup(const QString& title, QRect dialogUnits);
    QPushButton* AddButton(const QString& text, int id, QRect dialogUnits);
    QCheckBox* AddCheck(const QString& text, int id, QRect dialogUnits);
    // An edit box named for screen readers by the label beside it (its colon dropped); the
    // label's mnemonic, if any, focuses it.
    QLineEdit* AddEdit(int id, QLabel& label, QRect dialogUnits);

    // Places a control made by the subclass at its template rectangle, named "id<id>".
    void Place(QWidget& control, int id, QRect dialogUnits) const;

private:
    CDialogUnits m_units;
};

} // namespace ui
