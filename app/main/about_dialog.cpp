// SPDX-License-Identifier: MIT
#include "about_dialog.h"

#include "private_profile.h"
#include "message_title.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace scriba8::app {
namespace {

constexpr const char* kProductName = "Scriba8 T3Plus";

constexpr TextPair kUpdateCaption{"Update %1", "更新 %1"};
constexpr TextPair kMaker{"vorlane", "沃岚科技"};
constexpr TextPair kCheck{"Check", "检测"};
constexpr TextPair kDownload{"Download", "下载"};
constexpr TextPair kShowUpdateMessage{"Show update message when start", "开启时提示更新"};
constexpr TextPair kHaveNewVersion{"Have new version", "有新版本"};
constexpr TextPair kClickDownload{"Please click Download to update", "请点击下载进行更新"};
constexpr TextPair kCannotConnect{"Can't connect server", "无法连接伺服器"};
constexpr TextPair kServerInfoError{"Server information error", "伺服器资讯错误"};
constexpr TextPair kLatest{"Already the latest version", "已经是最新版本"};

QString text(const TextPair& pair, Language language) {
    const std::string_view t = pair.in(language);
    return QString::fromUtf8(t.data(), static_cast<qsizetype>(t.size()));
}

void openWithBrowser(const UpdateSetup& setup, const std::string& url) {
    const QUrl address(QString::fromStdString(url));
    if (setup.openUrl)
        setup.openUrl(address);
    else
        QDesktopServices::openUrl(address);
}

} // namespace

UpdateChecker::Request CheckRequest(const UpdateSetup& setup) {
    UpdateChecker::Request request;
    request.server = QString::fromStdString(UpdateServerFromSettings(setup.settingsPath));
    request.libraryVersion = setup.libraryVersion;
    request.edition = setup.edition;
    request.timeoutMs = setup.timeoutMs;
    return request;
}

QString NewVersionText(const std::string& serverVersion, Language language) {
    return QStringLiteral("%1(v%2)\n %3")
        .arg(text(kHaveNewVersion, language), QString::fromStdString(serverVersion),
             text(kClickDownload, language));
}

CAboutDlg::CAboutDlg(UpdateSetup setup, QWidget* parent)
    : QDialog(parent), setup_(std::move(setup)), checker_(new UpdateChecker(this)),
      result_(new QLabel(this)), tips_(new QCheckBox(this)), check_(new QPushButton(this)),
      download_(new QPushButton(this)) {
    const Language language = setup_.language;
    setWindowTitle(text(kUpdateCaption, language).arg(QLatin1String(kProductName)));

    auto* icon = new QLabel(this);
    if (parent != nullptr && !parent->windowIcon().isNull())
        icon->setPixmap(parent->windowIcon().pixmap(32, 32));
    const std::uint32_t v = setup_.libraryVersion;
    auto* product = new QLabel(QStringLiteral("%1 v%2.%3.%4.%5")
                                   .arg(QLatin1String(kProductName))
                                   .arg(v >> 24)
                                   .arg((v >> 16) & 0xFF)
                                   .arg((v >> 8) & 0xFF)
                                   .arg(v & 0xFF),
                               this);
    auto* maker = new QLabel(text(kMaker, language), this);
    result_->setAlignment(Qt::AlignCenter);
    result_->setMinimumSize(240, 40);
    result_->setWordWrap(true);
    check_->setText(text(kCheck, language));
    download_->setText(text(kDownload, language));
    download_->setEnabled(false);
    tips_->setText(text(kShowUpdateMessage, language));

    updateTips_ = ReadProfileInt(setup_.settingsPath, "Setting", "UpdateTips", 0);
    tips_->setChecked(updateTips_ == 1);
    downloadUrl_.clear();

    auto* head = new QGridLayout;
    head->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    head->addWidget(product, 0, 1);
    head->addWidget(maker, 1, 1);
    head->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(check_);
    buttons->addWidget(download_);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(head);
    layout->addWidget(result_);
    layout->addWidget(tips_, 0, Qt::AlignHCenter);
    layout->addLayout(buttons);

    connect(check_, &QPushButton::clicked, this, &CAboutDlg::checkNow);
    connect(download_, &QPushButton::clicked, this, &CAboutDlg::openDownload);
    connect(tips_, &QCheckBox::clicked, this, &CAboutDlg::tipsToggled);
    connect(checker_, &UpdateChecker::finished, this, &CAboutDlg::checked);
}

void CAboutDlg::checkNow() {
    // One check at a time; the box stays usable meanwhile.
    check_->setEnabled(false);
    result_->clear();
    checker_->start(CheckRequest(setup_));
}

void CAboutDlg::showFailure(const TextPair& failure) {
    result_->setText(QStringLiteral("%1 !").arg(text(failure, setup_.language)));
}

void CAboutDlg::checked(const UpdateCheckResult& result) {
    check_->setEnabled(true);
    switch (result.outcome) {
    case UpdateOutcome::cannotConnect:
        showFailure(kCannotConnect);
        return;
    case UpdateOutcome::serverInfoError:
        downloadUrl_ = result.release.url;
        showFailure(kServerInfoError);
        return;
    case UpdateOutcome::newVersion:
        downloadUrl_ = result.release.url;
        result_->setText(NewVersionText(result.release.version, setup_.language));
        download_->setEnabled(true);
        return;
    case UpdateOutcome::upToDate:
        downloadUrl_ = result.release.url;
        showFailure(kLatest);
        return;
    }
}

void CAboutDlg::openDownload() {
    if (downloadUrl_ == kMissingValue || !IsWebAddress(downloadUrl_)) {
        showFailure(kServerInfoError);
        return;
    }
    openWithBrowser(setup_, downloadUrl_);
}

void CAboutDlg::tipsToggled(bool ticked) {
    updateTips_ = ticked ? 1 : 0;
    WriteProfileString(setup_.settingsPath, "Setting", "UpdateTips", std::to_string(updateTips_));
}

void StartUpdateCheckAtStartUp(QWidget* window, const UpdateSetup& setup) {
    auto* checker = new UpdateChecker(window);
    QObject::connect(
        checker, &UpdateChecker::finished, window,
        [window, checker, setup](const UpdateCheckResult& result) {
            checker->deleteLater();
            if (result.outcome != UpdateOutcome::newVersion || !IsWebAddress(result.release.url))
                return;
            const QMessageBox::StandardButton answer =
                QMessageBox::question(window, appmain::MessageBoxTitle(),
                                      NewVersionText(result.release.version, setup.language),
                                      QMessageBox::Yes | QMessageBox::No);
            if (answer == QMessageBox::Yes) openWithBrowser(setup, result.release.url);
        });
    checker->start(CheckRequest(setup));
}

} // namespace scriba8::app
