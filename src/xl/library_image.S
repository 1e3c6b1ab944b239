// The library file image: the built spreadsheet library, carried inside the
// program so that the program can be handed around as a single file. The
// block is the value 1 and the length of the library file, both 32-bit
// little-endian, then the file's bytes. LIBRARY_IMAGE_FILE names the built
// library; the build system rebuilds this object whenever the library
// changes.

#if defined(_WIN32) && defined(__i386__)
#define SYMBOL(name) _##name
#else
#define SYMBOL(name) name
#endif

#ifdef _WIN32
        .section .rdata,"dr"
#else
        .section .rodata
#endif
        .globl  SYMBOL(colsplit_library_image)
        .balign 16
SYMBOL(colsplit_library_image):
        .long   1
        .long   library_bytes_end - library_bytes
library_bytes:
        .incbin LIBRARY_IMAGE_FILE
library_bytes_end:

#ifndef _WIN32
        .type   SYMBOL(colsplit_library_image), @object
        .size   SYMBOL(colsplit_library_image), library_bytes_end - SYMBOL(colsplit_library_image)
        .section .note.GNU-stack,"",@progbits
#endif
