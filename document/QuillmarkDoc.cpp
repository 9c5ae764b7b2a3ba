#include "document/QuillmarkDoc.h"

#include <QDir>
#include <QFileInfo>
#include <boost/bind/bind.hpp>

#include "core/ProgramOptions.h"
#include "core/QuillmarkSignals.h"
#include "fontdata/manager/FontManager.h"

namespace Quillmark {

using namespace boost::placeholders;

CQuillmarkDoc::CQuillmarkDoc(CQuillmarkSignals& hub, CProgramOptions& options,
                             CFontManager& manager, QString fontsFolder, QObject* parent)
    : QObject(parent),
      m_hub(hub),
      m_options(options),
      m_manager(manager),
      m_fontsFolder(std::move(fontsFolder)) {
    hub.ConnectFolderSelected(boost::bind(&CQuillmarkDoc::OnFolderSelected, this, _1, _2));
    hub.ConnectProjectSelected(boost::bind(&CQuillmarkDoc::OnProjectSelected, this, _1));
    hub.ConnectFontSelected(boost::bind(&CQuillmarkDoc::OnFontSelected, this, _1));
    hub.ConnectFontDiscarded(boost::bind(&CQuillmarkDoc::OnFontGone, this, _1));
    hub.ConnectFontRemoved(boost::bind(&CQuillmarkDoc::OnFontGone, this, _1));
    hub.ConnectOptionsChanged(boost::bind(&CQuillmarkDoc::UpdateTitle, this));
}

QString CQuillmarkDoc::DisplayNameOf(const QString& location) {
    if (location.isEmpty()) {
        return {};
    }
    if (location.startsWith(QLatin1String("::"))) {
        // Virtual locations of the namespace are named after what they hold.
        const QString name = location.mid(2);
        return name.isEmpty() ? name : name.left(1).toUpper() + name.mid(1);
    }
    const QString clean = QDir::cleanPath(location);
    if (clean == QLatin1String("/")) {
        return clean;
    }
    return QFileInfo(clean).fileName();
}

QString CQuillmarkDoc::GetFolderDisplayName() const {
    return DisplayNameOf(m_folder);
}

void CQuillmarkDoc::SetFolder(const QString& location) {
    m_folder = location;
    UpdateTitle();
}

const CFontItem* CQuillmarkDoc::GetCurrentFont() const {
    // While the record is alive its address is its own, so Contains cannot
    // mistake another font made since for it.
    const std::shared_ptr<const CFontItem> font = m_currentFont.lock();
    return font != nullptr && m_manager.Contains(font.get()) ? font.get() : nullptr;
}

void CQuillmarkDoc::OnFolderSelected(const QString& folderPath, const QString*) {
    // The folder tree stores the folder before it fires; a folder chosen
    // elsewhere (start-up, history, favourites) is stored here, and the mode
    // follows the location whoever chose it.
    m_folder = folderPath;
    m_projectMode = false;
    UpdateTitle();
}

void CQuillmarkDoc::OnProjectSelected(const QString& projectName) {
    m_projectName = projectName;
    m_projectMode = true;
    SetTitle(projectName);
}

void CQuillmarkDoc::OnFontSelected(const CFontItem* font) {
    m_currentFont = m_manager.Find(font);
}

void CQuillmarkDoc::OnFontGone(const CFontItem* font) {
    if (font == m_currentFont.lock().get()) {
        m_currentFont.reset();
    }
}

void CQuillmarkDoc::UpdateTitle() {
    QString title = GetFolderDisplayName();
    if (m_options.GetShowFullPathInTitleBar() && !m_folder.startsWith(QLatin1String("::"))) {
        title = m_folder;
    }
    SetTitle(title);
}

void CQuillmarkDoc::SetTitle(const QString& title) {
    m_title = title;
    emit TitleChanged(title);
}

void CQuillmarkDoc::OnCloseDocument() {
    m_hub.FireApplicationClosing();
    m_options.SetUseFontProject(m_projectMode);
}

}  // namespace Quillmark
