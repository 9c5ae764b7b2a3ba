#pragma once

// Waits, running the event loop, until `condition` holds or the time is
// up; whether it holds at the end.

#include <QElapsedTimer>
#include <QTest>
#include <functional>

namespace QuillmarkTest {

inline bool WaitUntil(const std::function<bool()>& condition, int milliseconds = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < milliseconds) {
        QTest::qWait(10);
    }
    return condition();
}

}  // namespace QuillmarkTest
