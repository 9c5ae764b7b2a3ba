#pragma once

// Ties a font map view to the program: it shows the font the user chose,
// at the map's size, quality and colours from the options; announces the
// selected character with its Unicode name; copies and appends characters;
// and, the first time the view is shown, finds the main window's character
// detail window (made by the first map shown) with its name table.

#include <QObject>
#include <QPointer>
#include <boost/signals2/trackable.hpp>
#include <functional>
#include <memory>

#include "ui/common/HeldFont.h"
#include "ui/inspect/CharDetailController.h"
#include "ui/inspect/FontMapView.h"

namespace Quillmark {

class CProgramOptions;
class CQuillmarkDoc;
class CQuillmarkSignals;

// 0x00BBGGRR, as colours are stored, and back.
QColor ColorFromStored(quint32 value);
quint32 StoredFromColor(const QColor& color);

class CFontMapController : public QObject, public boost::signals2::trackable {
    Q_OBJECT

public:
    // `detailParent` owns the character detail window (the main window).
    CFontMapController(CQuillmarkSignals& hub, CProgramOptions& options, CFontManager& manager,
                       CQuillmarkDoc& document, CFontMapView* view, QWidget* detailParent);
    ~CFontMapController() override;

    // Done once, when the view is first shown: the current font, the name
    // table and the character detail window.
    void InitialUpdate();
    // How an error is told (a message box unless replaced).
    void SetErrorSink(std::function<void(const QString&)> sink);
    // What "Find other fonts that contain this character..." does, in the
    // map's menu and the character detail window's: given the character,
    // its Unicode name and the font it was taken from.
    using FindCharacter = CFindCharacter;
    void SetFindCharacter(FindCharacter find);

    CFontMapView* View() const { return m_view; }
    const CFontItem* Font() const { return m_font.Get(); }
    const CUnicodeCharDescriptions* Names() const;
    // The character detail window's controller, once the view was shown.
    CCharDetailController* Detail() const { return m_detail; }
    // The Unicode name of a character; empty without one or without a table.
    QString NameOf(char32_t code) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnFontSelected(const CFontItem* font);
    void OnFontMapSizeChanged(unsigned short size);
    void OnOptionsChanged();
    void OnColorChanged(quint32 colour, bool isTextColor);
    void OnDesignChosen(const CFontItem* font, const Varnholt::OpenTypeFontData::CDesignLook& look);
    void DropFont();

    CQuillmarkSignals& m_hub;
    CProgramOptions& m_options;
    CFontManager& m_manager;
    CQuillmarkDoc& m_document;
    QPointer<CFontMapView> m_view;
    QPointer<QWidget> m_detailParent;
    CHeldFont m_font;
    int m_fontSize;
    bool m_initialised = false;
    QPointer<CCharDetailController> m_detail;  // the main window's
    std::function<void(const QString&)> m_error;
    FindCharacter m_find;
};

}  // namespace Quillmark
