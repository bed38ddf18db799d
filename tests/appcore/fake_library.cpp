// SPDX-License-Identifier: MIT
#include "fake_library.h"

#include "status_word.h"

namespace scriba8::test {
namespace {

FakeLibrary gFake;

constexpr BodyInfo kChips[] = {
    {"CHIP-E", 1, 0x2000, 0x200, 0, 1, 1, {}, {}},
    {"CHIP-F", 1, 0x4000, 0, 0, 0, 1, {}, {}},
};

std::int32_t GetBodyInfo(const BodyInfo** first) {
    *first = kChips;
    return 2;
}

std::int32_t answer(const char* name, ContextRecord* record, std::uint16_t* checksum = nullptr) {
    Call call;
    call.name = name;
    call.record = record;
    call.seen = *record;
    if (record->flashData != nullptr)
        call.flash.assign(record->flashData, record->flashData + record->flashLength);
    if (record->eepromData != nullptr)
        call.eeprom.assign(record->eepromData, record->eepromData + record->eepromLength);
    if (checksum != nullptr) call.checksumIn = *checksum;
    gFake.calls.push_back(call);

    StatusWord status(record->status);
    status.start();
    const std::int32_t code = gFake.behave ? gFake.behave(name, *record) : S8_PASS;
    if (checksum != nullptr && code == S8_PASS) *checksum = 0x1A2B;
    if (gFake.writeFinalCode) status.finish(code);
    return code;
}

template <const char* Name>
std::int32_t recordCall(ContextRecord* record) {
    return answer(Name, record);
}

std::int32_t readCheckSum(ContextRecord* record, std::uint16_t* checksum) {
    return answer("ReadCheckSum", record, checksum);
}

constexpr char kCheckID[] = "CheckID";
constexpr char kErase[] = "Erase";
constexpr char kBlankCheck[] = "BlankCheck";
constexpr char kWholeChipErase[] = "WholeChipErase";
constexpr char kProgram[] = "Program";
constexpr char kProgramEEPROM[] = "ProgramEEPROM";
constexpr char kVerify[] = "Verify";
constexpr char kWriteOptions[] = "WriteOptions";
constexpr char kReadOptions[] = "ReadOptions";
constexpr char kDumpTarget[] = "DumpTarget";
constexpr char kLoadVLXFooter[] = "LoadVLXFooter";
constexpr char kLoadVLXBuffer[] = "LoadVLXBuffer";
constexpr char kSaveVLX[] = "SaveVLX";
constexpr char kInsertISPcode[] = "InsertISPcode";
constexpr char kOffLineMode[] = "OffLineMode";
constexpr char kReadOffLineModeInfo[] = "ReadOffLineModeInfo";

} // namespace

std::vector<std::string> FakeLibrary::names() const {
    std::vector<std::string> out;
    for (const Call& call : calls) out.push_back(call.name);
    return out;
}

FakeLibrary& Fake() { return gFake; }

void ResetFake() { gFake = FakeLibrary{}; }

app::LibraryApi FakeApi() {
    app::LibraryApi api;
    api.GetBodyInfo = &GetBodyInfo;
    api.CheckID = &recordCall<kCheckID>;
    api.Erase = &recordCall<kErase>;
    api.BlankCheck = &recordCall<kBlankCheck>;
    api.WholeChipErase = &recordCall<kWholeChipErase>;
    api.Program = &recordCall<kProgram>;
    api.ProgramEEPROM = &recordCall<kProgramEEPROM>;
    api.Verify = &recordCall<kVerify>;
    api.WriteOptions = &recordCall<kWriteOptions>;
    api.ReadOptions = &recordCall<kReadOptions>;
    api.ReadCheckSum = &readCheckSum;
    api.DumpTarget = &recordCall<kDumpTarget>;
    api.LoadVLXFooter = &recordCall<kLoadVLXFooter>;
    api.LoadVLXBuffer = &recordCall<kLoadVLXBuffer>;
    api.SaveVLX = &recordCall<kSaveVLX>;
    api.InsertISPcode = &recordCall<kInsertISPcode>;
    api.OffLineMode = &recordCall<kOffLineMode>;
    api.ReadOffLineModeInfo = &recordCall<kReadOffLineModeInfo>;
    return api;
}

} // namespace scriba8::test
