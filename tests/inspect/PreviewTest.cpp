// The rich text preview: the user's text kept across fonts and restarts,
// each file shown in its own design, styles on the selection or the whole
// text, and the families registered for it released in batches.

#include <gtest/gtest.h>

#include <QApplication>
#include <QColorDialog>
#include <QFile>
#include <QFontDatabase>
#include <QTest>
#include <QTextBlock>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/FontManagerHub.h"
#include "core/ProgramOptions.h"
#include "core/QuillmarkSignals.h"
#include "document/QuillmarkDoc.h"
#include "fontdata/manager/FontManager.h"
#include "palette/PaletteLoader.h"
#include "palette/PaletteWnd.h"
#include "render/ExactFamily.h"
#include "tests/support/FontBuilder.h"
#include "tests/support/TemporaryHome.h"
#include "ui/inspect/RichTextPreviewView.h"

using namespace Quillmark;
namespace fs = std::filesystem;

namespace {

const auto& kHome = QuillmarkTest::TemporaryHome();
const std::string kData = QUILLMARK_TEST_DATA;

struct CPreviewFixture {
    CQuillmarkSignals hub;
    CProgramOptions options;
    CFontManagerHub managerHub{hub};
    CFontManager manager{&managerHub, nullptr};
    CQuillmarkDoc document{hub, options, manager, QString()};
    std::unique_ptr<CRichTextPreviewView> view;

    CPreviewFixture() {
        view = std::make_unique<CRichTextPreviewView>(hub, options, manager, document);
        view->resize(400, 120);
        view->show();
    }
    ~CPreviewFixture() { view.reset(); }
    CFontHandle Select(const std::string& file) {
        CFontHandle font = manager.Open(kData + "/" + file);
        hub.FireFontSelected(font.get());
        return font;
    }
    QImage Picture() {
        view->Editor()->viewport()->update();
        QApplication::processEvents();
        return view->Editor()->viewport()->grab().toImage();
    }
};

int DifferentPixels(const QImage& a, const QImage& b) {
    int differ = 0;
    for (int y = 0; y < std::min(a.height(), b.height()); ++y) {
        for (int x = 0; x < std::min(a.width(), b.width()); ++x) {
            differ += a.pixel(x, y) != b.pixel(x, y);
        }
    }
    return differ;
}

void TypeAtEnd(QTextEdit* edit, const QString& text) {
    edit->setFocus();
    edit->moveCursor(QTextCursor::End);
    QTest::keyClicks(edit, text);
}

}  // namespace

TEST(RichTextPreview, TheUsersTextOutlivesFontChangesAndRestarts) {
    QString typed;
    {
        CPreviewFixture f;
        EXPECT_EQ(f.view->Editor(), nullptr);
        const QImage empty = f.view->grab().toImage();
        EXPECT_EQ(empty.pixel(2, 2), qRgb(255, 255, 255));
        // "no font selected", in grey, in the middle.
        bool grey = false;
        for (int x = 0; x < empty.width(); ++x) {
            grey |= qGray(empty.pixel(x, empty.height() / 2)) < 200;
        }
        EXPECT_TRUE(grey);

        auto a = f.Select("twin-a.ttf");
        ASSERT_NE(f.view->Editor(), nullptr);
        EXPECT_EQ(f.view->Editor()->toPlainText(), QStringLiteral("Quillmark 3"));
        TypeAtEnd(f.view->Editor(), QStringLiteral(" and mine"));
        typed = f.view->Editor()->toPlainText();
        EXPECT_EQ(typed, QStringLiteral("Quillmark 3 and mine"));

        // Another font keeps the text as it is.
        auto b = f.Select("twin-b.ttf");
        EXPECT_EQ(f.view->Editor()->toPlainText(), typed);
        // No font: no editor, the text kept in the options.
        f.hub.FireFontSelected(nullptr);
        EXPECT_EQ(f.view->Editor(), nullptr);
        EXPECT_EQ(f.options.GetPreviewText(), typed);
        f.Select("twin-a.ttf");
        ASSERT_NE(f.view->Editor(), nullptr);
        EXPECT_EQ(f.view->Editor()->toPlainText(), typed);
        TypeAtEnd(f.view->Editor(), QStringLiteral("!"));
        // Closing saves what is typed, with a font shown.
        f.hub.FireApplicationClosing();
        EXPECT_EQ(f.options.GetPreviewText(), typed + QStringLiteral("!"));
        ASSERT_TRUE(f.options.Save());
    }
    CPreviewFixture restarted;
    restarted.options.Load();
    auto a = restarted.Select("twin-a.ttf");
    ASSERT_NE(restarted.view->Editor(), nullptr);
    EXPECT_EQ(restarted.view->Editor()->toPlainText(), typed + QStringLiteral("!"));
}

