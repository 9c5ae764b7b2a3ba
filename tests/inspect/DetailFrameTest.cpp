// The detail frame's bar: sizes, colour buttons and the pop-up they share,
// the font's name; and the font information dialog against quillmark-cli.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include "core/FontManagerHub.h"
#include "core/ProgramOptions.h"
#include "core/QuillmarkSignals.h"
#include "document/QuillmarkDoc.h"
#include "fontdata/manager/FontManager.h"
#include "palette/PaletteLoader.h"
#include "palette/PaletteWnd.h"
#include "tests/support/TemporaryHome.h"
#include "ui/common/ColourPopup.h"
#include "ui/inspect/DetailFrameState.h"
#include "ui/inspect/FontDetailFrame.h"
#include "ui/inspect/FontInfoDlg.h"
#include "ui/inspect/FontMapView.h"
#include "ui/inspect/RichTextPreviewView.h"

using namespace Quillmark;

namespace {

const auto& kHome = QuillmarkTest::TemporaryHome();
const std::string kData = QUILLMARK_TEST_DATA;

// Records what the frame asks of its pop-up.
class CFakePopup : public IColourPopup {
public:
    explicit CFakePopup(CQuillmarkSignals& hub) : m_hub(hub) {}
    void ShowFor(QWidget* owner, const QString& caption, quint32 colour, bool isText) override {
        shown = true;
        text = isText;
        lastOwner = owner;
        lastCaption = caption;
        lastColour = colour;
    }
    void ClosePopup() override {
        if (shown) {
            shown = false;
            m_hub.FirePaletteClosed();
        }
    }
    bool IsShown() const override { return shown; }
    bool IsTextColourTarget() const override { return text; }
    void SetOpeners(const QList<QWidget*>& buttons) override { openers = buttons; }

    bool shown = false;
    bool text = true;
    QWidget* lastOwner = nullptr;
    QString lastCaption;
    quint32 lastColour = 0;
    QList<QWidget*> openers;

private:
    CQuillmarkSignals& m_hub;
};

struct CFrameFixture {
    CQuillmarkSignals hub;
    CProgramOptions options;
    CFontManagerHub managerHub{hub};
    CFontManager manager{&managerHub, nullptr};
    CQuillmarkDoc document{hub, options, manager, QString()};
    CFakePopup* popup = nullptr;
    std::unique_ptr<CFontDetailFrame> frame;
    std::vector<unsigned short> previewSizes;
    std::vector<unsigned short> mapSizes;

    CFrameFixture() {
        auto fake = std::make_unique<CFakePopup>(hub);
        popup = fake.get();
        frame =
            std::make_unique<CFontDetailFrame>(hub, options, manager, document, std::move(fake));
        frame->resize(700, 200);
        frame->show();
        hub.ConnectDetailPreviewSizeChanged(
            [this](unsigned short s) { previewSizes.push_back(s); });
        hub.ConnectFontMapSizeChanged([this](unsigned short s) { mapSizes.push_back(s); });
    }
    void TypeSize(const QString& text) {
        QLineEdit* edit = frame->SizeBox()->lineEdit();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, text);
    }
};

}  // namespace

