#pragma once

// The location bar: an editable drop-down whose first item is the current
// location (a folder or a font project) and whose other items are the
// locations visited before, kept in locations.xml between runs. Choosing an
// item goes there; Enter goes to the folder path (a leading "~" is the home
// folder) or project name typed; a file or folder dropped on the bar opens
// its folder.

#include <QComboBox>
#include <boost/signals2/trackable.hpp>
#include <functional>

#include "collections/LocationList.h"

namespace Quillmark {

class CFontProjects;
class CProgramOptions;
class CQuillmarkSignals;

class CLocationCombo : public QComboBox, public boost::signals2::trackable {
    Q_OBJECT

public:
    // Reads `filePath` (locations.xml) at once.
    CLocationCombo(CQuillmarkSignals& hub, CProgramOptions& options, const CFontProjects& projects,
                   QString filePath, QWidget* parent = nullptr);

    const CLocationList& Locations() const { return m_list; }
    // What the user is told about a file that could not be read, once.
    QString TakeKeptFileNotice() { return m_list.TakeKeptFileNotice(); }
    // At exit: saves the file, or deletes it when ClearLocationsOnExit is on.
    // False when it could not be done (the old file then stays).
    bool SaveAtExit();

    // Goes where the typed text says (a folder, a font file's folder with
    // the font selected, or a project); false when it names nothing.
    bool GoTo(const QString& text);
    // Tells the user that a typed location names nothing; a message box
    // unless replaced. The text typed stays in the bar.
    void SetMessageSink(std::function<void(const QString&)> sink) { m_tell = std::move(sink); }
    // Opens the folder of the first dropped path.
    void OpenDropped(const QString& path);
    // The path the text names, a leading "~" being the home folder.
    static QString ExpandHome(const QString& text);

    void showPopup() override;
    // Wide when there is room, yet never what keeps the window from being narrow.
    QSize minimumSizeHint() const override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Rebuild();
    void ApplyLimit();
    void OnActivated(int index);
    void OnLocation(const CLocation& location);
    void OnClearLocationHistory();
    void OnOptionsChanged();
    void OnFolderSelected(const QString& path);
    void OnProjectSelected(const QString& name);

    CQuillmarkSignals& m_hub;
    CProgramOptions& m_options;
    const CFontProjects& m_projects;
    const QString m_filePath;
    CLocationList m_list;
    QIcon m_folderIcon;
    QIcon m_projectIcon;
    std::function<void(const QString&)> m_tell;
};

}  // namespace Quillmark