TEST(RichTextPreview, TwoFilesOfOneNameAreEachShownInTheirOwnDesign) {
    CPreviewFixture f;
    f.options.SetPreviewFontSize(36);
    auto a = f.Select("twin-a.ttf");
    ASSERT_NE(f.view->Editor(), nullptr);
    const QString familyA = f.view->Family();
    const QImage pictureA = f.Picture();
    auto b = f.Select("twin-b.ttf");
    const QString familyB = f.view->Family();
    const QImage pictureB = f.Picture();
    // Both files call themselves "Quillmark Twin"; each has a family of its own.
    EXPECT_EQ(f.view->FaceName(), QStringLiteral("Quillmark Twin"));
    EXPECT_FALSE(familyA.isEmpty());
    EXPECT_NE(familyA, familyB);
    EXPECT_TRUE(QFontDatabase::families().contains(familyA));
    // The text is set in that family, and Qt finds no other file for it.
    const QTextCharFormat format =
        f.view->Editor()->document()->begin().begin().fragment().charFormat();
    EXPECT_EQ(format.fontFamilies().toStringList(), QStringList{familyB});
    EXPECT_EQ(QFontInfo(format.font()).family(), familyB);
    pictureA.save(
        QString::fromStdString((fs::temp_directory_path() / "quillmark-preview-a.png").string()));
    pictureB.save(
        QString::fromStdString((fs::temp_directory_path() / "quillmark-preview-b.png").string()));
    // A sans and a serif design: a good share of the pixels differ.
    EXPECT_GT(DifferentPixels(pictureA, pictureB), pictureA.width() * pictureA.height() / 50);
    // The first again draws as before.
    auto again = f.Select("twin-a.ttf");
    EXPECT_EQ(f.view->Family(), familyA);
    EXPECT_EQ(DifferentPixels(pictureA, f.Picture()), 0);
}

TEST(RichTextPreview, StylesGoToTheSelectionOrToAllTheText) {
    CPreviewFixture f;
    auto a = f.Select("twin-a.ttf");
    QTextEdit* edit = f.view->Editor();
    ASSERT_NE(edit, nullptr);
    // Size in points; colours from the options.
    EXPECT_EQ(edit->currentCharFormat().fontPointSize(), 24.0);
    f.hub.FireDetailPreviewSizeChanged(48);
    EXPECT_EQ(f.options.GetPreviewFontSize(), 48u);
    EXPECT_EQ(edit->currentCharFormat().fontPointSize(), 48.0);

    // "Quillmark" selected: only it turns bold, and the option flips.
    QTextCursor cursor(edit->document());
    cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor, 9);
    edit->setTextCursor(cursor);
    f.view->BoldAction()->trigger();
    EXPECT_TRUE(f.options.GetPreviewFontBold());
    EXPECT_TRUE(f.view->BoldAction()->isChecked());
    const auto weightAt = [edit](int position) {
        QTextCursor at(edit->document());
        at.setPosition(position + 1);
        return at.charFormat().fontWeight();
    };
    EXPECT_EQ(weightAt(0), QFont::Bold);
    EXPECT_EQ(weightAt(10), QFont::Normal);
    // Nothing selected: all of it. The option flips back, so all of it is normal.
    cursor.clearSelection();
    edit->setTextCursor(cursor);
    f.view->ItalicAction()->trigger();
    f.view->BoldAction()->trigger();
    EXPECT_FALSE(f.options.GetPreviewFontBold());
    EXPECT_TRUE(f.options.GetPreviewFontItalic());
    EXPECT_EQ(weightAt(0), QFont::Normal);
    QTextCursor end(edit->document());
    end.movePosition(QTextCursor::End);
    EXPECT_TRUE(end.charFormat().fontItalic());

    // Colours: only while the preview is the frame's mode.
    f.options.SetFontDetailMode(1);
    f.hub.FireColorChanged(0x0000FF, true);
    EXPECT_EQ(f.options.GetPreviewFontColor(), 0u);
    f.options.SetFontDetailMode(0);
    f.hub.FireColorChanged(0x0000FF, true);
    f.hub.FireColorChanged(0x00FFFF, false);
    EXPECT_EQ(f.options.GetPreviewFontColor(), 0x0000FFu);
    EXPECT_EQ(edit->currentCharFormat().foreground().color(), QColor(255, 0, 0));
    EXPECT_EQ(edit->palette().color(QPalette::Base), QColor(255, 255, 0));

    // A character from the map goes at the end, wherever the caret is.
    edit->setTextCursor(QTextCursor(edit->document()));
    f.hub.FireAppendCharacterToPreview(u'Z');
    EXPECT_TRUE(edit->toPlainText().endsWith(QLatin1Char('Z')));
    EXPECT_TRUE(edit->toPlainText().startsWith(QStringLiteral("Quillmark")));
}