TEST(DetailFrameState, SizesAreTakenFrom6To300) {
    using S = CDetailFrameState;
    EXPECT_EQ(S::TypedSize(QStringLiteral("48")), std::optional<unsigned short>(48));
    EXPECT_EQ(S::TypedSize(QStringLiteral("48 px")), std::optional<unsigned short>(48));
    EXPECT_EQ(S::TypedSize(QStringLiteral(" 6 ")), std::optional<unsigned short>(6));
    EXPECT_EQ(S::TypedSize(QStringLiteral("300")), std::optional<unsigned short>(300));
    for (const char* bad : {"5", "301", "12a", "", "px", "-7", "4 8", "65542", "1e2"}) {
        EXPECT_EQ(S::TypedSize(QString::fromUtf8(bad)), std::nullopt) << bad;
    }
    EXPECT_EQ(S::ChosenSize(QStringLiteral("100 px")), std::optional<unsigned short>(100));
    EXPECT_EQ(S::StandardSizeTexts().size(), 14);
    EXPECT_EQ(S::StandardSizeTexts().front(), QStringLiteral("12 px"));
    EXPECT_EQ(S::StandardSizeTexts().back(), QStringLiteral("240 px"));

    // Each mode has its own size and colours.
    CProgramOptions options;
    options.SetPreviewFontSize(36);
    options.SetFontMapSize(64);
    options.SetPreviewFontColor(0x0000FF);
    options.SetFontMapFontColor(0x00FF00);
    options.SetFontMapBackgroundColor(0x202020);
    CDetailFrameState state(options);
    EXPECT_EQ(state.SizeText(), QStringLiteral("36 px"));
    EXPECT_EQ(state.TextColour(), 0x0000FFu);
    EXPECT_TRUE(state.SetMode(DetailMode::FontMap));
    EXPECT_FALSE(state.SetMode(DetailMode::FontMap));
    EXPECT_EQ(options.GetFontDetailMode(), 1u);
    EXPECT_EQ(state.SizeText(), QStringLiteral("64 px"));
    EXPECT_EQ(state.TextColour(), 0x00FF00u);
    EXPECT_EQ(state.BackgroundColour(), 0x202020u);
}

TEST(DetailFrame, TheSizeBoxFiresForTheModeShown) {
    CFrameFixture f;
    EXPECT_EQ(f.frame->SizeBox()->currentText(), QStringLiteral("24 px"));
    EXPECT_EQ(f.frame->SizeBox()->count(), 14);
    f.TypeSize(QStringLiteral("48"));
    f.TypeSize(QStringLiteral("48 px"));
    f.TypeSize(QStringLiteral("5"));
    f.TypeSize(QStringLiteral("301"));
    f.TypeSize(QStringLiteral("12a"));
    // Each keystroke is a new text, at most three of them: "48 px" stops at
    // "48 ", 48 twice; "301" passes 30, "12a" passes 12; "4", "5", "3", "1"
    // are too small.
    EXPECT_EQ(f.previewSizes, (std::vector<unsigned short>{48, 48, 48, 30, 12}));
    f.previewSizes.clear();
    const int hundred = f.frame->SizeBox()->findText(QStringLiteral("100 px"));
    ASSERT_GE(hundred, 0);
    emit f.frame->SizeBox()->activated(hundred);
    EXPECT_EQ(f.previewSizes, (std::vector<unsigned short>{100}));
    EXPECT_EQ(f.options.GetPreviewFontSize(), 100u);
    EXPECT_TRUE(f.mapSizes.empty());
}

