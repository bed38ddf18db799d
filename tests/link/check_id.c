// SPDX-License-Identifier: MIT
/* CheckID from a plain C program, as a host application calls it.
 * usage: check_id EXPECTED_CODE [TRACE_FILE]
 * With TRACE_FILE, the transfer trace must hold the target power-on command. */
#include <Scriba8_T3Plus_DLL.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int traceHoldsPowerOn(const char* path) {
    FILE* file = fopen(path, "r");
    if (file == NULL) return 0;
    char line[1024];
    int found = 0;
    while (!found && fgets(line, sizeof line, file) != NULL) {
        /* "SET 0001 55 <tag> 07 01 ..." */
        found = strncmp(line, "SET ", 4) == 0 && strncmp(line + 9, "55 ", 3) == 0 &&
                strncmp(line + 15, "07 01 ", 6) == 0;
    }
    fclose(file);
    return found;
}

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: %s EXPECTED_CODE [TRACE_FILE]\n", argv[0]);
        return 2;
    }
    const int expected = atoi(argv[1]);
    ContextRecord* ctx = calloc(1, sizeof *ctx);
    if (ctx == NULL) return 2;
    uint16_t status = 0xFFFF;
    ctx->partIndex = 0;
    ctx->status = &status;
    ctx->host = NULL;

    const int32_t result = CheckID(ctx);
    printf("CheckID returned %d, status word %u\n", (int)result, (unsigned)status);
    free(ctx);
    if (result != expected || status != expected) return 1;
    if (argc > 2 && !traceHoldsPowerOn(argv[2])) {
        printf("no power-on command in %s\n", argv[2]);
        return 1;
    }
    return 0;
}
