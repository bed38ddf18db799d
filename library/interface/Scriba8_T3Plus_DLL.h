/* SPDX-License-Identifier: MIT */
/*
 * Scriba8 T3Plus device library: the public C interface.
 *
 * The application owns one ContextRecord and a 16-bit status word; every
 * export that takes the record writes 0 into the status word first, may write
 * transfer progress (1..100) while data streams, and writes the final result
 * code (101 and above) last. The same code is the return value; only its low
 * 16 bits are meaningful.
 *
 * Texts are NUL-terminated UTF-8. The library never frees or reallocates any
 * buffer of the caller.
 */
#ifndef SCRIBA8_T3PLUS_DLL_H
#define SCRIBA8_T3PLUS_DLL_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#  if defined(SCRIBA8_BUILDING_LIBRARY)
#    define SCRIBA8_API __declspec(dllexport)
#  else
#    define SCRIBA8_API __declspec(dllimport)
#  endif
#else
#  define SCRIBA8_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Sizes of the fixed text fields -------------------------------------- */

enum {
    S8_PATH_SIZE = 4096,        /* projectFile, codeFileName, ispCodeFile, projectFolder */
    S8_REQUEST_TEXT_SIZE = 256, /* requestTo, requestFrom, requestPartNo */
    S8_ITEM_COUNT = 6,
    S8_BIT_COUNT = 14,
    S8_CUSTOMER_STRING_SIZE = 16,
    S8_SERIAL_STRING_SIZE = 12,
    S8_SAVE_TIME_SIZE = 6
};

/* ---- Result codes --------------------------------------------------------- */

enum {
    S8_PASS = 101,                    /* success */
    S8_FAIL = 102,                    /* data or identity mismatch, failure status, wrong reply tag */
    S8_SEND_ERROR = 103,              /* sending a command or data block failed */
    S8_RECEIVE_ERROR = 104,           /* reading a reply or data block failed */
    S8_NO_PROGRAMMER = 105,           /* no programmer found */
    S8_UPDATE_DECLINED = 106,         /* the user declined a firmware update */
    S8_UPDATE_FAILED = 107,           /* a firmware update failed */
    S8_STATUS_TIMEOUT = 108,          /* the status reply after an erase did not arrive in time */
    S8_ID_REJECTED = 109,             /* the target's identity was rejected at power-on */
    S8_CHIP_LOCKED = 110,             /* the target chip is locked */
    S8_PART_UNSUPPORTED = 111,        /* part number not supported */
    S8_CHECKSUM_ERROR = 112,          /* the programmer reported a checksum error after a write */
    S8_CANCELLED = 113,               /* cancelled by the user */
    S8_FILE_ERROR = 114,              /* opening (or writing) a file failed */
    S8_PROJECT_CHECKSUM_ERROR = 115,  /* project file checksum error */
    S8_PROJECT_BUFFER_ERROR = 116,    /* project buffer checksum error */
    S8_PROJECT_TOOL_ERROR = 117,      /* project tool identifier not accepted */
    S8_PROJECT_PART_ERROR = 118,      /* project part not supported */
    S8_PROJECT_OPTION_ERROR = 119,    /* project option block check failed */
    S8_POWER_ON_FAILED = 120,         /* target power-on failed */
    S8_POWER_DOWN_FAILED = 121,       /* power-down between the steps of a whole-chip erase failed */
    S8_NO_OFFLINE_INFO = 122,         /* the programmer holds no off-line information */
    S8_NO_RESPONSE = 123,             /* the target chip does not respond */
    S8_TRIM_FAILED = 124,             /* frequency trim failed, or no trim item */
    S8_FILE_TOO_LARGE = 125,          /* file too large */
    S8_PROGRAMMER_BUSY = 126          /* extensions only: another process kept the programmer */
};

/* Status word values up to this one mean "still running". */
#define S8_PROGRESS_MAX 100

/* ---- autoProcess bits ----------------------------------------------------- */

enum {
    S8_STEP_WHOLE_CHIP_ERASE = 0x0001,
    S8_STEP_BLANK_CHECK = 0x0002,
    S8_STEP_PROGRAM = 0x0004,
    S8_STEP_VERIFY = 0x0008,
    S8_STEP_WRITE_OPTIONS = 0x0010,
    S8_STEP_ERASE = 0x0020,
    S8_STEP_EEPROM_PROGRAM = 0x0040,
    S8_STEP_SAVE_CHIP_CHECKSUM = 0x0080,
    S8_STEP_RUNNING = 0x8000, /* set by the caller around one auto step, SaveVLX or OffLineMode */
    S8_DEFAULT_AUTO_PROCESS = 0x001F
};

