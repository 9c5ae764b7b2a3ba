#pragma once

// The frame of the main font list: a banner shown while the list shows the
// user's font folder, with a button that opens it in the file manager, and
// the list below it. A list without rows says why in its middle (no fonts,
// the folder cannot be read, the fonts lie in subfolders, with a button
// that includes them).

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

    // What the list says while it has no rows (empty: nothing); with
    // `offerSubfolders` the "Include Subfolders" button is shown below.
    void SetEmptyText(const QString& text, bool offerSubfolders);
    // The notice shown now in the empty list, or null.
    QWidget* EmptyNotice() const;

signals:
    // The button of the empty list was pressed.
    void IncludeSubfoldersRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void UpdateEmptyNotice();
    void OnFolderSelected(const QString& folder);
    void OnFontsFolderShown(bool shown);

    CFontListView* m_list;
    QWidget* m_banner;
    QString m_folder;
    QWidget* m_emptyNotice;  // on the list's viewport
    QLabel* m_emptyLabel;
    QPushButton* m_includeSubfolders;
};

}  // namespace Quillmark
