// CTag: the toolkit's tag base; the fields the toolkit reads when it serves a client.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/file_time.h"
#include "platform/variant.h"

// OPC access rights bits.
constexpr std::uint16_t OPC_READABLE = 1;
constexpr std::uint16_t OPC_WRITEABLE = 2;

// OPC quality values the system uses (low byte of the quality word).
constexpr std::uint16_t OPC_QUALITY_BAD = 0x00;
constexpr std::uint16_t OPC_QUALITY_UNCERTAIN = 0x40;
// Uncertain, last usable value: the source stopped delivering and the value is the last it gave.
constexpr std::uint16_t OPC_QUALITY_LAST_USABLE = 0x44;
constexpr std::uint16_t OPC_QUALITY_GOOD = 0xC0;

// A tag is owned by the system that made it; clients only hold references counted by
// AddRef/Release, so that the owner can refuse to destroy a tag a client still holds.
// Value, time stamp and quality are guarded by the callback's tag lock.
class CTag {
 public:
  CTag() = default;
  CTag(const CTag&) = delete;
  CTag& operator=(const CTag&) = delete;
  virtual ~CTag() = default;

  // Client references; return the new count. Release never destroys the tag.
  virtual long AddRef();
  virtual long Release();
  long ClientRefCount() const { return m_refCount.load(); }

  VARTYPE m_nativeDataType = VT_EMPTY;  // canonical data type towards clients
  Variant m_value;
  FileTime m_timestamp;
  std::uint16_t m_quality = OPC_QUALITY_UNCERTAIN;
  std::uint16_t m_accessRights = OPC_READABLE | OPC_WRITEABLE;  // the toolkit's default
  // The toolkit asked the device for the value of this tag while it had none (it asks once).
  bool m_firstReadAsked = false;

 private:
  std::atomic<long> m_refCount{0};
};
