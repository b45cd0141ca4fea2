/* korvex_linux_traffic_log: runs the traffic scenario against the Linux
 * simulator on camera CAMERA and prints its driver traffic, one request per
 * line, for the driver-path suite under Wine to compare with the test
 * driver's. Run it with KORVEX_SIMULATED_CAMERAS above CAMERA.
 *
 * Usage: korvex_linux_traffic_log CAMERA > file   (exit status 0 when it ran) */
#include <stdio.h>
#include <stdlib.h>

#include "korvex/host_sim.h"
#include "traffic_scenario.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: korvex_linux_traffic_log CAMERA\n");
    return 2;
  }
  KorvexHost_SimSetFastPace(1);
  KorvexHost_SimClearTraffic();
  if (!KorvexRunTrafficScenario(atoi(argv[1]))) {
    fprintf(stderr, "the scenario failed\n");
    return 1;
  }
  const size_t count = KorvexHost_SimTrafficCount();
  for (size_t i = 0; i < count; ++i) {
    KorvexSimTraffic entry;
    char line[256];
    if (!KorvexHost_SimGetTraffic(i, &entry)) return 1;
    KorvexFormatTraffic(&entry, line, sizeof line);
    puts(line);
  }
  return 0;
}
