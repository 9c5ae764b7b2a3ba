#include "tintora/src/PalettePlugin.h"

#include <Tintora/PaletteCtrl.h>

namespace Tintora {

QWidget* CPalettePlugin::CreatePaletteCtrl(QWidget* parent) {
    return new CPaletteCtrl(parent);
}

}  // namespace Tintora
