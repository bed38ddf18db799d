// SPDX-License-Identifier: MIT
// The update check: the version file from the update server, compared as
// text with the library's version, and the download address it names.
#pragma once

#include "language.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QUrl>

#include <cstdint>
#include <string>
#include <string_view>

class QNetworkAccessManager;
class QNetworkReply;
class QTimer;

namespace scriba8::app {

// The server when the settings name none; the version file is at
// kVersionFilePath on it.
inline constexpr const char* kDefaultUpdateServer = "https://update.vorlane.com";
inline constexpr const char* kVersionFilePath = "/files/Download/Tools/tools_version.ini";
// The version file is a few hundred bytes; a longer reply is not one.
inline constexpr qint64 kLargestVersionFile = 64 * 1024;
// What a missing key reads as.
inline constexpr const char* kMissingValue = "Fail";

// The settings key UpdateServer of the section "Setting", or the default.
std::string UpdateServerFromSettings(const std::string& settingsPath);

// "%d.%d.%d.%d" of the four bytes of a library version, most significant
// first.
std::string VersionText(std::uint32_t version);

// The two values of the version file for an edition: edition 1 reads the
// China_ keys, any other the Universal_ keys; a missing key reads "Fail".
struct ServerRelease {
    std::string version = kMissingValue;
    std::string url = kMissingValue;
};
ServerRelease ReadVersionFile(std::string_view text, std::uint32_t edition);

// Only web addresses are handed to the browser.
bool IsWebAddress(const std::string& url);

enum class UpdateOutcome {
    cannotConnect,   // the download failed or timed out
    serverInfoError, // the version key is missing, or the reply is too large
    newVersion,      // the server's version differs (older counts too)
    upToDate,        // the same text
};

struct UpdateCheckResult {
    UpdateOutcome outcome = UpdateOutcome::cannotConnect;
    ServerRelease release;
};

// The plain text comparison of the server's version with the local one.
UpdateOutcome CompareRelease(const ServerRelease& release, const std::string& localVersion);

// One asynchronous check: download, read, compare. The reply is read in
// memory, never written to a file another user could have put a link in
// the place of. finished() is emitted once, from the event loop, also when
// the server cannot be reached or never answers.
class UpdateChecker : public QObject {
    Q_OBJECT
  public:
    struct Request {
        QString server; // scheme and host, e.g. https://update.example.com
        std::uint32_t libraryVersion = 0;
        std::uint32_t edition = 0;
        int timeoutMs = 10000;
    };

    explicit UpdateChecker(QObject* parent = nullptr);
    ~UpdateChecker() override;

    // Starts a check; a check still running is abandoned.
    void start(const Request& request);
    bool running() const { return reply_ != nullptr; }

  signals:
    void finished(const scriba8::app::UpdateCheckResult& result);

  private:
    void received();
    void downloaded();
    void abandon();
    void finish(UpdateCheckResult result);

    QNetworkAccessManager* network_;
    QNetworkReply* reply_ = nullptr;
    QByteArray body_;
    Request request_;
};

} // namespace scriba8::app
