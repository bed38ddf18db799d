// SPDX-License-Identifier: MIT
// The update check and the About box against a local HTTPS server with a
// certificate made for this test and trusted only inside it.
#include "about_dialog.h"
#include "private_profile.h"
#include "update_check.h"
#include "version_server.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace scriba8::app;
using scriba8::app::test::versionFile;

namespace {

constexpr std::uint32_t kLibraryVersion = 0x0105000F; // 1.5.0.15

} // namespace

class UpdateCheckTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void init();
    void versionTextsAndAddresses();
    void checkComparesTheVersionsAsText();
    void missingKeysAreServerErrors();
    void fileAddressIsNeverOpened();
    void unreachableServer();
    void aReplyPastTheLimitIsAServerError();
    void plantedLinksAreNeverFollowed();
    void silentServerTimesOutWhileTheBoxResponds();
    void tipsSwitchIsWrittenAtOnce();
    void startUpCheckAsksOnlyForAnotherVersion();

  private:
    UpdateSetup setup(Language language = Language::english);
    // Clicks "Check" and waits for the result text.
    QString check(CAboutDlg& about);

    QTemporaryDir dir_;
    test::VersionServer server_;
    QList<QUrl> opened_;
};

void UpdateCheckTest::initTestCase() { QVERIFY(test::StartTrustedServer(server_, dir_.path())); }

void UpdateCheckTest::init() {
    server_.mode = test::VersionServer::Mode::serve;
    server_.body = versionFile("1.5.0.15", "https://example.com/t3plus");
    server_.paths.clear();
    opened_.clear();
    QFile::remove(dir_.filePath("Setting.ini"));
    QVERIFY(WriteProfileString(dir_.filePath("Setting.ini").toStdString(), "Setting",
                               "UpdateServer", server_.address().toStdString()));
}

UpdateSetup UpdateCheckTest::setup(Language language) {
    UpdateSetup s;
    s.settingsPath = dir_.filePath("Setting.ini").toStdString();
    s.libraryVersion = kLibraryVersion;
    s.edition = 1;
    s.language = language;
    s.openUrl = [this](const QUrl& url) { opened_ << url; };
    return s;
}

QString UpdateCheckTest::check(CAboutDlg& about) {
    about.checkButton()->click();
    if (!QTest::qWaitFor([&] { return about.checkButton()->isEnabled(); }, 20000))
        return "<no answer>";
    // The version file is read in memory, never kept in a file.
    if (QFile::exists(dir_.filePath("tools_version.ini"))) return "<file left>";
    return about.resultLabel()->text();
}

void UpdateCheckTest::versionTextsAndAddresses() {
    QCOMPARE(VersionText(kLibraryVersion), std::string("1.5.0.15"));
    QCOMPARE(NewVersionText("1.5.0.16", Language::chinese),
             QStringLiteral("有新版本(v1.5.0.16)\n 请点击下载进行更新"));
    QVERIFY(IsWebAddress("https://example.com/x"));
    QVERIFY(IsWebAddress("HTTP://example.com"));
    QVERIFY(!IsWebAddress("file:///etc/passwd"));
    QVERIFY(!IsWebAddress("javascript:alert(1)"));
    QVERIFY(!IsWebAddress("Fail"));
    // No server in the settings: the default one.
    QCOMPARE(UpdateServerFromSettings(dir_.filePath("none.ini").toStdString()),
             std::string(kDefaultUpdateServer));
}

