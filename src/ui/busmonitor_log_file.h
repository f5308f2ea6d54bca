// WriteBusmonitorLog: the busmonitor's lines as a tab-separated text file.
#pragma once

#include <string>
#include <string_view>

class TelegramLineModel;

// Creates (or truncates) the file and writes `header` as it is, then one line per telegram in
// list order: columns 0 to 4 each followed by a tab, the data column followed by CR LF, every
// text byte for byte. False when the file cannot be created or written.
bool WriteBusmonitorLog(const std::string& path, std::string_view header,
                        const TelegramLineModel& lines);
