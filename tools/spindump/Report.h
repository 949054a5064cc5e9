#pragma once

#include <ostream>
#include <string>

#include "ProcessInfo.h"
#include "Sampler.h"

namespace tarvix::spindump {

/// The text report: the process header, the sampling facts, then one call tree per thread
/// (the main thread first, the others by thread id).
void writeReport(std::ostream& out, const ProcessInfo& process, const SamplingResult& sampling, time_t sampledAt);

}  // namespace tarvix::spindump