TEST(DetailFrame, ColourButtonsShareOnePopup) {
    CFrameFixture f;
    QToolButton* text = f.frame->ColourButton(true);
    QToolButton* back = f.frame->ColourButton(false);
    EXPECT_EQ(text->accessibleName(), QStringLiteral("Set Foreground Color"));
    EXPECT_EQ(back->accessibleName(), QStringLiteral("Set Background Color"));
    f.options.SetPreviewBackgroundColor(0x00FFFF);
    QTest::mouseClick(text, Qt::LeftButton);
    ASSERT_TRUE(f.popup->shown);
    EXPECT_TRUE(f.popup->text);
    EXPECT_EQ(f.popup->lastOwner, text);
    EXPECT_EQ(f.popup->lastCaption, QStringLiteral("Foreground Color"));
    EXPECT_TRUE(text->isChecked());

    // The background button while open for the text: released, and reopened
    // for the background.
    QTest::mouseClick(back, Qt::LeftButton);
    EXPECT_TRUE(f.popup->shown);
    EXPECT_FALSE(f.popup->text);
    EXPECT_EQ(f.popup->lastCaption, QStringLiteral("Background Color"));
    EXPECT_EQ(f.popup->lastColour, 0x00FFFFu);
    EXPECT_FALSE(text->isChecked());
    EXPECT_TRUE(back->isChecked());
    // Twice: closed, and both buttons released.
    QTest::mouseClick(back, Qt::LeftButton);
    EXPECT_FALSE(f.popup->shown);
    EXPECT_FALSE(back->isChecked());
    // The Preview menu's commands come through the hub.
    f.hub.FireShowPalette(true);
    EXPECT_TRUE(f.popup->shown && f.popup->text);
    f.popup->ClosePopup();
    EXPECT_FALSE(text->isChecked());

    // A picked colour redraws its button's swatch.
    f.hub.FireColorChanged(0x0000FF, true);
    const QImage swatch = text->icon().pixmap(16, 16).toImage();
    EXPECT_EQ(swatch.pixelColor(8, 8), QColor(255, 0, 0));
    EXPECT_EQ(swatch.pixelColor(1, 1), QColor(0, 0, 0));
    EXPECT_EQ(swatch.pixelColor(0, 0).alpha(), 0);
}

TEST(DetailFrame, TheMapModeHasItsOwnSizeAndColoursAndNoStyleButtons) {
    CFrameFixture f;
    f.options.SetFontMapSize(64);
    f.options.SetFontMapFontColor(0x00FF00);
    f.options.SetPreviewFontColor(0x0000FF);
    ASSERT_EQ(f.frame->ModeBox()->count(), 3);
    EXPECT_EQ(f.frame->ModeBox()->itemText(1), QStringLiteral("Font Map"));
    EXPECT_EQ(f.frame->ModeBox()->itemText(2), QStringLiteral("Waterfall"));
    EXPECT_EQ(f.frame->FontMap(), nullptr);  // made when first shown
    emit f.frame->ModeBox()->activated(1);
    EXPECT_EQ(f.options.GetFontDetailMode(), 1u);
    ASSERT_NE(f.frame->FontMap(), nullptr);
    EXPECT_EQ(f.frame->ActiveView(), static_cast<QWidget*>(f.frame->FontMap()));
    EXPECT_TRUE(f.frame->StyleBar()->isHidden());
    for (QAction* action : f.frame->StyleActions()) {
        EXPECT_FALSE(action->isEnabled());
    }
    EXPECT_EQ(f.frame->SizeBox()->currentText(), QStringLiteral("64 px"));
    f.TypeSize(QStringLiteral("48"));
    EXPECT_EQ(f.mapSizes, std::vector<unsigned short>{48});
    EXPECT_TRUE(f.previewSizes.empty());
    EXPECT_EQ(f.options.GetFontMapSize(), 48u);
    // The pop-up opens on the colour it edits in this mode: the map's.
    QTest::mouseClick(f.frame->ColourButton(true), Qt::LeftButton);
    EXPECT_EQ(f.popup->lastColour, 0x00FF00u);
    f.popup->ClosePopup();

    emit f.frame->ModeBox()->activated(0);
    EXPECT_EQ(f.frame->ActiveView(), static_cast<QWidget*>(f.frame->Preview()));
    EXPECT_FALSE(f.frame->StyleBar()->isHidden());
    EXPECT_EQ(f.frame->SizeBox()->currentText(), QStringLiteral("24 px"));
    QTest::mouseClick(f.frame->ColourButton(true), Qt::LeftButton);
    EXPECT_EQ(f.popup->lastColour, 0x0000FFu);

    // The mode is kept: a frame made now starts with the map.
    f.options.SetFontDetailMode(1);
    CFontDetailFrame again(f.hub, f.options, f.manager, f.document, nullptr);
    EXPECT_EQ(again.ActiveView(), static_cast<QWidget*>(again.FontMap()));
    EXPECT_EQ(again.ModeBox()->currentIndex(), 1);
}

