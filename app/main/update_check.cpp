// SPDX-License-Identifier: MIT
#include "update_check.h"

#include "private_profile.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <cstdio>

namespace scriba8::app {
namespace {

constexpr const char* kProductSection = "Scriba8_T3Plus";
constexpr std::uint32_t kChinaEdition = 1;

} // namespace

std::string UpdateServerFromSettings(const std::string& settingsPath) {
    std::string server = ReadProfileString(settingsPath, "Setting", "UpdateServer", "");
    return server.empty() ? std::string(kDefaultUpdateServer) : server;
}

std::string VersionText(std::uint32_t version) {
    char text[32];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", version >> 24, (version >> 16) & 0xFF,
                  (version >> 8) & 0xFF, version & 0xFF);
    return text;
}

ServerRelease ReadVersionFile(std::string_view text, std::uint32_t edition) {
    const PrivateProfile file = PrivateProfile::FromText(text);
    const bool china = edition == kChinaEdition;
    ServerRelease release;
    // Values end up in 256-character areas on the original platform.
    const auto read = [&](const char* key) {
        std::string value = file.GetString(kProductSection, key, kMissingValue);
        if (value.size() > 255) value.resize(255);
        return value;
    };
    release.version = read(china ? "China_Version" : "Universal_Version");
    release.url = read(china ? "China_URL" : "Universal_URL");
    return release;
}

bool IsWebAddress(const std::string& url) {
    const QUrl parsed(QString::fromStdString(url), QUrl::StrictMode);
    const QString scheme = parsed.scheme().toLower();
    return parsed.isValid() && !parsed.host().isEmpty() &&
           (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

UpdateOutcome CompareRelease(const ServerRelease& release, const std::string& localVersion) {
    if (release.version == kMissingValue) return UpdateOutcome::serverInfoError;
    return release.version == localVersion ? UpdateOutcome::upToDate : UpdateOutcome::newVersion;
}

UpdateChecker::UpdateChecker(QObject* parent)
    : QObject(parent), network_(new QNetworkAccessManager(this)) {}

UpdateChecker::~UpdateChecker() { abandon(); }

void UpdateChecker::start(const Request& request) {
    abandon();
    request_ = request;
    body_.clear();
    QString server = request.server;
    while (server.endsWith(QLatin1Char('/')))
        server.chop(1);
    QNetworkRequest get(QUrl(server + QString::fromLatin1(kVersionFilePath)));
    get.setTransferTimeout(request.timeoutMs);
    reply_ = network_->get(get);
    connect(reply_, &QNetworkReply::readyRead, this, &UpdateChecker::received);
    connect(reply_, &QNetworkReply::finished, this, &UpdateChecker::downloaded);
}

// Takes what arrived, one byte past the limit at most: a reply that reaches
// it is given up at once rather than held in memory. An error page is no
// version file, whatever its length: it is read past and not kept.
void UpdateChecker::received() {
    if (!reply_->isReadable()) return;
    if (const int status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        status != 0 && status != 200) {
        reply_->skip(reply_->bytesAvailable());
        return;
    }
    body_ += reply_->read(kLargestVersionFile + 1 - body_.size());
    if (body_.size() <= kLargestVersionFile) return;
    abandon();
    UpdateCheckResult result;
    result.outcome = UpdateOutcome::serverInfoError;
    finish(result);
}

void UpdateChecker::downloaded() {
    received();
    if (reply_ == nullptr) return; // too large: already finished
    QNetworkReply* reply = reply_;
    reply_ = nullptr;
    reply->deleteLater();

    UpdateCheckResult result;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->error() == QNetworkReply::NoError && (status == 0 || status == 200)) {
        result.release = ReadVersionFile(
            std::string_view(body_.constData(), static_cast<std::size_t>(body_.size())),
            request_.edition);
        result.outcome = CompareRelease(result.release, VersionText(request_.libraryVersion));
    }
    body_.clear();
    finish(result);
}

void UpdateChecker::abandon() {
    if (reply_ == nullptr) return;
    reply_->disconnect(this);
    reply_->abort();
    reply_->deleteLater();
    reply_ = nullptr;
    body_.clear();
}

void UpdateChecker::finish(UpdateCheckResult result) { emit finished(result); }

} // namespace scriba8::app
