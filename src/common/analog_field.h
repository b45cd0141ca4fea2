// The analog settings that the automatic brightness loop changes and an
// open analog dialog shows: the pipeline reports which one changed, the
// dialog decides which control shows it.
#pragma once

namespace korvex {

enum class AnalogField { kGain, kExposure };

}  // namespace korvex
