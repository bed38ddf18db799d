// SPDX-License-Identifier: MIT
#include "device_command.h"

#include "texts.h"

namespace scriba8::app {

TextPair CommandTitle(DeviceCommand command) {
    switch (command) {
    case DeviceCommand::checkId: return texts::kCheckId;
    case DeviceCommand::erase: return texts::kErase;
    case DeviceCommand::blankCheck: return texts::kBlankCheck;
    case DeviceCommand::program: return texts::kProgram;
    case DeviceCommand::eepromProgram: return texts::kEepromProgram;
    case DeviceCommand::verify: return texts::kVerify;
    case DeviceCommand::writeOptions: return texts::kWriteOptions;
    case DeviceCommand::readOptions: return texts::kReadOptions;
    case DeviceCommand::wholeChipErase: return texts::kWholeChipErase;
    case DeviceCommand::readChipChecksum: return texts::kReadChipChecksum;
    case DeviceCommand::dumpTarget: return texts::kDumpTarget;
    }
    return texts::kFail;
}

bool RunsOnWorker(DeviceCommand command) {
    switch (command) {
    case DeviceCommand::blankCheck:
    case DeviceCommand::program:
    case DeviceCommand::eepromProgram:
    case DeviceCommand::verify:
    case DeviceCommand::dumpTarget:
        return true;
    default:
        return false;
    }
}

bool AlwaysNumbered(DeviceCommand command) {
    return command == DeviceCommand::checkId || command == DeviceCommand::readOptions ||
           command == DeviceCommand::readChipChecksum || command == DeviceCommand::dumpTarget;
}

std::string_view AdviceKey(DeviceCommand command) {
    switch (command) {
    case DeviceCommand::checkId: return "check-id";
    case DeviceCommand::erase: return "erase";
    case DeviceCommand::blankCheck: return "blank-check";
    case DeviceCommand::program: return "program";
    case DeviceCommand::eepromProgram: return "eeprom";
    case DeviceCommand::verify: return "verify";
    case DeviceCommand::writeOptions: return "write-options";
    case DeviceCommand::readOptions: return "read-options";
    case DeviceCommand::wholeChipErase: return "whole-chip-erase";
    case DeviceCommand::readChipChecksum: return "checksum";
    case DeviceCommand::dumpTarget: return "dump";
    }
    return "";
}

} // namespace scriba8::app
