#include "hid_reports.h"

#include <algorithm>

namespace wendax::hid {

std::vector<std::vector<std::uint8_t>> splitIntoOutputReports(std::span<const std::uint8_t> bytes,
                                                              std::size_t reportLength)
{
    std::vector<std::vector<std::uint8_t>> reports;
    if (reportLength <= 2)
        return reports;
    // The count travels in one byte.
    const std::size_t perReport = std::min<std::size_t>(reportLength - 2, 255);
    for (std::size_t at = 0; at < bytes.size(); at += perReport) {
        const std::size_t count = std::min(perReport, bytes.size() - at);
        std::vector<std::uint8_t> report(reportLength, 0);
        report[1] = static_cast<std::uint8_t>(count);
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(at), count, report.begin() + 2);
        reports.push_back(std::move(report));
    }
    return reports;
}

} // namespace wendax::hid
