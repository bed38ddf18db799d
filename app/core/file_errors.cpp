// SPDX-License-Identifier: MIT
#include "file_errors.h"

#include "Scriba8_T3Plus_DLL.h"
#include "files/atomic_file.h"
#include "files/error_values.h"
#include "files/file_reading.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace scriba8::app {
namespace {

struct ErrorText {
    int error;
    TextPair text;
};

// The reasons a user meets in practice; anything rarer uses the system's
// own English text in both languages.
constexpr std::array kErrorTexts{
    ErrorText{files::kNotRegularFile, {"not a regular file", "不是普通文件"}},
    ErrorText{ENOENT, {"no such file or folder", "文件或文件夹不存在"}},
    ErrorText{ENOTDIR, {"a part of the path is not a folder", "路径中有一部分不是文件夹"}},
    ErrorText{EACCES, {"permission denied", "没有访问权限"}},
    ErrorText{EPERM, {"operation not permitted", "操作不被允许"}},
    ErrorText{EROFS, {"read-only file system", "只读文件系统"}},
    ErrorText{EISDIR, {"is a folder", "是一个文件夹"}},
    ErrorText{ENAMETOOLONG, {"file name too long", "文件名太长"}},
    ErrorText{ENOSPC, {"no space left on the device", "磁盘空间不足"}},
    ErrorText{EDQUOT, {"disk quota exceeded", "超出磁盘配额"}},
    ErrorText{EFBIG, {"file too large", "文件太大"}},
    ErrorText{EIO, {"input/output error", "输入输出错误"}},
    ErrorText{ELOOP, {"too many symbolic links", "符号链接层数过多"}},
    ErrorText{EMFILE, {"too many open files", "打开的文件过多"}},
    ErrorText{ENXIO, {"no such device", "设备不存在"}},
    ErrorText{EBUSY, {"device or resource busy", "设备或资源忙"}},
    ErrorText{ETXTBSY, {"file is busy", "文件正忙"}},
    ErrorText{EPIPE, {"broken pipe", "管道已断开"}},
    ErrorText{files::kNoReader,
              {"no process reads this pipe: start the reader first", "没有进程读取该管道：请先启动读取方"}},
    ErrorText{EBADF, {"closed (the shell gave no such stream)", "已关闭（shell 没有提供该流）"}},
};

TextPair faultText(HexFault fault) {
    switch (fault) {
    case HexFault::checksum: return {"checksum error", "检验和错误"};
    case HexFault::oddDigits: return {"odd number of hex digits", "十六进制位数为奇数"};
    case HexFault::lengthMismatch:
        return {"length byte does not match the line", "长度字节与该行不符"};
    case HexFault::notHex: return {"character that is not a hex digit", "含有非十六进制字符"};
    case HexFault::unknownType: return {"unknown record type", "未知的记录类型"};
    case HexFault::noEndRecord: return {"no end-of-file record", "缺少文件结束记录"};
    case HexFault::noData: return {"no data records", "没有数据记录"};
    case HexFault::notARecord:
        return {"not an Intel HEX record (a record line starts with ':')",
                "不是 Intel HEX 记录（记录行应以 ':' 开头）"};
    case HexFault::afterEnd:
        return {"more after the end-of-file record (two files joined into one?)",
                "文件结束记录之后还有内容（是否两个文件被合并成了一个？）"};
    case HexFault::nulByte:
        return {"NUL byte: this is not a text file", "含有 NUL 字节：这不是文本文件"};
    case HexFault::none: break;
    }
    return {"", ""};
}

} // namespace

std::string SystemReason(int error, Language language) {
    for (const ErrorText& entry : kErrorTexts)
        if (entry.error == error) return std::string(entry.text.in(language));
    return std::strerror(error);
}

std::string FileReason(std::string_view path, int error, Language language) {
    return std::string(path) + ": " + SystemReason(error, language);
}

std::string FileReason(std::string_view path, const TextPair& reason, Language language) {
    return std::string(path) + ": " + std::string(reason.in(language));
}

std::string HexFaultReason(std::string_view path, HexFault fault, std::size_t line,
                           Language language) {
    std::string text(path);
    text += ": ";
    if (line != 0) {
        const std::string number = std::to_string(line);
        text += language == Language::english ? "line " + number + ": " : "第" + number + "行: ";
    }
    return text + std::string(faultText(fault).in(language));
}

