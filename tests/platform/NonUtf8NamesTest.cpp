// A font whose name is not UTF-8 ("caf\xe9.ttf" in "d\xe9j\xe0") is
// installed, trashed, renamed and dragged as any other.

#include <gtest/gtest.h>

#include <QUrl>

#include <filesystem>
#include <fstream>
#include <iterator>

#include <unistd.h>

#include "core/PathText.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/desktop/FileTransfer.h"
#include "platform/desktop/Trash.h"
#include "tests/support/TemporaryHome.h"

using namespace Quillmark;
namespace fs = std::filesystem;

namespace {

const auto& kHome = QuillmarkTest::TemporaryHome();

std::string Bytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A real font copied to "<home>/<sub>/d\xe9j\xe0/caf\xe9.ttf".
fs::path PlantFont(const char* sub) {
    const fs::path folder = kHome.Root() / sub / "d\xe9j\xe0";
    fs::create_directories(folder);
    const fs::path font = folder / "caf\xe9.ttf";
    fs::copy_file(fs::path(QUILLMARK_TEST_DATA) / "arrows.ttf", font,
                  fs::copy_options::overwrite_existing);
    return font;
}

}  // namespace

TEST(NonUtf8NamesTest, InstallCopiesTheFileUnderItsOwnBytes) {
    const fs::path font = PlantFont("install");
    const fs::path fonts = kHome.Root() / "install-fonts";
    ASSERT_FALSE(Platform::MakeFolders(fonts));
    const Platform::TransferResult result = Platform::TransferFiles(
        {PathText(font)}, PathText(fonts), Platform::TransferMode::Copy, {});
    EXPECT_TRUE(result.Succeeded()) << result.failure.toStdString();
    ASSERT_EQ(result.created.size(), 1);
    EXPECT_EQ(FilePath(result.created.front()), fonts / "caf\xe9.ttf");
    EXPECT_EQ(Bytes(fonts / "caf\xe9.ttf"), Bytes(font));
}

TEST(NonUtf8NamesTest, DeleteMovesToTheTrashWithThePathsBytesPercentEncoded) {
    const fs::path font = PlantFont("trash");
    const auto outcomes = Platform::MoveToTrash({font});
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_TRUE(outcomes[0].moved) << outcomes[0].moved.Failure().Reason();
    EXPECT_FALSE(Platform::EntryExists(font));
    const fs::path trash = Platform::DataHome() / "Trash";
    EXPECT_TRUE(Platform::IsRegularFile(trash / "files" / "caf\xe9.ttf"));
    const std::string info = Bytes(trash / "info" / "caf\xe9.ttf.trashinfo");
    const std::string encoded = Platform::PercentEncodePath(font.native());
    EXPECT_NE(encoded.find("d%E9j%E0/caf%E9.ttf"), std::string::npos) << encoded;
    EXPECT_NE(info.find("[Trash Info]\nPath=" + encoded + "\n"), std::string::npos) << info;
    EXPECT_NE(info.find("DeletionDate="), std::string::npos);
}

TEST(NonUtf8NamesTest, RenameNeverReplacesAndKeepsTheBytes) {
    const fs::path font = PlantFont("rename");
    const fs::path other = font.parent_path() / "other\xff.ttf";
    ASSERT_FALSE(Platform::RenameNoReplace(font, other));
    EXPECT_TRUE(Platform::IsRegularFile(other));
    EXPECT_FALSE(Platform::EntryExists(font));
    // Onto a name that is taken: refused, both stay.
    PlantFont("rename");
    EXPECT_EQ(Platform::RenameNoReplace(font, other).value(), EEXIST);
    EXPECT_TRUE(Platform::EntryExists(font));
    // An empty folder is never replaced either.
    const fs::path empty = font.parent_path() / "vide\xe9";
    ASSERT_FALSE(Platform::MakeFolder(empty));
    const fs::path folder = font.parent_path() / "dossier\xe9";
    ASSERT_FALSE(Platform::MakeFolder(folder));
    EXPECT_EQ(Platform::RenameNoReplace(folder, empty).value(), EEXIST);
}

TEST(NonUtf8NamesTest, ADragCarriesTheBytesPercentEncodedAndADropGetsThemBack) {
    const fs::path font = PlantFont("drag");
    const QUrl url = FileUrl(font);
    const QByteArray encoded = url.toEncoded();
    EXPECT_TRUE(encoded.endsWith("/d%E9j%E0/caf%E9.ttf")) << encoded.toStdString();
    EXPECT_EQ(UrlFilePath(QUrl::fromEncoded(encoded)), font);
    EXPECT_EQ(FilePath(UrlPathText(url)), font);
    // A UTF-8 name with a space comes back as it is too.
    const fs::path plain = "/tmp/Caf\xc3\xa9 Bold.ttf";
    EXPECT_EQ(UrlFilePath(QUrl::fromEncoded(FileUrl(plain).toEncoded())), plain);
}

TEST(NonUtf8NamesTest, AFileIsWrittenWholeOrNotAtAll) {
    const fs::path folder = kHome.Root() / "whole\xe9";
    ASSERT_FALSE(Platform::MakeFolders(folder));
    const fs::path file = folder / "store\xe9.xml";
    ASSERT_FALSE(Platform::WriteFileWhole(file, "old"));
    Platform::WholeFileOptions failing;
    failing.write = [](int fd, std::string_view) {
        (void)::write(fd, "ne", 2);
        return std::error_code(ENOSPC, std::system_category());
    };
    EXPECT_EQ(Platform::WriteFileWhole(file, "new", failing).value(), ENOSPC);
    EXPECT_EQ(Bytes(file), "old");
    std::size_t entries = 0;
    Platform::ListFolder(folder, [&](const Platform::CFolderEntry&) { return ++entries, true; });
    EXPECT_EQ(entries, 1u) << "no temporary file is left";
    ASSERT_FALSE(Platform::WriteFileWhole(file, "new"));
    EXPECT_EQ(Bytes(file), "new");
}

TEST(NonUtf8NamesTest, OneRuleSaysWhatIsAFontFile) {
    EXPECT_TRUE(Platform::IsFontFileName("caf\xe9.ttf"));
    EXPECT_TRUE(Platform::IsFontFileName("A.OTF"));
    EXPECT_FALSE(Platform::IsFontFileName(".ttf"));
    EXPECT_TRUE(Platform::IsFontFileName("a.ttc"));
    EXPECT_TRUE(Platform::IsFontFileName("a.OTC"));
    EXPECT_TRUE(Platform::IsFontFileName("a.Woff"));
    EXPECT_TRUE(Platform::IsFontFileName("a.WOFF2"));
    EXPECT_FALSE(Platform::IsFontFileName(".woff2"));
    EXPECT_FALSE(Platform::IsFontFileName("a.woff3"));
    EXPECT_FALSE(Platform::IsFontFileName("a.ttf.part"));
    EXPECT_FALSE(Platform::IsFontFileName("attf"));
}
