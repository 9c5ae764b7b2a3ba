#include "ui/common/HelpPages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace Quillmark {

namespace {
const QString kIndexPage = QStringLiteral("index.html");
constexpr int kLevelsUp = 3;
}  // namespace

CHelpPages::CHelpPages(QString folder) : m_folder(std::move(folder)) {}

QString CHelpPages::FindFolder(const QString& programFolder) {
    QDir dir(programFolder);
    for (int level = 0; level <= kLevelsUp; ++level) {
        const QString candidate = dir.filePath(QStringLiteral("share/quillmark/help"));
        if (QFileInfo::exists(candidate + '/' + kIndexPage)) {
            return QDir::cleanPath(candidate);
        }
        if (!dir.cdUp()) {
            break;
        }
    }
    return {};
}

CHelpPages CHelpPages::Installed() {
    return CHelpPages(FindFolder(QCoreApplication::applicationDirPath()));
}

const std::vector<CHelpTopic>& CHelpPages::Topics() {
    static const std::vector<CHelpTopic> topics = {
        {HelpContext::Contents, kIndexPage, QCoreApplication::translate("Help", "Contents")},
        {0, QStringLiteral("font-list.html"), QCoreApplication::translate("Help", "The font list")},
        {0, QStringLiteral("installing-and-deleting.html"),
         QCoreApplication::translate("Help", "Installing and deleting fonts")},
        {0, QStringLiteral("drag-and-drop.html"),
         QCoreApplication::translate("Help", "Dragging fonts in and out")},
        {0, QStringLiteral("printing.html"), QCoreApplication::translate("Help", "Printing fonts")},
        {HelpContext::UnreadableFontFile, QStringLiteral("unreadable-fonts.html"),
         QCoreApplication::translate("Help", "Font files that cannot be read")},
        {0, QStringLiteral("options.html"), QCoreApplication::translate("Help", "Options")},
        {0, QStringLiteral("command-line.html"),
         QCoreApplication::translate("Help", "The command line")},
        {HelpContext::WhatsNew, QStringLiteral("whats-new.html"),
         QCoreApplication::translate("Help", "What's new in Quillmark 3")},
    };
    return topics;
}

QUrl CHelpPages::PageFor(int contextId) const {
    QString file = kIndexPage;
    for (const CHelpTopic& topic : Topics()) {
        if (topic.contextId != 0 && topic.contextId == contextId) {
            file = topic.fileName;
        }
    }
    return QUrl::fromLocalFile(QDir(m_folder).filePath(file));
}

const CHelpTopic* CHelpPages::TopicOf(const QUrl& page) {
    const QString name = QFileInfo(page.path()).fileName();
    for (const CHelpTopic& topic : Topics()) {
        if (topic.fileName == name) {
            return &topic;
        }
    }
    return nullptr;
}

CHelpLink CHelpPages::Follow(const QUrl& page, const QUrl& link) const {
    const QUrl target = page.resolved(link);
    if (!link.isRelative() && !target.isLocalFile()) {
        return {CHelpLink::Outside, target};
    }
    if (!target.isLocalFile() || m_folder.isEmpty()) {
        return {};
    }
    const QString folder = QDir::cleanPath(m_folder) + '/';
    const QString file = QDir::cleanPath(target.toLocalFile());
    if (!file.startsWith(folder) || file.size() == folder.size()) {
        return {};
    }
    return {CHelpLink::Page, target};
}

}  // namespace Quillmark
