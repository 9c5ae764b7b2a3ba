#include "update/Transfer.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <algorithm>
#include <deque>
#include <memory>
#include <utility>

#include "update/TlsTrust.h"

namespace Quillmark {

namespace {

constexpr qint64 kChunkBytes = 64 * 1024;
constexpr int kCancelPollMilliseconds = 50;
// Samples of the received count taken in a floor window.
constexpr int kFloorSamples = 10;

QNetworkRequest MakeRequest(const QUrl& url, const TransferRules& rules) {
    QNetworkRequest request(url);
    // Never from https down to http.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    // Uncompressed, so that the length announced is the length that arrives.
    request.setRawHeader("Accept-Encoding", "identity");
    request.setTransferTimeout(rules.stallMilliseconds);
    request.setSslConfiguration(UpdateTlsConfiguration());
    return request;
}

// The received count over the last floor window: too little of it, and the
// transfer is too slow.
class CSpeedFloor {
public:
    explicit CSpeedFloor(const TransferRules& rules)
        : m_bytesPerSecond(rules.floorBytesPerSecond), m_window(rules.floorWindowMilliseconds) {
        m_clock.start();
        m_samples.emplace_back(0, 0);
    }
    bool Active() const { return m_bytesPerSecond > 0 && m_window > 0; }
    int SampleInterval() const { return std::max(10, m_window / kFloorSamples); }

    // Takes a sample; true when the bytes of the last whole window fall
    // short of the floor.
    bool TooSlow(qint64 received) {
        const qint64 now = m_clock.elapsed();
        m_samples.emplace_back(now, received);
        // The newest sample that is at least a window old starts the span.
        while (m_samples.size() >= 2 && m_samples[1].first <= now - m_window) {
            m_samples.pop_front();
        }
        const auto [since, before] = m_samples.front();
        const qint64 span = now - since;
        return span >= m_window && (received - before) * 1000 < m_bytesPerSecond * span;
    }

private:
    qint64 m_bytesPerSecond;
    int m_window;
    QElapsedTimer m_clock;
    std::deque<std::pair<qint64, qint64>> m_samples;  // (milliseconds, bytes received)
};

}  // namespace

TransferEnd Transfer(const QUrl& url, const TransferRules& rules, const TransferCancelTest& cancel,
                     const TransferHandlers& handlers) {
    if (url.scheme() != QLatin1String("https")) {
        return TransferEnd::Failed;
    }
    QNetworkAccessManager manager;
    std::unique_ptr<QNetworkReply> reply(manager.get(MakeRequest(url, rules)));
    // Read as it comes, not gathered in memory first.
    reply->setReadBufferSize(kChunkBytes);
    QEventLoop loop;
    TransferEnd end = TransferEnd::Done;
    bool begun = false;
    qint64 total = -1;
    qint64 received = 0;

    const auto stop = [&](TransferEnd why) {
        if (end == TransferEnd::Done) {
            end = why;
        }
        reply->abort();
        loop.quit();
    };
    const auto pump = [&] {
        if (end != TransferEnd::Done) {
            return;
        }
        if (cancel && cancel()) {
            stop(TransferEnd::Canceled);
            return;
        }
        if (reply->error() != QNetworkReply::NoError) {
            return;  // ends when the reply finishes
        }
        if (!begun) {
            const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
            if (!status.isValid()) {
                return;  // the headers are not in yet
            }
            begun = true;
            const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
            total = length.isValid() ? length.toLongLong() : -1;
            if (status.toInt() != 200 || (rules.requireLength && total < 0) ||
                (rules.maxLength >= 0 && total > rules.maxLength) ||
                (handlers.begin && !handlers.begin(*reply, total))) {
                stop(TransferEnd::Failed);
                return;
            }
        }
        while (reply->bytesAvailable() > 0) {
            const QByteArray piece = reply->read(kChunkBytes);
            received += piece.size();
            if ((total >= 0 && received > total) ||
                (rules.maxLength >= 0 && received > rules.maxLength)) {
                stop(TransferEnd::Failed);
                return;
            }
            if (handlers.sink && !handlers.sink(piece, received, total)) {
                stop(TransferEnd::SinkFailed);
                return;
            }
        }
    };

    QObject::connect(reply.get(), &QNetworkReply::readyRead, &loop, pump);
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, [&] {
        if (reply->error() == QNetworkReply::NoError) {
            pump();
        }
        loop.quit();
    });
    // A stalled transfer is still cancelled at once.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (cancel && cancel()) {
            stop(TransferEnd::Canceled);
        }
    });
    poll.start(kCancelPollMilliseconds);
    CSpeedFloor floor(rules);
    QTimer floorTimer;
    QObject::connect(&floorTimer, &QTimer::timeout, &loop, [&] {
        if (end == TransferEnd::Done && floor.TooSlow(received)) {
            stop(TransferEnd::TooSlow);
        }
    });
    if (floor.Active()) {
        floorTimer.start(floor.SampleInterval());
    }
    if (!reply->isFinished()) {
        loop.exec();
    }
    poll.stop();
    floorTimer.stop();
    QObject::disconnect(reply.get(), nullptr, &loop, nullptr);

    if (end != TransferEnd::Done) {
        return end;
    }
    if (reply->error() != QNetworkReply::NoError || !begun || (total >= 0 && received != total)) {
        return TransferEnd::Failed;
    }
    return TransferEnd::Done;
}

}  // namespace Quillmark
