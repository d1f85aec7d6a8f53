// Lifecycle of the series parameters record.
#include "model/params_header.h"

#include "platform/allocation.h"

#include <algorithm>
#include <new>

namespace mirokel {

namespace {

constexpr const char* paramsCaption = " getParamsHeader ";

bool growAreas(ParamsHeader& p, std::int32_t count, std::int32_t seriesSize)
{
    releaseMemory(p.pulsesSelectedAreas);
    p.pulsesSelectedAreas = allocateArray<Rect>(static_cast<std::size_t>(count));
    if (p.pulsesSelectedAreas == nullptr) return false;
    p.dwAreasCapacity = count;
    p.dwSeriesSizeAtAlloc = seriesSize;
    return true;
}

} // namespace

ParamsHeader* getParamsHeader(Window& window, const SeriesHeader* series, ParamsHeader* params)
{
    if (series == nullptr) return params;
    const std::int32_t n = series->dwSeriesSize;
    const std::int32_t length = series->wImpulseSize;
    const std::int32_t tmin = series->wTmin;
    const std::int32_t tmax = series->wTmax;
    // A record that was never built has no interval bounds to divide by.
    if (tmin == 0 || tmax == 0) return params;
    const std::int32_t minPulses = (n + length - 1) / tmax;
    const std::int32_t maxPulses = (n - length + tmin) / tmin;
    const std::int32_t count = std::max(maxPulses - minPulses + 1, 0);

    if (params == nullptr) {
        params = allocateArray<ParamsHeader>(1);
        if (params == nullptr) {
            showMessage(window, "Нет памяти для newParamsHeader!", paramsCaption);
            return nullptr;
        }
        new (params) ParamsHeader{};
    }
    if (params->dwAreasCapacity < count && !growAreas(*params, count, n)) {
        freeParamsHeader(params);
        showMessage(window, "Нет памяти для newParamsHeader->pulsesSelectedAreas!", paramsCaption);
        return nullptr;
    }
    ParamsHeader& p = *params;
    p.dwSeriesSize = n;
    p.dwTmin = tmin;
    p.dwTmax = tmax;
    p.dwImpulseSize = length;
    p.dwPulses = series->wImpulseQuantity;
    p.dwMaxPulses = maxPulses;
    p.dwMinPulses = minPulses;
    p.dwA = 0;
    p.dwAPlus = tmax - length;
    p.dwBMinus = n - tmax;
    p.dwB = n - length;
    p.dwAreasCount = maxPulses - minPulses + 1;
    window.services.setTminEditText(formatText("%d", tmin));
    p.dwPrevPulses = p.dwPulses;
    p.dwPrevAPlus = p.dwAPlus;
    p.dwPrevBMinus = p.dwBMinus;
    p.dwPrevTmin = p.dwTmin;
    p.dwPrevTmax = p.dwTmax;
    p.dwPrevMaxPulses = p.dwMaxPulses;
    p.dwPrevMinPulses = p.dwMinPulses;
    std::fill_n(p.pulsesSelectedAreas, count, Rect{});
    return params;
}

void freeParamsHeader(ParamsHeader* params)
{
    if (params == nullptr) return;
    releaseMemory(params->pulsesSelectedAreas);
    params->~ParamsHeader();
    releaseMemory(params);
}

} // namespace mirokel
