#pragma once

// Rich text that reads nothing it was not meant to. Left to itself, Qt's
// text document reads a file that a page names (an image, a style sheet)
// when its browser's loadResource gives nothing, and looks for an image it
// could not decode once more under its bare name; so a page could make it
// read /dev/zero until memory runs out, or wait for ever on a FIFO.
//
// CFencedTextDocument answers every resource itself: a regular file inside
// its folder (links resolved, at most kMaxResourceBytes, opened only after
// it was seen to be a regular file, and without blocking) is read; anything
// else (another folder, a device, a FIFO, qrc:, data:, http:, a relative
// name that climbs out) gets a blank of the type asked for: a transparent
// 1x1 image, an empty style sheet, an empty page. With no folder nothing is
// read at all. CFencedTextBrowser puts one in a text browser and answers
// the browser's own page loads (setSource) by the same rule.

#include <QString>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>
#include <QVariant>

namespace Quillmark {

class CFencedTextDocument : public QTextDocument {
    Q_OBJECT

public:
    // The largest file read as one resource.
    static constexpr qsizetype kMaxResourceBytes = 16 * 1024 * 1024;

    // `folder`: the only folder files are read from; empty: none.
    explicit CFencedTextDocument(QString folder, QObject* parent = nullptr);

    const QString& Folder() const { return m_folder; }

    // The resource, or its blank; never null, never read from outside.
    QVariant Load(int type, const QUrl& name);
    // What stands for a resource that is not read.
    static QVariant Blank(int type);
    // The path of the regular file `name` names inside `folder` (a relative
    // name counts from the folder), links resolved; empty for anything else
    // and for an empty folder.
    static QString FileInside(const QString& folder, const QUrl& name);
    // Markup whose numbers inside tags (attributes, inline styles) and in
    // <style> elements have at most five digits: Qt's layout does not come
    // back from a cell padding or width of billions. A longer run of digits
    // reads as 99999; the text of the page is left as it is. A style sheet
    // (`inTagsOnly` false) is bounded throughout.
    static QString BoundedNumbers(const QString& markup, bool inTagsOnly = true);

protected:
    QVariant loadResource(int type, const QUrl& name) override;

private:
    QString m_folder;
};

class CFencedTextBrowser : public QTextBrowser {
    Q_OBJECT

public:
    // Files only from `folder`; empty: nothing at all.
    explicit CFencedTextBrowser(const QString& folder, QWidget* parent = nullptr);

    CFencedTextDocument* FencedDocument() const { return m_document; }
    QVariant loadResource(int type, const QUrl& name) override;

private:
    CFencedTextDocument* m_document;
};

}  // namespace Quillmark
