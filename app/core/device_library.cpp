// SPDX-License-Identifier: MIT
// The real exports, in a unit of their own: only programs that use them
// need the shared library at link time.
#include "library_api.h"

namespace scriba8::app {

const LibraryApi& DeviceLibrary() {
    static const LibraryApi api = [] {
        LibraryApi table;
        table.GetDLLInfo = &::GetDLLInfo;
        table.GetBodyInfo = &::GetBodyInfo;
        table.CheckID = &::CheckID;
        table.Erase = &::Erase;
        table.BlankCheck = &::BlankCheck;
        table.WholeChipErase = &::WholeChipErase;
        table.Program = &::Program;
        table.ProgramEEPROM = &::ProgramEEPROM;
        table.Verify = &::Verify;
        table.WriteOptions = &::WriteOptions;
        table.ReadOptions = &::ReadOptions;
        table.ReadCheckSum = &::ReadCheckSum;
        table.DumpTarget = &::DumpTarget;
        table.SaveVLX = &::SaveVLX;
        table.LoadVLXFooter = &::LoadVLXFooter;
        table.LoadVLXBuffer = &::LoadVLXBuffer;
        table.InsertISPcode = &::InsertISPcode;
        table.OffLineMode = &::OffLineMode;
        table.ReadOffLineModeInfo = &::ReadOffLineModeInfo;
        table.HoldProgrammer = &::S8HoldProgrammer;
        table.ReleaseProgrammer = &::S8ReleaseProgrammer;
        table.SelectProgrammer = &::S8SelectProgrammer;
        return table;
    }();
    return api;
}

} // namespace scriba8::app
