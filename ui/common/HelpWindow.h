#pragma once

// The help window: the contents on the left, the page on the right, with
// back, forward and contents buttons. One window for the whole program;
// asking for help again brings it forward on the page asked for. The page
// and its pictures are read from the help folder only.

#include <QPointer>
#include <QUrl>
#include <QWidget>

#include "ui/common/HelpPages.h"

class QListWidget;
class QTextBrowser;
class QToolButton;

namespace Quillmark {

class CHelpWindow : public QWidget {
    Q_OBJECT

public:
    explicit CHelpWindow(CHelpPages pages, QWidget* parent = nullptr);

    void ShowContext(int contextId);
    // Shows a page of the help folder; any other address is ignored.
    void ShowPage(const QUrl& page);

    QUrl CurrentPage() const;
    QTextBrowser* Browser() const { return m_browser; }
    QListWidget* Contents() const { return m_contents; }
    QToolButton* BackButton() const { return m_back; }
    QToolButton* ForwardButton() const { return m_forward; }

private:
    void OnPageChanged(const QUrl& page);

    CHelpPages m_pages;
    QListWidget* m_contents;
    QTextBrowser* m_browser;
    QToolButton* m_back;
    QToolButton* m_forward;
    QToolButton* m_home;
};

// Shows the program's help at a context id (HelpContext), in the one help
// window, made the first time with `parent` as its owner. Returns it.
CHelpWindow* ShowHelp(int contextId, QWidget* parent = nullptr);

}  // namespace Quillmark
