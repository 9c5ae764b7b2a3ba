// The back and forward history.

#include <gtest/gtest.h>

#include "collections/HistoryList.h"

using namespace Quillmark;

TEST(HistoryListTest, VisitingAfterGoingBackDropsTheForwardEntries) {
    CHistoryList history;
    EXPECT_FALSE(history.CanGoBack());
    EXPECT_FALSE(history.CanGoForward());
    history.AddLocation(CLocation::Folder, "A");
    EXPECT_FALSE(history.CanGoBack()) << "the first entry";
    history.AddLocation(CLocation::Folder, "B");
    history.AddLocation(CLocation::Project, "C");
    EXPECT_EQ(history.GoBack()->name, "B");
    EXPECT_EQ(history.GoBack()->name, "A");
    EXPECT_FALSE(history.GoBack().has_value());
    EXPECT_TRUE(history.CanGoForward());
    EXPECT_EQ(history.GoForward(), (CLocation{CLocation::Folder, "B"}));
    EXPECT_EQ(history.GoForward(), (CLocation{CLocation::Project, "C"}));
    EXPECT_FALSE(history.GoForward().has_value());
    history.GoBack();
    history.GoBack();
    history.AddLocation(CLocation::Folder, "D");
    EXPECT_EQ(history.Count(), 2u);
    EXPECT_EQ(history.Current()->name, "D");
    EXPECT_FALSE(history.CanGoForward());
    EXPECT_EQ(history.GoBack()->name, "A");
}

TEST(HistoryListTest, RepeatedVisitsAreKept) {
    CHistoryList history;
    history.AddLocation(CLocation::Folder, "/f");
    history.AddLocation(CLocation::Folder, "/f");
    EXPECT_EQ(history.Count(), 2u);
    EXPECT_EQ(history.GoBack()->name, "/f");
}

TEST(HistoryListTest, GoBackAndForgetDropsTheEntryLeft) {
    CHistoryList history;
    history.AddLocation(CLocation::Folder, "A");
    history.AddLocation(CLocation::Project, "P");
    history.AddLocation(CLocation::Folder, "B");
    history.GoBack();  // at P, B ahead
    EXPECT_EQ(history.GoBackAndForget(), (CLocation{CLocation::Folder, "A"}));
    EXPECT_EQ(history.Count(), 1u);
    EXPECT_FALSE(history.CanGoForward());
    // The only entry: forgetting empties the history and returns nothing.
    EXPECT_FALSE(history.GoBackAndForget().has_value());
    EXPECT_EQ(history.Count(), 0u);
    EXPECT_FALSE(history.Current().has_value());
    EXPECT_FALSE(history.CanGoBack());
    history.AddLocation(CLocation::Folder, "E");
    EXPECT_EQ(history.Current()->name, "E");
}
