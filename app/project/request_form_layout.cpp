// SPDX-License-Identifier: MIT
#include "request_form_layout.h"

#include "option_texts.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace scriba8::app {
namespace {

constexpr std::string_view kDash = "\u2014";

constexpr std::array<std::string_view, 9> kLiability = {
    "1.  Please help confirm if the above code information is the same as the one",
    "    you offered before.",
    "2.  vorlane only provides the MCU (HW) and device programming service. vorlane",
    "    won't bear any responsibility if the content of code infringes upon any",
    "    Intellectual Property.",
    "3.  vorlane shall have, at its sole discretion, the right to settle or defend",
    "    any suit. Purchaser shall provide vorlane with adequate information,",
    "    assistance and collaboration as may be necessary in the settlement or",
    "    defense of a suit.",
};

// snprintf into a string; the patterns are the literals below.
#define PRINTED(...)                                                                               \
    ([&] {                                                                                         \
        char out[96];                                                                              \
        std::snprintf(out, sizeof out, __VA_ARGS__);                                               \
        return std::string(out);                                                                   \
    }())

// A text field of the record, which may lack its terminator.
template <std::size_t N> std::string fieldText(const char (&field)[N]) {
    return std::string(field, ::strnlen(field, N));
}

class Builder {
  public:
    void text(double x, double y, std::string value) {
        layout_.texts.push_back({x, y, std::move(value)});
    }
    void line(double x1, double y1, double x2, double y2) {
        layout_.lines.push_back({x1, y1, x2, y2});
    }
    void labelled(double labelX, double valueX, double y, std::string label, std::string value) {
        text(labelX, y, std::move(label));
        text(valueX, y, std::move(value));
    }
    RequestFormLayout take() { return std::move(layout_); }

