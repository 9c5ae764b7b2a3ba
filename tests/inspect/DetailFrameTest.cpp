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
#include "tests/support/TemporaryHome.h"
#include "ui/common/ColourPopup.h"
#include "ui/inspect/DetailFrameState.h"
#include "ui/inspect/FontDetailFrame.h"
#include "ui/inspect/FontInfoDlg.h"
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

    bool shown = false;
    bool text = true;
    QWidget* lastOwner = nullptr;
    QString lastCaption;
    quint32 lastColour = 0;

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
    // Each keystroke is a new text: "48 px" is 48 from its second to its
    // fifth; "301" passes 30, "12a" passes 12; "4", "5", "3", "1" are too small.
    EXPECT_EQ(f.previewSizes, (std::vector<unsigned short>{48, 48, 48, 48, 48, 30, 12}));
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
    ASSERT_EQ(f.frame->ModeBox()->count(), 2);
    EXPECT_EQ(f.frame->ModeBox()->itemText(1), QStringLiteral("Font Map"));
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
        EXPECT_EQ(table->item(table->rowCount() - 1, 0)->text(), QStringLiteral("Panose Number"));

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
