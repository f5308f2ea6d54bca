// COPCCallback: the toolkit's own operations and the defaults of those the served system overrides.
#include "toolkit/c_opc_callback.h"

#include <cstdio>

#include "platform/code_page.h"

std::u16string COPCCallback::AllocString(std::string_view ansi) {
  return AnsiToUtf16(ansi);
}

// A callback that serves no items knows none of them.
HRESULT COPCCallback::QueryPropertyCount(const char* /*itemId*/, std::uint32_t* /*count*/,
                                         CTag** /*tag*/) {
  return OPC_E_UNKNOWNITEMID;
}

HRESULT COPCCallback::QueryAvailableProperties(const char* /*itemId*/, std::uint32_t /*count*/,
                                               CTag* /*tag*/, std::uint32_t* /*propertyIds*/,
                                               std::u16string* /*descriptions*/,
                                               VARTYPE* /*dataTypes*/) {
  return OPC_E_UNKNOWNITEMID;
}

HRESULT COPCCallback::GetItemProperties(const char* /*itemId*/, std::uint32_t /*count*/,
                                        const std::uint32_t* /*propertyIds*/, Variant* /*values*/,
                                        HRESULT* /*errors*/) {
  return OPC_E_UNKNOWNITEMID;
}

HRESULT COPCCallback::LookupItemIDs(std::uint32_t count, const char* const* itemIds,
                                    HRESULT* errors) {
  if (count > 0 && (itemIds == nullptr || errors == nullptr)) return E_INVALIDARG;
  HRESULT result = S_OK;
  for (std::uint32_t i = 0; i < count; ++i) {
    // ValidateTag fills a tag record; the lookup only wants to know whether it can.
    CTag record;
    errors[i] = itemIds[i] != nullptr ? ValidateTag(&record, itemIds[i], "", 0) : E_INVALIDARG;
    if (Failed(errors[i])) result = S_FALSE;
  }
  return result;
}

OpcServerState COPCCallback::GetServerState() {
  return OpcServerState::Running;
}

HRESULT COPCCallback::GetTagAccessPath(CTag* /*tag*/, std::string* accessPath) {
  if (accessPath != nullptr) accessPath->clear();
  return S_FALSE;
}

HRESULT COPCCallback::GetTagLimits(CTag* /*tag*/, double* /*low*/, double* /*high*/) {
  return S_FALSE;
}

HRESULT COPCCallback::Read(std::uint32_t count, CTag* const* tags, Variant* values,
                           std::uint16_t* qualities, FileTime* timestamps, HRESULT* errors) {
  if (count > 0 && (tags == nullptr || values == nullptr || qualities == nullptr ||
                    timestamps == nullptr || errors == nullptr)) {
    return E_INVALIDARG;
  }
  HRESULT result = S_OK;
  // One lock for all tags: a client sees the values of one read as they were at one moment.
  std::lock_guard lock(GetTagLock());
  for (std::uint32_t i = 0; i < count; ++i) {
    const CTag* tag = tags[i];
    if (tag == nullptr) {
      errors[i] = E_INVALIDARG;
      result = S_FALSE;
      continue;
    }
    values[i] = tag->m_value;
    qualities[i] = tag->m_quality;
    timestamps[i] = tag->m_timestamp;
    errors[i] = S_OK;
  }
  return result;
}

HRESULT COPCCallback::Write(std::uint32_t count, CTag* const* tags, const Variant* values,
                            HRESULT* errors) {
  if (count > 0 && (tags == nullptr || values == nullptr || errors == nullptr)) {
    return E_INVALIDARG;
  }
  HRESULT result = S_OK;
  for (std::uint32_t i = 0; i < count; ++i) {
    errors[i] = tags[i] != nullptr ? WriteTag(tags[i], values[i]) : E_INVALIDARG;
    if (Failed(errors[i])) result = S_FALSE;
  }
  return result;
}

const char* COPCCallback::GetErrorString(HRESULT code, std::uint32_t /*locale*/) {
  switch (code) {
    case S_OK:
      return "The operation succeeded.";
    case S_FALSE:
      return "The operation failed for some items.";
    case E_FAIL:
      return "Unspecified error.";
    case E_INVALIDARG:
      return "One or more arguments are not valid.";
    case E_OUTOFMEMORY:
      return "Not enough memory to complete the operation.";
    case E_NOTIMPL:
      return "Not implemented.";
    case DISP_E_TYPEMISMATCH:
      return "Type mismatch.";
    case DISP_E_OVERFLOW:
      return "Out of present range.";
    case DISP_E_BADVARTYPE:
      return "Bad variable type.";
    case OPC_E_UNKNOWNITEMID:
      return "The item ID is not defined in the server address space.";
    default:
      break;
  }
  std::lock_guard lock(m_errorTextMutex);
  std::string& text = m_errorTexts[code];
  if (text.empty()) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "Error 0x%08X", static_cast<unsigned>(code));
    text = buffer;
  }
  return text.c_str();
}
