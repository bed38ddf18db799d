; SPDX-License-Identifier: MIT
; blinky.hex: a running light on port 1 (LEDs active low), for any 8051.
; Hand-assembled; the bytes in blinky.hex are exactly these instructions.

        ORG     0000h
        LJMP    start               ; 02 00 30

        ORG     0030h
start:  MOV     SP,#5Fh             ; 75 81 5F   stack above the register banks
        MOV     DPTR,#pattern       ; 90 00 50
next:   MOV     R5,#0               ; 7D 00      pattern index
show:   MOV     A,R5                ; ED
        MOVC    A,@A+DPTR           ; 93
        MOV     P1,A                ; F5 90
        ACALL   delay               ; 11 46
        INC     R5                  ; 0D
        CJNE    R5,#8,show          ; BD 08 F6
        SJMP    next                ; 80 F2
        NOP                         ; 00
        NOP                         ; 00

delay:  MOV     R7,#200             ; 7F C8      about 100 ms at 12 MHz
d1:     MOV     R6,#250             ; 7E FA
d2:     DJNZ    R6,d2               ; DE FE
        DJNZ    R7,d1               ; DF FA
        RET                         ; 22
        NOP                         ; 00

pattern: DB     0FEh,0FDh,0FBh,0F7h,0EFh,0DFh,0BFh,07Fh
        DB      "blinky 1.0",0
        END
