// The colour pop-up: its fields' rules, the plugin as the program finds
// it, the pop-up without the plugin, its placement and the click outside.

#include <gtest/gtest.h>

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QPluginLoader>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

#include "core/QuillmarkSignals.h"
#include "palette/PaletteLoader.h"
#include "palette/PaletteModel.h"
#include "palette/PaletteWnd.h"

using namespace Quillmark;

namespace {

struct CHubLog {
    std::vector<std::pair<quint32, bool>> colours;
    int closed = 0;
    explicit CHubLog(CQuillmarkSignals& hub) {
        hub.ConnectColorChanged(
            [this](quint32 colour, bool isText) { colours.emplace_back(colour, isText); });
        hub.ConnectPaletteClosed([this] { ++closed; });
    }
};

std::shared_ptr<CPaletteLoader> BuiltPlugin() {
    return std::make_shared<CPaletteLoader>(QStringLiteral(TINTORA_BUILT_LIBRARY));
}

void Type(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    if (text.isEmpty()) {
        QTest::keyClick(edit, Qt::Key_Backspace);
    } else {
        QTest::keyClicks(edit, text);
    }
}

}  // namespace

TEST(PaletteHtml, ParsesGoodTextAndRefusesTheRest) {
    EXPECT_EQ(HtmlColourText(0x3C2B1A), QStringLiteral("#1A2B3C"));
    EXPECT_EQ(HtmlColourText(0x000000), QStringLiteral("#000000"));
    EXPECT_EQ(HtmlColourText(0xFFFFFF), QStringLiteral("#FFFFFF"));
    EXPECT_EQ(ParseHtmlColour(QStringLiteral("#1A2B3C")), std::optional<quint32>(0x3C2B1A));
    EXPECT_EQ(ParseHtmlColour(QStringLiteral("1a2b3c")), std::optional<quint32>(0x3C2B1A));
    EXPECT_EQ(ParseHtmlColour(QStringLiteral("  #ff0000 ")), std::optional<quint32>(0x0000FF));
    for (const char* bad : {"", "#", "#12345", "#1234567", "#GG0000", "#12 345", "#+12345",
                            "0x123456", "#-12345", "##123456", "#１２３４５６"}) {
        EXPECT_EQ(ParseHtmlColour(QString::fromUtf8(bad)), std::nullopt) << bad;
    }
}

TEST(PaletteModel, ChannelFieldsClampAndRebuildTheColour) {
    CPaletteModel model;
    QSignalSpy picked(&model, &CPaletteModel::Picked);
    model.Reset(QStringLiteral("Background Color"), 0x102030, false);
    EXPECT_EQ(picked.count(), 0);
    EXPECT_EQ(model.ChannelEdited(Channel::Red, QStringLiteral("300")), QStringLiteral("255"));
    EXPECT_EQ(model.Colour(), 0x1020FFu);
    EXPECT_EQ(model.ChannelEdited(Channel::Green, QString()), QStringLiteral("0"));
    EXPECT_EQ(model.Colour(), 0x1000FFu);
    EXPECT_EQ(model.ChannelEdited(Channel::Blue, QStringLiteral("7")), QStringLiteral("7"));
    EXPECT_EQ(model.Colour(), 0x0700FFu);
    ASSERT_EQ(picked.count(), 3);
    EXPECT_EQ(picked[2][0].value<quint32>(), 0x0700FFu);
    EXPECT_FALSE(picked[2][1].toBool());
    // The same value again picks nothing; bad HTML text changes nothing.
    model.ChannelEdited(Channel::Blue, QStringLiteral("007"));
    EXPECT_FALSE(model.HtmlEdited(QStringLiteral("#12")));
    EXPECT_EQ(picked.count(), 3);
    EXPECT_TRUE(model.HtmlEdited(QStringLiteral("#010203")));
    EXPECT_EQ(model.Colour(), 0x030201u);
    EXPECT_EQ(picked.count(), 4);
}

