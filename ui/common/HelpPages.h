#pragma once

// The program's help: pages shipped with it (data/help, installed under
// share/quillmark/help), one for each context id that windows ask for, and
// the order in which the contents list them. No widgets here: the window
// that shows them is CHelpWindow.

#include <QString>
#include <QStringList>
#include <QUrl>
#include <vector>

namespace Quillmark {

namespace HelpContext {
inline constexpr int Contents = 100;            // contents and index
inline constexpr int UnreadableFontFile = 104;  // what's wrong with this font file?
inline constexpr int WhatsNew = 105;
}  // namespace HelpContext

struct CHelpTopic {
    int contextId;  // 0 for a page that no window asks for by number
    QString fileName;
    QString title;
};

// Where a link on a help page leads.
struct CHelpLink {
    enum Kind {
        Page,     // a page of the help, shown in the help window
        Outside,  // an address the desktop opens: the web, mail
        Nowhere,  // a file outside the help's folder: never opened
    };
    Kind kind = Nowhere;
    QUrl url;  // the page or the address; empty for Nowhere
};

class CHelpPages {
public:
    // The pages in `folder`; an empty folder when none was found.
    explicit CHelpPages(QString folder);

    // The folder found beside the program: share/quillmark/help in the
    // program's folder or one of the three above it (the install prefix, or
    // the build tree); empty when there is none.
    static QString FindFolder(const QString& programFolder);
    // FindFolder for the running program.
    static CHelpPages Installed();

    const QString& Folder() const { return m_folder; }
    bool IsAvailable() const { return !m_folder.isEmpty(); }
    // Every topic in contents order, the contents page first.
    static const std::vector<CHelpTopic>& Topics();
    // The page of a context id; the contents page for an id without one.
    QUrl PageFor(int contextId) const;
    // The topic a page shows (by its file name); null for a page not listed.
    static const CHelpTopic* TopicOf(const QUrl& page);
    // Where `link`, clicked on `page`, leads: a relative link is resolved
    // against the page; a local file is a Page when it lies inside Folder(),
    // else Nowhere (the window reads a page whole, and a link to a device or
    // a FIFO would never end); any other address is Outside.
    CHelpLink Follow(const QUrl& page, const QUrl& link) const;

private:
    QString m_folder;
};

}  // namespace Quillmark
