// SPDX-License-Identifier: MIT
#include "update_check.h"

#include "private_profile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStandardPaths>

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

ServerRelease ReadVersionFile(const std::string& path, std::uint32_t edition) {
    const PrivateProfile file = PrivateProfile::Load(path);
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

QString VersionFileLocation(const QString& moduleFolder) {
    const QFileInfo folder(moduleFolder);
    if (!moduleFolder.isEmpty() && folder.isDir() && folder.isWritable())
        return QDir(moduleFolder).filePath(QString::fromLatin1(kVersionFileName));
    // Several programs may check at once from a shared installation.
    return QDir(QStandardPaths::writableLocation(QStandardPaths::TempLocation))
        .filePath(QStringLiteral("scriba8-%1-%2")
                      .arg(QCoreApplication::applicationPid())
                      .arg(QString::fromLatin1(kVersionFileName)));
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

UpdateChecker::~UpdateChecker() {
    if (reply_ != nullptr) {
        reply_->disconnect(this);
        reply_->abort();
        reply_->deleteLater();
        QFile::remove(request_.versionFilePath);
    }
}

void UpdateChecker::start(const Request& request) {
    if (reply_ != nullptr) {
        reply_->disconnect(this);
        reply_->abort();
        reply_->deleteLater();
        reply_ = nullptr;
    }
    request_ = request;
    QString server = request.server;
    while (server.endsWith(QLatin1Char('/')))
        server.chop(1);
    QNetworkRequest get(QUrl(server + QString::fromLatin1(kVersionFilePath)));
    get.setTransferTimeout(request.timeoutMs);
    reply_ = network_->get(get);
    connect(reply_, &QNetworkReply::finished, this, &UpdateChecker::downloaded);
}

void UpdateChecker::downloaded() {
    QNetworkReply* reply = reply_;
    reply_ = nullptr;
    reply->deleteLater();
    const QString path = request_.versionFilePath;

    UpdateCheckResult result;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->error() != QNetworkReply::NoError || (status != 0 && status != 200)) {
        QFile::remove(path);
        finish(result);
        return;
    }
    QFile file(path);
    const QByteArray body = reply->readAll();
    const bool written = file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                         file.write(body) == body.size() && file.flush();
    file.close();
    if (written) {
        result.release = ReadVersionFile(path.toStdString(), request_.edition);
        result.outcome = CompareRelease(result.release, VersionText(request_.libraryVersion));
    }
    QFile::remove(path);
    finish(result);
}

void UpdateChecker::finish(UpdateCheckResult result) { emit finished(result); }

} // namespace scriba8::app
