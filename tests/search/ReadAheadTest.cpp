// The read-ahead of a search: every font reaches the tester once, in the
// list's order, and each is let go of on the thread that read it before
// ForEach returns.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "fontdata/item/FontItem.h"
#include "search/ReadAhead.h"

using namespace Quillmark;
namespace fs = std::filesystem;

TEST(ReadAheadTest, FontsComeInOrderAndAreLetGoOfWhereTheyWereRead) {
    const std::thread::id tester = std::this_thread::get_id();
    std::mutex mutex;
    std::condition_variable helped;
    std::map<std::string, std::thread::id> readOn;
    std::map<std::string, std::thread::id> freedOn;
    int readByHelpers = 0;

    CReadAhead reader(
        [&](const fs::path& path) {
            const std::string name = path.string();
            {
                std::unique_lock lock(mutex);
                if (std::this_thread::get_id() == tester) {
                    // The tester reads only once the helpers have begun, so
                    // that both kinds of reader are seen.
                    helped.wait_for(lock, std::chrono::seconds(5),
                                    [&] { return readByHelpers > 0; });
                } else {
                    ++readByHelpers;
                    helped.notify_all();
                }
                readOn[name] = std::this_thread::get_id();
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
            return CFontHandle(new CFontItem(path, {}, nullptr), [&, name](CFontItem* item) {
                {
                    std::lock_guard lock(mutex);
                    freedOn[name] = std::this_thread::get_id();
                }
                delete item;
            });
        },
        2);

    for (int round = 0; round < 2; ++round) {  // the reader serves folder after folder
        std::vector<fs::path> files;
        std::vector<std::string> expected;
        for (int i = 0; i < 150; ++i) {
            files.emplace_back("/nonexistent-" + std::to_string(round) + "/f" + std::to_string(i) +
                               ".ttf");
            expected.push_back(files.back().string());
        }
        std::vector<std::string> met;
        reader.ForEach(
            files, [] { return true; },
            [&](const CFontHandle& font) { met.push_back(font->GetPathText()); });
        EXPECT_EQ(met, expected);

        std::lock_guard lock(mutex);
        int helpers = 0;
        for (const std::string& name : expected) {
            ASSERT_EQ(freedOn.count(name), 1u) << name << " still held after ForEach";
            EXPECT_EQ(freedOn[name], readOn[name]) << name;
            helpers += readOn[name] != tester ? 1 : 0;
        }
        EXPECT_GT(helpers, 0);
    }
}