QColor SwatchColour(const QToolButton* button) {
    return button->icon().pixmap(16, 16).toImage().pixelColor(8, 8);
}

TEST(DetailFrame, TheMapsColoursAreKeptAcrossModesAndRestarts) {
    QColor red(255, 0, 0);
    QColor green(0, 255, 0);
    {
        CFrameFixture f;
        emit f.frame->ModeBox()->activated(1);
        ASSERT_NE(f.frame->FontMap(), nullptr);
        // As the palette reports a pick.
        f.hub.FireColorChanged(0x0000FF, false);
        f.hub.FireColorChanged(0x00FF00, true);
        EXPECT_EQ(f.options.GetFontMapBackgroundColor(), 0x0000FFu);
        EXPECT_EQ(f.options.GetFontMapFontColor(), 0x00FF00u);
        EXPECT_EQ(f.options.GetPreviewBackgroundColor(), 0xFFFFFFu) << "the preview's stay";
        EXPECT_EQ(f.frame->FontMap()->BackColor(), red);

        // To the preview and back: the swatches and the palette show the map's colours.
        emit f.frame->ModeBox()->activated(0);
        EXPECT_EQ(SwatchColour(f.frame->ColourButton(false)), QColor(255, 255, 255));
        emit f.frame->ModeBox()->activated(1);
        EXPECT_EQ(SwatchColour(f.frame->ColourButton(false)), red);
        EXPECT_EQ(SwatchColour(f.frame->ColourButton(true)), green);
        QTest::mouseClick(f.frame->ColourButton(false), Qt::LeftButton);
        EXPECT_EQ(f.popup->lastColour, 0x0000FFu);
        f.popup->ClosePopup();
        ASSERT_TRUE(f.options.Save());
    }
    // The next start.
    CQuillmarkSignals hub;
    CProgramOptions options;
    options.Load();
    EXPECT_EQ(options.GetFontMapBackgroundColor(), 0x0000FFu);
    EXPECT_EQ(options.GetFontDetailMode(), 1u);
    CFontManagerHub managerHub{hub};
    CFontManager manager{&managerHub, nullptr};
    CQuillmarkDoc document{hub, options, manager, QString()};
    CFontDetailFrame frame(hub, options, manager, document, nullptr);
    frame.show();
    ASSERT_NE(frame.FontMap(), nullptr);
    EXPECT_EQ(frame.FontMap()->BackColor(), red);
    EXPECT_EQ(frame.FontMap()->TextColor(), green);
    EXPECT_EQ(SwatchColour(frame.ColourButton(false)), red);
    EXPECT_EQ(SwatchColour(frame.ColourButton(true)), green);
    // Back as it was for the other tests.
    options.SetFontDetailMode(0);
    options.SetFontMapBackgroundColor(0xFFFFFF);
    options.SetFontMapFontColor(0);
    options.Save();
}

TEST(DetailFrame, TheOtherColourButtonTurnsTheOpenPaletteWithoutClosingIt) {
    CFrameFixture f;
    int closed = 0;
    f.hub.ConnectPaletteClosed([&closed] { ++closed; });
    // The real pop-up, with the colour dialog in the palette's place.
    f.frame->SetPalette(std::make_unique<CPaletteWnd>(
        f.hub, std::make_shared<CPaletteLoader>(QStringLiteral("/nonexistent/libtintora.so.1"))));
    IColourPopup* palette = f.frame->Palette();
    QToolButton* text = f.frame->ColourButton(true);
    QToolButton* back = f.frame->ColourButton(false);
    QTest::mouseClick(text, Qt::LeftButton);
    ASSERT_TRUE(palette->IsShown());
    EXPECT_TRUE(palette->IsTextColourTarget());

    QTest::mouseClick(back, Qt::LeftButton);
    EXPECT_EQ(closed, 0) << "nothing closed";
    EXPECT_TRUE(palette->IsShown());
    EXPECT_FALSE(palette->IsTextColourTarget());
    EXPECT_FALSE(text->isChecked());
    EXPECT_TRUE(back->isChecked());
    auto* window = static_cast<CPaletteWnd*>(palette);
    EXPECT_EQ(window->Dialog()->Group()->title(), QStringLiteral("Background Color"));

    // The same button again closes it.
    QTest::mouseClick(back, Qt::LeftButton);
    EXPECT_FALSE(palette->IsShown());
    EXPECT_EQ(closed, 1);
    EXPECT_FALSE(back->isChecked());
}

