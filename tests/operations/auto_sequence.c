// SPDX-License-Identifier: MIT
/* The automatic sequence from a plain C program, on the virtual programmer:
 * every step passes, the options read back are the ones written, and a
 * changed image no longer verifies. Exit status 0 when all of that holds. */
#include <Scriba8_T3Plus_DLL.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef int32_t (*Operation)(ContextRecord*);

static int run(const char* name, Operation operation, ContextRecord* ctx, int32_t expected) {
    /* The application marks each step of the sequence while it runs. */
    ctx->autoProcess |= S8_STEP_RUNNING;
    const int32_t result = operation(ctx);
    ctx->autoProcess &= (uint16_t)~S8_STEP_RUNNING;
    printf("%-14s %d (status word %u)\n", name, (int)result, (unsigned)*ctx->status);
    return result == expected && *ctx->status == expected;
}

static uint16_t sum16(const uint8_t* bytes, uint32_t length) {
    uint32_t sum = 0;
    for (uint32_t i = 0; i < length; ++i) sum += bytes[i];
    return (uint16_t)sum;
}

int main(void) {
    const BodyInfo* chips = NULL;
    if (GetBodyInfo(&chips) <= 0) return 2;
    const BodyInfo* chip = &chips[0];

    ContextRecord* ctx = calloc(1, sizeof *ctx);
    uint8_t* image = malloc(chip->flashSize);
    if (ctx == NULL || image == NULL) return 2;
    uint16_t status = 0;
    ctx->partIndex = 0;
    ctx->status = &status;
    ctx->autoProcess = S8_DEFAULT_AUTO_PROCESS;

    /* The chip's defaults with lock and security off, one more option
     * switched over and the second ISP size. */
    int flipped = 0;
    for (int k = 0; k < S8_ITEM_COUNT; ++k) ctx->itemValue[k] = chip->items[k].value;
    for (int j = 0; j < S8_BIT_COUNT; ++j) {
        const char* name = chip->bits[j].name;
        ctx->bitValue[j] = chip->bits[j].value;
        if (strcmp(name, "LOCK") == 0 || strcmp(name, "SB") == 0) {
            ctx->bitValue[j] = 0;
        } else if (!flipped && strcmp(name, "NA") != 0) {
            ctx->bitValue[j] = !ctx->bitValue[j];
            flipped = 1;
        }
    }
    ctx->itemValue[0] = 1;

    for (uint32_t i = 0; i < chip->flashSize; ++i) image[i] = (uint8_t)(i * 7 + 3);
    ctx->flashData = image;
    ctx->flashLength = chip->flashSize;
    ctx->flashChecksum = sum16(image, chip->flashSize);
    ctx->flashFullChecksum = ctx->flashChecksum;

    int ok = run("WholeChipErase", WholeChipErase, ctx, S8_PASS) &&
             run("Erase", Erase, ctx, S8_PASS) && run("BlankCheck", BlankCheck, ctx, S8_PASS) &&
             run("Program", Program, ctx, S8_PASS) && run("Verify", Verify, ctx, S8_PASS) &&
             run("WriteOptions", WriteOptions, ctx, S8_PASS);

    if (ok) {
        int32_t items[S8_ITEM_COUNT];
        uint32_t bits[S8_BIT_COUNT];
        memcpy(items, ctx->itemValue, sizeof items);
        memcpy(bits, ctx->bitValue, sizeof bits);
        for (int k = 0; k < S8_ITEM_COUNT; ++k) ctx->itemValue[k] = -1;
        for (int j = 0; j < S8_BIT_COUNT; ++j) ctx->bitValue[j] = 7;
        ok = run("ReadOptions", ReadOptions, ctx, S8_PASS);
        for (int k = 0; ok && k < S8_ITEM_COUNT; ++k) {
            if (strcmp(chip->items[k].name, "NA") != 0 && ctx->itemValue[k] != items[k]) {
                printf("item %s reads %d, written %d\n", chip->items[k].name,
                       (int)ctx->itemValue[k], (int)items[k]);
                ok = 0;
            }
        }
        for (int j = 0; ok && j < S8_BIT_COUNT; ++j) {
            if (strcmp(chip->bits[j].name, "NA") != 0 && ctx->bitValue[j] != bits[j]) {
                printf("option %s reads %u, written %u\n", chip->bits[j].name,
                       (unsigned)ctx->bitValue[j], (unsigned)bits[j]);
                ok = 0;
            }
        }
    }
    if (ok) {
        image[100] ^= 0xFF;
        ctx->flashChecksum = sum16(image, chip->flashSize);
        ok = run("Verify changed", Verify, ctx, S8_FAIL);
    }

    free(image);
    free(ctx);
    puts(ok ? "auto sequence: pass" : "auto sequence: FAIL");
    return ok ? 0 : 1;
}
