#pragma once
// The entries of a library loaded on first use, written by
// cmake/LazyLibrary.cmake as one FALMIDE_LAZY_ENTRY per exported function.
//
// Each function gets a global (hidden) entry point with the function's own
// name that jumps through a table. The table starts out pointing at a
// second, per-function step that pushes the function's index and goes to
// the library's common step: it keeps every register a call may pass
// arguments in (including %al and %xmm0-7 for variadic and floating-point
// arguments), asks falmide_lazy_resolve() for the real address, which also
// writes it into the table, puts the registers back and jumps there. The
// caller's stack is untouched, so arguments passed on it arrive as well, and
// the function returns straight to the caller. Later calls cost one indirect
// jump.
//
// Hidden: the entries are for this program's own calls only; the library,
// once loaded, never sees them.

#define FALMIDE_LAZY_QUOTE2(x) #x
#define FALMIDE_LAZY_QUOTE(x) FALMIDE_LAZY_QUOTE2(x)

#define FALMIDE_LAZY_BEGIN(id, soname, count)                                                      \
    asm(".pushsection .rodata\n"                                                                   \
        ".Lsoname: .asciz " FALMIDE_LAZY_QUOTE(                                                    \
            soname) "\n"                                                                           \
                    ".popsection\n"                                                                \
                    ".pushsection .data.rel.local.falmide_lazy_" #id "_table,\"aw\"\n"             \
                    ".balign 8\n"                                                                  \
                    "falmide_lazy_" #id "_table:\n"                                                \
                    ".popsection\n"                                                                \
                    ".pushsection .data.rel.local.falmide_lazy_" #id "_names,\"aw\"\n"             \
                    ".balign 8\n"                                                                  \
                    "falmide_lazy_" #id "_names:\n"                                                \
                    ".popsection\n"                                                                \
                    ".pushsection .data.rel.local,\"aw\"\n"                                        \
                    ".balign 8\n"                                                                  \
                    "falmide_lazy_" #id "_library:\n"                                              \
                    "  .quad .Lsoname\n"                                                           \
                    "  .quad falmide_lazy_" #id "_names\n"                                         \
                    "  .quad falmide_lazy_" #id "_table\n"                                         \
                    "  .quad " #count "\n"                                                         \
                    "  .quad 0\n"                                                                  \
                    ".popsection\n"                                                                \
                    ".text\n"                                                                      \
                    ".balign 16\n"                                                                 \
                    "falmide_lazy_" #id "_common:\n"                                               \
                    "  pushq %rbp\n"                                                               \
                    "  movq %rsp, %rbp\n"                                                          \
                    "  pushq %rdi\n"                                                               \
                    "  pushq %rsi\n"                                                               \
                    "  pushq %rdx\n"                                                               \
                    "  pushq %rcx\n"                                                               \
                    "  pushq %r8\n"                                                                \
                    "  pushq %r9\n"                                                                \
                    "  pushq %rax\n"                                                               \
                    "  subq $128, %rsp\n"                                                          \
                    "  movdqu %xmm0, 0(%rsp)\n"                                                    \
                    "  movdqu %xmm1, 16(%rsp)\n"                                                   \
                    "  movdqu %xmm2, 32(%rsp)\n"                                                   \
                    "  movdqu %xmm3, 48(%rsp)\n"                                                   \
                    "  movdqu %xmm4, 64(%rsp)\n"                                                   \
                    "  movdqu %xmm5, 80(%rsp)\n"                                                   \
                    "  movdqu %xmm6, 96(%rsp)\n"                                                   \
                    "  movdqu %xmm7, 112(%rsp)\n"                                                  \
                    "  leaq falmide_lazy_" #id "_library(%rip), %rdi\n"                            \
                    "  movq 8(%rbp), %rsi\n"                                                       \
                    "  call falmide_lazy_resolve@PLT\n"                                            \
                    "  movq %rax, %r11\n"                                                          \
                    "  movdqu 0(%rsp), %xmm0\n"                                                    \
                    "  movdqu 16(%rsp), %xmm1\n"                                                   \
                    "  movdqu 32(%rsp), %xmm2\n"                                                   \
                    "  movdqu 48(%rsp), %xmm3\n"                                                   \
                    "  movdqu 64(%rsp), %xmm4\n"                                                   \
                    "  movdqu 80(%rsp), %xmm5\n"                                                   \
                    "  movdqu 96(%rsp), %xmm6\n"                                                   \
                    "  movdqu 112(%rsp), %xmm7\n"                                                  \
                    "  addq $128, %rsp\n"                                                          \
                    "  popq %rax\n"                                                                \
                    "  popq %r9\n"                                                                 \
                    "  popq %r8\n"                                                                 \
                    "  popq %rcx\n"                                                                \
                    "  popq %rdx\n"                                                                \
                    "  popq %rsi\n"                                                                \
                    "  popq %rdi\n"                                                                \
                    "  popq %rbp\n"                                                                \
                    "  addq $8, %rsp\n"                                                            \
                    "  jmp *%r11\n");

#define FALMIDE_LAZY_ENTRY(id, name, index)                                                        \
    asm(".pushsection .rodata\n"                                                                   \
        ".Lname" #index ": .asciz \"" #name "\"\n"                                                 \
        ".popsection\n"                                                                            \
        ".pushsection .data.rel.local.falmide_lazy_" #id "_names,\"aw\"\n"                         \
        "  .quad .Lname" #index "\n"                                                               \
        ".popsection\n"                                                                            \
        ".pushsection .data.rel.local.falmide_lazy_" #id "_table,\"aw\"\n"                         \
        "  .quad .Lresolve" #index "\n"                                                            \
        ".popsection\n"                                                                            \
        ".text\n"                                                                                  \
        ".globl " #name "\n"                                                                       \
        ".hidden " #name "\n"                                                                      \
        ".type " #name ", @function\n" #name ":\n"                                                 \
        "  endbr64\n"                                                                              \
        "  jmp *falmide_lazy_" #id "_table+" #index "*8(%rip)\n"                                   \
        ".Lresolve" #index ":\n"                                                                   \
        "  endbr64\n"                                                                              \
        "  pushq $" #index "\n"                                                                    \
        "  jmp falmide_lazy_" #id "_common\n"                                                      \
        ".size " #name ", .-" #name "\n");

#define FALMIDE_LAZY_END(id)
