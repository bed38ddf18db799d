// SPDX-License-Identifier: MIT
#include "failure_advice.h"

#include "no_programmer_advice.h"

#include "Scriba8_T3Plus_DLL.h"
#include "files/environment.h"

#include <string>

namespace scriba8::app {
namespace {

// The command line's wording, and the window's where the command line names
// its own options or subcommands (empty: the same text).
struct Advice {
    TextPair commandLine;
    TextPair window{};

    TextPair in(FrontEnd frontEnd) const {
        return frontEnd == FrontEnd::window && !window.english.empty() ? window : commandLine;
    }
};

constexpr Advice kVirtualUnusable{
    {"The virtual programmer could not be used: the message above says why. A damaged state "
     "file must be moved away (a new programmer starts without it); one left in its boot loader "
     "by an interrupted firmware update finishes the update when the command runs again with "
     "--yes.",
     "无法使用虚拟编程器：原因见上面的信息。损坏的状态文件须移走（没有它时会启用一个新的编程器）；"
     "因固件更新中断而停留在引导程序中的编程器，在用 --yes 重新运行命令时会完成更新。"},
    {"The virtual programmer could not be used: the message before says why. A damaged state "
     "file must be moved away (a new programmer starts without it); one left in its boot loader "
     "by an interrupted firmware update finishes the update when the command is repeated and "
     "the update is accepted.",
     "无法使用虚拟编程器：原因见之前的信息。损坏的状态文件须移走（没有它时会启用一个新的编程器）；"
     "因固件更新中断而停留在引导程序中的编程器，在重复此操作并接受更新时会完成更新。"}};
constexpr Advice kDamagedFile{
    {"The file is damaged: make it again from its source, or use a good copy.",
     "文件已损坏：请从其源文件重新生成，或使用完好的副本。"}};
constexpr Advice kTransfer{
    {"The USB transfer with the programmer failed: unplug the programmer, plug it in again and "
     "repeat the command.",
     "与编程器的USB传输失败：请拔下编程器后重新插入，再重复此命令。"}};
constexpr Advice kEraseTimeout{
    {"The programmer did not report the end of the erase in time: check that the chip sits "
     "correctly in the socket and repeat the command.",
     "编程器未及时报告擦除结束：请检查芯片是否正确放入插座，然后重复此命令。"}};
constexpr Advice kUpdateDeclined{
    {"The programmer's firmware must be updated before it can be used: run the command again and "
     "answer yes, or pass --yes.",
     "编程器固件需要先更新才能使用：请重新运行命令并回答 yes，或加上 --yes。"},
    {"The programmer's firmware must be updated before it can be used: repeat the command and "
     "answer Yes.",
     "编程器固件需要先更新才能使用：请重复此操作并回答“是”。"}};
constexpr Advice kUpdateFailed{
    {"The firmware update failed: keep the programmer connected and run the command again to "
     "repeat the update. When the message above says the version still does not match, the "
     "firmware image is the wrong one: install the image that came with this version.",
     "固件更新失败：请保持编程器连接，重新运行命令以再次更新。如果上面的信息说明版本仍然不匹配，"
     "则固件映像不正确：请安装与本版本配套的映像。"},
    {"The firmware update failed: keep the programmer connected and repeat the command to "
     "repeat the update. When the message before says the version still does not match, the "
     "firmware image is the wrong one: install the image that came with this version.",
     "固件更新失败：请保持编程器连接，重复此操作以再次更新。如果之前的信息说明版本仍然不匹配，"
     "则固件映像不正确：请安装与本版本配套的映像。"}};
constexpr Advice kWrongChip{
    {"The chip in the socket is not the part named by --part: check the part name and how the "
     "chip sits in the socket.",
     "插座中的芯片不是 --part 指定的型号：请检查型号名称和芯片在插座中的放置。"},
    {"The chip in the socket is not the selected part: check the Part No and how the chip sits "
     "in the socket.",
     "插座中的芯片不是所选的型号：请检查芯片型号和芯片在插座中的放置。"}};
constexpr Advice kLocked{
    {"The chip is locked: run whole-chip-erase to unlock it (this erases the whole chip).",
     "芯片已加密上锁：请运行 whole-chip-erase 解锁（这会擦除整个芯片）。"},
    {"The chip is locked: press WholeChip Erase to unlock it (this erases the whole chip).",
     "芯片已加密上锁：请按“整片擦除”解锁（这会擦除整个芯片）。"}};
constexpr Advice kNoPower{
    {"Check that the chip sits correctly in the socket and that --part names it.",
     "请检查芯片是否正确放入插座，以及 --part 是否为该芯片的型号。"},
    {"Check that the chip sits correctly in the socket and that the Part No names it.",
     "请检查芯片是否正确放入插座，以及所选芯片型号是否正确。"}};
constexpr Advice kWriteChecksum{
    {"The programmer found a checksum error after writing: erase the chip and program it again.",
     "编程器在写入后发现检验和错误：请擦除芯片后重新编程。"}};
constexpr Advice kTrim{
    {"The oscillator trim failed: choose another Trim_Frequency, or External.",
     "振荡器频率设置失败：请选择其他 Trim_Frequency，或选择 External。"}};
constexpr Advice kOpenFile{
    {"The file could not be opened: check its name and that it can be read.",
     "无法打开文件：请检查文件名以及是否有读取权限。"}};
constexpr Advice kWriteFile{
    {"The file could not be written: check that its folder exists and can be written.",
     "无法写入文件：请检查文件夹是否存在以及是否有写入权限。"}};
constexpr Advice kDamagedProject{
    {"The project file is damaged or was not written by this tool: save the project again from "
     "its code file.",
     "项目文件已损坏或不是本工具生成的：请从代码文件重新保存项目。"}};
constexpr Advice kProjectPart{
    {"The project's part is not in this tool's chip table: save the project again for a "
     "supported part (scriba8 parts lists them).",
     "本工具的芯片表中没有该项目的芯片型号：请为支持的型号重新保存项目（scriba8 parts 可列出型号）。"},
    {"The project's part is not in this program's chip table: save the project again for a "
     "part of the Part No list.",
     "本程序的芯片表中没有该项目的芯片型号：请为芯片型号列表中的型号重新保存项目。"}};
constexpr Advice kTooLarge{
    {"The file does not fit the chip's memory at this offset: check --part and --offset.",
     "文件在此偏移位置超出芯片存储器：请检查 --part 和 --offset。"},
    {"The file does not fit the chip's memory at this address: check the Part No and the "
     "IAP (Data) address.",
     "文件在此地址超出芯片存储器：请检查芯片型号和 IAP (Data) 地址。"}};
constexpr Advice kIspTooLarge{
    {"The ISP code is larger than the chip's largest ISP area: use a smaller boot loader.",
     "ISP代码大于芯片最大的ISP区：请使用更小的引导程序。"}};
constexpr Advice kNoOffLine{
    {"The programmer holds no off-line project: download one with \"scriba8 offline download "
     "FILE\".",
     "编程器中没有脱机项目：请用 \"scriba8 offline download FILE\" 下载。"},
    {"The programmer holds no off-line project: download one with OK in this dialog.",
     "编程器中没有脱机项目：请在本对话框中按“确定”下载。"}};
constexpr Advice kCancelled{{"The command was cancelled; nothing was written.",
                             "命令已取消，未写入任何内容。"}};
constexpr Advice kPowerDown{
    {"Powering the chip down between the two erase steps failed: check the chip in the socket "
     "and repeat whole-chip-erase.",
     "整片擦除两步之间芯片断电失败：请检查插座中的芯片，然后重复 whole-chip-erase。"},
    {"Powering the chip down between the two erase steps failed: check the chip in the socket "
     "and repeat WholeChip Erase.",
     "整片擦除两步之间芯片断电失败：请检查插座中的芯片，然后重复“整片擦除”。"}};
constexpr Advice kVerifyMismatch{
    {"The chip's contents differ from the file: program the chip again (erase it first).",
     "芯片内容与文件不一致：请重新编程芯片（先擦除）。"}};
constexpr Advice kNotBlank{{"The chip is not blank: erase it first.", "芯片不是空白的：请先擦除。"}};
constexpr Advice kIdMismatch{
    {"The chip's identity does not match --part: check the part name and the chip in the "
     "socket.",
     "芯片的ID与 --part 不符：请检查型号名称和插座中的芯片。"},
    {"The chip's identity does not match the selected part: check the Part No and the chip in "
     "the socket.",
     "芯片的ID与所选型号不符：请检查芯片型号和插座中的芯片。"}};
constexpr Advice kNoBuiltInIsp{
    {"The chip has no built-in ISP code: give one with --isp-file FILE.",
     "该芯片没有内置ISP代码：请用 --isp-file FILE 指定。"},
    {"The chip has no built-in ISP code: choose an ISP code file.",
     "该芯片没有内置ISP代码：请选择ISP代码文件。"}};
constexpr Advice kBufferEmpty{{"There is no code to use: give a code file.",
                               "没有可用的代码：请指定代码文件。"},
                              {"There is no code to use: load a code file first.",
                               "没有可用的代码：请先打开代码文件。"}};
constexpr Advice kGeneric{
    {"The operation failed: check the chip in the socket and repeat the command.",
     "操作失败：请检查插座中的芯片，然后重复此命令。"}};

Advice failureAdvice(std::string_view command) {
    if (command == "verify") return kVerifyMismatch;
    if (command == "blank-check") return kNotBlank;
    if (command == "check-id") return kIdMismatch;
    if (command == "isp-insert") return kNoBuiltInIsp;
    if (command == "project save" || command == "offline download") return kBufferEmpty;
    if (command.starts_with("project")) return kDamagedProject;
    return kGeneric;
}

// The selection the library follows, as it reads it.
bool virtualProgrammerSelected() {
    const std::string selection = files::environmentValue("SCRIBA8_PROGRAMMER").value_or("");
    return selection == "virtual" || selection.starts_with("virtual:");
}

Advice adviceFor(std::int32_t result, std::string_view command) {
    // "save" stands for writing an output file after any command.
    const bool writing = command == "save" || command == "project save";
    if (command == kDamagedFileKey) return kDamagedFile;
    switch (result) {
    case S8_NO_PROGRAMMER:
        if (virtualProgrammerSelected()) return kVirtualUnusable;
        return {NoProgrammerAdvice(FrontEnd::commandLine), NoProgrammerAdvice(FrontEnd::window)};
    case S8_SEND_ERROR:
    case S8_RECEIVE_ERROR: return kTransfer;
    case S8_STATUS_TIMEOUT: return kEraseTimeout;
    case S8_UPDATE_DECLINED: return kUpdateDeclined;
    case S8_UPDATE_FAILED: return kUpdateFailed;
    case S8_ID_REJECTED: return kWrongChip;
    case S8_CHIP_LOCKED: return kLocked;
    case S8_POWER_ON_FAILED:
    case S8_NO_RESPONSE: return kNoPower;
    case S8_CHECKSUM_ERROR: return kWriteChecksum;
    case S8_TRIM_FAILED: return kTrim;
    case S8_FILE_ERROR: return writing ? kWriteFile : kOpenFile;
    case S8_PROJECT_CHECKSUM_ERROR:
    case S8_PROJECT_BUFFER_ERROR:
    case S8_PROJECT_TOOL_ERROR:
    case S8_PROJECT_OPTION_ERROR: return kDamagedProject;
    case S8_PROJECT_PART_ERROR: return kProjectPart;
    case S8_FILE_TOO_LARGE: return command == "isp-insert" ? kIspTooLarge : kTooLarge;
    case S8_NO_OFFLINE_INFO: return kNoOffLine;
    case S8_CANCELLED: return kCancelled;
    case S8_POWER_DOWN_FAILED: return kPowerDown;
    default: return failureAdvice(command);
    }
}

constexpr LinkFaultTexts kNoReply{
    {"the programmer did not answer a command", "编程器未应答命令"},
    {"The programmer stopped answering: unplug the programmer, plug it in again and repeat the "
     "command. If it happens again, try another USB cable or port.",
     "编程器停止应答：请拔下编程器后重新插入，再重复此命令。如果再次发生，请更换USB连接线或USB端口。"}};
constexpr LinkFaultTexts kWrongTag{
    {"the programmer answered another command", "编程器应答了另一条命令"},
    {"The programmer answered a command other than the one sent: make sure no other program is "
     "using the programmer, then unplug it, plug it in again and repeat the command.",
     "编程器应答的不是刚发送的命令：请确认没有其他程序正在使用编程器，然后拔下编程器后重新插入，"
     "再重复此命令。"}};

} // namespace

TextPair AdviceFor(std::int32_t result, std::string_view command, FrontEnd frontEnd) {
    if (result == S8_PASS) return {"", ""};
    return adviceFor(result, command).in(frontEnd);
}

LinkFaultTexts LinkFaultAdvice(LinkFault fault) {
    return fault == LinkFault::wrongTag ? kWrongTag : kNoReply;
}

bool MayHideLinkFault(std::int32_t result) {
    return result == S8_FAIL || result == S8_POWER_ON_FAILED || result == S8_POWER_DOWN_FAILED;
}

} // namespace scriba8::app
