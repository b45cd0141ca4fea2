/*
 * korvex/host_shm.h - named shared memory and process identity.
 *
 * A named block of memory that every process of the user can open by name
 * and map (the stand-in for a named file mapping backed by the paging file).
 * Blocks live in POSIX shared memory under the name "/<namespace>.<name>";
 * the namespace defaults to the environment variable KORVEX_SHM_NAMESPACE
 * when it is set, otherwise "korvex-<uid>", and can be moved, so that tests
 * get blocks of their own. Unlike a Windows mapping a block outlives its last
 * user; KorvexHost_UnlinkSharedMemory removes it.
 */
#ifndef KORVEX_HOST_SHM_H
#define KORVEX_HOST_SHM_H

#include "korvex/host_base.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct KorvexShm_* KorvexHostShm;

/* Moves the namespace of block names; null or "" restores the default. */
KORVEX_HOST_API void KorvexHost_SetSharedMemoryNamespace(const char* ns);

/* Opens an existing block (OpenFileMapping). Null when there is none. */
KORVEX_HOST_API KorvexHostShm KorvexHost_OpenSharedMemory(const char* name);
/* Opens the block, creating it with `size` zero bytes when it does not exist
 * (CreateFileMapping). *created (optional) receives 1 when this call created
 * it. An existing block keeps its size. Null on failure. */
KORVEX_HOST_API KorvexHostShm KorvexHost_CreateSharedMemory(const char* name, size_t size,
                                                            int* created);
/* Size of the block in bytes. */
KORVEX_HOST_API size_t KorvexHost_SharedMemorySize(KorvexHostShm shm);
/* Maps the whole block read/write (MapViewOfFile); null on failure. */
KORVEX_HOST_API void* KorvexHost_MapSharedMemory(KorvexHostShm shm);
/* Unmaps a view returned by KorvexHost_MapSharedMemory. */
KORVEX_HOST_API int KorvexHost_UnmapSharedMemory(void* view);
/* Closes the handle; views stay valid until unmapped. */
KORVEX_HOST_API int KorvexHost_CloseSharedMemory(KorvexHostShm shm);
/* Removes the block's name; processes that have it open keep their memory. */
KORVEX_HOST_API int KorvexHost_UnlinkSharedMemory(const char* name);

/* A token naming the calling process for as long as it runs: its process id
 * in the low 32 bits and a value derived from its start time in the high 32
 * bits, so that a recycled process id does not match an old token. Never 0. */
KORVEX_HOST_API uint64_t KorvexHost_ProcessToken(void);
/* 1 while the process named by a token (or a bare process id, high bits 0)
 * is running; 0 once it has ended, including when it is a zombie. */
KORVEX_HOST_API int KorvexHost_ProcessAlive(uint64_t token);

#ifdef __cplusplus
}
#endif

#endif /* KORVEX_HOST_SHM_H */