std::string TooLargeReason(std::string_view path, std::uint64_t lowest, std::uint64_t end,
                           std::uint64_t placedAt, std::uint64_t capacity, Language language) {
    auto hexText = [](std::uint64_t value) {
        char text[24];
        std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
        return std::string(text);
    };
    const std::string size = std::to_string(end - lowest);
    const std::string buffer = std::to_string(capacity);
    std::string text(path);
    if (language == Language::english) {
        text += ": highest address " + hexText(end - 1) + "; " + size + " bytes from " +
                hexText(lowest) + " do not fit in the " + buffer + "-byte buffer";
        if (placedAt != lowest) text += " from position " + hexText(placedAt);
        return text;
    }
    text += ": 最高地址" + hexText(end - 1) + "; 从" + hexText(lowest) + "起的" + size + "字节";
    if (placedAt != lowest) text += "从位置" + hexText(placedAt) + "起";
    return text + "放不进" + buffer + "字节的缓冲区";
}

std::string ProjectFailureReason(std::string_view path, std::int32_t result, Language language) {
    TextPair why{"", ""};
    switch (result) {
    case S8_PROJECT_CHECKSUM_ERROR:
        why = {"the file is damaged or cut short: its closing block does not hold together",
               "文件已损坏或不完整：文件末尾的信息块不完整"};
        break;
    case S8_PROJECT_BUFFER_ERROR:
        why = {"the file is damaged: its code does not match the checksum it was saved with",
               "文件已损坏：其中的代码与保存时的检验和不符"};
        break;
    case S8_PROJECT_TOOL_ERROR:
        why = {"written by a tool this program does not read", "由本程序不能读取的工具生成"};
        break;
    case S8_PROJECT_PART_ERROR:
        why = {"made for a chip that is not in this program's chip table",
               "所用的芯片不在本程序的芯片表中"};
        break;
    case S8_PROJECT_OPTION_ERROR:
        why = {"the file is damaged: its option block does not hold together",
               "文件已损坏：其中的选项块不完整"};
        break;
    default: return {};
    }
    return FileReason(path, why, language);
}

std::string IspFileFailureReason(std::string_view path, std::int32_t result, Language language) {
    switch (result) {
    case S8_FILE_ERROR:
        return FileReason(path,
                          TextPair{"the file is damaged: a line is not a sound Intel HEX record, "
                                   "or it holds no code",
                                   "文件已损坏：有一行不是完好的 Intel HEX 记录，或其中没有代码"},
                          language);
    case S8_FILE_TOO_LARGE:
        return FileReason(path,
                          TextPair{"the ISP code is larger than the chip's largest ISP area",
                                   "ISP代码大于芯片最大的ISP区"},
                          language);
    default: return {};
    }
}

bool IsDamagedFileResult(std::int32_t result) {
    return result == S8_PROJECT_CHECKSUM_ERROR || result == S8_PROJECT_BUFFER_ERROR ||
           result == S8_PROJECT_OPTION_ERROR;
}

std::string OverlapWarning(std::string_view path, std::uint64_t address, std::uint64_t count,
                           Language language) {
    char hexAddress[24];
    std::snprintf(hexAddress, sizeof hexAddress, "0x%llX",
                  static_cast<unsigned long long>(address));
    const std::string bytes = std::to_string(count);
    if (language == Language::english)
        return std::string(path) + ": records overlap with different bytes at " + hexAddress +
               " (" + bytes + " bytes; the later record wins)";
    return std::string(path) + ": 记录在地址" + hexAddress + "处重叠且数据不同 (共" + bytes +
           "字节, 以后面的记录为准)";
}

std::string LowestAddressWarning(std::string_view path, std::uint64_t lowest,
                                 std::uint64_t placedAt, Language language, FrontEnd frontEnd) {
    auto hexText = [](std::uint64_t value) {
        char text[24];
        std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
        return std::string(text);
    };
    const std::string from = hexText(lowest);
    const std::string to = hexText(placedAt);
    const std::string name(path);
    if (frontEnd == FrontEnd::commandLine) {
        if (language == Language::english)
            return name + ": the HEX data start at " + from +
                   " and are placed from buffer position " + to +
                   "; --absolute places them at their own addresses";
        return name + ": HEX数据从" + from + "开始, 将放在缓冲区位置" + to +
               "; 用--absolute可放在其本身的地址";
    }
    char address[24];
    std::snprintf(address, sizeof address, "%llX", static_cast<unsigned long long>(lowest));
    if (language == Language::english)
        return name + ": the HEX data start at " + from + " and are placed from buffer position " +
               to + "; load the file as IAP (Data) at " + address +
               " to place them at their own addresses";
    return name + ": HEX数据从" + from + "开始, 将放在缓冲区位置" + to + "; 以 IAP (Data) 在地址" +
           address + "打开文件可放在其本身的地址";
}

} // namespace scriba8::app
