/* A fixed sequence of SDK calls whose driver traffic is compared between
 * the Linux simulator and the test driver under Wine: start (initialise,
 * capture mode), one snapshot, register writes and an I/O port read, stop.
 * Every call runs on the calling thread, so the requests reach the driver in
 * one order. Built for both systems. */
#ifndef KORVEX_TRAFFIC_SCENARIO_H
#define KORVEX_TRAFFIC_SCENARIO_H

#include <stddef.h>

#include "korvex/host_sim.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Runs the scenario on the given camera (selected after the start on
 * camera 0 that every camera object makes); 1 when every call succeeded. */
int KorvexRunTrafficScenario(int cameraNumber);

/* One log entry as a line of text (no newline): device, control code,
 * pipe, buffer lengths, bytes returned, result and the packet in hex. */
void KorvexFormatTraffic(const KorvexSimTraffic* entry, char* line, size_t size);

#ifdef __cplusplus
}
#endif

#endif /* KORVEX_TRAFFIC_SCENARIO_H */
