// The usage report as one self-contained HTML page: figures, charts drawn
// by the embedded charting library, tables, and how each figure is defined.
#pragma once
#include <string>
#include "report/reportmodel.h"

// chartLibrary: the library's script, licence: its licence text, kept in
// the page; sources: the journals read, as the page names them.
std::string reportPage(const UsageReport& r, const std::string& chartLibrary,
                       const std::string& licence, const std::string& sources);
