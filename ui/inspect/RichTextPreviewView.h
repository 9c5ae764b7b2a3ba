#pragma once

// The preview mode of the detail frame: the user's own sample text, editable,
// in the current font at the preview size, colours and bold, italic and
// underline of the options. The font is the current file itself (a family
// only that file carries), never another file of the same name. Without a
// font there is no editor: the view reads "no font selected", and the text
// waits in PreviewText.

#include <QAction>
#include <QPointer>
#include <QTextEdit>
#include <QWidget>
#include <boost/signals2/trackable.hpp>

#include "fontdata/design/FontDesign.h"
#include "ui/common/HeldFont.h"

#include <QMenu>
#include <QTextCharFormat>

namespace Quillmark {

class CProgramOptions;
class CQuillmarkDoc;
class CQuillmarkSignals;

class CRichTextPreviewView : public QWidget, public boost::signals2::trackable {
    Q_OBJECT

public:
    CRichTextPreviewView(CQuillmarkSignals& hub, CProgramOptions& options, CFontManager& manager,
                         const CQuillmarkDoc& document, QWidget* parent = nullptr);
    ~CRichTextPreviewView() override;

    // Bold, italic and underline: checkable, checked as the options say.
    QAction* BoldAction() const { return m_bold; }
    QAction* ItalicAction() const { return m_italic; }
    QAction* UnderlineAction() const { return m_underline; }
    // The menu the right button opens (the main window's Preview menu).
    void SetContextMenu(QMenu* menu) { m_menu = menu; }

    // The editor, or null while no font is current.
    QTextEdit* Editor() const { return m_edit; }
    const QString& FaceName() const { return m_faceName; }
    // The family the editor's text is set in: one only the current file carries.
    const QString& Family() const { return m_family; }

    static QString NoFontText();
    // The sample text as it stands now.
    QString CurrentText() const;
    // The design the text is drawn in; while it is not the font's default,
    // the text is drawn from the font file itself at those axes and
    // features (the editor cannot draw them) and is not edited.
    const Varnholt::OpenTypeFontData::CDesignLook& Design() const { return m_design; }
    bool IsDrawingDesign() const { return m_edit && !m_design.IsDefault(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void OnFontSelected(const CFontItem* font);
    void OnSizeChanged(unsigned short size);
    void OnColorChanged(quint32 colour, bool isTextColour);
    void OnAppendCharacter(char32_t ch);
    void OnDesignChosen(const CFontItem* font, const Varnholt::OpenTypeFontData::CDesignLook& look);
    void ShowDesign();
    void DropFont();
    void Toggle(bool (CProgramOptions::*get)() const, void (CProgramOptions::*set)(const bool&));
    // Every property of the options' format.
    QTextCharFormat FullFormat() const;
    // Applies what changed to the selection, or to all the text when none
    // is selected; other properties keep the text's own formatting.
    void ApplyPreview(const QTextCharFormat& change);
    void SaveText();
    void ShowMenu(const QPoint& global);

    CQuillmarkSignals& m_hub;
    CProgramOptions& m_options;
    QString m_faceName;
    QString m_family;
    CHeldFont m_font;
    QPointer<QTextEdit> m_edit;
    QAction* m_bold = nullptr;
    QAction* m_italic = nullptr;
    QAction* m_underline = nullptr;
    QPointer<QMenu> m_menu;
    Varnholt::OpenTypeFontData::CDesignLook m_design;
};

}  // namespace Quillmark
