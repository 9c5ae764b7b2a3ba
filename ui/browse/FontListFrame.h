#pragma once

// The frame of the main font list: a banner shown while the list shows the
// user's font folder, with a button that opens it in the file manager, and
// the list below it.

#include <QWidget>
#include <boost/signals2/trackable.hpp>

class QLabel;
class QPushButton;

namespace Quillmark {

class CFontListView;
class CQuillmarkSignals;

class CFontListFrame : public QWidget, public boost::signals2::trackable {
    Q_OBJECT

public:
    CFontListFrame(CQuillmarkSignals& hub, CFontListView* list, QWidget* parent = nullptr);

    CFontListView* List() const { return m_list; }
    bool IsBannerShown() const;
    // Opens the folder shown in the desktop's file manager.
    void OpenFolder();

private:
    void OnFolderSelected(const QString& folder);
    void OnFontsFolderShown(bool shown);

    CFontListView* m_list;
    QWidget* m_banner;
    QString m_folder;
};

}  // namespace Quillmark
