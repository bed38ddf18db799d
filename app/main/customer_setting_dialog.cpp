// SPDX-License-Identifier: MIT
#include "customer_setting_dialog.h"

#include "control_ids.h"
#include "dialog_units.h"
#include "window_texts.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QValidator>

#include <cstring>

namespace {

constexpr int kMaxLength = S8_CUSTOMER_STRING_SIZE;

class CustomerTextValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& text, int&) const override {
        if (text.size() > kMaxLength) return Invalid;
        for (const QChar c : text)
            if (c.unicode() < 0x21 || c.unicode() > 0x7E) return Invalid;
        return Acceptable;
    }
};

QString Shown(const scriba8::app::TextPair& pair, scriba8::app::Language language) {
    const std::string_view text = pair.in(language);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

using namespace scriba8::appmain;

CCustomerSettingDlg::CCustomerSettingDlg(ContextRecord& record, scriba8::app::Language language,
                                         QWidget* parent)
    : QDialog(parent), record_(record) {
    setFont(InterfaceFont());
    const DialogUnits units(font());
    setWindowTitle(Shown(texts::kCustomerString, language));

    auto* label = new QLabel(Shown(texts::kCustomerString, language) + QStringLiteral(" : "), this);
    label->setObjectName(QStringLiteral("control%1").arg(ids::kCustomerLabel));
    label->setGeometry(units.Rect(7, 8, 70, 8).adjusted(0, -units.Y(2), 0, units.Y(2)));

    edit_ = new QLineEdit(this);
    edit_->setObjectName(QStringLiteral("control%1").arg(ids::kCustomerEdit));
    edit_->setGeometry(units.Rect(79, 7, 100, 14));
    edit_->setMaxLength(kMaxLength);
    edit_->setValidator(new CustomerTextValidator(edit_));

    auto* ok = new QPushButton(Shown(texts::kOk, language), this);
    ok->setGeometry(units.Rect(68, 30, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    setFixedSize(units.X(186), units.Y(50));

    // The bytes up to the first 0xFF; anything the rule refuses is left out.
    QString initial;
    for (const std::uint8_t byte : record_.customerString) {
        if (byte == 0xFF) break;
        if (byte >= 0x21 && byte <= 0x7E) initial += QChar(byte);
    }
    edit_->setText(initial);
    connect(edit_, &QLineEdit::textChanged, this, &CCustomerSettingDlg::StoreText);
}

void CCustomerSettingDlg::StoreText(const QString& text) {
    std::memset(record_.customerString, 0xFF, sizeof record_.customerString);
    const QByteArray bytes = text.left(kMaxLength).toLatin1();
    std::memcpy(record_.customerString, bytes.constData(), static_cast<std::size_t>(bytes.size()));
}
