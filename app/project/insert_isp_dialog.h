// SPDX-License-Identifier: MIT
// CInsertISPDlg: the chip's built-in boot code or a user's ISP file, and how
// the unused Flash bytes are filled before the code goes in.
#pragma once

#include "fill_controls.h"
#include "isp_inserter.h"
#include "language.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <optional>

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace scriba8::app {

struct IspDialogResult {
    IspCodeChoice code;
    FillMode fillMode = FillMode::none;
};

class CInsertISPDlg : public QDialog {
    Q_OBJECT

public:
    // Asks for a file in a folder; an empty text when cancelled.
    using FileChooser = std::function<QString(QWidget* parent, const QString& folder)>;

    // flashFill: the fill mode the Flash buffer already has. folder: where
    // the file dialog starts; it follows the chosen file.
    CInsertISPDlg(Language language, FillMode flashFill, QString& folder,
                  QWidget* parent = nullptr, FileChooser chooser = {});

    IspDialogResult chosen() const;

    static std::optional<IspDialogResult> Ask(QWidget* parent, Language language,
                                              FillMode flashFill, QString& folder);

    void accept() override;

private:
    void chooseFile();
    void applyFillRule();

    FillMode flashFill_;
    QString& folder_;
    FileChooser chooser_;
    QRadioButton* builtIn_;
    QRadioButton* userFile_;
    QLineEdit* path_;
    QPushButton* browse_;
    FillControls fill_;
};

} // namespace scriba8::app
