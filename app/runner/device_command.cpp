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

} // namespace scriba8::app
