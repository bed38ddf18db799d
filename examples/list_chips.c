// SPDX-License-Identifier: MIT
/* Lists the chip table through the installed library: a check that a plain C
 * program can include the header and link the shared library. */
#include <Scriba8_T3Plus_DLL.h>
#include <stdio.h>

int main(void) {
    uint32_t version = 0, edition = 0;
    GetDLLInfo(&version, &edition);
    printf("Scriba8 T3Plus library v%u.%u.%u.%u (edition %u)\n", (unsigned)(version >> 24),
           (unsigned)((version >> 16) & 0xFF), (unsigned)((version >> 8) & 0xFF),
           (unsigned)(version & 0xFF), (unsigned)edition);

    const BodyInfo* chips = NULL;
    int32_t count = GetBodyInfo(&chips);
    printf("%d chips\n", (int)count);
    for (int32_t i = 0; i < count; ++i) {
        int series = 0;
        while (series < 32 && !(chips[i].seriesMask & (1u << series))) ++series;
        printf("%3d  %-14s Series %c  Flash %6u  EEPROM %4u\n", (int)i, chips[i].partName,
               'A' + series, (unsigned)chips[i].flashSize, (unsigned)chips[i].eepromSize);
    }
    return count > 0 && version == 0x0105000Fu && edition == 1 ? 0 : 1;
}
