#include "palette/PaletteLoader.h"

#include <Tintora/PaletteFactory.h>
#include <QCoreApplication>
#include <QFileInfo>
#include <QPluginLoader>

namespace Quillmark {

CPaletteLoader::CPaletteLoader() {
    const QStringList paths = CandidatePaths(QCoreApplication::applicationDirPath());
    for (const QString& path : paths) {
        if (QFileInfo::exists(path) && TryLoad(path)) {
            return;
        }
    }
    if (m_error.isEmpty()) {
        m_error = QCoreApplication::translate("Quillmark", "%1 was not found (looked in %2)")
                      .arg(QStringLiteral(TINTORA_FILE_NAME), paths.join(QStringLiteral(", ")));
    }
}

CPaletteLoader::CPaletteLoader(const QString& path) {
    TryLoad(path);
}

QStringList CPaletteLoader::CandidatePaths(const QString& appDir) {
    const QString name = QStringLiteral(TINTORA_FILE_NAME);
    return {appDir + QStringLiteral("/../" TINTORA_INSTALL_LIBDIR "/") + name,
            appDir + QLatin1Char('/') + name, QStringLiteral(TINTORA_BUILD_DIR "/") + name};
}

bool CPaletteLoader::TryLoad(const QString& path) {
    QPluginLoader loader(path);
    QObject* instance = loader.instance();
    auto* factory = qobject_cast<Tintora::IPaletteFactory*>(instance);
    if (factory == nullptr) {
        m_error = instance == nullptr
                      ? loader.errorString()
                      : QCoreApplication::translate("Quillmark", "%1 is not the Tintora palette")
                            .arg(path);
        return false;
    }
    m_factory = factory;
    m_path = QFileInfo(path).canonicalFilePath();
    m_error.clear();
    return true;
}

QWidget* CPaletteLoader::CreateControl(QWidget* parent) const {
    return m_factory != nullptr ? m_factory->CreatePaletteCtrl(parent) : nullptr;
}

}  // namespace Quillmark