  private:
    RequestFormLayout layout_;
};

// Where a group of option rows goes: two columns, the second starting at
// slot firstRight, each row a right-aligned name and its value.
struct OptionColumns {
    int firstRight;
    double leftLabelX, leftValueX, leftTopY;
    double rightLabelX, rightValueX, rightTopY;
    std::size_t nameWidth;
};

// Adds one row per slot; name(i) is null for an empty slot, which shows
// the dash as name and value.
template <typename Name, typename Value>
void addOptionRows(Builder& form, const OptionColumns& at, int slots, Name name, Value value) {
    for (int i = 0; i < slots; ++i) {
        const bool left = i < at.firstRight;
        const double labelX = left ? at.leftLabelX : at.rightLabelX;
        const double valueX = left ? at.leftValueX : at.rightValueX;
        const double y = left ? at.leftTopY + i : at.rightTopY + (i - at.firstRight);
        const char* slotName = name(i);
        if (IsUnusedSlot(slotName)) {
            form.labelled(labelX, valueX, y, RightAligned(kDash, at.nameWidth) + " :",
                          std::string(kDash));
            continue;
        }
        form.labelled(labelX, valueX, y, RightAligned(slotName, at.nameWidth) + " :", value(i));
    }
}

void addOptions(Builder& form, const ContextRecord& record, const BodyInfo& chip) {
    addOptionRows(
        form, {3, 17, 35, 32, 58, 76, 32, 15}, S8_ITEM_COUNT,
        [&](int k) { return chip.items[k].name; },
        [&](int k) { return OptionValueText(chip, record, k, IapCounting::selection); });
    addOptionRows(
        form, {7, 27, 38, 36, 68, 79, 36, 8}, S8_BIT_COUNT,
        [&](int j) { return chip.bits[j].name; },
        [&](int j) { return std::string(record.bitValue[j] != 0 ? "V" : ""); });
}

void addProjectTable(Builder& form, const ContextRecord& record, const BodyInfo* chip) {
    form.labelled(15, 34, 14, "MCU Body", chip != nullptr ? chip->partName : "");
    form.labelled(15, 34, 16, "VLX File Name", fieldText(record.projectFile));
    form.labelled(15, 34, 18, "Code File Name", fieldText(record.codeFileName));
    form.labelled(15, 34, 20, "ISP Code Name", fieldText(record.ispCodeFile));
    form.labelled(15, 34, 22, "Code Size", PRINTED("%d", static_cast<int>(record.flashLength)));
    form.labelled(56, 75, 22, "Code Checksum", PRINTED("0x%04X", unsigned{record.projectChecksum}));
    const std::uint8_t* t = record.saveTime;
    form.labelled(
        15, 34, 24, "VLX Save Time",
        PRINTED("%d/%02d/%02d %02d:%02d:%02d", t[0] + 2000, t[1], t[2], t[3], t[4], t[5]));
    const std::uint32_t id = record.projectId;
    form.labelled(
        56, 75, 24, "Random Key",
        PRINTED("%02X-%02X-%02X-%02X", id >> 24, (id >> 16) & 0xFF, (id >> 8) & 0xFF, id & 0xFF));
    form.labelled(15, 34, 26, "Customer ID", PRINTED("%02X", unsigned{record.projectMark}));
    form.labelled(
        56, 75, 26, "ATPG Key",
        PRINTED("%02X-%02X", unsigned(record.projectTag >> 8), unsigned(record.projectTag & 0xFF)));
    if (chip != nullptr && chip->customerStringSupported == 1)
        form.labelled(15, 34, 28, "Customer String",
                      FieldBytesText(record.customerString, S8_CUSTOMER_STRING_SIZE));
    form.labelled(56, 75, 28, "AP Version",
                  PRINTED("v%d.%d", record.toolVersion >> 8, record.toolVersion & 0xFF));
}

#undef PRINTED

void addRules(Builder& form) {
    for (double y : {8.0, 10.0, 12.0})
        form.line(20, y, 50, y);
    // The frame around the project table and the options.
    form.line(13, 13.5, 95, 13.5);
    form.line(95, 13.5, 95, 45.5);
    form.line(95, 45.5, 13, 45.5);
    form.line(13, 45.5, 13, 13.5);
    form.line(33, 13.5, 33, 29.5);
    for (double y = 15.5; y <= 29.5; y += 2)
        form.line(13, y, 95, y);
    for (double y = 21.5; y < 29.5; y += 2) {
        form.line(54, y, 54, y + 2);
        form.line(74, y, 74, y + 2);
    }
    form.line(54, 35.5, 54, 43.5);
    for (double y : {62.0, 64.0}) {
        form.line(35, y, 55, y);
        form.line(64, y, 84, y);
    }
}

} // namespace

std::string RequestFormTitle(std::uint16_t familyCode) {
    switch (familyCode) {
    case 0:
        return "vorlane VLX2.0 Request Form v1.0";
    case 1:
        return "vorlane VLX2.1 Request Form v1.0";
    case 0x300:
        return "vorlane VLX3.0 Request Form v1.2";
    case 0x301:
        return "vorlane VLX3.1 Request Form v1.0";
    default:
        return {};
    }
}

RequestFormLayout LayOutRequestForm(const ContextRecord& record, const BodyInfo* chip) {
    Builder form;
    if (chip != nullptr) {
        if (std::string title = RequestFormTitle(chip->familyCode); !title.empty())
            form.text(40, 4, std::move(title));
    }
    form.labelled(10, 21, 7, "To      :", fieldText(record.requestTo));
    form.labelled(10, 21, 9, "From    :", fieldText(record.requestFrom));
    form.labelled(10, 21, 11, "Part No :", fieldText(record.requestPartNo));
    addProjectTable(form, record, chip);
    form.text(15, 30, "Option");
    if (chip != nullptr) {
        addOptions(form, record, *chip);
    }
    form.text(10, 48, "Liability :");
    for (std::size_t i = 0; i < kLiability.size(); ++i)
        form.text(10, 50 + static_cast<double>(i), std::string(kLiability[i]));
    form.text(10, 61, "Customer's approved    :");
    form.text(57, 61, "Date :");
    form.text(10, 63, "vorlane representative :");
    form.text(57, 63, "Date :");
    addRules(form);
    return form.take();
}

} // namespace scriba8::app
