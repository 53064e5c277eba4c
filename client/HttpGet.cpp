#include "HttpGet.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QUrl>

namespace {

// A description of the failure that never quotes the address: Qt's own
// errorString() does, and an address may carry a password.
QString describe(QNetworkReply::NetworkError error) {
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
        return QStringLiteral("connection refused");
    case QNetworkReply::RemoteHostClosedError:
        return QStringLiteral("connection closed by the server");
    case QNetworkReply::HostNotFoundError:
        return QStringLiteral("host not found");
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError:
        return QStringLiteral("timed out");
    default:
        return QStringLiteral("network error %1").arg(int(error));
    }
}

} // namespace

QList<HttpResult> IHttpGet::getAll(const QList<QByteArray>& addresses, const Arrival& arrived) {
    QList<HttpResult> results;
    results.reserve(addresses.size());
    for (int i = 0; i < addresses.size(); ++i) {
        results.append(get(addresses[i]));
        if (arrived)
            arrived(i, results.last());
    }
    return results;
}

struct QtHttpGet::Impl {
    int timeoutMs;
    qint64 maxReplyBytes;
    QNetworkAccessManager* manager = nullptr;
};

QtHttpGet::QtHttpGet(int timeoutMs, qint64 maxReplyBytes)
    : m_impl(new Impl{timeoutMs, maxReplyBytes}) {}

QtHttpGet::~QtHttpGet() {
    delete m_impl->manager;
    delete m_impl;
}

HttpResult QtHttpGet::get(const QByteArray& address) {
    HttpResult result;
    // The address is already encoded; strict parsing keeps its percent
    // escapes (GBK bytes that are not UTF-8 included) exactly as they are.
    const QUrl url = QUrl::fromEncoded(address, QUrl::StrictMode);
    if (!url.isValid() || url.scheme() != QLatin1String("http") || url.host().isEmpty()) {
        result.error = QStringLiteral("invalid address");
        return result;
    }

    if (!m_impl->manager) {
        // Created on first use, in the thread that makes the requests.
        m_impl->manager = new QNetworkAccessManager;
        m_impl->manager->setProxy(QNetworkProxy::NoProxy);
        m_impl->manager->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    }

    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setTransferTimeout(m_impl->timeoutMs);

    QNetworkReply* reply = m_impl->manager->get(request);
    bool tooLarge = false;
    const qint64 cap = m_impl->maxReplyBytes;
    const auto checkSize = [reply, cap, &tooLarge](qint64 received, qint64 total) {
        if (!tooLarge && (received > cap || total > cap)) {
            tooLarge = true;
            reply->abort();
        }
    };
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply, checkSize);
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [reply, checkSize] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid())
            checkSize(0, length.toLongLong());
    });

    if (!reply->isFinished()) {
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        // Windows keep repainting, but the user cannot start a second request.
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }

    result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (tooLarge) {
        result.error = QStringLiteral("reply larger than %1 bytes").arg(cap);
    } else if (reply->error() != QNetworkReply::NoError &&
               reply->error() < QNetworkReply::ContentAccessDenied) {
        // Transport failures; HTTP error statuses are judged below by status.
        result.error = describe(reply->error());
    } else if (result.status < 200 || result.status > 299) {
        result.error = QStringLiteral("HTTP status %1").arg(result.status);
    } else if (reply->error() != QNetworkReply::NoError) {
        result.error = describe(reply->error());
    } else {
        result.body = reply->readAll();
        if (result.body.size() > cap) {
            result.body.clear();
            result.error = QStringLiteral("reply larger than %1 bytes").arg(cap);
        } else {
            result.ok = true;
        }
    }
    delete reply; // finished: no signal of it is running
    return result;
}
