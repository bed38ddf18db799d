; SPDX-License-Identifier: MIT
; Scriba8 ISP boot loader: a small UART loader that chips boot into from
; their ISP area when the "boot from ISP" option is set. It lets a host
; erase, write and read the application Flash over the serial port.
;
; Position independence. One image serves chips of different Flash and ISP
; area sizes, so it runs wherever it is placed (Flash size - ISP size): only
; relative branches, no calls (the routines are macros), no tables. The one
; absolute jump goes to the application at 0x0000. build_images.py assembles
; every image at two origins and refuses to continue if the bytes differ.
;
; Serial protocol, 8 data bits, no parity, one stop bit:
;   host   -> SYNC (0x7F), repeated until the loader answers
;   loader -> 'S' '8' id-high id-low LOADER_VERSION
;   host   -> cmd addr-high addr-low len [len data bytes for 'W'] sum
;             (sum makes the 8-bit total of the frame zero)
;   cmd 'E' erase the Flash page that holds addr          -> ACK
;       'W' program len (1..64) bytes from addr, verified -> ACK
;       'R' read len (1..64) bytes from addr   -> ACK, len bytes, sum
;       'G' leave the loader and start the application    -> ACK
;   Anything wrong (sum, length, unknown command, a Flash operation the
;   chip refused) is answered with NAK and the loader waits for the next
;   frame. Without SYNC for about half a second after reset the loader
;   starts the application.
;
; The IAP block of our chip model. A Flash operation starts when the
; trigger register sees IAP_KEY1 then IAP_KEY2; the CPU is held until it
; ends. The chip refuses (and flags IAP_FAIL) any operation on its ISP area,
; which is how the loader keeps itself intact without knowing where it is.
;
; Image size. The code is padded with 0xFF (erased Flash) to IMAGE_MINIMUM
; bytes by build_images.py, so every image reserves the same smallest ISP
; area whatever the assembler makes of the code.

        .module isp_loader
        .include "variant.inc"   ; IMAGE_ID, BAUD_RELOAD, ORIGIN

LOADER_VERSION  = 0x01
ID_HIGH         = IMAGE_ID >> 8
ID_LOW          = IMAGE_ID & 0xFF
SYNC            = 0x7F
ACK             = 0x06
NAK             = 0x15
MAX_DATA        = 64
BUFFER          = 0x30          ; MAX_DATA bytes of internal RAM
STACK           = 0x6F          ; pushes go above the buffer
SYNC_TICKS      = 8             ; timer-0 overflows to wait for SYNC

IAPDAT          = 0xF1          ; data byte read or to program
IAPADH          = 0xF2          ; Flash address, high byte
IAPADL          = 0xF3          ; Flash address, low byte
IAPCMD          = 0xF4          ; operation: IAP_READ, IAP_PROGRAM, IAP_ERASE
IAPTRG          = 0xF5          ; trigger: IAP_KEY1 then IAP_KEY2
IAPCON          = 0xF6          ; IAP_ENABLE, IAP_FAIL (write 0 to clear)
IAP_READ        = 0x01
IAP_PROGRAM     = 0x02
IAP_ERASE       = 0x03
IAP_KEY1        = 0x55
IAP_KEY2        = 0xAA
IAP_ENABLE      = 0x80
IAP_FAIL        = 0x01          ; set in IAPCON when the chip refused an operation

; ---- Routines, expanded in place ------------------------------------------

        ; A <- next received byte; R6 += A (running frame sum)
        .macro  GETC
        jnb     RI,.
        clr     RI
        mov     a,SBUF
        xch     a,r6
        add     a,r6
        xch     a,r6
        .endm

        ; send A
        .macro  PUTC
        clr     TI
        mov     SBUF,a
        jnb     TI,.
        .endm

        ; send a constant
        .macro  PUTK value
        mov     a,#value
        PUTC
        .endm

        ; run one Flash operation at R3:R4 (+ nothing else)
        .macro  IAP_RUN operation
        mov     IAPADH,r3
        mov     IAPADL,r4
        mov     IAPCMD,#operation
        mov     IAPTRG,#IAP_KEY1
        mov     IAPTRG,#IAP_KEY2
        .endm

        ; put the chip back the way reset left it and start the application
        .macro  START_APPLICATION
        clr     TR0
        clr     TR1
        mov     IAPCON,#0
        mov     SCON,#0
        mov     TMOD,#0
        mov     SP,#0x07
        ljmp    0x0000
        .endm

        ; R3:R4 += 1
        .macro  NEXT_ADDRESS ?done
        inc     r4
        cjne    r4,#0,done
        inc     r3
