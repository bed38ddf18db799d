// SPDX-License-Identifier: MIT
// The main window's controls at the positions of its dialog template, in
// dialog units converted with the interface font.
#include "control_ids.h"
#include "dialog_units.h"
#include "elastic_layout.h"
#include "hex_edit_base.h"
#include "main_window.h"
#include "options_panel.h"
#include "tab_pages.h"
#include "window_texts.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cmath>

using namespace scriba8::appmain;

namespace {

struct ButtonSpec {
    int id;
    const char* caption;
};

QString Latin(const char* text) { return QString::fromLatin1(text); }

// Room beyond the design size goes to the hex editor (upper half) and the
// log (lower half); the columns of buttons keep to the window's edges.
Follow FollowOf(int id) {
    constexpr double half = 0.5;
    switch (id) {
    case ids::kBanner: return {half, 0, 0, 0};
    case ids::kChipList: return {0, 1, 0, 0};
    case ids::kCheckId:
    case ids::kErase:
    case ids::kBlankCheck:
    case ids::kProgram:
    case ids::kEepromProgram:
    case ids::kVerify:
    case ids::kAuto: return {1, 0, 0, 0};
    case ids::kCodeBufferGroup:
    case ids::kTabs: return {0, 1, 0, half};
    case ids::kAutoReload:
    case ids::kEnableModifyBuffer: return {1, 0, half, 0};
    case ids::kProgress: return {0, 1, half, 0};
    case ids::kMessageGroup:
    case ids::kLog: return {0, 1, half, half};
    case ids::kReadChipChecksum: return {0, 0, 1, 0};
    case ids::kClearLog: return {1, 0, 1, 0};
    case ids::kLoadFile:
    case ids::kSaveBuffer:
    case ids::kSaveVlx:
    case ids::kDumpTarget:
    case ids::kInsertIsp:
    case ids::kOffLineMode:
    case ids::kPartNoLabel:
    case ids::kSeriesList: return {};
    default: return {0, 0, half, 0}; // the option panel, under the editor
    }
}

} // namespace

