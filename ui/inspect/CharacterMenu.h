#pragma once

// The menu of one character, the same in the font map and the character
// detail window: copy it, append it to the preview text, and, once a finder
// is set, find other fonts that contain it.

#include <QMenu>
#include <functional>

namespace Quillmark {

class CCharacterMenu : public QMenu {
    Q_OBJECT

public:
    // `character` says, when a command is chosen, which character it acts on.
    CCharacterMenu(std::function<char32_t()> character, QWidget* parent);

    // Offers "Find other fonts that contain this character...", calling
    // `find` with the character; absent while `find` is empty.
    void SetFindOtherFonts(std::function<void(char32_t)> find);

signals:
    void CopyRequested(char32_t code);
    void AppendRequested(char32_t code);

private:
    std::function<char32_t()> m_character;
    std::function<void(char32_t)> m_find;
    QAction* m_findOther = nullptr;
};

}  // namespace Quillmark
