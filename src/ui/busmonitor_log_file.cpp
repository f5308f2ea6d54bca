// WriteBusmonitorLog: writing the header and the lines in one pass.
#include "ui/busmonitor_log_file.h"

#include <cstdio>
#include <memory>

#include "ui/telegram_line_model.h"

bool WriteBusmonitorLog(const std::string& path, std::string_view header,
                        const TelegramLineModel& lines) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"),
                                                       &std::fclose);
  if (!file) return false;
  std::string text(header);
  for (std::size_t row = 0; row < lines.Count(); ++row) {
    const TelegramLine& line = lines.Line(row);
    for (std::size_t column = 0; column + 1 < line.size(); ++column) {
      text.append(line[column]).push_back('\t');
    }
    text.append(line.back()).append("\r\n");
  }
  const bool written = std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
  // A full disk may show only when the buffered bytes are flushed.
  return std::fclose(file.release()) == 0 && written;
}
