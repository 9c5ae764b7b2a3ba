#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>

#include "ui/common/PropertiesDialog.h"

using Quillmark::CPropertiesDialog;

namespace {

QString Value(const CPropertiesDialog::Rows& rows, const QString& label) {
    for (const auto& [name, value] : rows) {
        if (name == label)
            return value;
    }
    return "<no row>";
}

}  // namespace

TEST(PropertiesDialogTest, ShowsAFilesAndAFoldersFactsAndTheCallersRows) {
    QTemporaryDir root;
    QDir().mkpath(root.filePath("set/inner"));
    for (const char* name : {"set/a.ttf", "set/inner/b.ttf"}) {
        QFile file(root.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(1500, 'x'));
    }
    QFile::setPermissions(root.filePath("set/a.ttf"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);

    CPropertiesDialog file(root.filePath("set/a.ttf"), {{"Full name:", "Sample Sans Bold"}});
    const auto rows = file.ShownRows();
    EXPECT_EQ(Value(rows, "Name:"), "a.ttf");
    EXPECT_EQ(Value(rows, "Location:"), root.filePath("set"));
    EXPECT_TRUE(Value(rows, "Size:").contains("1,500 bytes") ||
                Value(rows, "Size:").contains("1500 bytes"));
    EXPECT_EQ(Value(rows, "Permissions:"), "rw-r-----");
    EXPECT_EQ(rows.last(), qMakePair(QString("Full name:"), QString("Sample Sans Bold")));
    EXPECT_EQ(file.windowTitle(), "a.ttf Properties");

    CPropertiesDialog folder(root.filePath("set"), {});
    EXPECT_EQ(Value(folder.ShownRows(), "Type:"), "Folder");
    EXPECT_EQ(Value(folder.ShownRows(), "Contains:"), "2 files, 1 folders");
    EXPECT_TRUE(Value(folder.ShownRows(), "Size:").contains("3,000 bytes") ||
                Value(folder.ShownRows(), "Size:").contains("3000 bytes"));

    // Every value can be read by a screen reader under its row's name.
    for (const QLabel* label : file.findChildren<QLabel*>()) {
        if (label->textInteractionFlags() & Qt::TextSelectableByMouse) {
            EXPECT_FALSE(label->accessibleName().isEmpty()) << label->text().toStdString();
        }
    }
}
