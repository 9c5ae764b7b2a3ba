#pragma once

// The colour pop-up: a small tool window "Palette" holding the Tintora
// control (or, when libtintora cannot be loaded, Qt's colour dialog in its
// place), R, G and B fields, a read-out of the colour under the mouse and
// an HTML field. It opens under the button that asked for it (above it
// when it would leave the work area), reports each picked colour through
// the hub's ColorChanged, and closes on a click anywhere outside it but on
// that button, announcing PaletteClosed.

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

#include "palette/PaletteModel.h"
#include "ui/common/ColourPopup.h"

class QColorDialog;

namespace Quillmark {

class CPaletteLoader;
class CQuillmarkSignals;

class CPaletteDlg : public QWidget {
    Q_OBJECT

public:
    // `loader` may hold no plugin: the colour dialog takes the control's place.
    CPaletteDlg(CPaletteModel& model, const CPaletteLoader& loader, QWidget* parent = nullptr);

    // Shows the model's caption and colour in every field and on the control.
    void Refresh();

    QLineEdit* ChannelField(Channel channel) const { return m_channels[static_cast<int>(channel)]; }
    QLineEdit* HtmlField() const { return m_html; }
    QLabel* ReadOut(Channel channel) const { return m_readOuts[static_cast<int>(channel)]; }
    QGroupBox* Group() const { return m_group; }
    // The Tintora control, or null.
    QWidget* Control() const { return m_control; }
    // Qt's colour dialog when the control could not be made, else null.
    QColorDialog* Fallback() const { return m_fallback; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void OnColorChange(uint colour);
    void OnColorOver(uint colour);

private:
    void OnChannelEdited(Channel channel);
    void OnHtmlEdited();
    void ShowColourOnControl();
    void ShowFields();
    void ShowReadOuts(quint32 colour);

    CPaletteModel& m_model;
    QGroupBox* m_group = nullptr;
    QWidget* m_control = nullptr;
    QColorDialog* m_fallback = nullptr;
    std::array<QLineEdit*, 3> m_channels{};
    std::array<QLabel*, 3> m_readOuts{};
    QLineEdit* m_html = nullptr;
    bool m_showing = false;  // the fields are being filled, not typed into
};

class CPaletteWnd : public QWidget, public IColourPopup {
    Q_OBJECT

public:
    // `status` is told once, the first time the pop-up opens without the
    // palette control, why it is missing.
    CPaletteWnd(CQuillmarkSignals& hub, std::shared_ptr<const CPaletteLoader> loader,
                std::function<void(const QString&)> status = {}, QWidget* parent = nullptr);
    ~CPaletteWnd() override;

    void ShowFor(QWidget* owner, const QString& caption, quint32 colour,
                 bool isTextColour) override;
    void ClosePopup() override;
    bool IsShown() const override { return isVisible(); }
    void SetOpeners(const QList<QWidget*>& buttons) override;
    bool IsTextColourTarget() const override { return m_model.IsTextColour(); }

    CPaletteDlg* Dialog() const { return m_dialog; }
    const CPaletteModel& Model() const { return m_model; }

    // The pop-up's top-left corner: at the owner's bottom-left corner, or,
    // when the pop-up would then not lie wholly inside the work area, with
    // its bottom edge on the owner's top edge.
    static QPoint Placement(const QRect& owner, const QSize& popup, const QRect& workArea);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;
    // Escape closes the pop-up, as it closes any pop-up.
    void keyPressEvent(QKeyEvent* event) override;

private:
    CQuillmarkSignals& m_hub;
    std::shared_ptr<const CPaletteLoader> m_loader;
    std::function<void(const QString&)> m_status;
    bool m_toldStatus = false;
    CPaletteModel m_model;
    CPaletteDlg* m_dialog = nullptr;
    QPointer<QWidget> m_owner;
    QList<QPointer<QWidget>> m_openers;
    bool m_clickOnOwner = false;  // or on another opener
    bool m_filtering = false;
};

}  // namespace Quillmark
