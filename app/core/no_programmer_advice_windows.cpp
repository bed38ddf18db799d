// SPDX-License-Identifier: MIT
// On Windows the HID class driver serves every user; a programmer it does
// not list is not connected or not recognised.
#include "no_programmer_advice.h"

namespace scriba8::app {

TextPair NoProgrammerAdvice(FrontEnd frontEnd) {
    if (frontEnd == FrontEnd::window)
        return {"No programmer found: check the USB cable and that Device Manager lists the programmer "
                "under \"Human Interface Devices\", or start the program with --programmer virtual.",
                "未找到编程器：请检查USB连接线，并确认设备管理器的“人体学输入设备”中列出了该编程器，"
                "或使用 --programmer virtual 启动本程序。"};
    return {"No programmer found: check the USB cable and that Device Manager lists the programmer "
            "under \"Human Interface Devices\", or run with --programmer virtual.",
            "未找到编程器：请检查USB连接线，并确认设备管理器的“人体学输入设备”中列出了该编程器，"
            "或使用 --programmer virtual 运行。"};
}

} // namespace scriba8::app