/* ---- Host callbacks --------------------------------------------------------
 * What the library needs to ask the user. Any member may be null; with no
 * table at all the library is non-interactive: questions are answered No,
 * errors go to stderr, and a project is saved as projectFolder/projectFile.
 */
typedef struct S8HostCallbacks {
    void* user;
    /* A yes/no question. Return non-zero for Yes. */
    int (*askYesNo)(void* user, const char* text);
    /* An error the user must see (for instance a failed firmware update). */
    void (*showError)(void* user, const char* text);
    /* Choose a file to save. The host confirms overwriting an existing file.
     * Write the full path (NUL-terminated) into path and return non-zero, or
     * return 0 when the user cancelled. */
    int (*chooseSaveFile)(void* user, const char* filterText, const char* pattern,
                          const char* defaultExtension, const char* initialFolder,
                          char* path, size_t pathSize);
} S8HostCallbacks;

/* ---- The context record --------------------------------------------------- */

typedef struct ContextRecord {
    int32_t partIndex; /* row of the chip table; -1 = none */
    int32_t itemValue[S8_ITEM_COUNT];
    uint32_t bitValue[S8_BIT_COUNT]; /* 1 = option active */
    uint8_t* flashData;
    uint32_t flashStart;
    uint32_t flashLength;
    uint16_t flashChecksum;
    uint16_t flashFullChecksum;
    uint8_t* eepromData;
    uint32_t eepromStart;
    uint32_t eepromLength;
    uint16_t eepromChecksum;
    uint16_t autoProcess;
    char projectFile[S8_PATH_SIZE];
    char codeFileName[S8_PATH_SIZE];
    char ispCodeFile[S8_PATH_SIZE];
    char projectFolder[S8_PATH_SIZE];
    char requestTo[S8_REQUEST_TEXT_SIZE];
    char requestFrom[S8_REQUEST_TEXT_SIZE];
    char requestPartNo[S8_REQUEST_TEXT_SIZE];
    uint8_t projectMark;
    uint8_t customerString[S8_CUSTOMER_STRING_SIZE];
    uint8_t ispCodeSource;
    uint16_t projectChecksum;
    uint16_t projectFamilyCode;
    uint16_t toolVersion;
    uint8_t saveTime[S8_SAVE_TIME_SIZE];
    uint32_t projectId;
    uint16_t projectTag;
    uint8_t serialFlags;
    uint32_t serialAddress;
    uint8_t serialString[S8_SERIAL_STRING_SIZE];
    uint32_t serialNumber;
    uint32_t currentSerialNumber;
    uint16_t maxCounter;
    uint16_t currentCounter;
    uint16_t trimWord;
    uint16_t* status;
    const S8HostCallbacks* host;
} ContextRecord;

/* ---- The exported chip records -------------------------------------------- */

typedef struct OptionItem {
    const char* name;    /* "NA" for an unused slot */
    const char* choices; /* comma-separated; "size|code" pairs for ISP_SIZE */
    int32_t value;       /* default selection */
} OptionItem;

typedef struct OptionBit {
    const char* name;        /* "NA" for an unused slot */
    uint32_t linkedItem;     /* 0, or item slot + 1 enabled while this bit is checked */
    const char* description; /* English, NUL, Simplified Chinese, NUL (UTF-8) */
    uint32_t value;          /* 1 = active by default */
} OptionBit;

typedef struct BodyInfo {
    const char* partName;
    uint32_t seriesMask; /* exactly one bit: bit 0 = "Series A" */
    uint32_t flashSize;
    uint32_t eepromSize;
    uint32_t customerStringSupported;
    uint32_t chipChecksumSupported;
    uint16_t familyCode;
    OptionItem items[S8_ITEM_COUNT];
    OptionBit bits[S8_BIT_COUNT];
} BodyInfo;

/* ---- Exports -------------------------------------------------------------- */

SCRIBA8_API void GetDLLInfo(uint32_t* version, uint32_t* edition);
SCRIBA8_API int32_t GetBodyInfo(const BodyInfo** first);