void CScriba8_T3Plus_APDlg::CreateControls() {
    const DialogUnits& u = *units_;
    client_ = new ElasticArea(this);
    client_->resize(u.X(574), u.Y(400));
    client_->setDesignSize(client_->size());

    const auto place = [&](int id, QWidget* widget, int x, int y, int w, int h) {
        widget->setGeometry(u.Rect(x, y, w, h));
        RegisterControl(id, widget);
    };
    // Static texts get a little room above and below their one line, so no
    // font's ascent or descent is cut.
    const auto label = [&](int id, const QString& text, int x, int y, int w, int h,
                           Qt::Alignment alignment) {
        auto* widget = new QLabel(text, client_);
        widget->setAlignment(alignment | Qt::AlignVCenter);
        place(id, widget, x, y, w, h);
        widget->setGeometry(widget->geometry().adjusted(0, -u.Y(2), 0, u.Y(2)));
        return widget;
    };
    // Drop-down lists: the template's height includes the dropped list; the
    // closed box is as tall as the style draws it.
    const auto dropDown = [&](int id, int x, int y, int w) {
        auto* combo = new QComboBox(client_);
        place(id, combo, x, y, w, 12);
        combo->setGeometry(combo->x(), combo->y(), combo->width(),
                           std::max(combo->sizeHint().height(), u.Y(12)));
        return combo;
    };
    const auto button = [&](int id, const char* caption, int x, int y, int w, int h) {
        auto* widget = new QPushButton(Latin(caption), client_);
        widget->setAutoDefault(false);
        place(id, widget, x, y, w, h);
        return widget;
    };
    const auto group = [&](int id, const char* caption, int x, int y, int w, int h) {
        auto* widget = new QGroupBox(Latin(caption), client_);
        place(id, widget, x, y, w, h);
        widget->lower();
        return widget;
    };

    // Group boxes first, so every other control lies above them.
    group(ids::kCodeBufferGroup, "Static", 77, 65, 419, 140);
    group(ids::kOptionGroup, "Static", 7, 218, 368, 175);
    group(ids::kMessageGroup, "Static", 380, 218, 187, 175);
    for (int k = 0; k < ids::kItemSlots; ++k)
        group(ids::kItemGroup + k, "Static", 15 + 136 * (k % 2), 245 + 48 * (k / 2), 129, 44);

    auto* banner = new QLabel(client_);
    banner->setAlignment(Qt::AlignCenter);
    place(ids::kBanner, banner, 7, 7, 560, 41);
    const QPixmap art(QStringLiteral(":/scriba8/banner.png"));
    if (!art.isNull())
        banner->setPixmap(art.scaled(banner->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));

    label(ids::kPartNoLabel, Latin("Part No : "), 73, 55, 40, 8, Qt::AlignRight);
    seriesList = dropDown(ids::kSeriesList, 115, 52, 92);
    chipList = dropDown(ids::kChipList, 214, 52, 282);

    const ButtonSpec left[] = {{ids::kLoadFile, "Load File"},   {ids::kSaveBuffer, "Save Buffer"},
                               {ids::kSaveVlx, "Save VLX"},     {ids::kDumpTarget, "Dump Target"},
                               {ids::kInsertIsp, "Insert ISP-code"},
                               {ids::kOffLineMode, "Off-Line Mode"}};
    for (int k = 0; k < 6; ++k) button(left[k].id, left[k].caption, 7, 53 + 29 * k, 65, 14);
    const ButtonSpec right[] = {{ids::kCheckId, "Check ID"},     {ids::kErase, "Erase"},
                                {ids::kBlankCheck, "Blank Check"}, {ids::kProgram, "Program"},
                                {ids::kEepromProgram, "EEPROM Program"},
                                {ids::kVerify, "Verify"},        {ids::kAuto, "Auto"}};
    for (int k = 0; k < 7; ++k) button(right[k].id, right[k].caption, 502, 53 + 24 * k, 65, 14);

    tabs = new QTabWidget(client_);
    place(ids::kTabs, tabs, 82, 75, 409, 124);
    flashPage = new CTabDlg_Flash(u, tabs);
    eepromPage = new CTabDlg_EEPROM(u, tabs);

    auto* autoReloadBox = new QCheckBox(Latin("Auto Reload"), client_);
    place(ids::kAutoReload, autoReloadBox, 339, 200, 55, 10);
    auto* modifyBox = new QCheckBox(Latin("Enable Modify Buffer"), client_);
    place(ids::kEnableModifyBuffer, modifyBox, 405, 200, 83, 10);

    progress = new QProgressBar(client_);
    progress->setTextVisible(false);
    progress->setRange(0, 100);
    place(ids::kProgress, progress, 84, 210, 407, 6);

    button(ids::kWriteOptions, "Write Options", 16, 228, 60, 14);
    button(ids::kReadOptions, "Read Options", 84, 228, 60, 14);
    button(ids::kWholeChipErase, "WholeChip Erase", 152, 228, 60, 14);
    button(ids::kEngineer, "Engineer", 220, 228, 60, 14);

    for (int k = 0; k < ids::kItemSlots; ++k) {
        const int dx = 136 * (k % 2);
        const int dy = 48 * (k / 2);
        dropDown(ids::kItemSetList + k, 52 + dx, 254 + dy, 88);
        label(ids::kItemSetLabel + k, Latin("Set : "), 20 + dx, 256 + dy, 30, 8, Qt::AlignRight);
        auto* now = new QLineEdit(client_);
        now->setReadOnly(true);
        place(ids::kItemNowBox + k, now, 52 + dx, 270 + dy, 87, 14);
        label(ids::kItemNowLabel + k, Latin("Now : "), 20 + dx, 272 + dy, 30, 8, Qt::AlignRight);
    }
    label(ids::kSetHead, Latin("Set"), 280, 225, 16, 8, Qt::AlignLeft);
    label(ids::kNowHead, Latin("Now"), 299, 225, 16, 8, Qt::AlignLeft);
    for (int j = 0; j < ids::kBitSlots; ++j) {
        place(ids::kBitSetBox + j, new QCheckBox(client_), 288, 233 + 11 * j, 10, 10);
        auto* now = new QCheckBox(client_);
        now->setEnabled(false);
        place(ids::kBitNowBox + j, now, 300, 233 + 11 * j, 10, 10);
        label(ids::kBitName + j, Latin("Static"), 312, 234 + 11 * j, 60, 8, Qt::AlignLeft);
    }

    logEdit = new QPlainTextEdit(client_);
    logEdit->setReadOnly(true);
    logEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    place(ids::kLog, logEdit, 385, 229, 176, 137);
    button(ids::kReadChipChecksum, "Read Chip CheckSum", 385, 372, 76, 14);
    button(ids::kClearLog, "Clear", 485, 372, 76, 14);

    for (auto control = controls_.cbegin(); control != controls_.cend(); ++control)
        client_->layout().add(control.value(), FollowOf(control.key()));
    // The pages follow the tab control, which takes the upper half of the
    // extra height.
    connect(client_, &ElasticArea::extraRoomChanged, this, [this](int extraWidth, int extraHeight) {
        const int tabsHeight = static_cast<int>(std::lround(0.5 * extraHeight));
        flashPage->Elastic().apply(extraWidth, tabsHeight);
        eepromPage->Elastic().apply(extraWidth, tabsHeight);
    });
}

