// Find fonts for a language: the window's band of languages and its test.

#include <QComboBox>
#include <QLocale>
#include <algorithm>

#include "fontdata/design/Languages.h"
#include "search/FontTests.h"
#include "ui/search/FindController.h"  // CFindLanguageController

namespace Quillmark {

CFindLanguageController::CFindLanguageController(CSearchServices services, QWidget* owner,
                                                 const QString& location, bool isProject)
    : CFindController(std::move(services), CSearchResultsModel::NameResults,
                      tr("Find fonts for a language"), location, isProject, owner) {}

CFindLanguageController* CFindLanguageController::Open(CSearchServices services, QWidget* owner,
                                                       const QString& location, bool isProject) {
    auto* controller = new CFindLanguageController(std::move(services), owner, location, isProject);
    controller->CFindController::Open();
    return controller;
}

std::vector<std::pair<QString, QString>> CFindLanguageController::LanguageEntries() {
    std::vector<std::pair<QString, QString>> entries;
    for (const std::string& tag : Varnholt::OpenTypeFontData::KnownLanguages()) {
        const QString code = QString::fromStdString(tag);
        // Qt's name of the language, where it knows the code ("zh-cn" is
        // Chinese of China); the tag alone where it does not.
        const QLocale locale(QString(code).replace(QLatin1Char('-'), QLatin1Char('_')));
        QString name;
        if (locale.language() != QLocale::C &&
            QLocale::languageToCode(locale.language()) == code.section(QLatin1Char('-'), 0, 0)) {
            name = QLocale::languageToString(locale.language());
            if (code.contains(QLatin1Char('-')) && locale.territory() != QLocale::AnyTerritory) {
                name += QStringLiteral(", ") + QLocale::territoryToString(locale.territory());
            }
        }
        entries.emplace_back(name.isEmpty() ? code : tr("%1 (%2)").arg(name, code), code);
    }
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        return QString::localeAwareCompare(a.first, b.first) < 0;
    });
    return entries;
}

int CFindLanguageController::OwnLanguage(const std::vector<std::pair<QString, QString>>& entries,
                                         const QLocale& locale) {
    const QString full = locale.name().toLower().replace(QLatin1Char('_'), QLatin1Char('-'));
    const QString language = full.section(QLatin1Char('-'), 0, 0);
    for (const QString& wanted : {full, language}) {
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (entries[i].second == wanted) {
                return static_cast<int>(i);
            }
        }
    }
    return -1;
}

QWidget* CFindLanguageController::MakeBand(QString* label) {
    *label = tr("Language:");
    m_languages = new QComboBox;
    m_languages->setAccessibleName(tr("Language"));
    m_languages->setFont(m_services.uiFont);
    m_languages->setMinimumWidth(260);
    m_languages->setEditable(true);  // typing a name or a tag finds it
    m_languages->setInsertPolicy(QComboBox::NoInsert);
    const auto entries = LanguageEntries();
    for (const auto& [text, tag] : entries) {
        m_languages->addItem(text, tag);
    }
    // The user's own language; English where the locale names none (C).
    int own = OwnLanguage(entries, QLocale());
    if (own < 0) {
        own = OwnLanguage(entries, QLocale(QLocale::English));
    }
    m_languages->setCurrentIndex(std::max(0, own));
    return m_languages;
}

bool CFindLanguageController::CanStart() const {
    return m_languages != nullptr && !m_languages->currentText().trimmed().isEmpty();
}

QString CFindLanguageController::TestFailureTitle() const {
    return tr("Unknown language");
}

QWidget* CFindLanguageController::FirstField() const {
    return m_languages;
}

CResult<FontTest> CFindLanguageController::MakeTest() {
    const int index = m_languages->findText(m_languages->currentText());
    const QString tag = index >= 0 ? m_languages->itemData(index).toString() : QString();
    auto coverage = Varnholt::OpenTypeFontData::CLanguageCoverage::Of(tag.toStdString());
    if (coverage == nullptr) {
        return CFailure(tr("%1 is not a language whose characters Quillmark knows")
                            .arg(m_languages->currentText())
                            .toStdString());
    }
    return LanguageTest(std::move(coverage));
}

}  // namespace Quillmark
