// SPDX-License-Identifier: MIT
#include "application.h"

int main(int argc, char** argv) {
    CScriba8_T3Plus_APApp application(argc, argv);
    return application.InitInstance();
}
