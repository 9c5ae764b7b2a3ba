#pragma once

// The character detail window: a small floating tool window that shows
// the selected character as large as the window allows, drawn from the
// font's own file, with its code and Unicode name in a band underneath.
// Closing it hides it until the program closes. CCharDetailController ties
// it to the rest of the program.

#include <QWidget>
#include <functional>
#include <memory>

#include "render/ExactFont.h"
#include "ui/inspect/CharDetailModel.h"
#include "ui/inspect/CharacterMenu.h"

namespace Quillmark {

class CCharDetailWnd : public QWidget {
    Q_OBJECT

public:
    explicit CCharDetailWnd(QWidget* parent = nullptr);

    CCharDetailModel& Model() { return m_model; }
    const CCharDetailModel& Model() const { return m_model; }

    void SetFont(const QString& path, std::shared_ptr<const Varnholt::COpenTypeData> fontData,
                 Rendering quality);
    void ClearFont();
    bool HasFont() const { return !m_path.isEmpty(); }
    void SetQuality(Rendering quality);
    // From now on closing the window destroys it (the program closes).
    void SetClosing() { m_closing = true; }
    // Offers "Find other fonts that contain this character..." in the
    // menu, calling find with the character shown; absent until set.
    void SetFindOtherFonts(std::function<void(char32_t)> find);
    CCharacterMenu* CharacterMenu() const { return m_menu; }

    // The band's text height for this window's width and font.
    int TextHeight() const;

signals:
    void CopyRequested(char32_t code);
    void AppendRequested(char32_t code);

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    CCharDetailModel m_model;
    QString m_path;
    Platform::CTextLook m_look;
    bool m_closing = false;
    CCharacterMenu* m_menu = nullptr;
};

}  // namespace Quillmark