TEST(RichTextPreview, AColourFromThePaletteKeepsTheTextsOwnFormatting) {
    CPreviewFixture f;
    auto a = f.Select("twin-a.ttf");
    QTextEdit* edit = f.view->Editor();
    ASSERT_NE(edit, nullptr);
    // The user underlines "Quillmark" alone: selected with the keyboard.
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Home, Qt::ControlModifier);
    for (int i = 0; i < 9; ++i) {
        QTest::keyClick(edit, Qt::Key_Right, Qt::ShiftModifier);
    }
    ASSERT_EQ(edit->textCursor().selectedText(), QStringLiteral("Quillmark"));
    f.view->UnderlineAction()->trigger();
    QTest::keyClick(edit, Qt::Key_End, Qt::ControlModifier);
    ASSERT_FALSE(edit->textCursor().hasSelection());

    // Then picks a text colour and a size, nothing selected.
    CPaletteWnd palette(
        f.hub, std::make_shared<CPaletteLoader>(QStringLiteral("/nonexistent/libtintora.so.1")));
    palette.ShowFor(nullptr, QStringLiteral("Foreground Color"), 0, true);
    palette.Dialog()->Fallback()->setCurrentColor(QColor(255, 0, 0));
    f.hub.FireDetailPreviewSizeChanged(36);
    const auto formatAt = [edit](int position) {
        QTextCursor at(edit->document());
        at.setPosition(position + 1);
        return at.charFormat();
    };
    EXPECT_TRUE(formatAt(0).fontUnderline());
    EXPECT_TRUE(formatAt(8).fontUnderline());
    EXPECT_FALSE(formatAt(10).fontUnderline()) << "the underline stays on its word";
    for (int position : {0, 10}) {
        EXPECT_EQ(formatAt(position).foreground().color(), QColor(255, 0, 0)) << position;
        EXPECT_EQ(formatAt(position).fontPointSize(), 36.0) << position;
    }
    // The palette's read-out shows the colour picked.
    EXPECT_EQ(palette.Dialog()->ReadOut(Channel::Red)->text(), QStringLiteral("255"));
    EXPECT_EQ(palette.Dialog()->ReadOut(Channel::Green)->text(), QStringLiteral("0"));
    palette.ClosePopup();
}

TEST(RichTextPreview, AFontThatGoesTakesTheEditorWithIt) {
    CPreviewFixture f;
    auto a = f.Select("twin-a.ttf");
    auto b = f.manager.Open(kData + "/twin-b.ttf");
    ASSERT_NE(f.view->Editor(), nullptr);
    // Another font's release is not ours.
    EXPECT_EQ(f.hub.FireReleaseFont(b.get()), 0);
    EXPECT_NE(f.view->Editor(), nullptr);
    TypeAtEnd(f.view->Editor(), QStringLiteral("?"));
    f.hub.FireFontRemoved(a.get());
    EXPECT_EQ(f.view->Editor(), nullptr);
    EXPECT_EQ(f.options.GetPreviewText(), QStringLiteral("Quillmark 3?"));
    f.Select("twin-b.ttf");
    EXPECT_EQ(f.hub.FireReleaseFont(b.get()), 1);
    EXPECT_EQ(f.view->Editor(), nullptr);
}

