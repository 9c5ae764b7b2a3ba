#include "ui/search/SearchWindows.h"

#include <QWidget>

namespace Quillmark {

CSearchWindows::CSearchWindows(CSearchServices services, QWidget* owner,
                               std::function<std::pair<QString, bool>()> currentLocation)
    : QObject(owner),
      m_services(std::move(services)),
      m_owner(owner),
      m_currentLocation(std::move(currentLocation)) {}

std::pair<QString, bool> CSearchWindows::Location() const {
    auto location = m_currentLocation ? m_currentLocation() : std::pair<QString, bool>();
    // Virtual places ("::...") are no folder to search; the computer is
    // "Look in:"'s entry of its own.
    if (!location.second && location.first.startsWith(QLatin1String("::")) &&
        location.first != QLatin1String(CLookInList::kComputer)) {
        location.first.clear();
    }
    return location;
}

CFindNameController* CSearchWindows::FindByName() {
    const auto [location, isProject] = Location();
    return FindByName(location, isProject);
}

CFindNameController* CSearchWindows::FindByName(const QString& location, bool isProject) {
    if (m_byName) {
        m_byName->SetLocation(location, isProject);
        m_byName->BringForward();
        return m_byName;
    }
    m_byName = CFindNameController::Open(m_services, m_owner, location, isProject);
    // A window being closed is not brought back: the next opening makes one.
    connect(&m_byName->Frame(), &CFindFrame::Closing, this, [this] { m_byName = nullptr; });
    return m_byName;
}

CFindLanguageController* CSearchWindows::FindForLanguage() {
    const auto [location, isProject] = Location();
    if (m_byLanguage) {
        m_byLanguage->SetLocation(location, isProject);
        m_byLanguage->BringForward();
        return m_byLanguage;
    }
    m_byLanguage = CFindLanguageController::Open(m_services, m_owner, location, isProject);
    connect(&m_byLanguage->Frame(), &CFindFrame::Closing, this, [this] { m_byLanguage = nullptr; });
    return m_byLanguage;
}

CFindSimilarController* CSearchWindows::FindSimilar(const CFontItem* font) {
    CFontHandle source = m_services.manager.Hold(font);
    if (source == nullptr) {
        return nullptr;
    }
    const auto [location, isProject] = Location();
    return CFindSimilarController::Open(m_services, m_owner, std::move(source), location,
                                        isProject);
}

CFindCharacterController* CSearchWindows::FindCharacter(char32_t character,
                                                        const QString& unicodeName,
                                                        const CFontItem* font) {
    const auto [location, isProject] = Location();
    return CFindCharacterController::Open(m_services, m_owner, character, unicodeName,
                                          m_services.manager.Hold(font), location, isProject);
}

}  // namespace Quillmark
