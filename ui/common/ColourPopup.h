#pragma once

// The colour pop-up as the windows that open it see it: the detail frame
// opens it under one of its colour buttons, and learns of the picked colour
// and of its closing through the hub (ColorChanged, PaletteClosed).

#include <QList>
#include <QString>
#include <QtGlobal>

class QWidget;

namespace Quillmark {

class IColourPopup {
public:
    virtual ~IColourPopup() = default;
    // Shows the pop-up for the owner button with a caption, a colour
    // (0x00BBGGRR) and the colour it edits (text or background).
    virtual void ShowFor(QWidget* owner, const QString& caption, quint32 colour,
                         bool isTextColour) = 0;
    // Hides it and announces PaletteClosed; nothing when hidden.
    virtual void ClosePopup() = 0;
    virtual bool IsShown() const = 0;
    // The buttons that open the pop-up: a click on one of them is that
    // button's to handle (it closes the pop-up or turns it to its colour),
    // never a click outside.
    virtual void SetOpeners(const QList<QWidget*>& buttons) = 0;
    virtual bool IsTextColourTarget() const = 0;
};

}  // namespace Quillmark
