// SPDX-License-Identifier: MIT
// The About box with the update check on request, and the check at
// start-up.
#pragma once

#include "language.h"
#include "update_check.h"

#include <QDialog>

#include <functional>
#include <string>

class QCheckBox;
class QLabel;
class QPushButton;

namespace scriba8::app {

// What both checks need to know.
struct UpdateSetup {
    std::string settingsPath; // Setting.ini: UpdateTips and UpdateServer
    std::uint32_t libraryVersion = 0;
    std::uint32_t edition = 0;
    Language language = Language::english;
    int timeoutMs = 10000;
    // Opens a web address in the browser (QDesktopServices by default).
    std::function<void(const QUrl&)> openUrl;
};

UpdateChecker::Request CheckRequest(const UpdateSetup& setup);

// The new-version text: "%s(v%s)\n %s".
QString NewVersionText(const std::string& serverVersion, Language language);

class CAboutDlg : public QDialog {
    Q_OBJECT
  public:
    explicit CAboutDlg(UpdateSetup setup, QWidget* parent = nullptr);

    QPushButton* checkButton() const { return check_; }
    QPushButton* downloadButton() const { return download_; }
    QCheckBox* updateTipsBox() const { return tips_; }
    QLabel* resultLabel() const { return result_; }
    int updateTips() const { return updateTips_; }
    // The address the last check read ("Fail" when it had none).
    const std::string& downloadUrl() const { return downloadUrl_; }

  private:
    void checkNow();
    void checked(const UpdateCheckResult& result);
    void openDownload();
    void tipsToggled(bool ticked);
    void showFailure(const TextPair& text);

    UpdateSetup setup_;
    UpdateChecker* checker_;
    QLabel* result_;
    QCheckBox* tips_;
    QPushButton* check_;
    QPushButton* download_;
    int updateTips_ = 0;
    std::string downloadUrl_;
};

// The start-up check: never delays the window and shows nothing unless
// the server names another version with a web address, which the user
// may then open. The checker lives as a child of window.
void StartUpdateCheckAtStartUp(QWidget* window, const UpdateSetup& setup);

} // namespace scriba8::app
