// SPDX-License-Identifier: MIT
// On Linux the udev rules give the user at the seat access to the device node.
#include "no_programmer_advice.h"

namespace scriba8::app {

TextPair NoProgrammerAdvice(FrontEnd frontEnd) {
    if (frontEnd == FrontEnd::window)
        return {"No programmer found: check the USB cable and the udev rules (README, \"USB access\"), "
                "or start the program with --programmer virtual.",
                "未找到编程器：请检查USB连接线和udev规则（见README的“USB access”一节），"
                "或使用 --programmer virtual 启动本程序。"};
    return {"No programmer found: check the USB cable and the udev rules (README, \"USB access\"), "
            "or run with --programmer virtual.",
            "未找到编程器：请检查USB连接线和udev规则（见README的“USB access”一节），"
            "或使用 --programmer virtual 运行。"};
}

} // namespace scriba8::app
