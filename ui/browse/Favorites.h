#pragma once

// The favourites of the main window: the menu of the toolbar's Favorites
// button (and of the menu bar), the "Add current folder to favorites"
// command with its balloon, and the "Manage Favorites" dialog.

#include <QDialog>
#include <QFrame>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QTreeWidget;

namespace Quillmark {

class CFavoriteFolders;
class CQuillmarkDoc;
class CQuillmarkSignals;

// A small note near a point that hides itself after a while.
class CBalloon : public QFrame {
    Q_OBJECT

public:
    static constexpr int kShownMilliseconds = 5000;

    explicit CBalloon(QWidget* parent = nullptr);
    // Shows the note with its top-left corner at `at` (global coordinates).
    void ShowAt(const QPoint& at, const QIcon& icon, const QString& title, const QString& text);
    QString Title() const;
    QString Text() const;

private:
    QLabel* m_icon;
    QLabel* m_title;
    QLabel* m_text;
    QTimer m_timer;
};

// "Manage Favorites": every change is made in the store at once, so OK and
// Cancel only close the dialog.
class CFavoritesDialog : public QDialog {
    Q_OBJECT

public:
    CFavoritesDialog(CFavoriteFolders& favorites, QString currentFolder, QWidget* parent = nullptr);

    // Asks for another folder to add; a folder dialog unless replaced.
    void SetFolderChooser(std::function<QString()> choose) { m_choose = std::move(choose); }
    QTreeWidget* List() const { return m_list; }

    void AddCurrentFolder();
    void AddOtherFolder();
    void RemoveSelected();

private:
    void Add(const QString& path);

    CFavoriteFolders& m_favorites;
    const QString m_currentFolder;
    QTreeWidget* m_list;
    QPushButton* m_remove;
    std::function<QString()> m_choose;
};

class CFavorites : public QObject {
    Q_OBJECT

public:
    // At most this many favourites are offered in the menu.
    static constexpr int kMaxMenuItems = 101;
    // A favourite's menu text is shortened to this width.
    static constexpr int kMenuTextWidth = 250;

    CFavorites(CQuillmarkSignals& hub, CFavoriteFolders& favorites, CQuillmarkDoc& document,
               QWidget* window);

    // The favourites menu, filled again each time it is shown.
    QMenu* Menu() const { return m_menu; }
    QAction* AddCurrentAction() const { return m_addCurrent; }
    QAction* ManageAction() const { return m_manage; }
    // The balloon points at this widget (the toolbar's Favorites button).
    void SetAnchor(QWidget* anchor) { m_anchor = anchor; }
    CBalloon* Balloon() const { return m_balloon; }
    // How the dialog is run; tests replace it.
    void SetDialogRunner(std::function<void(CFavoritesDialog&)> run) { m_run = std::move(run); }

    void FillMenu();
    void AddCurrentFolder();
    void ManageFavorites();
    // Whether the current location is a folder that can be a favourite.
    bool CanAddCurrentFolder() const;

private:
    CQuillmarkSignals& m_hub;
    CFavoriteFolders& m_favorites;
    CQuillmarkDoc& m_document;
    QWidget* m_window;
    QMenu* m_menu;
    QAction* m_addCurrent;
    QAction* m_manage;
    QPointer<QWidget> m_anchor;
    CBalloon* m_balloon;
    std::function<void(CFavoritesDialog&)> m_run;
};

}  // namespace Quillmark
