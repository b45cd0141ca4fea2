/* Loaded with LD_PRELOAD into a C program of the SDK (the live-preview
 * example) so that its simulated camera serves frames at the fast pace, as
 * the Python side of bench_python.py asks through korvex.sim. */
#include "korvex/host_sim.h"

__attribute__((constructor)) static void SelectFastPace(void) { KorvexHost_SimSetFastPace(1); }
