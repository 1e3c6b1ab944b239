// int colsplit_checked_call(const void* function, const uint32_t* words,
//                           uint32_t count, uint32_t callee_cleans,
//                           uint32_t* result, double* float_result)   (__cdecl)
//
// Calls a library function with count 32-bit argument words and reports
// whether the stack pointer came back to where it was: after the caller has
// removed the words again (the C convention), or right after the call when
// the callee removes them itself (callee_cleans, the Windows API's
// convention). A function that returns a double leaves it on the x87
// stack: it is stored in *float_result when that is not null. The stack is aligned to 16 bytes at the call, which every
// calling convention accepts.

        .text
        .globl  _colsplit_checked_call
        .def    _colsplit_checked_call; .scl 2; .type 32; .endef
        .p2align 4
_colsplit_checked_call:
        pushl   %ebp
        movl    %esp, %ebp
        pushl   %ebx
        pushl   %esi
        pushl   %edi

        movl    12(%ebp), %esi          // words
        movl    16(%ebp), %ebx          // count (kept in a register the callee preserves)

        // Align so that the stack is 16-byte aligned once the words are pushed,
        // and remember that stack pointer: it must come back after the clean-up.
        leal    0(,%ebx,4), %eax
        movl    %esp, %edi
        subl    %eax, %edi
        andl    $-16, %edi
        addl    %eax, %edi
        movl    %edi, %esp

        movl    %ebx, %ecx
1:      testl   %ecx, %ecx
        jz      2f
        decl    %ecx
        pushl   (%esi,%ecx,4)
        jmp     1b
2:
        call    *8(%ebp)

        cmpl    $0, 20(%ebp)
        jne     4f
        leal    (%esp,%ebx,4), %esp     // the caller's clean-up
4:
        movl    28(%ebp), %ecx
        testl   %ecx, %ecx
        jz      5f
        fstpl   (%ecx)
5:
        movl    24(%ebp), %ecx
        movl    %eax, (%ecx)
        xorl    %eax, %eax
        cmpl    %edi, %esp
        je      3f
        movl    %edi, %esp              // put the stack back where it belongs
        movl    $1, %eax
3:
        leal    -12(%ebp), %esp
        popl    %edi
        popl    %esi
        popl    %ebx
        popl    %ebp
        ret
