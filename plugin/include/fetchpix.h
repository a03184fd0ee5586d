/* The boundary between Skyframe and its internet plug-in Fetchpix.dll.
 *
 * Plain C: the program and the plug-in share nothing but this header. It
 * compiles as C and as C++, needs no <windows.h>, and every type that crosses
 * has a fixed width. The program binds each export by its bare name with
 * GetProcAddress, using the pointer typedefs below.
 *
 * Calling order
 *   1. InitDll, first and once (FETCHPIX_INTERFACE_VERSION, data folder).
 *   2. SetSearchOption (at least FETCHPIX_OPTION_NOTIFY, or no notification
 *      ever arrives) and EnumerateSearch.
 *   3. Any number of searches: StartSearch; QueueImage as often as wanted and,
 *      after each SUCCESS notification, FetchSearch followed by FreeImage;
 *      StopSearch when the search text or engine changes.
 *   4. UnloadDll, last. It stops every live search and writes the archive.
 * No call but InitDll is allowed before InitDll has returned SUCCESS; after a
 * failed InitDll the caller makes no further call.
 *
 * Notifications
 *   The plug-in posts (never sends) PostMessage(window, message, wParam,
 *   lParam) with the window and message given by FETCHPIX_OPTION_NOTIFY:
 *   wParam is the SearchHandle the news is about, lParam the status
 *   code. A zero window switches them off. They come from the plug-in's own
 *   threads; one may arrive for a handle the caller has already stopped (its
 *   FetchSearch then answers INVALIDHANDLE).
 *
 * Ownership
 *   A search handle belongs to the plug-in and is valid until the plug-in has
 *   carried out the matching StopSearch. An ImageData is allocated by
 *   FetchSearch and given back with FreeImage. Texts passed in are copied.
 */
#ifndef SKYFRAME_PLUGIN_INCLUDE_FETCHPIX_H
#define SKYFRAME_PLUGIN_INCLUDE_FETCHPIX_H

#include <stdint.h>

#if defined(_WIN32)
#define FETCHPIX_CALL __cdecl
#else
#define FETCHPIX_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* InitDll refuses any other version with VERSIONMISMATCH. */
#define FETCHPIX_INTERFACE_VERSION 0x20060719u

/* Status values: the high byte is the class, the low byte the detail. The same
 * numbers travel as a notification's lParam. */
enum _ReturnCode {
  SUCCESS = 0x101,           /* done; as a notification: an image is ready */
  IMAGENOTREADY = 0x102,     /* the image is not in memory yet, or the handle is not ready */
  IMAGENOTQUEUE = 0x103,     /* no current result yet (still initialising) */
  IMAGESKIPPED = 0x104,      /* internal: a candidate was skipped */
  ENDOFRESULTS = 0x105,      /* notification: the results start again from the first */
  OUTOFMEMORY = 0x201,       /* the plug-in core could not be created */
  BADPARAMETER = 0x202,      /* FetchSearch was given no place for the image */
  ARCHIVEERROR = 0x204,      /* internal: the data archive lacks a node that must exist */
  NOTSUPPORTED = 0x205,      /* CheckSearchMode, always */
  NOCONNECTION = 0x301,      /* no internet connection */
  CONNECTIONREFUSED = 0x302, /* time-out or cannot connect */
  SERVERBUSY = 0x303,        /* HTTP 503 */
  URLUNAVAILABLE = 0x304,    /* HTTP 404 */
  CONTENTNOTUSABLE = 0x305,  /* the address serves neither an image nor an HTML page */
  URLNOTHTTP = 0x306,        /* the address is not an HTTP address */
  URLNOTRESOLVED = 0x307,    /* the host name could not be resolved */
  PLUGINNOTLOADED = 0x401,   /* program side only: not initialised, call not made */
  EXPORTMISSING = 0x402,     /* program side only: an export could not be resolved */
  LOADFAILED = 0x403,        /* program side only: the library could not be loaded */
  VERSIONMISMATCH = 0x404,   /* InitDll was given another interface version */
  NORESULTS = 0x501,         /* notification: no results for the keywords */
  NOPREVIOUS = 0x502,        /* notification: there is no previous image */
  NOKEYWORDS = 0x503,        /* StartSearch was given no search text */
  INVALIDHANDLE = 0x505,     /* the handle is not one of the live searches */
  IMAGEREJECTED = 0x506,     /* internal: a candidate fails the size filter or is condemned */
  DOWNLOADABORTED = 0x507,   /* internal: a download was aborted because its search stops */
  STOPENUMERATION = 0x508,   /* returned by an enumeration callback to stop EnumerateSearch */
  ENGINEUNAVAILABLE = 0x509  /* notification: the engine could not be reached */
};

/* SetSearchOption identifiers; the defaults hold from InitDll on. */
enum FetchpixOption {
  FETCHPIX_OPTION_FILE_SIZE = 1,    /* lower, upper bound in bytes; default 0, 0; kept, not used */
  FETCHPIX_OPTION_MIN_SIZE = 2,     /* minimum width, height; 0 turns a bound off; default 0, 0 */
  FETCHPIX_OPTION_MAX_SIZE = 3,     /* maximum width, height; 0 turns a bound off; default 0, 0 */
  FETCHPIX_OPTION_NOTIFY = 4,       /* window handle (0 = no notifications), message number */
  FETCHPIX_OPTION_KEEP_RESULTS = 5, /* results a search keeps; default 1000 */
  FETCHPIX_OPTION_GROUP = 6,        /* skip results from the same source (0/1); default 1 */
  FETCHPIX_OPTION_BLOCK_EXPLICIT = 7, /* ask engines for filtered results (0/1); default 1 */
  FETCHPIX_OPTION_CACHE_BUDGET = 8, /* bytes of cached images; default 52428800 */
  FETCHPIX_OPTION_MIN_PIXELS = 9    /* minimum width times height; 0 turns it off; default 0 */
};