TEST(DetailFrame, TheSizeBoxTakesThreeTypedCharacters) {
    CFrameFixture f;
    QLineEdit* edit = f.frame->SizeBox()->lineEdit();
    f.TypeSize(QStringLiteral("2400"));
    EXPECT_EQ(edit->text(), QStringLiteral("240"));
    EXPECT_EQ(f.previewSizes, (std::vector<unsigned short>{24, 240}));
    // The program's own longer text stands, and the user may shorten it.
    const int hundred = f.frame->SizeBox()->findText(QStringLiteral("100 px"));
    f.frame->SizeBox()->setCurrentIndex(hundred);
    EXPECT_EQ(edit->text(), QStringLiteral("100 px"));
    edit->setFocus();
    edit->end(false);
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->text(), QStringLiteral("100 p"));
    QTest::keyClicks(edit, QStringLiteral("x"));
    EXPECT_EQ(edit->text(), QStringLiteral("100 p")) << "no longer than it was";
}

TEST(DetailFrame, TheNameOpensTheFontInformation) {
    CFrameFixture f;
    EXPECT_EQ(f.frame->FontName()->Text(), QStringLiteral("no font selected"));
    std::vector<const CFontItem*> asked;
    f.frame->SetInfoRunner([&asked](const CFontItem* font, QWidget*) { asked.push_back(font); });
    QTest::mouseClick(f.frame->FontName(), Qt::LeftButton);
    EXPECT_TRUE(asked.empty());

    CFontHandle font = f.manager.Open(kData + "/twin-b.ttf");
    f.hub.FireFontSelected(font.get());
    EXPECT_EQ(f.frame->FontName()->Text(), QStringLiteral("Quillmark Twin"));
    QTest::mouseClick(f.frame->FontName(), Qt::LeftButton);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], font.get());
    // Bold, italic and underline are offered in the preview mode.
    EXPECT_TRUE(f.frame->StyleBar()->isVisible());
    for (QAction* action : f.frame->StyleActions()) {
        EXPECT_TRUE(action->isEnabled());
    }
}

namespace {

// quillmark-cli's rows for a font: name and value, with its \xHH escapes undone.
std::vector<std::pair<QString, QString>> CliRows(const QString& path) {
    QProcess cli;
    cli.start(QStringLiteral(QUILLMARK_CLI), {QStringLiteral("info"), path});
    EXPECT_TRUE(cli.waitForFinished(30000));
    std::vector<std::pair<QString, QString>> rows;
    const QStringList lines = QString::fromUtf8(cli.readAllStandardOutput()).split('\n');
    for (const QString& line : lines.mid(2)) {
        const qsizetype colon = line.indexOf(QStringLiteral(": "));
        if (!line.startsWith(QStringLiteral("  ")) || colon < 0) {
            continue;
        }
        QString value = line.mid(colon + 2);
        static const QRegularExpression escape(QStringLiteral("\\\\x([0-9a-f]{2})"));
        QRegularExpressionMatch m;
        while ((m = escape.match(value)).hasMatch()) {
            value.replace(m.capturedStart(), 4, QChar(m.captured(1).toInt(nullptr, 16)));
        }
        rows.emplace_back(line.mid(2, colon - 2), value);
    }
    return rows;
}

}  // namespace

