/*
 * korvex/host.h - the Korvex host library.
 *
 * On Linux the SDK does not talk to an operating system of its own kind: the
 * services it needs (message windows and posted messages, tick counts, the
 * camera driver, the registry, named shared memory, bitmap surfaces, modal
 * dialogs) come from this library, which also carries a simulated camera.
 * Applications use it to create the windows they hand to the SDK and to read
 * back what the SDK posts to them; tests use it to plug cameras and inject
 * faults.
 *
 * Every function has the prefix KorvexHost_. The header compiles as C and C++.
 * Each service has a header of its own; this one includes them all.
 */
#ifndef KORVEX_HOST_H
#define KORVEX_HOST_H

#include "korvex/host_base.h"
#include "korvex/host_messages.h"
#include "korvex/host_registry.h"
#include "korvex/host_shm.h"
#include "korvex/host_text.h"
#include "korvex/host_gdi.h"
#include "korvex/host_windows.h"
#include "korvex/host_dialogs.h"
#include "korvex/host_driver.h"
#include "korvex/host_sim.h"

#endif /* KORVEX_HOST_H */