TEST(PalettePopup, FieldsControlAndHubAgree) {
    CQuillmarkSignals hub;
    CHubLog log(hub);
    auto loader = BuiltPlugin();
    ASSERT_TRUE(loader->IsLoaded()) << loader->ErrorText().toStdString();
    CPaletteWnd popup(hub, loader);
    popup.ShowFor(nullptr, QStringLiteral("Foreground Color"), 0x0000FF, true);
    CPaletteDlg* dlg = popup.Dialog();
    ASSERT_NE(dlg->Control(), nullptr);
    EXPECT_EQ(dlg->Fallback(), nullptr);
    EXPECT_EQ(dlg->Group()->title(), QStringLiteral("Foreground Color"));
    EXPECT_TRUE(dlg->Group()->font().bold());
    EXPECT_EQ(dlg->ChannelField(Channel::Red)->text(), QStringLiteral("255"));
    EXPECT_EQ(dlg->HtmlField()->text(), QStringLiteral("#FF0000"));
    EXPECT_EQ(dlg->Control()->property("SelectedColor").toUInt(), 0x0000FFu);
    EXPECT_EQ(dlg->ReadOut(Channel::Red)->text(), QStringLiteral("255"));
    EXPECT_TRUE(log.colours.empty());

    // A pick on the control fills the fields and reaches the hub; hovering
    // only fills the read-outs.
    QMetaObject::invokeMethod(dlg->Control(), "ColorChange", Q_ARG(uint, 0x336699u));
    EXPECT_EQ(dlg->ChannelField(Channel::Red)->text(), QStringLiteral("153"));
    EXPECT_EQ(dlg->ChannelField(Channel::Green)->text(), QStringLiteral("102"));
    EXPECT_EQ(dlg->ChannelField(Channel::Blue)->text(), QStringLiteral("51"));
    EXPECT_EQ(dlg->HtmlField()->text(), QStringLiteral("#996633"));
    ASSERT_EQ(log.colours.size(), 1u);
    EXPECT_EQ(log.colours[0], std::make_pair(quint32(0x336699), true));
    // The read-out shows the colour picked, and the one under the mouse
    // while it is over the palette.
    EXPECT_EQ(dlg->ReadOut(Channel::Red)->text(), QStringLiteral("153"));
    EXPECT_EQ(dlg->ReadOut(Channel::Blue)->text(), QStringLiteral("51"));
    QMetaObject::invokeMethod(dlg->Control(), "ColorOver", Q_ARG(uint, 0x0A0B0Cu));
    EXPECT_EQ(dlg->ReadOut(Channel::Red)->text(), QStringLiteral("12"));
    EXPECT_EQ(dlg->ReadOut(Channel::Blue)->text(), QStringLiteral("10"));
    EXPECT_EQ(dlg->ChannelField(Channel::Red)->text(), QStringLiteral("153"));
    EXPECT_EQ(log.colours.size(), 1u);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(dlg->Control(), &leave);
    EXPECT_EQ(dlg->ReadOut(Channel::Red)->text(), QStringLiteral("153"));

    // Typing: 300 shows 255, an emptied field shows a selected 0; each
    // change goes to the control and the hub.
    Type(dlg->ChannelField(Channel::Red), QStringLiteral("300"));
    EXPECT_EQ(dlg->ChannelField(Channel::Red)->text(), QStringLiteral("255"));
    Type(dlg->ChannelField(Channel::Green), QString());
    EXPECT_EQ(dlg->ChannelField(Channel::Green)->text(), QStringLiteral("0"));
    EXPECT_EQ(dlg->ChannelField(Channel::Green)->selectedText(), QStringLiteral("0"));
    EXPECT_EQ(dlg->HtmlField()->text(), QStringLiteral("#FF0033"));
    EXPECT_EQ(dlg->ReadOut(Channel::Blue)->text(), QStringLiteral("51"));
    EXPECT_EQ(dlg->Control()->property("SelectedColor").toUInt(), 0x3300FFu);
    EXPECT_EQ(log.colours.back(), std::make_pair(quint32(0x3300FF), true));
    Type(dlg->HtmlField(), QStringLiteral("#00ff80"));
    EXPECT_EQ(dlg->ChannelField(Channel::Blue)->text(), QStringLiteral("128"));
    EXPECT_EQ(log.colours.back(), std::make_pair(quint32(0x80FF00), true));
    const std::size_t before = log.colours.size();
    Type(dlg->HtmlField(), QStringLiteral("#zz"));
    EXPECT_EQ(log.colours.size(), before);
    EXPECT_EQ(dlg->ChannelField(Channel::Blue)->text(), QStringLiteral("128"));

    popup.ClosePopup();
    popup.ClosePopup();
    EXPECT_EQ(log.closed, 1);
}