done:
        .endm

; ---- Start-up ----------------------------------------------------------------
; Relative branches reach 127 bytes forward and 128 back; the "hub" labels
; below relay the long ones.

        .area   LOADER (ABS,CODE)
        .org    ORIGIN

start:
        clr     EA
        mov     SP,#STACK
        mov     SCON,#0x50              ; mode 1, receiver on
        mov     TMOD,#0x21              ; timer 1 baud generator, timer 0 16-bit
        mov     TH1,#BAUD_RELOAD
        mov     TL1,#BAUD_RELOAD
        setb    TR1
        mov     IAPCON,#IAP_ENABLE
        mov     r7,#SYNC_TICKS

wait_tick:
        clr     TR0
        mov     TH0,#0
        mov     TL0,#0
        clr     TF0
        setb    TR0
poll_sync:
        jbc     RI,got_byte
        jnb     TF0,poll_sync
        djnz    r7,wait_tick
        START_APPLICATION               ; nobody there
got_byte:
        mov     a,SBUF
        cjne    a,#SYNC,poll_sync

        clr     TR0
        PUTK    'S'
        PUTK    '8'
        PUTK    ID_HIGH
        PUTK    ID_LOW
        PUTK    LOADER_VERSION

; ---- Frame reception ---------------------------------------------------------

next_frame:
        mov     r6,#0
        GETC
        mov     r2,a                    ; command
        GETC
        mov     r3,a                    ; address high
        GETC
        mov     r4,a                    ; address low
        GETC
        mov     r5,a                    ; length
        mov     r0,#BUFFER
        cjne    r2,#'W',frame_sum       ; only writes carry data

        mov     a,r5
        jz      frame_sum
        add     a,#(0x100 - MAX_DATA - 1)
        jc      frame_sum               ; too long to hold: refused below
        mov     a,r5
        mov     r7,a
receive_data:
        GETC
        mov     @r0,a
        inc     r0
        djnz    r7,receive_data

frame_sum:
        GETC                            ; the sum byte closes the frame
        mov     a,r6
        jnz     reject
        mov     a,r5                    ; lengths: 0 for 'E' and 'G', 1..64 otherwise
        add     a,#(0x100 - MAX_DATA - 1)
        jnc     dispatch

reject:                                 ; hub
        PUTK    NAK
frame_hub:                              ; hub
        sjmp    next_frame
acknowledge:                            ; hub
        PUTK    ACK
        sjmp    next_frame

; ---- Commands ----------------------------------------------------------------

dispatch:
        mov     IAPCON,#IAP_ENABLE      ; clears a failure left by the last command
        cjne    r2,#'E',not_erase
        IAP_RUN IAP_ERASE
report:                                 ; hub
        mov     a,IAPCON
        anl     a,#IAP_FAIL
        jnz     reject
        sjmp    acknowledge

not_erase:
        cjne    r2,#'G',not_go
        PUTK    ACK
        START_APPLICATION
middle_reject:                          ; hub
        sjmp    reject
middle_frames:                          ; hub
        sjmp    frame_hub

not_go:
        mov     a,r5
        jz      middle_reject
        mov     r7,a
        mov     r0,#BUFFER
        cjne    r2,#'W',not_write
program_byte:
        mov     IAPDAT,@r0
        IAP_RUN IAP_PROGRAM
        IAP_RUN IAP_READ                ; read back what the cell now holds
        mov     a,IAPDAT
        xrl     a,@r0
        jnz     report_failure
        inc     r0
        NEXT_ADDRESS
        djnz    r7,program_byte
        sjmp    report
report_failure:                         ; hub
        sjmp    middle_reject
frames_again:                           ; hub
        sjmp    middle_frames

not_write:
        cjne    r2,#'R',report_failure
        PUTK    ACK
        mov     r6,#0
read_byte:
        IAP_RUN IAP_READ
        mov     a,IAPDAT
        xch     a,r6
        add     a,r6
        xch     a,r6
        PUTC
        NEXT_ADDRESS
        djnz    r7,read_byte
        clr     a
        clr     c
        subb    a,r6
        PUTC
        sjmp    frames_again
