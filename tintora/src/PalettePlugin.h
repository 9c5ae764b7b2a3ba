#pragma once

// The plugin face of libtintora: QPluginLoader finds this instance and the
// host makes its controls through it.

#include <Tintora/PaletteFactory.h>
#include <QObject>

namespace Tintora {

class CPalettePlugin : public QObject, public IPaletteFactory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID TINTORA_PALETTE_FACTORY_IID)
    Q_INTERFACES(Tintora::IPaletteFactory)

public:
    QWidget* CreatePaletteCtrl(QWidget* parent) override;
};

}  // namespace Tintora
