// The download's progress on the launcher entry: the LauncherEntry signals
// as a desktop's dock receives them, on a session bus of the test's own.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QVariantMap>
#include <vector>

#include "update/LauncherProgress.h"

using namespace Quillmark;

namespace {

class CDock : public QObject {
    Q_OBJECT

public:
    std::vector<std::pair<QString, QVariantMap>> updates;

public slots:
    void Update(const QString& app, const QVariantMap& properties) {
        updates.emplace_back(app, properties);
    }
};

}  // namespace

TEST(LauncherProgressTest, ShowsAndHidesTheBarOnTheLauncherEntry) {
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (daemon.isEmpty()) {
        GTEST_SKIP() << "no dbus-daemon for a bus of our own";
    }
    QProcess bus;
    bus.start(daemon, {"--session", "--nofork", "--print-address=1"});
    ASSERT_TRUE(bus.waitForReadyRead(10000));
    const QByteArray address = bus.readLine().trimmed();
    ASSERT_FALSE(address.isEmpty());
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    {
        CDock dock;
        ASSERT_TRUE(QDBusConnection::sessionBus().isConnected());
        // The dock is another client of the bus, as a desktop's is: signals
        // reach it in the order they were sent.
        QDBusConnection docks =
            QDBusConnection::connectToBus(QString::fromUtf8(address), QStringLiteral("dock"));
        ASSERT_TRUE(docks.isConnected());
        ASSERT_TRUE(docks.connect(QString(), QString::fromLatin1(CLauncherProgress::kPath),
                                  QString::fromLatin1(CLauncherProgress::kInterface),
                                  QStringLiteral("Update"), &dock,
                                  SLOT(Update(QString, QVariantMap))));
        {
            CLauncherProgress progress;
            progress.Set(0.25);
            progress.Set(0.75);
            ASSERT_TRUE(QTest::qWaitFor([&] { return dock.updates.size() == 2; }, 5000));
        }  // shown: hidden again when it goes
        ASSERT_TRUE(QTest::qWaitFor([&] { return dock.updates.size() == 3; }, 5000));
        EXPECT_EQ(dock.updates[0].first, "application://quillmark.desktop");
        EXPECT_DOUBLE_EQ(dock.updates[0].second.value("progress").toDouble(), 0.25);
        EXPECT_TRUE(dock.updates[0].second.value("progress-visible").toBool());
        EXPECT_DOUBLE_EQ(dock.updates[1].second.value("progress").toDouble(), 0.75);
        EXPECT_FALSE(dock.updates[2].second.value("progress-visible").toBool());

        CLauncherProgress unused;  // never shown: says nothing
        unused.Clear();
        QTest::qWait(100);
        EXPECT_EQ(dock.updates.size(), 3u);
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("dock"));
    QDBusConnection::disconnectFromBus(QStringLiteral("qt_default_session_bus"));
    bus.terminate();
    bus.waitForFinished(5000);
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

#include "LauncherProgressTest.moc"