SCRIBA8_API int32_t CheckID(ContextRecord* ctx);
SCRIBA8_API int32_t Erase(ContextRecord* ctx);
SCRIBA8_API int32_t BlankCheck(ContextRecord* ctx);
SCRIBA8_API int32_t WholeChipErase(ContextRecord* ctx);
SCRIBA8_API int32_t Program(ContextRecord* ctx);
SCRIBA8_API int32_t ProgramEEPROM(ContextRecord* ctx);
SCRIBA8_API int32_t Verify(ContextRecord* ctx);
SCRIBA8_API int32_t WriteOptions(ContextRecord* ctx);
SCRIBA8_API int32_t ReadOptions(ContextRecord* ctx);
SCRIBA8_API int32_t ReadCheckSum(ContextRecord* ctx, uint16_t* checksum);
SCRIBA8_API int32_t DumpTarget(ContextRecord* ctx);

SCRIBA8_API int32_t SaveVLX(ContextRecord* ctx);
SCRIBA8_API int32_t LoadVLXFooter(ContextRecord* ctx);
SCRIBA8_API int32_t LoadVLXBuffer(ContextRecord* ctx);
SCRIBA8_API int32_t InsertISPcode(ContextRecord* ctx);
SCRIBA8_API int32_t OffLineMode(ContextRecord* ctx);
SCRIBA8_API int32_t ReadOffLineModeInfo(ContextRecord* ctx);

/* ---- Extensions ------------------------------------------------------------
 * Not among the 19 exports above, which behave the same whether or not a
 * caller uses these.
 *
 * Holding the programmer. Each device export locks its programmer from open
 * to close, so two processes never interleave their reports; between two
 * exports another process may still use it. A job of several exports (erase,
 * program, verify) holds the programmer for its whole length: while this
 * process holds it, every export of this process that opens that programmer,
 * on whatever thread, re-enters the hold instead of waiting.
 */
typedef struct S8HoldOptions {
    int32_t waitMs; /* while another process uses it: -1 = wait until it is free, 0 = do not wait */
    void* user;
    /* Asked every few milliseconds while waiting; non-zero gives up (S8_CANCELLED). May be null. */
    int (*cancelled)(void* user);
    /* Called once after a second of waiting, with the programmer's device path
     * or state file. Null: a line on stderr says so. */
    void (*waiting)(void* user, const char* programmer);
} S8HoldOptions;

typedef struct S8ProgrammerHold S8ProgrammerHold;

/* Holds the programmer the calling thread's selection names (options may be
 * null: wait until free). Returns S8_PASS with *hold set, S8_PROGRAMMER_BUSY
 * when waitMs ran out, S8_CANCELLED, or S8_NO_PROGRAMMER when the selection
 * finds none (the exports then say why). Holds nest. */
SCRIBA8_API int32_t S8HoldProgrammer(const S8HoldOptions* options, S8ProgrammerHold** hold);
/* Ends a hold; null is ignored. */
SCRIBA8_API void S8ReleaseProgrammer(S8ProgrammerHold* hold);

/* Chooses the programmer for the exports of the calling thread, so one
 * process can drive several: "virtual", "virtual:STATEFILE", "usb",
 * "usb:PATH" or "usb:SERIAL", as SCRIBA8_PROGRAMMER takes them. Null returns
 * the thread to SCRIBA8_PROGRAMMER. S8_PASS, or S8_FAIL (nothing changed) for
 * a value that is not understood or longer than 8192 bytes. */
SCRIBA8_API int32_t S8SelectProgrammer(const char* selection);

/* ---- Layout ----------------------------------------------------------------
 * The records cross the library boundary, so every compiler that includes
 * this header must lay them out alike. Pinned for 64-bit targets, the only
 * ones the library is built for; any C or C++ compiler checks them.
 */
#define S8_LAYOUT_CHECK(name, condition) \
    typedef char s8_layout_check_##name[(sizeof(void*) != 8 || (condition)) ? 1 : -1]
