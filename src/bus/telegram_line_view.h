// TelegramLineView: the busmonitor's list, which takes one line per telegram event.
#pragma once

#include <cstdint>
#include <string_view>

// Implemented by the busmonitor window. The telegram reception builds the texts only while a
// busmonitor is open (registered with it) and not paused. Called on the main thread.
class TelegramLineView {
 public:
  virtual bool Paused() const = 0;
  // `time` "hh:mm:ss.mmm", the destination address, the priority and APCI names, the event
  // number in decimal, the data bytes as "%.2x " each (or "Read Error!" / "Write Error!"), and
  // the source text ("Not yet"), which is not shown.
  virtual void AddTelegramLine(std::string_view time, std::uint16_t groupAddress,
                               std::string_view priority, std::string_view eventNumber,
                               std::string_view type, std::string_view data,
                               std::string_view source) = 0;

 protected:
  ~TelegramLineView() = default;
};
