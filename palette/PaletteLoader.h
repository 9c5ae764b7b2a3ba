#pragma once

// Finds libtintora and loads it at run time with QPluginLoader: installed
// beside the program (../lib of its folder), in the program's own folder,
// or where this build made it. The program works without it.

#include <QString>
#include <QStringList>

class QWidget;

namespace Tintora {
class IPaletteFactory;
}

namespace Quillmark {

class CPaletteLoader {
public:
    // Loads the first of the candidate paths that is a Tintora plugin.
    CPaletteLoader();
    // Loads this file alone.
    explicit CPaletteLoader(const QString& path);

    // Where the plugin is looked for, in order, for a program in `appDir`.
    static QStringList CandidatePaths(const QString& appDir);

    bool IsLoaded() const { return m_factory != nullptr; }
    // The file loaded, or empty.
    const QString& Path() const { return m_path; }
    // Why nothing was loaded, in words for the user.
    const QString& ErrorText() const { return m_error; }

    // A new control, or null when the plugin is not loaded.
    QWidget* CreateControl(QWidget* parent) const;

private:
    bool TryLoad(const QString& path);

    Tintora::IPaletteFactory* m_factory = nullptr;
    QString m_path;
    QString m_error;
};

}  // namespace Quillmark