// A font the reader reads but the renderer refuses (every table's length
// 0xFFFFFFFF) says so, where matching by its name drew another font.
TEST(RichTextPreview, AFontTheRendererRefusesSaysSoAndNoOtherFontIsDrawn) {
    std::ifstream in(kData + "/twin-a.ttf", std::ios::binary);
    const QuillmarkTest::Bytes good{std::istreambuf_iterator<char>(in), {}};
    const auto refused = QuillmarkTest::WithEveryTableLength(good, 0xFFFFFFFF);
    const fs::path path = kHome.Root() / "refused.ttf";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(refused.data()),
               static_cast<std::streamsize>(refused.size()));

    CPreviewFixture f;
    f.Select("twin-a.ttf");
    ASSERT_NE(f.view->Editor(), nullptr);
    CFontHandle font = f.manager.Open(path.string());
    ASSERT_EQ(font->GetStatus(), CFontItem::Loaded) << "the reader finds nothing wrong";
    f.hub.FireFontSelected(font.get());
    EXPECT_EQ(f.view->Editor(), nullptr) << "no editor drawing the text in another font";
    EXPECT_TRUE(f.view->Family().isEmpty());
    EXPECT_TRUE(CExactFamilies::Instance().FamilyFor(path).isEmpty());

    const QImage picture = f.view->grab().toImage();
    int grey = 0;
    int black = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb pixel = picture.pixel(x, y) & 0xFFFFFF;
            grey += pixel == 0x808080;
            black += pixel == 0x000000;
        }
    }
    EXPECT_GT(grey, 20) << "the note is written";
    EXPECT_EQ(black, 0) << "no preview text in the text colour";

    // A good font again: the editor and the user's text are back.
    f.Select("twin-b.ttf");
    ASSERT_NE(f.view->Editor(), nullptr);
    EXPECT_EQ(f.view->Editor()->toPlainText(), "Quillmark 3");
}

TEST(ExactFamilies, RegistrationsAreReusedAndReleasedInBatches) {
    CExactFamilies families(4);
    std::vector<fs::path> copies;
    for (int i = 0; i < 5; ++i) {
        copies.push_back(kHome.Root() / ("copy" + std::to_string(i) + ".ttf"));
        fs::copy_file(kData + "/twin-a.ttf", copies.back(), fs::copy_options::overwrite_existing);
    }
    std::vector<QString> names;
    for (int i = 0; i < 4; ++i) {
        names.push_back(families.FamilyFor(copies[i]));
        ASSERT_FALSE(names.back().isEmpty());
    }
    EXPECT_EQ(families.Count(), 4);
    // The same file again: the same family, nothing registered.
    EXPECT_EQ(families.FamilyFor(copies[0]), names[0]);
    EXPECT_EQ(families.Count(), 4);
    // A fifth: the two least recently used go together (copies 1 and 2).
    const QString fifth = families.FamilyFor(copies[4]);
    EXPECT_EQ(families.Count(), 3);
    const QStringList known = QFontDatabase::families();
    EXPECT_FALSE(known.contains(names[1]));
    EXPECT_FALSE(known.contains(names[2]));
    EXPECT_TRUE(known.contains(names[0]));
    EXPECT_TRUE(known.contains(names[3]));
    EXPECT_TRUE(known.contains(fifth));
    // The copy holds no other name: only our family is registered for it.
    EXPECT_FALSE(known.contains(QStringLiteral("Quillmark Twin")));
    // A file that is no font gets no family.
    const fs::path text = kHome.Root() / "not-a-font.ttf";
    QFile file(QString::fromStdString(text.string()));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("just some text, long enough for an offset table");
    file.close();
    EXPECT_TRUE(families.FamilyFor(text).isEmpty());
    EXPECT_TRUE(CExactFamilies::Renamed(QByteArray(20, '\0'), QStringLiteral("x")).isEmpty());
    families.Clear();
    EXPECT_FALSE(QFontDatabase::families().contains(fifth));
}
