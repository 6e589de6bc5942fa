/* libmpg123's config.h for Emscripten, written by hand so that the browser build needs no
   configure run. These are the answers mpg123 1.31's configure gives for
   emconfigure ./configure --with-cpu=generic_fpu --disable-shared --enable-static
   --disable-modules --enable-network=no, reduced to what the library's sources read. */
#ifndef NIMRA_MPG123_CONFIG_H
#define NIMRA_MPG123_CONFIG_H

#define PACKAGE_VERSION "1.31.2"
#define VERSION "1.31.2"

/* The portable C decoder, with the float synthesis and accurate rounding. */
#define ACCURATE_ROUNDING 1
#define IEEE_FLOAT 1
#define USE_NEW_HUFFTABLE 1
#define FRAME_INDEX 1
#define INDEX_SIZE 1000
#define GAPLESS 1
#define FIFO 1

/* off_t is 64 bits wide on wasm32: the plain names already take 64-bit offsets. */
#define BUILD_NO_LARGENAME 1
#define LFS_ALIAS_BITS 64
#define lfs_alias_t off_t
#define SIZEOF_INT32_T 4
#define SIZEOF_LONG 4
#define SIZEOF_OFF64_T 0
#define SIZEOF_OFF_T 8
#define SIZEOF_SIZE_T 4
#define SIZEOF_SSIZE_T 4

/* Emscripten's C library (musl). */
#define STDC_HEADERS 1
#define HAVE_STDINT_H 1
#define HAVE_INTTYPES_H 1
#define HAVE_LIMITS_H 1
#define HAVE_STDIO_H 1
#define HAVE_STDLIB_H 1
#define HAVE_STRING_H 1
#define HAVE_STRINGS_H 1
#define HAVE_STRERROR 1
#define HAVE_UNISTD_H 1
#define HAVE_DIRENT_H 1
#define HAVE_BYTESWAP_H 1
#define HAVE_SYS_SIGNAL_H 1
#define HAVE_SYS_TYPES_H 1
#define HAVE_SYS_STAT_H 1
#define HAVE_SYS_TIME_H 1
#define HAVE_SYS_SELECT_H 1
#define HAVE_SIGNAL_H 1
#define HAVE_LOCALE_H 1
#define HAVE_LANGINFO_H 1
#define HAVE_NL_LANGINFO 1
#define HAVE_SETLOCALE 1
#define HAVE_WCHAR_H 1
#define HAVE_WCTYPE_H 1
#define HAVE_MBSTOWCS 1
#define HAVE_WCSTOMBS 1
#define HAVE_WCSWIDTH 1
#define HAVE_ISWPRINT 1
#define HAVE_ATOLL 1
#define HAVE_LIBM 1

#endif