void CScriba8_T3Plus_APDlg::CreateMenu() {
    menuBar_ = new QMenuBar(this);
    QMenu* languageMenu = menuBar_->addMenu(QString::fromUtf8(texts::kLanguageMenu.data()));
    englishAction = languageMenu->addAction(QString::fromUtf8(texts::kEnglish.data()));
    chineseAction = languageMenu->addAction(QString::fromUtf8(texts::kChinese.data()));
    englishAction->setCheckable(true);
    chineseAction->setCheckable(true);
    englishAction->setChecked(true);
    updateAction = menuBar_->addAction(QString::fromUtf8(texts::kUpdateItem.data()));

    // The design size as before; larger gives the editor and the log more
    // room, smaller scrolls, so every control stays reachable.
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("clientScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(client_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(menuBar_);
    layout->addWidget(scroll);
    const int menuHeight = menuBar_->sizeHint().height();
    designSize_ = QSize(client_->width(), menuHeight + client_->height());
    setMinimumSize(QSize(160, 120).boundedTo(designSize_));
    resize(designSize_);
}

void CScriba8_T3Plus_APDlg::ConnectControls() {
    const auto onClick = [this](int id, void (CScriba8_T3Plus_APDlg::*handler)()) {
        connect(ControlAs<QAbstractButton>(id), &QAbstractButton::clicked, this, handler);
    };
    onClick(ids::kLoadFile, &CScriba8_T3Plus_APDlg::OnLoadFile);
    onClick(ids::kSaveBuffer, &CScriba8_T3Plus_APDlg::OnSaveBuffer);
    onClick(ids::kSaveVlx, &CScriba8_T3Plus_APDlg::OnSaveVlx);
    onClick(ids::kDumpTarget, &CScriba8_T3Plus_APDlg::OnDumpTarget);
    onClick(ids::kInsertIsp, &CScriba8_T3Plus_APDlg::OnInsertIsp);
    onClick(ids::kOffLineMode, &CScriba8_T3Plus_APDlg::OnOffLineMode);
    onClick(ids::kCheckId, &CScriba8_T3Plus_APDlg::OnCheckId);
    onClick(ids::kErase, &CScriba8_T3Plus_APDlg::OnErase);
    onClick(ids::kBlankCheck, &CScriba8_T3Plus_APDlg::OnBlankCheck);
    onClick(ids::kProgram, &CScriba8_T3Plus_APDlg::OnProgram);
    onClick(ids::kEepromProgram, &CScriba8_T3Plus_APDlg::OnEepromProgram);
    onClick(ids::kVerify, &CScriba8_T3Plus_APDlg::OnVerify);
    onClick(ids::kAuto, &CScriba8_T3Plus_APDlg::OnAuto);
    onClick(ids::kWriteOptions, &CScriba8_T3Plus_APDlg::OnWriteOptions);
    onClick(ids::kReadOptions, &CScriba8_T3Plus_APDlg::OnReadOptions);
    onClick(ids::kWholeChipErase, &CScriba8_T3Plus_APDlg::OnWholeChipErase);
    onClick(ids::kReadChipChecksum, &CScriba8_T3Plus_APDlg::OnReadChipChecksum);
    onClick(ids::kClearLog, &CScriba8_T3Plus_APDlg::OnClearLog);
    onClick(ids::kEngineer, &CScriba8_T3Plus_APDlg::OnEngineer);
    onClick(ids::kEnableModifyBuffer, &CScriba8_T3Plus_APDlg::OnEnableModifyBuffer);
    onClick(ids::kAutoReload, &CScriba8_T3Plus_APDlg::OnAutoReload);

    // Only the operator's choices: changes made by the program itself are
    // handled where they are made (or posted, for the option panel).
    connect(seriesList, &QComboBox::activated, this, [this] { OnSeriesChanged(); });
    connect(chipList, &QComboBox::activated, this, [this] { OnPartChanged(); });
    for (int k = 0; k < ids::kItemSlots; ++k)
        connect(options_->SetList(k), &QComboBox::activated, this,
                [this, k] { options_->OnItemChanged(k); });
    for (int j = 0; j < ids::kBitSlots; ++j)
        connect(options_->SetBox(j), &QCheckBox::clicked, this, [this, j] { options_->OnBitClicked(j); });
    connect(tabs, &QTabWidget::currentChanged, this, &CScriba8_T3Plus_APDlg::OnTabChanged);

    connect(englishAction, &QAction::triggered, this, [this] { SwitchLanguage(0); });
    connect(chineseAction, &QAction::triggered, this, [this] { SwitchLanguage(1); });
    connect(updateAction, &QAction::triggered, this, &CScriba8_T3Plus_APDlg::OnAbout);
}
