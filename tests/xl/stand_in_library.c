/* A stand-in for the spreadsheet library, put beside a copy of the probe
 * program (or of colsplit.exe) as libxl.dll / libxl.so. Its handles are
 * recognisable numbers, so that the probe's output shows which library
 * answered. Built in variants: WITHOUT_SET_COL and WITHOUT_BOOK_LOAD leave
 * xlSheetSetColA or xlBookLoadA out; STDCALL_SET_COL and STDCALL_BOOK_LOAD
 * export it with the callee-pops convention under the plain name. */
#include <stddef.h>
#include <stdio.h>

#ifdef _WIN32
#include <windows.h>
#define EXPORT __declspec(dllexport)
#else
#define EXPORT __attribute__((visibility("default")))
#endif

#define STAND_IN_BOOK ((void*)0x5EED)

EXPORT void* xlCreateXMLBookCA(void) { return STAND_IN_BOOK; }
#if defined(STDCALL_BOOK_LOAD)
EXPORT int __stdcall xlBookLoadA(void* book, const char* name) { return book == STAND_IN_BOOK && name != NULL; }
#elif !defined(WITHOUT_BOOK_LOAD)
EXPORT int xlBookLoadA(void* book, const char* name) { return book == STAND_IN_BOOK && name != NULL; }
#endif
EXPORT int xlBookSaveA(void* book, const char* name) { return book == STAND_IN_BOOK && name != NULL; }
EXPORT void xlBookReleaseA(void* book) { (void)book; }
EXPORT void* xlBookGetSheetA(void* book, int index) { return index == 0 ? book : NULL; }
EXPORT int xlBookSheetCountA(void* book) { return book == STAND_IN_BOOK ? 41 : 0; }
EXPORT void* xlBookInsertSheetA(void* book, int index, const char* name, void* sheet) {
  (void)index, (void)name, (void)sheet;
  return book;
}
EXPORT void* xlBookAddFormatA(void* book, void* format) {
  (void)format;
  return book;
}
EXPORT void xlFormatSetBorderA(void* format, int style) { (void)format, (void)style; }
EXPORT int xlSheetLastRowA(void* sheet) { return sheet == STAND_IN_BOOK ? 42 : 0; }
EXPORT int xlSheetLastColA(void* sheet) { return sheet == STAND_IN_BOOK ? 43 : 0; }
EXPORT const char* xlSheetReadStrA(void* sheet, int row, int col, void** format) {
  (void)sheet, (void)row, (void)col, (void)format;
  return "stand-in";
}
EXPORT int xlSheetWriteStrA(void* sheet, int row, int col, const char* value, void* format) {
  (void)sheet, (void)row, (void)col, (void)value, (void)format;
  return 1;
}
EXPORT int xlSheetAddIgnoredErrorA(void* sheet, int r0, int c0, int r1, int c1, int flags) {
  (void)sheet, (void)r0, (void)c0, (void)r1, (void)c1, (void)flags;
  return 1;
}

#if defined(STDCALL_SET_COL)
EXPORT int __stdcall xlSheetSetColA(void* sheet, int first, int last, double width, void* format, int hidden) {
  (void)sheet, (void)first, (void)last, (void)width, (void)format, (void)hidden;
  return 44;
}
#elif !defined(WITHOUT_SET_COL)
EXPORT int xlSheetSetColA(void* sheet, int first, int last, double width, void* format, int hidden) {
  (void)sheet, (void)first, (void)last, (void)format, (void)hidden;
  return width == 8.5 ? 44 : 0;
}
#endif

/* Tells the probe's output when the library is unloaded: on Windows only
 * when its last reference is given back (not when the process ends); on
 * Linux also at a normal exit, but not after the runtime error report, which
 * ends the process without running the libraries' destructors. */
#ifndef _WIN32
__attribute__((destructor)) static void report_unload(void) {
  fputs("stand-in library unloaded\n", stdout);
  fflush(stdout);
}
#else
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)instance;
  if (reason == DLL_PROCESS_DETACH && reserved == NULL) {
    fputs("stand-in library unloaded\n", stdout);
    fflush(stdout);
  }
  return TRUE;
}
#endif
