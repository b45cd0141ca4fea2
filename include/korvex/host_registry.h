/*
 * korvex/host_registry.h - the current user's registry.
 *
 * A persistent hierarchical store of keys and typed values, shaped like the
 * Windows registry functions (RegOpenKeyEx, RegCreateKeyEx, RegQueryValueEx,
 * RegSetValueEx, RegCloseKey). Key and value names compare without regard to
 * ASCII case; a key path separates its names with backslashes.
 *
 * On disk the whole hive is one human-readable text file, HKEY_CURRENT_USER.reg,
 * in the registry folder:
 *
 *     [Software\Quorel\Korvex740K3XLNSdk\Camera_00]
 *     "Size"=dword:00000000
 *     "Name"=sz:"text"
 *     "Blob"=hex(3):01,02,03
 *
 * Several threads and processes may use the store at once. Every change takes
 * an exclusive lock on HKEY_CURRENT_USER.lock in the same folder, reads the
 * file afresh, applies the change and replaces the file atomically (a new file
 * renamed over the old one), so readers always see a whole file and no change
 * is lost. Readers take no lock.
 *
 * The folder is $XDG_CONFIG_HOME/korvex/registry, or ~/.config/korvex/registry
 * when XDG_CONFIG_HOME is unset or empty; KorvexHost_RegSetRoot moves it.
 */
#ifndef KORVEX_HOST_REGISTRY_H
#define KORVEX_HOST_REGISTRY_H

#include "korvex/host_base.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct KorvexRegKey_* KorvexHostRegKey;

/* The predefined root key of the current user's hive (HKEY_CURRENT_USER). */
#define KORVEX_HOST_HKEY_CURRENT_USER ((KorvexHostRegKey)(uintptr_t)0x80000001u)

/* Results: the Windows error codes of the same meaning. */
#define KORVEX_HOST_REG_OK 0
#define KORVEX_HOST_REG_NOT_FOUND 2      /* ERROR_FILE_NOT_FOUND */
#define KORVEX_HOST_REG_ACCESS_DENIED 5  /* ERROR_ACCESS_DENIED */
#define KORVEX_HOST_REG_INVALID_HANDLE 6 /* ERROR_INVALID_HANDLE */
#define KORVEX_HOST_REG_INVALID_PARAMETER 87
#define KORVEX_HOST_REG_MORE_DATA 234    /* ERROR_MORE_DATA: buffer too small */
#define KORVEX_HOST_REG_KEY_DELETED 1018 /* the key of the handle is gone */
#define KORVEX_HOST_REG_IO_ERROR 1016    /* ERROR_REGISTRY_IO_FAILED */

/* Value types. */
#define KORVEX_HOST_REG_NONE 0
#define KORVEX_HOST_REG_SZ 1
#define KORVEX_HOST_REG_BINARY 3
#define KORVEX_HOST_REG_DWORD 4

/* Access rights, as the Windows constants. */
#define KORVEX_HOST_KEY_QUERY_VALUE 0x0001u
#define KORVEX_HOST_KEY_SET_VALUE 0x0002u
#define KORVEX_HOST_KEY_CREATE_SUB_KEY 0x0004u
#define KORVEX_HOST_KEY_READ 0x20019u
#define KORVEX_HOST_KEY_WRITE 0x20006u
#define KORVEX_HOST_KEY_ALL_ACCESS 0xF003Fu

/* Dispositions reported by KorvexHost_RegCreateKey. */
#define KORVEX_HOST_REG_CREATED_NEW_KEY 1
#define KORVEX_HOST_REG_OPENED_EXISTING_KEY 2

/* Moves the registry folder (created when first written). Null or "" goes
 * back to the default folder. Keys opened before keep their folder. */
KORVEX_HOST_API void KorvexHost_RegSetRoot(const char* folder);
/* Copies the current registry folder into buffer; returns the length it
 * needs without the terminator. */
KORVEX_HOST_API size_t KorvexHost_RegGetRoot(char* buffer, size_t size);

/* Opens an existing key (RegOpenKeyEx). A null or empty subKey opens the
 * parent again. *result receives the handle, or null on failure. */
KORVEX_HOST_API int32_t KorvexHost_RegOpenKey(KorvexHostRegKey parent, const char* subKey,
                                              uint32_t access, KorvexHostRegKey* result);
/* Opens a key, creating it and any missing keys above it (RegCreateKeyEx).
 * The parent needs KEY_CREATE_SUB_KEY access when a key has to be created.
 * disposition (optional) receives CREATED_NEW_KEY or OPENED_EXISTING_KEY. */
KORVEX_HOST_API int32_t KorvexHost_RegCreateKey(KorvexHostRegKey parent, const char* subKey,
                                                uint32_t access, KorvexHostRegKey* result,
                                                uint32_t* disposition);
/* Reads a value (RegQueryValueEx). A null name or "" is the key's default
 * value. type (optional) receives its type. With data null, *size receives the
 * size the value needs. Otherwise *size is the buffer size on entry and the
 * value's size on return; a buffer that is too small gives MORE_DATA and
 * receives nothing. Data of any type is returned as stored. */
KORVEX_HOST_API int32_t KorvexHost_RegQueryValue(KorvexHostRegKey key, const char* name,
                                                 uint32_t* type, void* data, uint32_t* size);
/* Writes a value (RegSetValueEx); needs KEY_SET_VALUE access. */
KORVEX_HOST_API int32_t KorvexHost_RegSetValue(KorvexHostRegKey key, const char* name,
                                               uint32_t type, const void* data, uint32_t size);
/* Removes a value (RegDeleteValue). */
KORVEX_HOST_API int32_t KorvexHost_RegDeleteValue(KorvexHostRegKey key, const char* name);
/* Removes a key that has no subkeys (RegDeleteKey); a key with subkeys
 * gives ACCESS_DENIED, as on Windows. */
KORVEX_HOST_API int32_t KorvexHost_RegDeleteKey(KorvexHostRegKey parent, const char* subKey);
/* Closes a handle; closing a predefined key does nothing. */
KORVEX_HOST_API int32_t KorvexHost_RegCloseKey(KorvexHostRegKey key);

#ifdef __cplusplus
}
#endif

#endif /* KORVEX_HOST_REGISTRY_H */
