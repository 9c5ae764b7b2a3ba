#include "ui/inspect/CharacterMenu.h"

namespace Quillmark {

CCharacterMenu::CCharacterMenu(std::function<char32_t()> character, QWidget* parent)
    : QMenu(parent), m_character(std::move(character)) {
    setObjectName(QStringLiteral("FontMapMenu"));
    const auto command = [this](const QString& text, const char* name) {
        QAction* action = addAction(text);
        action->setObjectName(QString::fromLatin1(name));
        action->setToolTip(QString(text).remove(QLatin1Char('&')));
        return action;
    };
    QAction* copy = command(tr("&Copy character"), "CopyCharacter");
    QAction* append = command(tr("&Append character to preview text"), "AppendCharacter");
    m_findOther = command(tr("&Find other fonts that contain this character..."), "FindOtherFonts");
    m_findOther->setVisible(false);
    connect(copy, &QAction::triggered, this, [this] { emit CopyRequested(m_character()); });
    connect(append, &QAction::triggered, this, [this] { emit AppendRequested(m_character()); });
    connect(m_findOther, &QAction::triggered, this, [this] {
        if (m_find) {
            m_find(m_character());
        }
    });
}

void CCharacterMenu::SetFindOtherFonts(std::function<void(char32_t)> find) {
    m_find = std::move(find);
    m_findOther->setVisible(static_cast<bool>(m_find));
}

}  // namespace Quillmark
