#pragma once
// The load samples of one calibration phase and their robust average.
#include <cstdint>
#include <vector>

namespace tv {

class SampleCollector
{
public:
    // The process-wide collector, created on first use.
    static SampleCollector& Instance();

    SampleCollector() = default;
    SampleCollector(const SampleCollector&) = delete;
    SampleCollector& operator=(const SampleCollector&) = delete;

    void Add(uint32_t sample);
    void Clear();
    size_t Count() const { return m_samples.size(); }
    // In the order added, or ascending after a statistic.
    const std::vector<uint32_t>& Samples() const { return m_samples; }

    // Sorts the samples (they stay sorted) and averages those at the positions n/2 up to but
    // excluding 3n/4; the sum wraps as a 32-bit unsigned number. With fewer than three samples
    // that window is empty: the plain mean is returned then, 0 without samples.
    uint32_t Statistic();
    // The names the phases of a calibration ask by: unloaded phases the middle, loaded phases
    // the upper one. Both average the same window.
    uint32_t MiddleStatistic() { return Statistic(); }
    uint32_t UpperStatistic() { return Statistic(); }

private:
    std::vector<uint32_t> m_samples;
};

} // namespace tv
