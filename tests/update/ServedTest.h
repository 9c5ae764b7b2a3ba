#pragma once

// The fixture of the download tests: a local HTTPS server this process
// trusts, and no download folder left by an earlier test.

#include <gtest/gtest.h>

#include <QDir>

#include "tests/update/TestHttpsServer.h"
#include "update/OnlineRelease.h"

namespace QuillmarkTest {

class CServedTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_server.IsReady()) << "openssl could not make the test certificate";
        m_server.Trust();
        QDir(Quillmark::COnlineRelease::DownloadFolder()).removeRecursively();
    }
    void TearDown() override { m_server.CloseAll(); }

    CTestHttpsServer m_server;
};

}  // namespace QuillmarkTest
