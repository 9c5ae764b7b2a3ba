// Shows the bytes as a help page in the help window, as the contents or a
// context id opens it, and follows every link the page holds as a click
// would: a link that the window shows must be a page inside the help's
// folder, and one handed to the desktop must not be a local file.

#include <QDir>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextFragment>
#include <QUrl>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "core/PathText.h"
#include "fuzz/FuzzSupport.h"
#include "ui/common/HelpPages.h"
#include "ui/common/HelpWindow.h"

using namespace Quillmark;

namespace {

QString HelpFolder() {
    return PathText(FuzzSupport::PrivateFolder() / "help");
}

// The link a click on an anchor gives the window: QTextBrowser resolves a
// relative one against the page shown.
QUrl Clicked(const QUrl& page, const QString& href) {
    const QUrl link(href);
    return link.isRelative() ? page.resolved(link) : link;
}

void Follow(const CHelpPages& pages, const QUrl& page, const QString& href) {
    const CHelpLink target = pages.Follow(page, Clicked(page, href));
    const QString inside = QDir::cleanPath(pages.Folder()) + '/';
    switch (target.kind) {
        case CHelpLink::Page:
            if (!target.url.isLocalFile() ||
                !QDir::cleanPath(target.url.toLocalFile()).startsWith(inside)) {
                std::abort();
            }
            break;
        case CHelpLink::Outside:
            if (target.url.isLocalFile() || target.url.isRelative()) {
                std::abort();
            }
            break;
        case CHelpLink::Nowhere:
            if (!target.url.isEmpty()) {
                std::abort();
            }
            break;
    }
    CHelpPages::TopicOf(target.url);
}

const CHelpPages& Pages() {
    static const CHelpPages pages(HelpFolder());
    return pages;
}

CHelpWindow& Window() {
    static CHelpWindow* const window = new CHelpWindow(Pages());
    return *window;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FuzzSupport::StartQt(FuzzSupport::Application::Widgets);
    if (!QDir().mkpath(HelpFolder())) {
        std::abort();
    }
    // The first page laid out reads fontconfig's configuration, which
    // fontconfig keeps for good: before the first input, not in it.
    CHelpWindow(CHelpPages(QString{})).ShowContext(HelpContext::Contents);
    Window();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const CHelpPages& pages = Pages();
    CHelpWindow* const window = &Window();
    // Two pages in turn, so that each input is read anew: the window does not
    // load the page it shows again.
    static bool contents = false;
    contents = !contents;
    const int context = contents ? HelpContext::Contents : HelpContext::UnreadableFontFile;
    const QUrl page = pages.PageFor(context);
    if (!FuzzSupport::WriteFile(FilePath(page.toLocalFile()), data, size)) {
        std::abort();
    }
    window->ShowContext(context);
    if (window->CurrentPage() != page) {
        std::abort();
    }
    const QTextDocument& document = *window->Browser()->document();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QTextCharFormat format = fragment.fragment().charFormat();
            if (format.isAnchor()) {
                Follow(pages, page, format.anchorHref());
            }
        }
    }
    // The window's history would grow by a page an input.
    window->Browser()->clearHistory();
    return 0;
}
