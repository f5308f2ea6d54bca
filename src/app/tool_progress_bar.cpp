// ToolProgressBar: drawing the bar.
#include "app/tool_progress_bar.h"

#include <algorithm>
#include <iomanip>
#include <string>

void ToolProgressBar::SetProgress(int percent) {
  constexpr int kWidth = 40;
  percent = std::clamp(percent, 0, 100);
  const int done = percent * kWidth / 100;
  m_out << "\r[" << std::string(done, '#') << std::string(kWidth - done, '.') << "] "
        << std::setw(3) << percent << '%' << std::flush;
}
