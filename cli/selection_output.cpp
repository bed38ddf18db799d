// SPDX-License-Identifier: MIT
#include "selection_output.h"

#include "text_format.h"

namespace scriba8::cli {

Json SelectionJson(const SelectionTexts& selection) {
    Json items = Json::object();
    for (const ItemText& item : selection.items) items[item.name] = item.value;
    Json bits = Json::object();
    for (const BitState& bit : selection.bits) bits[bit.name] = bit.active;
    Json object = Json::object();
    object["items"] = std::move(items);
    object["bits"] = std::move(bits);
    return object;
}

void AppendSelectionLines(const SelectionTexts& selection, std::vector<std::string>& lines,
                          const std::string& indent) {
    for (const ItemText& item : selection.items)
        lines.push_back(indent + Padded(item.name, 16) + item.value);
    for (const BitState& bit : selection.bits)
        lines.push_back(indent + Padded(bit.name, 16) + (bit.active ? "on" : "off"));
}

} // namespace scriba8::cli
