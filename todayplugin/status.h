// The platform's status behind the gauges, and the backlight the gauge sets.
#pragma once

#include "todayplugin/core/glancet_core.h"

namespace quintar::glancet {

// Reads the battery, memory, store and cards into `gauges` and `state`; false when no storage
// card was found (the readings after the cards are then skipped).
bool ReadStatus(core::State& state, core::GaugeValues& gauges);
// Stores the setting and tells the backlight driver.
void WriteBacklight(const core::BacklightSetting& setting);

}  // namespace quintar::glancet
