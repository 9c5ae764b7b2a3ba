#include "ui/common/FencedTextDocument.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <string>

#include "core/PathText.h"
#include "platform/Files.h"

namespace Quillmark {

CFencedTextDocument::CFencedTextDocument(QString folder, QObject* parent)
    : QTextDocument(parent), m_folder(std::move(folder)) {}

QString CFencedTextDocument::FileInside(const QString& folder, const QUrl& name) {
    if (folder.isEmpty()) {
        return {};
    }
    QString path;
    if (name.isLocalFile()) {
        path = UrlPathText(name);
    } else if (name.scheme().isEmpty() && !name.path().isEmpty()) {
        path = QDir(folder).filePath(name.path());
    } else {
        return {};
    }
    // Resolving names looks at links and folders; it opens nothing.
    const QString root = QFileInfo(folder).canonicalFilePath();
    const QString file = QFileInfo(path).canonicalFilePath();
    if (root.isEmpty() || file.isEmpty() || !file.startsWith(root + u'/') ||
        !Platform::IsRegularFile(FilePath(file))) {
        return {};
    }
    return file;
}

QString CFencedTextDocument::BoundedNumbers(const QString& markup, bool inTagsOnly) {
    constexpr qsizetype kMostDigits = 5;
    const auto startsWith = [&](qsizetype at, QLatin1StringView word) {
        return QStringView(markup).mid(at).startsWith(word, Qt::CaseInsensitive);
    };
    QString bounded;
    bounded.reserve(markup.size());
    bool inTag = false;
    bool inStyle = false;  // within <style>...</style>: a style sheet
    bool styleTag = false;
    for (qsizetype i = 0; i < markup.size();) {
        const QChar c = markup[i];
        if (inTagsOnly && c == u'<') {
            inTag = true;
            if (startsWith(i + 1, QLatin1StringView("style"))) {
                styleTag = true;
            } else if (startsWith(i + 1, QLatin1StringView("/style"))) {
                inStyle = false;
            }
        } else if (inTagsOnly && c == u'>' && inTag) {
            inTag = false;
            if (styleTag) {
                inStyle = true;
                styleTag = false;
            }
        }
        const bool bound = !inTagsOnly || inTag || inStyle;
        if (!bound || c < u'0' || c > u'9') {
            bounded += c;
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < markup.size() && markup[end] >= u'0' && markup[end] <= u'9') {
            ++end;
        }
        bounded += end - i > kMostDigits ? QStringLiteral("99999") : markup.mid(i, end - i);
        i = end;
    }
    return bounded;
}

QVariant CFencedTextDocument::Blank(int type) {
    if (type == ImageResource) {
        static const QImage blank = [] {
            QImage image(1, 1, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            return image;
        }();
        return blank;
    }
    return QByteArray();
}

QVariant CFencedTextDocument::Load(int type, const QUrl& name) {
    const QString file = FileInside(m_folder, name);
    if (file.isEmpty()) {
        return Blank(type);
    }
    std::string bytes;
    if (Platform::ReadFileWhole(FilePath(file), static_cast<std::size_t>(kMaxResourceBytes),
                                bytes)) {
        return Blank(type);
    }
    const QByteArray data = QByteArray::fromStdString(bytes);
    if (type != ImageResource) {
        return data;
    }
    // Decoded here: an image given back as bytes that do not decode would
    // be looked for again by its name.
    const QImage image = QImage::fromData(data);
    return image.isNull() ? Blank(type) : QVariant(image);
}

QVariant CFencedTextDocument::loadResource(int type, const QUrl& name) {
    // Kept, so that a page painted again does not read again.
    const QVariant value = Load(type, name);
    addResource(type, name, value);
    return value;
}

CFencedTextBrowser::CFencedTextBrowser(const QString& folder, QWidget* parent)
    : QTextBrowser(parent), m_document(new CFencedTextDocument(folder, this)) {
    setDocument(m_document);
}

QVariant CFencedTextBrowser::loadResource(int type, const QUrl& name) {
    const QVariant value = m_document->Load(type, name);
    if ((type == QTextDocument::HtmlResource || type == QTextDocument::StyleSheetResource) &&
        value.typeId() == QMetaType::QByteArray && !value.toByteArray().isEmpty()) {
        return CFencedTextDocument::BoundedNumbers(QString::fromUtf8(value.toByteArray()),
                                                   type == QTextDocument::HtmlResource);
    }
    return value;
}

}  // namespace Quillmark
