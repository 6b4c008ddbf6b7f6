#include "shell/base/SampleCollector.h"

#include <algorithm>

namespace tv {

SampleCollector& SampleCollector::Instance()
{
    static SampleCollector instance;
    return instance;
}

void SampleCollector::Add(uint32_t sample)
{
    m_samples.push_back(sample);
}

void SampleCollector::Clear()
{
    m_samples.clear();
}

uint32_t SampleCollector::Statistic()
{
    std::sort(m_samples.begin(), m_samples.end());
    const size_t n = m_samples.size();
    const size_t first = n / 2;
    const size_t end = 3 * n / 4;
    if (end <= first) {
        // Fewer than three samples: no window to average, so fall back to the mean.
        if (n == 0) {
            return 0;
        }
        uint64_t sum = 0;
        for (uint32_t sample : m_samples) {
            sum += sample;
        }
        return static_cast<uint32_t>(sum / n);
    }
    uint32_t sum = 0;
    for (size_t i = first; i < end; ++i) {
        sum += m_samples[i];
    }
    return sum / static_cast<uint32_t>(end - first);
}

} // namespace tv