TEST(PalettePopup, WithoutThePluginTheColourDialogStandsInAndTheStatusSaysWhyOnce) {
    CQuillmarkSignals hub;
    CHubLog log(hub);
    auto loader = std::make_shared<CPaletteLoader>(QStringLiteral("/nonexistent/libtintora.so.1"));
    EXPECT_FALSE(loader->IsLoaded());
    QStringList told;
    CPaletteWnd popup(hub, loader, [&told](const QString& text) { told << text; });
    popup.ShowFor(nullptr, QStringLiteral("Background Color"), 0xFFFFFF, false);
    ASSERT_NE(popup.Dialog()->Fallback(), nullptr);
    EXPECT_EQ(popup.Dialog()->Control(), nullptr);
    EXPECT_TRUE(log.colours.empty());
    popup.Dialog()->Fallback()->setCurrentColor(QColor(0x12, 0x34, 0x56));
    ASSERT_EQ(log.colours.size(), 1u);
    EXPECT_EQ(log.colours[0], std::make_pair(quint32(0x563412), false));
    EXPECT_EQ(popup.Dialog()->HtmlField()->text(), QStringLiteral("#123456"));
    Type(popup.Dialog()->ChannelField(Channel::Red), QStringLiteral("0"));
    EXPECT_EQ(popup.Dialog()->Fallback()->currentColor(), QColor(0, 0x34, 0x56));
    EXPECT_EQ(log.colours.size(), 2u);
    popup.ClosePopup();
    popup.ShowFor(nullptr, QStringLiteral("Foreground Color"), 0, true);
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0].contains(QStringLiteral("could not be loaded"))) << told[0].toStdString();
}

TEST(PalettePopup, OpensBelowTheButtonOrAboveItAtTheBottomOfTheWorkArea) {
    const QRect work(0, 0, 1600, 900);
    const QSize size(420, 380);
    EXPECT_EQ(CPaletteWnd::Placement(QRect(100, 200, 30, 24), size, work), QPoint(100, 224));
    // Below would cross the bottom: the pop-up's bottom edge meets the
    // button's top edge.
    EXPECT_EQ(CPaletteWnd::Placement(QRect(100, 600, 30, 24), size, work), QPoint(100, 220));
    // Just fits below.
    EXPECT_EQ(CPaletteWnd::Placement(QRect(100, 496, 30, 24), size, work), QPoint(100, 520));
}

TEST(PalettePopup, AClickOnAnotherOpenerIsThatButtonsToHandle) {
    CQuillmarkSignals hub;
    CHubLog log(hub);
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* text = new QPushButton(QStringLiteral("Text"), &window);
    auto* back = new QPushButton(QStringLiteral("Background"), &window);
    layout->addWidget(text);
    layout->addWidget(back);
    window.show();
    CPaletteWnd popup(hub, BuiltPlugin());
    popup.SetOpeners({text, back});
    popup.ShowFor(text, QStringLiteral("Foreground Color"), 0, true);
    QTest::mousePress(back, Qt::LeftButton);
    EXPECT_TRUE(popup.IsShown());
    EXPECT_EQ(log.closed, 0);
    QTest::mouseRelease(back, Qt::LeftButton);
}

