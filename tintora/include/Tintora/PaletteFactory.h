#pragma once

// The plugin interface of libtintora. A host that loads the library at run
// time with QPluginLoader asks the plugin's instance for this interface and
// makes controls with it; it needs no other header and does not link the
// library.
//
// The control it makes is a QWidget with:
//   property  uint SelectedColor   the picked colour, 0x00BBGGRR; setting it
//                                  fires nothing
//   signal    ColorChange(uint NewColor)   a colour was picked
//   signal    ColorOver(uint OverColor)    the mouse is over a colour
// Signals reach their receivers in the order they were connected.

#include <QtPlugin>

class QWidget;

namespace Tintora {

class IPaletteFactory {
public:
    virtual ~IPaletteFactory() = default;
    // A new palette control, owned by `parent` (or by the caller when null).
    virtual QWidget* CreatePaletteCtrl(QWidget* parent) = 0;
};

}  // namespace Tintora

#define TINTORA_PALETTE_FACTORY_IID "Tintora.PaletteCtrl/1.0"
Q_DECLARE_INTERFACE(Tintora::IPaletteFactory, TINTORA_PALETTE_FACTORY_IID)