#define S8_PIN_OFFSET(type, field, offset) \
    S8_LAYOUT_CHECK(type##_##field, offsetof(type, field) == (offset))

S8_LAYOUT_CHECK(ContextRecord_size, sizeof(ContextRecord) == 17376);
S8_PIN_OFFSET(ContextRecord, partIndex, 0);
S8_PIN_OFFSET(ContextRecord, itemValue, 4);
S8_PIN_OFFSET(ContextRecord, bitValue, 28);
S8_PIN_OFFSET(ContextRecord, flashData, 88);
S8_PIN_OFFSET(ContextRecord, flashStart, 96);
S8_PIN_OFFSET(ContextRecord, flashLength, 100);
S8_PIN_OFFSET(ContextRecord, flashChecksum, 104);
S8_PIN_OFFSET(ContextRecord, flashFullChecksum, 106);
S8_PIN_OFFSET(ContextRecord, eepromData, 112);
S8_PIN_OFFSET(ContextRecord, eepromStart, 120);
S8_PIN_OFFSET(ContextRecord, eepromLength, 124);
S8_PIN_OFFSET(ContextRecord, eepromChecksum, 128);
S8_PIN_OFFSET(ContextRecord, autoProcess, 130);
S8_PIN_OFFSET(ContextRecord, projectFile, 132);
S8_PIN_OFFSET(ContextRecord, codeFileName, 4228);
S8_PIN_OFFSET(ContextRecord, ispCodeFile, 8324);
S8_PIN_OFFSET(ContextRecord, projectFolder, 12420);
S8_PIN_OFFSET(ContextRecord, requestTo, 16516);
S8_PIN_OFFSET(ContextRecord, requestFrom, 16772);
S8_PIN_OFFSET(ContextRecord, requestPartNo, 17028);
S8_PIN_OFFSET(ContextRecord, projectMark, 17284);
S8_PIN_OFFSET(ContextRecord, customerString, 17285);
S8_PIN_OFFSET(ContextRecord, ispCodeSource, 17301);
S8_PIN_OFFSET(ContextRecord, projectChecksum, 17302);
S8_PIN_OFFSET(ContextRecord, projectFamilyCode, 17304);
S8_PIN_OFFSET(ContextRecord, toolVersion, 17306);
S8_PIN_OFFSET(ContextRecord, saveTime, 17308);
S8_PIN_OFFSET(ContextRecord, projectId, 17316);
S8_PIN_OFFSET(ContextRecord, projectTag, 17320);
S8_PIN_OFFSET(ContextRecord, serialFlags, 17322);
S8_PIN_OFFSET(ContextRecord, serialAddress, 17324);
S8_PIN_OFFSET(ContextRecord, serialString, 17328);
S8_PIN_OFFSET(ContextRecord, serialNumber, 17340);
S8_PIN_OFFSET(ContextRecord, currentSerialNumber, 17344);
S8_PIN_OFFSET(ContextRecord, maxCounter, 17348);
S8_PIN_OFFSET(ContextRecord, currentCounter, 17350);
S8_PIN_OFFSET(ContextRecord, trimWord, 17352);
S8_PIN_OFFSET(ContextRecord, status, 17360);
S8_PIN_OFFSET(ContextRecord, host, 17368);

S8_LAYOUT_CHECK(BodyInfo_size, sizeof(BodyInfo) == 624);
S8_PIN_OFFSET(BodyInfo, partName, 0);
S8_PIN_OFFSET(BodyInfo, seriesMask, 8);
S8_PIN_OFFSET(BodyInfo, flashSize, 12);
S8_PIN_OFFSET(BodyInfo, eepromSize, 16);
S8_PIN_OFFSET(BodyInfo, customerStringSupported, 20);
S8_PIN_OFFSET(BodyInfo, chipChecksumSupported, 24);
S8_PIN_OFFSET(BodyInfo, familyCode, 28);
S8_PIN_OFFSET(BodyInfo, items, 32);
S8_PIN_OFFSET(BodyInfo, bits, 176);
S8_LAYOUT_CHECK(OptionItem_size, sizeof(OptionItem) == 24);
S8_PIN_OFFSET(OptionItem, choices, 8);
S8_PIN_OFFSET(OptionItem, value, 16);
S8_LAYOUT_CHECK(OptionBit_size, sizeof(OptionBit) == 32);
S8_PIN_OFFSET(OptionBit, linkedItem, 8);
S8_PIN_OFFSET(OptionBit, description, 16);
S8_PIN_OFFSET(OptionBit, value, 24);
S8_LAYOUT_CHECK(S8HostCallbacks_size, sizeof(S8HostCallbacks) == 32);

#ifdef __cplusplus
}
#endif

#endif /* SCRIBA8_T3PLUS_DLL_H */
