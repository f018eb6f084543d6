#pragma once
// The entries of a library loaded on first use, written by
// cmake/LazyLibrary.cmake as one FALMIDE_LAZY_ENTRY per exported function.
//
// Each function gets a global (hidden) entry point with the function's own
// name that jumps through a table. A slot still empty sends the call to a
// second, per-function step that pushes the function's index and goes to
// the library's common step: it keeps every register a call may pass
// arguments in (including %al and %xmm0-7 for variadic and floating-point
// arguments), asks falmide_lazy_resolve() for the real address, which also
// writes it into the table, puts the registers back and jumps there. The
// caller's stack is untouched, so arguments passed on it arrive as well, and
// the function returns straight to the caller. Later calls cost a load, a
// test and an indirect jump; %r11 is the one register no call passes
// anything in.
//
// Nothing here needs the loader's attention when the program starts: the
// table is zero-filled memory, and the names are kept as offsets into one
// block of text, not as pointers. With some twenty thousand functions
// across the libraries, a pointer each (and its relocation, and a written
// page every 512) cost the program a millisecond before main().
//
// Hidden: the entries are for this program's own calls only; the library,
// once loaded, never sees them.

// The library's file name is the first text of the block, at offset 0.
#define FALMIDE_LAZY_BEGIN(id, soname, count)                                                      \
    asm(".pushsection .rodata.falmide_lazy_" #id "_text,\"a\"\n"                                   \
        "falmide_lazy_" #id "_text:\n"                                                             \
        "  .asciz \"" soname "\"\n"                                                                \
        ".popsection\n"                                                                            \
        ".pushsection .rodata.falmide_lazy_" #id "_names,\"a\"\n"                                  \
        ".balign 4\n"                                                                              \
        "falmide_lazy_" #id "_names:\n"                                                            \
        ".popsection\n"                                                                            \
        ".pushsection .bss.falmide_lazy_" #id "_table,\"aw\",@nobits\n"                            \
        ".balign 8\n"                                                                              \
        "falmide_lazy_" #id "_table:\n"                                                            \
        "  .zero " #count "*8\n"                                                                   \
        ".popsection\n"                                                                            \
        ".pushsection .data.rel.local,\"aw\"\n"                                                    \
        ".balign 8\n"                                                                              \
        "falmide_lazy_" #id "_library:\n"                                                          \
        "  .quad falmide_lazy_" #id "_text\n"                                                      \
        "  .quad falmide_lazy_" #id "_names\n"                                                     \
        "  .quad falmide_lazy_" #id "_table\n"                                                     \
        "  .quad " #count "\n"                                                                     \
        "  .quad 0\n"                                                                              \
        ".popsection\n"                                                                            \
        ".text\n"                                                                                  \
        ".balign 16\n"                                                                             \
        "falmide_lazy_" #id "_common:\n"                                                           \
        "  pushq %rbp\n"                                                                           \
        "  movq %rsp, %rbp\n"                                                                      \
        "  pushq %rdi\n"                                                                           \
        "  pushq %rsi\n"                                                                           \
        "  pushq %rdx\n"                                                                           \
        "  pushq %rcx\n"                                                                           \
        "  pushq %r8\n"                                                                            \
        "  pushq %r9\n"                                                                            \
        "  pushq %rax\n"                                                                           \
        "  subq $128, %rsp\n"                                                                      \
        "  movdqu %xmm0, 0(%rsp)\n"                                                                \
        "  movdqu %xmm1, 16(%rsp)\n"                                                               \
        "  movdqu %xmm2, 32(%rsp)\n"                                                               \
        "  movdqu %xmm3, 48(%rsp)\n"                                                               \
        "  movdqu %xmm4, 64(%rsp)\n"                                                               \
        "  movdqu %xmm5, 80(%rsp)\n"                                                               \
        "  movdqu %xmm6, 96(%rsp)\n"                                                               \
        "  movdqu %xmm7, 112(%rsp)\n"                                                              \
        "  leaq falmide_lazy_" #id "_library(%rip), %rdi\n"                                        \
        "  movq 8(%rbp), %rsi\n"                                                                   \
        "  call falmide_lazy_resolve@PLT\n"                                                        \
        "  movq %rax, %r11\n"                                                                      \
        "  movdqu 0(%rsp), %xmm0\n"                                                                \
        "  movdqu 16(%rsp), %xmm1\n"                                                               \
        "  movdqu 32(%rsp), %xmm2\n"                                                               \
        "  movdqu 48(%rsp), %xmm3\n"                                                               \
        "  movdqu 64(%rsp), %xmm4\n"                                                               \
        "  movdqu 80(%rsp), %xmm5\n"                                                               \
        "  movdqu 96(%rsp), %xmm6\n"                                                               \
        "  movdqu 112(%rsp), %xmm7\n"                                                              \
        "  addq $128, %rsp\n"                                                                      \
        "  popq %rax\n"                                                                            \
        "  popq %r9\n"                                                                             \
        "  popq %r8\n"                                                                             \
        "  popq %rcx\n"                                                                            \
        "  popq %rdx\n"                                                                            \
        "  popq %rsi\n"                                                                            \
        "  popq %rdi\n"                                                                            \
        "  popq %rbp\n"                                                                            \
        "  addq $8, %rsp\n"                                                                        \
        "  jmp *%r11\n");

// The name's offset is the distance between two labels of one section of
// this file, which the assembler works out itself.
#define FALMIDE_LAZY_ENTRY(id, name, index)                                                        \
    asm(".pushsection .rodata.falmide_lazy_" #id "_text,\"a\"\n"                                   \
        ".Lname" #index ": .asciz \"" #name "\"\n"                                                 \
        ".popsection\n"                                                                            \
        ".pushsection .rodata.falmide_lazy_" #id "_names,\"a\"\n"                                  \
        "  .long .Lname" #index " - falmide_lazy_" #id "_text\n"                                   \
        ".popsection\n"                                                                            \
        ".text\n"                                                                                  \
        ".globl " #name "\n"                                                                       \
        ".hidden " #name "\n"                                                                      \
        ".type " #name ", @function\n" #name ":\n"                                                 \
        "  endbr64\n"                                                                              \
        "  movq falmide_lazy_" #id "_table+" #index "*8(%rip), %r11\n"                             \
        "  testq %r11, %r11\n"                                                                     \
        "  jz .Lresolve" #index "\n"                                                               \
        "  jmp *%r11\n"                                                                            \
        ".Lresolve" #index ":\n"                                                                   \
        "  pushq $" #index "\n"                                                                    \
        "  jmp falmide_lazy_" #id "_common\n"                                                      \
        ".size " #name ", .-" #name "\n");

#define FALMIDE_LAZY_END(id)