void UpdateCheckTest::checkComparesTheVersionsAsText() {
    CAboutDlg about(setup());
    QCOMPARE(about.windowTitle(), QStringLiteral("Update Scriba8 T3Plus"));
    QVERIFY(!about.downloadButton()->isEnabled());
    QCOMPARE(check(about), QStringLiteral("Already the latest version !"));
    QVERIFY(!about.downloadButton()->isEnabled());
    QCOMPARE(server_.paths, QStringList{"/files/Download/Tools/tools_version.ini"});

    for (const char* other : {"1.5.0.14", "01.5.0.15", "1.5.0.16"}) {
        server_.body = versionFile(other, "https://example.com/t3plus");
        CAboutDlg fresh(setup());
        QCOMPARE(check(fresh),
                 QStringLiteral("Have new version(v%1)\n Please click Download to update")
                     .arg(QLatin1String(other)));
        QVERIFY(fresh.downloadButton()->isEnabled());
        fresh.downloadButton()->click();
    }
    QCOMPARE(opened_.size(), 3);
    QCOMPARE(opened_.front(), QUrl("https://example.com/t3plus"));

    // Another edition reads the other pair of keys.
    UpdateSetup universal = setup();
    universal.edition = 0;
    CAboutDlg other(universal);
    QCOMPARE(check(other),
             QStringLiteral("Have new version(v2.0.0.1)\n Please click Download to update"));
}

void UpdateCheckTest::missingKeysAreServerErrors() {
    server_.body = versionFile("", "https://example.com/t3plus");
    CAboutDlg noVersion(setup(Language::chinese));
    QCOMPARE(check(noVersion), QStringLiteral("伺服器资讯错误 !"));
    QVERIFY(!noVersion.downloadButton()->isEnabled());

    server_.body = versionFile("1.6.0.0", "");
    CAboutDlg noAddress(setup());
    QVERIFY(check(noAddress).startsWith("Have new version(v1.6.0.0)"));
    noAddress.downloadButton()->click();
    QCOMPARE(noAddress.resultLabel()->text(), QStringLiteral("Server information error !"));
    QVERIFY(opened_.isEmpty());

    // Not a version file at all.
    server_.mode = test::VersionServer::Mode::notFound;
    CAboutDlg missing(setup());
    QCOMPARE(check(missing), QStringLiteral("Can't connect server !"));
}

void UpdateCheckTest::fileAddressIsNeverOpened() {
    server_.body = versionFile("1.6.0.0", "file:///etc/passwd");
    CAboutDlg about(setup());
    QVERIFY(check(about).startsWith("Have new version"));
    about.downloadButton()->click();
    QCOMPARE(about.resultLabel()->text(), QStringLiteral("Server information error !"));
    QVERIFY(opened_.isEmpty());
}

void UpdateCheckTest::unreachableServer() {
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    const quint16 port = closed.serverPort();
    closed.close();
    QVERIFY(WriteProfileString(dir_.filePath("Setting.ini").toStdString(), "Setting",
                               "UpdateServer",
                               QStringLiteral("https://127.0.0.1:%1").arg(port).toStdString()));
    CAboutDlg about(setup());
    QCOMPARE(check(about), QStringLiteral("Can't connect server !"));
    QVERIFY(!about.downloadButton()->isEnabled());
}

// A version file is a few hundred bytes: a reply of more than 64 KiB is
// given up as soon as that much has come.
void UpdateCheckTest::aReplyPastTheLimitIsAServerError() {
    const QByteArray file = versionFile("1.6.0.0", "https://example.com/t3plus");
    const auto padded = [&file](qsizetype size) {
        return file + "; " + QByteArray(size - file.size() - 4, 'x') + "\r\n";
    };
    server_.body = padded(kLargestVersionFile);
    QCOMPARE(server_.body.size(), kLargestVersionFile);
    CAboutDlg atTheLimit(setup());
    QVERIFY(check(atTheLimit).startsWith("Have new version(v1.6.0.0)"));

    for (qsizetype size : {kLargestVersionFile + 1, qsizetype{8} << 20}) {
        server_.body = padded(size);
        CAboutDlg about(setup());
        QCOMPARE(check(about), QStringLiteral("Server information error !"));
        QVERIFY(!about.downloadButton()->isEnabled());
    }

    // A long error page is still a failed download.
    server_.mode = test::VersionServer::Mode::notFound;
    CAboutDlg missing(setup());
    QCOMPARE(check(missing), QStringLiteral("Can't connect server !"));
}

