#pragma once

// Where the user is: the current location (a folder, or a font project) and
// the current font. It keeps the window title in step with the location and
// tells every window to store its layout when the program closes.

#include <QObject>
#include <QString>
#include <boost/signals2/trackable.hpp>
#include <memory>

namespace Quillmark {

class CFontItem;
class CFontManager;
class CProgramOptions;
class CQuillmarkSignals;

class CQuillmarkDoc : public QObject, public boost::signals2::trackable {
    Q_OBJECT

public:
    CQuillmarkDoc(CQuillmarkSignals& hub, CProgramOptions& options, CFontManager& manager,
                  QString fontsFolder, QObject* parent = nullptr);

    // The current folder: an absolute path, or a virtual location whose
    // parsing name begins with "::".
    void SetFolder(const QString& location);
    QString GetFolderPath() const { return m_folder; }
    QString GetFolderDisplayName() const;

    bool IsProjectMode() const { return m_projectMode; }
    void SetProjectMode(bool projectMode) { m_projectMode = projectMode; }
    QString GetProjectName() const { return m_projectName; }
    const QString& GetFontsFolder() const { return m_fontsFolder; }

    // The last font announced, while the font manager still holds it (not
    // after it was discarded or its file removed).
    const CFontItem* GetCurrentFont() const;

    QString GetTitle() const { return m_title; }

    // The program closes: every window stores its layout, then the project
    // mode is kept as UseFontProject.
    void OnCloseDocument();

    // The display name of a location: a folder's own name ("/" for the
    // root), or the name of a virtual location.
    static QString DisplayNameOf(const QString& location);

signals:
    void TitleChanged(const QString& title);

private:
    void OnFolderSelected(const QString& folderPath, const QString* fontFile);
    void OnProjectSelected(const QString& projectName);
    void OnFontSelected(const CFontItem* font);
    void OnFontGone(const CFontItem* font);  // discarded, or its file removed
    void UpdateTitle();
    void SetTitle(const QString& title);

    CQuillmarkSignals& m_hub;
    CProgramOptions& m_options;
    CFontManager& m_manager;
    const QString m_fontsFolder;
    bool m_projectMode = false;
    QString m_folder;
    QString m_projectName;
    std::weak_ptr<const CFontItem> m_currentFont;  // not a use: the lists hold the font
    QString m_title;
};

}  // namespace Quillmark
