#pragma once

// "Update Available": the release notes of the newer release, fetched over
// HTTPS and shown in a text browser that loads nothing else; a link opens
// them in the desktop's browser. A line under them says whether the
// download will be checked against a signature. "Download Update" is
// enabled once the notes have loaded (or could not be).

#include <QDialog>
#include <QUrl>
#include <atomic>
#include <memory>

#include "ui/common/FencedTextDocument.h"

class QLabel;
class QPushButton;
class QStackedWidget;
class QThread;

namespace Quillmark {

// Shows a page without reading anything it refers to, of any kind (a
// file, a picture on the web, a style sheet, data: included): each stands
// blank. Links go to the desktop's browser (http and https only).
class CNotesBrowser : public CFencedTextBrowser {
    Q_OBJECT

public:
    explicit CNotesBrowser(QWidget* parent = nullptr);
    // Opens an http or https address in the desktop's browser; false for
    // any other address.
    static bool OpenInBrowser(const QUrl& address);
};

class CUpdateAvailableDialog : public QDialog {
    Q_OBJECT

public:
    // Starts fetching the notes at once. `signedDownload`: whether the
    // download will be checked against the maker's signature.
    CUpdateAvailableDialog(const QUrl& notes, bool signedDownload, QWidget* parent = nullptr);
    ~CUpdateAvailableDialog() override;

    bool NotesLoaded() const { return m_loaded; }
    static QString LoadingText();

signals:
    void NotesFinished();

private:
    void ShowNotes(const QString& html, bool fetched);

    QUrl m_notes;
    QStackedWidget* m_pages = nullptr;
    CNotesBrowser* m_browser = nullptr;
    QPushButton* m_download = nullptr;
    bool m_loaded = false;
    std::atomic<bool> m_closing{false};
    QThread* m_fetch = nullptr;
};

}  // namespace Quillmark
