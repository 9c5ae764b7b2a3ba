#include "app/QuillmarkApp.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <filesystem>
#include <fstream>

#include "collections/FontProjects.h"
#include "core/PathText.h"
#include "core/QuillmarkSignals.h"
#include "document/QuillmarkDoc.h"
#include "fontdata/manager/FolderLoad.h"
#include "fontdata/manager/FontManager.h"
#include "platform/Files.h"
#include "ui/browse/FontListCommands.h"
#include "ui/browse/FontListController.h"
#include "ui/browse/FontListModel.h"
#include "ui/browse/FontListView.h"
#include "ui/browse/FontProjectFrame.h"
#include "ui/inspect/FontDetailFrame.h"
#include "ui/inspect/FontInfoDlg.h"

namespace Quillmark {

namespace {

// The bytes of a command-line argument as given: Qt's arguments replace
// what is not UTF-8, so a file name that is not is read from the kernel's
// copy of the command line. The argument as Qt has it when none matches.
std::filesystem::path ArgumentPath(const QString& argument) {
    if (argument.contains(QChar::ReplacementCharacter)) {
        std::ifstream in("/proc/self/cmdline", std::ios::binary);
        std::string raw;
        while (std::getline(in, raw, '\0')) {
            if (QString::fromLocal8Bit(raw) == argument) {
                return raw;
            }
        }
    }
    return FilePath(argument);
}

// A path without "." and "..", and without a trailing separator.
std::filesystem::path Cleaned(const std::filesystem::path& path) {
    const std::filesystem::path normal = path.lexically_normal();
    return normal.has_filename() || normal == normal.root_path() ? normal : normal.parent_path();
}

}  // namespace

std::filesystem::path CQuillmarkApp::CommandLinePath() const {
    QString argument;
    for (const QString& arg : m_arguments.mid(1)) {
        if (!arg.startsWith(QLatin1Char('-'))) {
            argument = arg;
            break;
        }
    }
    std::error_code ec;
    return argument.isEmpty() ? std::filesystem::path()
                              : Cleaned(std::filesystem::absolute(ArgumentPath(argument), ec));
}

bool CQuillmarkApp::OpenPath(const std::filesystem::path& given) {
    std::error_code ec;
    if (given.empty() || !std::filesystem::exists(given, ec)) {
        return false;
    }
    // Opened by its own bytes, which need not be UTF-8.
    if (std::filesystem::is_directory(given, ec)) {
        m_hub->FireFolderSelected(PathText(given), nullptr);
        return true;
    }
    const std::filesystem::path folder = given.parent_path();
    if (std::filesystem::is_directory(folder, ec)) {
        m_hub->FireFolderSelected(PathText(folder), nullptr);
    }
    CFontItem* item = m_fontManager->Acquire(given);
    if (item->GetStatus() == CFontItem::Loaded) {
        m_hub->FireFontSelected(item);
    }
    m_fontManager->Release(item);
    return true;
}

QString CQuillmarkApp::SystemFontsFolder() {
    QString dirs = qEnvironmentVariable("XDG_DATA_DIRS");
    if (dirs.isEmpty()) {
        dirs = QStringLiteral("/usr/local/share:/usr/share");
    }
    QString first;
    for (const QString& dir : dirs.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        const QString folder = QDir::cleanPath(dir + QStringLiteral("/fonts"));
        if (!QFileInfo(folder).isDir()) {
            continue;
        }
        // The first that holds fonts: /usr/local/share/fonts is often there
        // and empty.
        const std::filesystem::path path = FilePath(folder);
        if (!CFolderLoad::EnumerateTexts(path).empty() || CFolderLoad::HasFontsInSubfolders(path)) {
            return folder;
        }
        if (first.isEmpty()) {
            first = folder;
        }
    }
    return first;
}

void CQuillmarkApp::ChooseFirstLocation() {
    if (OpenPath(CommandLinePath())) {
        return;
    }

    // By the folder's own bytes: QFileInfo cannot name a folder whose name
    // is not UTF-8.
    const auto isFolder = [](const QString& path) {
        return !path.isEmpty() && Platform::IsFolder(FilePath(path));
    };
    switch (m_options->GetStartupOption()) {
        case StartupLocation::DefaultFolder:
            if (isFolder(m_options->GetDefaultFolder())) {
                m_hub->FireFolderSelected(m_options->GetDefaultFolder(), nullptr);
            }
            break;
        case StartupLocation::DefaultProject:
            if (isFolder(m_options->GetDefaultFolder())) {
                m_hub->FireExpandFolderInTree(m_options->GetDefaultFolder());
            }
            if (m_projects->ProjectExists(m_options->GetDefaultProject())) {
                m_hub->FireProjectSelected(m_options->GetDefaultProject());
            }
            break;
        case StartupLocation::LastLocation:
            if (m_options->GetUseFontProject()) {
                if (isFolder(m_options->GetDefaultFolder())) {
                    m_hub->FireExpandFolderInTree(m_options->GetDefaultFolder());
                }
                if (m_projects->ProjectExists(m_options->GetLastProject())) {
                    m_hub->FireProjectSelected(m_options->GetLastProject());
                }
            } else if (isFolder(m_options->GetLastFolder())) {
                m_hub->FireFolderSelected(m_options->GetLastFolder(), nullptr);
            }
            break;
        default:
            break;
    }
}

}  // namespace Quillmark