/* Engine id of the pseudo-engine whose search text is a web address. */
#define FETCHPIX_ENGINE_USER_URL 0u

/* A live search; opaque to the caller. */
typedef struct CurrentSearch* SearchHandle;

/* One engine, as EnumerateSearch reports it: a temporary copy, valid only
 * during the callback. */
typedef struct EngineInfo {
  uint32_t id;
  const char* name;          /* plug-in owned, constant */
  uint8_t capabilities[5];   /* bits 0 to 4 of the engine's capability word, each 0 or 1 */
} EngineInfo;

/* One finished image: allocated by FetchSearch, released only by FreeImage. */
typedef struct ImageData {
  uint32_t size;             /* number of bytes */
  uint32_t width;            /* as the result page announced it; 0 if unknown */
  uint32_t height;
  uint32_t reserved;         /* always 0 */
  char* fileName;            /* the requested path after its last slash or backslash */
  uint8_t* bytes;            /* the file exactly as downloaded */
} ImageData;

/* Returns STOPENUMERATION to end the enumeration early. */
typedef int32_t(FETCHPIX_CALL* FetchpixEnumCallback)(const EngineInfo* engine);

/* Booleans travel as a byte widened to 32 bits: only the low byte counts.
 * Window handles travel as uintptr_t. */

/* reserved: the program passes 1. dataFolder: where the plug-in keeps its
 * log, cache and archive (may be null). */
uint32_t FETCHPIX_CALL InitDll(int32_t reserved, uint32_t interfaceVersion, const char* dataFolder);
/* Stops every search, writes the archive and frees the core. */
uint32_t FETCHPIX_CALL UnloadDll(void);
/* SUCCESS, or 0 for an unknown id. value is pointer-wide so that the window
 * handle of FETCHPIX_OPTION_NOTIFY arrives whole; other options use its low
 * 32 bits. */
uint32_t FETCHPIX_CALL SetSearchOption(uint32_t optionId, uintptr_t value, uint32_t value2);
/* Calls back once per engine, in order, on the caller's thread. */
uint32_t FETCHPIX_CALL EnumerateSearch(FetchpixEnumCallback callback);
/* Sets *handle to null first; NOKEYWORDS for a null or empty text. Failures
 * to start arrive later as notifications. */
uint32_t FETCHPIX_CALL StartSearch(const char* text, uint8_t engineId, SearchHandle* handle);
/* The handle must not be used after this call. */
uint32_t FETCHPIX_CALL StopSearch(SearchHandle handle);
/* NOTSUPPORTED, always. */
uint32_t FETCHPIX_CALL CheckSearchMode(int32_t mode);
/* IMAGENOTQUEUE while starting, the error code once failed, IMAGENOTREADY
 * while working, SUCCESS when an image can be fetched. */
uint32_t FETCHPIX_CALL CheckSearch(SearchHandle handle);
/* BADPARAMETER for a null image place, checked before the handle. */
uint32_t FETCHPIX_CALL FetchSearch(SearchHandle handle, ImageData** image);
/* next: 1 for the next image, 0 for the previous one. */
uint32_t FETCHPIX_CALL QueueImage(SearchHandle handle, uint32_t next);
/* Frees *image (if any) and sets it to null. */
uint32_t FETCHPIX_CALL FreeImage(ImageData** image);
uint32_t FETCHPIX_CALL ClearImageCache(void);
/* Stops the searches with this text and forgets what was kept for it. */
uint32_t FETCHPIX_CALL ClearSpecificHistoryCache(const char* text);
/* Blocks the search's current image from being shown again. */
uint32_t FETCHPIX_CALL CondemnImage(SearchHandle handle);
/* Writes one byte: 1 when the search has failed and should be restarted. */
uint32_t FETCHPIX_CALL IsCritical(SearchHandle handle, uint8_t* critical);

typedef uint32_t(FETCHPIX_CALL* PFN_InitDll)(int32_t, uint32_t, const char*);
typedef uint32_t(FETCHPIX_CALL* PFN_UnloadDll)(void);
typedef uint32_t(FETCHPIX_CALL* PFN_SetSearchOption)(uint32_t, uintptr_t, uint32_t);
typedef uint32_t(FETCHPIX_CALL* PFN_EnumerateSearch)(FetchpixEnumCallback);
typedef uint32_t(FETCHPIX_CALL* PFN_StartSearch)(const char*, uint8_t, SearchHandle*);
typedef uint32_t(FETCHPIX_CALL* PFN_StopSearch)(SearchHandle);
typedef uint32_t(FETCHPIX_CALL* PFN_CheckSearchMode)(int32_t);
typedef uint32_t(FETCHPIX_CALL* PFN_CheckSearch)(SearchHandle);
typedef uint32_t(FETCHPIX_CALL* PFN_FetchSearch)(SearchHandle, ImageData**);
typedef uint32_t(FETCHPIX_CALL* PFN_QueueImage)(SearchHandle, uint32_t);
typedef uint32_t(FETCHPIX_CALL* PFN_FreeImage)(ImageData**);
typedef uint32_t(FETCHPIX_CALL* PFN_ClearImageCache)(void);
typedef uint32_t(FETCHPIX_CALL* PFN_ClearSpecificHistoryCache)(const char*);
typedef uint32_t(FETCHPIX_CALL* PFN_CondemnImage)(SearchHandle);
typedef uint32_t(FETCHPIX_CALL* PFN_IsCritical)(SearchHandle, uint8_t*);

#ifdef __cplusplus
}
#endif

#endif
