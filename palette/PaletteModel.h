#pragma once

// What the colour pop-up edits, without its widgets: the colour as three
// channel fields and an HTML field, which colour it is for, and the rules
// of each field. Colours are 0x00BBGGRR.

#include <QObject>
#include <QString>
#include <optional>

namespace Quillmark {

enum class Channel { Red = 0, Green = 1, Blue = 2 };

// "#RRGGBB" in upper-case hexadecimal.
QString HtmlColourText(quint32 colour);
// "#RRGGBB" or "RRGGBB", upper or lower case, blanks around allowed; nothing
// for anything else.
std::optional<quint32> ParseHtmlColour(const QString& text);

class CPaletteModel : public QObject {
    Q_OBJECT

public:
    explicit CPaletteModel(QObject* parent = nullptr);

    quint32 Colour() const { return m_colour; }
    int Value(Channel channel) const;
    bool IsTextColour() const { return m_isTextColour; }
    const QString& Caption() const { return m_caption; }

    // A new colour for a new owner: fires nothing.
    void Reset(const QString& caption, quint32 colour, bool isTextColour);
    // A colour picked on the palette: fires Picked.
    void Pick(quint32 colour);

    // A channel field was typed into. Returns what the field must then
    // show: "0" for an empty field (the caller selects it), "255" for a
    // number above 255, else the text as typed. A field that holds no
    // number changes nothing and returns the channel's value. Fires Picked
    // when the colour changed.
    QString ChannelEdited(Channel channel, const QString& text);
    // The HTML field was typed into: a colour it holds is picked; false,
    // with nothing changed, for text that is not one.
    bool HtmlEdited(const QString& text);

signals:
    // The user picked a colour, for the target IsTextColour() says.
    void Picked(quint32 colour, bool isTextColour);

private:
    quint32 m_colour = 0;
    bool m_isTextColour = true;
    QString m_caption;
};

}  // namespace Quillmark