// Links another user could plant where a version file would be kept, in the
// program's folder or the temporary folder, lead nowhere: the check writes
// no file.
void UpdateCheckTest::plantedLinksAreNeverFollowed() {
    const QString victim = dir_.filePath("victim.txt");
    {
        QFile file(victim);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("keep");
    }
    const QString temporary = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    const QStringList links{
        dir_.filePath("tools_version.ini"),
        QCoreApplication::applicationDirPath() + "/tools_version.ini",
        temporary +
            QStringLiteral("/scriba8-%1-tools_version.ini").arg(QCoreApplication::applicationPid()),
    };
    for (const QString& link : links)
        QVERIFY2(QFile::link(victim, link), qPrintable(link));
    const auto removeLinks = qScopeGuard([&links] {
        for (const QString& link : links)
            QFile::remove(link);
    });

    server_.body = versionFile("1.6.0.0", "https://example.com/t3plus");
    CAboutDlg about(setup());
    about.checkButton()->click();
    QVERIFY(QTest::qWaitFor([&] { return about.checkButton()->isEnabled(); }, 20000));
    QVERIFY(about.resultLabel()->text().startsWith("Have new version(v1.6.0.0)"));
    QFile file(victim);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("keep"));
    for (const QString& link : links)
        QVERIFY2(QFileInfo(link).isSymLink(), qPrintable(link));
}

void UpdateCheckTest::silentServerTimesOutWhileTheBoxResponds() {
    server_.mode = test::VersionServer::Mode::silent;
    UpdateSetup quick = setup();
    quick.timeoutMs = 400;
    CAboutDlg about(quick);
    about.show();
    int ticks = 0;
    QTimer tick;
    connect(&tick, &QTimer::timeout, [&] { ++ticks; });
    tick.start(20);
    QCOMPARE(check(about), QStringLiteral("Can't connect server !"));
    QVERIFY2(ticks >= 5, "the event loop ran while the check waited");
}

void UpdateCheckTest::tipsSwitchIsWrittenAtOnce() {
    const std::string settings = dir_.filePath("Setting.ini").toStdString();
    QVERIFY(WriteProfileString(settings, "Setting", "UpdateTips", "1"));
    CAboutDlg about(setup());
    QVERIFY(about.updateTipsBox()->isChecked());
    about.updateTipsBox()->click();
    QCOMPARE(about.updateTips(), 0);
    QCOMPARE(ReadProfileString(settings, "Setting", "UpdateTips", "absent"), std::string("0"));
    about.updateTipsBox()->click();
    QCOMPARE(ReadProfileString(settings, "Setting", "UpdateTips", "absent"), std::string("1"));
}

void UpdateCheckTest::startUpCheckAsksOnlyForAnotherVersion() {
    QWidget window;
    window.setWindowTitle("main");
    StartUpdateCheckAtStartUp(&window, setup());
    QTest::qWait(0);
    QTRY_COMPARE(server_.paths.size(), 1);
    QTest::qWait(200);
    QVERIFY(QApplication::activeModalWidget() == nullptr); // the same version: nothing shown

    server_.body = versionFile("1.5.1.0", "https://example.com/new");
    QString asked;
    QTimer answer;
    connect(&answer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            asked = box->text();
            box->button(QMessageBox::Yes)->click();
        }
    });
    answer.start(10);
    StartUpdateCheckAtStartUp(&window, setup());
    QTRY_COMPARE_WITH_TIMEOUT(opened_.size(), 1, 20000);
    QCOMPARE(asked, QStringLiteral("Have new version(v1.5.1.0)\n Please click Download to update"));
    QCOMPARE(opened_.front(), QUrl("https://example.com/new"));
    QVERIFY(!QFile::exists(dir_.filePath("tools_version.ini")));
}

QTEST_MAIN(UpdateCheckTest)
#include "update_check_test.moc"