TEST(PalettePopup, AClickOutsideClosesItButOneOnTheOwnerButtonDoesNot) {
    CQuillmarkSignals hub;
    CHubLog log(hub);
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* owner = new QPushButton(QStringLiteral("Text"), &window);
    auto* other = new QPushButton(QStringLiteral("Other"), &window);
    layout->addWidget(owner);
    layout->addWidget(other);
    window.show();
    CPaletteWnd popup(hub, BuiltPlugin());
    popup.ShowFor(owner, QStringLiteral("Foreground Color"), 0, true);
    ASSERT_TRUE(popup.IsShown());
    EXPECT_TRUE(popup.IsTextColourTarget());
    EXPECT_EQ(popup.Dialog()->ChannelField(Channel::Red), popup.focusWidget());

    QTest::mouseClick(owner, Qt::LeftButton);
    QTest::mouseClick(popup.Dialog()->ChannelField(Channel::Blue), Qt::LeftButton);
    EXPECT_TRUE(popup.IsShown());
    EXPECT_EQ(log.closed, 0);

    QTest::mouseClick(other, Qt::RightButton);
    EXPECT_FALSE(popup.IsShown());
    EXPECT_EQ(log.closed, 1);
    // Hidden, it watches no more clicks.
    QTest::mouseClick(other, Qt::LeftButton);
    EXPECT_EQ(log.closed, 1);
    // Escape closes it too.
    popup.ShowFor(owner, QStringLiteral("Foreground Color"), 0, true);
    QTest::keyClick(popup.Dialog()->ChannelField(Channel::Red), Qt::Key_Escape);
    EXPECT_FALSE(popup.IsShown());
    EXPECT_EQ(log.closed, 2);
}

TEST(PaletteLoader, FindsThePluginInstalledBesideTheProgram) {
    QTemporaryDir prefix;
    ASSERT_TRUE(prefix.isValid());
    QProcess install;
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(QStringLiteral(TINTORA_CMAKE),
                  {QStringLiteral("--install"), QStringLiteral(TINTORA_BUILD_TREE),
                   QStringLiteral("--component"), QStringLiteral("Tintora"),
                   QStringLiteral("--prefix"), prefix.path()});
    ASSERT_TRUE(install.waitForFinished(60000));
    ASSERT_EQ(install.exitCode(), 0) << install.readAll().toStdString();
    ASSERT_TRUE(QDir(prefix.path()).mkpath(QStringLiteral("bin")));
    const QStringList candidates =
        CPaletteLoader::CandidatePaths(prefix.path() + QStringLiteral("/bin"));
    ASSERT_FALSE(candidates.isEmpty());
    ASSERT_TRUE(QFileInfo::exists(candidates[0])) << candidates[0].toStdString();
    // The package a program builds against is there too.
    const QString libDir = QFileInfo(candidates[0]).absolutePath();
    EXPECT_TRUE(QFileInfo::exists(libDir + QStringLiteral("/cmake/Tintora/TintoraConfig.cmake")));
    EXPECT_TRUE(
        QFileInfo::exists(prefix.path() + QStringLiteral("/include/Tintora/PaletteCtrl.h")));
    CPaletteLoader loader(candidates[0]);
    EXPECT_TRUE(loader.IsLoaded()) << loader.ErrorText().toStdString();
    EXPECT_EQ(QPluginLoader(candidates[0]).metaData().value(QStringLiteral("IID")).toString(),
              QStringLiteral("Tintora.PaletteCtrl/1.0"));
    std::unique_ptr<QWidget> ctrl(loader.CreateControl(nullptr));
    ASSERT_NE(ctrl, nullptr);
    EXPECT_EQ(ctrl->metaObject()->className(), QByteArray("Tintora::CPaletteCtrl"));

    // The build folder is the last place looked in.
    EXPECT_TRUE(QFileInfo(candidates.back()).exists());
    CPaletteLoader refused(QStringLiteral(TINTORA_CMAKE));
    EXPECT_FALSE(refused.IsLoaded());
    EXPECT_FALSE(refused.ErrorText().isEmpty());
}
