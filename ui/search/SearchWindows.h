#pragma once

// Opens the search windows for the rest of the program: find by name at
// the current location (Ctrl+F, the folder tree's "Search for fonts"),
// find similar fonts for a font of the list, find fonts containing a
// character of the font map or the character detail. Each window is a tool
// window of `owner` and closes with it, and opens in front with the
// keyboard in its first field. There is one find-by-name window: opened
// again, it comes forward, looking in the location asked for unless it is
// searching.

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <utility>

#include "ui/search/FindController.h"

namespace Quillmark {

class CSearchWindows : public QObject {
    Q_OBJECT

public:
    // `currentLocation` gives the folder's path or the project's name, and
    // whether it is a project.
    CSearchWindows(CSearchServices services, QWidget* owner,
                   std::function<std::pair<QString, bool>()> currentLocation);

    // Find by name at the current location.
    CFindNameController* FindByName();
    CFindNameController* FindByName(const QString& location, bool isProject);
    // The find-by-name window, null when none is open.
    CFindNameController* ByName() const { return m_byName; }
    // Find fonts for a language at the current location; one window, as
    // find by name.
    CFindLanguageController* FindForLanguage();
    // Find similar fonts to `font` (held by the window while it is open);
    // nothing for a font the manager does not hold.
    CFindSimilarController* FindSimilar(const CFontItem* font);
    // Find fonts containing `character`, taken from `font` (may be null).
    CFindCharacterController* FindCharacter(char32_t character, const QString& unicodeName,
                                            const CFontItem* font);

    CSearchServices& Services() { return m_services; }

private:
    std::pair<QString, bool> Location() const;

    CSearchServices m_services;
    QPointer<QWidget> m_owner;
    std::function<std::pair<QString, bool>()> m_currentLocation;
    QPointer<CFindNameController> m_byName;
    QPointer<CFindLanguageController> m_byLanguage;
};

}  // namespace Quillmark