TEST(FontInfoDlg, RowsAreThoseQuillmarkCliPrints) {
    CQuillmarkSignals hub;
    CFontManagerHub managerHub{hub};
    CFontManager manager{&managerHub, nullptr};
    int checked = 0;
    for (const char* path : {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                             "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf"}) {
        if (!QFileInfo::exists(QString::fromUtf8(path))) {
            continue;
        }
        CFontHandle font = manager.Open(path);
        CFontInfoDlg dialog(*font);
        const auto expected = CliRows(QString::fromUtf8(path));
        ASSERT_GE(expected.size(), 3u);
        QTableWidget* table = dialog.Table();
        ASSERT_EQ(table->rowCount(), static_cast<int>(expected.size())) << path;
        for (int i = 0; i < table->rowCount(); ++i) {
            EXPECT_EQ(table->item(i, 0)->text(), expected[i].first) << path << " row " << i;
            EXPECT_EQ(table->item(i, 1)->data(CFontInfoDlg::kValueRole).toString(),
                      expected[i].second)
                << path << " row " << i;
            EXPECT_FALSE(table->item(i, 1)->text().contains(QLatin1Char('\n')));
        }
        EXPECT_EQ(table->horizontalHeaderItem(0)->text(), QStringLiteral("Name"));
        EXPECT_EQ(table->horizontalHeaderItem(1)->text(), QStringLiteral("Value"));
        EXPECT_EQ(dialog.windowTitle(), expected[5].second);  // the full name
        EXPECT_EQ(table->item(0, 0)->text(), QStringLiteral("File Name"));
        // The reader's rows end with the PANOSE number; the design's follow,
        // the languages last.
        const auto panose = table->findItems(QStringLiteral("Panose Number"), Qt::MatchExactly);
        ASSERT_EQ(panose.size(), 1);
        EXPECT_EQ(table->item(panose[0]->row() + 1, 0)->text(), QStringLiteral("Layout Features"));
        EXPECT_EQ(table->item(table->rowCount() - 1, 0)->text(), QStringLiteral("Languages"));

        // Copy: one row, then all of them.
        table->selectRow(2);
        dialog.CopySelected();
        EXPECT_EQ(QApplication::clipboard()->text(),
                  expected[2].first + QLatin1Char('\t') + expected[2].second + QLatin1Char('\n'));
        QTest::keyClick(table, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(&dialog, Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(QApplication::clipboard()->text(), dialog.AllText());
        EXPECT_EQ(dialog.AllText().count(QLatin1Char('\t')), table->rowCount());
        ++checked;
    }
    if (checked == 0) {
        GTEST_SKIP() << "no DejaVu or Liberation font on this machine";
    }
}

TEST(FontInfoDlg, OpensOnlyForReadableFonts) {
    CQuillmarkSignals hub;
    CFontManagerHub managerHub{hub};
    CFontManager manager{&managerHub, nullptr};
    CFontHandle missing = manager.Open(kHome.Root() / "no-such-font.ttf");
    int shown = 0;
    // A modal dialog would wait here; it must not come up at all.
    QTimer::singleShot(0, [&shown] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<CFontInfoDlg*>(w); dialog && dialog->isVisible()) {
                ++shown;
                dialog->reject();
            }
        }
    });
    CFontInfoDlg::Show(missing.get(), nullptr);
    CFontInfoDlg::Show(nullptr, nullptr);
    QApplication::processEvents();
    EXPECT_EQ(shown, 0);

    CFontHandle twin = manager.Open(kData + "/twin-a.ttf");
    QTimer::singleShot(0, [&shown] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<CFontInfoDlg*>(w); dialog && dialog->isVisible()) {
                ++shown;
                EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Quillmark Twin"));
                dialog->reject();
            }
        }
    });
    CFontInfoDlg::Show(twin.get(), nullptr);
    EXPECT_EQ(shown, 1);
}
